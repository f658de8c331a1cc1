// The platform's connection strings as ODBC receives them.
#include <gtest/gtest.h>

#include "platform/data/ado.h"
#include "platform/data/connection_string.h"

namespace {

std::u16string Translate(const std::u16string& s, const std::u16string& uid = u"",
                         const std::u16string& pwd = u"") {
  return OdbcConnectionString(s, uid, pwd);
}

HRESULT Rejection(const std::u16string& s) {
  try {
    Translate(s);
  } catch (const _com_error& e) {
    EXPECT_NE(e.ErrorInfo(), nullptr);
    return e.Error();
  }
  return S_OK;
}

}  // namespace

TEST(ConnectionString, SqlOledbGoesToFreeTds) {
  EXPECT_EQ(Translate(u"Provider=SQLOLEDB;SERVER=localhost;DATABASE=kq7_mavr;UID=sa;PWD=402617;"),
            u"DRIVER={FreeTDS};SERVER=localhost;PORT=1433;DATABASE=kq7_mavr;UID=sa;PWD=402617;"
            u"TDS_Version=7.4;ClientCharset=UTF-8;");
  EXPECT_EQ(Translate(u"provider=sqloledb.1; Data Source = db.example , 14330 ;Initial Catalog=k;"
                      u"User ID=u;Password={a;b}}c}"),
            u"DRIVER={FreeTDS};SERVER=db.example;PORT=14330;DATABASE=k;UID=u;PWD={a;b}c};"
            u"TDS_Version=7.4;ClientCharset=UTF-8;");
  EXPECT_EQ(Translate(u"Provider=SQLOLEDB;SERVER=host\\inst;"),
            u"DRIVER={FreeTDS};SERVER=host\\inst;TDS_Version=7.4;ClientCharset=UTF-8;");
}

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
      {u"Provider=SQLOLEDB;SERVER=h;PWD='a;b'", u"DRIVER={FreeTDS};SERVER=h;PORT=1433;PWD={a;b};TDS_Version=7.4;ClientCharset=UTF-8;"},
  };
  for (const auto& c : cases) EXPECT_EQ(Translate(c.written), c.odbc);
  EXPECT_EQ(Translate(u"DSN=kq;", u"", u"'quoted"), u"DSN=kq;PWD={'quoted};");
}

// Each driver decodes a quoted value its own way: FreeTDS takes braces off and keeps a
// doubled brace doubled, psqlODBC reads braces in a password only, the SQLite driver in
// none. A value its driver cannot be given whole is refused, never sent altered.
TEST(ConnectionString, QuotedValuesGoInTheFormTheirDriverDecodes) {
  const struct {
    std::u16string written, odbc;
  } cases[] = {
      {u"Provider=SQLOLEDB;SERVER=h;UID='s}a';PWD='a}b;c'",
       u"DRIVER={FreeTDS};SERVER=h;PORT=1433;UID={s}a};PWD={a}b;c};TDS_Version=7.4;ClientCharset=UTF-8;"},
      {u"Provider=SQLOLEDB;SERVER=h;DATABASE={kq;7}}};PWD={ab}}}",
       u"DRIVER={FreeTDS};SERVER=h;PORT=1433;DATABASE={kq;7}};PWD={ab}};TDS_Version=7.4;ClientCharset=UTF-8;"},
      {u"DRIVER={PostgreSQL Unicode};DATABASE={kq7_mavr};UID='u';PWD='a}b;c'",
       u"DRIVER={PostgreSQL Unicode};DATABASE=kq7_mavr;UID=u;PWD={a}}b;c};"},
      {u"DRIVER=SQLite3;Database={/srv/t 1.db};NoCreat=1",
       u"DRIVER=SQLite3;Database=/srv/t 1.db;NoCreat=1;Timeout=15000;"},
  };
  for (const auto& c : cases) EXPECT_EQ(Translate(c.written), c.odbc);
  for (const std::u16string refused : {u"Provider=SQLOLEDB;SERVER=h;PWD='a};b'",
                                       u"DRIVER={PostgreSQL Unicode};DATABASE='kq;7'",
                                       u"DRIVER=SQLite3;Database='/srv/a;b.db'"}) {
    EXPECT_EQ(Rejection(refused), E_FAIL);
  }
  // The SQLite driver's wait for a locked file: at most the login timeout, and half the
  // command timeout, which a statement's two waits share.
  EXPECT_EQ(OdbcConnectionString(u"DRIVER=SQLite3;Database=/x.db", u"", u"", 15, 10),
            u"DRIVER=SQLite3;Database=/x.db;Timeout=5000;");
  EXPECT_EQ(OdbcConnectionString(u"DRIVER=SQLite3;Database=/x.db", u"", u"", 0, 0), u"DRIVER=SQLite3;Database=/x.db;");
}

TEST(ConnectionString, EncryptionKeywordsReachFreeTds) {
  const std::u16string checked = u"Encryption=require;ca file=system;check certificate hostname=yes;";
  const struct {
    std::u16string keywords, encryption;
  } cases[] = {
      {u"Encrypt=yes;", checked},
      {u"Encrypt=True;TrustServerCertificate=no;", checked},
      {u"Use Encryption for Data=True;", checked},
      {u"Encrypt=yes;TrustServerCertificate=yes;", u"Encryption=require;"},
      {u"Encrypt=strict;TrustServerCertificate=true;", checked},  // strict always checks
      {u"Encrypt=no;", u"Encryption=request;"},
      {u"TrustServerCertificate=yes;", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Translate(u"Provider=SQLOLEDB;SERVER=h;" + c.keywords),
              u"DRIVER={FreeTDS};SERVER=h;PORT=1433;" + c.encryption + u"TDS_Version=7.4;ClientCharset=UTF-8;")
        << std::string(c.keywords.begin(), c.keywords.end());
  }
}

TEST(ConnectionString, UserIdAndPasswordArgumentsReplaceTheStrings) {
  EXPECT_EQ(Translate(u"DSN=kq;UID=a;PWD=b;", u"c", u"d"), u"DSN=kq;UID=c;PWD=d;");
  EXPECT_EQ(Translate(u"Provider=SQLOLEDB;SERVER=h;UID=a;PWD=b;", u"c", u"d;e"),
            u"DRIVER={FreeTDS};SERVER=h;PORT=1433;UID=c;PWD={d;e};TDS_Version=7.4;ClientCharset=UTF-8;");
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
