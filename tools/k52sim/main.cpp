// k52sim: a K52 radio stood in on a pseudo-terminal, for the programming software, its
// command-line companion and their tests. It knows the radio only from the wire: the
// handshake, block reads and writes, the end-of-programming frame. It links none of the
// program's libraries, so it judges the program's bytes independently.

#include "radio.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/prctl.h>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace k52sim;

namespace {

constexpr int kExitOk = 0, kExitFailure = 1, kExitUsage = 2, kExitHangup = 3;

// An incomplete frame is dropped when no byte has followed it for this long.
constexpr int64_t kIncompleteTimeoutNs = 100'000'000;

const char kHelp[] = R"(Usage: k52sim [options]

Stands in for a K52 radio on a pseudo-terminal. The first line on standard output is the
device path of the terminal's slave side; point the programming software's port at it.

Memory (8 KB):
  --image FILE        start from this memory image (at least 8192 bytes; the first 8192 are used)
                      default: dhcpqec.dll beside this executable, else all bytes 0xFF
  --save FILE         save the memory at every end-of-programming frame, on SIGUSR1 and at
                      exit (written to a temporary file, then renamed)
  --ident HEX         the eight identification bytes answered to "M" 0x02, as 16 hex digits
                      (default 4B353253494D0100)
  --stuck ADDR[:VALUE]  the byte at ADDR (hex) is stuck: block writes to it do not take, so a
                      read-back after a write differs there; with VALUE (hex) it holds VALUE
                      from the start (repeatable, or a comma list)

Line:
  --link PATH         also place a symbolic link to the device at PATH (removed at exit)
  --fast              no pacing; by default every byte sent takes its 9600-baud 8N1 slot
                      (1.0417 ms) and a received frame of n bytes is acted on no earlier
                      than n byte times after its first byte came in
  --trace             trace every frame on standard error: seconds since start, "rx" (from
                      the program, when acted on) or "tx" (to the program, when it starts),
                      hex bytes; faults ("--") and ignored bytes as notes

Faults (on the radio's replies, counted from 1 in the order they are due):
  --seed N            seed of the random faults (default 1); a seed and the same requests
                      give the same faults
  --faults LIST       per-kind probabilities, e.g. lost=0.05,wrong=0.05,short=0.05,late=0.05,
                      garbage=0.05,hangup=0.01 (at most 1 together)
  --fault-limit N     at most N random faults in all
  --fault-at K:KIND   play KIND on reply K (repeatable, or a comma list)
  --late-ms MS        delay of a late reply (default 300; the program gives up after ~150)
  Kinds: lost     no reply
         wrong    one byte the program checks is changed (the 06, or the "W" address
                  length header of a read reply; any byte of the identification)
         short    the reply is cut
         late     the reply comes after --late-ms
         garbage  1 to 8 random bytes before the reply
         hangup   the terminal is closed and k52sim exits with status 3
         split    the reply comes in two or three pieces 10 to 30 ms apart (not a fault
                  for the program: it must accept it)
         extra    1 to 4 random bytes after the reply (not a fault either)

Control (lines on standard input, and on --control FIFO, created if missing):
  status              -> "status frames=F replies=R reads=N writes=N ends=N ignored=N
                          faults=N mismatches=N session=0|1"
  dump [ADDR LEN]     -> "dump HEX": the memory, or LEN (decimal) bytes from ADDR (hex)
  save PATH           -> "saved PATH"
  load PATH           -> "loaded PATH" (same rules as --image)
  fault KIND          -> play KIND on the next reply; "fault K:KIND" on reply K
  quit                -> exit as on SIGTERM
  Every command answers one line on standard output; a failure answers "error: ...".
  End of standard input is not a quit: k52sim keeps running until quit or a signal.

The radio answers "\x02PROGRA" with 06 at any time; "M" 0x02 after it with the eight
identification bytes; 06 after that with 06, which opens a session. In a session it answers
"R" AH AL LL with "W" AH AL LL and LL bytes of memory, and stores "W" AH AL LL and LL bytes,
answering 06. The end frame 45 5A A5 32 23 45 F2 closes the session (no reply). Anything
else is ignored, as the radio does: no reply.

Line settings: when the first byte arrives and at every handshake, the terminal's settings
are checked against 9600 baud, 8 data bits, no parity, 1 stop bit, no RTS/CTS or XON/XOFF,
raw bytes; a difference is reported on standard error and counted ("mismatches"). A Linux
pseudo-terminal always reads back 8 data bits and no parity, whatever was set: those two
cannot be seen wrong here.

Signals: SIGTERM, SIGINT and SIGHUP end k52sim cleanly (status 0); SIGUSR1 saves (--save).
Exit status: 0 clean end, 1 failure, 2 bad command line or image, 3 hang-up fault.
)";

volatile sig_atomic_t gQuit = 0;
volatile sig_atomic_t gSave = 0;
int gWake[2] = {-1, -1};

void onSignal(int sig) {
  const int saved = errno;
  if (sig == SIGUSR1)
    gSave = 1;
  else
    gQuit = 1;
  const char c = 0;
  if (write(gWake[1], &c, 1) < 0) {
  }
  errno = saved;
}

int64_t nowNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// End of the slot of byte i (counted from 1) after a start: 10 bits at 9600 baud per byte.
int64_t slotEnd(int64_t start, int64_t i) { return start + i * 10'000'000'000LL / 9600; }

timespec toTimespec(int64_t ns) { return {time_t(ns / 1'000'000'000), long(ns % 1'000'000'000)}; }

// Sleeps until an absolute monotonic deadline; false when a quit signal cut it short.
bool sleepUntil(int64_t deadline) {
  const timespec ts = toTimespec(deadline);
  for (;;) {
    const int rc = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
    if (rc == 0) return true;
    if (rc != EINTR) return true;
    if (gQuit) return false;
  }
}

bool readFile(const std::string& path, std::vector<uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Reads an image file into the memory: at least 8192 bytes, the first 8192 taken.
std::string loadImage(const std::string& path, std::array<uint8_t, kMemorySize>& memory) {
  std::vector<uint8_t> data;
  if (!readFile(path, data)) return "cannot read image " + path + ": " + std::strerror(errno);
  if (data.size() < kMemorySize)
    return "image " + path + " is too short: " + std::to_string(data.size()) + " bytes, need 8192";
  std::copy(data.begin(), data.begin() + kMemorySize, memory.begin());
  return {};
}

std::string executableDir() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, std::size_t(n));
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// Writes the memory to a temporary file beside path, then renames it over path.
std::string saveImage(const std::string& path, const std::array<uint8_t, kMemorySize>& memory) {
  const std::string temp = path + ".tmp" + std::to_string(getpid());
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return "cannot write " + temp + ": " + std::strerror(errno);
  std::size_t done = 0;
  while (done < memory.size()) {
    const ssize_t n = write(fd, memory.data() + done, memory.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const std::string err = std::strerror(errno);
      close(fd);
      unlink(temp.c_str());
      return "cannot write " + temp + ": " + err;
    }
    done += std::size_t(n);
  }
  if (close(fd) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
    const std::string err = std::strerror(errno);
    unlink(temp.c_str());
    return "cannot save " + path + ": " + err;
  }
  return {};
}

// What differs from 9600 baud, 8N1, no flow control, raw; empty when all is right.
std::string lineProblems(const termios& t) {
  std::string p;
  const auto add = [&p](const std::string& s) { p += (p.empty() ? "" : ", ") + s; };
  const auto speedName = [](speed_t s) -> std::string {
    switch (s) {
      case B300: return "300";
      case B1200: return "1200";
      case B2400: return "2400";
      case B4800: return "4800";
      case B9600: return "9600";
      case B19200: return "19200";
      case B38400: return "38400";
      case B57600: return "57600";
      case B115200: return "115200";
      default: return "code " + std::to_string(unsigned(s));
    }
  };
  if (cfgetospeed(&t) != B9600) add("output speed " + speedName(cfgetospeed(&t)));
  if (cfgetispeed(&t) != B9600 && cfgetispeed(&t) != B0) add("input speed " + speedName(cfgetispeed(&t)));
  if ((t.c_cflag & CSIZE) != CS8) add("not 8 data bits");
  if (t.c_cflag & PARENB) add("parity on");
  if (t.c_cflag & CSTOPB) add("2 stop bits");
  if (t.c_cflag & CRTSCTS) add("CRTSCTS");
  if (t.c_iflag & IXON) add("IXON");
  if (t.c_iflag & IXOFF) add("IXOFF");
  const struct {
    tcflag_t termios::*field;
    tcflag_t flag;
    const char* name;
  } raw[] = {{&termios::c_iflag, ISTRIP, "ISTRIP"}, {&termios::c_iflag, INLCR, "INLCR"},
             {&termios::c_iflag, IGNCR, "IGNCR"},   {&termios::c_iflag, ICRNL, "ICRNL"},
             {&termios::c_iflag, PARMRK, "PARMRK"}, {&termios::c_oflag, OPOST, "OPOST"},
             {&termios::c_lflag, ICANON, "ICANON"}, {&termios::c_lflag, ECHO, "ECHO"},
             {&termios::c_lflag, ECHONL, "ECHONL"}, {&termios::c_lflag, ISIG, "ISIG"},
             {&termios::c_lflag, IEXTEN, "IEXTEN"}};
  for (const auto& r : raw)
    if (t.*(r.field) & r.flag) add(std::string("not raw: ") + r.name);
  return p;
}

struct Options {
  std::string image, save, link, control;
  bool fast = false, trace = false;
  int lateMs = 300;
  FaultPlan plan;
  bool ident = false;
  Bytes identBytes;
  std::vector<std::pair<unsigned, int>> stuck;  // address, value to hold (-1: as it is)
};

class Sim {
 public:
  Sim(Options& options, Radio& radio) : opt_(options), radio_(radio), plan_(options.plan), start_(nowNs()) {}
  int run();

 private:
  bool openTerminal();
  void receive();
  int64_t process();  // acts on ready frames; returns when to look again (0: nothing due)
  bool act(std::size_t frameLength);
  bool send(const Bytes& bytes);
  void checkLine();
  void controlLine(const std::string& line);
  void saveIfAsked(const char* why);
  int finish(int status);
  void trace(const char* what, const std::string& text);
  void reply(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
  }

  Options& opt_;
  Radio& radio_;
  FaultPlan& plan_;
  int64_t start_;
  int master_ = -1, slave_ = -1;
  std::string slavePath_;
  bool linked_ = false, fifoMade_ = false;
  int fifo_ = -1;
  bool stdinOpen_ = true;
  std::string stdinBuf_, fifoBuf_;

  std::deque<uint8_t> rx_;
  std::deque<int64_t> rxDone_;  // when each received byte finished on a 9600-baud line
  int64_t rxLineFree_ = 0, txLineFree_ = 0;
  bool anyByte_ = false, skipHelloCheck_ = false;
  bool hungUp_ = false, failed_ = false;

  unsigned long long frames_ = 0, replies_ = 0, reads_ = 0, writes_ = 0, ends_ = 0, ignored_ = 0,
                     faults_ = 0, mismatches_ = 0;
};

void Sim::trace(const char* what, const std::string& text) {
  if (!opt_.trace) return;
  std::fprintf(stderr, "[%11.6f] %s %s\n", double(nowNs() - start_) / 1e9, what, text.c_str());
}

bool Sim::openTerminal() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    std::fprintf(stderr, "k52sim: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
    return false;
  }
  const char* name = ptsname(master_);
  if (!name) {
    std::fprintf(stderr, "k52sim: no slave name: %s\n", std::strerror(errno));
    return false;
  }
  slavePath_ = name;
  // Held open for the whole run, so the line stays up while the program closes and reopens
  // its port, and so the settings the program applies can be read back here.
  slave_ = open(name, O_RDWR | O_NOCTTY);
  if (slave_ < 0) {
    std::fprintf(stderr, "k52sim: cannot open %s: %s\n", name, std::strerror(errno));
    return false;
  }
  // No echo, so nothing sent comes back before the program sets the line up; everything
  // else stays as a fresh terminal has it, for the program to set.
  termios t;
  if (tcgetattr(slave_, &t) == 0) {
    t.c_lflag &= ~tcflag_t(ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOKE);
    tcsetattr(slave_, TCSANOW, &t);
  }
  if (!opt_.link.empty()) {
    struct stat st;
    if (lstat(opt_.link.c_str(), &st) == 0) {
      if (!S_ISLNK(st.st_mode)) {
        std::fprintf(stderr, "k52sim: %s exists and is not a symbolic link\n", opt_.link.c_str());
        return false;
      }
      unlink(opt_.link.c_str());
    }
    if (symlink(name, opt_.link.c_str()) != 0) {
      std::fprintf(stderr, "k52sim: cannot link %s: %s\n", opt_.link.c_str(), std::strerror(errno));
      return false;
    }
    linked_ = true;
  }
  return true;
}

void Sim::checkLine() {
  termios t;
  if (tcgetattr(slave_, &t) != 0) return;
  const std::string problems = lineProblems(t);
  if (problems.empty()) return;
  ++mismatches_;
  std::fprintf(stderr, "k52sim: line settings mismatch (want 9600 8N1, no flow control, raw): %s\n",
               problems.c_str());
}

void Sim::receive() {
  uint8_t buf[4096];
  const ssize_t n = read(master_, buf, sizeof buf);
  if (n < 0 && errno != EINTR && errno != EAGAIN) {
    std::fprintf(stderr, "k52sim: read from the terminal failed: %s\n", std::strerror(errno));
    failed_ = true;
  }
  if (n <= 0) return;
  const int64_t t = nowNs();
  // On the line the bytes follow one another: each ends one byte time after the one before.
  const int64_t first = std::max(t, rxLineFree_);
  for (ssize_t i = 0; i < n; ++i) {
    rx_.push_back(buf[i]);
    rxDone_.push_back(slotEnd(first, i + 1));
  }
  rxLineFree_ = slotEnd(first, n);
  if (!anyByte_) {
    anyByte_ = true;
    skipHelloCheck_ = buf[0] == 0x02;
    checkLine();
  }
}

int64_t Sim::process() {
  std::vector<uint8_t> buf;
  while (!rx_.empty() && !hungUp_ && !gQuit) {
    buf.assign(rx_.begin(), rx_.end());
    const Scan s = scanFrame(buf.data(), buf.size());
    const int64_t now = nowNs();
    if (s.kind == Scan::Junk) {
      trace("rx", hex(buf.data(), s.length) + "  (ignored)");
      ignored_ += s.length;
      rx_.erase(rx_.begin(), rx_.begin() + std::ptrdiff_t(s.length));
      rxDone_.erase(rxDone_.begin(), rxDone_.begin() + std::ptrdiff_t(s.length));
      continue;
    }
    if (s.kind == Scan::Incomplete) {
      const int64_t giveUp = rxDone_.back() + kIncompleteTimeoutNs;
      if (now < giveUp) return giveUp;
      trace("rx", hex(buf.data(), buf.size()) + "  (incomplete, ignored)");
      ignored_ += buf.size();
      rx_.clear();
      rxDone_.clear();
      return 0;
    }
    const int64_t ready = opt_.fast ? 0 : rxDone_[s.length - 1];
    if (now < ready) return ready;
    if (!act(s.length)) return 0;
  }
  return 0;
}

bool Sim::act(std::size_t n) {
  const Bytes frame(rx_.begin(), rx_.begin() + std::ptrdiff_t(n));
  rx_.erase(rx_.begin(), rx_.begin() + std::ptrdiff_t(n));
  rxDone_.erase(rxDone_.begin(), rxDone_.begin() + std::ptrdiff_t(n));
  ++frames_;
  const Radio::Outcome out = radio_.handle(frame.data(), frame.size());
  trace("rx", hex(frame.data(), frame.size()) + (out.note.empty() ? "" : "  (ignored: " + out.note + ")"));
  if (!out.note.empty()) ignored_ += n;
  if (out.hello) {
    if (skipHelloCheck_)
      skipHelloCheck_ = false;
    else
      checkLine();
  }
  if (out.read) ++reads_;
  if (out.write) ++writes_;
  if (out.end) {
    ++ends_;
    saveIfAsked("end of programming");
  }
  if (!out.reply) return true;
  ++replies_;
  const Fault fault = plan_.decide(replies_);
  if (fault != Fault::None) {
    ++faults_;
    trace("--", std::string("fault ") + faultName(fault) + " on reply " + std::to_string(replies_));
  }
  if (fault == Fault::Hangup) {
    hungUp_ = true;
    return false;
  }
  for (const Piece& piece : shapeReply(*out.reply, fault, plan_.rng, opt_.lateMs)) {
    if (piece.pauseMs > 0 && !sleepUntil(nowNs() + int64_t(piece.pauseMs) * 1'000'000)) return false;
    if (!send(piece.bytes)) return false;
  }
  return true;
}

bool Sim::send(const Bytes& bytes) {
  if (bytes.empty()) return true;
  trace("tx", hex(bytes.data(), bytes.size()));
  const auto put = [this](const uint8_t* p, std::size_t n) {
    while (n > 0) {
      const ssize_t w = write(master_, p, n);
      if (w < 0 && errno == EINTR) {
        if (gQuit) return false;
        continue;
      }
      if (w <= 0) {
        std::fprintf(stderr, "k52sim: write to the terminal failed: %s\n", std::strerror(errno));
        return false;
      }
      p += w;
      n -= std::size_t(w);
    }
    return true;
  };
  if (opt_.fast) return put(bytes.data(), bytes.size());
  // A byte reaches the other end when its stop bit is out: wait for the end of its slot,
  // then hand it over. Deadlines are absolute, so the small lateness of one wake-up does not
  // add up over a reply.
  const int64_t first = std::max(nowNs(), txLineFree_);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const int64_t deadline = slotEnd(first, int64_t(i) + 1);
    if (!sleepUntil(deadline) || !put(&bytes[i], 1)) return false;
    txLineFree_ = deadline;
  }
  return true;
}

