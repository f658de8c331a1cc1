// The ticket lookup end to end: the real dialog's handlers against SQLite files through the
// driver manager and the SQLite3 ODBC driver and against a PostgreSQL server of the tests'
// own through psqlODBC, a SQL Server login that cannot be made, and the card operations
// that take the lookup's state into account, over a virtual encoder.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "data/postgres_server.h"
#include "encoder-sim/VirtualEncoder.h"
#include "harness.h"
#include "lookup/ticket_query.h"
#include "support/closed_port.h"
#include "support/stopwatch.h"

namespace {

using encoder_sim::FrameKind;
using encoder_sim::Millis;

const std::filesystem::path kSqlDir = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "sql";

// Runs a shell command and gives what it printed; the tests' own view of a database,
// taken outside the program's data layer.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << command;
  }
  return out;
}

// An SQLite file with the lookup's tables, filled with `rows` (statements in ASCII).
void MakeDatabase(const std::string& path, const std::string& rows) {
  std::string sql = "BEGIN;" + Output("cat " + (kSqlDir / "schema.sql").string()) + rows + "COMMIT;";
  FILE* pipe = popen(("sqlite3 -bail " + path).c_str(), "w");
  ASSERT_NE(pipe, nullptr);
  fputs(sql.c_str(), pipe);
  ASSERT_EQ(pclose(pipe), 0);
}

std::string SqliteConnection(const std::string& path) {
  return "Provider=MSDASQL;DRIVER=SQLite3;Database=" + path + ";NoCreat=1;";
}

// The apartment and the connection object as start-up leaves them, torn down as shutdown
// does; it outlives the dialog, whose recordset is created inside it.
struct Apartment {
  Apartment() {
    CoInitialize(nullptr);
    theApp.m_pConnection.CreateInstance(CLSID_Connection);
  }
  ~Apartment() {
    if (theApp.m_pConnection != nullptr && theApp.m_pConnection->GetState() != adStateClosed) {
      theApp.m_pConnection->Close();
    }
    theApp.m_pConnection = nullptr;
    CoUninitialize();
  }
};

using Row = std::pair<std::string, std::string>;  // card number, hidden code

class Lookup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(theApp.m_pConnection, nullptr);
    ASSERT_NE(dlg.m_pRecordset, nullptr);
    char pattern[] = "/tmp/brimlock-lookup-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    sample = dir + "/tickets.db";
    ASSERT_EQ(std::system(((kSqlDir / "make-sqlite-db").string() + " " + sample).c_str()), 0);
    UseDatabase(SqliteConnection(sample));
    setenv("BRIMLOCK_COM1", encoder.slavePath().c_str(), 1);
  }
  void TearDown() override {
    unsetenv("BRIMLOCK_COM1");
    unsetenv("BRIMLOCK_CONNECTION");
    if (!dir.empty()) std::filesystem::remove_all(dir);
  }

  static void UseDatabase(const std::string& connection) { setenv("BRIMLOCK_CONNECTION", connection.c_str(), 1); }

  void Query(const char* ticket) {
    dlg.m_checkUseLookup.SetCheck(BST_CHECKED);
    dlg.m_editTicket.SetWindowText(ticket);
    dlg.OnBnClickedQueryButton();
  }
  Row Shown() const { return {TextOf(dlg.m_editCardNo), TextOf(dlg.m_editHiddenCode)}; }
  bool PrevOn() const { return dlg.m_btnPrev.IsWindowEnabled(); }
  bool NextOn() const { return dlg.m_btnNext.IsWindowEnabled(); }
  long ConnectionState() const { return theApp.m_pConnection->GetState(); }
  long RecordsetState() const { return dlg.m_pRecordset->GetState(); }

  // The rows from the one on show to the last, stepping with ">>" while it is enabled.
  std::map<std::string, std::string> WalkToLast() {
    std::map<std::string, std::string> rows;
    for (;;) {
      rows.insert(Shown());
      if (!NextOn()) return rows;
      dlg.OnBnClickedNextButton();
    }
  }

  // The frames the encoder got after the first `seen`, once `count` more have come.
  std::vector<encoder_sim::ReceivedFrame> FramesAfter(size_t seen, size_t count) {
    EXPECT_TRUE(encoder.waitForFrames(seen + count, Millis(2000)));
    std::vector<encoder_sim::ReceivedFrame> all = encoder.frames();
    return {all.begin() + static_cast<long>(std::min(seen, all.size())), all.end()};
  }

  std::string dir, sample;
  encoder_sim::VirtualEncoder encoder{{.cardData = "CARD0001"}};
  Apartment com;
  MessageBoxes boxes;
  TestDlg dlg;
};

