// The connection and the result set against an SQLite file, through the real driver
// manager and the SQLite3 ODBC driver.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "data/data_objects.h"
#include "data/timed_out.h"
#include "data/ticket_match_cases.h"
#include "platform/data/ado.h"

namespace {

// Another process holding an SQLite file under an exclusive lock: a sqlite3 shell inside
// BEGIN EXCLUSIVE, until released.
class ExclusiveLock {
 public:
  explicit ExclusiveLock(const std::string& db) {
    int in[2], out[2];
    // Close-on-exec: the shell's stdin must end when ours closes, not live on in a child.
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    m_pid = fork();
    if (m_pid == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      execlp("sqlite3", "sqlite3", db.c_str(), nullptr);
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    m_input = in[1];
    const char kHold[] = "begin exclusive;\nselect 'held';\n";
    // The shell answers once it holds the lock.
    char answer[8] = {};
    m_held = write(m_input, kHold, sizeof kHold - 1) > 0 && read(out[0], answer, 4) == 4 &&
             std::string(answer) == "held";
    close(out[0]);
  }
  ~ExclusiveLock() { Release(); }
  bool held() const { return m_held; }
  // The shell ends at the end of its input, and the lock with it.
  void Release() {
    if (m_input < 0) return;
    close(m_input);
    m_input = -1;
    waitpid(m_pid, nullptr, 0);
  }

 private:
  pid_t m_pid = -1;
  int m_input = -1;
  bool m_held = false;
};

class SqliteLookup : public DataObjects {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brimlock-data-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
    m_db = m_dir + "/tickets.db";
    ASSERT_EQ(std::system((std::string(BRIMLOCK_MAKE_SQLITE_DB) + " " + m_db).c_str()), 0);
    DataObjects::SetUp();
  }
  void TearDown() override {
    DataObjects::TearDown();
    std::filesystem::remove_all(m_dir);
  }

  std::string ConnectionString() const { return "Provider=MSDASQL;DRIVER=SQLite3;Database=" + m_db + ";"; }
  void Connect() { m_connection->Open(ConnectionString().c_str(), "", "", adConnectUnspecified); }
  void Lookup(const char* ticket) {
    std::string pattern = std::string("%") + ticket;
    m_recordset->Open(kOrderedTicketStatement, m_connection, adOpenStatic, adLockOptimistic, adCmdText,
                      pattern.c_str());
  }
  void Run(const char* statement) {
    m_recordset->Open(statement, m_connection, adOpenStatic, adLockOptimistic, adCmdText);
  }
  // Runs a statement with the sqlite3 program, outside the layer under test.
  void Sql(const std::string& statement) {
    ASSERT_EQ(std::system(("sqlite3 " + m_db + " \"" + statement + "\"").c_str()), 0);
  }
  std::string Text(const char* column) {
    _variant_t value = m_recordset->GetCollect(column);
    if (value.vt == VT_NULL) return "<NULL>";
    return static_cast<const char*>(static_cast<_bstr_t>(value));
  }
  int CountRows() {
    int rows = 0;
    for (; !m_recordset->GetadoEOF(); m_recordset->MoveNext()) ++rows;
    return rows;
  }

