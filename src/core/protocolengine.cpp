#include "core/protocolengine.h"

#include "core/guarded.h"
#include "core/addressmap.h"
#include "core/numbers.h"
#include "core/serialport.h"

#include <algorithm>

namespace k52 {

namespace {

const QString kTX = QStringLiteral("TX");
const QString kRX = QStringLiteral("RX");
const QString kVA = QStringLiteral("VA");
const QString kEN = QStringLiteral("EN");

// Frames hold at most 101 bytes each way.
constexpr int kFrameMax = 101;
// The progress cap of the block scripts; the closing scripts show the rest.
constexpr int kReadBlockCap = 98;
constexpr int kWriteBlockCap = 96;
// The pause before every pass of the frame loop.
constexpr int kFramePauseMs = 5;

QString hex2(int v) { return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper(); }

// A byte token: one or two hexadecimal digits, either case. Anything else in a script is
// a fault of the script, not a byte to send.
uint8_t tokenByte(const QString& token) {
  if (token.isEmpty() || token.size() > 2) raiseError(ErrTypeMismatch, QStringLiteral("script token \"%1\" is not a byte").arg(token));
  int v = 0;
  for (const QChar ch : token) {
    const int digit = hexDigit(ch);
    if (digit < 0) raiseError(ErrTypeMismatch, QStringLiteral("script token \"%1\" is not a byte").arg(token));
    v = v * 16 + digit;
  }
  return static_cast<uint8_t>(v);
}

// A write of `length` bytes of `fill` from `address`, with no data from the image.
QString writeFillScript(int address, int length, const QString& fill) {
  return QStringLiteral("TX57") + hex4(address) + hex2(length) + fill.repeated(length) + QStringLiteral("RX06EN");
}

void addBlocks(ScriptStore& store, int d, AddressRange range, int cap) {
  int steps = static_cast<int>(roundHalfEven((range.end - range.start) / 16.0));
  if (steps == 0) steps = 1;
  int n = 2;
  for (int a = range.start; a <= range.end;) {
    const int len = range.end - a < 16 ? range.end - a + 1 : 16;
    const int p3 = std::min(static_cast<int>(roundHalfEven((n - 1) * 94.0 / steps + 3)), cap);
    store.add(d, d == kReadDir ? readBlockScript(a, len) : writeBlockScript(a, len),
              {a, len, toInt16(static_cast<int64_t>(p3))});
    a += len;
    ++n;
  }
}

}  // namespace

size_t ScriptStore::index(int d) {
  if (d != kReadDir && d != kWriteDir) raiseError(ErrBounds, QStringLiteral("direction %1 outside 1..2").arg(d));
  return static_cast<size_t>(d - 1);
}

const ScriptStore::Entry& ScriptStore::entry(int d, int i) const {
  const std::vector<Entry>& v = dir(d);
  if (i < 1 || i > static_cast<int>(v.size()))
    raiseError(ErrBounds, QStringLiteral("script %1 outside 1..%2").arg(i).arg(v.size()));
  return v[static_cast<size_t>(i - 1)];
}

void ScriptStore::add(int d, QString text, ScriptParams para) {
  std::vector<Entry>& v = dir(d);
  toInt16(static_cast<int64_t>(v.size()) + 1);  // the count stays a 16-bit number
  v.push_back({std::move(text), para});
}

QString readBlockScript(int address, int length) {
  const QString al = hex4(address) + hex2(length);
  return QStringLiteral("TX52") + al + QStringLiteral("RX57") + al + kVA.repeated(length) + kEN;
}

QString writeBlockScript(int address, int length) {
  return QStringLiteral("TX57") + hex4(address) + hex2(length) + kVA.repeated(length) + QStringLiteral("RX06EN");
}

ScriptStore buildScripts(AddressRange read, AddressRange write) {
  ScriptStore store;
  store.add(kReadDir, QString::fromLatin1(kHandshakeScript), {0, 0, 3});
  addBlocks(store, kReadDir, read, kReadBlockCap);
  store.add(kReadDir, QString::fromLatin1(kEndScript), {0, 0, 100});

  store.add(kWriteDir, QString::fromLatin1(kHandshakeScript), {0, 0, 3});
  addBlocks(store, kWriteDir, write, kWriteBlockCap);
  // The band bytes and the programming date, then the two fills of the radio's own area.
  store.add(kWriteDir, writeBlockScript(addr::kBand, addr::kBandSize), {addr::kBand, addr::kBandSize, 97});
  store.add(kWriteDir, writeBlockScript(addr::kLastWriteDate, addr::kLastWriteDateSize),
            {addr::kLastWriteDate, addr::kLastWriteDateSize, 98});
  const QString erased = QStringLiteral("FF");
  store.add(kWriteDir, writeFillScript(addr::kRadioArea, addr::kRadioAreaSize, erased), {0, 0, 99});
  store.add(kWriteDir, writeFillScript(addr::kRadioAreaTail, addr::kRadioAreaTailSize, erased), {0, 0, 99});
  store.add(kWriteDir, QString::fromLatin1(kEndScript), {0, 0, 100});
  return store;
}

void waitCooperatively(const Clock& clock, int64_t ms, const std::function<bool()>& until) {
  const int64_t deadline = clock.tickMs() + ms;
  for (;;) {
    const int64_t t = clock.tickMs();
    if (deadline <= t || (until && until())) return;
    clock.waitEvents(deadline - t, until);
  }
}

ProtocolEngine::ProtocolEngine(SerialPort& port, const Clock& clock, FaultSink& log, QString noReplyLine)
    : port_(port), clock_(clock), log_(log), noReplyLine_(std::move(noReplyLine)) {}

void ProtocolEngine::replyFailed() {
  traffic_->addLine(noReplyLine_);
  ComErr = true;
}

void ProtocolEngine::loadScript(const QString& script) {
  guarded(log_, "modCommun->ConvComCode", [&] {
    for (qsizetype i = 0; i < script.size(); i += 2) ComCode(static_cast<int>(i / 2 + 1)) = script.mid(i, 2);
  });
}

bool ProtocolEngine::runScript() {
  if (!guarded(log_, "modCommun->ProtocolCom", [&] { sendFrames(); })) ComErr = true;
  return !ComErr;
}

void ProtocolEngine::sendFrames() {
  VarPos = 1;
  ComPos = 1;
  for (;;) {
    // A unit of many (LineByteUs set) has no window to keep alive: its pause is a plain sleep.
    if (LineByteUs > 0)
      clock_.sleepMs(kFramePauseMs);
    else
      wait(kFramePauseMs);
    TxBuf.clear();
    RxExpect.clear();
    if (ComCode(ComPos) != kTX) return;  // "EN": the script is done

    bool hasReply = false;
    for (;;) {
      ++ComPos;
      const QString& token = ComCode(ComPos);
      if (token == kRX) {
        hasReply = true;
        break;
      }
      if (token == kEN) break;
      if (TxBuf.size() >= kFrameMax) raiseError(ErrBounds, QStringLiteral("frame longer than %1 bytes").arg(kFrameMax));
      if (token == kVA) {
        TxBuf.append(static_cast<char>(VarBuf(VarPos)));
        ++VarPos;
      } else {
        TxBuf.append(static_cast<char>(tokenByte(token)));
      }
    }
    if (hasReply) {
      for (;;) {
        ++ComPos;
        const QString& token = ComCode(ComPos);
        if (token == kTX || token == kEN) break;  // stays at ComPos for the next frame
        if (RxExpect.size() >= kFrameMax) raiseError(ErrBounds, QStringLiteral("reply longer than %1 bytes").arg(kFrameMax));
        RxExpect.append(token);
      }
    }

    ComErr = false;
    port_.discardTransmit();
    port_.discardReceive();
    if (!TxBuf.isEmpty()) {
      traffic_->ComDataShow(0, TxBuf);
      if (!port_.write(TxBuf)) throw K52Error(ErrDeviceIo, port_.lastFaultText(), port_.lastFaultText());
    }
    if (!RxExpect.isEmpty()) receiveReply(static_cast<int16_t>(RxExpect.size()));
    if (ComErr) return;
  }
}

void ProtocolEngine::receiveReply(int16_t n) {
  if (!guarded(log_, "modCommun->RxComDat", [&] { checkReply(n); })) ComErr = true;
}

void ProtocolEngine::checkReply(int16_t n) {
  VarPos = 1;
  int waits = 0;
  if (LineByteUs > 0 && PollDelay > 0) {
    const int64_t onLine = int64_t{TxBuf.size()} + n - 1;
    const int64_t ms = std::min<int64_t>(onLine * LineByteUs / 1000, int64_t{PollDelay} * PollMax);
    if (ms > 0) {
      clock_.sleepMs(ms);
      waits = static_cast<int>(ms / PollDelay);
    }
  }
  // A poll ends early once the reply is in, so the next frame need not wait for the
  // poll's full millisecond; a poll that ran its time counts towards the limit.
  const auto replyIn = [&] { return port_.bytesWaiting() >= n; };
  while (!replyIn()) {
    wait(PollDelay, replyIn);
    if (++waits > PollMax) {
      replyFailed();
      return;
    }
  }
  const QByteArray got = port_.readAll();
  RxBuf = got.left(std::max<int>(n, 0));
  traffic_->ComDataShow(-1, RxBuf);
  if (RxBuf.size() < n) {  // the port took back what it had counted
    replyFailed();
    return;
  }
  for (int i = 0; i < n; ++i) {
    if (i >= RxExpect.size()) raiseError(ErrBounds, QStringLiteral("reply byte %1 not described").arg(i));
    const QString& token = RxExpect[i];
    const auto b = static_cast<uint8_t>(RxBuf[i]);
    if (token == kVA) {
      VarBuf(VarPos) = b;
      ++VarPos;
    } else if (b != tokenByte(token)) {
      replyFailed();
      return;
    }
  }
}

}  // namespace k52