TEST_F(Lookup, TextMatchesTheEndOfTicketNumbersInService) {
  RunModal(dlg, [&] {
    // 123 and A0123 end in 123; 1234 does not, and B0123 is out of use.
    Query("123");
    EXPECT_EQ(WalkToLast(), (std::map<std::string, std::string>{
                                {"10000001", "H0001"}, {"10000002", "H0002"}, {"10000003", "贵宾卡0003"}}));
    Query("0123");
    EXPECT_EQ(WalkToLast().size(), 2u);
    EXPECT_TRUE(boxes.shown.empty());
  });
}

TEST_F(Lookup, UnderscoreAndPercentKeepTheirPatternMeaning) {
  std::string db = dir + "/patterns.db";
  MakeDatabase(db, "INSERT INTO Kcard_ticket_BaseInfo VALUES ('13',0),('1x3',0),('1xy3',0),('2x3',0);"
                   "INSERT INTO Kcard_BaseInfo VALUES ('13','C13','h'),('1x3','C1x3','h'),"
                   "('1xy3','C1xy3','h'),('2x3','C2x3','h');");
  UseDatabase(SqliteConnection(db));
  RunModal(dlg, [&] {
    Query("1_3");
    EXPECT_EQ(WalkToLast(), (std::map<std::string, std::string>{{"C1x3", "h"}}));
    Query("1%3");
    EXPECT_EQ(WalkToLast(), (std::map<std::string, std::string>{{"C13", "h"}, {"C1x3", "h"}, {"C1xy3", "h"}}));
    EXPECT_TRUE(boxes.shown.empty());
  });
}

TEST_F(Lookup, QuotesAndStatementFragmentsAreLiteralText) {
  std::string db = dir + "/quotes.db";
  MakeDatabase(db, "INSERT INTO Kcard_ticket_BaseInfo VALUES ('O''Brien',0),('123',0);"
                   "INSERT INTO Kcard_BaseInfo VALUES ('O''Brien','Q1','QH'),('123','C1','H1');");
  UseDatabase(SqliteConnection(db));
  std::string before = Output("sqlite3 " + db + " .dump");
  const char* const hostile[] = {
      "' or '1'='1",
      "x'; delete from Kcard_BaseInfo; --",
      "'); drop table Kcard_ticket_BaseInfo; --",
      "3' union select dticket_no, dstate_run from Kcard_ticket_BaseInfo --",
  };
  RunModal(dlg, [&] {
    Query("'Brien");
    EXPECT_EQ(Shown(), Row("Q1", "QH"));
    EXPECT_FALSE(NextOn());
    for (const char* text : hostile) {
      boxes.shown.clear();
      Query(text);
      ASSERT_EQ(boxes.shown.size(), 1u) << text;
      EXPECT_EQ(boxes.shown[0].text, "没有搜索到记录") << text;
      EXPECT_EQ(Shown(), Row("", ""));
    }
  });
  EXPECT_EQ(Output("sqlite3 " + db + " .dump"), before);
}

