// The statement each engine receives for SQL Server's plain-text LIKE: the operand loses
// its padding blanks (on SQLite only where it ends in one), PostgreSQL matches without case
// and without an escape; literals, quoted names and other words named like stay as they are.
#include <gtest/gtest.h>

#include "platform/data/dialect.h"

namespace {

TEST(Dialect, LikeIsRewrittenWhereTheEngineMatchesOtherwise) {
  const struct {
    std::u16string written, postgres, sqlite;
  } cases[] = {
      {u"select 1 where a.dticket_no like ? and x=0", u"select 1 where rtrim(a.dticket_no) ilike ? escape '' and x=0",
       u"select 1 where (case when a.dticket_no like '% ' then rtrim(a.dticket_no) else a.dticket_no end) like ? and x=0"},
      {u"where \"t\".n  LIKE\t? ", u"where rtrim(\"t\".n)  ilike ? escape '' ",
       u"where (case when \"t\".n like '% ' then rtrim(\"t\".n) else \"t\".n end)  like ? "},
      {u"where upper(n) like ?", u"where upper(n) ilike ? escape ''", u"where upper(n) like ?"},
      {u"where n = 'a like ?' or unlike ?", u"where n = 'a like ?' or unlike ?", u"where n = 'a like ?' or unlike ?"},
      {u"where n like 'x%'", u"where n like 'x%'", u"where n like 'x%'"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(odbc::StatementFor(odbc::Dbms::PostgreSql, c.written), c.postgres);
    EXPECT_EQ(odbc::StatementFor(odbc::Dbms::Sqlite, c.written), c.sqlite);
    EXPECT_EQ(odbc::StatementFor(odbc::Dbms::Other, c.written), c.written);  // SQL Server's own
  }
}

}  // namespace
