// brimlock-card from a shell, as a user runs it: the real program as a child process
// against the virtual encoder on a pseudo-terminal and the lookup's SQLite sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <sys/stat.h>

#include "card/card_program.h"
#include "data/postgres_server.h"
#include "support/closed_port.h"
#include "encoder-sim/VirtualEncoder.h"
#include "encoder/encoder_line.h"
#include "journal.h"

namespace {

using encoder_sim::EncoderOptions;
constexpr encoder_sim::Millis kSwipe{1500};
using encoder_sim::FrameKind;
using encoder_sim::Millis;
using encoder_sim::VirtualEncoder;
using Kinds = std::vector<FrameKind>;

const std::string kSampleDb = std::filesystem::temp_directory_path() /
                              ("brimlock-card-" + std::to_string(getpid()) + ".db");

std::string Sqlite(const std::string& path) {
  return "Provider=MSDASQL;DRIVER=SQLite3;Database=" + path + ";NoCreat=1;";
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

// The lines of a lookup's output, sorted: its statement sets no order, so the plan may choose one.
std::string SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
  }
  std::sort(lines.begin(), lines.end());
  std::string sorted;
  for (const std::string& line : lines) sorted += line + "\n";
  return sorted;
}

// Every line of `lines` through Python's JSON parser, printed back sorted and unescaped:
// what another program consuming the output would read.
std::string ParsedJson(const std::string& lines) {
  const std::string file = kSampleDb + ".json";
  std::ofstream(file, std::ios::binary) << lines;
  const std::string command = "python3 -c 'import json,sys\nfor l in open(sys.argv[1], encoding=\"utf-8\"): "
                              "print(json.dumps(json.loads(l), ensure_ascii=False, sort_keys=True))' " +
                              file;
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << "not JSON lines:\n" << lines;
  }
  std::filesystem::remove(file);
  return out;
}

class Card : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(std::system((std::string(BRIMLOCK_SQL_DIR) + "/make-sqlite-db -f " + kSampleDb).c_str()), 0);
  }
  static void TearDownTestSuite() { std::filesystem::remove(kSampleDb); }
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("brimlock-card-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    setenv("BRIMLOCK_CONNECTION", Sqlite(kSampleDb).c_str(), 1);
  }
  void TearDown() override {
    unsetenv("BRIMLOCK_COM1");
    unsetenv("BRIMLOCK_CONNECTION");
    std::filesystem::remove_all(dir);
  }

  VirtualEncoder& Encoder(EncoderOptions options = {}) {
    // Answers are handed over whole after their line time: byte by byte, a loaded machine's
    // scheduler can leave a pause in the encoder longer than the 8 ms that ends a read.
    options.delivery.batch = 128;
    // A card swiped at the prompt: well after the 800 ms within which no swipe can answer.
    if (options.answerDelay == Millis(0)) options.answerDelay = kSwipe;
    encoder = std::make_unique<VirtualEncoder>(std::move(options));
    setenv("BRIMLOCK_COM1", encoder->slavePath().c_str(), 1);
    return *encoder;
  }
  // The frames on the line once `count` have come (a write is taken when the line goes quiet).
  std::vector<encoder_sim::ReceivedFrame> Frames(std::size_t count) {
    encoder->waitForFrames(std::max<std::size_t>(count, 1), Millis(count == 0 ? 100 : 3000));
    return encoder->frames();
  }
  Kinds KindsOf(const std::vector<encoder_sim::ReceivedFrame>& frames) {
    Kinds kinds;
    for (const auto& f : frames) kinds.push_back(f.kind);
    return kinds;
  }
  std::vector<std::string> Written(const std::vector<encoder_sim::ReceivedFrame>& frames) {
    std::vector<std::string> texts;
    for (const auto& f : frames)
      if (f.kind == FrameKind::Write) texts.push_back(f.text);
    return texts;
  }
  std::string File(const std::string& name, const std::string& content) {
    const std::string path = dir / name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  std::filesystem::path dir;
  std::unique_ptr<VirtualEncoder> encoder;
};

// ---- One command, one status ----

struct CommandCase {
  const char* name;
  std::vector<std::string> args;
  EncoderOptions encoder;
  int status;
  std::string out;                      // all of standard output
  std::string errHas;                   // a piece of the message on standard error
  Kinds frames;                         // what reached the encoder
  std::string cardAfter{};              // code page 936 bytes, when the card is to change
  bool portHeld = false;                // the window holds the port meanwhile
  const char* outFile = nullptr;        // standard output goes there (and `out` is not read)
  const char* emptyVariable = nullptr;  // set, but empty, while the command runs
  std::string input{};                  // standard input
};
// Test listings name a case, not its bytes.
void PrintTo(const CommandCase& c, std::ostream* out) { *out << c.name; }

using CardCommand = Card;
class CardCommands : public Card, public ::testing::WithParamInterface<CommandCase> {};

const std::string k95(95, 'x');
constexpr auto L = FrameKind::LeadIn;
constexpr auto R = FrameKind::Read;
constexpr auto W = FrameKind::Write;