TEST_F(Lookup, TicketsOutOfServiceNeverMatchAndNoMatchIsToldPlainly) {
  std::string db = dir + "/states.db";
  MakeDatabase(db, "INSERT INTO Kcard_ticket_BaseInfo VALUES ('S0',0),('S1',1),('S2',2),('SM',-1);"
                   "INSERT INTO Kcard_BaseInfo VALUES ('S0','C0','h'),('S1','C1','h'),('S2','C2','h'),"
                   "('SM','CM','h');");
  UseDatabase(SqliteConnection(db));
  RunModal(dlg, [&] {
    Query("S%");
    EXPECT_EQ(WalkToLast(), (std::map<std::string, std::string>{{"C0", "h"}}));
    EXPECT_TRUE(boxes.shown.empty());

    dlg.m_editTrack1.SetWindowText("T1");
    Query("S1");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "没有搜索到记录");
    EXPECT_EQ(boxes.shown[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(boxes.shown[0].title, std::string(AfxGetAppName()));
    EXPECT_EQ(boxes.shown[0].owner, WidgetOf(dlg));
    EXPECT_EQ(Shown(), Row("", ""));
    EXPECT_EQ(TextOf(dlg.m_editTrack1), "");
    EXPECT_FALSE(PrevOn());
    EXPECT_FALSE(NextOn());
  });
}

TEST_F(Lookup, OneMatchWithNoHiddenCodeShowsItsCardAlone) {
  RunModal(dlg, [&] {
    dlg.m_btnPrev.EnableWindow(TRUE);
    dlg.m_btnNext.EnableWindow(TRUE);
    Query("9001");
    EXPECT_EQ(Shown(), Row("10000008", ""));
    EXPECT_FALSE(PrevOn());
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(boxes.shown.empty());
  });
}

TEST_F(Lookup, ArrowsFollowThePositionThroughTwoAndThreeMatches) {
  RunModal(dlg, [&] {
    Query("A0123");
    Row first = Shown();
    EXPECT_FALSE(PrevOn());
    EXPECT_TRUE(NextOn());
    dlg.OnBnClickedNextButton();
    Row second = Shown();
    EXPECT_NE(second, first);
    EXPECT_TRUE(PrevOn());
    EXPECT_FALSE(NextOn());
    dlg.OnBnClickedPrevButton();
    EXPECT_EQ(Shown(), first);
    EXPECT_FALSE(PrevOn());
    EXPECT_TRUE(NextOn());
    EXPECT_EQ((std::map<std::string, std::string>{first, second}),
              (std::map<std::string, std::string>{{"10000002", "H0002"}, {"10000003", "贵宾卡0003"}}));

    Query("1234");
    EXPECT_FALSE(PrevOn());
    EXPECT_TRUE(NextOn());
    dlg.OnBnClickedNextButton();
    Row middle = Shown();
    EXPECT_TRUE(PrevOn());
    EXPECT_TRUE(NextOn());
    dlg.OnBnClickedNextButton();
    EXPECT_TRUE(PrevOn());
    EXPECT_FALSE(NextOn());
    dlg.OnBnClickedPrevButton();
    EXPECT_EQ(Shown(), middle);
    EXPECT_TRUE(PrevOn());
    EXPECT_TRUE(NextOn());
    EXPECT_TRUE(boxes.shown.empty());
  });
  // Closing the window closes the result set with it.
  EXPECT_EQ(RecordsetState(), adStateClosed);
}

TEST_F(Lookup, SecondQueryKeepsTheConnectionAndStartsAtRowOne) {
  RunModal(dlg, [&] {
    Query("A0123");
    dlg.OnBnClickedNextButton();
    EXPECT_EQ(ConnectionState(), adStateOpen);

    // Were the connection opened again, it would fail on this missing file.
    std::string absent = dir + "/absent.db";
    UseDatabase(SqliteConnection(absent));
    Query("1234");
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(Shown().first >= "10000004" && Shown().first <= "10000006") << Shown().first;
    EXPECT_FALSE(PrevOn());
    EXPECT_TRUE(NextOn());
    EXPECT_EQ(WalkToLast().size(), 3u);
    EXPECT_EQ(ConnectionState(), adStateOpen);
    EXPECT_FALSE(std::filesystem::exists(absent));
  });
}

TEST_F(Lookup, ClearBoxOrEmptyTicketStopsAfterClearingWithoutTheDatabase) {
  UseDatabase(SqliteConnection(dir + "/absent.db"));
  auto fillPanel = [&] {
    dlg.m_editCardNo.SetWindowText("C");
    dlg.m_editHiddenCode.SetWindowText("H");
    dlg.m_editTrack1.SetWindowText("T1");
    dlg.m_editTrack2.SetWindowText("T2");
    dlg.m_btnPrev.EnableWindow(TRUE);
    dlg.m_btnNext.EnableWindow(TRUE);
  };
  auto expectCleared = [&] {
    EXPECT_EQ(Shown(), Row("", ""));
    EXPECT_EQ(TextOf(dlg.m_editTrack1), "");
    EXPECT_EQ(TextOf(dlg.m_editTrack2), "");
    EXPECT_FALSE(PrevOn());
    EXPECT_FALSE(NextOn());
  };
  RunModal(dlg, [&] {
    fillPanel();
    dlg.m_editTicket.SetWindowText("123");
    dlg.OnBnClickedQueryButton();  // the box is clear
    expectCleared();

    fillPanel();
    Query("");
    expectCleared();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ConnectionState(), adStateClosed);

    // A blank is text: this one goes to the (missing) database. The box keeps its text;
    // standard error gets the driver's words beside it.
    testing::internal::CaptureStderr();
    Query(" ");
    const std::string noted = testing::internal::GetCapturedStderr();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "数据库连接失败");
    EXPECT_EQ(noted.rfind("brimlock: SQLSTATE ", 0), 0u) << noted;
  });
}

