// The SQL Server route on Linux: FreeTDS, its port and encryption keywords, and values in
// the form it decodes (braces taken off, a doubled brace kept doubled).
#include "data/connection_string_support.h"

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

TEST(ConnectionString, FreeTdsGetsQuotedValuesAsWritten) {
  const struct {
    std::u16string written, odbc;
  } cases[] = {
      {u"Provider=SQLOLEDB;SERVER=h;PWD='a;b'",
       u"DRIVER={FreeTDS};SERVER=h;PORT=1433;PWD={a;b};TDS_Version=7.4;ClientCharset=UTF-8;"},
      {u"Provider=SQLOLEDB;SERVER=h;UID='s}a';PWD='a}b;c'",
       u"DRIVER={FreeTDS};SERVER=h;PORT=1433;UID={s}a};PWD={a}b;c};TDS_Version=7.4;ClientCharset=UTF-8;"},
      {u"Provider=SQLOLEDB;SERVER=h;DATABASE={kq;7}}};PWD={ab}}}",
       u"DRIVER={FreeTDS};SERVER=h;PORT=1433;DATABASE={kq;7}};PWD={ab}};TDS_Version=7.4;ClientCharset=UTF-8;"},
  };
  for (const auto& c : cases) EXPECT_EQ(Translate(c.written), c.odbc);
  EXPECT_EQ(Translate(u"Provider=SQLOLEDB;SERVER=h;UID=a;PWD=b;", u"c", u"d;e"),
            u"DRIVER={FreeTDS};SERVER=h;PORT=1433;UID=c;PWD={d;e};TDS_Version=7.4;ClientCharset=UTF-8;");
  // FreeTDS ends a braced value at its first "};": such a value cannot be given.
  EXPECT_EQ(Rejection(u"Provider=SQLOLEDB;SERVER=h;PWD='a};b'"), E_FAIL);
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
