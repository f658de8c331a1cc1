#pragma once
// brimlock-card's command line: options anywhere, "--" before a text that starts with "-".
#include <optional>
#include <string>
#include <vector>

namespace card {

struct Options {
  std::string command;  // read, write, reset, batch or lookup
  std::string port = "com1";
  bool json = false;
  bool verify = false;
  bool hex = false;
  std::optional<std::string> journal;
  bool redoFailed = false;     // batch: write again the cards whose check failed
  std::vector<long> markDone;  // batch: lines the operator found written
  std::vector<long> rewrite;   // batch: lines the operator wants written again
  std::string operand;         // TEXT, FILE or TICKET
  bool help = false;
  bool version = false;
};

// The options, or nothing with the problem in plain words.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& problem);

// What --help prints, the exit statuses' table included.
std::string Usage();

}  // namespace card
