#pragma once
// brimlock-card's commands, one row each in commands.cpp: a command is added there and
// nowhere else. Each gives its exit status and has printed what it found.
#include <span>
#include <string>
#include <string_view>

#include "options.h"

namespace card {

int RunRead(const Options& options);
int RunWrite(const Options& options);
int RunReset(const Options& options);
int RunBatch(const Options& options);
int RunLookup(const Options& options);
int RunIssue(const Options& options);
int RunPorts(const Options& options);

struct Command {
  const char* name;
  int (*run)(const Options& options);
  const char* operand;     // its name in --help and messages; "" when it takes none
  const char* completion;  // what the shell completes the operand with: "file", "text" or "none"
  OptionSet options;       // the options it takes
  const char* synopsis;    // the usage line after the command's name
  const char* summary;     // --help's lines on it, each after the first indented by 18
};

std::span<const Command> Commands();
const Command* FindCommand(std::string_view name);
// "read, write, reset, batch or lookup"
std::string CommandNames();

}  // namespace card
