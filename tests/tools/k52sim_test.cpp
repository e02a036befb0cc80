// k52sim driven as the programming software drives a radio: its terminal opened with plain
// POSIX calls and set to 9600 8N1 raw, requests written as the radio's protocol has them,
// replies read back and compared with the memory image it was given.

#include "support/fakeport.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace k52::test;

namespace {

QByteArray header(int command, int address, int length) { return bytes({command, address >> 8, address & 0xFF, length}); }
QByteArray readRequest(int address, int length) { return header(0x52, address, length); }
QByteArray writeRequest(int address, const QByteArray& data) { return header(0x57, address, int(data.size())) + data; }
// The read reply as the radio gives it: "W", the address and length, then the memory.
QByteArray readReply(const QByteArray& memory, int address, int length) {
  return header(0x57, address, length) + memory.mid(address, length);
}

// The simulator's terminal, raw at a speed, with extra control flags to get it wrong.
class Line {
 public:
  explicit Line(const QString& path) : fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY)) { set(B9600); }
  ~Line() {
    if (fd >= 0) ::close(fd);
  }
  void set(speed_t speed, tcflag_t extraControl = 0) {
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD | extraControl;
    t.c_iflag &= ~tcflag_t(IXON | IXOFF);
    t.c_cc[VMIN] = t.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &t);
  }
  void send(const QByteArray& b) { EXPECT_EQ(::write(fd, b.constData(), size_t(b.size())), b.size()); }
  // Reads until n bytes came or the time ran out.
  QByteArray read(qsizetype n, int timeoutMs) {
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (got.size() < n && !t.hasExpired(timeoutMs)) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, int(std::max<qint64>(timeoutMs - t.elapsed(), 0))) <= 0) continue;
      char buf[512];
      const ssize_t r = ::read(fd, buf, sizeof buf);
      if (r <= 0) break;
      got.append(buf, r);
    }
    return got;
  }
  QByteArray exchange(const QByteArray& request, qsizetype n, int timeoutMs = 1000) {
    send(request);
    return read(n, timeoutMs);
  }
  QByteArray handshake() {
    EXPECT_EQ(exchange(kHello, 1), kAck);
    const QByteArray id = exchange(kIdentify, 8);
    EXPECT_EQ(exchange(kAck, 1), kAck);
    return id;
  }
  int fd;
};

class K52Sim : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < image.size(); ++i) image[i] = char(i * 7 + (i >> 8) + 3);  // no block looks erased
    env.writeFile(QStringLiteral("radio.dat"), image);
  }
  QString file(const char* name) const { return env.path(QString::fromLatin1(name)); }
  // Arguments as words, "@name" a file of the test's folder.
  QStringList words(const QString& line) const {
    QStringList args;
    for (const QString& w : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) args << (w.startsWith(QLatin1Char('@')) ? env.path(w.mid(1)) : w);
    return args;
  }
  // k52sim --fast on the image, with more arguments, and its terminal open.
  std::unique_ptr<Line> start(const QString& more = {}) {
    EXPECT_TRUE(sim.start(words(QStringLiteral("--image @radio.dat ") + more + QStringLiteral(" --fast"))))
        << sim.p.readAllStandardError().constData();
    return std::make_unique<Line>(sim.device);
  }
  QByteArray status() { return sim.command("status"); }
  int exitCode() {
    if (sim.p.state() != QProcess::NotRunning) sim.p.waitForFinished(5000);
    return sim.p.state() == QProcess::NotRunning && sim.p.exitStatus() == QProcess::NormalExit ? sim.p.exitCode() : -1;
  }

  TestEnv env;
  QByteArray image = QByteArray(0x2000, '\0');
  Sim sim;
};

