// libFuzzer target: the radio's side of the line is the input. A read or a write of a short
// range runs through the transfer and the protocol engine, on a port whose replies, their
// lengths, their contents and their timing (pieces arriving up to 255 ms apart, bytes left
// over for the next frame) all come from the input. The test clock makes every wait
// instant. Besides the sanitizers' findings, an oracle that only looks at the line checks
// the outcome: it replays the scripts against the frames sent and the bytes the engine was
// handed, and the transfer must agree with it on success or failure, on every frame it
// sent, and on every byte of the image.
//
// Input: flags (bit 0: write), start address (2 bytes), length - 1 (6 bits), then per frame
// the engine sends: a control byte (reply kind, number of pieces), and what that kind needs.

#include "comm/imagetransfer.h"
#include "image/memoryimage.h"
#include "ui/serialport.h"

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace k52;

namespace {

struct Input {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  bool empty() const { return pos >= size; }
  uint8_t byte() { return pos < size ? data[pos++] : 0; }
};

QByteArray bytes(std::initializer_list<int> v) {
  QByteArray b;
  for (int x : v) b.append(static_cast<char>(x));
  return b;
}

// The port: frames go out, replies come back as the input says, on the test clock.
class FuzzPort final : public SerialPort {
 public:
  FuzzPort(const ManualClock& clock, const QByteArray& memory) : clock_(clock), memory_(memory) {}
  void reset(Input* in) {
    in_ = in;
    pending_.clear();
    rx_.clear();
    frames.clear();
    handed.clear();
  }
  bool open(const QString&) override { return open_ = true; }
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  void discardTransmit() override {}
  void discardReceive() override {
    arrive();
    rx_.clear();
  }
  qint64 bytesWaiting() override {
    arrive();
    return rx_.size();
  }
  QByteArray readAll() override {
    arrive();
    if (!handed.empty()) handed.back() += rx_;
    return std::exchange(rx_, QByteArray());
  }
  bool write(const QByteArray& block) override {
    frames.push_back(block);
    handed.emplace_back();
    reply(block);
    return true;
  }
  PortFault lastFault() const override { return PortFault::None; }
  QString lastFaultText() const override { return {}; }

  std::vector<QByteArray> frames;  // as sent
  std::vector<QByteArray> handed;  // per frame: what the engine was given of the reply

