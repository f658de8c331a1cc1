#pragma once
// brimlock-card's command line: options anywhere, "--" before a text that starts with "-".
// The options are one table (options.cpp), the commands another (commands.cpp); the parser,
// the dispatch, --help and the shell's completion all read them.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace card {

struct Options {
  std::string command;  // a name of the command table
  std::string port = "com1";
  bool json = false;
  bool verify = false;
  bool hex = false;
  std::optional<std::string> journal;
  bool redoFailed = false;              // batch: write again the cards whose check failed
  std::vector<long> markDone;           // batch: lines the operator found written
  std::vector<long> rewrite;            // batch: lines the operator wants written again
  bool noVerify = false;                // issue: no read-back
  bool showCodes = false;               // issue: the hidden codes in the list too
  std::vector<std::string> reissue;     // issue: card numbers to write again
  std::vector<std::string> markIssued;  // issue: card numbers the operator found written
  std::optional<std::string> record;    // issue: a record file of this desk's own
  std::optional<int> pace;              // seconds between cards written without a check
  std::string operand;                  // TEXT, FILE or TICKET
  bool help = false;
  bool version = false;
  bool completionWords = false;
};

enum OptionId : int {
  kPort = 1,
  kJson,
  kVerify,
  kHex,
  kJournal,
  kRedoFailed,
  kMarkDone,
  kRewrite,
  kPace,
  kHelp,
  kVersion,
  kCompletionWords,
  kNoVerify,
  kShowCodes,
  kReissue,
  kMarkIssued,
  kRecord,
};
// The options a command takes, one bit per OptionId.
using OptionSet = std::uint32_t;
constexpr OptionSet OptionBits(std::initializer_list<OptionId> ids) {
  OptionSet set = 0;
  for (const OptionId id : ids) set |= OptionSet{1} << id;
  return set;
}

// The options, or nothing with the problem in plain words.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& problem);

// What --help prints, the exit statuses' table included.
std::string Usage();
// For the shell's completion, one line per command: its name, what its operand is ("file",
// "text" or "none"), then its options, each with ":port", ":file" or ":number" when it takes
// such a value; first a line "-" with the options that stand without a command.
std::string CompletionWords();

}  // namespace card
