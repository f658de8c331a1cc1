#pragma once
// A card encoder on a pseudo-terminal. It takes the program's four frames, holds one
// card's data, answers a read request with that data and stores what a write carries.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "encoder-sim/PtyPeer.h"

namespace encoder_sim {

// The answer to a read request: these two bytes, the card's data, these two bytes.
// ESC 's' opens the data and '?' FS closes it; neither holds a NUL, which would cut the
// program's reply text short.
inline constexpr char kAnswerLead[] = "\x1b\x73";
inline constexpr char kAnswerTrail[] = "\x3f\x1c";
// Fills the data up to EncoderOptions::padTo in an answer.
inline constexpr char kAnswerPadding = '_';
// What a dripping line sends.
inline constexpr char kDripByte = '~';

enum class FrameKind { Reset, LeadIn, Read, Write, Unknown };

struct ReceivedFrame {
  FrameKind kind;
  std::string bytes;  // the frame as it came off the line
  std::string text;   // Write: the text it carries, code page 936 bytes as sent
};

struct EncoderOptions {
  std::string cardData{};      // the card at start, code page 936 bytes
  Millis answerDelay{0};       // from the read request to the answer
  bool noAnswer = false;       // read requests go unanswered
  std::size_t splitAfter = 0;  // > 0: the answer's first bytes, splitGap, the rest
  Millis splitGap{60};
  std::optional<std::string> rawAnswer{};  // sent as it is in place of the framed answer
  std::size_t padTo = 0;                   // data padded with kAnswerPadding to this many bytes
  // Sent once, as soon as the first lead-in has come: an earlier operation's answer still
  // on its way when the next operation begins.
  std::optional<std::string> lateAnswer{};
  // A reset drops an answer not yet begun, as a device abandons the read it was asked for;
  // with this the answer comes all the same (a device that answers late and ignores reset).
  bool ignoreReset = false;
  // > 0: from the start, one byte every this long, without end (a line that is never quiet).
  Millis drip{0};
  bool logToStdout = false;  // print each log line as well, for the operator
  // As a device on a real port answers: a character time per byte at the port's baud,
  // handed over byte by byte unless a batch or a latency timer is asked for.
  PtyPeer::Delivery delivery{.paced = true};
};

class VirtualEncoder {
 public:
  // Throws std::system_error when no pseudo-terminal can be had.
  explicit VirtualEncoder(EncoderOptions options = {});

  const std::string& slavePath() const { return peer_.slavePath(); }
  PtyPeer& peer() { return peer_; }

  std::vector<ReceivedFrame> frames() const;
  // One line per frame received and per answer sent, as printed with logToStdout.
  std::vector<std::string> log() const;
  // True as soon as frames() holds at least `count` frames.
  bool waitForFrames(std::size_t count, Millis timeout);
  std::string cardData() const;

  // The bytes a read request is answered with, before any split.
  std::string answer() const;

 private:
  void onBytes(std::string_view bytes);
  void onQuiet();
  void takeFixedFrames();
  void takeWriteFollowedByFrame();
  void accept(FrameKind kind, std::string bytes, std::string text = {});
  void addLog(std::string line);

  const EncoderOptions options_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string card_;
  std::vector<ReceivedFrame> frames_;
  std::vector<std::string> log_;
  std::string pending_;              // bytes not yet known to form a frame; peer thread only
  bool lateAnswerSent_ = false;      // peer thread only
  std::uint64_t pendingAnswer_ = 0;  // peer thread only: the latest answer's send
  PtyPeer peer_;                     // last: its thread stops before the state above goes
};

// "WRITE    1B 74 41 1D 1B 5C  |.tA...|  text: A" — hex, then printable ASCII with '.'
// for the rest, then with showText the text as UTF-8 (from code page 936).
std::string DescribeBytes(std::string_view label, std::string_view bytes, std::string_view text = {},
                          bool showText = false);

}  // namespace encoder_sim
