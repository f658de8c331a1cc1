#pragma once
// The batch's journal: a write-ahead record of each card, one line per step, each on the
// disk before the next step starts, so that a rerun tells "never sent" (write it), "may have
// reached the card" (name it) and "done" apart, and never writes a card twice.
//
//   brimlock-card journal 2
//   <line number> TAB <hash of the card's bytes> TAB <step>
//
// A card is known by its line in the batch's input and a hash (FNV-1a, 64 bits, in hex) of
// its code page 936 bytes: an input edited since shows as a line whose hash differs. The
// hash keeps the cards' texts (hidden codes) out of the journal. Steps:
//   begun        before the card's first frame goes out
//   sent         its frames have left the port (a verified batch, before the check)
//   unsent       its frames never went out after all (the port failed first)
//   written, verified            done
//   different, unanswered, unreadable   written, the check failed: redone on demand
//   marked-done, rewrite         the operator's word on a card that may have been written
// A card's last step counts. A line without its line end is a step that never completed;
// the next run ends it with TAB "torn". Journals of format 1 (a line's result added to the
// line that began it) are read too.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "console.h"

namespace card {

std::string CardHash(std::string_view bytes);

// What a card's last step says about it.
enum class CardState { ToWrite, Unsettled, Failed, Done };
CardState StateOfStep(std::string_view step);

struct JournalEntry {
  std::string hash;
  std::string step;  // the last completed one
};

// A journal's text read: each card's last step, and what the file needs added before this
// run's steps (the header of an empty one, the end of a torn line). Nothing when the text
// is not a journal. No file is touched: journal_text.cpp has no system call.
struct JournalText {
  std::map<long, JournalEntry> entries;
  std::string toAdd;
};
std::optional<JournalText> ParseJournal(std::string_view content);

class Journal {
 public:
  using Entry = JournalEntry;
  enum class Opened { Ok, NotAJournal, NotAFile, Held, Failed };

  // Reads the journal at `path` (missing or empty: a fresh one), holds it for this run and
  // opens it for adding; `problem` says what went wrong in plain words.
  Opened Open(const std::string& path, std::string& problem);

  const std::map<long, Entry>& entries() const { return entries_; }
  // The step on the disk by the time it returns true.
  bool Record(long line, const std::string& hash, std::string_view step, std::string& problem);

 private:
  JournalFile file_;
  std::map<long, Entry> entries_;
};

}  // namespace card