  std::string m_dir, m_db;
};

TEST_F(SqliteLookup, ConnectionOpensOnceAndClosesOnce) {
  EXPECT_EQ(m_connection->GetState(), adStateClosed);
  Connect();
  EXPECT_EQ(m_connection->GetState(), adStateOpen);
  EXPECT_EQ(CodeOf([&] { Connect(); }), adErrObjectOpen);
  EXPECT_EQ(m_connection->GetState(), adStateOpen);
  m_connection->Close();
  EXPECT_EQ(m_connection->GetState(), adStateClosed);
  EXPECT_EQ(CodeOf([&] { m_connection->Close(); }), adErrObjectClosed);
  Connect();  // a closed connection opens again
  EXPECT_EQ(m_connection->GetState(), adStateOpen);
}

TEST_F(SqliteLookup, ADatabaseUnderAChineseFolderNameOpens) {
  // The folder is named in UTF-8 on disk; the program names it in code page 936.
  const char8_t* folder = u8"/票务";
  std::string onDisk = m_dir + reinterpret_cast<const char*>(folder);
  std::filesystem::create_directory(onDisk);
  ASSERT_EQ(std::system((std::string(BRIMLOCK_MAKE_SQLITE_DB) + " '" + onDisk + "/tickets.db'").c_str()), 0);
  std::string cs = "Provider=MSDASQL;DRIVER=SQLite3;Database=" + m_dir + "/票务/tickets.db;NoCreat=1;";
  m_connection->Open(cs.c_str(), "", "", adConnectUnspecified);
  EXPECT_EQ(m_connection->GetState(), adStateOpen);
  Lookup("123");
  EXPECT_EQ(CountRows(), 3);
}

TEST_F(SqliteLookup, FailedConnectionStaysClosedAndCanBeRetried) {
  std::string missing = "Provider=MSDASQL;DRIVER=SQLite3;Database=" + m_dir + "/no/such/dir.db;";
  try {
    m_connection->Open(missing.c_str(), "", "", 0);
    FAIL() << "opened a database in a missing directory";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_FAIL);
    ASSERT_NE(e.ErrorInfo(), nullptr);
    EXPECT_FALSE(e.ErrorInfo()->description.empty());
  }
  EXPECT_EQ(m_connection->GetState(), adStateClosed);
  // The driver would create a missing file unless told not to.
  std::string absent = "Provider=MSDASQL;DRIVER=SQLite3;Database=" + m_dir + "/absent.db;NoCreat=1;";
  EXPECT_EQ(CodeOf([&] { m_connection->Open(absent.c_str(), "", "", 0); }), E_FAIL);
  EXPECT_FALSE(std::filesystem::exists(m_dir + "/absent.db"));
  EXPECT_EQ(CodeOf([&] { m_connection->Open("DRIVER={No Such Driver};", "", "", 0); }), E_FAIL);
  EXPECT_EQ(m_connection->GetState(), adStateClosed);
  Connect();
  EXPECT_EQ(m_connection->GetState(), adStateOpen);
}

TEST_F(SqliteLookup, RecordsetNeedsAnOpenConnectionAndClosesOnce) {
  EXPECT_EQ(m_recordset->GetState(), adStateClosed);
  EXPECT_EQ(CodeOf([&] { Lookup("123"); }), adErrInvalidConnection);
  EXPECT_EQ(CodeOf([&] {
              m_recordset->Open(kOrderedTicketStatement, _variant_t(), adOpenStatic, adLockOptimistic, adCmdText, "%1");
            }),
            adErrInvalidConnection);
  EXPECT_EQ(CodeOf([&] { m_recordset->GetadoEOF(); }), adErrObjectClosed);
  EXPECT_EQ(CodeOf([&] { m_recordset->Close(); }), adErrObjectClosed);

  Connect();
  Lookup("123");
  EXPECT_EQ(m_recordset->GetState(), adStateOpen);
  EXPECT_EQ(CodeOf([&] { Lookup("123"); }), adErrObjectOpen);
  m_recordset->Close();
  EXPECT_EQ(m_recordset->GetState(), adStateClosed);
  EXPECT_EQ(CodeOf([&] { m_recordset->Close(); }), adErrObjectClosed);
  EXPECT_EQ(CodeOf([&] { m_recordset->GetCollect("dcard"); }), adErrObjectClosed);
}

TEST_F(SqliteLookup, SnapshotWalksForwardAndBackOverItsEnds) {
  Connect();
  Lookup("1234");
  EXPECT_FALSE(m_recordset->GetBOF());
  EXPECT_FALSE(m_recordset->GetadoEOF());
  EXPECT_EQ(Text("dcard"), "10000004");
  m_recordset->MoveNext();
  m_recordset->MoveNext();
  EXPECT_EQ(Text("dcard"), "10000006");
  m_recordset->MoveNext();
  EXPECT_TRUE(m_recordset->GetadoEOF());
  EXPECT_FALSE(m_recordset->GetBOF());
  EXPECT_EQ(CodeOf([&] { m_recordset->GetCollect("dcard"); }), adErrNoCurrentRecord);
  EXPECT_EQ(CodeOf([&] { m_recordset->MoveNext(); }), adErrNoCurrentRecord);
  EXPECT_TRUE(m_recordset->GetadoEOF());

  m_recordset->MovePrevious();  // from past-the-end to the last row
  EXPECT_FALSE(m_recordset->GetadoEOF());
  EXPECT_EQ(Text("dcard"), "10000006");
  m_recordset->MovePrevious();
  m_recordset->MovePrevious();
  EXPECT_EQ(Text("dcard"), "10000004");
  m_recordset->MovePrevious();
  EXPECT_TRUE(m_recordset->GetBOF());
  EXPECT_FALSE(m_recordset->GetadoEOF());
  EXPECT_EQ(CodeOf([&] { m_recordset->GetCollect("dcard"); }), adErrNoCurrentRecord);
  EXPECT_EQ(CodeOf([&] { m_recordset->MovePrevious(); }), adErrNoCurrentRecord);
  m_recordset->MoveNext();  // from before-the-first to the first row
  EXPECT_EQ(Text("dcard"), "10000004");
  while (!m_recordset->GetadoEOF()) m_recordset->MoveNext();
  m_recordset->MoveFirst();  // from past-the-end, for a second reading
  EXPECT_EQ(Text("dcard"), "10000004");
}

