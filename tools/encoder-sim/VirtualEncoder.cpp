#include "encoder-sim/VirtualEncoder.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/text/codepage.h"

namespace encoder_sim {
namespace {

constexpr std::string_view kReset = "\x1b\x30";
constexpr std::string_view kLeadIn = "\x1b\x25\x42";
constexpr std::string_view kRead = "\x1b\x5d";
constexpr std::string_view kWriteStart = "\x1b\x74";
constexpr std::string_view kWriteEnd = "\x1d\x1b\x5c";

const char* NameOf(FrameKind kind) {
  switch (kind) {
    case FrameKind::Reset: return "RESET";
    case FrameKind::LeadIn: return "LEAD_IN";
    case FrameKind::Read: return "READ";
    case FrameKind::Write: return "WRITE";
    case FrameKind::Unknown: break;
  }
  return "UNKNOWN";
}

}  // namespace

std::string DescribeBytes(std::string_view label, std::string_view bytes, std::string_view text, bool showText) {
  std::string line(label);
  line.resize(std::max<std::size_t>(line.size() + 1, 9), ' ');
  char hex[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", static_cast<unsigned char>(bytes[i]));
    line += hex;
  }
  line += "  |";
  for (const char c : bytes) line += c >= 0x20 && c < 0x7F ? c : '.';
  line += '|';
  if (showText) {
    // Control bytes never occur inside a code page 936 character, so masking them after
    // the conversion keeps every Chinese character and keeps escapes off the terminal.
    std::string readable = text::Cp936ToUtf8(text);
    for (char& c : readable)
      if ((c >= 0 && c < 0x20) || c == 0x7F) c = '.';
    line += "  text: " + readable;
  }
  return line;
}

VirtualEncoder::VirtualEncoder(EncoderOptions options)
    : options_(std::move(options)),
      card_(options_.cardData),
      peer_(PtyPeer::Handlers{[this](std::string_view bytes) { onBytes(bytes); }, [this] { onQuiet(); }, Millis(20)}) {
  peer_.setDelivery(options_.delivery);
  if (options_.drip > Millis(0)) peer_.sendEvery(options_.drip, std::string(1, kDripByte));
}

std::vector<ReceivedFrame> VirtualEncoder::frames() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

std::vector<std::string> VirtualEncoder::log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

bool VirtualEncoder::waitForFrames(std::size_t count, Millis timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return frames_.size() >= count; });
}

std::string VirtualEncoder::cardData() const {
  std::lock_guard lock(mutex_);
  return card_;
}

std::string VirtualEncoder::answer() const {
  if (options_.rawAnswer) return *options_.rawAnswer;
  std::string data = cardData();
  if (data.size() < options_.padTo) data.resize(options_.padTo, kAnswerPadding);
  return kAnswerLead + data + kAnswerTrail;
}

// Frames come without length or escaping, and a write's text may hold any byte but NUL,
// ESC and GS included. The fixed frames are taken as soon as they are whole; a write is
// taken when the line goes quiet, ending at the last GS ESC '\' that came before, or as
// soon as a GS ESC '\' is followed by the next operation's first frame (a lead-in or a
// reset): a pty hands back-to-back operations over with no quiet line between them.
void VirtualEncoder::onBytes(std::string_view bytes) {
  pending_ += bytes;
  for (std::size_t before = 0; before != pending_.size();) {
    before = pending_.size();
    takeWriteFollowedByFrame();
    takeFixedFrames();
  }
}

void VirtualEncoder::takeWriteFollowedByFrame() {
  if (!pending_.starts_with(kWriteStart)) return;
  std::size_t end = std::string::npos;
  for (const std::string_view next : {kLeadIn, kReset}) {
    end = std::min(end, pending_.find(std::string(kWriteEnd) + std::string(next), kWriteStart.size()));
  }
  if (end == std::string::npos) return;
  const std::size_t length = end + kWriteEnd.size();
  std::string text = pending_.substr(kWriteStart.size(), end - kWriteStart.size());
  std::string frame = pending_.substr(0, length);
  pending_.erase(0, length);
  accept(FrameKind::Write, std::move(frame), std::move(text));
}

void VirtualEncoder::onQuiet() {
  if (pending_.starts_with(kWriteStart)) {
    const std::size_t end = pending_.rfind(kWriteEnd);
    if (end != std::string::npos && end >= kWriteStart.size()) {
      const std::size_t length = end + kWriteEnd.size();
      std::string text = pending_.substr(kWriteStart.size(), end - kWriteStart.size());
      std::string frame = pending_.substr(0, length);
      pending_.erase(0, length);
      accept(FrameKind::Write, std::move(frame), std::move(text));
    }
  }
  takeFixedFrames();
  // Whatever is left can no longer become a frame.
  if (!pending_.empty()) accept(FrameKind::Unknown, std::exchange(pending_, {}));
}

void VirtualEncoder::takeFixedFrames() {
  static constexpr std::pair<std::string_view, FrameKind> kFixed[] = {
      {kReset, FrameKind::Reset}, {kLeadIn, FrameKind::LeadIn}, {kRead, FrameKind::Read}};
  while (!pending_.empty() && !pending_.starts_with(kWriteStart)) {
    bool taken = false;
    bool partial = kWriteStart.starts_with(pending_);
    for (const auto& [frame, kind] : kFixed) {
      if (pending_.starts_with(frame)) {
        accept(kind, pending_.substr(0, frame.size()));
        pending_.erase(0, frame.size());
        taken = true;
        break;
      }
      partial = partial || frame.starts_with(pending_);
    }
    if (taken) continue;
    if (partial) return;  // the rest of the frame is on its way
    // Not a frame: everything up to the next ESC is noise.
    const std::size_t next = pending_.find('\x1b', 1);
    accept(FrameKind::Unknown, pending_.substr(0, next));
    pending_.erase(0, next);
  }
}

void VirtualEncoder::accept(FrameKind kind, std::string bytes, std::string text) {
  addLog(DescribeBytes(NameOf(kind), bytes, text, kind == FrameKind::Write));
  {
    std::lock_guard lock(mutex_);
    if (kind == FrameKind::Write) card_ = text;
    frames_.push_back({kind, std::move(bytes), std::move(text)});
  }
  changed_.notify_all();
  if (kind == FrameKind::LeadIn && options_.lateAnswer && !std::exchange(lateAnswerSent_, true)) {
    addLog(DescribeBytes("late", *options_.lateAnswer, *options_.lateAnswer, true));
    peer_.sendAfter(Millis(0), *options_.lateAnswer);
  }
  if (kind == FrameKind::Reset && !options_.ignoreReset && peer_.cancel(std::exchange(pendingAnswer_, 0)))
    addLog("(the answer not yet sent is dropped: reset)");
  if (kind != FrameKind::Read) return;  // reset, lead-in and write are never answered

  if (options_.noAnswer) {
    addLog("(no answer)");
    return;
  }
  const std::string reply = answer();
  addLog(DescribeBytes("answer", reply, reply, true));
  const std::size_t split = options_.splitAfter;
  if (split > 0 && split < reply.size()) {
    pendingAnswer_ = peer_.sendWithGap(reply.substr(0, split), options_.splitGap, reply.substr(split),
                                       options_.answerDelay);
  } else {
    pendingAnswer_ = peer_.sendAfter(options_.answerDelay, reply);
  }
}

void VirtualEncoder::addLog(std::string line) {
  if (options_.logToStdout) {
    std::fputs((line + '\n').c_str(), stdout);
    std::fflush(stdout);
  }
  std::lock_guard lock(mutex_);
  log_.push_back(std::move(line));
}

}  // namespace encoder_sim
