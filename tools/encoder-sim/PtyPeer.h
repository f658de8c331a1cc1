#pragma once
// The far end of a pseudo-terminal: to the program, whose side is the slave device, it is
// a device on a serial line. It records what the program writes and sends bytes back, on
// request or on a schedule, from one thread that waits in poll(2).
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

namespace encoder_sim {

using Millis = std::chrono::milliseconds;

class PtyPeer {
 public:
  // How a device built on the peer hears the line; both run on the peer's thread and may
  // call sendAfter, sendWithGap and vanishAfter (never send or vanish, which wait for it).
  struct Handlers {
    std::function<void(std::string_view bytes)> onBytes;  // each chunk as it arrives
    std::function<void()> onQuiet;                        // once the line has been silent for `quiet` after bytes
    Millis quiet{20};
  };

  // How sent bytes reach the program. A pty hands every write over at once; a real port
  // takes a character time per byte at its baud and hands bytes over in batches: a UART's
  // receive FIFO when `batch` bytes have come (the rest 4 character times after the last),
  // a USB adapter at every tick of its `latency` timer.
  struct Delivery {
    bool paced = false;     // false: each send is one write, as a pty delivers it
    std::size_t batch = 1;  // hand over at this many bytes; 0: no limit but the latency
    Millis latency{0};      // hand over what has come at every tick of this; 0: no timer
  };

  // Opens the pair; throws std::system_error when the system gives no pseudo-terminal.
  PtyPeer();
  explicit PtyPeer(Handlers handlers);
  ~PtyPeer();
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;

  // The device the program opens, e.g. through BRIMLOCK_COM1.
  const std::string& slavePath() const { return slavePath_; }

  // Everything the program has written so far, in order.
  std::string received() const;
  void clearReceived();
  // True as soon as received() holds at least `count` bytes / contains `bytes`.
  bool waitForBytes(std::size_t count, Millis timeout);
  bool waitFor(std::string_view bytes, Millis timeout);

  // Applies to sends made from now on.
  void setDelivery(const Delivery& delivery);
  // When the latest sent bytes were handed to the program (written to the master).
  std::chrono::steady_clock::time_point lastHandedOver() const;

  // Written to the line by the time it returns.
  void send(std::string_view bytes);
  // These return at once, with the send's id; the peer's thread writes on time.
  std::uint64_t sendAfter(Millis delay, std::string bytes);
  std::uint64_t sendWithGap(std::string first, Millis gap, std::string rest, Millis after = Millis(0));
  // `bytes` as they are, every `every`, from `every` on, until the peer ends.
  void sendEvery(Millis every, std::string bytes);
  // A send whose first bytes have not yet left is dropped whole: true when one was.
  bool cancel(std::uint64_t id);
  // True once bytes sent wait in the slave's input queue, where the program will read
  // them (a pty hands a write over asynchronously; the purge tests need it arrived).
  bool waitQueued(Millis timeout);

  // The device goes away: the master closes, the program's descriptor is hung up and the
  // slave device disappears. Later sends are dropped.
  void vanish();
  void vanishAfter(Millis delay);

 private:
  using Clock = std::chrono::steady_clock;
  struct Action {
    std::uint64_t id = 0;
    bool vanish = false;
    std::string bytes{};
    Millis gap{0};        // then, this long after `bytes` left the line,
    std::string rest{};   // these (a gap timed from the first part, not from the request)
    bool onLine = false;  // a batch already timed by the delivery: written as it is
    Millis every{0};      // > 0: written as it is, and again this long after, without end
    bool begun = false;   // what follows a part already written
  };
  using Timed = std::pair<Clock::time_point, Action>;

  std::uint64_t schedule(Millis delay, Action action);
  void waitDone(std::uint64_t id);
  void run();
  // What is to follow the action, and when: the batches of a paced send, the rest after a gap.
  std::vector<Timed> perform(Action action);
  std::vector<Timed> pace(Action action, Clock::duration characterTime, const Delivery& delivery);
  Clock::duration characterTime() const;
  void writeNow(const std::string& bytes);
  bool receive();  // true when bytes came

  Handlers handlers_;
  int master_ = -1;
  int heldSlave_ = -1;  // keeps the pty open while the program has its side closed
  int wake_ = -1;       // eventfd: new action or stop
  std::string slavePath_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string received_;
  std::multimap<Clock::time_point, Action> actions_;  // equal times keep their order
  std::set<std::uint64_t> unfinished_;                // ids scheduled and not yet performed
  std::uint64_t nextId_ = 1;
  bool stopping_ = false;
  Delivery delivery_;
  Clock::time_point lastHandedOver_{};
  Clock::time_point lineFree_{};  // peer thread only: when paced bytes stop using the line

  std::thread thread_;
};

}  // namespace encoder_sim
