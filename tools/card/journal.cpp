#include "journal.h"

#include <cstdio>

namespace card {
namespace {

constexpr std::string_view kHeader = "brimlock-card journal 1";

bool AllDigits(std::string_view s, std::size_t most) {
  if (s.empty() || s.size() > most) return false;
  for (const char c : s)
    if (c < '0' || c > '9') return false;
  return true;
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

bool Journal::Open(const std::string& path, std::string& problem) {
  std::string content;
  bool missing = false;
  if (!ReadWholeFile(path, content, &missing)) {
    problem = "cannot read the journal " + path + "; check its name and permissions";
    return false;
  }
  const std::string notJournal = path + " is not a brimlock-card journal, and is left as it is; name another with --journal";
  std::string toAdd;
  if (content.empty()) {
    toAdd = std::string(kHeader) + "\n";
  } else {
    if (content.compare(0, kHeader.size() + 1, std::string(kHeader) + "\n") != 0) {
      problem = notJournal;
      return false;
    }
    std::size_t at = kHeader.size() + 1;
    while (at < content.size()) {
      std::size_t end = content.find('\n', at);
      const bool cut = end == std::string::npos;  // the last line, cut short by a crash
      if (cut) end = content.size();
      const std::string_view line(content.data() + at, end - at);
      const std::size_t tab = line.find('\t');
      const std::string_view number = line.substr(0, tab);
      const std::string_view hash = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1, 16);
      if (!AllDigits(number, 9) || (!cut && hash.size() != 16)) {
        problem = notJournal;
        return false;
      }
      done_[std::stol(std::string(number))] = std::string(hash);
      at = end + 1;
    }
    if (content.back() != '\n') toAdd.assign(1, '\n');  // the next card's line starts on its own
  }
  if (!file_.Open(path, problem) || (!toAdd.empty() && !file_.Append(toAdd, problem))) {
    problem = "cannot keep the journal " + path + ": " + problem;
    return false;
  }
  return true;
}

std::optional<std::string> Journal::HashOf(long line) const {
  const auto found = done_.find(line);
  if (found == done_.end()) return std::nullopt;
  return found->second;
}

bool Journal::Begin(long line, const std::string& hash, std::string& problem) {
  if (!file_.Append(std::to_string(line) + "\t" + hash, problem)) {
    problem = "cannot add to the journal: " + problem;
    return false;
  }
  done_[line] = hash;
  return true;
}

bool Journal::Finish(std::string_view result, std::string& problem) {
  std::string tail(1, '\t');
  tail.append(result).push_back('\n');
  if (file_.Append(tail, problem)) return true;
  problem = "cannot add to the journal: " + problem;
  return false;
}

}  // namespace card
