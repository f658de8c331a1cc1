#include "options.h"

#include <getopt.h>

#include <set>

#include "exit_status.h"

namespace card {
namespace {

const char kUsageText[] = R"(Usage: brimlock-card [--port com1|com2|PATH] [--json] read [--hex]
       brimlock-card [--port ...] [--json] write [--verify] [--hex] TEXT
       brimlock-card [--port ...] [--json] reset
       brimlock-card [--port ...] [--json] batch [--verify] [--journal FILE]
                     [--redo-failed] [--mark-done LINE]... [--rewrite LINE]... FILE|-
       brimlock-card [--json] lookup TICKET

The encoder and the ticket lookup of the Brimlock window, from a shell. Every command
uses the port as the window does (9600 8N1, the same frames and timeouts) and holds it
only while it runs.

Commands:
  read            read a card (swipe it within 8 s) and print its Track 1 text
  write TEXT      write TEXT onto a card; with --verify read it back and compare
  reset           reset the encoder
  batch FILE      write one card per line of FILE ('-': standard input), with a journal
                  so that a run stopped (Ctrl-C, SIGTERM or SIGHUP stop after the card
                  in hand) or broken goes on where it stopped and never writes a card
                  twice; a card that may have reached the encoder when a run died is
                  named, with the commands that settle it
  lookup TICKET   print the ticket's cards as the window finds them: card number TAB
                  hidden code, one line each; a ticket with a field holding a tab, a
                  line break or another control character is refused (--json has it)

Options:
  --port NAME     com1 (the default), com2, or a device path; comN is the device
                  BRIMLOCK_COMN names, else /dev/ttyS<N-1>
  --json          one JSON object per line: read {text, hex}; write and batch {row,
                  text, written, verified, error, message}; lookup {card, hidden}; a
                  failure {error, message, status}
  --verify        read each card back (swipe it again) and compare byte for byte
  --hex           read: print the card's bytes as hex; write: TEXT is hex ("41 42")
  --journal FILE  the batch's journal (default FILE.journal; needed with '-')
  --redo-failed   batch: write again the cards whose check failed in an earlier run
                  (different, unanswered, unreadable)
  --mark-done LINE  batch: the card of LINE, named as maybe written, holds its text
  --rewrite LINE  batch: write the card of LINE again (one named, or one that failed)
  --help          show this text;  --version  show the version

Text is UTF-8 (the console's own on Windows) and goes onto the card as code page 936;
a control character, or one that code page lacks, is refused and nothing is written. A
card takes at most 1018 bytes, and a verified one at most 96 (a Chinese character
counts two).

Exit status (and --json's "error"):
)";

enum Option { kPort = 1, kJson, kVerify, kHex, kJournal, kRedoFailed, kMarkDone, kRewrite, kHelp, kVersion };

const option kLongOptions[] = {
    {"port", required_argument, nullptr, kPort},
    {"json", no_argument, nullptr, kJson},
    {"verify", no_argument, nullptr, kVerify},
    {"hex", no_argument, nullptr, kHex},
    {"journal", required_argument, nullptr, kJournal},
    {"redo-failed", no_argument, nullptr, kRedoFailed},
    {"mark-done", required_argument, nullptr, kMarkDone},
    {"rewrite", required_argument, nullptr, kRewrite},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

std::string NameOf(int value) {
  for (const option& o : kLongOptions)
    if (o.val == value) return std::string("--") + o.name;
  return std::string("-") + static_cast<char>(value);
}

std::optional<long> LineNumber(const std::string& text) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const long line = std::stol(text);
  return line > 0 ? std::optional<long>(line) : std::nullopt;
}

struct Command {
  const char* name;
  std::size_t operands;
  const char* operandName;
  std::set<int> allowed;
};
const Command kCommands[] = {
    {"read", 0, "", {kPort, kJson, kHex}},
    {"write", 1, "TEXT", {kPort, kJson, kVerify, kHex}},
    {"reset", 0, "", {kPort, kJson}},
    {"batch", 1, "FILE (or - for standard input)", {kPort, kJson, kVerify, kJournal, kRedoFailed, kMarkDone, kRewrite}},
    {"lookup", 1, "TICKET", {kJson}},
};

}  // namespace

std::string Usage() {
  std::string usage = kUsageText;
  for (int i = 0; i < kStatusRowCount; ++i) {
    const StatusRow& row = kStatusRows[i];
    std::string number = std::to_string(row.status);
    number.insert(0, 5 - number.size(), ' ');
    std::string line = number + "  " + row.word;
    line.resize(20, ' ');
    // The meaning's words, wrapped under each other.
    const std::string meaning = row.meaning;
    for (std::size_t at = 0; at < meaning.size();) {
      std::size_t end = meaning.find(' ', at);
      if (end == std::string::npos) end = meaning.size();
      if (line.size() + (end - at) > 88 && line.size() > 20) {
        line.pop_back();
        usage += line + "\n";
        line.assign(20, ' ');
      }
      line += meaning.substr(at, end - at) + " ";
      at = end + 1;
    }
    line.pop_back();
    usage += line + "\n";
  }
  return usage;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& problem) {
  Options options;
  std::vector<std::string> copies(arguments);
  std::vector<char*> argv;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(copies.size());

  std::set<int> given;
  opterr = 0;  // the problems are told below, in the program's words
  optind = 1;
  for (int value; (value = getopt_long(argc, argv.data(), ":h", kLongOptions, nullptr)) != -1;) {
    const std::string argument = optind > 0 && optind <= argc ? argv[optind - 1] : "";
    if (value == ':') {
      problem = NameOf(optopt) + " wants a value";
      return std::nullopt;
    }
    if (value == '?') {
      if (optopt != 0 && argument.starts_with("--") && argument.find('=') != std::string::npos) {
        problem = NameOf(optopt) + " takes no value";
      } else {
        const std::string shown = optopt != 0 && !argument.starts_with("--")
                                      ? std::string("-") + static_cast<char>(optopt)
                                      : argument.substr(0, argument.find('='));
        problem = "unknown option '" + shown + "' (put -- before a text that starts with '-')";
      }
      return std::nullopt;
    }
    given.insert(value == 'h' ? kHelp : value);
    const std::string argumentValue = optarg != nullptr ? optarg : "";
    switch (value) {
      case kPort:
        if (argumentValue.empty()) {
          problem = "--port wants a port name (com1, com2 or a device path)";
          return std::nullopt;
        }
        options.port = argumentValue;
        break;
      case kJournal:
        if (argumentValue.empty()) {
          problem = "--journal wants a file name";
          return std::nullopt;
        }
        options.journal = argumentValue;
        break;
      case kMarkDone:
      case kRewrite: {
        const std::optional<long> line = LineNumber(argumentValue);
        if (!line) {
          problem = NameOf(value) + " wants a line number of the batch's input, not '" + argumentValue + "'";
          return std::nullopt;
        }
        (value == kMarkDone ? options.markDone : options.rewrite).push_back(*line);
        break;
      }
      case kJson: options.json = true; break;
      case kVerify: options.verify = true; break;
      case kHex: options.hex = true; break;
      case kRedoFailed: options.redoFailed = true; break;
      case kVersion: options.version = true; break;
      default: options.help = true; break;
    }
  }
  if (options.help || options.version) return options;

  std::vector<std::string> operands(argv.begin() + optind, argv.begin() + argc);
  if (operands.empty()) {
    problem = "no command given (read, write, reset, batch or lookup)";
    return std::nullopt;
  }
  options.command = operands.front();
  operands.erase(operands.begin());
  for (const Command& command : kCommands) {
    if (options.command != command.name) continue;
    for (const int option : given) {
      if (!command.allowed.contains(option)) {
        problem = NameOf(option) + " has no meaning for " + options.command;
        return std::nullopt;
      }
    }
    if (operands.size() != command.operands) {
      problem = command.operands == 0 ? options.command + " takes no operand, but was given '" + operands[0] + "'"
                : operands.empty()    ? options.command + " wants " + command.operandName
                                      : options.command + " wants one " + command.operandName + ", but was given " +
                                         std::to_string(operands.size()) + " (quote a text with spaces)";
      return std::nullopt;
    }
    if (!operands.empty()) options.operand = operands[0];
    return options;
  }
  problem = "unknown command '" + options.command + "' (read, write, reset, batch or lookup)";
  return std::nullopt;
}

}  // namespace card
