#include "options.h"

#include <set>

namespace card {

const char kUsage[] = R"(Usage: brimlock-card [--port com1|com2|PATH] [--json] read [--hex]
       brimlock-card [--port ...] [--json] write [--verify] [--hex] TEXT
       brimlock-card [--port ...] reset
       brimlock-card [--port ...] [--json] batch [--verify] [--journal FILE] FILE|-
       brimlock-card [--json] lookup TICKET

The encoder and the ticket lookup of the Brimlock window, from a shell. Every command
uses the port as the window does (9600 8N1, the same frames and timeouts) and holds it
only while it runs.

Commands:
  read            read a card (swipe it within 8 s) and print its Track 1 text
  write TEXT      write TEXT onto a card; with --verify read it back and compare
  reset           reset the encoder
  batch FILE      write one card per line of FILE ('-': standard input), with a journal
                  so that a run stopped (Ctrl-C stops after the card in hand) or broken
                  goes on where it stopped and never writes a card twice
  lookup TICKET   print the ticket's cards as the window finds them: card number TAB
                  hidden code, one line each

Options:
  --port NAME     com1 (the default), com2, or a device path; comN is the device
                  BRIMLOCK_COMN names, else /dev/ttyS<N-1>
  --json          one JSON object per line: read {text, hex}; write and batch {row,
                  text, written, verified, error}; lookup {card, hidden}
  --verify        read each card back (swipe it again) and compare byte for byte
  --hex           read: print the card's bytes as hex; write: TEXT is hex ("1B 41")
  --journal FILE  the batch's journal (default FILE.journal; needed with '-')
  --help          show this text;  --version  show the version

Text is UTF-8 (the console's own on Windows) and goes onto the card as code page 936;
a character that code page lacks is refused and nothing is written. A card takes at
most 1018 bytes, and a verified one at most 96 (a Chinese character counts two).

Exit status:
  0  done            1  a verification read back different data
  2  no answer from the encoder, or no record found for the ticket
  3  the port cannot be opened (missing, in use, no permission)
  4  bad usage or input (unknown option, text not in code page 936 or too long)
  5  a database error   130  a batch stopped by Ctrl-C
)";

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& problem) {
  Options options;
  std::vector<std::string> operands;
  std::set<std::string> given;
  bool optionsEnd = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    std::string argument = arguments[i];
    if (optionsEnd || argument == "-" || argument.empty() || argument[0] != '-') {
      operands.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnd = true;
      continue;
    }
    std::optional<std::string> inlineValue;
    if (const auto eq = argument.find('='); argument.starts_with("--") && eq != std::string::npos) {
      inlineValue = argument.substr(eq + 1);
      argument.resize(eq);
    }
    auto value = [&]() -> std::optional<std::string> {
      if (inlineValue) return inlineValue;
      if (i + 1 < arguments.size()) return arguments[++i];
      problem = argument + " wants a value";
      return std::nullopt;
    };
    given.insert(argument);
    if (argument == "--port") {
      auto port = value();
      if (!port) return std::nullopt;
      if (port->empty()) {
        problem = "--port wants a port name (com1, com2 or a device path)";
        return std::nullopt;
      }
      options.port = *port;
    } else if (argument == "--journal") {
      auto journal = value();
      if (!journal) return std::nullopt;
      if (journal->empty()) {
        problem = "--journal wants a file name";
        return std::nullopt;
      }
      options.journal = *journal;
    } else if (inlineValue) {
      problem = argument + " takes no value";
      return std::nullopt;
    } else if (argument == "--json") {
      options.json = true;
    } else if (argument == "--verify") {
      options.verify = true;
    } else if (argument == "--hex") {
      options.hex = true;
    } else if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument == "--version") {
      options.version = true;
    } else {
      problem = "unknown option '" + argument + "' (put -- before a text that starts with '-')";
      return std::nullopt;
    }
  }
  if (options.help || options.version) return options;

  if (operands.empty()) {
    problem = "no command given (read, write, reset, batch or lookup)";
    return std::nullopt;
  }
  options.command = operands.front();
  operands.erase(operands.begin());

  struct Command {
    const char* name;
    std::size_t operands;
    const char* operandName;
    std::set<std::string> allowed;
  };
  static const Command kCommands[] = {
      {"read", 0, "", {"--port", "--json", "--hex"}},
      {"write", 1, "TEXT", {"--port", "--json", "--verify", "--hex"}},
      {"reset", 0, "", {"--port"}},
      {"batch", 1, "FILE (or - for standard input)", {"--port", "--json", "--verify", "--journal"}},
      {"lookup", 1, "TICKET", {"--json"}},
  };
  for (const Command& command : kCommands) {
    if (options.command != command.name) continue;
    for (const std::string& option : given) {
      if (!command.allowed.contains(option)) {
        problem = option + " has no meaning for " + options.command;
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
