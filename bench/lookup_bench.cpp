// What a ticket lookup costs through the program, as a whole process: `brimlock-card lookup
// 7` on 200 000 tickets and 400 000 cards (40 000 matches), connecting, running the
// statement with the text bound, reading every value exactly and printing every card.
// Beside it, in the same run: the cheapest ODBC client of the same statement through the
// same driver (best_client: narrow bound columns, a block cursor), the floor any client of
// that driver stands on and the goal's anchor; the engine's own shell (sqlite3, psql) with
// the statement as the program sends it, the text as a literal; unixODBC's isql through the
// driver; and on SQLite the shell with the plain `like` the statement is written with. Each
// prints every row to /dev/null; they take turns trial by trial. `--instructions` adds each
// side's instructions, counted once under callgrind.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
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

double Median(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// unixODBC's isql running `statement` through the driver the ODBC string names, printing
// every row. Gives the command; the statement goes to `file`.
std::string Isql(const std::string& odbc, const std::string& statement, const std::string& file) {
  std::ofstream(file) << statement << "\n";
  return "isql -b -d, -k '" + odbc + "' <" + file + " >/dev/null";
}

// The cheapest client, the statement as the program sends it with the pattern bound.
std::string BestClient(const std::string& odbc, odbc::Dbms dbms) {
  return std::string(BEST_CLIENT) + " '" + odbc + "' \"" + RewrittenStatement(dbms) + "\" '" + kPattern + "'";
}

// The program itself, on the data source of the connection string.
std::string Program(const std::string& connectionString) {
  return "BRIMLOCK_CONNECTION='" + connectionString + "' " + BRIMLOCK_CARD + " lookup " + (kPattern + 1);
}

// A command's standard output, or nothing when it fails.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    if (pclose(pipe) != 0) out.clear();
  }
  return out;
}

// The sides must print the same rows: the best client and the shell the same text, the
// program the same cards (tab-separated, not "|").
bool SameRows(const std::string& program, const std::string& best, const std::string& shell, const char* backend) {
  std::string cards = Output(program), bestRows = Output(best), shellRows = Output(shell);
  std::replace(cards.begin(), cards.end(), '\t', '|');
  auto sorted = [](const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
  };
  const bool same = !bestRows.empty() && sorted(bestRows) == sorted(shellRows) && sorted(cards) == sorted(bestRows);
  if (!same) std::printf("%s: the sides do not print the same rows\n", backend);
  return same;
}

// Millions of instructions of the command's process, counted under callgrind; 0 without it.
double Instructions(const std::string& command, const std::string& dir) {
  const std::string out = dir + "/callgrind.out";
  std::string shell = command.substr(0, command.find(" >/dev/null"));
  // The environment a command begins with (NAME=value ...) goes before valgrind.
  size_t program = 0;
  while (program < shell.size() && shell.find('=', program) < shell.find(' ', program)) {
    program = shell.find(shell[shell.find('=', program) + 1] == '\'' ? "' " : " ", program) + 1;
    while (program < shell.size() && shell[program] == ' ') ++program;
  }
  shell.insert(program, "valgrind --tool=callgrind --callgrind-out-file=" + out + " ");
  if (!Shell(shell + " >/dev/null 2>&1")) return 0;
  std::ifstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("summary: ")) return std::stod(line.substr(9)) / 1e6;
  }
  return 0;
}

struct Side {
  const char* name;
  std::string command;
};

