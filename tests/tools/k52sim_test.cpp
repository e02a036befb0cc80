// k52sim driven as the programming software drives a radio: its terminal opened with plain
// POSIX calls and set to 9600 8N1 raw, requests written byte by byte as the radio's protocol
// has them, replies read back and compared with the memory image it was given.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

const Bytes kHello{0x02, 0x50, 0x52, 0x4F, 0x47, 0x52, 0x41};
const Bytes kIdentify{0x4D, 0x02};
const Bytes kAck{0x06};
const Bytes kEnd{0x45, 0x5A, 0xA5, 0x32, 0x23, 0x45, 0xF2};

Bytes readRequest(unsigned address, unsigned length) {
  return {0x52, uint8_t(address >> 8), uint8_t(address), uint8_t(length)};
}
Bytes writeRequest(unsigned address, const Bytes& data) {
  Bytes b{0x57, uint8_t(address >> 8), uint8_t(address), uint8_t(data.size())};
  b.insert(b.end(), data.begin(), data.end());
  return b;
}
// The read reply as the radio gives it: "W", the address and length, then the memory.
Bytes readReply(const Bytes& memory, unsigned address, unsigned length) {
  Bytes b{0x57, uint8_t(address >> 8), uint8_t(address), uint8_t(length)};
  b.insert(b.end(), memory.begin() + address, memory.begin() + address + length);
  return b;
}

// A memory image where every byte differs from its neighbours and no block looks erased.
Bytes patternImage() {
  Bytes b(0x2000);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(i * 7 + (i >> 8) + 3);
  return b;
}

Bytes fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void writeBytes(const std::string& path, const Bytes& b) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

Bytes fromHex(const std::string& s) {
  Bytes b;
  for (std::size_t i = 0; i + 1 < s.size(); i += 2) b.push_back(uint8_t(std::stoul(s.substr(i, 2), nullptr, 16)));
  return b;
}

// Raw 8N1 at a speed, with extra control flags (two stop bits, RTS/CTS) to get it wrong.
void setLine(int fd, speed_t speed, tcflag_t extraControl = 0) {
  termios t{};
  ASSERT_EQ(tcgetattr(fd, &t), 0);
  cfmakeraw(&t);
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  t.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD | extraControl;
  t.c_iflag &= ~tcflag_t(IXON | IXOFF);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  ASSERT_EQ(tcsetattr(fd, TCSANOW, &t), 0);
}

// One k52sim process: its control on stdin/stdout, its stderr in a file, its terminal open.
class Sim {
 public:
  explicit Sim(std::vector<std::string> args, bool openLine = true) {
    errPath_ = dir_.filePath("stderr.txt").toStdString();
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addopen(&fa, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addclose(&fa, in[1]);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    args.insert(args.begin(), K52_BIN_DIR "/k52sim");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &fa, nullptr, argv.data(), environ) != 0) throw std::runtime_error("spawn");
    posix_spawn_file_actions_destroy(&fa);
    close(in[0]);
    close(out[1]);
    control_ = in[1];
    out_ = out[0];
    path = line(5000);
    if (openLine && !path.empty()) {
      fd = open(path.c_str(), O_RDWR | O_NOCTTY);
      if (fd >= 0) setLine(fd, B9600);
    }
  }
  ~Sim() {
    if (fd >= 0) close(fd);
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGTERM);
      wait();
    }
    close(control_);
    close(out_);
  }

  // Sends a request and reads until n bytes came or the time ran out.
  Bytes exchange(const Bytes& request, std::size_t n, int timeoutMs = 1000) {
    send(request);
    return read(n, timeoutMs);
  }
  void send(const Bytes& b) { EXPECT_EQ(::write(fd, b.data(), b.size()), ssize_t(b.size())); }
  Bytes read(std::size_t n, int timeoutMs) {
    Bytes got;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < n && Clock::now() < deadline) {
      pollfd p{fd, POLLIN, 0};
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (poll(&p, 1, int(std::max<long long>(left, 0))) <= 0) continue;
      uint8_t buf[512];
      const ssize_t r = ::read(fd, buf, sizeof buf);
      if (r <= 0) break;
      got.insert(got.end(), buf, buf + r);
    }
    return got;
  }
  void handshake(const Bytes& ident = {}) {
    ASSERT_EQ(exchange(kHello, 1), kAck);
    const Bytes id = exchange(kIdentify, 8);
    ASSERT_EQ(id.size(), 8u);
    if (!ident.empty()) {
      EXPECT_EQ(id, ident);
    }
    ASSERT_EQ(exchange(kAck, 1), kAck);
  }

  // One control command, one line of answer.
  std::string command(const std::string& text) {
    const std::string l = text + "\n";
    EXPECT_EQ(::write(control_, l.data(), l.size()), ssize_t(l.size()));
    return line(5000);
  }
  std::string status() { return command("status"); }
  Bytes dump() {
    const std::string d = command("dump");
    return d.rfind("dump ", 0) == 0 ? fromHex(d.substr(5)) : Bytes{};
  }
  int wait() {
    int st = 0;
    if (status_ < 0 && waitpid(pid_, &st, 0) == pid_) status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    return status_;
  }
  void signal(int sig) { kill(pid_, sig); }
  std::string errors() const {
    const Bytes b = fileBytes(errPath_);
    return std::string(b.begin(), b.end());
  }

  std::string path;
  int fd = -1;

 private:
  std::string line(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const auto nl = outBuf_.find('\n');
      if (nl != std::string::npos) {
        std::string l = outBuf_.substr(0, nl);
        outBuf_.erase(0, nl + 1);
        return l;
      }
      pollfd p{out_, POLLIN, 0};
      if (Clock::now() >= deadline || poll(&p, 1, 100) < 0) return {};
      if (!(p.revents & (POLLIN | POLLHUP))) continue;
      char buf[20000];
      const ssize_t r = ::read(out_, buf, sizeof buf);
      if (r <= 0) return {};
      outBuf_.append(buf, std::size_t(r));
    }
  }

  QTemporaryDir dir_;
  std::string errPath_;
  pid_t pid_ = -1;
  int status_ = -1;
  int control_ = -1, out_ = -1;
  std::string outBuf_;
};