void Sim::saveIfAsked(const char* why) {
  if (opt_.save.empty()) return;
  const std::string err = saveImage(opt_.save, radio_.memory);
  if (!err.empty())
    std::fprintf(stderr, "k52sim: %s\n", err.c_str());
  else
    trace("--", std::string("saved ") + opt_.save + " (" + why + ")");
}

void Sim::controlLine(const std::string& raw) {
  std::string line = raw;
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  const auto space = line.find(' ');
  const std::string cmd = line.substr(0, space);
  std::string arg = space == std::string::npos ? "" : line.substr(space + 1);
  while (!arg.empty() && arg.front() == ' ') arg.erase(arg.begin());
  if (cmd.empty()) return;
  if (cmd == "status") {
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "status frames=%llu replies=%llu reads=%llu writes=%llu ends=%llu ignored=%llu "
                  "faults=%llu mismatches=%llu session=%d",
                  frames_, replies_, reads_, writes_, ends_, ignored_, faults_, mismatches_,
                  radio_.state == Radio::State::Session ? 1 : 0);
    reply(buf);
  } else if (cmd == "dump") {
    unsigned long address = 0, length = kMemorySize;
    if (!arg.empty()) {
      char* end = nullptr;
      address = std::strtoul(arg.c_str(), &end, 16);
      length = std::strtoul(end, &end, 10);
      if (*end != '\0' || address + length > kMemorySize || length == 0) {
        reply("error: dump ADDR LEN: ADDR in hex, LEN in decimal, within 0000-1FFF");
        return;
      }
    }
    reply("dump " + hex(radio_.memory.data() + address, length, false));
  } else if (cmd == "save" && !arg.empty()) {
    const std::string err = saveImage(arg, radio_.memory);
    reply(err.empty() ? "saved " + arg : "error: " + err);
  } else if (cmd == "load" && !arg.empty()) {
    const std::string err = loadImage(arg, radio_.memory);
    reply(err.empty() ? "loaded " + arg : "error: " + err);
  } else if (cmd == "fault" && !arg.empty()) {
    std::string err;
    if (arg.find(':') == std::string::npos) {
      const auto kind = faultFromName(arg);
      if (kind)
        plan_.force(replies_ + 1, *kind);
      else
        err = "unknown fault kind: " + arg;
    } else {
      err = plan_.parseForced(arg);
    }
    reply(err.empty() ? "fault " + arg : "error: " + err);
  } else if (cmd == "quit") {
    reply("bye");
    gQuit = 1;
  } else {
    reply("error: unknown command: " + line);
  }
}