TEST_F(SqliteLookup, EmptyResultIsAtBothEnds) {
  Connect();
  Lookup("no such ticket");
  EXPECT_TRUE(m_recordset->GetadoEOF());
  EXPECT_TRUE(m_recordset->GetBOF());
  EXPECT_EQ(CodeOf([&] { m_recordset->MoveNext(); }), adErrNoCurrentRecord);
  EXPECT_EQ(CodeOf([&] { m_recordset->MovePrevious(); }), adErrNoCurrentRecord);
  EXPECT_EQ(CodeOf([&] { m_recordset->GetCollect("dcard"); }), adErrNoCurrentRecord);
  EXPECT_EQ(CodeOf([&] { m_recordset->MoveFirst(); }), adErrNoCurrentRecord);
}

TEST_F(SqliteLookup, ASnapshotKeepsItsRowsWhenTheTableChanges) {
  Connect();
  Lookup("1234");
  Sql("delete from Kcard_BaseInfo");
  EXPECT_EQ(CountRows(), 3);
}

TEST_F(SqliteLookup, ValuesByNameAsText) {
  Connect();
  Lookup("9001");
  EXPECT_EQ(Text("dcard"), "10000008");
  EXPECT_EQ(m_recordset->GetCollect("dcard_sbh").vt, VT_NULL);
  EXPECT_EQ(Text("DCARD"), "10000008");  // names in any case, as the platform's
  EXPECT_EQ(CodeOf([&] { m_recordset->GetCollect("b.dcard"); }), adErrItemNotFound);
  EXPECT_EQ(CodeOf([&] { m_recordset->GetCollect("dticket_no"); }), adErrItemNotFound);
  // By place, from 0, as found by name.
  EXPECT_EQ(m_recordset->GetOrdinal("DCARD_SBH"), 1);
  EXPECT_EQ(std::string(static_cast<_bstr_t>(m_recordset->GetCollect(0L))), "10000008");
  EXPECT_EQ(m_recordset->GetCollect(1L).vt, VT_NULL);
  for (long outside : {-1L, 2L}) EXPECT_EQ(CodeOf([&] { m_recordset->GetCollect(outside); }), adErrItemNotFound);
  // ASCII as it is kept; nothing for a NULL, which GetCollect tells.
  EXPECT_EQ(m_recordset->GetAscii(0L), std::optional<std::string_view>("10000008"));
  EXPECT_EQ(m_recordset->GetAscii(1L), std::nullopt);
  EXPECT_EQ(CodeOf([&] { m_recordset->GetOrdinal("dticket_no"); }), adErrItemNotFound);
  m_recordset->Close();

  Run("select dstate_run, dticket_no from Kcard_ticket_BaseInfo where dticket_no = 'B0123'");
  EXPECT_EQ(Text("dstate_run"), "1");
  m_recordset->Close();

  // Chinese text comes back as code page 936 bytes, and a long value arrives whole (one
  // longer than a block of the table's memory too).
  Lookup("A0123");
  m_recordset->MoveNext();
  EXPECT_EQ(Text("dcard_sbh"), "贵宾卡0003");
  EXPECT_EQ(m_recordset->GetAscii(1L), std::nullopt);
  m_recordset->Close();
  Sql("update Kcard_BaseInfo set dcard_sbh = replace(hex(zeroblob(40000)), '0', 'x') where dcard = '10000001'");
  Lookup("123");
  EXPECT_EQ(Text("dcard_sbh"), std::string(80000, 'x'));
  m_recordset->Close();

  // Text that is not UTF-8 reads as the driver's wide form gives it (without the bad
  // byte), though its narrow form is read wherever it is UTF-8.
  Run("select cast(x'41ff42e4b8ad' as text) as bad, '1' || char(0x4e2d) as good");
  EXPECT_EQ(Text("bad"), "AB中");
  EXPECT_EQ(Text("good"), "1中");
  m_recordset->Close();

  // Empty text is not NULL.
  Run("select '' as empty, null as missing");
  EXPECT_EQ(Text("empty"), "");
  EXPECT_EQ(Text("missing"), "<NULL>");
  m_recordset->Close();

  // A column is printable ASCII only where every value is: none NULL, empty, or holding a
  // control byte or another character; a long one read again counts as well.
  for (const std::string value : {"char(127)", "'a' || char(9)", "''", "null", "char(0x4e2d)", "' ~'"}) {
    Run(("select replace(hex(zeroblob(3000)), '0', '~') as long, 'ok' as fine union all select " + value + ", 'ok'")
            .c_str());
    EXPECT_EQ(m_recordset->AllPrintableAscii(0L), value == "' ~'") << value;
    EXPECT_TRUE(m_recordset->AllPrintableAscii(1L));
    m_recordset->Close();
  }
  EXPECT_EQ(CodeOf([&] { m_recordset->AllPrintableAscii(0L); }), adErrObjectClosed);
}

