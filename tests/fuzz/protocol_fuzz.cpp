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

#include "support/fakeport.h"
#include "core/imagetransfer.h"
#include "core/memoryimage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace k52;
using namespace k52::test;

namespace {

struct Input {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  bool empty() const { return pos >= size; }
  uint8_t byte() { return pos < size ? data[pos++] : 0; }
};

// What a radio would answer, then as the input says: as it is, bytes of the input's own,
// one byte changed or nothing; in up to three pieces, each 0-255 ms after the one before.
std::vector<Piece> replyOf(Input& in, QByteArray r) {
  const uint8_t c = in.empty() ? 0 : in.byte();
  const int pieces = 1 + (c >> 2) % 3;
  if ((c & 3) == 1) {
    r.clear();
    for (int n = in.byte() % 40; n > 0; --n) r.append(static_cast<char>(in.byte()));
  } else if ((c & 3) == 2 && !r.isEmpty()) {
    r[in.byte() % r.size()] = static_cast<char>(in.byte());
  } else if ((c & 3) == 3) {
    r.clear();
  }
  std::vector<Piece> out;
  int64_t after = 0;
  for (qsizetype from = 0, p = 1; p <= pieces; ++p) {
    const qsizetype to = p == pieces ? r.size() : std::min<qsizetype>(r.size(), from + in.byte() % 24);
    after += in.byte();
    if (to > from) out.push_back({after, r.mid(from, to - from)});
    from = to;
  }
  return out;
}

// One frame of a script as the line sees it: the bytes sent, the positions in them that
// come from the image, and the reply expected (-1 for a byte of any value).
struct Frame {
  QByteArray tx;
  std::vector<int> txVar, rx;
};

std::vector<Frame> framesOf(const QString& script) {
  std::vector<Frame> frames;
  bool receiving = false;
  for (qsizetype i = 0; i + 1 < script.size(); i += 2) {
    const QString t = script.mid(i, 2);
    if (t == QLatin1String("EN")) break;
    if (t == QLatin1String("TX") || t == QLatin1String("RX")) {
      if (t == QLatin1String("TX")) frames.emplace_back();
      receiving = t == QLatin1String("RX");
      continue;
    }
    const int v = t == QLatin1String("VA") ? -1 : t.toInt(nullptr, 16);
    Frame& f = frames.back();
    if (receiving) {
      f.rx.push_back(v);
    } else {
      if (v < 0) f.txVar.push_back(static_cast<int>(f.tx.size()));
      f.tx.append(static_cast<char>(std::max(v, 0)));
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ManualClock clock;
  static RecordingSink log;
  Input in{data, size};
  const bool write = in.byte() & 1;
  const int start = (in.byte() << 8 | in.byte()) % 0x2000;
  const int end = std::min(start + in.byte() % 64, 0x1FFF);
  const ScriptStore store = buildScripts({start, end}, {start, end});
  MemoryImage image;
  image.allocate(0x1FFF);
  for (int a = 0; a < 0x2000; ++a) image.at(a) = static_cast<uint8_t>(a * 7 + 3);
  const QByteArray before = image.toByteArray();
  FakeRadio radio;
  FakePort port(clock);
  port.responder = [&](const QByteArray& f) {
    const std::vector<Piece> correct = radio(f);
    return replyOf(in, correct.empty() ? QByteArray() : correct[0].bytes);
  };
  port.openable << QString();
  port.open(QString());
  ProtocolEngine engine(port, clock, log);
  TransferProgress progress;
  const int dir = write ? kWriteDir : kReadDir;
  const TransferOutcome outcome = transferImage(engine, store, dir, image, progress);
  const TransferEnd result = outcome.end;
  log.entries.clear();

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
