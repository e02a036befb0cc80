// k52sim driven as the program drives a radio, over its terminal opened with plain POSIX calls:
// requests as the radio's protocol has them, replies compared with the image it was given.

#include "support/fakeport.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

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
QByteArray readReply(const QByteArray& memory, int address, int length) { return header(0x57, address, length) + memory.mid(address, length); }

// The simulator's terminal, raw at 9600 baud.
struct Line {
  explicit Line(const QString& path) : fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY)) {
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B9600);
    t.c_cflag = (t.c_cflag & ~tcflag_t(CSTOPB | CRTSCTS)) | CLOCAL | CREAD;
    t.c_cc[VMIN] = t.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &t);
  }
  ~Line() { ::close(fd); }
  void send(const QByteArray& b) { EXPECT_EQ(::write(fd, b.constData(), size_t(b.size())), b.size()); }
  // Reads until n bytes came or the time ran out.
  QByteArray read(qsizetype n, int timeoutMs) {
    QByteArray got;
    QElapsedTimer t;
    t.start();
    for (pollfd p{fd, POLLIN, 0}; got.size() < n && poll(&p, 1, int(std::max<qint64>(timeoutMs - t.elapsed(), 0))) > 0;) {
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
  // k52sim --fast on the image, with more arguments, and its terminal open.
  std::unique_ptr<Line> start(const QString& more = {}) {
    QStringList args = {QStringLiteral("--fast"), QStringLiteral("--image"), env.path(QStringLiteral("radio.dat"))};
    for (const QString& w : more.split(QLatin1Char(' '), Qt::SkipEmptyParts)) args << (w.startsWith(QLatin1Char('@')) ? env.path(w.mid(1)) : w);
    EXPECT_TRUE(sim.start(args)) << sim.p.readAllStandardError().constData();
    return std::make_unique<Line>(sim.device);
  }

  TestEnv env;
  QByteArray image = QByteArray(0x2000, '\0');
  Sim sim;
};

TEST_F(K52Sim, AHandshakeOpensTheSessionWritesAreStoredAndAckedTheEndFrameClosesAndSaves) {
  auto line = start(QStringLiteral("--ident 0102030405060708 --save @saved.dat"));
  // Out of order (a block read, "M" 0x02, 06), bytes that start no frame and a hello with
  // a wrong letter get no reply.
  for (const QByteArray& b : {readRequest(0, 16), kIdentify, kAck, bytes({0x00, 0x13, 0x11, 0x02, 0x50, 0x52, 0x4F, 0x47, 0x52, 0x42})})
    EXPECT_TRUE(line->exchange(b, 1, 120).isEmpty()) << b.toHex().constData();
  EXPECT_EQ(line->handshake(), bytes({1, 2, 3, 4, 5, 6, 7, 8}));
  QByteArray expected = image;
  for (const auto& [address, data] : {std::pair{0x0120, QByteArray(16, '\xA5')}, {0x1FFF, bytes({0x5A})}, {0x0000, bytes({0x11, 0x22, 0x33})}}) {
    EXPECT_EQ(line->exchange(writeRequest(address, data), 1), kAck) << address;
    expected.replace(address, data.size(), data);
  }
  for (const auto& [address, length] : {std::pair{0x0118, 0x20}, {0x1FF0, 16}, {0, 4}})
    EXPECT_EQ(line->exchange(readRequest(address, length), length + 4), readReply(expected, address, length)) << address;
  EXPECT_TRUE(line->exchange(kEnd, 1, 150).isEmpty()) << "no reply to the end frame";
  EXPECT_TRUE(sim.command("status").contains("session=0"));
  EXPECT_TRUE(line->exchange(readRequest(0, 16), 1, 150).isEmpty()) << "the session is over";
  EXPECT_EQ(sim.dump(), expected);
  EXPECT_EQ(env.readFile(QStringLiteral("saved.dat")), expected);
}

// Reply 4 is the first after the handshake's three: the block read of 16 bytes at 0x0040.
TEST_F(K52Sim, EachFaultKindOnTheFourthReplyOnlyThere) {
  const QByteArray good = readReply(image, 0x0040, 16);
  const QByteArray request = readRequest(0x0040, 16);
  // {kind, bytes to wait for, what came}
  const std::tuple<const char*, int, std::function<bool(const QByteArray&)>> cases[] = {
      {"lost", 1, [](const QByteArray& got) { return got.isEmpty(); }},
      {"wrong", 20, [&](const QByteArray& got) {
         int differing = 0;
         for (int i = 0; i < got.size(); ++i) differing += got[i] != good[i];
         return got.size() == 20 && differing == 1 && got.left(4) != good.left(4);
       }},
      {"short", 20, [&](const QByteArray& got) { return !got.isEmpty() && got.size() < 20 && good.startsWith(got); }},
      {"late", 1, [](const QByteArray& got) { return got.isEmpty(); }},  // nothing within the reply's usual time
      {"garbage", 28, [&](const QByteArray& got) { return got.size() > 20 && got.endsWith(good); }},
      {"split", 1, [&](const QByteArray& got) { return !got.isEmpty() && got.size() < 20 && good.startsWith(got); }},
      {"extra", 24, [&](const QByteArray& got) { return got.size() > 20 && got.startsWith(good); }},
  };
  for (const auto& [kind, wanted, as] : cases) {
    auto line = start(QStringLiteral("--fault-at 4:") + QLatin1String(kind));
    line->handshake();
    const bool late = kind == QByteArray("late"), whole = late || kind == QByteArray("split");
    const QByteArray got = line->exchange(request, wanted, late ? 150 : 300);
    EXPECT_TRUE(as(got)) << kind << ": " << got.toHex().constData();
    const QByteArray rest = line->read(100, late ? 2000 : 300);
    EXPECT_TRUE(!whole || got + rest == good) << kind << ": the whole reply after it";
    EXPECT_EQ(line->exchange(request, 20), good) << kind << ": the fault was one reply only";
  }
  // A hang-up: the terminal goes, and the simulator ends with 3.
  auto line = start(QStringLiteral("--fault-at 4:hangup"));
  line->handshake();
  line->send(request);
  pollfd p{line->fd, POLLIN, 0};
  EXPECT_TRUE(poll(&p, 1, 2000) == 1 && (p.revents & (POLLHUP | POLLERR))) << p.revents;
  EXPECT_TRUE((sim.p.state() == QProcess::NotRunning || sim.p.waitForFinished(5000)) && sim.p.exitCode() == 3);
}

}  // namespace
