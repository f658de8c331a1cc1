// The SQL Server route on Windows reaches the platform's own "SQL Server" driver.
#include <gtest/gtest.h>

#include "data/connection_string_support.h"

TEST(ConnectionString, SqlOledbGoesToThePlatformsSqlServerDriver) {
  const struct {
    std::u16string written, odbc;
  } cases[] = {
      {u"Provider=SQLOLEDB;SERVER=localhost;DATABASE=kq7_mavr;UID=sa;PWD=402617;",
       u"DRIVER={SQL Server};SERVER=localhost,1433;DATABASE=kq7_mavr;UID=sa;PWD=402617;"},
      {u"Provider=SQLOLEDB;Data Source = db , 14330;PWD='a;b'", u"DRIVER={SQL Server};SERVER=db,14330;PWD={a;b};"},
      {u"Provider=SQLOLEDB;SERVER=host\\inst;", u"DRIVER={SQL Server};SERVER=host\\inst;"},
      {u"Provider=SQLOLEDB;SERVER=h;Encrypt=yes;",
       u"DRIVER={SQL Server};SERVER=h,1433;Encrypt=yes;TrustServerCertificate=no;"},
      {u"Provider=SQLOLEDB;SERVER=h;Use Encryption for Data=True;TrustServerCertificate=yes;",
       u"DRIVER={SQL Server};SERVER=h,1433;Encrypt=yes;TrustServerCertificate=yes;"},
      {u"Provider=SQLOLEDB;SERVER=h;Encrypt=strict;TrustServerCertificate=yes;",
       u"DRIVER={SQL Server};SERVER=h,1433;Encrypt=yes;TrustServerCertificate=no;"},  // strict always checks
      {u"Provider=SQLOLEDB;SERVER=h;Encrypt=no;", u"DRIVER={SQL Server};SERVER=h,1433;Encrypt=no;"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Translate(c.written), c.odbc) << std::string(c.written.begin(), c.written.end());
  }
}