// clang-format off
const CommandCase kCommandCases[] = {
    {"ReadPrintsTheTrack1Text", {"read"}, {.cardData = "0123 张三"}, 0, U8(u8"0123 张三\n"), "", {L, R}},
    {"ReadHexGivesTheCardsBytes", {"read", "--hex"}, {.cardData = "A张"}, 0, "41 D5 C5\n", "", {L, R}},
    {"ReadOfACardHoldingALineFeedIs4", {"read"}, {.cardData = "A\nB"}, 4, "", "control bytes (41 0A 42)", {L, R}},
    {"WriteTakesItsTextFromInput", {"write", "-"}, {}, 0, "", "", {L, W}, "SECRET 1", false, nullptr, nullptr, "SECRET 1\r\n"},
    {"WriteHexTakesItsBytesFromInput", {"write", "--hex", "-"}, {}, 0, "", "", {L, W}, "AB", false, nullptr, nullptr, "41 42\n"},
    {"WriteSendsLeadInAndTheTextInCodePage936", {"write", U8(u8"李四 €0002")}, {}, 0, "", "", {L, W}, "李四 \x80" "0002"},
    {"WriteAndVerifyTakeTheCapacityOf95Bytes", {"--port", "com1", "write", "--verify", k95}, {}, 0, "", "", {L, W, L, R}, k95},
    {"WriteHexTakesBytesThatAreNoText", {"write", "--hex", "01 41:1D"}, {}, 0, "", "", {L, W}, "\x01" "A\x1d"},
    {"VerifyReadsTheCardBack", {"write", "--verify", "CARD-7"}, {}, 0, "", "", {L, W, L, R}, "CARD-7"},
    {"ResetSendsTheResetFrame", {"reset"}, {}, 0, "", "", {FrameKind::Reset}},
    {"VerifyFindingOtherDataIs1", {"write", "--verify", "ABC"}, {.rawAnswer = "\x1bsXYZ?\x1c"}, 1, "",
     "reads back as \"XYZ\"", {L, W, L, R}, "ABC"},
    {"ASilentEncoderIs2AndIsReset", {"read"}, {.noAnswer = true}, 2, "", "no card data came", {L, R, FrameKind::Reset}},
    {"AMissingPortIs3", {"--port", "/nonexistent/ttyX", "read"}, {}, 3, "", "/nonexistent/ttyX does not exist", {}},
    {"ADirectoryIsNoPort", {"--port", "/tmp", "read"}, {}, 3, "", "/tmp is a directory, not a serial port", {}},
    {"ADeviceThatIsNoTerminalIsNoPort", {"--port", "/dev/null", "reset"}, {}, 3, "", "cannot be opened as a serial port", {}},
    {"APseudoTerminalMasterIsNoPort", {"--port", "/dev/ptmx", "read"}, {}, 3, "", "pseudo-terminal multiplexer", {}},
    {"TheProgramsOwnTerminalIsNoPort", {"--port", "/dev/tty", "read"}, {}, 3, "", "the terminal brimlock-card runs in", {}},
    {"AnEmptyComVariableIs3", {"--port=com2", "read"}, {}, 3, "", "BRIMLOCK_COM2 is set but empty", {}, {}, false,
     nullptr, "BRIMLOCK_COM2"},
    {"AReplyCutByAGapIsUnreadable", {"read"}, {.cardData = "CARD 0001", .splitAfter = 6, .splitGap = encoder_sim::Millis(45)}, 6, "", "cut", {L, R}},
    {"AReplyFillingTheReadIsUnreadable", {"read"}, {.cardData = "X", .padTo = 120}, 6, "", "whole 100-byte read", {L, R}},
    {"AReplyWithoutDataIsUnreadable", {"read"}, {.rawAnswer = "\x1bs?\x1c"}, 6, "", "holds no data", {L, R}},
    {"ALateReplyIsNotTheCards", {"read"}, {.cardData = "NEW", .lateAnswer = "\x1bsOLD?\x1c"}, 0, "NEW\n", "", {L, R}},
    {"AnAnswerSoonerThanASwipeIsUnreadable", {"read"}, {.cardData = "OLD", .answerDelay = Millis(100)}, 6, "", "sooner than a card is swiped", {L, R}},
    {"AVerifyAnsweredSoonerThanASwipeIsUnreadable", {"write", "--verify", "NEW"}, {.cardData = "NEW", .answerDelay = Millis(100)}, 6, "",
     "sooner than a card is swiped", {L, W, L, R}},
    {"AReplyCutByALongGapIsUnreadable", {"read"}, {.cardData = "CARD 0001", .splitAfter = 6, .splitGap = Millis(400)}, 6, "", "cut", {L, R}},
    {"AVerifyOfAReplyCutShortIsUnreadable", {"write", "--verify", "HELLO CARD"}, {.splitAfter = 5, .splitGap = Millis(900)}, 6, "",
     "so it was cut", {L, W, L, R}, "HELLO CARD"},
    {"ALineNeverQuietIsUnreadableWithinASecond", {"read"}, {.drip = Millis(7)}, 6, "", "never went quiet", {L}},
    {"ReadToAFullOutputIs8", {"read"}, {.cardData = "A"}, 8, "", "No space left on device", {L, R}, {}, false, "/dev/full"},
    {"JsonWriteToAFullOutputIs8", {"--json", "write", "A"}, {}, 8, "", "No space left", {L, W}, "A", false, "/dev/full"},
    {"LookupToAFullOutputIs8", {"lookup", "0123"}, {}, 8, "", "No space left", {}, {}, false, "/dev/full"},
    {"APortTheWindowHoldsIs3NamingTheProcess", {"write", "A"}, {}, 3, "", "in use by another program: process ", {}, {}, true},
    {"ACharacterCodePage936LacksIs4", {"write", U8(u8"A😀")}, {}, 4, "", "U+1F600", {}},
    {"ATextOf96BytesIs4", {"write", k95 + "x"}, {}, 4, "", "a card holds at most 95", {}},
    {"AVerifiedTextOf97BytesIs4", {"write", "--verify", k95 + "xx"}, {}, 4, "", "a card holds at most 95", {}},
    {"AHexNulIs4", {"write", "--hex", "41 00"}, {}, 4, "", "00 byte", {}},
    {"AHexEscIs4", {"write", "--hex", "41 1d 1b 5c"}, {}, 4, "", "1B (ESC)", {}},
    {"ATextHoldingFrameBytesIs4", {"write", "INJ-A\x1d\x1b\\\x1b%B\x1btINJ-B"}, {}, 4, "", "control character U+001D", {}},
    {"AnEmptyTextIs4", {"write", ""}, {}, 4, "", "empty", {}},
    {"AnUnknownOptionIs4", {"read", "--fast"}, {}, 4, "", "unknown option '--fast'", {}},
    {"AnUnknownCommandIs4", {"frob", "0123"}, {}, 4, "", "unknown command 'frob'; give one of read, write, reset, batch, lookup, issue or ports", {}},
    {"AnOptionOfAnotherCommandIs4", {"reset", "--verify"}, {}, 4, "", "--verify has no meaning for reset", {}},
    {"ABatchFromInputWithoutAJournalIs4", {"batch", "-"}, {}, 4, "", "needs --journal", {}},
    {"LookupPrintsCardTabHiddenCode", {"lookup", "0123"}, {}, 0, U8(u8"10000002\tH0002\n10000003\t贵宾卡0003\n"), "", {}},
    {"LookupWithNoRecordIs2", {"lookup", "0000"}, {}, 2, "", "no record found", {}},
};
// clang-format on

