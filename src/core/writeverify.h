#pragma once
// The read-back after a write: the written range read from the radio over the same engine
// and compared with what the write left there. Each port's engine runs its own; nothing is
// shared between ports.

#include "core/imagetransfer.h"
#include "core/memoryimage.h"

namespace k52 {

// What the radio holds after a write of `sent`: the image as sent, the radio's own area
// (0F80-0F91) erased by the write's fills.
MemoryImage expectedAfterWrite(const MemoryImage& sent);

struct ReadBack {
  TransferOutcome transfer;  // the read of the range
  MemoryImage expected;      // expectedAfterWrite(sent)
  MemoryImage read;          // expected, with the range as the radio gave it back
  // The read went through and gave back what was written.
  bool passed() const { return transfer.end == TransferEnd::Succeeded && read == expected; }
};

// Reads the range `written` back over the engine's open port and sets it beside what a
// write of `sent` left there. The engine's poll values start afresh (at `polls`), as for any
// transfer.
ReadBack readBackWritten(ProtocolEngine& engine, AddressRange written, const MemoryImage& sent, TransferProgress& progress,
                         ReplyPolls polls = {});

}  // namespace k52
