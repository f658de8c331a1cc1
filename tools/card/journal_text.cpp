// The journal's text, read and checked, apart from the file that holds it.
#include <cstdio>
#include <vector>

#include "exit_status.h"
#include "journal.h"

namespace card {
namespace {

constexpr std::string_view kHeader = "brimlock-card journal 3 ";
constexpr std::string_view kHeaderFormat2 = "brimlock-card journal 2\n";
constexpr std::string_view kHeaderFormat1 = "brimlock-card journal 1\n";
constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr std::string_view kDigestCharacters = "./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

bool AllOf(std::string_view s, std::size_t size, std::string_view allowed) {
  if (s.empty() || s.size() > size) return false;
  for (const char c : s)
    if (allowed.find(c) == std::string_view::npos) return false;
  return true;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t at = 0;;) {
    const std::size_t tab = line.find('\t', at);
    fields.push_back(line.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at));
    if (tab == std::string_view::npos) return fields;
    at = tab + 1;
  }
}

// clang-format off
constexpr StepRow kSteps[] = {
    {"begun", CardState::Unsettled, kUnsettled, "may have been written: its frames may have reached the encoder when the batch stopped", Settle::ReadThenMark},
    {"sent", CardState::Unsettled, kUnsettled, "was written but not checked: the batch stopped before its check", Settle::ReadThenMark},
    {"unsent", CardState::ToWrite, kDone, "", Settle::Nothing},
    {"written", CardState::Done, kDone, "", Settle::Nothing},
    {"verified", CardState::Done, kDone, "", Settle::Nothing},
    {"marked-done", CardState::Done, kDone, "", Settle::Nothing},
    {"rewrite", CardState::ToWrite, kDone, "", Settle::Nothing},
    {"different", CardState::Failed, kDifferent, "was written but its check read back other data", Settle::Rewrite},
    {"unanswered", CardState::Failed, kNoAnswer, "was written but its check got no answer", Settle::Rewrite},
    {"unreadable", CardState::Failed, kUnreadable, "was written but its check got no whole answer of its own", Settle::Rewrite},
    {"failed", CardState::Failed, kNoAnswer, "was written but its check failed", Settle::Rewrite},
};
// clang-format on

const StepRow* FindStep(std::string_view step) {
  for (const StepRow& row : kSteps)
    if (row.step == step) return &row;
  return nullptr;
}

// The salt a header line of format 3 holds as 32 hex digits, or nothing.
std::optional<std::string> SaltOfHeader(std::string_view line) {
  const std::string_view hex = line.substr(std::min(kHeader.size(), line.size()));
  if (!line.starts_with(kHeader) || hex.size() != 32 || !AllOf(hex, 32, kHexDigits)) return std::nullopt;
  std::string salt;
  for (std::size_t i = 0; i < hex.size(); i += 2)
    salt += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  return salt;
}

}  // namespace

std::string CardHash(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

const StepRow& RowOfStep(std::string_view step) {
  const StepRow* found = FindStep(step);
  return found != nullptr ? *found : *FindStep("failed");
}

std::string JournalHeader(std::string_view salt) {
  std::string header(kHeader);
  for (const char c : salt)
    header.append(1, kHexDigits[static_cast<unsigned char>(c) >> 4]).append(1, kHexDigits[c & 0xF]);
  return header + "\n";
}

std::optional<JournalText> ParseJournal(std::string_view content, std::string_view newSalt) {
  JournalText read;
  if (content.empty()) {
    read.salt = newSalt;
    read.toAdd = JournalHeader(newSalt);
    return read;
  }
  const std::size_t headerEnd = content.find('\n');
  if (headerEnd == std::string_view::npos) return std::nullopt;
  read.format = content.starts_with(kHeaderFormat1) ? 1 : content.starts_with(kHeaderFormat2) ? 2 : 3;
  if (read.format == 3) {
    std::optional<std::string> salt = SaltOfHeader(content.substr(0, headerEnd));
    if (!salt) return std::nullopt;
    read.salt = std::move(*salt);
  }
  const bool format1 = read.format == 1;
  for (std::size_t at = headerEnd + 1; at < content.size();) {
    const std::size_t end = std::min(content.find('\n', at), content.size());
    const std::vector<std::string_view> fields = Fields(content.substr(at, end - at));
    const bool torn = end == content.size();
    at = end + 1;
    const bool wellFormed = AllOf(fields[0], 9, "0123456789") && fields.size() >= 2 &&
                            (read.format < 3 ? fields[1].size() == 16 && AllOf(fields[1], 16, kHexDigits)
                                             : AllOf(fields[1], 88, kDigestCharacters));
    const long line = wellFormed ? std::stol(std::string(fields[0])) : 0;
    if (torn) {
      read.toAdd = "\ttorn\n";
      // Format 1 put a card's line on the disk before its frames and added the result
      // later on the same line: that much is a card begun.
      if (format1 && wellFormed) {
        read.toAdd.append(fields[0]).append("\t").append(fields[1]).append("\tbegun\n");
        read.entries[line] = {std::string(fields[1]), "begun"};
      }
      return read;
    }
    if (fields.back() == "torn") continue;
    const bool format1Begun = format1 && fields.size() == 2;
    if (!wellFormed || (!format1Begun && (fields.size() != 3 || FindStep(fields[2]) == nullptr))) return std::nullopt;
    read.entries[line] = {std::string(fields[1]), format1Begun ? "begun" : std::string(fields[2])};
  }
  return read;
}

}  // namespace card
