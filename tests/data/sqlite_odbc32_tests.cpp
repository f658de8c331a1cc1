// The lookup through odbc32 against an SQLite file. Under Wine odbc32 reaches the host's
// driver manager and SQLite3 driver, which take the file by its host path. The files are
// made on the host before the suite runs (in BRIMLOCK_SQLITE_DIR) and never changed here.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "data/data_objects.h"
#include "data/ticket_match_cases.h"
#include "data/timed_out.h"
#include "platform/data/ado.h"

namespace {

const std::string kDatabase = BRIMLOCK_SQLITE_DIR "/tickets.db";
const std::string kLockedDatabase = BRIMLOCK_SQLITE_DIR "/locked.db";  // for the lock test alone

class Odbc32Sqlite : public DataObjects {
 protected:
  static void Connect(_ConnectionPtr& connection, const std::string& path) {
    std::string text = "Provider=MSDASQL;DRIVER=SQLite3;Database=" + path + ";NoCreat=1;";
    connection->Open(text.c_str(), "", "", adConnectUnspecified);
  }
  void Connect(const std::string& path = kDatabase) { Connect(m_connection, path); }
  static void Open(_RecordsetPtr& recordset, const _ConnectionPtr& connection, const char* statement,
                   const _variant_t& parameter = _variant_t()) {
    recordset->Open(statement, connection, adOpenStatic, adLockOptimistic, adCmdText, parameter);
  }
  void Open(const char* statement, const _variant_t& parameter = _variant_t()) {
    Open(m_recordset, m_connection, statement, parameter);
  }
  std::string Text(const char* column) {
    _variant_t value = m_recordset->GetCollect(column);
    if (value.vt == VT_NULL) return "<NULL>";
    return static_cast<const char*>(static_cast<_bstr_t>(value));
  }
  // Every row's card number and hidden code, in order.
  std::string Rows() {
    std::string rows;
    for (; !m_recordset->GetadoEOF(); m_recordset->MoveNext()) rows += Text("dcard") + " " + Text("dcard_sbh") + ";";
    return rows;
  }
};

// The connect is the wide call, and the host's driver takes the file by its host path (not
// Z:\...). Under Wine a non-ASCII path does not arrive: the host's driver manager narrows
// each UTF-16 unit to its low byte for a driver without wide entry points.
TEST_F(Odbc32Sqlite, OpensTheFileByItsHostPathOnly) {
  Connect();
  EXPECT_EQ(m_connection->GetState(), adStateOpen);
  Open(kOrderedTicketStatement, "%123");
  EXPECT_EQ(Rows(), "10000001 H0001;10000002 H0002;10000003 贵宾卡0003;");
  m_recordset->Close();
  m_connection->Close();
  EXPECT_EQ(CodeOf([&] { Connect(BRIMLOCK_SQLITE_DIR "/absent.db"); }), E_FAIL);
  EXPECT_EQ(m_connection->GetState(), adStateClosed);
  Connect();  // a failed open leaves the connection ready for the next
  EXPECT_EQ(m_connection->GetState(), adStateOpen);
}

// The ticket text as the program binds it ("%" + text), matched as on SQL Server
// (ticket_match_cases.h); Chinese text both ways, a NULL as NULL.
TEST_F(Odbc32Sqlite, LookupsMatchAsOnSqlServer) {
  Connect();
  for (const TicketMatchCase& c : kTicketMatchCases) {
    SCOPED_TRACE(c.ticket);
    Open(kOrderedTicketStatement, (std::string("%") + c.ticket).c_str());
    std::string expected;
    for (const std::string& card : c.cards) {
      const size_t bar = card.find('|');
      expected += card.substr(0, bar) + " " + card.substr(bar + 1) + ";";
    }
    EXPECT_EQ(Rows(), expected);
    m_recordset->Close();
  }
  Open("select dcard from Kcard_BaseInfo where dcard_sbh like ?", "贵宾卡%");
  EXPECT_EQ(Text("dcard"), "10000003");
}

TEST_F(Odbc32Sqlite, RejectedStatementIsAnErrorInTheCommand) {
  Connect();
  try {
    Open("select dcard from Kcard_NoSuchTable");
    ADD_FAILURE() << "ran a statement on a missing table";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), DB_E_ERRORSINCOMMAND);
    EXPECT_STREQ(e.ErrorMessage(), "IDispatch error #3092");
    ASSERT_NE(e.ErrorInfo(), nullptr);
    EXPECT_EQ(e.ErrorInfo()->sqlState, "HY000");
  }
  EXPECT_EQ(m_recordset->GetState(), adStateClosed);
  EXPECT_EQ(m_connection->GetState(), adStateOpen);
}

// Without the Linux watchdog's link cutting, the wait for a locked file still ends at the
// statement's timeout, and the connection stays usable.
TEST_F(Odbc32Sqlite, ALockedFileEndsTheQueryAtItsTimeout) {
  _ConnectionPtr holder;
  _RecordsetPtr hold;
  ASSERT_EQ(holder.CreateInstance(CLSID_Connection), S_OK);
  ASSERT_EQ(hold.CreateInstance(CLSID_Recordset), S_OK);
  Connect(holder, kLockedDatabase);
  Open(hold, holder, "begin exclusive");
  hold->Close();

  // The program's proportions, the query's timeout twice the login's; the open, too, waits
  // for the lock, that long.
  m_connection->PutConnectionTimeout(2);
  m_connection->PutCommandTimeout(4);
  Connect(kLockedDatabase);
  ExpectEndedByTimeout([&] { Open(kOrderedTicketStatement, "%123"); }, "read a file under another's exclusive lock",
                       1.5, 7.5);
  EXPECT_EQ(m_connection->GetState(), adStateOpen);

  Open(hold, holder, "rollback");
  hold->Close();
  Open(kOrderedTicketStatement, "%123");
  EXPECT_EQ(Rows(), "10000001 H0001;10000002 H0002;10000003 贵宾卡0003;");
}

}  // namespace
