#pragma once
// What brimlock-card needs of the system beyond the serial and data layers: its arguments,
// the standard streams and a file kept on disk. One file per platform below it. Text
// crosses this line as UTF-8 both ways: a terminal (the console on Windows) gets its own
// encoding, files and pipes carry UTF-8.
#include <cstdint>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace card {

// The command line as UTF-8, program name first.
std::vector<std::string> Arguments(int argc, char** argv);

enum class Stream { In, Out, Err };
bool IsTerminal(Stream stream);

void Write(Stream stream, std::string_view utf8);
// Standard input, whole, as UTF-8.
std::string ReadAllInput();
// A file whole (its name UTF-8), or false when it cannot be read; a missing file, when
// `missing` is given, sets it and counts as read and empty.
bool ReadWholeFile(const std::string& path, std::string& content, bool* missing = nullptr);

// Waits until the `bytes` of frames written to an open port have left it, so that the next
// operation's purge at open cannot drop them (Windows hands a write to its driver and
// returns; the Linux stand-in's close waits for the line by itself).
void LetFramesLeave(void* port, std::size_t bytes);

// A file appended to and forced to disk after every write: the batch's journal.
class DurableFile {
 public:
  DurableFile() = default;
  ~DurableFile();
  DurableFile(const DurableFile&) = delete;
  DurableFile& operator=(const DurableFile&) = delete;
  // Created when missing; `why` says what went wrong.
  bool Open(const std::string& path, std::string& why);
  // On the disk, not only in a cache, by the time it returns true.
  bool Append(std::string_view bytes, std::string& why);

 private:
  std::intptr_t handle_ = -1;
};

}  // namespace card
