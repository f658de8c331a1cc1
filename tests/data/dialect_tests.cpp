// The statement each engine receives for SQL Server's plain-text LIKE: the operand loses
// its padding blanks (on SQLite only where it fails to match as it is and ends in one),
// PostgreSQL matches without case and without an escape; literals, quoted names and other
// words named like stay as they are. Each marker of the result takes the value it names.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/data/dialect.h"

namespace {

TEST(Dialect, LikeIsRewrittenWhereTheEngineMatchesOtherwise) {
  const struct {
    std::u16string written, postgres, sqlite;
    std::vector<size_t> sqliteMarkers;
  } cases[] = {
      {u"select ? where a.dticket_no like ? and x=?",
       u"select ? where rtrim(a.dticket_no) ilike ? escape '' and x=?",
       u"select ? where (a.dticket_no like ? or a.dticket_no glob '* ' and rtrim(a.dticket_no) like ?) and x=?",
       {0, 1, 1, 2}},
      {u"where \"t\".n  LIKE\t? ",
       u"where rtrim(\"t\".n) ilike ? escape '' ",
       u"where (\"t\".n like ? or \"t\".n glob '* ' and rtrim(\"t\".n) like ?) ",
       {0, 0}},
      {u"where upper(n) like ?", u"where upper(n) ilike ? escape ''", u"where upper(n) like ?", {0}},
      {u"where n = 'a like ?' or unlike ?",
       u"where n = 'a like ?' or unlike ?",
       u"where n = 'a like ?' or unlike ?",
       {0}},
      {u"where n like 'x%'", u"where n like 'x%'", u"where n like 'x%'", {}},
  };
  for (const auto& c : cases) {
    // Elsewhere each marker stays one, taking its own value.
    std::vector<size_t> once(c.sqliteMarkers), postgres, sqlite, other;
    once.erase(std::unique(once.begin(), once.end()), once.end());
    EXPECT_EQ(odbc::StatementFor(odbc::Dbms::PostgreSql, c.written, &postgres), c.postgres);
    EXPECT_EQ(odbc::StatementFor(odbc::Dbms::Sqlite, c.written, &sqlite), c.sqlite);
    EXPECT_EQ(odbc::StatementFor(odbc::Dbms::Other, c.written, &other), c.written);  // SQL Server's own
    EXPECT_EQ(sqlite, c.sqliteMarkers);
    EXPECT_EQ(postgres, once);
    EXPECT_EQ(other, once);
  }
}

}  // namespace
