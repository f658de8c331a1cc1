// The ticket lookup on PostgreSQL as the ticket table grows, with and without the optional
// trigram index (sql/postgresql-index.sql), at 1, 10 and 50 desks that press Query at the
// same moment. A desk is a process of its own that stays connected, as the program does;
// its lookup goes the program's way (ODBC, the statement with the pattern bound, every
// value read). Beside it, in the same run, as many psql desks, each one psql connected
// once, run the statement exactly as the program sends it (the pattern as a literal) and
// print every row to their desk. Ours and psql take turns round by round. The patterns are
// 4-digit suffixes.
//
// The sizes come from BRIMLOCK_BENCH_TICKETS (default "200000 2000000"); 10 million tickets
// take about 10 minutes more: BRIMLOCK_BENCH_TICKETS="200000 2000000 10000000".
#include <fcntl.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "data/postgres_server.h"
#include "program_lookup.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr char kDatabase[] = "scale";

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// What a desk types: the last 4 digits of some ticket, the same for ours and for psql.
std::string Pattern(int desk, int round) {
  unsigned n = static_cast<unsigned>(desk * 7919 + round * 104729 + 12345) * 2654435761u;
  char text[8];
  std::snprintf(text, sizeof text, "%%%04u", (n >> 8) % 10000);
  return text;
}

std::string User() {
  const passwd* user = getpwuid(getuid());
  return user != nullptr ? user->pw_name : "";
}

struct Lookup {
  double ms;
  bool failed;
};

// One side's desks: processes of their own, each keeping its link to the server, that make
// one lookup each whenever a round begins, all at the same moment. The pipes close on exec,
// so that no psql holds another desk's open.
class Desks {
 public:
  // Runs in a desk's process: makes the link and gives what looks a pattern up on it.
  using Session = std::function<std::function<bool(const std::string&)>()>;

  Desks(int count, const Session& session) {
    if (pipe2(m_results, O_CLOEXEC) != 0) std::exit(1);
    for (int desk = 0; desk < count; ++desk) {
      int go[2];
      if (pipe2(go, O_CLOEXEC) != 0) std::exit(1);
      pid_t child = fork();
      if (child == 0) {
        close(go[1]);
        close(m_results[0]);
        for (int other : m_go) close(other);
        Serve(desk, go[0], session);
      }
      close(go[0]);
      m_go.push_back(go[1]);
      m_children.push_back(child);
    }
    close(m_results[1]);
  }
  ~Desks() {
    for (int go : m_go) close(go);  // a desk ends at the end of its pipe
    close(m_results[0]);
    for (pid_t child : m_children) {
      waitpid(child, nullptr, 0);
      // psqlODBC's communication log, which Debian's driver entry turns on: a file a desk.
      std::remove(("/tmp/psqlodbc_bench_lookup_scale_" + User() + std::to_string(child) + ".log").c_str());
    }
  }
  Desks(const Desks&) = delete;
  Desks& operator=(const Desks&) = delete;

  // Every desk's lookup of one round.
  std::vector<Lookup> Round() {
    for (int go : m_go) (void)!write(go, "", 1);
    std::vector<Lookup> lookups(m_go.size());
    for (Lookup& lookup : lookups) {
      if (read(m_results[0], &lookup, sizeof lookup) != sizeof lookup) std::exit(1);
    }
    return lookups;
  }

 private:
  [[noreturn]] void Serve(int desk, int go, const Session& session) {
    std::function<bool(const std::string&)> lookup = session();
    char start;
    for (int round = 0; read(go, &start, 1) == 1; ++round) {
      Clock::time_point began = Clock::now();
      bool ok = lookup(Pattern(desk, round));
      Lookup result{SecondsSince(began) * 1e3, !ok};
      (void)!write(m_results[1], &result, sizeof result);  // under PIPE_BUF: written whole
    }
    lookup = nullptr;  // the link closed
    _exit(0);          // leaves the server and the parent's state alone
  }

  std::vector<int> m_go;
  int m_results[2];
  std::vector<pid_t> m_children;
};

// The program's way; the link opened before the first round.
std::function<bool(const std::string&)> ProgramDesk(const std::string& connectionString) {
  CoInitialize(nullptr);
  auto connection = std::make_shared<_ConnectionPtr>();
  connection->CreateInstance(CLSID_Connection);
  // A login that fails under load counts as the desk's failed lookups, not as its end.
  bool open = true;
  try {
    (*connection)->Open(connectionString.c_str(), "", "", adConnectUnspecified);
  } catch (const _com_error&) {
    open = false;
  }
  return [connection, connectionString, open](const std::string& pattern) {
    if (!open) return false;
    try {
      ProgramLookup(*connection, connectionString, pattern.c_str());
      return true;
    } catch (const _com_error&) {
      return false;
    }
  };
}

