// The SQL Server route through FreeTDS, against ports on loopback where nothing listens or
// nothing answers.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <poll.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

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

// A server that answers FreeTDS's greeting and records the login it then sends: the user,
// the password (which the login hides by swapping each byte's halves and xoring 0xA5) and
// the database, as the driver decoded them from its connection string.
class LoginRecorder {
 public:
  struct Login {
    std::u16string user, password, database;
  };

  LoginRecorder() {
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(m_listener, 1);
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { m_login = Record(); });
  }
  ~LoginRecorder() {
    if (m_thread.joinable()) m_thread.join();
    close(m_listener);
  }
  int port() const { return m_port; }
  std::optional<Login> Wait() {
    m_thread.join();
    return m_login;
  }

 private:
  static bool ReadAll(int fd, unsigned char* into, size_t size) {
    for (size_t got = 0; got < size;) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 10000) != 1) return false;
      ssize_t n = recv(fd, into + got, size - got, 0);
      if (n <= 0) return false;
      got += static_cast<size_t>(n);
    }
    return true;
  }
  static std::optional<std::vector<unsigned char>> ReadPacket(int fd) {
    unsigned char header[8];
    if (!ReadAll(fd, header, sizeof header)) return std::nullopt;
    std::vector<unsigned char> body(((header[2] << 8) | header[3]) - sizeof header);
    if (!ReadAll(fd, body.data(), body.size())) return std::nullopt;
    return body;
  }
  // A field of the login: its offset and length in characters at `at`, then UTF-16LE.
  static std::u16string Field(const std::vector<unsigned char>& login, size_t at, bool hidden = false) {
    const size_t offset = login[at] | (login[at + 1] << 8), chars = login[at + 2] | (login[at + 3] << 8);
    std::u16string text;
    for (size_t i = offset; i < offset + 2 * chars && i + 1 < login.size(); i += 2) {
      unsigned char low = login[i], high = login[i + 1];
      if (hidden) {
        auto reveal = [](unsigned char b) {
          b ^= 0xA5;
          return static_cast<unsigned char>((b >> 4) | (b << 4));
        };
        low = reveal(low), high = reveal(high);
      }
      text += static_cast<char16_t>(low | (high << 8));
    }
    return text;
  }
  std::optional<Login> Record() {
    pollfd p{m_listener, POLLIN, 0};
    if (poll(&p, 1, 10000) != 1) return std::nullopt;
    const int fd = accept(m_listener, nullptr, nullptr);
    std::optional<Login> login;
    if (ReadPacket(fd)) {
      // The greeting's answer: a version, and no encryption offered.
      // clang-format off
      const unsigned char reply[] = {0x04, 0x01, 0x00, 26, 0, 0, 1, 0,  // a reply of 26 bytes
                                     0x00, 0, 11, 0, 6, 0x01, 0, 17, 0, 1, 0xFF,
                                     15, 0, 0x07, 0xD0, 0, 0, 0x02};
      // clang-format on
      if (send(fd, reply, sizeof reply, MSG_NOSIGNAL) == sizeof reply) {
        if (auto body = ReadPacket(fd); body && body->size() > 72) {
          login = Login{Field(*body, 40), Field(*body, 44, true), Field(*body, 68)};
        }
      }
    }
    close(fd);
    return login;
  }

  int m_listener = -1;
  int m_port = 0;
  std::optional<Login> m_login;
  std::thread m_thread;
};

// What FreeTDS makes of the program's connection string is what was written: separators,
// braces and blanks in the user, the password and the database arrive as they are.
TEST(SqlServer, QuotedLoginValuesReachTheServerAsWritten) {
  const struct {
    const char* uid;
    const char* pwd;
    const char* database;
  } cases[] = {
      {"s}a", "a}b;c", "kq;7"},
      {"{sa}", "x}}y", " kq7 "},
      {"sa", "ab}", "kq7"},
  };
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  for (const auto& c : cases) {
    LoginRecorder server;
    const std::string text = "Provider=SQLOLEDB;SERVER=127.0.0.1," + std::to_string(server.port()) + ";DATABASE='" +
                             c.database + "';UID='" + c.uid + "';PWD='" + c.pwd + "';";
    {
      _ConnectionPtr connection;
      ASSERT_EQ(connection.CreateInstance(CLSID_Connection), S_OK);
      connection->PutConnectionTimeout(5);
      EXPECT_THROW(connection->Open(text.c_str(), "", "", 0), _com_error);  // the recorder hangs up
    }
    const auto login = server.Wait();
    ASSERT_TRUE(login.has_value()) << text;
    auto wide = [](const char* s) { return std::u16string(s, s + std::char_traits<char>::length(s)); };
    EXPECT_EQ(login->user, wide(c.uid)) << text;
    EXPECT_EQ(login->password, wide(c.pwd)) << text;
    EXPECT_EQ(login->database, wide(c.database)) << text;
  }
  CoUninitialize();
}

}  // namespace