// Values longer than the fetch's buffers arrive whole, Chinese text included, wherever
// they fall in the blocks of rows a fetch brings (this driver cannot read a row of a block
// again); NULLs and short values beside them too. Two rows each longer than a block of the
// kept result end it; the rows read the same walked back from the end.
TEST_F(SqliteLookup, LongValuesArriveWholeInEveryBlock) {
  Connect();
  // The Chinese text comes from the table (one hidden code holds some).
  Run("select * from (with recursive i(n) as (select 1 union all select n + 1 from i where n < 40) "
      "select n % 3 as kind, b.dcard, b.dcard_sbh, case n % 3 when 0 then replace(hex(zeroblob(400)), '00', "
      "b.dcard || coalesce(b.dcard_sbh, '')) when 1 then b.dcard end as copies "
      "from Kcard_BaseInfo b, i order by n, b.dcard) "
      "union all select 'huge', 'B', null, replace(hex(zeroblob(70000)), '00', 'B') "
      "union all select 'huge', 'C', null, replace(hex(zeroblob(70000)), '00', 'C')");
  std::vector<std::string> read;
  for (; !m_recordset->GetadoEOF(); m_recordset->MoveNext()) {
    const std::string kind = Text("kind"), card = Text("dcard"), code = Text("dcard_sbh");
    std::string expected = kind == "2" ? "<NULL>" : card;
    if (kind == "0") {
      expected.clear();
      for (int n = 0; n < 400; ++n) expected += card + (code == "<NULL>" ? "" : code);
    }
    if (kind == "huge") expected.assign(70000, card[0]);
    read.push_back(Text("copies"));
    EXPECT_EQ(read.back(), expected) << read.size();
  }
  EXPECT_GT(read.size(), 300u);  // several blocks
  EXPECT_EQ(read.back(), std::string(70000, 'C'));
  for (size_t row = read.size(); row-- > 0;) {
    m_recordset->MovePrevious();
    EXPECT_EQ(Text("copies"), read[row]) << row;
  }
}

TEST_F(SqliteLookup, BoundTextIsMatchedLiterallyWhateverItHolds) {
  Connect();
  Lookup("'; drop table Kcard_BaseInfo; --");
  EXPECT_TRUE(m_recordset->GetadoEOF());
  m_recordset->Close();
  Run("select count(*) as n from Kcard_BaseInfo");
  EXPECT_EQ(Text("n"), "8");
  m_recordset->Close();

  Sql("insert into Kcard_ticket_BaseInfo values ('X''1 or ''a''=''a', 0)");
  Sql("insert into Kcard_BaseInfo values ('X''1 or ''a''=''a', '10000009', 'H0009')");
  Lookup("'1 or 'a'='a");
  ASSERT_FALSE(m_recordset->GetadoEOF());
  EXPECT_EQ(Text("dcard"), "10000009");
  m_recordset->MoveNext();
  EXPECT_TRUE(m_recordset->GetadoEOF());
  m_recordset->Close();

  // Chinese text is bound as wide text too.
  m_recordset->Open("select dcard from Kcard_BaseInfo where dcard_sbh like ?", m_connection, adOpenStatic,
                    adLockOptimistic, adCmdText, "贵宾%");
  EXPECT_EQ(Text("dcard"), "10000003");
  EXPECT_EQ(CountRows(), 1);
}