TEST_P(CardCommands, ExitWithTheirStatus) {
  const CommandCase& c = GetParam();
  Encoder(c.encoder);
  HANDLE held = INVALID_HANDLE_VALUE;
  if (c.portHeld) {
    held = OpenEncoderPort("com1");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
  }
  if (c.emptyVariable != nullptr) setenv(c.emptyVariable, "", 1);
  const CardResult result = RunCard(c.args, c.input, {.outFile = c.outFile});
  if (c.emptyVariable != nullptr) unsetenv(c.emptyVariable);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  EXPECT_EQ(result.status, c.status) << result.err;
  if (c.args.front() == "lookup") EXPECT_EQ(SortedLines(result.out), SortedLines(c.out));
  else EXPECT_EQ(result.out, c.out);
  if (c.errHas.empty()) {
    EXPECT_EQ(result.err, "");
  } else {
    EXPECT_NE(result.err.find("brimlock-card: "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(c.errHas), std::string::npos) << result.err;
  }
  const auto frames = Frames(c.frames.size());
  EXPECT_EQ(KindsOf(frames), c.frames);
  EXPECT_EQ(encoder->cardData(), c.cardAfter.empty() ? c.encoder.cardData : c.cardAfter);
}

INSTANTIATE_TEST_SUITE_P(Each, CardCommands, ::testing::ValuesIn(kCommandCases),
                         [](const auto& info) { return std::string(info.param.name); });

// An encoder that answers a read after it gave up, and not even a reset stops: that answer
// reaches the next operation's check, which must not take it for its card.
TEST_F(CardCommand, AnEarlierReadsLateAnswerIsNotVerified) {
  Encoder({.cardData = "CARD 7", .answerDelay = Millis(8600), .ignoreReset = true});
  EXPECT_EQ(RunCard({"read"}).status, 2);
  // It comes sooner than a swipe after the check's read frame (6), or before it, while the
  // line is watched for quiet (then the check has no answer of its own: 2).
  const CardResult verify = RunCard({"write", "--verify", "CARD 7"});
  EXPECT_TRUE(verify.status == 6 || verify.status == 2) << verify.status << " " << verify.err;
}

// What com1 stands for and whether it can be opened; a port held names its process, one
// this user may not use names the device's group.
TEST_F(CardCommand, PortsAndWhyOneCannotBeOpenedAreNamed) {
  Encoder();
  const std::string com1 = "com1\t" + encoder->slavePath() + "\t";
  EXPECT_NE(RunCard({"ports"}).out.find(com1 + "can be opened\n"), std::string::npos);
  HANDLE held = OpenEncoderPort("com1");
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const CardResult listed = RunCard({"ports"});
  CloseHandle(held);
  EXPECT_NE(listed.out.find(com1 + "process " + std::to_string(getpid()) + " (card_tests) holds it\n"),
            std::string::npos)
      << listed.out;
  // A serial device as distributions make it: root's, mode 0660, group dialout.
  const group* dialout = getgrnam("dialout");
  if (geteuid() != 0 || dialout == nullptr) GTEST_SKIP() << "needs root and a group dialout";
  ASSERT_EQ(chown(encoder->slavePath().c_str(), 0, dialout->gr_gid), 0);
  ASSERT_EQ(chmod(encoder->slavePath().c_str(), 0660), 0);
  const CardResult refused = RunCard({"read"}, "", {.asNobody = true});
  EXPECT_EQ(refused.status, 3) << refused.err;
  EXPECT_NE(refused.err.find("refused to open: it belongs to group 'dialout', which you are not in: join it"),
            std::string::npos)
      << refused.err;
}

// Each way a database can refuse is told apart: the driver's own words and what to check.
TEST_F(CardCommand, EachDatabaseFailureSaysWhy) {
  const std::string empty = (dir / "empty.db").string();
  ASSERT_EQ(std::system(("sqlite3 '" + empty + "' 'create table t(a)'").c_str()), 0);
  const std::pair<std::string, std::string> setups[] = {
      {"Provider=MSDASQL;DRIVER=NoSuchDriver;Database=x;", "DRIVER= with 'odbcinst -q -d'"},
      {Sqlite((dir / "missing.db").string()), "the SQLite file Database= names cannot be opened"},
      {"Provider=MSDASQL;DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=" + std::to_string(ClosedPort().port()) +
           ";DATABASE=x;UID=u;",
       "SQLSTATE 08001: connection to server at \"127.0.0.1\""},
      {"Provider=MSDASQL;DRIVER", "the connection string is malformed"},
      {"Provider=SQLOLEDB;SERVER=localhost;DATABASE=kq7_mavr;UID=sa;PWD=402617;", "SQLSTATE 08S01: [FreeTDS]"},
      {Sqlite(empty), "the ticket query failed (SQLSTATE HY000: [SQLite]no such table: Kcard_ticket_BaseInfo"},
  };
  for (const auto& [connection, says] : setups) {
    setenv("BRIMLOCK_CONNECTION", connection.c_str(), 1);
    const CardResult result = RunCard({"lookup", "0123"});
    EXPECT_EQ(result.status, 5) << result.err;
    EXPECT_NE(result.err.find(says), std::string::npos) << result.err;
  }
}

TEST_F(CardCommand, JsonOutputIsReadByAJsonParser) {
  Encoder({.cardData = "\"A\"\\\x1b张"});
  EXPECT_EQ(ParsedJson(RunCard({"--json", "read"}).out),
            U8(u8"{\"hex\": \"22 41 22 5C 1B D5 C5\", \"text\": \"\\\"A\\\"\\\\\\u001b张\"}\n"));
  EXPECT_EQ(ParsedJson(RunCard({"write", "--json", "--verify", U8(u8"王五")}).out),
            U8(u8"{\"error\": null, \"message\": null, \"row\": 1, \"text\": \"王五\", \"verified\": true, "
               u8"\"written\": true}\n"));
  // A failure is an object too, with the status's word.
  const std::string failed = ParsedJson(RunCard({"--json", "--port", "/nonexistent/ttyX", "read"}).out);
  EXPECT_TRUE(failed.starts_with("{\"error\": \"port\", \"message\": \"/nonexistent/ttyX does not exist") &&
              failed.ends_with("\"status\": 3}\n"))
      << failed;
  EXPECT_EQ(
      SortedLines(ParsedJson(RunCard({"--json", "lookup", "0123"}).out)),
      U8(u8"{\"card\": \"10000002\", \"hidden\": \"H0002\"}\n{\"card\": \"10000003\", \"hidden\": \"贵宾卡0003\"}\n"));
}

// A desk whose environment names no locale (cron, a bare service), or the C one, reads
// Chinese codes from PostgreSQL and looks up Chinese text as any other: the driver takes its
// link's encoding from the locale unless told.
TEST_F(CardCommand, ALookupInTheCLocaleCarriesChineseOnPostgreSql) {
  PostgresServer& server = PostgresServer::Shared();
  ASSERT_EQ(server.failure(), "");
  setenv("BRIMLOCK_CONNECTION", server.ConnectionString().c_str(), 1);
  std::vector<std::pair<const char*, std::string>> saved;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG", "PGCLIENTENCODING"}) {
    if (const char* value = std::getenv(name)) saved.emplace_back(name, value);
    unsetenv(name);
  }
  for (const char* all : {"", "C"}) {
    if (*all != '\0') setenv("LC_ALL", all, 1);
    const CardResult found = RunCard({"lookup", "0123"}), none = RunCard({"lookup", U8(u8"贵宾")});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(SortedLines(found.out), U8(u8"10000002\tH0002\n10000003\t贵宾卡0003\n")) << all;
    EXPECT_EQ(none.status, 2) << none.err;
  }
  unsetenv("LC_ALL");
  for (const auto& [name, value] : saved) setenv(name, value.c_str(), 1);
}

// The exit statuses and their words, as --help prints them and as the manual page lists them.
TEST_F(CardCommand, TheManualPageListsTheStatusesOfHelpRowByRow) {
  const CardResult help = RunCard({"--help"});
  EXPECT_EQ(help.status, 0);
  std::vector<std::string> helpRows, manualRows;
  const std::regex helpRow(R"(^ +(\d+)  ([a-z-]+) )"), manualRow(R"re(^\.BR (\d+) " ([a-z\\-]+)"$)re");
  std::istringstream helpLines(help.out), manualLines(ReadFile(BRIMLOCK_MANUAL));
  std::smatch match;
  for (std::string line; std::getline(helpLines, line);)
    if (std::regex_search(line, match, helpRow)) helpRows.push_back(match[1].str() + " " + match[2].str());
  for (std::string line; std::getline(manualLines, line);) {
    if (!std::regex_search(line, match, manualRow)) continue;
    std::string word = match[2].str();
    std::erase(word, '\\');
    manualRows.push_back(match[1].str() + " " + word);
  }
  EXPECT_EQ(helpRows.size(), 13u);
  EXPECT_EQ(manualRows, helpRows);
}

// ---- Batches ----

using CardBatch = Card;

