#pragma once
// A read or a write of the memory image through one protocol engine: the scripts of one
// direction run one after the other with the retry rule, and the outcome says how it
// ended. Nothing here knows the program around it; the communication window, the
// command-line companion and several cables at once all run this.

#include "core/protocolengine.h"

#include <QDate>
#include <QString>
#include <cstdint>

namespace k52 {

class MemoryImage;

// How a transfer ended.
enum class TransferEnd {
  Succeeded,
  Failed,         // the seventh failed script run
  Stopped,        // a stop was asked for; it ends the transfer at the next script
  PortNotOpened,  // the port did not open; nothing was sent
  Refused,        // the range does not fit the image; nothing was sent
  Broken,         // an unexpected fault, logged
};

// The seventh failed script run ends a transfer.
inline constexpr int kMaxComFailures = 7;

struct TransferOutcome {
  TransferEnd end = TransferEnd::Broken;
  int failures = 0;      // failed script runs, retried or not
  int failedScript = 0;  // Failed: the script whose run was the seventh failure
  AddressRange outside;  // Refused: the addresses outside the image
  QString portFault;     // PortNotOpened: what the system said
};

// What a transfer asks and tells while it runs.
class TransferProgress {
 public:
  virtual ~TransferProgress() = default;
  // Progress 0-100 after a script went through.
  virtual void ShowComPercent(int16_t /*iPercent*/) {}
  // Asked before every script.
  virtual bool stopRequested() { return false; }
};

// How a transfer waits for a reply: `max` polls of `delayMs` each before the reply has
// timed out; a poll ends as soon as the reply is in. The communication window's values are
// 150 polls of 1 ms. Several radios at once poll less often for the same time-out: a poll
// that ends on its timer wakes the thread for nothing.
struct ReplyPolls {
  int16_t delayMs = 1;
  int16_t max = 150;
  // The time a byte takes on the line (µs), when the wait may count on it: see
  // ProtocolEngine::LineByteUs. 0: every byte is waited for as it comes.
  int16_t lineByteUs = 0;
};

// The addresses a direction would touch outside an image of addresses 0 ... upper (for a
// write also the limited byte and the programming date, which the write sets); nothing
// when all fit (start > end).
AddressRange outsideImage(const ScriptStore& scripts, int dir, int upper);

// Runs every script of a direction over the engine's open port. A read fills a copy and
// replaces `image` only when every script went through; a write sends `image` as it is
// and leaves it alone (stampForWrite prepares it). The engine's poll values start afresh
// (at `polls`).
TransferOutcome transferImage(ProtocolEngine& engine, const ScriptStore& scripts, int dir, MemoryImage& image,
                              TransferProgress& progress, ReplyPolls polls = {});
// The same on a device the engine opens first and closes again afterwards.
TransferOutcome transferOnDevice(ProtocolEngine& engine, const QString& device, const ScriptStore& scripts, int dir,
                                 MemoryImage& image, TransferProgress& progress);

// What a write sets in the image before it is sent: the limited byte at most 4, and the
// programming date (year within the century, month, day).
void limitWriteByte(MemoryImage& image);
void stampWriteDate(MemoryImage& image, const QDate& today);
// Both: the image as a write sends it.
void stampForWrite(MemoryImage& image, const QDate& today);

}  // namespace k52