class K52Sim : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    image = patternImage();
    imagePath = file("radio.dat");
    writeBytes(imagePath, image);
  }
  std::string file(const char* name) const { return dir.filePath(name).toStdString(); }

  QTemporaryDir dir;
  Bytes image;
  std::string imagePath;
};

TEST_F(K52Sim, HandshakeOpensTheSessionAndNothingIsAnsweredOutsideIt) {
  Sim sim({"--fast", "--image", imagePath, "--ident", "0102030405060708"});
  ASSERT_GE(sim.fd, 0) << sim.path;
  // Out of order: a block read, "M" 0x02 and 06 before the hello get no reply.
  EXPECT_TRUE(sim.exchange(readRequest(0, 16), 1, 150).empty());
  EXPECT_TRUE(sim.exchange(kIdentify, 1, 100).empty());
  EXPECT_TRUE(sim.exchange(kAck, 1, 100).empty());
  // Bytes that start no frame, and a hello with a wrong letter, are ignored too.
  EXPECT_TRUE(sim.exchange({0x00, 0x13, 0x11, 0x02, 0x50, 0x52, 0x4F, 0x47, 0x52, 0x42}, 1, 150).empty());

  sim.handshake({1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_NE(sim.status().find("session=1"), std::string::npos);
  EXPECT_NE(sim.status().find("mismatches=0"), std::string::npos);
  EXPECT_EQ(sim.exchange(readRequest(0, 16), 20), readReply(image, 0, 16));
}

TEST_F(K52Sim, WorkedExampleReadOf0000To001F) {
  Sim sim({"--fast", "--image", imagePath});
  sim.handshake();
  EXPECT_EQ(sim.exchange({0x52, 0x00, 0x00, 0x10}, 20), readReply(image, 0x0000, 16));
  EXPECT_EQ(sim.exchange({0x52, 0x00, 0x10, 0x10}, 20), readReply(image, 0x0010, 16));
  EXPECT_TRUE(sim.exchange(kEnd, 1, 150).empty());  // no reply to the end frame
  const std::string st = sim.status();
  EXPECT_NE(st.find("reads=2 "), std::string::npos) << st;
  EXPECT_NE(st.find("ends=1 "), std::string::npos) << st;
  EXPECT_NE(st.find("session=0"), std::string::npos) << st;
  // The session is over: a block read is ignored until the next handshake.
  EXPECT_TRUE(sim.exchange(readRequest(0, 16), 1, 150).empty());
}

TEST_F(K52Sim, BlockWritesAreStoredAckedAndSavedAtTheEndFrame) {
  const std::string saved = file("saved.dat");
  Sim sim({"--fast", "--image", imagePath, "--save", saved});
  sim.handshake();
  Bytes expected = image;
  const auto write = [&](unsigned address, const Bytes& data) {
    EXPECT_EQ(sim.exchange(writeRequest(address, data), 1), kAck) << std::hex << address;
    std::copy(data.begin(), data.end(), expected.begin() + address);
  };
  Bytes block(16);
  for (std::size_t i = 0; i < 16; ++i) block[i] = uint8_t(0xA0 + i);
  write(0x0120, block);
  // The closing writes of a write transfer: band, date, then the two fills with FF.
  write(0x0FF0, {0x04, 0x00, 0x04});
  write(0x0F92, {26, 1, 5});
  write(0x0F80, Bytes(16, 0xFF));
  write(0x0F90, {0xFF, 0xFF});
  EXPECT_EQ(sim.exchange(readRequest(0x0120, 16), 20), readReply(expected, 0x0120, 16));
  EXPECT_EQ(sim.exchange(readRequest(0x0F80, 0x20), 0x24), readReply(expected, 0x0F80, 0x20));

  EXPECT_TRUE(sim.exchange(kEnd, 1, 150).empty());
  EXPECT_EQ(sim.dump(), expected);
  EXPECT_EQ(fileBytes(saved), expected);
  EXPECT_NE(sim.status().find("writes=5 "), std::string::npos);
}

TEST_F(K52Sim, ShortBlocksOneByteRangesAndTheTopOfMemory) {
  Sim sim({"--fast", "--image", imagePath});
  sim.handshake();
  EXPECT_EQ(sim.exchange(readRequest(0x0010, 3), 7), readReply(image, 0x0010, 3));
  EXPECT_EQ(sim.exchange(readRequest(0x1FFF, 1), 5), readReply(image, 0x1FFF, 1));
  EXPECT_EQ(sim.exchange(readRequest(0x1FF0, 16), 20), readReply(image, 0x1FF0, 16));
  EXPECT_EQ(sim.exchange(writeRequest(0x1FFF, {0x5A}), 1), kAck);
  EXPECT_EQ(sim.exchange(writeRequest(0x0000, {0x11, 0x22, 0x33}), 1), kAck);
  Bytes expected = image;
  expected[0x1FFF] = 0x5A;
  expected[0] = 0x11, expected[1] = 0x22, expected[2] = 0x33;
  EXPECT_EQ(sim.exchange(readRequest(0x1FFF, 1), 5), readReply(expected, 0x1FFF, 1));
  EXPECT_EQ(sim.exchange(readRequest(0x0000, 4), 8), readReply(expected, 0x0000, 4));
  EXPECT_EQ(sim.dump(), expected);
}

// Reply 4 is the first after the handshake's three: the block read of 16 bytes at 0x0040.
TEST_F(K52Sim, EachFaultKindOnTheFourthReply) {
  const Bytes good = readReply(image, 0x0040, 16);
  const Bytes request = readRequest(0x0040, 16);
  const auto run = [&](const char* kind, auto&& check) {
    SCOPED_TRACE(kind);
    Sim sim({"--fast", "--image", imagePath, "--fault-at", std::string("4:") + kind});
    sim.handshake();
    check(sim);
    if (std::string(kind) != "hangup") {
      // The fault was one reply only: the next request is answered in full.
      sim.read(100, 100);  // whatever is still on its way
      EXPECT_EQ(sim.exchange(request, 20), good);
      EXPECT_NE(sim.status().find("faults=1 "), std::string::npos);
    }
  };
  run("lost", [&](Sim& sim) { EXPECT_TRUE(sim.exchange(request, 1, 300).empty()); });
  run("wrong", [&](Sim& sim) {
    const Bytes got = sim.exchange(request, 20, 300);
    ASSERT_EQ(got.size(), 20u);
    int differing = 0;
    for (std::size_t i = 0; i < 20; ++i) differing += got[i] != good[i];
    EXPECT_EQ(differing, 1);
    EXPECT_FALSE(std::equal(got.begin(), got.begin() + 4, good.begin())) << "a checked byte differs";
  });
  run("short", [&](Sim& sim) {
    const Bytes got = sim.exchange(request, 20, 300);
    ASSERT_GE(got.size(), 1u);
    ASSERT_LT(got.size(), 20u);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), good.begin()));
  });
  run("late", [&](Sim& sim) {
    const auto t0 = Clock::now();
    EXPECT_TRUE(sim.exchange(request, 1, 150).empty());
    EXPECT_EQ(sim.read(20, 2000), good);
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(290));
  });
  run("garbage", [&](Sim& sim) {
    const Bytes got = sim.exchange(request, 28, 300);
    ASSERT_GT(got.size(), 20u);
    ASSERT_LE(got.size(), 28u);
    EXPECT_TRUE(std::equal(good.begin(), good.end(), got.end() - 20));
  });
  run("split", [&](Sim& sim) {
    sim.send(request);
    const Bytes first = sim.read(1, 300);
    Bytes all = first;
    const Bytes rest = sim.read(20 - first.size(), 300);
    all.insert(all.end(), rest.begin(), rest.end());
    EXPECT_LT(first.size(), 20u) << "the reply came in one piece";
    EXPECT_EQ(all, good);
  });
  run("extra", [&](Sim& sim) {
    const Bytes got = sim.exchange(request, 24, 300);
    ASSERT_GT(got.size(), 20u);
    EXPECT_TRUE(std::equal(good.begin(), good.end(), got.begin()));
  });
  run("hangup", [&](Sim& sim) {
    sim.send(request);
    pollfd p{sim.fd, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 2000), 1);
    EXPECT_TRUE(p.revents & (POLLHUP | POLLERR)) << p.revents;
    EXPECT_EQ(sim.wait(), 3);
  });
}