// Runs the sides in turn and prints each beside the first (the program) and the second (the
// anchor).
void Compare(const char* backend, int trials, const std::vector<Side>& sides, bool instructions,
             const std::string& dir) {
  std::vector<std::vector<double>> wall(sides.size()), cpu(sides.size());
  for (int i = 0; i < trials; ++i) {
    for (size_t side = 0; side < sides.size(); ++side) {
      double cpuStart = CpuMs(RUSAGE_CHILDREN);
      Clock::time_point start = Clock::now();
      Shell(sides[side].command + " >/dev/null");
      wall[side].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      cpu[side].push_back(CpuMs(RUSAGE_CHILDREN) - cpuStart);
    }
  }
  std::vector<double> counted(sides.size());
  if (instructions) {
    for (size_t side = 0; side < sides.size(); ++side) counted[side] = Instructions(sides[side].command, dir);
  }
  const double anchorWall = Median(wall[1]), anchorCpu = Median(cpu[1]);
  std::printf("%s, median of %d (ms); ratios to %s%s\n", backend, trials, sides[1].name,
              instructions ? "; millions of instructions (callgrind)" : "");
  for (size_t side = 0; side < sides.size(); ++side) {
    const double w = Median(wall[side]), c = Median(cpu[side]);
    std::printf("  %-28s wall %7.1f (%.2f)   CPU %7.1f (%.2f)", sides[side].name, w, w / anchorWall, c, c / anchorCpu);
    if (instructions)
      std::printf("   %7.1f M (%.2f)", counted[side], counted[1] > 0 ? counted[side] / counted[1] : 0.0);
    std::printf("\n");
  }
  // Where the anchor is not the best client, the program beside that floor too: what the
  // driver costs any client is not the program's to save.
  for (size_t side = 2; side < sides.size(); ++side) {
    if (std::string(sides[side].name) != "best ODBC client") continue;
    std::printf("  %s to the %s: wall %.2f, CPU %.2f\n", sides[0].name, sides[side].name,
                Median(wall[0]) / Median(wall[side]), Median(cpu[0]) / Median(cpu[side]));
  }
}

}  // namespace

int main(int argc, char** argv) {
  int trials = 5;
  bool instructions = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--instructions") instructions = true;
    else trials = std::max(1, std::atoi(argv[i]));
  }
  const std::string sqliteStatement = SentStatement(odbc::Dbms::Sqlite, kPattern);
  // The match as written, without the blank rule: what the rule must add next to nothing to.
  const std::string plainStatement = SentStatement(odbc::Dbms::Other, kPattern);
  const std::string postgresStatement = SentStatement(odbc::Dbms::PostgreSql, kPattern);

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
  const std::string sqliteShell = "sqlite3 " + db + " \"" + sqliteStatement + "\"";
  const std::vector<Side> sqliteSides = {{"brimlock-card lookup", Program("Provider=MSDASQL;" + odbcDriver)},
                                         {"best ODBC client", BestClient(odbcDriver, odbc::Dbms::Sqlite)},
                                         {"sqlite3, the statement", sqliteShell},
                                         {"sqlite3, the plain like", "sqlite3 " + db + " \"" + plainStatement + "\""},
                                         {"isql", Isql(odbcDriver, sqliteStatement, std::string(dir) + "/sqlite.sql")}};
  if (SameRows(sqliteSides[0].command, sqliteSides[1].command, sqliteShell, "SQLite")) {
    Compare("SQLite", trials, sqliteSides, instructions, dir);
  }

  PostgresServer& server = PostgresServer::Shared();
  if (!server.failure().empty()) {
    std::printf("PostgreSQL: no server: %s\n", server.failure().c_str());
  } else if (!server.Run("create database bench", "postgres") ||
             !Shell(server.Psql("bench") + " -f " + schema +
                    " -c \""
                    "INSERT INTO Kcard_ticket_BaseInfo SELECT 'T' || lpad(i::text, 6, '0'), "
                    "(i % 10 = 9)::int FROM generate_series(0, 199999) i; "
                    "INSERT INTO Kcard_BaseInfo SELECT dticket_no, dticket_no || k, 'H' || k FROM "
                    "Kcard_ticket_BaseInfo, (VALUES ('-A'), ('-B')) v(k); ANALYZE;\" >/dev/null")) {
    std::printf("PostgreSQL: the tickets could not be loaded\n");
  } else {
    const std::string postgres = server.ConnectionString("bench");
    const std::string odbc = postgres.substr(std::string("Provider=MSDASQL;").size());
    const std::string psql = server.Psql("bench") + " -At -c \"" + postgresStatement + "\"";
    const std::vector<Side> sides = {{"brimlock-card lookup", Program(postgres)},
                                     {"psql", psql},
                                     {"best ODBC client", BestClient(odbc, odbc::Dbms::PostgreSql)},
                                     {"isql", Isql(odbc, postgresStatement, std::string(dir) + "/postgres.sql")}};
    if (SameRows(sides[0].command, sides[2].command, psql, "PostgreSQL")) {
      Compare("PostgreSQL", trials, sides, instructions, dir);
    }
  }
  std::filesystem::remove_all(dir);
  return 0;
}
