#include <crypt.h>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <limits.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "console.h"
#include "platform/serial/portname.h"

namespace card {
namespace {

bool g_outClosed = false;  // standard output was closed at start: it holds the null device

int Descriptor(Stream stream) {
  return stream == Stream::In ? STDIN_FILENO : stream == Stream::Out ? STDOUT_FILENO : STDERR_FILENO;
}

volatile sig_atomic_t g_stop = 0;

extern "C" void OnStop(int signal) {
  // The handler is reset as it runs (SA_RESETHAND); a second signal of another kind ends the
  // program as the first would have.
  if (g_stop != 0) {
    ::signal(signal, SIG_DFL);
    raise(signal);
    return;
  }
  g_stop = 128 + signal;
}

bool ReadAll(int fd, std::string& content, std::size_t limit, std::string& why) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = std::strerror(errno);
      return false;
    }
    if (n == 0) return true;
    content.append(buffer, static_cast<size_t>(n));
    if (content.size() > limit) {
      why = "it holds more than " + std::to_string(limit >> 20) + " MiB, far more than a batch of cards";
      return false;
    }
  }
}

// The process that holds a flock on the file open at `fd`, from the kernel's table of locks.
long FlockHolder(int fd) {
  struct stat self {};
  if (fstat(fd, &self) != 0) return 0;
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string number, type, mode, access, file;
    long pid = 0;
    if (!(fields >> number >> type) || type == "->" || type != "FLOCK") continue;
    if (!(fields >> mode >> access >> pid >> file)) continue;
    unsigned int major = 0, minor = 0;
    unsigned long inode = 0;
    if (std::sscanf(file.c_str(), "%x:%x:%lu", &major, &minor, &inode) == 3 && major == major(self.st_dev) &&
        minor == minor(self.st_dev) && inode == self.st_ino && pid != getpid())
      return pid;
  }
  return 0;
}

// The device of the program's controlling terminal (field 7 of /proc/self/stat), if any.
bool ControllingTerminal(dev_t& device) {
  std::ifstream stat("/proc/self/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t close = all.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(all.substr(close + 1));
  std::string state;
  long parent = 0, group = 0, session = 0, tty = 0;
  if (!(fields >> state >> parent >> group >> session >> tty) || tty == 0) return false;
  device = makedev((tty >> 8) & 0xfff, (tty & 0xff) | ((tty >> 12) & 0xfff00));
  return true;
}

}  // namespace

std::vector<std::string> Arguments(int argc, char** argv) { return {argv, argv + argc}; }

void PrepareStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor: this one.
    if (open("/dev/null", O_RDWR) == fd && fd == STDOUT_FILENO) g_outClosed = true;
  }
  signal(SIGPIPE, SIG_IGN);
  // A file grown past `ulimit -f` is then a write that fails, told as the journal's or the
  // output's failure, not a kill without a word.
  signal(SIGXFSZ, SIG_IGN);
}

bool IsTerminal(Stream stream) { return isatty(Descriptor(stream)) == 1; }