TEST_F(CardBatch, ChineseAndAsciiLinesAreWrittenAndVerifiedInOrder) {
  Encoder();
  const std::string cards = File("cards.txt", U8(u8"CARD 0001\n张三\n\n李四 0003\r\n€uro"));
  const mode_t umaskWas = umask(0);
  const CardResult result = RunCard({"--json", "batch", "--verify", cards});
  umask(umaskWas);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("4 written, 4 verified, 0 failed"), std::string::npos) << result.err;
  EXPECT_EQ(
      ParsedJson(result.out),
      U8(u8"{\"error\": null, \"message\": null, \"row\": 1, \"text\": \"CARD 0001\", \"verified\": true, \"written\": true}\n"
         u8"{\"error\": null, \"message\": null, \"row\": 2, \"text\": \"张三\", \"verified\": true, \"written\": true}\n"
         u8"{\"error\": null, \"message\": null, \"row\": 4, \"text\": \"李四 0003\", \"verified\": true, \"written\": true}\n"
         u8"{\"error\": null, \"message\": null, \"row\": 5, \"text\": \"€uro\", \"verified\": true, \"written\": true}\n") +
          "{\"batch\": \"" + cards +
          "\", \"cards\": 4, \"done_earlier\": 0, \"error\": null, \"failed\": 0, \"not_done\": [], "
          "\"status\": 0, \"verified\": 4, \"written\": 4}\n");
  // A rerun with nothing left to do still ends with its summary, so the output is never empty.
  EXPECT_EQ(ParsedJson(RunCard({"--json", "batch", "--verify", cards}).out),
            "{\"batch\": \"" + cards +
                "\", \"cards\": 4, \"done_earlier\": 4, \"error\": null, \"failed\": 0, "
                "\"not_done\": [], \"status\": 0, \"verified\": 0, \"written\": 0}\n");
  const auto frames = Frames(16);
  EXPECT_EQ(Written(frames), (std::vector<std::string>{"CARD 0001", "张三", "李四 0003", "\x80uro"}));
  EXPECT_EQ(KindsOf(frames), (Kinds{L, W, L, R, L, W, L, R, L, W, L, R, L, W, L, R}));
  // The journal's digests are the user's alone, even under a umask that lets all read.
  struct stat info {};
  ASSERT_EQ(stat((cards + ".journal").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  std::istringstream journal(ReadFile(cards + ".journal"));
  std::string line;
  std::vector<std::string> rows;
  std::getline(journal, line);
  EXPECT_TRUE(line.starts_with("brimlock-card journal 3 ")) << line;
  // Each card's steps: on the disk before its frames, once they have left, once checked.
  while (std::getline(journal, line))
    if (line.starts_with("1\t") || line.ends_with("verified"))
      rows.push_back(line.substr(0, 2) + line.substr(line.rfind('\t') + 1));
  EXPECT_EQ(rows, (std::vector<std::string>{"1\tbegun", "1\tsent", "1\tverified", "2\tverified", "4\tverified",
                                            "5\tverified"}));
}

TEST_F(CardBatch, OnATerminalEachCardIsAnnouncedWithARunningCount) {
  Encoder();
  const std::string cards = File("cards.txt", U8(u8"CARD 0001\n张三\n"));
  const CardResult result = CardProgram({"batch", "--pace", "0", cards}, "", {.errOnTerminal = true}).Wait();
  EXPECT_EQ(result.status, 0);
  std::string err = result.err;
  std::erase(err, '\r');  // a terminal ends its lines with CR LF
  EXPECT_EQ(err, U8(u8"card 1 of 2 (line 1): CARD 0001\n  written; 1 of 2 done, 0 failed\n"
                    u8"card 2 of 2 (line 2): 张三\n  written; 2 of 2 done, 0 failed\n") +
                     "brimlock-card: batch " + cards + ": 2 written, 0 verified, 0 failed\n");
}

TEST_F(CardBatch, ALineNotInCodePage936StopsTheBatchBeforeAnyCard) {
  Encoder();
  const std::string cards = File("cards.txt", U8(u8"CARD 1\nCARD ₩2\n"));
  const CardResult result = RunCard({"batch", cards});
  EXPECT_EQ(result.status, 4);
  EXPECT_NE(result.err.find("line 2 of"), std::string::npos) << result.err;
  EXPECT_TRUE(Frames(0).empty());
  EXPECT_FALSE(std::filesystem::exists(cards + ".journal"));
}

// Stopped by Ctrl-C, by a closed terminal, then killed while a card is checked, then
// edited, then run to the end: every card is written once, none twice, and the card whose
// check the kill cut short is named, with a read to settle it, until the operator does.
TEST_F(CardBatch, AStoppedRunGoesOnAfterTheLastCardDone) {
  // Each check waits for its answer, so the signals land while a card is in hand.
  VirtualEncoder& enc = Encoder();
  std::string lines;
  for (int i = 1; i <= 6; ++i) lines += "CARD 0" + std::to_string(i) + "\n";
  const std::string cards = File("cards.txt", lines);
  const std::vector<std::string> batch{"batch", "--verify", cards};
  auto signalWhenChecking = [&](std::size_t card, int signal) {
    CardProgram run(batch);
    // A card is four frames; card k's read request, which waits for its answer, is frame 4k.
    EXPECT_TRUE(enc.waitForFrames(4 * card, Millis(10000)));
    run.Signal(signal);
    return run.Wait();
  };

  const CardResult interrupted = signalWhenChecking(2, SIGINT);
  EXPECT_EQ(interrupted.status, 130) << interrupted.err;
  EXPECT_NE(interrupted.err.find("2 written, 2 verified, 0 failed; stopped by Ctrl-C"), std::string::npos)
      << interrupted.err;
  const CardResult hungUp = signalWhenChecking(3, SIGHUP);
  EXPECT_EQ(hungUp.status, 129) << hungUp.err;
  EXPECT_NE(hungUp.err.find("1 written, 1 verified, 0 failed (and 2 done by an earlier run); stopped by SIGHUP"),
            std::string::npos)
      << hungUp.err;

  const CardResult killed = signalWhenChecking(4, SIGKILL);
  EXPECT_EQ(killed.status, 128 + SIGKILL);
  // The killed run's answer still comes; the next open purges it.
  EXPECT_TRUE(enc.peer().waitQueued(Millis(3000)));

  File("cards.txt", "CARD 00\n" + lines.substr(lines.find('\n') + 1));
  const CardResult edited = RunCard(batch);
  EXPECT_EQ(edited.status, 4);
  EXPECT_NE(edited.err.find("line 1 of " + cards + " is not the text the journal"), std::string::npos) << edited.err;
  File("cards.txt", lines);

  // The killed card's check never ran: it is named as written but not checked, with a read.
  const CardResult rest = RunCard(batch);
  EXPECT_EQ(rest.status, 9) << rest.err;
  EXPECT_NE(rest.err.find("2 written, 2 verified, 0 failed (and 3 done by an earlier run)"), std::string::npos)
      << rest.err;
  EXPECT_NE(rest.err.find("line 4: \"CARD 04\" was written but not checked: the batch stopped before its check. "
                          "Check that card with 'brimlock-card read', then run 'brimlock-card batch --verify "
                          "--mark-done 4 " +
                          cards + "'"),
            std::string::npos)
      << rest.err;
  EXPECT_EQ(Written(Frames(24)),
            (std::vector<std::string>{"CARD 01", "CARD 02", "CARD 03", "CARD 04", "CARD 05", "CARD 06"}));

  std::vector<std::string> settled = batch;
  settled.insert(settled.end() - 1, {"--mark-done", "4"});
  const CardResult again = RunCard(settled);
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.err.find("done already"), std::string::npos);
  EXPECT_EQ(enc.frames().size(), 24u);
}

