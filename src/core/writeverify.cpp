#include "core/writeverify.h"

#include "core/addressmap.h"

namespace k52 {

MemoryImage expectedAfterWrite(const MemoryImage& sent) {
  MemoryImage out = sent;
  for (int i = addr::kRadioArea; i < addr::kLastWriteDate && i < out.size(); ++i) out.at(i) = 0xFF;
  return out;
}

ReadBack readBackWritten(ProtocolEngine& engine, AddressRange written, const MemoryImage& sent, TransferProgress& progress, ReplyPolls polls) {
  ReadBack out;
  out.expected = expectedAfterWrite(sent);
  out.read = out.expected;
  // The read direction only: the handshake, the blocks of the range, the closing script.
  const ScriptStore scripts = buildScripts(written, {1, 0});
  out.transfer = transferImage(engine, scripts, kReadDir, out.read, progress, polls);
  return out;
}

}  // namespace k52
