// The connection and the result set against a PostgreSQL server of the tests' own, through
// the driver manager and psqlODBC, as the program reaches a database server.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data/data_objects.h"
#include "data/postgres_server.h"
#include "data/ticket_match_cases.h"
#include "data/timed_out.h"
#include "platform/data/ado.h"

namespace {

const char* const kTicketStatement = "select b.dcard,b.dcard_sbh from Kcard_ticket_BaseInfo a,Kcard_BaseInfo b "
                                     "where a.dticket_no = b.dticket_no and a.dticket_no like ? and a.dstate_run=0";

class Postgres : public DataObjects {
 protected:
  void SetUp() override {
    ASSERT_EQ(server.failure(), "");
    DataObjects::SetUp();
  }

  void Connect(const std::string& database = "kq7_mavr") {
    m_connection->Open(server.ConnectionString(database).c_str(), "", "", adConnectUnspecified);
  }
  // "card|hidden code" of every match, sorted: the statement sets no order, so the plan may
  // choose one. The result set is closed again.
  std::vector<std::string> Cards(const std::string& ticket) {
    m_recordset->Open(kTicketStatement, m_connection, adOpenStatic, adLockOptimistic, adCmdText,
                      ("%" + ticket).c_str());
    std::vector<std::string> cards;
    for (; !m_recordset->GetadoEOF(); m_recordset->MoveNext()) {
      _variant_t code = m_recordset->GetCollect("dcard_sbh");
      cards.push_back(std::string(static_cast<_bstr_t>(m_recordset->GetCollect("dcard"))) + "|" +
                      (code.vt == VT_NULL ? "<NULL>" : static_cast<const char*>(static_cast<_bstr_t>(code))));
    }
    m_recordset->Close();
    std::sort(cards.begin(), cards.end());
    return cards;
  }
  // The server's plan for the lookup's statement, as the program sends it.
  std::string Plan(const std::string& ticket) {
    m_recordset->Open((std::string("explain ") + kTicketStatement).c_str(), m_connection, adOpenStatic,
                      adLockOptimistic, adCmdText, ("%" + ticket).c_str());
    std::string plan;
    for (; !m_recordset->GetadoEOF(); m_recordset->MoveNext())
      plan += std::string(static_cast<_bstr_t>(m_recordset->GetCollect("QUERY PLAN"))) + "\n";
    m_recordset->Close();
    return plan;
  }

  PostgresServer& server = PostgresServer::Shared();
};

// SQL Server's plain-text LIKE (ticket_match_cases.h), with varchar and with blank-padded
// char(12) numbers, and with the optional trigram index serving the match: the same rows.
TEST_F(Postgres, TicketTextMatchesAsOnSqlServer) {
  for (const std::string database : {"kq7_mavr", "kq7_char", "kq7_trgm", "kq7_char_trgm"}) {
    const bool indexed = database.ends_with("_trgm");
    Connect(database);
    for (const auto& c : kTicketMatchCases) {
      EXPECT_EQ(Cards(c.ticket), c.cards) << database << ": " << c.ticket;
      // The index serves the match, or the case would prove nothing.
      if (!indexed) continue;
      const std::string plan = Plan(c.ticket);
      EXPECT_NE(plan.find("Index Scan on kcard_ticket_baseinfo_no_trgm"), std::string::npos) << c.ticket << "\n"
                                                                                             << plan;
    }
    m_connection->Close();
  }
}

// psqlODBC reads braces in a password only: a braced database name reaches it bare.
TEST_F(Postgres, BracedDatabaseNameReachesTheDriverWithoutBraces) {
  Connect("{kq7_mavr}");
  EXPECT_EQ(Cards("123").size(), 3u);
}

// Values longer than the fetch's buffers arrive whole, Chinese text included, wherever
// they fall in the blocks of rows a fetch brings; NULLs and short values beside them too.
TEST_F(Postgres, LongValuesArriveWholeInEveryBlock) {
  Connect();
  m_recordset->Open("select i % 3 as kind, b.dcard, case i % 3 when 0 then repeat(b.dcard || '贵宾', 400) "
                    "when 1 then b.dcard end as copies "
                    "from Kcard_BaseInfo b, generate_series(1, 40) i order by i, b.dcard",
                    m_connection, adOpenStatic, adLockOptimistic, adCmdText);
  int rows = 0;
  for (; !m_recordset->GetadoEOF(); m_recordset->MoveNext(), ++rows) {
    const std::string kind(static_cast<_bstr_t>(m_recordset->GetCollect("kind")));
    const std::string card(static_cast<_bstr_t>(m_recordset->GetCollect("dcard")));
    _variant_t copies = m_recordset->GetCollect("copies");
    if (kind == "2") {
      EXPECT_EQ(copies.vt, VT_NULL) << rows;
      continue;
    }
    std::string expected = card;
    if (kind == "0") {
      expected.clear();
      for (int n = 0; n < 400; ++n) expected += card + "贵宾";
    }
    EXPECT_EQ(std::string(static_cast<_bstr_t>(copies)), expected) << rows;
  }
  EXPECT_GT(rows, 300);  // several blocks
  m_recordset->Close();
}

// A server whose processes all stop, with a query waiting and then with a login waiting:
// each ends at its timeout with an error, and the server is used again once it runs.
TEST_F(Postgres, StalledServerEndsQueryAndLoginAtTheirTimeouts) {
  Connect();
  ASSERT_EQ(Cards("123").size(), 3u);
  m_connection->PutCommandTimeout(2);
  m_connection->PutConnectionTimeout(2);
  struct Thaw {
    PostgresServer& server;
    ~Thaw() { server.Resume(); }
  } thaw{server};
  server.Freeze();

  ExpectEndedByTimeout([&] { Cards("123"); }, "a stopped server answered", 1.5, 8.0);
  EXPECT_EQ(m_connection->GetState(), adStateClosed);  // the link was cut
  EXPECT_EQ(m_recordset->GetState(), adStateClosed);

  Stopwatch login;
  EXPECT_THROW(Connect(), _com_error);
  EXPECT_GT(login.Seconds(), 1.5);
  EXPECT_LT(login.Seconds(), 8.0);
  EXPECT_EQ(m_connection->GetState(), adStateClosed);

  server.Resume();
  Connect();
  EXPECT_EQ(Cards("123").size(), 3u);
}

}  // namespace