TEST_F(K52Sim, FaultsOnHandshakeRepliesAndFromTheControlChannel) {
  Sim sim({"--fast", "--image", imagePath, "--fault-at", "1:lost,3:short"});
  EXPECT_TRUE(sim.exchange(kHello, 1, 200).empty());
  EXPECT_EQ(sim.exchange(kHello, 1), kAck);
  EXPECT_LT(sim.exchange(kIdentify, 8, 200).size(), 8u);
  sim.handshake();
  EXPECT_EQ(sim.command("fault wrong"), "fault wrong");
  const Bytes ack = sim.exchange(writeRequest(0x0100, {1, 2}), 1, 300);
  ASSERT_EQ(ack.size(), 1u);
  EXPECT_NE(ack[0], 0x06);
  EXPECT_EQ(sim.exchange(writeRequest(0x0100, {1, 2}), 1), kAck);
  EXPECT_EQ(sim.command("fault bogus").rfind("error:", 0), 0u);
}

// The same seed and the same requests give the same faults; another seed others.
TEST_F(K52Sim, RandomFaultsFollowTheSeed) {
  const auto transcript = [&](const char* seed) {
    Sim sim({"--fast", "--image", imagePath, "--seed", seed, "--faults",
             "lost=0.1,wrong=0.1,short=0.1,garbage=0.1,extra=0.1"});
    // Faults hit the handshake's replies too, but not what the radio does with the frames:
    // after the three frames it is in session whatever came back.
    Bytes all;
    for (const Bytes& frame : {kHello, kIdentify, kAck}) {
      const Bytes got = sim.exchange(frame, frame == kIdentify ? 8 : 1, 60);
      all.insert(all.end(), got.begin(), got.end());
    }
    for (unsigned block = 0; block < 24; ++block) {
      const Bytes got = sim.exchange(readRequest(16 * block, 16), 20, 60);
      all.insert(all.end(), got.begin(), got.end());
      all.push_back(0xEE);
    }
    const std::string st = sim.status();
    EXPECT_EQ(st.find("faults=0 "), std::string::npos) << st;
    return all;
  };
  EXPECT_EQ(transcript("7"), transcript("7"));
  EXPECT_NE(transcript("7"), transcript("8"));

  // A limit on the random faults: every reply would be lost, but only the first two are.
  Sim limited({"--fast", "--image", imagePath, "--faults", "lost=1", "--fault-limit", "2"});
  EXPECT_TRUE(limited.exchange(kHello, 1, 100).empty());
  EXPECT_TRUE(limited.exchange(kHello, 1, 100).empty());
  limited.handshake();
}

