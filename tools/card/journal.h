#pragma once
// The batch's journal: a write-ahead record of each card, one line per step, each on the
// disk before the next step starts, so that a rerun tells "never sent" (write it), "may have
// reached the card" (name it) and "done" apart, and never writes a card twice.
//
//   brimlock-card journal 3 <salt: 32 hex digits>
//   <line number> TAB <digest of the card's bytes> TAB <step>
//
// A card is known by its line in the batch's input and a digest of its code page 936 bytes:
// an input edited since shows as a line whose digest differs. The digest is salted (the
// journal's salt and the line) and deliberately slow (SlowDigest), so that the journal, the
// one place a piped lookup's hidden codes stay on disk, gives none back faster than trying
// each candidate through the same work would. Steps:
//   begun        before the card's first frame goes out
//   sent         its frames have left the port (a verified batch, before the check)
//   unsent       its frames never went out after all (the port failed first)
//   written, verified            done
//   different, unanswered, unreadable   written, the check failed: redone on demand
//   marked-done, rewrite         the operator's word on a card that may have been written
// A card's last step counts. A line without its line end is a step that never completed;
// the next run ends it with TAB "torn". Journals of format 2 (an unsalted 64-bit FNV-1a
// hash in hex) and 1 (as 2, a line's result added to the line that began it) are read and
// kept in their format, so that a run begun before goes on.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "console.h"

namespace card {

// Format 2's hash, kept for the journals begun in that format.
std::string CardHash(std::string_view bytes);

// What a card's last step says about it, the one table of the states a card can be left
// in: the rerun's status and messages and the manual page's JOURNAL section follow it.
enum class CardState { ToWrite, Unsettled, Failed, Done };
// What settles a card not done: a `read` and then --mark-done or --rewrite (it may or may
// not hold its text), or --rewrite (or --redo-failed: it was written, and its check failed).
enum class Settle { Nothing, ReadThenMark, Rewrite };
struct StepRow {
  std::string_view step;
  CardState state;
  int status;         // what a rerun exits with for a card left here (0: done, or to write)
  const char* known;  // what is known of the card, after its quoted text
  Settle settle;
};
// The row of a step; an unknown one (no journal holds it) reads as a failed check.
const StepRow& RowOfStep(std::string_view step);
inline CardState StateOfStep(std::string_view step) { return RowOfStep(step).state; }

struct JournalEntry {
  std::string hash;
  std::string step;  // the last completed one
};

// A journal's text read: each card's last step, and what the file needs added before this
// run's steps (the header of an empty one, the end of a torn line). Nothing when the text
// is not a journal. No file is touched: journal_text.cpp has no system call.
struct JournalText {
  int format = 3;
  std::string salt;  // format 3: 16 bytes
  std::map<long, JournalEntry> entries;
  std::string toAdd;
};
// An empty text is a new journal of format 3 with `newSalt` (16 bytes).
std::optional<JournalText> ParseJournal(std::string_view content, std::string_view newSalt);
// The first line of a new journal.
std::string JournalHeader(std::string_view salt);

class Journal {
 public:
  using Entry = JournalEntry;
  enum class Opened { Ok, NotAJournal, NotAFile, Held, Failed };

  // Reads the journal at `path` (missing or empty: a fresh one), holds it for this run and
  // opens it for adding; `problem` says what went wrong in plain words.
  Opened Open(const std::string& path, std::string& problem);

  const std::map<long, Entry>& entries() const { return entries_; }
  // What the journal records for the card of `line` holding `bytes`, in the journal's
  // format; nothing (and `problem`) when it cannot be computed.
  std::optional<std::string> Digest(long line, std::string_view bytes, std::string& problem) const;
  // The step on the disk by the time it returns true.
  bool Record(long line, const std::string& hash, std::string_view step, std::string& problem);

 private:
  JournalFile file_;
  int format_ = 3;
  std::string salt_;
  std::map<long, Entry> entries_;
};

}  // namespace card
