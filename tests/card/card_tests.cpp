// brimlock-card from a shell, as a user runs it: the real program as a child process
// against the virtual encoder on a pseudo-terminal and the lookup's SQLite sample.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "card/card_program.h"
#include "encoder-sim/VirtualEncoder.h"
#include "encoder/encoder_line.h"

namespace {

using encoder_sim::EncoderOptions;
using encoder_sim::FrameKind;
using encoder_sim::Millis;
using encoder_sim::VirtualEncoder;
using Kinds = std::vector<FrameKind>;

const std::string kSampleDb = std::filesystem::temp_directory_path() / ("brimlock-card-" + std::to_string(getpid()) + ".db");

std::string Sqlite(const std::string& path) { return "Provider=MSDASQL;DRIVER=SQLite3;Database=" + path + ";NoCreat=1;"; }

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

// Every line of `lines` through Python's JSON parser, printed back sorted and unescaped:
// what another program consuming the output would read.
std::string ParsedJson(const std::string& lines) {
  const std::string file = kSampleDb + ".json";
  std::ofstream(file, std::ios::binary) << lines;
  const std::string command = "python3 -c 'import json,sys\nfor l in open(sys.argv[1], encoding=\"utf-8\"): "
                              "print(json.dumps(json.loads(l), ensure_ascii=False, sort_keys=True))' " + file;
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
  std::string out;     // all of standard output
  std::string errHas;  // a piece of the message on standard error
  Kinds frames;        // what reached the encoder
  std::string cardAfter{};  // code page 936 bytes, when the card is to change
  bool portHeld = false;    // the window holds the port meanwhile
};
// Test listings name a case, not its bytes.
void PrintTo(const CommandCase& c, std::ostream* out) { *out << c.name; }

using CardCommand = Card;
class CardCommands : public Card, public ::testing::WithParamInterface<CommandCase> {};

const std::string k1018(1018, 'x');
constexpr auto L = FrameKind::LeadIn;
constexpr auto R = FrameKind::Read;
constexpr auto W = FrameKind::Write;

const CommandCase kCommandCases[] = {
    {"ReadPrintsTheTrack1Text", {"read"}, {.cardData = "0123 张三"}, 0, U8(u8"0123 张三\n"), "", {L, R}},
    {"ReadHexGivesTheCardsBytes", {"read", "--hex"}, {.cardData = "A张"}, 0, "41 D5 C5\n", "", {L, R}},
    {"WriteSendsLeadInAndTheTextInCodePage936", {"write", U8(u8"李四 €0002")}, {}, 0, "", "", {L, W}, "李四 \x80" "0002"},
    {"WriteTakesTheLongestTextAFrameCarries", {"--port", "com1", "write", k1018}, {}, 0, "", "", {L, W}, k1018},
    {"WriteHexTakesBytesThatAreNoText", {"write", "--hex", "1b 41:1D"}, {}, 0, "", "", {L, W}, "\x1b" "A\x1d"},
    {"VerifyReadsTheCardBack", {"write", "--verify", "CARD-7"}, {}, 0, "", "", {L, W, L, R}, "CARD-7"},
    {"ResetSendsTheResetFrame", {"reset"}, {}, 0, "", "", {FrameKind::Reset}},
    {"VerifyFindingOtherDataIs1", {"write", "--verify", "ABC"}, {.rawAnswer = "\x1bsXYZ?\x1c"}, 1, "",
     "reads back as \"XYZ\"", {L, W, L, R}, "ABC"},
    {"ASilentEncoderIs2AndIsReset", {"read"}, {.noAnswer = true}, 2, "", "no card data came", {L, R, FrameKind::Reset}},
    {"AMissingPortIs3", {"--port", "/nonexistent/ttyX", "read"}, {}, 3, "", "does not exist", {}},
    {"APortTheWindowHoldsIs3", {"write", "A"}, {}, 3, "", "in use by another program", {}, {}, true},
    {"ACharacterCodePage936LacksIs4", {"write", U8(u8"A😀")}, {}, 4, "", "U+1F600", {}},
    {"ATextOverAFrameIs4", {"write", k1018 + "x"}, {}, 4, "", "at most 1018", {}},
    {"AVerifiedTextOverAReplyIs4", {"write", "--verify", std::string(97, 'x')}, {}, 4, "", "at most 96", {}},
    {"AHexNulIs4", {"write", "--hex", "41 00"}, {}, 4, "", "00 byte", {}},
    {"AnEmptyTextIs4", {"write", ""}, {}, 4, "", "empty", {}},
    {"AnUnknownOptionIs4", {"read", "--fast"}, {}, 4, "", "unknown option '--fast'", {}},
    {"AnOptionOfAnotherCommandIs4", {"reset", "--verify"}, {}, 4, "", "--verify has no meaning for reset", {}},
    {"ABatchFromInputWithoutAJournalIs4", {"batch", "-"}, {}, 4, "", "needs --journal", {}},
    {"LookupPrintsCardTabHiddenCode", {"lookup", "0123"}, {}, 0, U8(u8"10000002\tH0002\n10000003\t贵宾卡0003\n"), "", {}},
    {"LookupWithNoRecordIs2", {"lookup", "0000"}, {}, 2, "", "no record found", {}},
};

TEST_P(CardCommands, ExitWithTheirStatus) {
  const CommandCase& c = GetParam();
  Encoder(c.encoder);
  HANDLE held = INVALID_HANDLE_VALUE;
  if (c.portHeld) {
    held = OpenEncoderPort("com1");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
  }
  const CardResult result = RunCard(c.args);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  EXPECT_EQ(result.status, c.status) << result.err;
  EXPECT_EQ(result.out, c.out);
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

TEST_F(CardCommand, ADatabaseThatCannotBeOpenedIs5) {
  setenv("BRIMLOCK_CONNECTION", Sqlite((dir / "missing.db").string()).c_str(), 1);
  const CardResult result = RunCard({"lookup", "0123"});
  EXPECT_EQ(result.status, 5) << result.err;
  EXPECT_NE(result.err.find("cannot connect to the database"), std::string::npos) << result.err;
}

TEST_F(CardCommand, JsonOutputIsReadByAJsonParser) {
  Encoder({.cardData = "\"A\"\\\x1b张"});
  EXPECT_EQ(ParsedJson(RunCard({"--json", "read"}).out),
            U8(u8"{\"hex\": \"22 41 22 5C 1B D5 C5\", \"text\": \"\\\"A\\\"\\\\\\u001b张\"}\n"));
  EXPECT_EQ(ParsedJson(RunCard({"write", "--json", "--verify", U8(u8"王五")}).out),
            U8(u8"{\"error\": null, \"row\": 1, \"text\": \"王五\", \"verified\": true, \"written\": true}\n"));
  EXPECT_EQ(ParsedJson(RunCard({"--json", "lookup", "0123"}).out),
            U8(u8"{\"card\": \"10000002\", \"hidden\": \"H0002\"}\n{\"card\": \"10000003\", \"hidden\": \"贵宾卡0003\"}\n"));
}

// ---- Batches ----

using CardBatch = Card;

TEST_F(CardBatch, ChineseAndAsciiLinesAreWrittenAndVerifiedInOrder) {
  Encoder();
  const std::string cards = File("cards.txt", U8(u8"CARD 0001\n张三\n\n李四 0003\r\n€uro"));
  const CardResult result = RunCard({"--json", "batch", "--verify", cards});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("4 written, 4 verified, 0 failed"), std::string::npos) << result.err;
  EXPECT_EQ(ParsedJson(result.out),
            U8(u8"{\"error\": null, \"row\": 1, \"text\": \"CARD 0001\", \"verified\": true, \"written\": true}\n"
               u8"{\"error\": null, \"row\": 2, \"text\": \"张三\", \"verified\": true, \"written\": true}\n"
               u8"{\"error\": null, \"row\": 4, \"text\": \"李四 0003\", \"verified\": true, \"written\": true}\n"
               u8"{\"error\": null, \"row\": 5, \"text\": \"€uro\", \"verified\": true, \"written\": true}\n"));
  const auto frames = Frames(16);
  EXPECT_EQ(Written(frames), (std::vector<std::string>{"CARD 0001", "张三", "李四 0003", "\x80uro"}));
  EXPECT_EQ(KindsOf(frames), (Kinds{L, W, L, R, L, W, L, R, L, W, L, R, L, W, L, R}));
  std::istringstream journal(ReadFile(cards + ".journal"));
  std::string line;
  std::vector<std::string> rows;
  std::getline(journal, line);
  EXPECT_EQ(line, "brimlock-card journal 1");
  while (std::getline(journal, line)) rows.push_back(line.substr(0, line.find('\t')) + line.substr(line.rfind('\t')));
  EXPECT_EQ(rows, (std::vector<std::string>{"1\tverified", "2\tverified", "4\tverified", "5\tverified"}));
}

TEST_F(CardBatch, OnATerminalEachCardIsAnnouncedWithARunningCount) {
  Encoder();
  const std::string cards = File("cards.txt", U8(u8"CARD 0001\n张三\n"));
  const CardResult result = CardProgram({"batch", cards}, "", true).Wait();
  EXPECT_EQ(result.status, 0);
  std::string err = result.err;
  std::erase(err, '\r');  // a terminal ends its lines with CR LF
  EXPECT_EQ(err, U8(u8"card 1 of 2: CARD 0001\n  written; 1 of 2 done, 0 failed\n"
                    u8"card 2 of 2: 张三\n  written; 2 of 2 done, 0 failed\n") +
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

// Stopped by Ctrl-C, then killed in the middle of a card, then edited, then run to the
// end: every card is written once, none twice.
TEST_F(CardBatch, AStoppedRunGoesOnAfterTheLastCardDone) {
  // Each check waits for its answer, so the signals land while a card is in hand.
  VirtualEncoder& enc = Encoder({.answerDelay = Millis(250)});
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
  EXPECT_NE(interrupted.err.find("2 written, 2 verified, 0 failed; stopped by Ctrl-C with 4 left"),
            std::string::npos) << interrupted.err;

  const CardResult killed = signalWhenChecking(4, SIGKILL);
  EXPECT_EQ(killed.status, 128 + SIGKILL);
  // The killed run's answer still comes; the next open purges it.
  EXPECT_TRUE(enc.peer().waitQueued(Millis(3000)));

  File("cards.txt", "CARD 00\n" + lines.substr(lines.find('\n') + 1));
  const CardResult edited = RunCard(batch);
  EXPECT_EQ(edited.status, 4);
  EXPECT_NE(edited.err.find("line 1 of " + cards + " is not the text the journal"), std::string::npos) << edited.err;
  File("cards.txt", lines);

  const CardResult rest = RunCard(batch);
  EXPECT_EQ(rest.status, 0) << rest.err;
  EXPECT_NE(rest.err.find("2 written, 2 verified, 0 failed (and 4 done by an earlier run)"), std::string::npos)
      << rest.err;
  EXPECT_EQ(Written(Frames(24)),
            (std::vector<std::string>{"CARD 01", "CARD 02", "CARD 03", "CARD 04", "CARD 05", "CARD 06"}));

  const CardResult again = RunCard(batch);
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.err.find("done already"), std::string::npos);
  EXPECT_EQ(enc.frames().size(), 24u);
}

TEST_F(CardBatch, ALookupPipedIntoABatchWritesTheTicketsHiddenCodes) {
  Encoder();
  const std::string card = std::string("'") + BRIMLOCK_CARD + "'";
  const std::string pipeline = card + " lookup 0123 | cut -f2 | " + card + " batch --journal '" +
                               (dir / "j").string() + "' - 2>/dev/null";
  EXPECT_EQ(std::system(pipeline.c_str()), 0);
  EXPECT_EQ(Written(Frames(4)), (std::vector<std::string>{"H0002", "贵宾卡0003"}));
}

}  // namespace