TEST_F(Lookup, ChineseTicketTextFindsItsTicket) {
  std::string db = dir + "/chinese.db";
  MakeDatabase(db, reinterpret_cast<const char*>(
                       u8"INSERT INTO Kcard_ticket_BaseInfo VALUES ('团体票007',0),('散客票007',0);"
                       u8"INSERT INTO Kcard_BaseInfo VALUES ('团体票007','C1','贵宾'),('散客票007','C2','h');"));
  UseDatabase(SqliteConnection(db));
  RunModal(dlg, [&] {
    Query("体票007");
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(WalkToLast(), (std::map<std::string, std::string>{{"C1", "贵宾"}}));
  });
}

// A server finds what the file finds, with varchar and with blank-padded char(n) numbers.
TEST_F(Lookup, ServerLookupShowsAndStepsThroughItsTickets) {
  PostgresServer& server = PostgresServer::Shared();
  ASSERT_EQ(server.failure(), "");
  RunModal(dlg, [&] {
    for (const char* database : {"kq7_mavr", "kq7_char"}) {
      SCOPED_TRACE(database);
      if (ConnectionState() != adStateClosed) theApp.m_pConnection->Close();
      UseDatabase(server.ConnectionString(database));
      Query("123");
      EXPECT_EQ(WalkToLast(), (std::map<std::string, std::string>{
                                  {"10000001", "H0001"}, {"10000002", "H0002"}, {"10000003", "贵宾卡0003"}}));
      Query("1234");
      Row first = Shown();
      EXPECT_FALSE(PrevOn());
      dlg.OnBnClickedNextButton();
      dlg.OnBnClickedNextButton();
      EXPECT_TRUE(PrevOn());
      EXPECT_FALSE(NextOn());
      dlg.OnBnClickedPrevButton();
      dlg.OnBnClickedPrevButton();
      EXPECT_EQ(Shown(), first);
      EXPECT_FALSE(PrevOn());
      Query("9001");
      EXPECT_EQ(Shown(), Row("10000008", ""));
      Query("体票007");
      EXPECT_EQ(Shown(), Row("10000010", "贵宾"));
      EXPECT_TRUE(boxes.shown.empty());
      Query("B0123");
      ASSERT_EQ(boxes.shown.size(), 1u);
      EXPECT_EQ(boxes.shown[0].text, "没有搜索到记录");
      boxes.shown.clear();
    }
  });
}

// A lost link shows its error once; the dead connection is closed, so a query while the
// server is down tries a fresh one, and the first after its return finds the tickets.
TEST_F(Lookup, AServerRestartedBetweenQueriesIsUsedAgain) {
  PostgresServer& server = PostgresServer::Shared();
  ASSERT_EQ(server.failure(), "");
  UseDatabase(server.ConnectionString());
  RunModal(dlg, [&] {
    Query("123");
    EXPECT_EQ(WalkToLast().size(), 3u);
    ASSERT_TRUE(server.Stop());
    Query("123");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Unknown error 0x80004005");
    EXPECT_EQ(ConnectionState(), adStateClosed);
    Query("123");
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "数据库连接失败");
    ASSERT_TRUE(server.Start());
    Query("123");
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(WalkToLast().size(), 3u);
  });
}

