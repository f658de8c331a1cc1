// The SQL Server route through FreeTDS, against ports on loopback where nothing listens or
// nothing answers.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "support/stopwatch.h"
#include "platform/data/ado.h"
#include "support/closed_port.h"

namespace {

std::string ConnectionTo(int port) {
  return "Provider=SQLOLEDB;SERVER=127.0.0.1," + std::to_string(port) + ";DATABASE=kq7_mavr;UID=sa;PWD=402617;";
}

TEST(SqlServer, UnreachableServerFailsAtOnceAndStaysClosed) {
  ClosedPort closed;
  ASSERT_GT(closed.port(), 0);
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  {
    _ConnectionPtr connection;
    ASSERT_EQ(connection.CreateInstance(CLSID_Connection), S_OK);
    std::string text = ConnectionTo(closed.port());
    for (int attempt = 0; attempt < 2; ++attempt) {
      Stopwatch watch;
      try {
        connection->Open(text.c_str(), "", "", 0);
        ADD_FAILURE() << "connected to a closed port";
      } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), E_FAIL);
        ASSERT_NE(e.ErrorInfo(), nullptr);
        EXPECT_EQ(e.ErrorInfo()->sqlState.substr(0, 2), "08");
        EXPECT_STREQ(e.ErrorMessage(), "Unknown error 0x80004005");
      }
      EXPECT_LT(watch.Seconds(), 5.0);  // refused, not waiting for the login timeout
      EXPECT_EQ(connection->GetState(), adStateClosed);
    }
  }
  CoUninitialize();
}

// A server that takes the connection and never answers: the login ends at its timeout.
TEST(SqlServer, SilentServerEndsTheLoginAtItsTimeout) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  {
    _ConnectionPtr connection;
    ASSERT_EQ(connection.CreateInstance(CLSID_Connection), S_OK);
    EXPECT_EQ(connection->GetConnectionTimeout(), 15);  // the platform's defaults
    EXPECT_EQ(connection->GetCommandTimeout(), 30);
    connection->PutConnectionTimeout(2);
    Stopwatch watch;
    EXPECT_THROW(connection->Open(ConnectionTo(ntohs(address.sin_port)).c_str(), "", "", 0), _com_error);
    EXPECT_GT(watch.Seconds(), 1.5);
    EXPECT_LT(watch.Seconds(), 6.0);
    EXPECT_EQ(connection->GetState(), adStateClosed);
  }
  CoUninitialize();
  close(listener);
}

}  // namespace
