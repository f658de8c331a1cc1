#include "journal.h"

#include <cstdio>
#include <vector>

namespace card {
namespace {

constexpr std::string_view kHeader = "brimlock-card journal 2\n";
constexpr std::string_view kHeaderFormat1 = "brimlock-card journal 1\n";

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

struct StepState {
  std::string_view step;
  CardState state;
};
constexpr StepState kSteps[] = {
    {"begun", CardState::Unsettled},   {"sent", CardState::Failed},       {"unsent", CardState::ToWrite},
    {"written", CardState::Done},      {"verified", CardState::Done},     {"different", CardState::Failed},
    {"unanswered", CardState::Failed}, {"unreadable", CardState::Failed}, {"failed", CardState::Failed},
    {"marked-done", CardState::Done},  {"rewrite", CardState::ToWrite},
};

const StepState* FindStep(std::string_view step) {
  for (const StepState& s : kSteps)
    if (s.step == step) return &s;
  return nullptr;
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

CardState StateOfStep(std::string_view step) {
  const StepState* found = FindStep(step);
  return found != nullptr ? found->state : CardState::Failed;
}

Journal::Opened Journal::Open(const std::string& path, std::string& problem) {
  std::string content, why;
  long holder = 0;
  switch (file_.Open(path, content, holder, why)) {
    case JournalFile::Opened::Ok: break;
    case JournalFile::Opened::NotAFile:
      problem = "the journal " + path + " is not a regular file (" + why + "); name a file with --journal";
      return Opened::NotAFile;
    case JournalFile::Opened::Held:
      problem = "the journal " + path + " is in use by another batch" +
                (holder > 0 ? " (process " + std::to_string(holder) + ")" : std::string()) +
                "; wait until it ends, or stop it, and run this again";
      return Opened::Held;
    case JournalFile::Opened::Failed: problem = "cannot keep the journal " + path + ": " + why; return Opened::Failed;
  }
  const std::string notJournal = path +
                                 " is not a brimlock-card journal, and is left as it is; name another with --journal";
  std::string toAdd;
  if (content.empty()) {
    toAdd = kHeader;
  } else {
    const bool format1 = content.starts_with(kHeaderFormat1);
    if (!format1 && !content.starts_with(kHeader)) {
      problem = notJournal;
      return Opened::NotAJournal;
    }
    for (std::size_t at = kHeader.size(); at < content.size();) {
      std::size_t end = content.find('\n', at);
      const bool torn = end == std::string::npos;
      if (torn) end = content.size();
      const std::vector<std::string_view> fields = Fields(std::string_view(content).substr(at, end - at));
      at = end + 1;
      const bool wellFormed = AllOf(fields[0], 9, "0123456789") && fields.size() >= 2 && fields[1].size() == 16 &&
                              AllOf(fields[1], 16, "0123456789abcdef");
      if (torn) {
        toAdd = "\ttorn\n";
        // Format 1 put a card's line on the disk before its frames and added the result
        // later on the same line: that much is a card begun.
        if (format1 && wellFormed) {
          const std::string begun = std::string(fields[0]) + "\t" + std::string(fields[1]) + "\tbegun";
          toAdd += begun + "\n";
          entries_[std::stol(std::string(fields[0]))] = {std::string(fields[1]), "begun"};
        }
        break;
      }
      if (fields.back() == "torn") continue;
      const bool format1Begun = format1 && fields.size() == 2;
      if (!wellFormed || (!format1Begun && (fields.size() != 3 || FindStep(fields[2]) == nullptr))) {
        problem = notJournal;
        return Opened::NotAJournal;
      }
      entries_[std::stol(std::string(fields[0]))] = {std::string(fields[1]),
                                                     format1Begun ? "begun" : std::string(fields[2])};
    }
  }
  if (!toAdd.empty() && !file_.Append(toAdd, why)) {
    problem = "cannot keep the journal " + path + ": " + why;
    return Opened::Failed;
  }
  return Opened::Ok;
}

bool Journal::Record(long line, const std::string& hash, std::string_view step, std::string& problem) {
  std::string record = std::to_string(line) + "\t" + hash + "\t";
  record.append(step).push_back('\n');
  if (!file_.Append(record, problem)) {
    problem = "cannot add to the journal: " + problem;
    return false;
  }
  entries_[line] = {hash, std::string(step)};
  return true;
}

}  // namespace card