 private:
  // What a radio would answer; the input then decides what really comes.
  QByteArray correctReply(const QByteArray& f) const {
    auto u = [&](int i) { return static_cast<uint8_t>(f.at(i)); };
    if (f == bytes({0x02, 'P', 'R', 'O', 'G', 'R', 'A'}) || f == bytes({0x06})) return bytes({0x06});
    if (f == bytes({0x4D, 0x02})) return bytes({0x4B, 0x35, 0x32, 0x53, 0x49, 0x4D, 0x01, 0x00});
    if (f.size() == 4 && u(0) == 0x52) return bytes({0x57, u(1), u(2), u(3)}) + memory_.mid(u(1) << 8 | u(2), u(3));
    if (f.size() >= 4 && u(0) == 0x57) return bytes({0x06});
    return {};
  }
  void reply(const QByteArray& frame) {
    QByteArray r = correctReply(frame);
    int pieces = 1;
    if (!in_->empty()) {
      const uint8_t c = in_->byte();
      pieces = 1 + (c >> 2) % 3;
      switch (c & 3) {
        case 0:
          break;
        case 1: {  // bytes of the input's own
          r.clear();
          for (int n = in_->byte() % 40; n > 0; --n) r.append(static_cast<char>(in_->byte()));
          break;
        }
        case 2:  // one byte changed
          if (!r.isEmpty()) r[in_->byte() % r.size()] = static_cast<char>(in_->byte());
          break;
        default:  // nothing at all
          r.clear();
          break;
      }
    }
    int64_t at = clock_.tickMs();
    qsizetype from = 0;
    for (int p = 1; p <= pieces; ++p) {
      const qsizetype to = p == pieces ? r.size() : std::min<qsizetype>(r.size(), from + in_->byte() % 24);
      at += in_->byte();  // 0-255 ms after the frame or the piece before
      if (to > from) {
        const Pending piece{at, r.mid(from, to - from)};
        pending_.insert(std::upper_bound(pending_.begin(), pending_.end(), piece,
                                         [](const Pending& a, const Pending& b) { return a.at < b.at; }),
                        piece);
      }
      from = to;
    }
  }
  void arrive() {
    const int64_t now = clock_.tickMs();
    while (!pending_.empty() && pending_.front().at <= now) {
      rx_ += pending_.front().bytes;
      pending_.erase(pending_.begin());
    }
  }
  struct Pending {
    int64_t at;
    QByteArray bytes;
  };
  const ManualClock& clock_;
  const QByteArray& memory_;
  Input* in_ = nullptr;
  bool open_ = false;
  std::vector<Pending> pending_;
  QByteArray rx_;
};

// One frame of a script as the line sees it: the bytes sent, the reply expected (-1 for a
// byte of any value).
struct Frame {
  QByteArray tx;
  std::vector<int> rx;
  std::vector<int> txVar;  // positions in tx that come from VarBuf
};

std::vector<Frame> framesOf(const QString& script) {
  std::vector<Frame> frames;
  bool receiving = false;
  for (qsizetype i = 0; i + 1 < script.size(); i += 2) {
    const QString t = script.mid(i, 2);
    if (t == QLatin1String("TX")) {
      frames.emplace_back();
      receiving = false;
    } else if (t == QLatin1String("RX")) {
      receiving = true;
    } else if (t == QLatin1String("EN")) {
      break;
    } else if (t == QLatin1String("VA")) {
      if (receiving) {
        frames.back().rx.push_back(-1);
      } else {
        frames.back().txVar.push_back(static_cast<int>(frames.back().tx.size()));
        frames.back().tx.append('\0');
      }
    } else {
      const int v = t.toInt(nullptr, 16);
      if (receiving)
        frames.back().rx.push_back(v);
      else
        frames.back().tx.append(static_cast<char>(v));
    }
  }
  return frames;
}

bool replyMatches(const Frame& f, const QByteArray& got) {
  if (got.size() < static_cast<qsizetype>(f.rx.size())) return false;
  for (size_t k = 0; k < f.rx.size(); ++k)
    if (f.rx[k] >= 0 && static_cast<uint8_t>(got[static_cast<qsizetype>(k)]) != f.rx[k]) return false;
  return true;
}

[[noreturn]] void fail(const char* what, int detail = -1) {
  std::fprintf(stderr, "protocol_fuzz: %s (%d)\n", what, detail);
  std::abort();
}

struct NoLog final : FaultSink {
  void LogError(const QString&, int, const QString&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ManualClock clock;
  static const QByteArray memory = [] {
    QByteArray m(0x2000, '\0');
    for (int i = 0; i < m.size(); ++i) m[i] = static_cast<char>((i * 13 + i / 256 + 7) & 0xFF);
    return m;
  }();
  static FuzzPort port(clock, memory);
  static NoLog log;
  Input in{data, size};
  const bool write = in.byte() & 1;
  const int start = (in.byte() << 8 | in.byte()) % 0x2000;
  const int end = std::min(start + in.byte() % 64, 0x1FFF);
  const ScriptStore store = buildScripts({start, end}, {start, end});
  MemoryImage image;
  image.allocate(0x1FFF);
  for (int a = 0; a < 0x2000; ++a) image.at(a) = static_cast<uint8_t>(a * 7 + 3);
  const QByteArray before = image.toByteArray();
  port.reset(&in);
  port.open({});
  ProtocolEngine engine(port, clock, log);
  TransferProgress progress;
  const int dir = write ? kWriteDir : kReadDir;
  const TransferOutcome outcome = transferImage(engine, store, dir, image, progress);
  const TransferEnd result = outcome.end;

  // The oracle: the scripts of the direction replayed against what went over the line.
  QByteArray expected = before;
  size_t next = 0;  // next frame sent
  int failures = 0;
  int s = 1;
  while (s <= store.ScriptCount(dir)) {
    const ScriptParams& p = store.ScriptPara(dir, s);
    bool ok = true;
    QByteArray data;
    for (const Frame& f : framesOf(store.ScriptText(dir, s))) {
      if (next >= port.frames.size()) fail("a frame the script holds was not sent", s);
      QByteArray want = f.tx;
      for (size_t k = 0; k < f.txVar.size(); ++k) want[f.txVar[k]] = before[p.P1 + static_cast<int>(k)];
      if (port.frames[next] != want) fail("a frame differs from its script", s);
      const QByteArray& got = port.handed[next];
      ++next;
      if (!f.rx.empty() && !replyMatches(f, got)) {
        ok = false;
        break;
      }
      for (size_t k = 0; k < f.rx.size(); ++k)
        if (f.rx[k] < 0) data.append(got[static_cast<qsizetype>(k)]);
    }
    if (!ok) {
      if (++failures >= kMaxComFailures) break;
      continue;  // the same script again
    }
    if (!write && p.P2 > 0) expected.replace(p.P1, p.P2, data.left(p.P2));
    ++s;
  }
  const bool done = s > store.ScriptCount(dir);
  if (next != port.frames.size()) fail("frames were sent after the transfer should have ended", static_cast<int>(next));
  const TransferEnd want = done ? TransferEnd::Succeeded : TransferEnd::Failed;
  if (result != want) fail("the transfer's outcome differs from the line's", static_cast<int>(result));
  if (outcome.failures != failures) fail("failures counted differently", outcome.failures);
  const QByteArray after = image.toByteArray();
  if (write || result != TransferEnd::Succeeded) {
    if (after != before) fail("the image changed");
  } else if (after != expected) {
    fail("a successful read left other bytes than the radio sent");
  }
  return 0;
}
