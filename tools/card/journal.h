#pragma once
// The batch's journal: one line per card, on the disk before the card's frames go out, so
// a run that stopped or died goes on after the last card done and never writes one twice.
//
//   brimlock-card journal 1
//   <line number> TAB <hash of the card's bytes> TAB <result>
//
// A card is known by its line in the batch's input and a hash (FNV-1a, 64 bits, in hex) of
// its code page 936 bytes: an input edited since shows as a line whose hash differs. The
// hash keeps the cards' texts (hidden codes) out of the journal. The result (written,
// verified, different, unanswered, failed) is added once the card is finished; a line
// without it is a card whose run died on it, done all the same.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "console.h"

namespace card {

std::string CardHash(std::string_view bytes);

class Journal {
 public:
  // Reads the journal at `path` (missing or empty: a fresh one) and opens it for adding.
  // False, with the problem in plain words, when it is no journal or cannot be kept.
  bool Open(const std::string& path, std::string& problem);

  // The hash recorded for a line, when that card is done.
  std::optional<std::string> HashOf(long line) const;
  const std::map<long, std::string>& done() const { return done_; }

  // Before the card's frames go out: once this returns true the card counts done.
  bool Begin(long line, const std::string& hash, std::string& problem);
  // The result of the card begun last.
  bool Finish(std::string_view result, std::string& problem);

 private:
  DurableFile file_;
  std::map<long, std::string> done_;
};

}  // namespace card