// What the operator sets is UTF-8, as file names here are; the program holds code page 936.
TEST(LookupSettings, EnvironmentIsReadAsUtf8) {
  setenv("BRIMLOCK_CONNECTION",
         reinterpret_cast<const char*>(u8"Provider=MSDASQL;DRIVER=SQLite3;Database=/srv/票务/t.db;"), 1);
  EXPECT_EQ(DatabaseConnectionString().bytes(), "Provider=MSDASQL;DRIVER=SQLite3;Database=/srv/票务/t.db;");
  unsetenv("BRIMLOCK_CONNECTION");
  setenv("BRIMLOCK_DB_SERVER", "db7", 1);
  EXPECT_EQ(DatabaseConnectionString().bytes(), "Provider=SQLOLEDB;SERVER=db7;DATABASE=kq7_mavr;UID=sa;PWD=402617;");

  // A login kept in a file is taken only while no one but its owner may read it.
  char path[] = "/tmp/brimlock-login-XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  const char line[] = "Provider=SQLOLEDB;SERVER=db8;UID=kq;PWD='a;b';\nignored\n";
  ASSERT_EQ(write(fd, line, sizeof line - 1), static_cast<ssize_t>(sizeof line - 1));
  close(fd);
  setenv("BRIMLOCK_CONNECTION_FILE", path, 1);
  EXPECT_EQ(DatabaseConnectionString().bytes(), "Provider=SQLOLEDB;SERVER=db8;UID=kq;PWD='a;b';");
  chmod(path, 0640);
  EXPECT_EQ(DatabaseConnectionString().bytes(), "");
  chmod(path, 0600);

  // Anything but such a plain file is refused at once: a FIFO would hold the query for
  // ever, a link could point anywhere, and no connection string needs 64 KiB.
  const std::string fifo = std::string(path) + ".fifo", link = std::string(path) + ".link",
                    folder = std::string(path) + ".dir", big = std::string(path) + ".big";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(symlink(path, link.c_str()), 0);
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(std::system(("head -c 70000 /dev/zero | tr '\\0' x > " + big + " && chmod 600 " + big).c_str()), 0);
  for (const std::string& refused : {fifo, link, folder, big}) {
    setenv("BRIMLOCK_CONNECTION_FILE", refused.c_str(), 1);
    Stopwatch watch;
    EXPECT_EQ(DatabaseConnectionString().bytes(), "") << refused;
    EXPECT_LT(watch.Seconds(), 2.0) << refused;
  }
  for (const std::string& made : {fifo, link, big}) unlink(made.c_str());
  rmdir(folder.c_str());
  unsetenv("BRIMLOCK_CONNECTION_FILE");
  unlink(path);
  unsetenv("BRIMLOCK_DB_SERVER");
}

TEST_F(Lookup, UnreachableServerIsToldAndTheNextQueryTriesAgain) {
  ClosedPort closed;
  ASSERT_GT(closed.port(), 0);
  UseDatabase("Provider=SQLOLEDB;SERVER=127.0.0.1," + std::to_string(closed.port()) +
              ";DATABASE=kq7_mavr;UID=sa;PWD=402617;");
  RunModal(dlg, [&] {
    Query("123");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "数据库连接失败");
    EXPECT_EQ(boxes.shown[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.shown[0].title, std::string(AfxGetAppName()));
    EXPECT_EQ(ConnectionState(), adStateClosed);
    EXPECT_EQ(RecordsetState(), adStateClosed);
    EXPECT_EQ(Shown(), Row("", ""));

    UseDatabase(SqliteConnection(sample));
    Query("123");
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(ConnectionState(), adStateOpen);
    EXPECT_EQ(WalkToLast().size(), 3u);
  });
}

TEST_F(Lookup, MissingTablesShowTheCommandError) {
  std::string db = dir + "/empty.db";
  ASSERT_EQ(std::system(("sqlite3 " + db + " 'create table other (x int);'").c_str()), 0);
  UseDatabase(SqliteConnection(db));
  RunModal(dlg, [&] {
    Query("123");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "IDispatch error #3092");
    EXPECT_EQ(boxes.shown[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.shown[0].title, std::string(AfxGetAppName()));
    EXPECT_EQ(ConnectionState(), adStateOpen);
    EXPECT_EQ(RecordsetState(), adStateClosed);
    EXPECT_EQ(Shown(), Row("", ""));
    EXPECT_FALSE(NextOn());
  });
}