int Sim::finish(int status) {
  saveIfAsked("exit");
  // The link goes before the terminal: once the terminal is closed the system may give its
  // number to another program, and a stale link would lead the next user to that one.
  if (linked_) unlink(opt_.link.c_str());
  if (master_ >= 0) close(master_);
  if (slave_ >= 0) close(slave_);
  if (fifo_ >= 0) close(fifo_);
  if (fifoMade_) unlink(opt_.control.c_str());
  return status;
}

int Sim::run() {
  if (!openTerminal()) return finish(kExitFailure);
  if (!opt_.control.empty()) {
    struct stat st;
    if (stat(opt_.control.c_str(), &st) != 0) {
      if (mkfifo(opt_.control.c_str(), 0600) != 0) {
        std::fprintf(stderr, "k52sim: cannot make %s: %s\n", opt_.control.c_str(), std::strerror(errno));
        return finish(kExitFailure);
      }
      fifoMade_ = true;
    }
    // Open for writing too, so the FIFO never reads as closed between writers.
    fifo_ = open(opt_.control.c_str(), O_RDWR | O_NONBLOCK);
    if (fifo_ < 0) {
      std::fprintf(stderr, "k52sim: cannot open %s: %s\n", opt_.control.c_str(), std::strerror(errno));
      return finish(kExitFailure);
    }
  }
  reply(slavePath_);

  while (!gQuit && !hungUp_ && !failed_) {
    if (gSave) {
      gSave = 0;
      saveIfAsked("SIGUSR1");
    }
    const int64_t due = process();
    if (gQuit || hungUp_) break;

    pollfd fds[4];
    nfds_t count = 0;
    fds[count++] = {master_, POLLIN, 0};
    fds[count++] = {gWake[0], POLLIN, 0};
    const nfds_t stdinAt = stdinOpen_ ? count++ : 99;
    if (stdinOpen_) fds[stdinAt] = {0, POLLIN, 0};
    const nfds_t fifoAt = fifo_ >= 0 ? count++ : 99;
    if (fifo_ >= 0) fds[fifoAt] = {fifo_, POLLIN, 0};
    timespec timeout{};
    timespec* wait = nullptr;
    if (due > 0) {
      timeout = toTimespec(std::max<int64_t>(0, due - nowNs()));
      wait = &timeout;
    }
    const int rc = ppoll(fds, count, wait, nullptr);
    if (rc < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "k52sim: poll failed: %s\n", std::strerror(errno));
      return finish(kExitFailure);
    }
    if (fds[1].revents & POLLIN) {
      char drain[64];
      while (read(gWake[0], drain, sizeof drain) > 0) {
      }
    }
    if (fds[0].revents & POLLIN) receive();
    // Reads what a control input holds and runs its complete lines; false at its end.
    const auto lines = [this](int fd, std::string& buf) {
      char chunk[1024];
      const ssize_t n = read(fd, chunk, sizeof chunk);
      if (n == 0) return false;
      if (n < 0) return errno == EAGAIN || errno == EINTR;
      buf.append(chunk, std::size_t(n));
      for (auto nl = buf.find('\n'); nl != std::string::npos; nl = buf.find('\n')) {
        const std::string line = buf.substr(0, nl);
        buf.erase(0, nl + 1);
        controlLine(line);
      }
      return true;
    };
    if (stdinOpen_ && (fds[stdinAt].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)))
      stdinOpen_ = lines(0, stdinBuf_);
    if (fifo_ >= 0 && (fds[fifoAt].revents & POLLIN)) lines(fifo_, fifoBuf_);
  }
  if (hungUp_) {
    std::fprintf(stderr, "k52sim: hung up (fault on reply %llu)\n", replies_);
    return finish(kExitHangup);
  }
  return finish(failed_ ? kExitFailure : kExitOk);
}