TEST_F(CardBatch, ALookupPipedIntoABatchWritesTheTicketsHiddenCodes) {
  Encoder();
  const std::string card = std::string("'") + BRIMLOCK_CARD + "'";
  const std::string pipeline = card + " lookup 0123 | cut -f2 | " + card + " batch --pace 0 --journal '" +
                               (dir / "j").string() + "' - 2>/dev/null";
  EXPECT_EQ(std::system(pipeline.c_str()), 0);
  std::vector<std::string> written = Written(Frames(4));
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, (std::vector<std::string>{"H0002", "贵宾卡0003"}));
}

// ---- What a batch refuses before any card: each leaves the encoder untouched ----

struct RefusalCase {
  const char* name;
  std::string input;               // the batch's input file
  std::string journal;             // its journal's content; "" for none, "FIFO", "DIR", "LINK" (to a
                                   // file not there) or "OTHER" (another user's) for those
  std::vector<std::string> extra;  // options
  int status;
  std::string errHas;
};
void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }
class CardBatchRefusals : public Card, public ::testing::WithParamInterface<RefusalCase> {};

const std::string kJournalHeader = "brimlock-card journal 2\n";

// clang-format off
const RefusalCase kRefusalCases[] = {
    {"AJournalAsInput", kJournalHeader + "1\t0123456789abcdef\tbegun\n", "", {}, 4, "is a brimlock-card journal"},
    {"AControlByteOnALine", "CARD 1\nINJ-A\x1d\x1b\\\x1btINJ-B\n", "", {}, 4, "line 2 of"},
    {"ATabOnALine", "EF\tGH\n", "", {}, 4, "control character U+0009"},
    {"SeveralCardsUnpacedOffATerminal", "CARD 1\nCARD 2\n", "", {}, 4, "give --pace SECONDS"},
    {"ALineOf96Bytes", "CARD 1\n" + std::string(96, 'x') + "\n", "", {}, 4, "line 2 of"},
    {"AFifoAsJournal", "CARD 1\n", "FIFO", {}, 7, "is not a regular file"},
    {"ADirectoryAsJournal", "CARD 1\n", "DIR", {}, 7, "is not a regular file"},
    {"ASymbolicLinkAsJournal", "CARD 1\n", "LINK", {}, 7, "a symbolic link, which a journal is never opened through"},
    {"AnotherUsersFileAsJournal", "CARD 1\n", "OTHER", {}, 7, "it belongs to another user"},
    {"AJournalHashThatIsNotHex", "CARD 1\n", kJournalHeader + "1\tzzzzzzzzzzzzzzzz\twritten\n", {}, 4,
     "is not a brimlock-card journal"},
    {"MarkDoneOfACardNotNamed", "CARD 1\n", "", {"--mark-done", "1"}, 4, "names no card of line 1"},
    {"RewriteOfACardDone", "CARD 1\n", kJournalHeader + "1\tf4b3b7f319caba34\twritten\n", {"--rewrite", "1"}, 4,
     "names no card of line 1"},
};
// clang-format on