// The ticket match as on SQL Server (ticket_match_cases.h), and "%" alone for every card
// of a ticket in use.
TEST_F(SqliteLookup, TicketTextMatchesAsOnSqlServer) {
  const std::string extra = (std::filesystem::path(__FILE__).parent_path() / "ticket_match_extra.sql").string();
  ASSERT_EQ(std::system(("sqlite3 " + m_db + " < " + extra).c_str()), 0);
  Connect();
  for (const TicketMatchCase& c : kTicketMatchCases) {
    Lookup(c.ticket);
    std::vector<std::string> cards;
    for (; !m_recordset->GetadoEOF(); m_recordset->MoveNext()) cards.push_back(Text("dcard") + "|" + Text("dcard_sbh"));
    m_recordset->Close();
    std::sort(cards.begin(), cards.end());  // the statement sets no order
    EXPECT_EQ(cards, c.cards) << c.ticket;
  }
  Lookup("%");
  EXPECT_EQ(CountRows(), 10);
}

TEST_F(SqliteLookup, RejectedStatementsAreErrorsInTheCommand) {
  Connect();
  for (const char* statement : {"select dcard from Kcard_NoSuchTable", "selec dcard from Kcard_BaseInfo",
                                "select nosuchcolumn from Kcard_BaseInfo"}) {
    try {
      Run(statement);
      ADD_FAILURE() << statement << " ran";
    } catch (const _com_error& e) {
      EXPECT_EQ(e.Error(), DB_E_ERRORSINCOMMAND) << statement;
      EXPECT_STREQ(e.ErrorMessage(), "IDispatch error #3092");
      ASSERT_NE(e.ErrorInfo(), nullptr);
      EXPECT_EQ(e.ErrorInfo()->sqlState, "HY000");
      EXPECT_NE(static_cast<const char*>(e.Description()), std::string());
    }
    EXPECT_EQ(m_recordset->GetState(), adStateClosed);
  }
  EXPECT_EQ(m_connection->GetState(), adStateOpen);  // a bad statement leaves the connection usable
  Lookup("123");
  EXPECT_EQ(CountRows(), 3);
}

// The open waits for the lock no longer than the login timeout and then succeeds; a query
// waits no longer than its own, also on a connection that has read the file before (where
// the driver tries a statement twice), and fails as timed out; the connection stays. The
// timeouts keep the program's proportions, the query's twice the login's.
TEST_F(SqliteLookup, LockedFileEndsOpenAndQueryAtTheirTimeouts) {
  m_connection->PutConnectionTimeout(2);
  m_connection->PutCommandTimeout(4);
  {
    ExclusiveLock lock(m_db);
    ASSERT_TRUE(lock.held());
    Stopwatch open;
    Connect();
    EXPECT_LT(open.Seconds(), 3.5);
    ExpectEndedByTimeout([&] { Lookup("123"); }, "read a file under another's exclusive lock", 1.5, 5.5);
    EXPECT_EQ(m_connection->GetState(), adStateOpen);
  }
  Lookup("123");
  EXPECT_EQ(CountRows(), 3);
  m_recordset->Close();

  ExclusiveLock again(m_db);
  ASSERT_TRUE(again.held());
  // Twice the timeout before; the margin is for a loaded machine, where the engine's waits,
  // counted in its own sleeps, run long.
  ExpectEndedByTimeout([&] { Lookup("123"); }, "read a file it knows under another's exclusive lock", 3.0, 7.5);
  again.Release();
  Lookup("123");
  EXPECT_EQ(CountRows(), 3);
}

// The driver reads no braces: a braced file name reaches it without them.
TEST_F(SqliteLookup, BracedFileNameOpensThatFile) {
  m_connection->Open(("Provider=MSDASQL;DRIVER=SQLite3;Database={" + m_db + "};NoCreat=1;").c_str(), "", "",
                     adConnectUnspecified);
  Lookup("123");
  EXPECT_EQ(CountRows(), 3);
}

TEST_F(SqliteLookup, OnlyTheSnapshotShapeIsOffered) {
  Connect();
  EXPECT_EQ(CodeOf([&] {
              m_recordset->Open(kOrderedTicketStatement, m_connection, static_cast<CursorTypeEnum>(0), adLockOptimistic,
                                adCmdText, "%1");
            }),
            adErrInvalidArgument);
  EXPECT_EQ(m_recordset->GetState(), adStateClosed);
}

}  // namespace