bool parseHexBytes(const std::string& text, Bytes& out) {
  if (text.size() % 2 != 0) return false;
  out.clear();
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const std::string pair = text.substr(i, 2);
    char* end = nullptr;
    const unsigned long v = std::strtoul(pair.c_str(), &end, 16);
    if (*end != '\0' || !std::isxdigit(static_cast<unsigned char>(pair[0]))) return false;
    out.push_back(uint8_t(v));
  }
  return true;
}

// "0F92" or "0F92:5A", or a comma list of them.
bool parseStuck(const std::string& list, std::vector<std::pair<unsigned, int>>& out) {
  std::size_t from = 0;
  while (from <= list.size()) {
    const std::size_t comma = std::min(list.find(',', from), list.size());
    const std::string item = list.substr(from, comma - from);
    const std::size_t colon = item.find(':');
    const std::string addr = item.substr(0, colon);
    char* end = nullptr;
    const unsigned long a = std::strtoul(addr.c_str(), &end, 16);
    if (addr.empty() || *end != '\0' || a >= kMemorySize) return false;
    int v = -1;
    if (colon != std::string::npos) {
      Bytes b;
      if (!parseHexBytes(item.substr(colon + 1), b) || b.size() != 1) return false;
      v = b[0];
    }
    out.emplace_back(unsigned(a), v);
    from = comma + 1;
  }
  return true;
}