// One psql, connected once, reading statement after statement; the desk reads every row.
std::function<bool(const std::string&)> PsqlDesk(const std::string& psql) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) std::exit(1);
  const std::string command = psql + " -At";
  if (fork() == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
    execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  std::shared_ptr<FILE> to(fdopen(in[1], "w"), std::fclose), from(fdopen(out[0], "r"), std::fclose);
  return [to, from](const std::string& pattern) {
    const std::string statement = SentStatement(odbc::Dbms::PostgreSql, pattern);
    std::fprintf(to.get(), "%s;\n\\echo --end--\n", statement.c_str());
    std::fflush(to.get());
    char line[512];
    while (std::fgets(line, sizeof line, from.get()) != nullptr) {
      if (std::strcmp(line, "--end--\n") == 0) return true;
    }
    return false;  // psql ended: the statement failed
  };
}

struct Figures {
  double median = 0, p95 = 0;
  int failed = 0;
};

Figures Summary(std::vector<Lookup> lookups) {
  std::sort(lookups.begin(), lookups.end(), [](const Lookup& a, const Lookup& b) { return a.ms < b.ms; });
  Figures figures;
  for (const Lookup& lookup : lookups) figures.failed += lookup.failed;
  figures.median = lookups[lookups.size() / 2].ms;
  figures.p95 = lookups[static_cast<size_t>(std::ceil(0.95 * lookups.size())) - 1].ms;
  return figures;
}

class Scale {
 public:
  explicit Scale(PostgresServer& server) : m_server(server) {}

  // The program's tables, unlogged (a throwaway cluster); their card index is made again
  // after each load, which is quicker than keeping it up to date.
  bool Create() {
    // clang-format off
    return m_server.Run(std::string("create database ") + kDatabase, "postgres") &&
           Shell(m_server.Psql(kDatabase) + " -f " + BENCH_SQL_DIR "/schema.sql -c '"
                 "alter table Kcard_ticket_BaseInfo set unlogged; alter table Kcard_BaseInfo set unlogged'");
    // clang-format on
  }

  // Tickets up to `tickets`: 12-digit numbers in no order (a permutation of the counter), a
  // tenth of them out of service, two cards each. Tickets and cards load side by side.
  bool GrowTo(long tickets) {
    const std::string range = "generate_series(" + std::to_string(m_tickets + 1) + "::bigint, " +
                              std::to_string(tickets) + ") i";
    const std::string number = "lpad(((i * 982451653) % 1000000000000)::text, 12, '0')";
    const std::string psql = m_server.Psql(kDatabase);
    const std::string ticketRows = "insert into Kcard_ticket_BaseInfo select " + number +
                                   ", (abs(hashint8(i)) % 10 = 0)::int from " + range;
    const std::string cards = "insert into Kcard_BaseInfo select " + number +
                              ", k || lpad(i::text, 9, '0'), 'H' || k || lpad(i::text, 8, '0') from " + range +
                              ", (values ('1'), ('2')) v(k)";
    bool ok = Shell(psql + " -c 'drop index Kcard_BaseInfo_ticket'") &&
              Shell(psql + " -c \"" + ticketRows + "\" & t=$!; " + psql + " -c \"" + cards +
                    "\"; c=$?; wait $t && [ $c = 0 ]") &&
              Shell(psql + " -c \"set maintenance_work_mem = '1GB'\" -c 'create index Kcard_BaseInfo_ticket "
                           "on Kcard_BaseInfo (dticket_no)' -c analyze");
    m_tickets = tickets;
    return ok;
  }

  // As a database's owner would: the project's own script.
  // clang-format off
  bool AddIndex() {
    return Shell(m_server.Psql(kDatabase) + " -c 'set client_min_messages = warning' -c \"set "
                 "maintenance_work_mem = '1GB'\" -f " BENCH_SQL_DIR
                 "/postgresql-index.sql");
  }
  // The tables and their indexes read into the server's buffers, as on a server that has
  // served lookups for a while; otherwise whichever side went first would read them.
  bool Prewarm() {
    return Shell(m_server.Psql(kDatabase) + " -c 'set client_min_messages = warning' -c 'create extension "
                 "if not exists pg_prewarm' -c \"select pg_prewarm(oid::regclass) from pg_class where relname "
                 "like 'kcard%'\" >/dev/null");
  }
  std::string IndexSize() const {
    std::string size;
    if (FILE* out = popen((m_server.Psql(kDatabase) + " -At -c \"select pg_size_pretty(pg_relation_size("
                           "'kcard_ticket_baseinfo_no_trgm'))\"").c_str(), "r")) {
      for (int c; (c = std::fgetc(out)) != EOF && c != '\n';) size += static_cast<char>(c);
      pclose(out);
    }
    return size;
  }
  // clang-format on
  bool DropIndex() { return m_server.Run("drop index kcard_ticket_baseinfo_no_trgm", kDatabase); }