TEST_F(K52Sim, AHandshakeOpensTheSessionTheEndFrameClosesItNothingIsAnsweredOutside) {
  auto line = start(QStringLiteral("--ident 0102030405060708"));
  ASSERT_GE(line->fd, 0);
  // Out of order (a block read, "M" 0x02, 06), bytes that start no frame and a hello with
  // a wrong letter get no reply.
  for (const QByteArray& b : {readRequest(0, 16), kIdentify, kAck, bytes({0x00, 0x13, 0x11, 0x02, 0x50, 0x52, 0x4F, 0x47, 0x52, 0x42})})
    EXPECT_TRUE(line->exchange(b, 1, 120).isEmpty()) << b.toHex().constData();
  EXPECT_EQ(line->handshake(), bytes({1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_TRUE(status().contains("session=1"));
  EXPECT_EQ(line->exchange(readRequest(0x0000, 16), 20), readReply(image, 0x0000, 16));
  EXPECT_EQ(line->exchange(readRequest(0x0010, 16), 20), readReply(image, 0x0010, 16));
  EXPECT_TRUE(line->exchange(kEnd, 1, 150).isEmpty()) << "no reply to the end frame";
  const QByteArray st = status();
  EXPECT_TRUE(st.contains("reads=2 ") && st.contains("ends=1 ") && st.contains("mismatches=0") && st.contains("session=0")) << st.constData();
  EXPECT_TRUE(line->exchange(readRequest(0, 16), 1, 150).isEmpty()) << "the session is over";
}

TEST_F(K52Sim, WritesAreStoredAckedAndSavedAtTheEndFrameShortBlocksAndTheTopOfMemoryToo) {
  auto line = start(QStringLiteral("--save @saved.dat"));
  line->handshake();
  QByteArray expected = image;
  const auto write = [&](int address, const QByteArray& data) {
    EXPECT_EQ(line->exchange(writeRequest(address, data), 1), kAck) << std::hex << address;
    expected.replace(address, data.size(), data);
  };
  write(0x0120, QByteArray(16, '\xA5'));
  write(0x1FFF, bytes({0x5A}));
  write(0x0000, bytes({0x11, 0x22, 0x33}));
  for (const auto& [address, length] : {std::pair{0x0118, 0x20}, {0x1FF0, 16}, {0, 4}})
    EXPECT_EQ(line->exchange(readRequest(address, length), length + 4), readReply(expected, address, length)) << address;
  EXPECT_TRUE(line->exchange(kEnd, 1, 150).isEmpty());
  EXPECT_EQ(sim.dump(), expected);
  EXPECT_EQ(env.readFile(file("saved.dat")), expected);
  EXPECT_TRUE(status().contains("writes=3 "));
}

// Reply 4 is the first after the handshake's three: the block read of 16 bytes at 0x0040.
TEST_F(K52Sim, EachFaultKindOnTheFourthReply) {
  const QByteArray good = readReply(image, 0x0040, 16);
  const QByteArray request = readRequest(0x0040, 16);
  const auto run = [&](const char* kind, auto&& check) {
    SCOPED_TRACE(kind);
    auto line = start(QStringLiteral("--fault-at 4:") + QLatin1String(kind));
    line->handshake();
    check(*line);
    if (QByteArray(kind) != "hangup") {
      line->read(100, 100);  // whatever is still on its way
      EXPECT_EQ(line->exchange(request, 20), good) << "the fault was one reply only";
      EXPECT_TRUE(status().contains("faults=1 "));
    }
  };
  run("lost", [&](Line& l) { EXPECT_TRUE(l.exchange(request, 1, 300).isEmpty()); });
  run("wrong", [&](Line& l) {
    const QByteArray got = l.exchange(request, 20, 300);
    ASSERT_EQ(got.size(), 20);
    int differing = 0;
    for (int i = 0; i < 20; ++i) differing += got[i] != good[i];
    EXPECT_EQ(differing, 1);
    EXPECT_NE(got.left(4), good.left(4)) << "a checked byte differs";
  });
  run("short", [&](Line& l) {
    const QByteArray got = l.exchange(request, 20, 300);
    EXPECT_TRUE(!got.isEmpty() && got.size() < 20 && good.startsWith(got));
  });
  run("late", [&](Line& l) {
    EXPECT_TRUE(l.exchange(request, 1, 150).isEmpty()) << "nothing within the reply's usual time";
    EXPECT_EQ(l.read(20, 2000), good) << "the whole reply after it";
  });
  run("garbage", [&](Line& l) {
    const QByteArray got = l.exchange(request, 28, 300);
    EXPECT_TRUE(got.size() > 20 && got.size() <= 28 && got.endsWith(good)) << got.toHex().constData();
  });
  run("split", [&](Line& l) {
    l.send(request);
    const QByteArray first = l.read(1, 300);
    EXPECT_LT(first.size(), 20) << "the reply came in one piece";
    EXPECT_EQ(first + l.read(20 - first.size(), 300), good);
  });
  run("extra", [&](Line& l) {
    const QByteArray got = l.exchange(request, 24, 300);
    EXPECT_TRUE(got.size() > 20 && got.startsWith(good));
  });
  run("hangup", [&](Line& l) {
    l.send(request);
    pollfd p{l.fd, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 2000), 1);
    EXPECT_TRUE(p.revents & (POLLHUP | POLLERR)) << p.revents;
    EXPECT_EQ(exitCode(), 3);
  });
}

TEST_F(K52Sim, FaultsOnTheHandshakeFromTheControlChannelAndAtRandomByTheSeed) {
  auto line = start(QStringLiteral("--fault-at 1:lost,3:short"));
  EXPECT_TRUE(line->exchange(kHello, 1, 200).isEmpty());
  EXPECT_EQ(line->exchange(kHello, 1), kAck);
  EXPECT_LT(line->exchange(kIdentify, 8, 200).size(), 8);
  line->handshake();
  EXPECT_EQ(sim.command("fault wrong"), "fault wrong");
  const QByteArray ack = line->exchange(writeRequest(0x0100, bytes({1, 2})), 1, 300);
  EXPECT_TRUE(ack.size() == 1 && ack != kAck);
  EXPECT_EQ(line->exchange(writeRequest(0x0100, bytes({1, 2})), 1), kAck);
  EXPECT_TRUE(sim.command("fault bogus").startsWith("error:"));

  // The same seed and the same requests give the same faults; another seed others.
  // Faults hit the handshake's replies too, but not what the radio does with the frames.
  const auto transcript = [&](const char* seed) {
    auto l = start(QStringLiteral("--faults lost=0.1,wrong=0.1,short=0.1,garbage=0.1,extra=0.1 --seed ") + QLatin1String(seed));
    QByteArray all;
    for (const QByteArray& frame : {kHello, kIdentify, kAck}) all += l->exchange(frame, frame == kIdentify ? 8 : 1, 60);
    for (int block = 0; block < 24; ++block) all += l->exchange(readRequest(16 * block, 16), 20, 60) + '\xEE';
    EXPECT_FALSE(status().contains("faults=0 "));
    return all;
  };
  EXPECT_EQ(transcript("7"), transcript("7"));
  EXPECT_NE(transcript("7"), transcript("8"));
  // A limit on the random faults: every reply would be lost, but only the first two are.
  line = start(QStringLiteral("--faults lost=1 --fault-limit 2"));
  EXPECT_TRUE(line->exchange(kHello, 1, 100).isEmpty());
  EXPECT_TRUE(line->exchange(kHello, 1, 100).isEmpty());
  line->handshake();
}

TEST_F(K52Sim, ImagesLinksSavesSignalsAndBadOptions) {
  // Without --image the delivered default image.
  ASSERT_TRUE(sim.start({QStringLiteral("--fast")}));
  EXPECT_EQ(sim.dump(), env.readFile(QStringLiteral(K52_BIN_DIR "/dhcpqec.dll")));

  // The link points at the device while k52sim runs; SIGUSR1 and the end save the memory;
  // the FIFO takes commands as standard input does, "quit" ends the run cleanly.
  auto line = start(QStringLiteral("--link @radio-port --save @saved.dat --control @control"));
  EXPECT_EQ(QFileInfo(file("radio-port")).symLinkTarget(), sim.device);
  kill(pid_t(sim.p.processId()), SIGUSR1);
  for (int i = 0; i < 100 && env.readFile(file("saved.dat")).isEmpty(); ++i) usleep(10000);
  EXPECT_EQ(env.readFile(file("saved.dat")), image);
  line->handshake();
  ASSERT_EQ(line->exchange(writeRequest(0x0200, bytes({9, 9, 9})), 1), kAck);
  QFile control(file("control"));
  ASSERT_TRUE(control.open(QIODevice::WriteOnly));
  control.write("quit\n");
  control.close();
  EXPECT_EQ(exitCode(), 0);
  EXPECT_FALSE(QFileInfo(file("radio-port")).isSymLink()) << "the link is removed at exit";
  EXPECT_EQ(env.readFile(file("saved.dat")), image.left(0x200) + bytes({9, 9, 9}) + image.mid(0x203));

  start();
  kill(pid_t(sim.p.processId()), SIGTERM);
  EXPECT_EQ(exitCode(), 0);
  env.writeFile(file("short.dat"), QByteArray(100, '\0'));  // a missing or short image is refused, as are bad options
  for (const char* bad : {"--image @none.dat", "--image @short.dat", "--faults lost=2", "--faults lost=0.6,wrong=0.6",
                          "--fault-at 0:lost", "--fault-at 3:melted", "--ident 0102", "--bogus"}) {
    EXPECT_FALSE(sim.start(words(QLatin1String(bad))));
    EXPECT_EQ(exitCode(), 2) << bad;
  }
}

}  // namespace
