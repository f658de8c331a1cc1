#include "card_operations.h"

#include <cstring>

#include "console.h"
#include "encoder/encoder_line.h"
#include "exit_status.h"

namespace card {
namespace {

// Opens and sets up the port as the window's OpenPort does; the problem says what to do.
HANDLE Open(const std::string& port, Outcome& outcome) {
  HANDLE hComm = OpenEncoderPort(port.c_str());
  if (hComm != INVALID_HANDLE_VALUE) {
    ConfigureEncoderPort(hComm);
    return hComm;
  }
  outcome.status = kPortUnavailable;
  switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
      outcome.problem = "the port " + port +
                        " is in use by another program (the Brimlock window, or another brimlock-card); "
                        "wait until its operation is done, or close it, and try again";
      break;
    case ERROR_ACCESS_DENIED:
      outcome.problem = "the port " + port +
                        " refused to open: it is in use, or you may not use it (on Linux, join the group "
                        "that owns the device, usually 'dialout', and log in again)";
      break;
    default:
      outcome.problem = "the port " + port +
                        " does not exist; connect the encoder, or name its port with --port (com1, com2 "
                        "or a device path; see --help for what com1 and com2 stand for)";
      break;
  }
  return INVALID_HANDLE_VALUE;
}

// A frame the port did not take in time: the encoder may hold part of what was meant.
void Send(HANDLE hComm, const char* frame, const std::string& port, Outcome& outcome) {
  const bool done = SendEncoderFrame(hComm, frame);
  outcome.sent = true;
  if (!done && outcome.status == 0) {
    outcome.status = kNoAnswer;
    outcome.problem = "the encoder on " + port +
                      " did not take the frames in time; check its cable and power, then try again";
  }
}

}  // namespace

Outcome ResetEncoder(const std::string& port) {
  Outcome outcome;
  HANDLE hComm = Open(port, outcome);
  if (hComm == INVALID_HANDLE_VALUE) return outcome;
  Send(hComm, FRAME_RESET, port, outcome);
  CloseHandle(hComm);
  return outcome;
}

Outcome WriteCard(const std::string& port, const std::string& bytes,
                  const std::function<std::optional<std::string>()>& beforeFrames) {
  Outcome outcome;
  HANDLE hComm = Open(port, outcome);
  if (hComm == INVALID_HANDLE_VALUE) return outcome;
  if (beforeFrames) {
    if (std::optional<std::string> problem = beforeFrames()) {
      CloseHandle(hComm);
      return {kBadInput, *problem, false};
    }
  }
  const std::string write = FRAME_WRITE(CString(bytes));
  Send(hComm, FRAME_LEAD_IN, port, outcome);
  Send(hComm, write.c_str(), port, outcome);
  LetFramesLeave(hComm, std::strlen(FRAME_LEAD_IN) + write.size());
  CloseHandle(hComm);
  return outcome;
}

Outcome ReadCard(const std::string& port, std::string& shown) {
  Outcome outcome;
  HANDLE hComm = Open(port, outcome);
  if (hComm == INVALID_HANDLE_VALUE) return outcome;
  Send(hComm, FRAME_LEAD_IN, port, outcome);
  Send(hComm, FRAME_READ, port, outcome);
  if (outcome.status != 0) {
    CloseHandle(hComm);
    return outcome;
  }
  if (const std::optional<CString> reply = PollEncoderReply(hComm)) {
    shown = reply->bytes();
  } else {
    SendEncoderFrame(hComm, FRAME_RESET);
    outcome.status = kNoAnswer;
    outcome.problem = "no card data came from the encoder on " + port +
                      " within 8 seconds; swipe the card while brimlock-card waits, and check the "
                      "encoder's cable and power";
  }
  CloseHandle(hComm);
  return outcome;
}

}  // namespace card
