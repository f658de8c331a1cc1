// The platform's connection strings as ODBC receives them, on both platforms; the SQL Server
// route's own driver strings are in posix/ and win32/.
#include <gtest/gtest.h>

#include "data/connection_string_support.h"

TEST(ConnectionString, MsdasqlAndNoProviderPassKeywordsUnchanged) {
  // The SQLite driver waits for a locked file no longer than the login timeout.
  EXPECT_EQ(Translate(u"Provider=MSDASQL;DRIVER=SQLite3;Database=/tmp/票 a.db;"),
            u"DRIVER=SQLite3;Database=/tmp/票 a.db;Timeout=15000;");
  EXPECT_EQ(Translate(u"DRIVER={SQLite3};Database=/x.db;timeout=50"), u"DRIVER={SQLite3};Database=/x.db;timeout=50;");
  EXPECT_EQ(Translate(u"DSN=kq;Provider=MSDASQL.1;PWD={p;w}"), u"DSN=kq;PWD={p;w};");
}

TEST(ConnectionString, OleDbQuotesBecomeOdbcBraces) {
  const struct {
    std::u16string written, odbc;
  } cases[] = {
      {u"DSN=kq;PWD=\"a;b\"", u"DSN=kq;PWD={a;b};"},
      {u"DSN=kq;PWD='a;b'", u"DSN=kq;PWD={a;b};"},
      {u"DSN=kq;PWD=\"say \"\"hi\"\"\";UID=u", u"DSN=kq;PWD=say \"hi\";UID=u;"},
      {u"DSN=kq;PWD='it''s'", u"DSN=kq;PWD=it's;"},
      {u"DSN=kq;PWD='\"q}'", u"DSN=kq;PWD={\"q}}};"},
      {u"DSN=kq;PWD=' x '", u"DSN=kq;PWD={ x };"},
  };
  for (const auto& c : cases) EXPECT_EQ(Translate(c.written), c.odbc);
  EXPECT_EQ(Translate(u"DSN=kq;", u"", u"'quoted"), u"DSN=kq;PWD={'quoted};");
}

// Each driver decodes a quoted value its own way: psqlODBC reads braces in a password only,
// the SQLite driver in none. A value its driver cannot be given whole is refused, never
// sent altered.
TEST(ConnectionString, QuotedValuesGoInTheFormTheirDriverDecodes) {
  const struct {
    std::u16string written, odbc;
  } cases[] = {
      {u"DRIVER={PostgreSQL Unicode};DATABASE={kq7_mavr};UID='u';PWD='a}b;c'",
       u"DRIVER={PostgreSQL Unicode};DATABASE=kq7_mavr;UID=u;PWD={a}}b;c};"},
      {u"DRIVER=SQLite3;Database={/srv/t 1.db};NoCreat=1",
       u"DRIVER=SQLite3;Database=/srv/t 1.db;NoCreat=1;Timeout=15000;"},
  };
  for (const auto& c : cases) EXPECT_EQ(Translate(c.written), c.odbc);
  for (const std::u16string refused :
       {u"DRIVER={PostgreSQL Unicode};DATABASE='kq;7'", u"DRIVER=SQLite3;Database='/srv/a;b.db'"}) {
    EXPECT_EQ(Rejection(refused), E_FAIL);
  }
  // The SQLite driver's wait for a locked file: at most the login timeout, and half the
  // command timeout, which a statement's two waits share.
  EXPECT_EQ(OdbcConnectionString(u"DRIVER=SQLite3;Database=/x.db", u"", u"", 15, 10),
            u"DRIVER=SQLite3;Database=/x.db;Timeout=5000;");
  EXPECT_EQ(OdbcConnectionString(u"DRIVER=SQLite3;Database=/x.db", u"", u"", 0, 0), u"DRIVER=SQLite3;Database=/x.db;");
}

TEST(ConnectionString, UserIdAndPasswordArgumentsReplaceTheStrings) {
  EXPECT_EQ(Translate(u"DSN=kq;UID=a;PWD=b;", u"c", u"d"), u"DSN=kq;UID=c;PWD=d;");
}

TEST(ConnectionString, BadStringsAreRejectedClearly) {
  EXPECT_EQ(Rejection(u"Provider=Jet;Data Source=x.mdb;"), adErrProviderNotFound);
  EXPECT_EQ(Rejection(u"Provider=SQLOLEDB;SERVER=h;Trusted_Connection=yes;"), E_FAIL);
  EXPECT_EQ(Rejection(u"Provider=SQLOLEDB;SERVER=h;Encrypt=maybe;"), E_FAIL);
  EXPECT_EQ(Rejection(u"Provider=SQLOLEDB;SERVER=h,70000;"), E_FAIL);
  EXPECT_EQ(Rejection(u"Provider=SQLOLEDB;SERVER=h,;"), E_FAIL);
  EXPECT_EQ(Rejection(u"DRIVER=SQLite3;justtext;"), E_FAIL);
  EXPECT_EQ(Rejection(u"DRIVER={SQLite3;Database=x"), E_FAIL);
}