bool Write(Stream stream, std::string_view utf8, std::string* why) {
  if (stream == Stream::Out && g_outClosed) {
    if (why != nullptr) *why = "standard output is closed";
    return false;
  }
  const int fd = Descriptor(stream);
  while (!utf8.empty()) {
    const ssize_t n = write(fd, utf8.data(), utf8.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (why != nullptr) *why = std::strerror(errno);
      return false;
    }
    utf8.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool ReadAllInput(std::string& all, std::size_t limit, std::string& why) {
  all.clear();
  return ReadAll(STDIN_FILENO, all, limit, why);
}

bool ReadWholeFile(const std::string& path, std::string& content, std::size_t limit, std::string& why) {
  content.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  const bool read = ReadAll(fd, content, limit, why);
  close(fd);
  return read;
}

bool CanAskOperator() {
  if (!IsTerminal(Stream::Err)) return false;
  const int tty = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (tty >= 0) close(tty);
  return tty >= 0;
}

bool WaitForEnter() {
  const int tty = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (tty < 0) return false;
  // The terminal hands over a line once Enter is pressed; poll, unlike read, is never
  // restarted after a signal, so a stop ends the wait.
  bool entered = false;
  for (char c = 0; !entered && g_stop == 0;) {
    pollfd waiter{tty, POLLIN, 0};
    if (poll(&waiter, 1, -1) < 0) continue;
    if (read(tty, &c, 1) != 1) break;
    entered = c == '\n';
  }
  close(tty);
  return entered;
}

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStop;
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

int StopRequested() { return g_stop; }

bool CheckPort(const std::string& port, std::string& device, std::string& why) {
  const std::optional<std::string> path = serial::DevicePathForName(port.c_str());
  if (!path) {
    why = "'" + port + "' is no port name; give com1, com2 (up to com256) or a device path";
    return false;
  }
  device = *path;
  const std::string named = port == device ? port : port + " (" + device + ")";
  if (port[0] != '/') {
    const std::string variable = "BRIMLOCK_COM" + port.substr(3);
    if (const char* value = std::getenv(variable.c_str()); value != nullptr && *value == '\0') {
      why = variable + " is set but empty; set it to the encoder's device (e.g. /dev/ttyUSB0), or unset it for " +
            device;
      return false;
    }
  }
  struct stat info {};
  if (stat(device.c_str(), &info) != 0) {
    why = errno == ENOENT || errno == ENOTDIR
              ? named + " does not exist; connect the encoder, or name its port with --port (com1, com2 or a "
                        "device path; 'brimlock-card ports' lists them and what com1 and com2 stand for)"
              : named + " cannot be looked at: " + std::strerror(errno);
    return false;
  }
  const char* kind = S_ISDIR(info.st_mode)    ? "a directory"
                     : S_ISREG(info.st_mode)  ? "a regular file"
                     : S_ISFIFO(info.st_mode) ? "a pipe (FIFO)"
                     : S_ISSOCK(info.st_mode) ? "a socket"
                     : S_ISBLK(info.st_mode)  ? "a block device"
                                              : nullptr;
  if (kind != nullptr) {
    why = named + " is " + kind + ", not a serial port; name the encoder's port with --port";
    return false;
  }
  // /dev/ptmx opens a new pseudo-terminal's master: a terminal, and no line to anything.
  if (S_ISCHR(info.st_mode) && info.st_rdev == makedev(5, 2)) {
    why = named + " is the pseudo-terminal multiplexer, which opens a new terminal of its own, not a serial "
                  "port; name the encoder's port with --port";
    return false;
  }
  dev_t own = 0;
  if (info.st_rdev == makedev(5, 0) || (ControllingTerminal(own) && info.st_rdev == own)) {
    why = named + " is the terminal brimlock-card runs in, not the encoder's port; name the encoder's port "
                  "with --port";
    return false;
  }
  return true;
}

void LetFramesLeave(std::size_t /*bytes*/) {}

namespace {

std::string ProcessName(long pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  return name.empty() ? "" : " (" + name + ")";
}

// The live process a UUCP lock file names for the device, as serial programs leave them.
long LockHolder(const std::string& device) {
  std::ifstream lock("/var/lock/LCK.." + device.substr(device.rfind('/') + 1));
  long pid = 0;
  if (!(lock >> pid) || pid <= 0 || pid == getpid()) return 0;
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM ? pid : 0;
}

// Another process with the device open (only the processes this user may look into).
long Opener(const std::string& device) {
  DIR* processes = opendir("/proc");
  if (processes == nullptr) return 0;
  long found = 0;
  for (dirent* entry; found == 0 && (entry = readdir(processes)) != nullptr;) {
    const long pid = std::strtol(entry->d_name, nullptr, 10);
    if (pid <= 0 || pid == getpid()) continue;
    const std::string fds = "/proc/" + std::string(entry->d_name) + "/fd";
    DIR* open = opendir(fds.c_str());
    if (open == nullptr) continue;
    for (dirent* fd; found == 0 && (fd = readdir(open)) != nullptr;) {
      char target[PATH_MAX];
      const ssize_t n = readlink((fds + "/" + fd->d_name).c_str(), target, sizeof target - 1);
      if (n > 0 && std::string_view(target, static_cast<std::size_t>(n)) == device) found = pid;
    }
    closedir(open);
  }
  closedir(processes);
  return found;
}

// A group this user is not in, in the process's groups and (since the last login) at all.
std::string GroupAdvice(gid_t group) {
  const struct group* entry = getgrgid(group);
  const std::string name = entry != nullptr ? entry->gr_name : std::to_string(group);
  bool listed = false;
  if (const struct passwd* user = getpwuid(getuid()); user != nullptr && entry != nullptr)
    for (char** member = entry->gr_mem; *member != nullptr; ++member)
      listed = listed || user->pw_name == std::string(*member);
  return listed ? "you joined its group '" + name + "', but this login does not have it yet: log in again"
                : "it belongs to group '" + name + "', which you are not in: join it (sudo usermod -aG " + name +
                      " $USER) and log in again";
}

}  // namespace

std::string WhyNotOpen(const std::string& path) {
  char real[PATH_MAX];
  const std::string device = realpath(path.c_str(), real) != nullptr ? real : path;
  struct stat info {};
  if (stat(device.c_str(), &info) != 0) return "it does not exist";
  if (!S_ISCHR(info.st_mode)) return "it is not a character device, so no serial port";
  if (access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
    bool inGroup = getegid() == info.st_gid;
    gid_t groups[256];
    const int count = getgroups(256, groups);
    for (int i = 0; i < count; ++i) inGroup = inGroup || groups[i] == info.st_gid;
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return inGroup || info.st_gid == 0 ? std::string("you may not open it (mode ") + mode + ")"
                                       : GroupAdvice(info.st_gid);
  }
  if (const long pid = LockHolder(device); pid != 0)
    return "process " + std::to_string(pid) + ProcessName(pid) + " holds it";
  // A serial driver's port with no UART found behind it.
  const std::string base = device.substr(device.rfind('/') + 1);
  std::ifstream type("/sys/class/tty/" + base + "/type");
  if (int uart = -1; type >> uart && uart == 0) return "no hardware answers behind it (no UART at that port)";
  if (info.st_rdev == makedev(5, 2)) return "it is the pseudo-terminal multiplexer, not a serial port";
  return "";
}

std::string OpenedBy(const std::string& path) {
  char real[PATH_MAX];
  const long pid = Opener(realpath(path.c_str(), real) != nullptr ? real : path);
  return pid != 0 ? "process " + std::to_string(pid) + ProcessName(pid) + " has it open" : "";
}

std::vector<PortInfo> ListPorts() {
  std::vector<PortInfo> ports;
  std::vector<std::string> seen;
  auto add = [&](const std::string& name, const std::string& device) {
    char real[PATH_MAX];
    const std::string resolved = realpath(device.c_str(), real) != nullptr ? real : device;
    seen.push_back(resolved);
    const std::string why = WhyNotOpen(device);
    ports.push_back({name, resolved, why.empty(), why});
  };
  for (const char* com : {"com1", "com2"}) add(com, serial::DevicePathForName(com).value_or(""));
  auto each = [](const std::string& folder, const std::string& prefix, const auto& take) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    std::vector<std::string> names;
    for (dirent* entry; (entry = readdir(dir)) != nullptr;)
      if (std::string_view(entry->d_name).starts_with(prefix) && entry->d_name[0] != '.')
        names.push_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) take(folder + "/" + name);
  };
  each("/dev/serial/by-id", "", [&](const std::string& path) { add(path, path); });
  for (const char* prefix : {"ttyUSB", "ttyACM", "ttyAMA", "ttyS"}) {
    each("/dev", prefix, [&](const std::string& path) {
      const std::string why = WhyNotOpen(path);
      // The serial driver makes ports it finds no UART behind: listed only as com1 or com2.
      if (std::find(seen.begin(), seen.end(), path) == seen.end() && why.find("no hardware") == std::string::npos)
        add(path, path);
    });
  }
  return ports;
}