// Parses the command line; returns -1 to go on, or an exit status.
int parseOptions(int argc, char** argv, Options& opt) {
  const auto usage = [](const std::string& message) {
    std::fprintf(stderr, "k52sim: %s\n(k52sim --help lists the options)\n", message.c_str());
    return kExitUsage;
  };
  std::string faults, faultAt;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    const auto number = [&](long long& into) {
      std::string text;
      if (!value(text)) return false;
      char* end = nullptr;
      into = std::strtoll(text.c_str(), &end, 10);
      return !text.empty() && *end == '\0' && into >= 0;
    };
    long long n = 0;
    std::string text;
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return kExitOk;
    } else if (a == "--image") {
      if (!value(opt.image)) return usage("--image needs a file");
    } else if (a == "--save") {
      if (!value(opt.save)) return usage("--save needs a file");
    } else if (a == "--link") {
      if (!value(opt.link)) return usage("--link needs a path");
    } else if (a == "--control") {
      if (!value(opt.control)) return usage("--control needs a path");
    } else if (a == "--fast") {
      opt.fast = true;
    } else if (a == "--trace") {
      opt.trace = true;
    } else if (a == "--seed") {
      if (!number(n)) return usage("--seed needs a whole number");
      opt.plan.rng.seed(uint64_t(n));
    } else if (a == "--faults") {
      if (!value(text)) return usage("--faults needs KIND=P,...");
      faults += "," + text;
    } else if (a == "--fault-at") {
      if (!value(text)) return usage("--fault-at needs K:KIND");
      faultAt += "," + text;
    } else if (a == "--fault-limit") {
      if (!number(n)) return usage("--fault-limit needs a whole number");
      opt.plan.randomLimit = long(n);
    } else if (a == "--late-ms") {
      if (!number(n) || n > 60000) return usage("--late-ms needs a number of milliseconds");
      opt.lateMs = int(n);
    } else if (a == "--stuck") {
      if (!value(text) || !parseStuck(text, opt.stuck)) return usage("--stuck needs ADDR[:VALUE] in hex, ADDR below 2000");
    } else if (a == "--ident") {
      if (!value(text) || !parseHexBytes(text, opt.identBytes) || opt.identBytes.size() != 8)
        return usage("--ident needs 16 hex digits");
      opt.ident = true;
    } else {
      return usage("unknown argument: " + a);
    }
  }
  if (std::string err = opt.plan.parseProbabilities(faults); !err.empty()) return usage(err);
  if (std::string err = opt.plan.parseForced(faultAt); !err.empty()) return usage(err);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  if (const int status = parseOptions(argc, argv, opt); status >= 0) return status;

  Radio radio;
  if (opt.ident) radio.ident = opt.identBytes;
  if (!opt.image.empty()) {
    if (const std::string err = loadImage(opt.image, radio.memory); !err.empty()) {
      std::fprintf(stderr, "k52sim: %s\n", err.c_str());
      return kExitUsage;
    }
  } else {
    // The delivered default image, where it is; what it lacks stays erased (0xFF).
    std::vector<uint8_t> data;
    if (readFile(executableDir() + "/dhcpqec.dll", data))
      std::copy(data.begin(), data.begin() + std::ptrdiff_t(std::min(data.size(), kMemorySize)),
                radio.memory.begin());
  }

  for (const auto& [address, v] : opt.stuck) {
    radio.stuck[address] = true;
    if (v >= 0) radio.memory[address] = uint8_t(v);
  }

  if (pipe2(gWake, O_NONBLOCK | O_CLOEXEC) != 0) {
    std::perror("k52sim: pipe");
    return kExitFailure;
  }
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no restart: a signal cuts a wait short
  for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) sigaction(sig, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  // Started in the background of an interactive shell, reading standard input fails with
  // EIO instead of stopping the process; the control then falls back to --control.
  std::signal(SIGTTIN, SIG_IGN);

  // Wake-ups as close to the byte slots as the kernel allows (the default slack is 50 us).
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);

  Sim sim(opt, radio);
  return sim.run();
}
