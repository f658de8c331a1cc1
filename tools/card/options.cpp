#include "options.h"

#include <getopt.h>

#include <algorithm>
#include <utility>

#include "card_text.h"
#include "commands.h"
#include "exit_status.h"

namespace card {
namespace {

struct OptionRow {
  OptionId id;
  const char* name;
  const char* value;       // the value's name in --help; nullptr when it takes none
  const char* completion;  // what the shell completes the value with: "port", "file", "number" or ""
  const char* help;        // --help's lines on it, each after the first indented by 18
};

// clang-format off
const OptionRow kOptionRows[] = {
    {kPort, "port", "NAME", "port", "com1 (the default), com2 ... com256, or a device path; comN is the\n"
                                    "device BRIMLOCK_COMN names, else /dev/ttyS<N-1> ('ports' lists them)"},
    {kJson, "json", nullptr, "", "one JSON object per line: read {text, hex}; write and batch {row,\n"
                                 "text, written, verified, error, message}, and batch's summary last\n"
                                 "{batch, cards, written, verified, failed, done_earlier, not_done,\n"
                                 "error, status}; lookup {card, hidden}; ports {port, device, usable,\n"
                                 "why}; a failure {error, message, status}"},
    {kVerify, "verify", nullptr, "", "read each card back (swipe it again) and compare byte for byte"},
    {kHex, "hex", nullptr, "", "read: print the card's bytes as hex; write: TEXT is hex (\"41 42\")"},
    {kJournal, "journal", "FILE", "file", "the batch's journal (default FILE.journal; needed with '-')"},
    {kRedoFailed, "redo-failed", nullptr, "", "batch: write again the cards whose check failed in an earlier run\n"
                                              "(different, unanswered, unreadable)"},
    {kMarkDone, "mark-done", "LINE", "number", "batch: the card of LINE, named as maybe written, holds its text"},
    {kRewrite, "rewrite", "LINE", "number", "batch: write the card of LINE again (one named, or one that failed)"},
    {kNoVerify, "no-verify", nullptr, "", "issue: do not read each card back"},
    {kShowCodes, "show-codes", nullptr, "", "issue: give each card's hidden code with its number"},
    {kReissue, "reissue", "CARD", "text", "issue: write the card numbered CARD again, whatever the record\n"
                                          "says (the attempt is recorded too)"},
    {kMarkIssued, "mark-issued", "CARD", "text", "issue: record the card numbered CARD as issued, writing\n"
                                                 "nothing (after 'read' showed it holds its code)"},
    {kRecord, "record", "FILE", "file", "issue: keep the issuing record in FILE (SQLite), for a desk\n"
                                        "whose database has none"},
    {kPace, "pace", "SECONDS", "number", "batch without --verify, issue --no-verify, off a terminal: wait\nSECONDS between cards "
                                         "for the operator to swipe each (on a terminal, Enter)"},
    {kHelp, "help", nullptr, "", "show this text"},
    {kVersion, "version", nullptr, "", "show the version"},
    {kCompletionWords, "completion-words", nullptr, "", "the commands and their options, for the shell's completion"},
};
// clang-format on

// Options that stand without a command, and those shown before a command's name.
constexpr OptionSet kStandalone = OptionBits({kHelp, kVersion, kCompletionWords});
constexpr OptionSet kBeforeCommand = OptionBits({kPort, kJson});

constexpr bool Has(OptionSet set, int id) { return (set >> id & 1) != 0; }

const OptionRow* Row(int id) {
  for (const OptionRow& row : kOptionRows)
    if (row.id == id) return &row;
  return nullptr;
}

std::string NameOf(int id) {
  const OptionRow* row = Row(id);
  return row != nullptr ? std::string("--") + row->name : std::string("-") + static_cast<char>(id);
}

const option* LongOptions() {
  static const std::vector<option> options = [] {
    std::vector<option> all;
    for (const OptionRow& row : kOptionRows)
      all.push_back({row.name, row.value != nullptr ? required_argument : no_argument, nullptr, row.id});
    all.push_back({nullptr, 0, nullptr, 0});
    return all;
  }();
  return options.data();
}

// "  head" and the lines of `text` beside it, from column 18 on.
std::string Entry(const std::string& head, std::string_view text) {
  std::string entry = "  " + head;
  entry.resize(std::max<std::size_t>(entry.size() + 2, 18), ' ');
  for (const char c : text) entry += c == '\n' ? std::string("\n") + std::string(18, ' ') : std::string(1, c);
  return entry + "\n";
}

// The exit statuses' table, their meanings wrapped under each other at column 20.
std::string StatusTable() {
  std::string table;
  for (int i = 0; i < kStatusRowCount; ++i) {
    const StatusRow& row = kStatusRows[i];
    std::string number = std::to_string(row.status);
    number.insert(0, 5 - number.size(), ' ');
    std::string line = number + "  " + row.word;
    line.resize(20, ' ');
    const std::string_view meaning = row.meaning;
    for (std::size_t at = 0; at < meaning.size();) {
      std::size_t end = std::min(meaning.find(' ', at), meaning.size());
      if (line.size() + (end - at) > 88 && line.size() > 20) {
        line.pop_back();
        table += line + "\n";
        line.assign(20, ' ');
      }
      line.append(meaning.substr(at, end - at)).push_back(' ');
      at = end + 1;
    }
    line.pop_back();
    table += line + "\n";
  }
  return table;
}

// A decimal number from `least` to `most`, or nothing.
std::optional<long> Number(const std::string& text, long least, long most) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const long number = std::stol(text);
  return number >= least && number <= most ? std::optional<long>(number) : std::nullopt;
}

// One option getopt_long found, into `options`; false with the problem when it is wrong.
bool Take(int value, const std::string& argument, const char* optionValue, Options& options, std::string& problem) {
  const std::string given = optionValue != nullptr ? optionValue : "";
  switch (value) {
    case ':': problem = NameOf(optopt) + " wants a value"; return false;
    case '?':
      if (optopt != 0 && argument.starts_with("--") && argument.find('=') != std::string::npos)
        problem = NameOf(optopt) + " takes no value";
      else
        problem = "unknown option '" +
                  (optopt != 0 && !argument.starts_with("--") ? std::string("-") + static_cast<char>(optopt)
                                                              : Printable(argument.substr(0, argument.find('=')))) +
                  "' (put -- before a text that starts with '-')";
      return false;
    case kPort:
      if (given.empty()) problem = "--port wants a port name (com1, com2 or a device path)";
      options.port = given;
      return !given.empty();
    case kJournal:
      if (given.empty()) problem = "--journal wants a file name";
      options.journal = given;
      return !given.empty();
    case kMarkDone:
    case kRewrite:
      if (const std::optional<long> line = Number(given, 1, 999999999)) {
        (value == kMarkDone ? options.markDone : options.rewrite).push_back(*line);
        return true;
      }
      problem = NameOf(value) + " wants a line number of the batch's input, not '" + Printable(given) + "'";
      return false;
    case kReissue:
    case kMarkIssued:
      if (given.empty()) problem = NameOf(value) + " wants a card number";
      else (value == kReissue ? options.reissue : options.markIssued).push_back(given);
      return !given.empty();
    case kRecord:
      if (given.empty()) problem = "--record wants a file name";
      options.record = given;
      return !given.empty();
    case kNoVerify: options.noVerify = true; return true;
    case kShowCodes: options.showCodes = true; return true;
    case kPace:
      if (const std::optional<long> seconds = Number(given, 0, 3600)) {
        options.pace = static_cast<int>(*seconds);
        return true;
      }
      problem = "--pace wants a number of seconds from 0 to 3600, not '" + Printable(given) + "'";
      return false;
    case kJson: options.json = true; return true;
    case kVerify: options.verify = true; return true;
    case kHex: options.hex = true; return true;
    case kRedoFailed: options.redoFailed = true; return true;
    case kVersion: options.version = true; return true;
    case kCompletionWords: options.completionWords = true; return true;
    default: options.help = true; return true;
  }
}

// The command named first among the operands, its options and its operand checked.
bool TakeCommand(std::vector<std::string> operands, OptionSet given, Options& options, std::string& problem) {
  const Command* command = operands.empty() ? nullptr : FindCommand(operands.front());
  if (command == nullptr) {
    problem = operands.empty() ? "no command given (" + CommandNames() + ")"
                               : "unknown command '" + Printable(operands.front()) + "'; give one of " + CommandNames();
    return false;
  }
  options.command = command->name;
  operands.erase(operands.begin());
  for (const OptionRow& row : kOptionRows) {
    if (Has(given, row.id) && !Has(command->options, row.id)) {
      problem = NameOf(row.id) + " has no meaning for " + options.command;
      return false;
    }
  }
  const bool wantsOne = *command->operand != '\0';
  if (operands.size() != (wantsOne ? 1u : 0u)) {
    problem = !wantsOne          ? options.command + " takes no operand, but was given '" + Printable(operands[0]) + "'"
              : operands.empty() ? options.command + " wants " + command->operand
                                 : options.command + " wants one " + command->operand + ", but was given " +
                                       std::to_string(operands.size()) + " (quote a text with spaces)";
    return false;
  }
  if (wantsOne) options.operand = operands[0];
  return true;
}

}  // namespace