TEST_F(K52Sim, PacingFollowsA9600BaudLine) {
  const auto timed = [&](bool fast, const Bytes& request, std::size_t n, Bytes& got) {
    std::vector<std::string> args{"--image", imagePath};
    if (fast) args.push_back("--fast");
    Sim sim(args);
    sim.handshake();
    const auto t0 = Clock::now();
    got = sim.exchange(request, n, 3000);
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  };
  Bytes got;
  // 4 + 104 bytes on the line take 112.5 ms; the reply alone 108 ms.
  const double pacedRead = timed(false, readRequest(0x0100, 100), 104, got);
  EXPECT_EQ(got, readReply(image, 0x0100, 100));
  EXPECT_GE(pacedRead, 95.0);
  // A write of 104 bytes is not acted on before it could have arrived: 108 ms.
  const double pacedWrite = timed(false, writeRequest(0x0100, Bytes(100, 0x42)), 1, got);
  EXPECT_EQ(got, kAck);
  EXPECT_GE(pacedWrite, 95.0);
  const double fastRead = timed(true, readRequest(0x0100, 100), 104, got);
  EXPECT_EQ(got, readReply(image, 0x0100, 100));
  std::printf("100-byte read: paced %.1f ms, fast %.1f ms; 100-byte write paced %.1f ms\n", pacedRead, fastRead,
              pacedWrite);
}

