#include "comm/protocol.h"

#include "comm/serialport.h"
#include "errlog/guarded.h"
#include "image/addressmap.h"
#include "image/numbers.h"
#include "shell/appcontext.h"
#include "ui/serialport.h"

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

void addBlocks(ScriptStore& store, int d, int start, int end, int cap) {
  int steps = static_cast<int>(roundHalfEven((end - start) / 16.0));
  if (steps == 0) steps = 1;
  int n = 2;
  for (int a = start; a <= end;) {
    const int len = end - a < 16 ? end - a + 1 : 16;
    const int p3 = std::min(static_cast<int>(roundHalfEven((n - 1) * 94.0 / steps + 3)), cap);
    store.add(d, d == kReadDir ? readBlockScript(a, len) : writeBlockScript(a, len),
              {a, len, toInt16(static_cast<int64_t>(p3))});
    a += len;
    ++n;
  }
}

// A reply that did not come, or not as expected.
void replyFailed(AppContext& ctx) {
  ctx.com.traffic->addLine(ctx.text(175));
  ctx.com.ComErr = true;
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

void InitProtocol(AppContext& ctx) {
  guarded(ctx.log, "modCommun->InitProtocol", [&] {
    ScriptStore& store = ctx.com.scripts;
    const AppState& s = ctx.st;
    store.clear();

    store.add(kReadDir, QString::fromLatin1(kHandshakeScript), {0, 0, 3});
    addBlocks(store, kReadDir, s.ReadStartAddr, s.ReadEndAddr, kReadBlockCap);
    store.add(kReadDir, QString::fromLatin1(kEndScript), {0, 0, 100});

    store.add(kWriteDir, QString::fromLatin1(kHandshakeScript), {0, 0, 3});
    addBlocks(store, kWriteDir, s.WriteStartAddr, s.WriteEndAddr, kWriteBlockCap);
    // The band bytes and the programming date, then the two fills of the radio's own area.
    store.add(kWriteDir, writeBlockScript(addr::kBand, addr::kBandSize), {addr::kBand, addr::kBandSize, 97});
    store.add(kWriteDir, writeBlockScript(addr::kLastWriteDate, addr::kLastWriteDateSize),
              {addr::kLastWriteDate, addr::kLastWriteDateSize, 98});
    const QString erased = QStringLiteral("FF");
    store.add(kWriteDir, writeFillScript(addr::kRadioArea, addr::kRadioAreaSize, erased), {0, 0, 99});
    store.add(kWriteDir, writeFillScript(addr::kRadioAreaTail, addr::kRadioAreaTailSize, erased), {0, 0, 99});
    store.add(kWriteDir, QString::fromLatin1(kEndScript), {0, 0, 100});
  });
}

void ConvComCode(AppContext& ctx, const QString& script) {
  guarded(ctx.log, "modCommun->ConvComCode", [&] {
    for (qsizetype i = 0; i < script.size(); i += 2) ctx.com.ComCode(static_cast<int>(i / 2 + 1)) = script.mid(i, 2);
  });
}

void ProtocolCom(AppContext& ctx) {
  CommState& c = ctx.com;
  const bool ran = guarded(ctx.log, "modCommun->ProtocolCom", [&] {
    SerialPort& port = *ctx.port;
    c.VarPos = 1;
    c.ComPos = 1;
    for (;;) {
      DelayNms(ctx, 5);
      c.TxBuf.clear();
      c.RxExpect.clear();
      if (c.ComCode(c.ComPos) != kTX) return;  // "EN": the script is done

      bool hasReply = false;
      for (;;) {
        ++c.ComPos;
        const QString& token = c.ComCode(c.ComPos);
        if (token == kRX) {
          hasReply = true;
          break;
        }
        if (token == kEN) break;
        if (c.TxBuf.size() >= kFrameMax) raiseError(ErrBounds, QStringLiteral("frame longer than %1 bytes").arg(kFrameMax));
        if (token == kVA) {
          c.TxBuf.append(static_cast<char>(c.VarBuf(c.VarPos)));
          ++c.VarPos;
        } else {
          c.TxBuf.append(static_cast<char>(tokenByte(token)));
        }
      }
      if (hasReply) {
        for (;;) {
          ++c.ComPos;
          const QString& token = c.ComCode(c.ComPos);
          if (token == kTX || token == kEN) break;  // stays at ComPos for the next frame
          if (c.RxExpect.size() >= kFrameMax) raiseError(ErrBounds, QStringLiteral("reply longer than %1 bytes").arg(kFrameMax));
          c.RxExpect.append(token);
        }
      }

      c.ComErr = false;
      port.discardTransmit();
      port.discardReceive();
      if (!c.TxBuf.isEmpty()) {
        c.traffic->ComDataShow(0, c.TxBuf);
        if (!port.write(c.TxBuf)) throw K52Error(ErrDeviceIo, port.lastFaultText(), port.lastFaultText());
      }
      if (!c.RxExpect.isEmpty()) RxComDat(ctx, static_cast<int16_t>(c.RxExpect.size()));
      if (c.ComErr) return;
    }
  });
  if (!ran) c.ComErr = true;
}

void RxComDat(AppContext& ctx, int16_t n) {
  CommState& c = ctx.com;
  const bool ran = guarded(ctx.log, "modCommun->RxComDat", [&] {
    SerialPort& port = *ctx.port;
    c.VarPos = 1;
    int waits = 0;
    // A poll ends early once the reply is in, so the next frame need not wait for the
    // poll's full millisecond; a poll that ran its time counts towards the limit.
    const auto replyIn = [&] { return port.bytesWaiting() >= n; };
    while (!replyIn()) {
      DelayNms(ctx, c.PollDelay, replyIn);
      if (++waits > c.PollMax) {
        replyFailed(ctx);
        return;
      }
    }
    const QByteArray got = port.readAll();
    c.RxBuf = got.left(std::max<int>(n, 0));
    c.traffic->ComDataShow(-1, c.RxBuf);
    if (c.RxBuf.size() < n) {  // the port took back what it had counted
      replyFailed(ctx);
      return;
    }
    for (int i = 0; i < n; ++i) {
      if (i >= c.RxExpect.size()) raiseError(ErrBounds, QStringLiteral("reply byte %1 not described").arg(i));
      const QString& token = c.RxExpect[i];
      const auto b = static_cast<uint8_t>(c.RxBuf[i]);
      if (token == kVA) {
        c.VarBuf(c.VarPos) = b;
        ++c.VarPos;
      } else if (b != tokenByte(token)) {
        replyFailed(ctx);
        return;
      }
    }
  });
  if (!ran) c.ComErr = true;
}

}  // namespace k52