std::string Usage() {
  std::string usage;
  bool portShown = false;
  for (const Command& command : Commands()) {
    usage += usage.empty() ? "Usage: brimlock-card " : "       brimlock-card ";
    if (Has(command.options, kPort))
      usage += std::exchange(portShown, true) ? "[--port ...] " : "[--port com1|com2|PATH] ";
    if (Has(command.options, kJson)) usage += "[--json] ";
    usage += command.name;
    if (*command.synopsis != '\0') usage += " ";
    for (const char* c = command.synopsis; *c != '\0'; ++c)
      usage += *c == '\n' ? "\n" + std::string(21, ' ') : std::string(1, *c);
    usage += "\n";
  }
  usage += "\nThe encoder and the ticket lookup of the Brimlock window, from a shell. Every command\n"
           "uses the port as the window does (9600 8N1, the same frames and timeouts) and holds it\n"
           "only while it runs.\n\nCommands:\n";
  for (const Command& command : Commands())
    usage += Entry(std::string(command.name) + (*command.operand != '\0' ? " " : "") + command.operand,
                   command.summary);
  usage += "\nOptions:\n";
  for (const OptionRow& row : kOptionRows)
    if (row.id != kCompletionWords)
      usage += Entry(NameOf(row.id) + (row.value != nullptr ? std::string(" ") + row.value : ""), row.help);
  usage += "\nText is UTF-8 (the console's own on Windows) and goes onto the card as code page 936;\n"
           "a control character, or one that code page lacks, is refused and nothing is written. A\n"
           "card holds at most " +
           std::to_string(kCardCapacity) +
           " bytes, all one read gives back whole (a Chinese character counts\n"
           "two).\n\nExit status (and --json's \"error\"):\n";
  return usage + StatusTable();
}

