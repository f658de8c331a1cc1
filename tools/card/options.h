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
  std::string operand;  // TEXT, FILE or TICKET
  bool help = false;
  bool version = false;
};

// The options, or nothing with the problem in plain words.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& problem);

extern const char kUsage[];

}  // namespace card
