#include "core/imagetransfer.h"

#include "core/addressmap.h"
#include "core/memoryimage.h"
#include "core/serialport.h"

#include <algorithm>

namespace k52 {

namespace {

// The pause after a failed script run, before the same script is run again.
constexpr int kRetryPauseMs = 30;
constexpr uint8_t kLimitMax = 4;

}  // namespace

AddressRange outsideImage(const ScriptStore& scripts, int dir, int upper) {
  AddressRange out{0x10000, -1};
  auto check = [&](int first, int last) {
    if (first >= 0 && last <= upper) return;
    out.start = std::min(out.start, first);
    out.end = std::max(out.end, last);
  };
  for (int i = 1; i <= scripts.ScriptCount(dir); ++i) {
    const ScriptParams& p = scripts.ScriptPara(dir, i);
    if (p.P2 > 0) check(p.P1, p.P1 + p.P2 - 1);
  }
  if (dir == kWriteDir) {
    check(addr::kWriteLimitedByte, addr::kWriteLimitedByte);
    check(addr::kLastWriteDate, addr::kLastWriteDate + addr::kLastWriteDateSize - 1);
  }
  return out;
}

TransferOutcome transferImage(ProtocolEngine& engine, const ScriptStore& scripts, int dir, MemoryImage& image,
                              TransferProgress& progress, ReplyPolls polls) {
  TransferOutcome out;
  out.outside = outsideImage(scripts, dir, image.upper());
  if (out.outside.start <= out.outside.end) {
    out.end = TransferEnd::Refused;
    return out;
  }
  engine.PollDelay = polls.delayMs;
  engine.PollMax = polls.max;
  engine.LineByteUs = polls.lineByteUs;
  // A read lands in a copy: the image changes only when the whole read went through.
  MemoryImage scratch;
  if (dir == kReadDir) scratch = image;
  const int count = scripts.ScriptCount(dir);
  for (int step = 1; step <= count;) {
    if (progress.stopRequested()) {
      out.end = TransferEnd::Stopped;
      return out;
    }
    const ScriptParams& p = scripts.ScriptPara(dir, step);
    if (dir == kWriteDir)
      for (int k = 0; k < p.P2; ++k) engine.VarBuf(k + 1) = image.at(p.P1 + k);
    if (engine.run(scripts.ScriptText(dir, step))) {
      progress.ShowComPercent(p.P3);
      if (dir == kReadDir)
        for (int k = 0; k < p.P2; ++k) scratch.at(p.P1 + k) = engine.VarBuf(k + 1);
      ++step;
      continue;
    }
    if (++out.failures >= kMaxComFailures) {
      out.end = TransferEnd::Failed;
      out.failedScript = step;
      return out;
    }
    engine.wait(kRetryPauseMs);
  }
  if (dir == kReadDir) image = std::move(scratch);
  out.end = TransferEnd::Succeeded;
  return out;
}

TransferOutcome transferOnDevice(ProtocolEngine& engine, const QString& device, const ScriptStore& scripts, int dir,
                                 MemoryImage& image, TransferProgress& progress) {
  SerialPort& port = engine.port();
  TransferOutcome out;
  out.outside = outsideImage(scripts, dir, image.upper());
  if (out.outside.start <= out.outside.end) {
    out.end = TransferEnd::Refused;
    return out;
  }
  if (port.isOpen()) port.close();
  if (!port.open(device)) {
    out.end = TransferEnd::PortNotOpened;
    out.portFault = port.lastFaultText();
    return out;
  }
  struct Closer {  // also when the transfer breaks off with a fault
    SerialPort& port;
    ~Closer() { port.close(); }
  } closer{port};
  return transferImage(engine, scripts, dir, image, progress);
}

void limitWriteByte(MemoryImage& image) {
  if (image.at(addr::kWriteLimitedByte) > kLimitMax) image.at(addr::kWriteLimitedByte) = kLimitMax;
}

void stampWriteDate(MemoryImage& image, const QDate& today) {
  const int year = today.year() % 100;
  image.at(addr::kLastWriteDate) = static_cast<uint8_t>(year);
  image.at(addr::kLastWriteDate + 1) = static_cast<uint8_t>(today.month());
  image.at(addr::kLastWriteDate + 2) = static_cast<uint8_t>(today.day());
}

void stampForWrite(MemoryImage& image, const QDate& today) {
  limitWriteByte(image);
  stampWriteDate(image, today);
}

}  // namespace k52