TEST_F(Lookup, FailedQueryLeavesNoEarlierResultOpen) {
  RunModal(dlg, [&] {
    Query("1234");
    ASSERT_TRUE(NextOn());
    ASSERT_EQ(std::system(("sqlite3 " + sample + " 'drop table Kcard_BaseInfo;'").c_str()), 0);
    Query("1234");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "IDispatch error #3092");
    EXPECT_EQ(RecordsetState(), adStateClosed);
    EXPECT_EQ(Shown(), Row("", ""));
    EXPECT_FALSE(PrevOn());
    EXPECT_FALSE(NextOn());
  });
}

TEST_F(Lookup, WriteWithTheBoxSetWritesTheHiddenCodeOnShow) {
  RunModal(dlg, [&] {
    Query("A0123");
    size_t seen = 0;
    std::map<std::string, std::string> written;
    for (int row = 0; row < 2; ++row) {
      if (row == 1) dlg.OnBnClickedNextButton();
      Row shown = Shown();
      dlg.OnBnClickedWriteButton();
      auto frames = FramesAfter(seen, 2);
      seen += 2;
      ASSERT_EQ(frames.size(), 2u);
      EXPECT_EQ(frames[0].kind, FrameKind::LeadIn);
      EXPECT_EQ(frames[1].kind, FrameKind::Write);
      EXPECT_EQ(frames[1].text, shown.second);
      EXPECT_EQ(TextOf(dlg.m_editTrack1), shown.second);
      written[shown.first] = frames[1].text;
    }
    // The Chinese code goes out as its code page 936 bytes.
    // clang-format off
    EXPECT_EQ(written["10000003"], "\xB9\xF3\xB1\xF6\xBF\xA8" "0003");
    // clang-format on
    EXPECT_EQ(written["10000002"], "H0002");

    // The panel and its result set stay as they were.
    EXPECT_EQ(TextOf(dlg.m_editTicket), "A0123");
    EXPECT_EQ(RecordsetState(), adStateOpen);
    EXPECT_TRUE(PrevOn());
    dlg.OnBnClickedPrevButton();
    EXPECT_FALSE(Shown().first.empty());

    // No hidden code: nothing goes out; the reset after it is the next frame.
    Query("9001");
    dlg.OnBnClickedWriteButton();
    EXPECT_EQ(TextOf(dlg.m_editTrack1), "");
    dlg.OnBnClickedResetButton();
    auto frames = FramesAfter(seen, 1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].kind, FrameKind::Reset);
    EXPECT_TRUE(boxes.shown.empty());
  });
}

TEST_F(Lookup, ReadOrWriteWithTheBoxClearEndsTheLookup) {
  RunModal(dlg, [&] {
    auto expectReset = [&] {
      EXPECT_EQ(RecordsetState(), adStateClosed);
      EXPECT_FALSE(PrevOn());
      EXPECT_FALSE(NextOn());
      EXPECT_EQ(TextOf(dlg.m_editTicket), "");
      EXPECT_EQ(Shown(), Row("", ""));
    };
    // Ticking the box afterwards finds no ticket text and stops: nothing opens again.
    auto expectQueryStops = [&] {
      dlg.m_checkUseLookup.SetCheck(BST_CHECKED);
      dlg.OnBnClickedQueryButton();
      EXPECT_EQ(RecordsetState(), adStateClosed);
      EXPECT_EQ(Shown(), Row("", ""));
      EXPECT_TRUE(boxes.shown.empty());
    };

    Query("1234");
    dlg.OnBnClickedNextButton();
    dlg.m_checkUseLookup.SetCheck(BST_UNCHECKED);
    dlg.OnBnClickedReadButton();
    EXPECT_EQ(TextOf(dlg.m_editTrack1), "CARD0001");
    expectReset();
    expectQueryStops();

    Query("1234");
    dlg.OnBnClickedNextButton();
    dlg.m_checkUseLookup.SetCheck(BST_UNCHECKED);
    dlg.m_editTrack1.SetWindowText("W1");
    dlg.OnBnClickedWriteButton();
    expectReset();
    auto frames = FramesAfter(0, 4);  // lead-in, read; lead-in, write
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[3].kind, FrameKind::Write);
    EXPECT_EQ(frames[3].text, "W1");
    expectQueryStops();
  });
}