std::string RandomBytes(std::size_t n) {
  std::string bytes(n, '\0');
  for (std::size_t at = 0; at < n;) {
    const ssize_t got = getrandom(bytes.data() + at, n - at, 0);
    if (got > 0) at += static_cast<std::size_t>(got);
    else if (errno != EINTR) std::abort();  // a kernel without a random source: nothing to keep a secret with
  }
  return bytes;
}

std::optional<std::string> SlowDigest(std::string_view bytes, std::string_view salt) {
  // yescrypt at cost 3: about 13 ms and 4 MiB a card here, so a 6-digit code takes hours
  // of trying where an unsalted fast hash took a tenth of a second.
  char setting[CRYPT_GENSALT_OUTPUT_SIZE];
  if (crypt_gensalt_rn("$y$", 3, salt.data(), static_cast<int>(salt.size()), setting, sizeof setting) == nullptr)
    return std::nullopt;
  crypt_data work{};
  const char* hashed = crypt_r(std::string(bytes).c_str(), setting, &work);
  if (hashed == nullptr || hashed[0] != '$') return std::nullopt;
  return std::string(std::strrchr(hashed, '$') + 1);
}

JournalFile::~JournalFile() {
  if (handle_ >= 0) close(static_cast<int>(handle_));  // also drops the lock
}

