// The SQL Server route through FreeTDS, against a port on loopback where nothing listens.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/data/ado.h"
#include "support/closed_port.h"

namespace {

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

TEST(SqlServer, UnreachableServerFailsAtOnceAndStaysClosed) {
  ClosedPort closed;
  ASSERT_GT(closed.port(), 0);
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  {
    _ConnectionPtr connection;
    ASSERT_EQ(connection.CreateInstance(CLSID_Connection), S_OK);
    std::string text = "Provider=SQLOLEDB;SERVER=127.0.0.1," + std::to_string(closed.port()) +
                       ";DATABASE=kq7_mavr;UID=sa;PWD=402617;";
    for (int attempt = 0; attempt < 2; ++attempt) {
      double start = Seconds();
      try {
        connection->Open(text.c_str(), "", "", 0);
        ADD_FAILURE() << "connected to a closed port";
      } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), E_FAIL);
        ASSERT_NE(e.ErrorInfo(), nullptr);
        EXPECT_EQ(e.ErrorInfo()->sqlState.substr(0, 2), "08");
        EXPECT_STREQ(e.ErrorMessage(), "Unknown error 0x80004005");
      }
      EXPECT_LT(Seconds() - start, 5.0);  // refused, not waiting for the login timeout
      EXPECT_EQ(connection->GetState(), adStateClosed);
    }
  }
  CoUninitialize();
}

}  // namespace
