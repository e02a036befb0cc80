#pragma once
// The engine's and the transfers' doubles: a serial port that records what is written,
// with the clock's time, and plays the replies of a responder, each piece arriving at its
// own time; FakeRadio, the radio's side of the protocol on 8 KB; a transfer's view without
// a window; a fault sink that keeps the engine's log entries.

#include "app/transfer.h"
#include "app/appcontext.h"
#include "support/testenv.h"
#include "core/clock.h"
#include "core/serialport.h"

#include <QStringList>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace k52::test {

// A piece of a reply, arriving afterMs after the frame that it answers was written.
struct Piece {
  int64_t afterMs;
  QByteArray bytes;
};
using Responder = std::function<std::vector<Piece>(const QByteArray& frame)>;

inline QByteArray bytes(std::initializer_list<int> values) {
  QByteArray b;
  for (int v : values) b.append(static_cast<char>(v));
  return b;
}

// The handshake's frames and the end frame.
inline const QByteArray kHello = bytes({0x02, 'P', 'R', 'O', 'G', 'R', 'A'}), kIdentify = bytes({0x4D, 0x02}), kAck = bytes({0x06});
inline const QByteArray kEnd = bytes({0x45, 0x5A, 0xA5, 0x32, 0x23, 0x45, 0xF2});

class FakePort final : public SerialPort {
 public:
  explicit FakePort(const Clock& clock) : clock_(clock) {}
  bool open(const QString& device) override {
    opens << device;
    if (open_ || !openable.contains(device)) {
      fault_ = open_ ? PortFault::InUse : fault;
      return false;
    }
    fault_ = PortFault::None;
    return open_ = true;
  }
  void close() override {
    closes += open_;
    open_ = false;
  }
  bool isOpen() const override { return open_; }
  void discardTransmit() override {}
  void discardReceive() override {
    arrive();
    arrived_.clear();
  }
  qint64 bytesWaiting() override {
    ++polls;
    arrive();
    return arrived_.size();
  }
  QByteArray readAll() override {
    arrive();
    if (!handed.empty()) handed.back() += arrived_;
    return std::exchange(arrived_, QByteArray());
  }
  bool write(const QByteArray& block) override {
    if (!open_ || cablePulled) {
      fault_ = PortFault::Io;
      return false;
    }
    frames.push_back(block);
    writtenAt.push_back(clock_.tickMs());
    handed.emplace_back();
    if (responder)  // kept in the order of arrival
      for (const Piece& p : responder(block)) {
        const Piece piece{clock_.tickMs() + p.afterMs, p.bytes};
        onLine_.insert(std::upper_bound(onLine_.begin(), onLine_.end(), piece, [](const Piece& a, const Piece& b) { return a.afterMs < b.afterMs; }), piece);
      }
    return true;
  }
  PortFault lastFault() const override { return fault_; }
  QString lastFaultText() const override { return QStringLiteral("fake port fault"); }

  QStringList openable;                   // devices that open
  PortFault fault = PortFault::NotFound;  // how the others fail
  bool cablePulled = false;               // writes fail
  Responder responder;
  std::vector<QByteArray> frames;
  std::vector<int64_t> writtenAt;
  std::vector<QByteArray> handed;  // per frame: what the engine was given of its reply
  QStringList opens;
  int closes = 0, polls = 0;

 private:
  void arrive() {  // pieces whose time has come land in the receive buffer
    for (auto it = onLine_.begin(); it != onLine_.end();)
      if (it->afterMs <= clock_.tickMs()) {
        arrived_ += it->bytes;
        it = onLine_.erase(it);
      } else {
        ++it;
      }
  }
  const Clock& clock_;
  bool open_ = false;
  PortFault fault_ = PortFault::None;
  std::vector<Piece> onLine_;  // afterMs holds the arrival tick here
  QByteArray arrived_;
};

// The radio: answers every frame of the protocol at once, from its 8 KB memory.
class FakeRadio {
 public:
  FakeRadio() : memory(8192, '\0') {
    for (int i = 0; i < memory.size(); ++i) memory[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  }
  std::vector<Piece> operator()(const QByteArray& f) {
    auto u = [&](int i) { return static_cast<uint8_t>(f.at(i)); };
    if (f == kHello || f == kAck) return {{0, kAck}};
    if (f == kIdentify) return {{0, identity}};
    if (f.size() == 4 && u(0) == 0x52) return {{0, bytes({0x57, u(1), u(2), u(3)}) + memory.mid(u(1) << 8 | u(2), u(3))}};
    if (f.size() >= 4 && u(0) == 0x57 && f.size() == 4 + u(3)) {
      memory.replace(u(1) << 8 | u(2), u(3), f.mid(4));
      return {{0, bytes({0x06})}};
    }
    return {};  // the end frame, or something the radio does not understand
  }
  QByteArray memory;
  QByteArray identity = bytes({0x4B, 0x35, 0x32, 0xFF, 0x00, 0x13, 0x80, 0x7F});
};

struct RecordingSink final : FaultSink {
  void LogError(const QString& procName, int number, const QString&) override { entries.push_back({procName, number}); }
  std::vector<std::pair<QString, int>> entries;
};

// A transfer's view without a window: records the calls; stops when told to.
class RecordingView final : public TransferView {
 public:
  void ComDataShow(int16_t dir, const QByteArray& block) override { shown.push_back({dir, block}); }
  void addLine(const QString& text) override { lines << text; }
  void transferStarting(bool write) override { starts.push_back(write); }
  void transferStopped() override { ++stops; }
  void ShowComPercent(int16_t p) override { percents.push_back(p); }
  bool stopRequested() override { return stopAfterPercents >= 0 && int(percents.size()) >= stopAfterPercents; }
  void transferFinished() override { ++finishes; }

  std::vector<std::pair<int16_t, QByteArray>> shown;
  QStringList lines;
  std::vector<bool> starts;
  int stops = 0, finishes = 0;
  std::vector<int16_t> percents;
  int stopAfterPercents = -1;  // stop once this many scripts went through
};

// A radio's memory that decodes into something of its own: the delivered image with
// channel 1 on 435.125 MHz, programmed on 5 January 2026, firmware V1.0 of 2011-12-21, and
// a pattern in the bytes no codec reads.
inline QByteArray radioMemory() {
  QByteArray m = deliveredImage();
  m.resize(8192, '\xFF');
  m.replace(0, 8, bytes({0x00, 0x25, 0x51, 0x43, 0x00, 0x25, 0x51, 0x43}));
  m.replace(0x0F92, 3, bytes({26, 1, 5}));
  m.replace(0x0F98, 3, bytes({0x10, 0xBC, 0x15}));
  for (int a = 0x1800; a < 0x2000; ++a) m[a] = static_cast<char>((a * 7 + a / 256) & 0xFF);
  return m;
}

// A fake port as ctx's port; the context owns it.
inline FakePort* useFakePort(AppContext& ctx, const Clock& clock) {
  auto p = std::make_unique<FakePort>(clock);
  FakePort* port = p.get();
  ctx.port = std::move(p);
  return port;
}

// A program installed with COM1 on "/dev/fake", and a fake port there that the responder
// answers.
inline FakePort* attachFakePort(TestEnv& env, Responder responder) {
  env.installProgram(3, QStringLiteral("/dev/fake"));
  FakePort* port = useFakePort(*env.ctx, env.clock);
  port->openable << QStringLiteral("/dev/fake");
  port->responder = std::move(responder);
  return port;
}

}  // namespace k52::test