TEST_P(CardBatchRefusals, WriteNoCard) {
  const RefusalCase& c = GetParam();
  Encoder();
  const std::string input = File("cards.txt", c.input);
  const std::string journal = (dir / "journal").string();
  if (c.journal == "FIFO") {
    ASSERT_EQ(mkfifo(journal.c_str(), 0600), 0);
  } else if (c.journal == "DIR") {
    std::filesystem::create_directory(journal);
  } else if (c.journal == "LINK") {
    std::filesystem::create_symlink(dir / "planted", journal);
  } else if (c.journal == "OTHER") {
    File("journal", "");
    if (chown(journal.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "only root can give a file to another user";
  } else if (!c.journal.empty()) {
    File("journal", c.journal);
  }
  std::vector<std::string> args{"batch", "--journal", journal};
  args.insert(args.end(), c.extra.begin(), c.extra.end());
  args.push_back(input);
  const CardResult result = RunCard(args);
  EXPECT_EQ(result.status, c.status) << result.err;
  EXPECT_NE(result.err.find(c.errHas), std::string::npos) << result.err;
  EXPECT_TRUE(Frames(0).empty());
  EXPECT_FALSE(std::filesystem::exists(dir / "planted"));
}

INSTANTIATE_TEST_SUITE_P(Each, CardBatchRefusals, ::testing::ValuesIn(kRefusalCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The journal's text, line by line ----

struct JournalTextCase {
  const char* name;
  std::string text;
  bool isJournal;
  std::string entries;  // "line:step" of each card, in line order
  std::string toAdd;
};
void PrintTo(const JournalTextCase& c, std::ostream* out) { *out << c.name; }
class CardJournalText : public ::testing::TestWithParam<JournalTextCase> {};

const std::string kH1 = "0123456789abcdef", kH2 = "fedcba9876543210";
const std::string kSalt(16, '\x5a'), kHeader3 = "brimlock-card journal 3 5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a\n";
const std::string kD1 = "lDGddxRY1t6cyeZ.reZhjE7nP/xvk.h4PjkHY0obOc5";
// clang-format off
const JournalTextCase kJournalTextCases[] = {
    {"EmptyIsANewJournalWithItsSalt", "", true, "", kHeader3},
    {"AHeaderAlone", kJournalHeader, true, "", ""},
    {"Format3ADigestOfItsLetters", kHeader3 + "1\t" + kD1 + "\tbegun\n1\t" + kD1 + "\twritten\n", true, "1:written", ""},
    {"Format3AHeaderWithoutSalt", "brimlock-card journal 3 \n", false, "", ""},
    {"Format3ADigestWithATab", kHeader3 + "1\tab$cd\twritten\n", false, "", ""},
    {"AHeaderCutShort", "brimlock-card jour", false, "", ""},
    {"ACardsLastStepCounts", kJournalHeader + "1\t" + kH1 + "\tbegun\n2\t" + kH2 + "\tbegun\n1\t" + kH1 + "\tverified\n", true, "1:verified 2:begun", ""},
    {"ATornLineIsEnded", kJournalHeader + "1\t" + kH1 + "\twritten\n2\t" + kH2 + "\tbeg", true, "1:written", "\ttorn\n"},
    {"ALineEndedAsTornIsNoStep", kJournalHeader + "2\t" + kH2 + "\tbeg\ttorn\n3\t" + kH1 + "\tunsent\n", true, "3:unsent", ""},
    {"Format1ALineWithoutResultIsBegun", "brimlock-card journal 1\n1\t" + kH1 + "\n2\t" + kH2 + "\twritten\n", true, "1:begun 2:written", ""},
    {"Format1ATornLineIsBegun", "brimlock-card journal 1\n1\t" + kH1 + "\twri", true, "1:begun", "\ttorn\n1\t" + kH1 + "\tbegun\n"},
    {"AnotherFilesText", "CARD 1\nCARD 2\n", false, "", ""},
    {"AHashThatIsNotHex", kJournalHeader + "1\tzzzzzzzzzzzzzzzz\twritten\n", false, "", ""},
    {"AnUnknownStep", kJournalHeader + "1\t" + kH1 + "\tprinted\n", false, "", ""},
    {"AStepWithoutItsHash", kJournalHeader + "1\twritten\n", false, "", ""},
    {"Format2ALineWithoutStep", kJournalHeader + "1\t" + kH1 + "\n", false, "", ""},
    {"ALineNumberTooLong", kJournalHeader + "1234567890\t" + kH1 + "\twritten\n", false, "", ""},
};
// clang-format on

TEST_P(CardJournalText, ReadsEachCardsLastStep) {
  const JournalTextCase& c = GetParam();
  const std::optional<card::JournalText> read = card::ParseJournal(c.text, kSalt);
  ASSERT_EQ(read.has_value(), c.isJournal);
  if (!read) return;
  std::string entries;
  for (const auto& [line, entry] : read->entries)
    entries += (entries.empty() ? "" : " ") + std::to_string(line) + ":" + entry.step;
  EXPECT_EQ(entries, c.entries);
  EXPECT_EQ(read->toAdd, c.toAdd);
}

INSTANTIATE_TEST_SUITE_P(Each, CardJournalText, ::testing::ValuesIn(kJournalTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CardBatch, InputWithoutEndIsRefusedBeforeItFillsMemory) {
  Encoder();
  const CardResult result = RunCard({"batch", "--journal", (dir / "j").string(), "/dev/zero"});
  EXPECT_EQ(result.status, 4);
  EXPECT_NE(result.err.find("more than 16 MiB"), std::string::npos) << result.err;
}

// A line cut short is a step that never completed: the card it began was never sent.
TEST_F(CardBatch, ATornJournalLineIsACardNeverSent) {
  Encoder();
  const std::string cards = File("cards.txt", "CARD 1\nCARD 2\nCARD 3\n");
  const std::string hash1 = "f4b3b7f319caba34";
  File("cards.txt.journal", kJournalHeader + "1\t" + hash1 + "\tbegun\n1\t" + hash1 + "\twritten\n2\t");
  // Without a check the cards are paced: --pace 1 waits a second between them.
  const auto start = std::chrono::steady_clock::now();
  const CardResult rest = RunCard({"batch", "--pace", "1", cards});
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(950));
  EXPECT_EQ(rest.status, 0) << rest.err;
  EXPECT_EQ(Written(Frames(4)), (std::vector<std::string>{"CARD 2", "CARD 3"}));
  EXPECT_NE(ReadFile(cards + ".journal").find("\n2\t\ttorn\n"), std::string::npos);
  EXPECT_NE(RunCard({"batch", cards}).err.find("done already"), std::string::npos);
}

TEST_F(CardBatch, ASecondRunOnAJournalInUseIsRefusedNamingTheFirst) {
  VirtualEncoder& first = Encoder();
  VirtualEncoder second;
  setenv("BRIMLOCK_COM2", second.slavePath().c_str(), 1);
  const std::string cards = File("cards.txt", "CARD 1\nCARD 2\n");
  CardProgram running({"batch", "--verify", cards});
  ASSERT_TRUE(first.waitForFrames(4, Millis(10000)));  // its first check waits for an answer
  const CardResult refused = RunCard({"--port", "com2", "batch", "--verify", cards});
  unsetenv("BRIMLOCK_COM2");
  EXPECT_EQ(refused.status, 7) << refused.err;
  EXPECT_NE(refused.err.find("in use by another batch (process " + std::to_string(running.pid()) + ")"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(running.Wait().status, 0);
  EXPECT_TRUE(second.frames().empty());
  EXPECT_EQ(Written(Frames(8)), (std::vector<std::string>{"CARD 1", "CARD 2"}));
}

// A run killed at each of its flushes to disk in turn, then run again: each card is on a
// card once, or the rerun names it. SIGTERM at a flush ends the run after the card in hand.
TEST_F(CardBatch, KilledAtEachFlushEveryCardIsWrittenOnceOrNamed) {
  if (std::system("command -v strace >/dev/null") != 0) GTEST_SKIP() << "strace is not installed";
  VirtualEncoder& enc = Encoder();
  const std::vector<std::string> texts{"CARD 1", "CARD 2", "CARD 3"};
  const std::string cards = File("cards.txt", "CARD 1\nCARD 2\nCARD 3\n");
  int named = 0;
  // The journal's directory, its header, and two steps per card.
  for (int flush = 1; flush <= 8; ++flush) {
    // Leak checks cannot run under a tracer.
    const std::string untraced = "ASAN_OPTIONS=detect_leaks=0 ";
    const std::string journal = (dir / ("j" + std::to_string(flush))).string();
    const std::size_t before = enc.frames().size();
    const std::string killed = untraced +
                               "strace -f -qq -o /dev/null -e trace=fsync -e inject=fsync:signal=KILL:when=" +
                               std::to_string(flush) + " '" + BRIMLOCK_CARD + "' batch --pace 0 --journal " + journal +
                               " " + cards + " 2>/dev/null";
    ASSERT_NE(std::system(killed.c_str()), 0);
    const CardResult rerun = RunCard({"batch", "--pace", "0", "--journal", journal, cards});
    EXPECT_TRUE(rerun.status == 0 || rerun.status == 9) << rerun.err;
    // A reset right after the last write ends it on the line; then every write has come.
    EXPECT_EQ(RunCard({"reset"}).status, 0);
    while (enc.frames().back().kind != FrameKind::Reset)
      if (!enc.waitForFrames(enc.frames().size() + 1, Millis(3000))) break;
    std::vector<std::string> written;
    const auto frames = enc.frames();
    for (std::size_t i = before; i < frames.size(); ++i)
      if (frames[i].kind == W) written.push_back(frames[i].text);
    for (std::size_t k = 0; k < texts.size(); ++k) {
      const long times = std::count(written.begin(), written.end(), texts[k]);
      const bool isNamed = rerun.err.find("line " + std::to_string(k + 1) + ": \"" + texts[k] +
                                          "\" may have been written") != std::string::npos;
      named += isNamed;
      EXPECT_TRUE(times == 1 || (isNamed && times == 0))
          << "flush " << flush << ", " << texts[k] << " written " << times << " times\n"
          << rerun.err;
    }
  }
  EXPECT_EQ(named, 3);  // killed at each card's first step, each in turn
  const std::string terminated =
      "ASAN_OPTIONS=detect_leaks=0 strace -f -qq -o /dev/null -e trace=fsync -e inject=fsync:signal=TERM:when=5 '" +
      std::string(BRIMLOCK_CARD) + "' batch --pace 0 --journal " + (dir / "t").string() + " " + cards;
  CardResult stopped;
  {
    FILE* run = popen((terminated + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, run)) > 0;) stopped.err.append(buffer, n);
    stopped.status = WEXITSTATUS(pclose(run));
  }
  EXPECT_EQ(stopped.status, 143) << stopped.err;
  // The fifth flush is the second card's first step: that card is finished.
  EXPECT_NE(stopped.err.find("2 written, 0 verified, 0 failed; stopped by SIGTERM"), std::string::npos) << stopped.err;
  EXPECT_EQ(RunCard({"batch", "--pace", "0", "--journal", (dir / "t").string(), cards}).status, 0);
}

// Standard output and error closed: the journal never takes their descriptors.
TEST_F(CardBatch, ClosedStandardStreamsLeaveTheJournalWhole) {
  Encoder();
  const std::string cards = File("cards.txt", "CARD 1\nCARD 2\n");
  EXPECT_EQ(RunCard({"batch", "--pace", "0", cards}, "", {.outErrClosed = true}).status, 0);
  EXPECT_NE(RunCard({"batch", cards}).err.find("done already"), std::string::npos);
  // The JSON results cannot be written: the batch stops after the card in hand.
  const std::string more = File("more.txt", "CARD 3\nCARD 4\n");
  EXPECT_EQ(RunCard({"--json", "batch", "--pace", "0", more}, "", {.outErrClosed = true}).status, 8);
  const CardResult rest = RunCard({"batch", more});
  EXPECT_EQ(rest.status, 0) << rest.err;
  EXPECT_NE(rest.err.find("1 written, 0 verified, 0 failed (and 1 done by an earlier run)"), std::string::npos)
      << rest.err;
  EXPECT_EQ(Written(Frames(8)), (std::vector<std::string>{"CARD 1", "CARD 2", "CARD 3", "CARD 4"}));
}

// The sample database with `rows` (SQL) added, as the lookup's connection.
void UseSampleWith(const std::filesystem::path& db, const std::string& rows) {
  std::filesystem::copy_file(kSampleDb, db);
  ASSERT_EQ(std::system(("sqlite3 '" + db.string() + "' \"" + rows + "\"").c_str()), 0);
  setenv("BRIMLOCK_CONNECTION", Sqlite(db.string()).c_str(), 1);
}

// Hidden codes holding a line break, a tab or frame bytes never reach a card as other cards.
// A code that is not text, none at all, or one code page 936 lacks never reaches a card by a
// pipe or by issue, and lookup prints none of its ticket.
TEST_F(CardBatch, HostileHiddenCodesThroughALookupWriteNoCard) {
  Encoder();
  const std::string rows =
      "INSERT INTO Kcard_ticket_BaseInfo VALUES ('7777', 0);"
      "INSERT INTO Kcard_BaseInfo VALUES ('7777', '20000001', 'AB' || char(10) || 'CD');"
      "INSERT INTO Kcard_BaseInfo VALUES ('7777', '20000002', 'EF' || char(9) || 'GH');"
      "INSERT INTO Kcard_BaseInfo VALUES ('7777', '20000003', 'INJ-A' || char(29, 27, 92, 27, 37, 66, 27, 116) || 'INJ-B');"
      "INSERT INTO Kcard_BaseInfo VALUES ('7777', '20000004', 'OK4');"
      "INSERT INTO Kcard_ticket_BaseInfo VALUES ('7778', 0);"
      "INSERT INTO Kcard_BaseInfo VALUES ('7778', '20000005', NULL);"
      "INSERT INTO Kcard_BaseInfo VALUES ('7778', '20000006', '');"
      "INSERT INTO Kcard_BaseInfo VALUES ('7778', '20000007', 'A' || char(8232) || 'B');"
      "INSERT INTO Kcard_BaseInfo VALUES ('7778', '20000008', 'OK8');";
  ASSERT_NO_FATAL_FAILURE(UseSampleWith(dir / "hostile.db", rows));

  struct Refusal {
    std::vector<std::string> args;
    std::vector<std::string> named;  // each card refused, with its reason
  };
  const Refusal refusals[] = {
      {{"lookup", "7777"},
       {"(card \"20000001\": its hidden code holds a control", "(card \"20000002\": its hidden code holds a control",
        "(card \"20000003\": its hidden code holds a control"}},
      {{"lookup", "7778"}, {"(card \"20000007\": its hidden code)", "code page 936 lacks"}},
      {{"--json", "lookup", "7778"}, {"(card \"20000007\": its hidden code)"}},
      {{"issue", "7777", "--record", (dir / "r.db").string()},
       {"card 20000001: the text holds the control character U+000A", "card 20000002: the text holds the control",
        "card 20000003: the text holds the control"}},
      {{"issue", "7778", "--record", (dir / "r.db").string()},
       {"card 20000005: no hidden code is recorded", "card 20000006: no hidden code is recorded",
        "card 20000007: its hidden code holds a character code page 936 lacks", "Nothing was written"}},
  };
  for (const Refusal& r : refusals) {
    const CardResult result = RunCard(r.args);
    EXPECT_EQ(result.status, 4) << r.args[1];
    if (r.args[0] == "--json") EXPECT_EQ(result.out.find("{\"error\":\"bad-input\""), 0u) << result.out;
    else EXPECT_EQ(result.out, "");
    for (const std::string& named : r.named) EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("OK"), std::string::npos) << result.err;
  }
  EXPECT_EQ(SortedLines(ParsedJson(RunCard({"--json", "lookup", "7777"}).out)),
            "{\"card\": \"20000001\", \"hidden\": \"AB\\nCD\"}\n{\"card\": \"20000002\", \"hidden\": \"EF\\tGH\"}\n"
            "{\"card\": \"20000003\", \"hidden\": \"INJ-A\\u001d\\u001b\\\\\\u001b%B\\u001btINJ-B\"}\n"
            "{\"card\": \"20000004\", \"hidden\": \"OK4\"}\n");

  const std::string card = std::string("'") + BRIMLOCK_CARD + "'";
  const std::string pipeline = card + " lookup 7777 | cut -f2 | " + card + " batch --journal '" + (dir / "j").string() +
                               "' - 2>/dev/null";
  EXPECT_NE(std::system(pipeline.c_str()), 0);
  EXPECT_TRUE(Frames(0).empty());
}

// A ticket of thousands of cards, one code longer than the printing buffer and one not
// ASCII: every card printed once and whole, in plain text and in JSON.
TEST_F(CardBatch, ALargeTicketPrintsEveryCardWhole) {
  const std::string rows = "INSERT INTO Kcard_ticket_BaseInfo VALUES ('7780', 0);"
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                           "INSERT INTO Kcard_BaseInfo SELECT '7780', 'C' || i, 'H' || i FROM n;"
                           "INSERT INTO Kcard_BaseInfo VALUES ('7780', 'LONG', printf('%.*c', 20000, 'L'));"
                           "INSERT INTO Kcard_BaseInfo VALUES ('7780', 'WIDE', char(36149, 23486, 21345));";
  ASSERT_NO_FATAL_FAILURE(UseSampleWith(dir / "large.db", rows));
  std::string expected = "LONG\t" + std::string(20000, 'L') + "\n" + U8(u8"WIDE\t贵宾卡\n");
  for (int i = 1; i <= 3000; ++i) expected += "C" + std::to_string(i) + "\tH" + std::to_string(i) + "\n";
  const CardResult plain = RunCard({"lookup", "7780"});
  EXPECT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(SortedLines(plain.out), SortedLines(expected));
  const std::string json = ParsedJson(RunCard({"--json", "lookup", "7780"}).out);
  EXPECT_EQ(std::count(json.begin(), json.end(), '\n'), 3002);
  EXPECT_NE(json.find("{\"card\": \"LONG\", \"hidden\": \"" + std::string(20000, 'L') + "\"}\n"), std::string::npos);
}

// ---- Issuing a ticket's cards ----

// What a shell command printed.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

class CardIssue : public Card {
 protected:
  // The sample tickets with the issuing record, as the database's owner makes it.
  std::string RecordDb() {
    const std::string db = (dir / "issuing.db").string();
    std::filesystem::copy_file(kSampleDb, db, std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(std::system(("sqlite3 '" + db + "' < '" BRIMLOCK_SQL_DIR "/issuing-record.sql'").c_str()), 0);
    setenv("BRIMLOCK_CONNECTION", Sqlite(db).c_str(), 1);
    return db;
  }
  // The texts written on `enc` since frame `from`.
  static std::vector<std::string> WrittenSince(const VirtualEncoder& enc, std::size_t from) {
    std::vector<std::string> texts;
    const auto frames = enc.frames();
    for (std::size_t i = from; i < frames.size(); ++i)
      if (frames[i].kind == W) texts.push_back(frames[i].text);
    return texts;
  }
};

TEST_F(CardIssue, ATicketIsIssuedOnceAndARerunSaysWhen) {
  Encoder();
  const std::string db = RecordDb();
  const CardResult first = RunCard({"issue", "23"});  // 123 and A0123 end so: one must be named
  EXPECT_EQ(first.status, 4);
  EXPECT_NE(first.err.find("matches 2 tickets (123, A0123); give one of them whole"), std::string::npos) << first.err;

  const CardResult issued = RunCard({"issue", "A0123"});
  EXPECT_EQ(issued.status, 0) << issued.err;
  EXPECT_EQ(KindsOf(Frames(8)), (Kinds{L, W, L, R, L, W, L, R}));
  EXPECT_EQ(Written(encoder->frames()), (std::vector<std::string>{"H0002", "贵宾卡0003"}));
  EXPECT_NE(issued.out.find("card 2 of 2, number 10000003: issued, read back the same"), std::string::npos);

  const CardResult again = RunCard({"issue", "A0123"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("card 1 of 2, number 10000002: already issued 20"), std::string::npos) << again.out;
  const CardResult reissued = RunCard({"--json", "issue", "A0123", "--reissue", "10000003"});
  EXPECT_EQ(reissued.status, 0) << reissued.err;
  EXPECT_NE(ParsedJson(reissued.out).find("\"already_issued\": 1, \"cards\": 2, \"issued\": 1"), std::string::npos)
      << reissued.out;
  EXPECT_EQ(Written(Frames(10)).size(), 3u);
  EXPECT_EQ(RunCard({"issue", "A0123", "--reissue", "10000009"}).status, 4);
  // One row per attempt, no hidden code anywhere in the record.
  EXPECT_EQ(
      Output("sqlite3 '" + db + "' \"select kind, outcome from Brimlock_issue_attempt order by started_at, kind\""),
      "issue|issued\nissue|issued\nreissue|issued\n");
  EXPECT_EQ(Output("sqlite3 '" + db +
                   "' 'select * from Brimlock_issued_card; select * from Brimlock_issue_attempt' | grep -c H0002"),
            "0\n");

  setenv("BRIMLOCK_CONNECTION", Sqlite(kSampleDb).c_str(), 1);
  const CardResult noRecord = RunCard({"issue", "A0123"});
  EXPECT_EQ(noRecord.status, 5);
  EXPECT_NE(noRecord.err.find("no issuing record ([SQLite]no such table: Brimlock_issued_card"), std::string::npos)
      << noRecord.err;
  EXPECT_NE(noRecord.err.find("sql/issuing-record.sql, or keep this desk's own record with --record FILE"),
            std::string::npos);
}

TEST_F(CardIssue, KilledAtEachStepOfTheRecordEveryCardIsIssuedOnceOrNamed) {
  if (std::system("command -v strace >/dev/null") != 0) GTEST_SKIP() << "strace is not installed";
  VirtualEncoder& enc = Encoder();
  int named = 0, sync = 1;
  // A desk's own record file: each of its statements is on the disk (several syncs each)
  // before the next step; every third sync is one of each statement's.
  for (;; sync += 3) {
    const std::string record = (dir / ("r" + std::to_string(sync) + ".db")).string();
    const std::size_t before = enc.frames().size();
    const std::string killed = "ASAN_OPTIONS=detect_leaks=0 strace -f -qq -o /dev/null -e trace=fdatasync,fsync "
                               "-e inject=fdatasync:signal=KILL:when=" +
                               std::to_string(sync) + " '" + BRIMLOCK_CARD + "' issue A0123 --record " + record +
                               " >/dev/null 2>&1";
    if (std::system(killed.c_str()) == 0) break;  // the run ended before that sync
    const CardResult rerun = RunCard({"issue", "A0123", "--record", record});
    EXPECT_TRUE(rerun.status == 0 || rerun.status == 9) << rerun.err;
    EXPECT_EQ(RunCard({"reset"}).status, 0);
    while (enc.frames().back().kind != FrameKind::Reset)
      if (!enc.waitForFrames(enc.frames().size() + 1, Millis(3000))) break;
    const std::vector<std::string> written = WrittenSince(enc, before);
    for (const char* card : {"10000002", "10000003"}) {
      const std::string text = std::string(card) == "10000002" ? "H0002" : "贵宾卡0003";
      const long times = std::count(written.begin(), written.end(), text);
      const bool isNamed = rerun.err.find(std::string("number ") + card + ": claimed by") != std::string::npos ||
                           rerun.err.find(std::string("number ") + card + ": written but not yet checked") !=
                               std::string::npos;
      named += isNamed;
      EXPECT_TRUE(times == 1 || (isNamed && times <= 1))
          << "sync " << sync << ", card " << card << " written " << times << " times\n"
          << rerun.err;
    }
  }
  EXPECT_GT(sync, 20);
  EXPECT_GT(named, 0);
}

TEST_F(CardIssue, TwoDesksAtOnceWriteEachCardOnce) {
  PostgresServer& server = PostgresServer::Shared();
  ASSERT_EQ(server.failure(), "");
  ASSERT_TRUE(server.Run("create database kq7_issue", "postgres"));
  ASSERT_EQ(std::system(("cat " BRIMLOCK_SQL_DIR "/schema.sql " BRIMLOCK_SQL_DIR "/sample.sql " BRIMLOCK_SQL_DIR
                         "/issuing-record.sql | " +
                         server.Psql("kq7_issue") + " >/dev/null")
                            .c_str()),
            0);
  VirtualEncoder& first = Encoder();
  EncoderOptions options;
  options.delivery.batch = 128;
  options.answerDelay = kSwipe;
  VirtualEncoder second(options);
  setenv("BRIMLOCK_COM2", second.slavePath().c_str(), 1);
  for (const std::string& connection : {Sqlite(RecordDb()), server.ConnectionString("kq7_issue")}) {
    setenv("BRIMLOCK_CONNECTION", connection.c_str(), 1);
    const std::size_t from[2] = {first.frames().size(), second.frames().size()};
    CardProgram one({"--port", "com1", "issue", "1234"}), two({"--port", "com2", "issue", "1234"});
    const CardResult results[2] = {one.Wait(), two.Wait()};
    std::vector<std::string> written = WrittenSince(first, from[0]);
    for (const std::string& text : WrittenSince(second, from[1])) written.push_back(text);
    for (const char* text : {"H0004", "H0005", "H0006"})
      EXPECT_EQ(std::count(written.begin(), written.end(), text), 1) << text << " on " << connection;
    for (int desk = 0; desk < 2; ++desk) {
      EXPECT_TRUE(results[desk].status == 0 || results[desk].status == 9) << results[desk].err;
      // A card the other desk held is refused naming it.
      if (results[desk].status == 9) {
        EXPECT_NE(results[desk].err.find(desk == 0 ? " com2 (user " : " com1 (user "), std::string::npos)
            << results[desk].err;
      }
    }
  }
  unsetenv("BRIMLOCK_COM2");
}

}  // namespace