JournalFile::Opened JournalFile::Open(const std::string& path, std::string& content, long& holder, std::string& why) {
  holder = 0;
  // O_NONBLOCK: a FIFO named as the journal must not hang the open; it is refused below.
  // O_NOFOLLOW: a link planted where the journal goes must not make it elsewhere.
  int fd = open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0600);
  if (fd < 0) {
    why = errno == ELOOP ? "a symbolic link, which a journal is never opened through" : std::strerror(errno);
    return errno == EISDIR || errno == ELOOP ? Opened::NotAFile : Opened::Failed;
  }
  struct stat info {};
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  // Another user's file, or one with a second name, may be read by others or planted.
  if (!regular || info.st_uid != geteuid() || info.st_nlink != 1) {
    close(fd);
    why = !regular                   ? "not a regular file"
          : info.st_uid != geteuid() ? "it belongs to another user"
                                     : "it has another name (a hard link) besides this one";
    return Opened::NotAFile;
  }
  // The hidden codes' digests are for this user alone, whatever the umask or the file had.
  if ((info.st_mode & 0777) != 0600 && fchmod(fd, 0600) != 0) {
    why = std::string("its mode cannot be made 0600: ") + std::strerror(errno);
    close(fd);
    return Opened::Failed;
  }
  fcntl(fd, F_SETFL, O_APPEND);
  handle_ = fd;
  // The lock is the file's own: it ends with the process, however the process ends.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    why = std::strerror(errno);
    if (errno != EWOULDBLOCK) return Opened::Failed;
    holder = FlockHolder(fd);
    return Opened::Held;
  }
  content.clear();
  if (lseek(fd, 0, SEEK_SET) != 0 || !ReadAll(fd, content, std::size_t{1} << 30, why)) return Opened::Failed;
  if (content.empty()) {
    // A journal just made must keep its name through a crash too: its directory goes to disk.
    const std::string::size_type slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int dir = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = dir >= 0 && fsync(dir) == 0;
    if (!synced) why = "its folder " + directory + " cannot be synced to disk: " + std::strerror(errno);
    if (dir >= 0) close(dir);
    if (!synced) return Opened::Failed;
  }
  return Opened::Ok;
}

bool JournalFile::Append(std::string_view bytes, std::string& why) {
  const int fd = static_cast<int>(handle_);
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      why = std::strerror(errno);
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  if (fsync(fd) != 0) {
    why = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace card
