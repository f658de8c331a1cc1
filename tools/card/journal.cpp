#include "journal.h"

namespace card {

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
  std::optional<JournalText> read = ParseJournal(content, content.empty() ? RandomBytes(16) : std::string());
  if (!read) {
    problem = path + " is not a brimlock-card journal, and is left as it is; name another with --journal";
    return Opened::NotAJournal;
  }
  format_ = read->format;
  salt_ = std::move(read->salt);
  entries_ = std::move(read->entries);
  if (!read->toAdd.empty() && !file_.Append(read->toAdd, why)) {
    problem = "cannot keep the journal " + path + ": " + why;
    return Opened::Failed;
  }
  return Opened::Ok;
}

std::optional<std::string> Journal::Digest(long line, std::string_view bytes, std::string& problem) const {
  if (format_ < 3) return CardHash(bytes);
  std::optional<std::string> digest = SlowDigest(bytes, salt_ + std::to_string(line));
  if (!digest) problem = "cannot compute the journal's digest of line " + std::to_string(line);
  return digest;
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
