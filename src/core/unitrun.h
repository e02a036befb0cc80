#pragma once
// One radio on one port, start to end, on a thread of its own: the port opened, the
// handshake (the radio's eight identification bytes kept), the image written as a write
// sends it, optionally read back and compared with what was written, the port closed.
// Several runners side by side program several radios at once: each run has its own
// thread, engine, port and clock and shares nothing with the others, so one port's waits
// never hold up another port's replies. The runner object itself lives on the thread that
// made it; its signals arrive there (queued), so a window or an event loop drives it.

#include "core/clock.h"
#include "core/configdiff.h"
#include "core/memoryimage.h"
#include "core/protocolengine.h"
#include "core/serialport.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QThread;

namespace k52 {

// Where a unit stands. Idle before its first start; Passed and Failed once it has ended.
enum class UnitState { Idle, Handshake, Writing, Verifying, Passed, Failed };

// Why a unit failed.
enum class UnitFailure {
  None,
  NoAnswer,         // the handshake failed seven times: no radio answered on the port
  ScriptFailed,     // the seventh failed run of a later script (failedScript, failedAddress)
  PortNotOpened,    // the port did not open; nothing was sent (portFault)
  Stopped,          // stop() was asked for; the run ended before its next script
  VerifyDifferent,  // the radio gave back something else than was written (difference, bytes)
  Broken,           // an unexpected fault (faults holds the log entries)
};

// An entry the unit's engine logged on the unit's thread, for the program's error log.
struct UnitFault {
  QString procName;
  int number = 0;
  QString source;
};

// The first decoded field in which the read-back differs from what was written, or nothing
// when no decoded field differs. Called on the runner's own thread (not the unit's), so it
// may use the program's tables.
using FirstDifference = std::function<std::optional<Difference>(const MemoryImage& expected, const MemoryImage& read)>;

// What a unit is to do.
struct UnitJob {
  QString port;                     // the device ("/dev/ttyUSB0", "COM3")
  MemoryImage image;                // the image as a write sends it (limited byte and date already set)
  AddressRange written;             // the write range
  bool verify = true;               // read the written range back and compare it
  FirstDifference firstDifference;  // optional: names the differing field in words
};

// How a unit went.
struct UnitResult {
  QString port;
  UnitState state = UnitState::Idle;     // Passed or Failed once the unit has ended
  UnitFailure failure = UnitFailure::None;
  UnitState failedIn = UnitState::Idle;  // the stage the failure happened in
  QByteArray ident;                      // the handshake's eight bytes (model, firmware); empty before it
  int failedScript = 0;                  // ScriptFailed: the script of the seventh failure (numbered from 1)
  int failedAddress = -1;                // ScriptFailed: the image address that script carries, -1 for none
  QString portFault;                     // PortNotOpened: what the system said
  std::optional<Difference> difference;  // VerifyDifferent: the first decoded field that differs
  AddressRange differingBytes{1, 0};     // VerifyDifferent: the first run of differing bytes (start > end: none)
  QByteArray imageSha256;                // SHA-256 of the image written (32 bytes)
  QDateTime startedAt;                   // local date and time the unit started
  int64_t durationMs = 0;                // from start to end, on the unit's clock
  std::vector<UnitFault> faults;         // what the unit's engine logged
  bool passed() const { return state == UnitState::Passed; }
};

// The failure in fixed English words (the unit log and the command line read the same in
// every language): "no answer", "script 37 failed seven times (address 0120)", "verify:
// channel 12 rx 145.52500 -> 145.50000"... Empty for a unit that passed.
QString unitFailureWords(const UnitResult& result);
// The stage in fixed English words: "idle", "handshake", "writing", "verifying", "passed", "failed".
QString unitStateWords(UnitState state);

// Where a unit's port and clock come from: made on the unit's thread for each run (the
// platform gives SerialDevice and SystemClock; tests their own).
struct UnitDevices {
  std::function<std::unique_ptr<SerialPort>()> port;
  std::function<std::unique_ptr<Clock>()> clock;
};

// One port's unit. Start it, watch its signals, start it again once the operator has
// swapped the radio.
class UnitRunner : public QObject {
  Q_OBJECT

 public:
  explicit UnitRunner(UnitDevices devices, QObject* parent = nullptr);
  // Asks a running unit to stop and waits for its thread.
  ~UnitRunner() override;

  // Starts the job on a thread of its own; false (nothing started) while a run is still going.
  bool start(UnitJob job);
  // Asks the run to stop before its next script; it ends Failed (Stopped).
  void stop();
  // A run was started and has not yet delivered finished().
  bool isRunning() const { return running_; }

  // The latest state, percent and identification the runner's thread has been told of.
  UnitState state() const { return state_; }
  int percent() const { return percent_; }
  const QByteArray& ident() const { return ident_; }
  // The last run that ended.
  const UnitResult& result() const { return result_; }

 signals:
  void stateChanged(k52::UnitState state);
  // 0-100 within the stage (writing, then verifying).
  void progressChanged(int percent);
  // The handshake went through: the radio's eight identification bytes.
  void identified(const QByteArray& ident);
  // The unit ended (passed or failed); result() holds the same.
  void finished(const k52::UnitResult& result);

 private:
  struct Shared;
  void post(std::function<void()> onRunnerThread);
  void runOnUnitThread(const UnitJob& job);
  void deliver(UnitResult result);

  UnitDevices devices_;
  std::shared_ptr<Shared> shared_;  // the stop flag, shared with the unit's thread
  std::unique_ptr<QThread> thread_;
  bool running_ = false;
  UnitState state_ = UnitState::Idle;
  int percent_ = 0;
  QByteArray ident_;
  UnitResult result_;
};

}  // namespace k52

Q_DECLARE_METATYPE(k52::UnitState)
Q_DECLARE_METATYPE(k52::UnitResult)
