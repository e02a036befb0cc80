#pragma once
// The state of the communication module in the program: the probe results of the ports,
// the scripts of the address ranges, and the engine on the program's port that the
// communication window and the command-line companion use. One AppContext owns one of
// these; the engine's own state lives in the engine.

#include "core/protocolengine.h"
#include "core/vbarray.h"

#include <cstdint>
#include <memory>

namespace k52 {

// How the probe of a port went.
enum PortProbe : int16_t {
  kPortNotProbed = 0,
  kPortOpened = 1,  // opened and closed again
  kPortFailed = -1,
};

struct CommState {
  CommState() : traffic(&noTraffic_) {}
  CommState(const CommState&) = delete;
  CommState& operator=(const CommState&) = delete;

  // Port layer: the main window's probe of each port (a PortProbe), and whether the last
  // OpenCom failed.
  VbArray<int16_t, 1, 16> ComFlag;
  bool PortError = false;

  ScriptStore scripts;

  // Transfers: the direction the menu chose (false read, true write), and the failed
  // script runs of the last transfer.
  bool ComDir = false;
  int16_t ComFailCnt = 0;

  // Where the engine shows its traffic between transfers (a transfer shows it in its view).
  TrafficView* traffic;

  // The engine on the program's port, made by commEngine(); its log goes to the program's
  // error log.
  std::unique_ptr<FaultSink> engineLog;
  std::unique_ptr<ProtocolEngine> engine;

 private:
  TrafficView noTraffic_;
};

}  // namespace k52
