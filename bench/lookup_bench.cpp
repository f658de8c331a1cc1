// What a ticket lookup costs through the program's path: a suffix match on 200 000 tickets
// and 400 000 cards, the connection opened, the statement run with the text bound, and
// every value of every match read as the panel shows it. Beside it, in the same run, the
// same statement as the program sends it there (the text as a literal) in the sqlite3 shell
// and in psql, each connecting, running it and printing every row to /dev/null, and in the
// sqlite3 shell the plain `like` the program's statement is written with; and on both,
// unixODBC's isql running the statement through the same driver: what the driver alone
// costs. They take turns trial by trial.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "data/postgres_server.h"
#include "program_lookup.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr char kPattern[] = "%7";  // a tenth of the tickets, nine tenths of them in service

// CPU time of this process and of its waited-for children, ms.
double CpuMs(int who) {
  rusage usage{};
  getrusage(who, &usage);
  auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Figures {
  double wall = 0, cpu = 0;  // medians, ms
};

double Median(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

// The sides take turns, trial by trial, so that all meet the same load on a shared machine.
// The first is ours; an anchor's CPU time is its shell's and its own.
std::vector<Figures> Compare(int trials, const std::vector<std::function<void()>>& sides) {
  std::vector<std::vector<double>> wall(sides.size()), cpu(sides.size());
  for (int i = 0; i < trials; ++i) {
    for (size_t side = 0; side < sides.size(); ++side) {
      const int who = side == 0 ? RUSAGE_SELF : RUSAGE_CHILDREN;
      double cpuStart = CpuMs(who);
      Clock::time_point start = Clock::now();
      sides[side]();
      wall[side].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      cpu[side].push_back(CpuMs(who) - cpuStart);
    }
  }
  std::vector<Figures> figures;
  for (size_t side = 0; side < sides.size(); ++side) figures.push_back({Median(wall[side]), Median(cpu[side])});
  return figures;
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// unixODBC's isql running `statement` through the driver the ODBC string names, printing
// every row: what the driver alone costs. Gives the command; the statement goes to `file`.
std::string Isql(const std::string& odbc, const std::string& statement, const std::string& file) {
  std::ofstream(file) << statement << "\n";
  return "isql -b -d, -k '" + odbc + "' <" + file + " >/dev/null";
}

void ReportDriver(const Figures& ours, const Figures& isql, const Figures& anchor, const char* anchorName) {
  std::printf("%-10s %6s           brimlock  %6.1f ms   isql    %7.1f ms   ratio %.2f"
              "   (the driver alone: isql to %s %.2f)\n",
              "", "", ours.wall, isql.wall, ours.wall / isql.wall, anchorName, isql.wall / anchor.wall);
}

// The program's path; gives the number of matches.
size_t Lookup(const std::string& connectionString) { return ProgramLookup(connectionString, kPattern); }

void Report(const char* backend, size_t rows, const Figures& ours, const Figures& theirs, const char* anchor) {
  std::printf("%-10s %6zu matches   brimlock %7.1f ms   %-7s %7.1f ms   ratio %.2f"
              "   (CPU %.1f / %.1f ms)\n",
              backend, rows, ours.wall, anchor, theirs.wall, ours.wall / theirs.wall, ours.cpu, theirs.cpu);
}

}  // namespace

int main(int argc, char** argv) {
  const int trials = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::string sqliteStatement = SentStatement(odbc::Dbms::Sqlite, kPattern);
  // The match as written, without the blank rule: what the rule must add next to nothing to.
  const std::string plainStatement = SentStatement(odbc::Dbms::Other, kPattern);
  const std::string postgresStatement = SentStatement(odbc::Dbms::PostgreSql, kPattern);
  CoInitialize(nullptr);

  char dir[] = "/tmp/brimlock-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  const std::string db = std::string(dir) + "/tickets.db";
  const std::string schema = std::string(BENCH_SQL_DIR) + "/schema.sql";
  if (!Shell("{ echo 'BEGIN;'; cat " + schema +
             "; cat <<'SQL'\n"
             "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199999)\n"
             "INSERT INTO Kcard_ticket_BaseInfo SELECT printf('T%06d', i), i % 10 = 9 FROM n;\n"
             "INSERT INTO Kcard_BaseInfo SELECT dticket_no, dticket_no || k, 'H' || k FROM "
             "Kcard_ticket_BaseInfo, (SELECT '-A' AS k UNION ALL SELECT '-B');\n"
             "COMMIT;\nSQL\n} | sqlite3 -bail " +
             db)) {
    return 1;
  }
  const std::string odbcDriver = "DRIVER=SQLite3;Database=" + db + ";NoCreat=1;";
  const std::string sqlite = "Provider=MSDASQL;" + odbcDriver;
  const std::string isqlSqlite = Isql(odbcDriver, sqliteStatement, std::string(dir) + "/sqlite.sql");
  size_t rows = Lookup(sqlite);
  const std::vector<Figures> sqliteFigures = Compare(
      trials, {[&] { Lookup(sqlite); }, [&] { Shell("sqlite3 " + db + " \"" + sqliteStatement + "\" >/dev/null"); },
               [&] { Shell("sqlite3 " + db + " \"" + plainStatement + "\" >/dev/null"); }, [&] { Shell(isqlSqlite); }});
  Report("SQLite", rows, sqliteFigures[0], sqliteFigures[1], "sqlite3");
  std::printf("%-10s %6s           statement %6.1f ms   like    %7.1f ms   ratio %.2f"
              "   (the shell's plain like; brimlock to it %.2f)\n",
              "", "", sqliteFigures[1].wall, sqliteFigures[2].wall, sqliteFigures[1].wall / sqliteFigures[2].wall,
              sqliteFigures[0].wall / sqliteFigures[2].wall);
  ReportDriver(sqliteFigures[0], sqliteFigures[3], sqliteFigures[1], "sqlite3");

  PostgresServer& server = PostgresServer::Shared();
  if (!server.failure().empty()) {
    std::printf("PostgreSQL: no server: %s\n", server.failure().c_str());
  } else if (!server.Run("create database bench", "postgres") ||
             !Shell(server.Psql("bench") + " -f " + schema +
                    " -c \""
                    "INSERT INTO Kcard_ticket_BaseInfo SELECT 'T' || lpad(i::text, 6, '0'), "
                    "(i % 10 = 9)::int FROM generate_series(0, 199999) i; "
                    "INSERT INTO Kcard_BaseInfo SELECT dticket_no, dticket_no || k, 'H' || k FROM "
                    "Kcard_ticket_BaseInfo, (VALUES ('-A'), ('-B')) v(k); ANALYZE;\"")) {
    std::printf("PostgreSQL: the tickets could not be loaded\n");
  } else {
    const std::string postgres = server.ConnectionString("bench");
    const std::string prefix = "Provider=MSDASQL;";
    const std::string isqlPostgres = Isql(postgres.substr(prefix.size()), postgresStatement,
                                          std::string(dir) + "/postgres.sql");
    rows = Lookup(postgres);
    const std::vector<Figures> figures = Compare(
        trials, {[&] { Lookup(postgres); },
                 [&] { Shell(server.Psql("bench") + " -At -c \"" + postgresStatement + "\" >/dev/null"); },
                 [&] { Shell(isqlPostgres); }});
    Report("PostgreSQL", rows, figures[0], figures[1], "psql");
    ReportDriver(figures[0], figures[2], figures[1], "psql");
  }
  CoUninitialize();
  std::filesystem::remove_all(dir);
  return 0;
}
