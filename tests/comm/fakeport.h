#pragma once
// A serial port for the tests of the engine: it records what is written, with the clock's
// time, and plays the replies a responder gives, each piece arriving at its own time.
// FakeRadio is such a responder: the radio's side of the wire protocol on 8 KB of memory.

#include "ui/clock.h"
#include "ui/serialport.h"

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <vector>

namespace k52::test {

// A piece of a reply, arriving afterMs after the frame that it answers was written.
struct Piece {
  int64_t afterMs;
  QByteArray bytes;
};
using Responder = std::function<std::vector<Piece>(const QByteArray& frame)>;

class FakePort final : public SerialPort {
 public:
  explicit FakePort(const Clock& clock) : clock_(clock) {}

  bool open(const QString& device) override {
    opens << device;
    if (open_ || !openable.contains(device)) {
      fault_ = open_ ? PortFault::InUse : fault;
      return false;
    }
    open_ = true;
    fault_ = PortFault::None;
    return true;
  }
  void close() override {
    if (open_) ++closes;
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
    QByteArray all = arrived_;
    arrived_.clear();
    return all;
  }
  bool write(const QByteArray& block) override {
    if (!open_ || cablePulled) {
      fault_ = PortFault::Io;
      return false;
    }
    frames.push_back(block);
    writtenAt.push_back(clock_.tickMs());
    if (responder)
      for (const Piece& p : responder(block)) onLine_.push_back({clock_.tickMs() + p.afterMs, p.bytes});
    return true;
  }
  PortFault lastFault() const override { return fault_; }
  QString lastFaultText() const override { return QStringLiteral("fake port fault"); }

  // Everything written, frame after frame.
  QByteArray wire() const {
    QByteArray all;
    for (const QByteArray& f : frames) all += f;
    return all;
  }

  QStringList openable;                  // devices that open
  PortFault fault = PortFault::NotFound;  // how the others fail
  bool cablePulled = false;              // writes fail
  Responder responder;
  std::vector<QByteArray> frames;
  std::vector<int64_t> writtenAt;
  QStringList opens;
  int closes = 0;
  int polls = 0;

 private:
  // Pieces whose time has come land in the receive buffer.
  void arrive() {
    const int64_t now = clock_.tickMs();
    for (auto it = onLine_.begin(); it != onLine_.end();) {
      if (it->afterMs <= now) {
        arrived_ += it->bytes;
        it = onLine_.erase(it);
      } else {
        ++it;
      }
    }
  }

  const Clock& clock_;
  bool open_ = false;
  PortFault fault_ = PortFault::None;
  std::vector<Piece> onLine_;  // afterMs holds the arrival tick here
  QByteArray arrived_;
};

inline QByteArray bytes(std::initializer_list<int> values) {
  QByteArray b;
  for (int v : values) b.append(static_cast<char>(v));
  return b;
}

// The radio: answers every frame of the protocol at once, from its 8 KB memory.
class FakeRadio {
 public:
  FakeRadio() : memory(8192, '\0') {
    for (int i = 0; i < memory.size(); ++i) memory[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  }
  std::vector<Piece> operator()(const QByteArray& f) {
    auto u = [&](int i) { return static_cast<uint8_t>(f.at(i)); };
    if (f == bytes({0x02, 'P', 'R', 'O', 'G', 'R', 'A'})) return {{replyMs, bytes({0x06})}};
    if (f == bytes({0x4D, 0x02})) return {{replyMs, identity}};
    if (f == bytes({0x06})) return {{replyMs, bytes({0x06})}};
    if (f.size() == 4 && u(0) == 0x52) {
      const int a = u(1) << 8 | u(2);
      return {{replyMs, bytes({0x57, u(1), u(2), u(3)}) + memory.mid(a, u(3))}};
    }
    if (f.size() >= 4 && u(0) == 0x57 && f.size() == 4 + u(3)) {
      const int a = u(1) << 8 | u(2);
      memory.replace(a, u(3), f.mid(4));
      return {{replyMs, bytes({0x06})}};
    }
    return {};  // the end frame, or something the radio does not understand
  }
  QByteArray memory;
  QByteArray identity = bytes({0x4B, 0x35, 0x32, 0xFF, 0x00, 0x13, 0x80, 0x7F});
  int64_t replyMs = 0;
};

}  // namespace k52::test
