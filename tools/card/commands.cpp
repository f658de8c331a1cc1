#include "commands.h"

namespace card {
namespace {

// clang-format off
const Command kCommands[] = {
    {"read", RunRead, "", "none", OptionBits({kPort, kJson, kHex}), "[--hex]",
     "read a card (swipe it within 8 s) and print its Track 1 text"},
    {"write", RunWrite, "TEXT", "text", OptionBits({kPort, kJson, kVerify, kHex}), "[--verify] [--hex] TEXT",
     "write TEXT onto a card; with --verify read it back and compare. TEXT '-'\n"
     "is read from standard input (one line): other users can see arguments"},
    {"reset", RunReset, "", "none", OptionBits({kPort, kJson}), "",
     "reset the encoder"},
    {"batch", RunBatch, "FILE", "file",
     OptionBits({kPort, kJson, kVerify, kJournal, kRedoFailed, kMarkDone, kRewrite, kPace}),
     "[--verify] [--journal FILE]\n[--pace SECONDS] [--redo-failed] [--mark-done LINE]...\n[--rewrite LINE]... FILE|-",
     "write one card per line of FILE ('-': standard input), with a journal\n"
     "so that a run stopped (Ctrl-C, SIGTERM or SIGHUP stop after the card\n"
     "in hand) or broken goes on where it stopped and never writes a card\n"
     "twice; a card that may have reached the encoder when a run died is\n"
     "named, with the commands that settle it. Without --verify each card\n"
     "after the first waits for the operator (Enter, or --pace)"},
    {"lookup", RunLookup, "TICKET", "text", OptionBits({kJson}), "TICKET",
     "print the ticket's cards as the window finds them: card number TAB\n"
     "hidden code, one line each; a ticket with a field holding a tab, a\n"
     "line break or another control character is refused (--json has it)"},
    {"issue", RunIssue, "TICKET", "text",
     OptionBits({kPort, kJson, kNoVerify, kPace, kShowCodes, kReissue, kMarkIssued, kRecord}),
     "[--no-verify [--pace SECONDS]] [--show-codes]\n[--reissue CARD]... [--mark-issued CARD]... [--record FILE] TICKET",
     "issue the ticket's cards one at a time: each is claimed in the issuing\n"
     "record (sql/issuing-record.sql) before it is written, read back (swipe\n"
     "it again) and recorded; a card the record shows as issued, or held by\n"
     "another desk, is not written again"},
    {"ports", RunPorts, "", "none", OptionBits({kJson}), "",
     "list the serial ports (com1 and com2 first, then each device by its\n"
     "stable name): port TAB device TAB whether this user can open it, or\n"
     "why not (a group to join, the process that holds it, no hardware)"},
};
// clang-format on

}  // namespace

std::span<const Command> Commands() { return kCommands; }

const Command* FindCommand(std::string_view name) {
  for (const Command& command : kCommands)
    if (name == command.name) return &command;
  return nullptr;
}

std::string CommandNames() {
  std::string names;
  for (std::size_t i = 0; i < std::size(kCommands); ++i)
    names += (i == 0 ? "" : i + 1 == std::size(kCommands) ? " or " : ", ") + std::string(kCommands[i].name);
  return names;
}

}  // namespace card