 private:
  PostgresServer& m_server;
  long m_tickets = 0;
};

void Row(long tickets, bool indexed, int desks, size_t lookups, const Figures& ours, const Figures& theirs) {
  std::printf("%9ld  %-5s %5d %7zu   %8.1f %8.1f   %8.1f %8.1f   %5.2f %5.2f", tickets, indexed ? "trgm" : "none",
              desks, lookups, ours.median, ours.p95, theirs.median, theirs.p95, ours.median / theirs.median,
              ours.p95 / theirs.p95);
  if (ours.failed > 0) std::printf("   %d failed (the 30 s timeout)", ours.failed);
  if (theirs.failed > 0) std::printf("   psql: %d failed", theirs.failed);
  std::printf("\n");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const int trials = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  std::vector<long> sizes;
  const char* setting = std::getenv("BRIMLOCK_BENCH_TICKETS");
  std::istringstream list(setting != nullptr ? setting : "200000 2000000");
  for (long n; list >> n;) sizes.push_back(n);
  std::sort(sizes.begin(), sizes.end());

  PostgresServer& server = PostgresServer::Shared();
  if (!server.failure().empty()) {
    std::printf("PostgreSQL: no server: %s\n", server.failure().c_str());
    return 0;
  }
  // Room for the tables in memory, as a server for a large ticket table would have, and
  // for both sides' desks at once.
  if (!server.Run("alter system set shared_buffers = '3GB'", "postgres") ||
      !server.Run("alter system set max_connections = 150", "postgres") || !server.Stop() || !server.Start()) {
    std::printf("PostgreSQL: the server could not be set up\n");
    return 1;
  }
  Scale scale(server);
  if (!scale.Create()) return 1;
  const std::string connection = server.ConnectionString(kDatabase), psql = server.Psql(kDatabase);

  std::printf("Per lookup, ms; ratio = brimlock / psql.\n");
  std::printf("%9s  %-5s %5s %7s   %8s %8s   %8s %8s   %5s %5s\n", "tickets", "index", "desks", "lookups", "ours med",
              "p95", "psql med", "p95", "med", "p95");
  for (long tickets : sizes) {
    Clock::time_point start = Clock::now();
    if (!scale.GrowTo(tickets)) {
      std::printf("%ld tickets could not be loaded\n", tickets);
      return 1;
    }
    const double loaded = SecondsSince(start);
    if (!scale.Prewarm()) return 1;
    for (bool indexed : {false, true}) {
      if (indexed) {
        start = Clock::now();
        if (!scale.AddIndex() || !scale.Prewarm()) return 1;
        std::printf("%9ld  tickets and %ld cards loaded in %.0f s, the index made in %.0f s (%s)\n", tickets,
                    2 * tickets, loaded, SecondsSince(start), scale.IndexSize().c_str());
      }
      for (int desks : {1, 10, 50}) {
        // Whole rounds of every desk at once; the trial count is one desk's, since a round
        // of many desks without the index takes minutes.
        int rounds = desks == 1 ? trials : desks == 10 ? 3 : 2;
        if (!indexed && tickets >= 5000000 && desks > 1) rounds = 1;
        Desks ours(desks, [&] { return ProgramDesk(connection); });
        Desks theirs(desks, [&] { return PsqlDesk(psql); });
        std::vector<Lookup> mine, psqls;
        // Each round's patterns are the same on both sides, so each side goes first in turn.
        for (int round = 0; round < rounds; ++round) {
          for (int side = 0; side < 2; ++side) {
            const bool mineNow = (side == 0) == (round % 2 == 0);
            std::vector<Lookup>& into = mineNow ? mine : psqls;
            for (const Lookup& lookup : (mineNow ? ours : theirs).Round()) into.push_back(lookup);
          }
        }
        Row(tickets, indexed, desks, mine.size(), Summary(mine), Summary(psqls));
      }
    }
    if (!scale.DropIndex()) return 1;
  }
  return 0;
}