TEST_F(K52Sim, LineSettingsOtherThan9600_8N1AreReported) {
  Sim sim({"--fast", "--image", imagePath}, false);
  const int fd = open(sim.path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  sim.fd = fd;
  // (A Linux pseudo-terminal keeps no parity and always 8 data bits, so those two cannot be
  // got wrong here.)
  setLine(fd, B4800, CSTOPB | CRTSCTS);
  sim.exchange(kHello, 1, 200);
  EXPECT_NE(sim.status().find("mismatches=1 "), std::string::npos);
  const std::string err = sim.errors();
  EXPECT_NE(err.find("line settings mismatch"), std::string::npos) << err;
  EXPECT_NE(err.find("4800"), std::string::npos) << err;
  EXPECT_NE(err.find("2 stop bits"), std::string::npos) << err;
  EXPECT_NE(err.find("CRTSCTS"), std::string::npos) << err;
  // Set right, the next handshake passes the check.
  setLine(fd, B9600);
  sim.handshake();
  EXPECT_NE(sim.status().find("mismatches=1 "), std::string::npos);
}

TEST_F(K52Sim, ImagesLinksSavesAndSignals) {
  // A missing or short image is refused.
  {
    Sim missing({"--image", file("none.dat")}, false);
    EXPECT_TRUE(missing.path.empty());
    EXPECT_EQ(missing.wait(), 2);
    writeBytes(file("short.dat"), Bytes(100, 0));
    Sim shortImage({"--image", file("short.dat")}, false);
    EXPECT_EQ(shortImage.wait(), 2);
    EXPECT_NE(shortImage.errors().find("too short"), std::string::npos);
  }
  // Without --image: the delivered default image beside the executable.
  {
    const Bytes delivered = fileBytes(K52_BIN_DIR "/dhcpqec.dll");
    ASSERT_EQ(delivered.size(), 0x2000u);
    Sim sim({"--fast"});
    EXPECT_EQ(sim.dump(), delivered);
  }
  // The link points at the device while k52sim runs; SIGUSR1 and the end save the memory.
  const std::string link = file("radio-port");
  const std::string saved = file("saved.dat");
  const std::string fifo = file("control");
  Sim sim({"--fast", "--image", imagePath, "--link", link, "--save", saved, "--control", fifo});
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), sim.path);
  sim.signal(SIGUSR1);
  for (int i = 0; i < 100 && fileBytes(saved).empty(); ++i) usleep(10000);
  EXPECT_EQ(fileBytes(saved), image);
  sim.handshake();
  ASSERT_EQ(sim.exchange(writeRequest(0x0200, {9, 9, 9}), 1), kAck);
  // The FIFO takes commands as standard input does; "quit" ends the run cleanly.
  const int control = open(fifo.c_str(), O_WRONLY);
  ASSERT_GE(control, 0);
  ASSERT_EQ(write(control, "quit\n", 5), 5);
  close(control);
  EXPECT_EQ(sim.wait(), 0);
  struct stat st;
  EXPECT_NE(lstat(link.c_str(), &st), 0) << "the link is removed at exit";
  Bytes expected = image;
  expected[0x200] = expected[0x201] = expected[0x202] = 9;
  EXPECT_EQ(fileBytes(saved), expected);
}

TEST_F(K52Sim, SigtermEndsCleanlyAndBadOptionsAreRefused) {
  Sim sim({"--fast", "--image", imagePath});
  sim.handshake();
  sim.signal(SIGTERM);
  EXPECT_EQ(sim.wait(), 0);
  for (std::vector<std::string> bad : {std::vector<std::string>{"--faults", "lost=2"},
                                       {"--faults", "lost=0.6,wrong=0.6"},
                                       {"--fault-at", "0:lost"},
                                       {"--fault-at", "3:melted"},
                                       {"--ident", "0102"},
                                       {"--bogus"}}) {
    Sim refused(bad, false);
    EXPECT_EQ(refused.wait(), 2) << bad[0];
  }
}

}  // namespace
