#pragma once
// What brimlock-card needs of the system beyond the serial and data layers: its arguments,
// the standard streams, the signals that stop it, its ports' names and a file kept on disk.
// One file per platform below it. Text crosses this line as UTF-8 both ways: a terminal
// (the console on Windows) gets its own encoding, files and pipes carry UTF-8.
#include <cstdint>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace card {

// The command line as UTF-8, program name first.
std::vector<std::string> Arguments(int argc, char** argv);

// Run first. A standard descriptor that was closed gets the null device, so that no file the
// program opens later (a journal, a port) takes its place; output to a closed standard
// output counts as not written. A reader of standard output that goes away is an error of
// the write, not a signal that ends the program.
void PrepareStandardStreams();

enum class Stream { In, Out, Err };
bool IsTerminal(Stream stream);

// False, with `why` when given, when not all of it was written: a closed or full output, or
// a pipe whose reader has gone.
bool Write(Stream stream, std::string_view utf8, std::string* why = nullptr);
// Standard input, whole, as UTF-8; false with `why` when it cannot be read or holds more
// than `limit` bytes.
bool ReadAllInput(std::string& all, std::size_t limit, std::string& why);
// A regular file whole (its name UTF-8), as ReadAllInput.
bool ReadWholeFile(const std::string& path, std::string& content, std::size_t limit, std::string& why);

// A terminal to ask the operator on: standard error is one, and the controlling terminal (the
// console on Windows) can be read, whatever standard input is.
bool CanAskOperator();
// Waits for Enter on that terminal: false when there is none, or a stop signal came first.
bool WaitForEnter();

// The signals that ask a program to stop (Ctrl-C; SIGTERM and SIGHUP on Linux, Ctrl-Break
// and a closed console on Windows) from now on only set StopRequested; a second one ends the
// program at once.
void CatchStopSignals();
// 0, or the exit status of the first such signal since CatchStopSignals.
int StopRequested();

// The device a port name stands for, checked to be a serial port that is not the program's
// own terminal; false with `why` (the device named) when it is not.
bool CheckPort(const std::string& port, std::string& device, std::string& why);

// A serial port as `ports` lists it: its name (com1, or the device's stable name), the
// device, and whether this user can open it now; `why` says why not.
struct PortInfo {
  std::string name;
  std::string device;
  bool usable = false;
  std::string why;
};
// com1 and com2 first, then every serial device the system has (on Linux each under its
// /dev/serial/by-id name where it has one). Nothing is opened on Linux: an open alone
// raises a serial line's DTR.
std::vector<PortInfo> ListPorts();
// Why this user cannot open `device` now, in plain words (it is missing, not a serial port,
// no hardware behind it, a group this user is not in, a lock file naming a live process),
// or empty when nothing is seen against it.
std::string WhyNotOpen(const std::string& device);
// After an open refused as in use and WhyNotOpen saw no lock: another process that has the
// device open ("process 1234 (picocom) has it open"), or empty (Windows cannot tell).
std::string OpenedBy(const std::string& device);

// After the port's driver says its frames have left (FlushFileBuffers), whatever more the
// platform's drivers need before the port may be let go: `bytes` frames' worth of line time.
void LetFramesLeave(std::size_t bytes);

// `n` bytes from the system's random source.
std::string RandomBytes(std::size_t n);
// A deliberately slow, salted digest of a card's bytes (about 10 ms and a few MiB of memory
// a card): yescrypt on Linux, PBKDF2-HMAC-SHA-256 on Windows, as letters of
// [./0-9A-Za-z]. Nothing when the system cannot compute it.
std::optional<std::string> SlowDigest(std::string_view bytes, std::string_view salt);

// The batch's journal: a regular file, read whole and then appended to, each append on the
// disk by the time it returns, held exclusively (a lock the system drops when the process
// ends) from Open to the object's end.
class JournalFile {
 public:
  enum class Opened { Ok, NotAFile, Held, Failed };
  JournalFile() = default;
  ~JournalFile();
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;
  // Created when missing. Held: `holder` is the process that holds it, 0 when unknown.
  Opened Open(const std::string& path, std::string& content, long& holder, std::string& why);
  bool Append(std::string_view bytes, std::string& why);

 private:
  std::intptr_t handle_ = -1;
};

}  // namespace card