std::string CompletionWords() {
  auto words = [](OptionSet set) {
    std::string line;
    for (const OptionRow& row : kOptionRows)
      if (Has(set, row.id) && row.id != kCompletionWords) {
        line.append(" --").append(row.name);
        if (*row.completion != '\0') line.append(":").append(row.completion);
      }
    return line;
  };
  std::string all("-");
  all.append(words(kStandalone | kBeforeCommand)).append("\n");
  for (const Command& command : Commands())
    all += std::string(command.name) + " " + command.completion + words(command.options) + "\n";
  return all;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& problem) {
  std::vector<std::string> copies(arguments);
  std::vector<char*> argv;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(copies.size());

  Options options;
  OptionSet given = 0;
  opterr = 0;  // the problems are told in the program's words
  optind = 1;
  for (int value; (value = getopt_long(argc, argv.data(), ":h", LongOptions(), nullptr)) != -1;) {
    const std::string argument = optind > 0 && optind <= argc ? argv[optind - 1] : "";
    if (!Take(value, argument, optarg, options, problem)) return std::nullopt;
    given |= OptionSet{1} << (value == 'h' ? kHelp : value);
  }
  if ((given & kStandalone) != 0) return options;
  if (!TakeCommand({argv.begin() + optind, argv.begin() + argc}, given, options, problem)) return std::nullopt;
  return options;
}

}  // namespace card