TEST_F(Lookup, ReadOrWriteWithTheBoxSetLeavesTheLookupAlone) {
  RunModal(dlg, [&] {
    Query("1234");
    dlg.OnBnClickedNextButton();
    Row second = Shown();

    dlg.OnBnClickedReadButton();
    EXPECT_EQ(TextOf(dlg.m_editTrack1), "CARD0001");
    dlg.OnBnClickedWriteButton();
    EXPECT_EQ(TextOf(dlg.m_editTrack1), second.second);

    EXPECT_EQ(RecordsetState(), adStateOpen);
    EXPECT_EQ(TextOf(dlg.m_editTicket), "1234");
    EXPECT_EQ(Shown(), second);
    EXPECT_TRUE(PrevOn());
    EXPECT_TRUE(NextOn());
    dlg.OnBnClickedNextButton();
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(boxes.shown.empty());
  });
}

// The window for ticket desks: the panel on show, the box ticked, the ticket typed first.
// Without an issuing record its Write is the plain window's; with one, each card is claimed
// and recorded under its own ticket, a card issued before is refused with a box, and one
// whose last attempt failed is the operator's to write again.
TEST_F(Lookup, TicketWindowIssuesEachCardOnceThroughTheIssuingRecord) {
  TestDlg desk(true);
  auto record = [&] {
    return Output("sqlite3 " + sample +
                  " \"select dticket_no,dcard,state,desk like '% com1',issued_at is not null from "
                  "Brimlock_issued_card order by dcard; select dcard,kind,outcome from Brimlock_issue_attempt "
                  "order by dcard,kind\"");
  };
  auto write = [&](size_t& seen) {
    desk.OnBnClickedWriteButton();
    auto frames = FramesAfter(seen, 2);
    seen += 2;
    return frames.size() == 2 && frames[1].kind == FrameKind::Write ? frames[1].text : std::string("(none)");
  };
  RunModal(desk, [&] {
    EXPECT_EQ(desk.m_checkUseLookup.GetCheck(), BST_CHECKED);
    EXPECT_EQ(WidgetOf(desk)->focusWidget(), WidgetOf(desk.m_editTicket));
    for (int id = IDC_PREV_BUTTON; id <= IDC_USE_LOOKUP_CHECK; ++id) {
      EXPECT_TRUE(desk.GetDlgItem(id)->IsWindowVisible()) << id;
    }

    // Tickets 123 and A0123 end with the text: three cards, in the database's order.
    desk.m_editTicket.SetWindowText("123");
    desk.OnBnClickedQueryButton();
    size_t seen = 0;
    EXPECT_EQ(write(seen), "H0001");
    EXPECT_TRUE(boxes.shown.empty());

    ASSERT_EQ(std::system(("sqlite3 " + sample + " < " + (kSqlDir / "issuing-record.sql").string()).c_str()), 0);
    std::vector<std::string> written;
    for (int row = 0; row < 3; ++row) {
      if (row > 0) desk.OnBnClickedNextButton();
      written.push_back(write(seen));
    }
    // clang-format off
    EXPECT_EQ(written, (std::vector<std::string>{"H0001", "H0002", "\xB9\xF3\xB1\xF6\xBF\xA8" "0003"}));
    // clang-format on
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(record(), "123|10000001|issued|1|1\nA0123|10000002|issued|1|1\nA0123|10000003|issued|1|1\n"
                        "10000001|issue|written\n10000002|issue|written\n10000003|issue|written\n");

    // The card on show again: refused, naming when and where, and nothing goes out.
    desk.OnBnClickedWriteButton();
    ASSERT_EQ(boxes.shown.size(), 1u);
    const std::string& text = boxes.shown[0].text;
    EXPECT_EQ(text.rfind("卡号 10000003 已于 20", 0), 0u) << text;
    EXPECT_NE(text.find(" com1（操作员 "), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - std::string("）发卡，未再写卡").size()), "）发卡，未再写卡");
    desk.OnBnClickedResetButton();
    auto frames = FramesAfter(seen, 1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].kind, FrameKind::Reset);
    seen += 1;

    // A card whose last attempt failed is written again, as a reissue.
    Output("sqlite3 " + sample + " \"update Brimlock_issued_card set state='failed' where dcard='10000001'\"");
    desk.OnBnClickedPrevButton();
    desk.OnBnClickedPrevButton();
    EXPECT_EQ(write(seen), "H0001");
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(record().find("123|10000001|issued|1|1\n"), std::string::npos);
    EXPECT_NE(record().find("10000001|reissue|written\n"), std::string::npos);
  });
}

}  // namespace
