#pragma once
// A throwaway PostgreSQL cluster for the tests: Debian's server binaries, a temporary data
// directory and a free port on loopback, with the lookup's tables in two databases. The
// server refuses to run as root, so under root it runs as the postgres system user.
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/closed_port.h"

class PostgresServer {
 public:
  // Started on first use, stopped when the test program ends.
  static PostgresServer& Shared() {
    static PostgresServer server;
    return server;
  }

  // Empty when the server is up; otherwise what went wrong, with the server's log.
  const std::string& failure() const { return m_failure; }

  // kq7_mavr holds the sample tickets; kq7_char the same with blank-padded char(12) ticket
  // numbers, as older deployments keep them. kq7_trgm and kq7_char_trgm are the two with
  // sql/postgresql-index.sql run on them, and the planner told to use an index wherever one
  // serves, however small the table.
  std::string ConnectionString(const std::string& database = "kq7_mavr") const {
    return "Provider=MSDASQL;DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=" + std::to_string(m_port) +
           ";DATABASE=" + database + ";UID=postgres;";
  }
  // psql that reaches `database`: the server's own, not Debian's wrapper that picks one,
  // whose Perl start would weigh on every timing beside it.
  std::string Psql(const std::string& database = "kq7_mavr") const {
    return "PGCLIENTENCODING=UTF8 " + Bin("psql") + " -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p " +
           std::to_string(m_port) + " -U postgres -d " + database;
  }
  bool Run(const std::string& sql, const std::string& database = "kq7_mavr") const {
    return Shell(Psql(database) + " -c \"" + sql + "\"");
  }

  bool Stop() { return Shell(AsOwner(Bin("pg_ctl") + " -D " + Data() + " -m fast -w stop")); }
  bool Start() {
    return Shell(AsOwner(Bin("pg_ctl") + " -D " + Data() + " -l " + m_dir + "/log -w -o \"-p " +
                         std::to_string(m_port) + " -k " + m_dir +
                         " -c listen_addresses=127.0.0.1 -c fsync=off\" start"));
  }
  // Every process of the server stops where it is, as on a machine that hangs, until Resume.
  void Freeze() { Signal(SIGSTOP); }
  void Resume() { Signal(SIGCONT); }

 private:
  PostgresServer() {
    char pattern[] = "/tmp/brimlock-pg-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
      m_failure = "no temporary directory";
      return;
    }
    m_dir = pattern;
    m_port = ClosedPort().port();
    if (getuid() == 0 && !Shell("chown postgres " + m_dir)) m_failure = "no postgres user";
    else if (!Shell(AsOwner(Bin("initdb") + " -D " + Data() +
                            " -A trust -U postgres -E UTF8 --locale=C.UTF-8 --no-sync >/dev/null")))
      m_failure = "initdb failed";
    else if (!Start()) m_failure = "the server did not start";
    else if (!Fill("kq7_mavr", "varchar(32)") || !Fill("kq7_char", "char(12)") ||
             !Fill("kq7_trgm", "varchar(32)", true) || !Fill("kq7_char_trgm", "char(12)", true))
      m_failure = "the sample databases could not be made";
    if (!m_failure.empty()) {
      std::ifstream log(m_dir + "/log");
      m_failure += ": " + std::string(std::istreambuf_iterator<char>(log), {});
    }
  }
  ~PostgresServer() {
    if (m_dir.empty()) return;
    Resume();
    Stop();
    std::filesystem::remove_all(m_dir);
  }

  static std::string Bin(const std::string& program) { return "/usr/lib/postgresql/15/bin/" + program; }
  static bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }
  // From "/", which the postgres user may enter whatever the tests' own directory.
  static std::string AsOwner(const std::string& command) {
    return getuid() == 0 ? "cd / && runuser -u postgres -- " + command : command;
  }
  std::string Data() const { return m_dir + "/data"; }

  // The sample tickets, and those the match cases add (ticket_match_extra.sql).
  bool Fill(const std::string& database, const std::string& ticketType, bool indexed = false) {
    const std::filesystem::path here = std::filesystem::path(__FILE__).parent_path();
    const std::filesystem::path sql = here.parent_path().parent_path() / "sql";
    const std::string extra = (here / "ticket_match_extra.sql").string();
    return Run("create database " + database, "postgres") &&
           Shell("sed 's/dticket_no varchar(32)/dticket_no " + ticketType + "/' " + (sql / "schema.sql").string() +
                 " | cat - " + (sql / "sample.sql").string() + " " + extra + " | " + Psql(database) + " >/dev/null") &&
           (!indexed || (Shell(Psql(database) + " -f " + (sql / "postgresql-index.sql").string()) &&
                         Run("alter database " + database + " set enable_seqscan = off", "postgres")));
  }

  void Signal(int signal) {
    std::ifstream pidFile(Data() + "/postmaster.pid");
    pid_t postmaster = 0;
    if (!(pidFile >> postmaster) || postmaster <= 0) return;
    kill(postmaster, signal);
    // Its children: every process whose parent it is.
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      std::ifstream stat(entry.path() / "stat");
      std::string line;
      if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
      // "pid (name) state parent ...": the name may hold blanks, so read after its ')'.
      std::istringstream rest(line.substr(line.rfind(')') + 1));
      char state = 0;
      pid_t parent = 0;
      if (rest >> state >> parent && parent == postmaster) kill(std::stoi(line), signal);
    }
  }

  std::string m_dir;
  int m_port = 0;
  std::string m_failure;
};
