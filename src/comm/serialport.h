#pragma once
// The serial port layer: probing and choosing the programming cable's port.

namespace k52 {

struct AppContext;

// Probes port ComNo; returns false when the port could not be opened.
bool VerdictCom(AppContext& ctx);
// Picks the first working port of 1-16 and stores it.
void AutoSetPort(AppContext& ctx);

}  // namespace k52
