#pragma once
// The protocol engine: scripts of frames sent to and expected from the radio.

namespace k52 {

struct AppContext;

// Builds the read and write scripts for the current address ranges.
void InitProtocol(AppContext& ctx);

}  // namespace k52
