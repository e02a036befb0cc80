#pragma once
// The protocol engine of one serial port. Everything said to the radio, and everything
// expected back, is a script of two-character tokens: "TX" starts a frame, hex pairs are
// fixed bytes, "VA" a byte of the block buffer, "RX" starts the expected reply, "EN" ends
// the script. The engine cuts a script into tokens, sends its frames, waits for each reply
// and checks it. It knows its port, its clock, where its traffic is shown and where its
// faults are logged, and nothing of the program around it: engines on different ports
// (and threads) share nothing.

#include "core/vbarray.h"
#include "core/clock.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace k52 {

class SerialPort;

// Where the engine shows the traffic: the communication window's live data list. Without
// that window (the command-line companion, tests of the engine) nothing is shown.
class TrafficView {
 public:
  virtual ~TrafficView() = default;
  // A frame sent (dir 0) or a reply received (dir -1), as ComDataShow lists it.
  virtual void ComDataShow(int16_t /*dir*/, const QByteArray& /*block*/) {}
  // A line of its own at the end of the list, selected and counted (the failed-reply notice).
  virtual void addLine(const QString& /*text*/) {}
};

// Where the engine's faults go: an entry under a "module->procedure" name, an error number
// and its source. The program's error log behind an adapter, or a sink of the engine's own
// thread.
class FaultSink {
 public:
  virtual ~FaultSink() = default;
  virtual void LogError(const QString& procName, int number, const QString& source) = 0;
};

// Directions of the script store.
enum ScriptDir : int {
  kReadDir = 1,
  kWriteDir = 2,
};

// P1: image address of the data a script carries, P2: number of data bytes (0 for a
// script that carries none), P3: progress percent shown once the script has succeeded.
struct ScriptParams {
  int32_t P1 = 0;
  int32_t P2 = 0;
  int16_t P3 = 0;
  bool operator==(const ScriptParams&) const = default;
};

// The scripts of both directions, numbered from 1 in the order a transfer runs them. The
// store takes as many scripts as the address range needs (the 0000-1FFF defaults need
// 514 and 518); every access is checked.
class ScriptStore {
 public:
  int16_t ScriptCount(int d) const { return static_cast<int16_t>(dir(d).size()); }
  const QString& ScriptText(int d, int i) const { return entry(d, i).text; }
  const ScriptParams& ScriptPara(int d, int i) const { return entry(d, i).para; }

  void clear() {
    dirs_[0].clear();
    dirs_[1].clear();
  }
  void add(int d, QString text, ScriptParams para);

 private:
  struct Entry {
    QString text;
    ScriptParams para;
  };
  static size_t index(int d);
  const std::vector<Entry>& dir(int d) const { return dirs_[index(d)]; }
  std::vector<Entry>& dir(int d) { return dirs_[index(d)]; }
  const Entry& entry(int d, int i) const;
  std::vector<Entry> dirs_[2];
};

// The first and last image address a direction transfers (start beyond end: no blocks).
struct AddressRange {
  int start = 0;
  int end = 0;
};

// The read and write scripts of these ranges: the handshake, a script per block of up to
// 16 bytes, and the closing scripts (a write also sends the band bytes, the programming
// date and the fills of the radio's own area).
ScriptStore buildScripts(AddressRange read, AddressRange write);
inline constexpr const char* kHandshakeScript = "TX0250524F475241RX06TX4D02RXVAVAVAVAVAVAVAVATX06RX06EN";
inline constexpr const char* kEndScript = "TX455AA5322345F2EN";
QString readBlockScript(int address, int length);
QString writeBlockScript(int address, int length);

// Waits ms milliseconds on the clock while the thread's events keep running (paints,
// timer ticks, the port's data); ends early once until() holds. Sleeps, never spins.
void waitCooperatively(const Clock& clock, int64_t ms, const std::function<bool()>& until = {});

class ProtocolEngine {
 public:
  // The no-reply line is what the traffic list shows for a reply that failed.
  ProtocolEngine(SerialPort& port, const Clock& clock, FaultSink& log, QString noReplyLine = {});
  ProtocolEngine(const ProtocolEngine&) = delete;
  ProtocolEngine& operator=(const ProtocolEngine&) = delete;

  SerialPort& port() const { return port_; }
  const Clock& clock() const { return clock_; }
  void setTraffic(TrafficView* traffic) { traffic_ = traffic ? traffic : &noTraffic_; }
  TrafficView& traffic() const { return *traffic_; }
  void setNoReplyLine(const QString& line) { noReplyLine_ = line; }

  // Cuts a script into ComCode, two characters a token ("modCommun->ConvComCode").
  void loadScript(const QString& script);
  // Runs the tokens of ComCode frame by frame ("modCommun->ProtocolCom"); false (and
  // ComErr) when a reply failed or the script broke off with a fault (the port refused a
  // frame, a token that is no byte).
  bool runScript();
  // Waits for the n reply bytes of the current frame and checks them against RxExpect
  // ("modCommun->RxComDat").
  void receiveReply(int16_t n);
  // loadScript, then runScript.
  bool run(const QString& script) {
    loadScript(script);
    return runScript();
  }
  void wait(int64_t ms, const std::function<bool()>& until = {}) const { waitCooperatively(clock_, ms, until); }

  // The state of the script being run.
  VbArray<QString, 1, 200> ComCode;  // tokens of the current script
  int16_t ComPos = 1;
  QByteArray TxBuf;                  // send part of the current frame
  QStringList RxExpect;              // receive part: hex pairs or "VA"
  QByteArray RxBuf;                  // the reply as received, cut to its expected length
  VbArray<uint8_t, 1, 100> VarBuf;   // block data between the transfers and the scripts
  int16_t VarPos = 1;
  bool ComErr = false;               // a reply was missing or wrong
  int16_t PollDelay = 1;             // ms per receive poll
  int16_t PollMax = 150;             // polls before a reply has timed out
  // When set (µs per byte), a reply wait first sleeps through the bytes still to cross the
  // line, the frame just sent and the reply, rather than waking for each byte as it comes
  // in; that time counts towards the time-out. Many radios at once use it.
  int16_t LineByteUs = 0;

 private:
  void replyFailed();
  void sendFrames();
  void checkReply(int16_t n);

  SerialPort& port_;
  const Clock& clock_;
  FaultSink& log_;
  QString noReplyLine_;
  TrafficView noTraffic_;
  TrafficView* traffic_ = &noTraffic_;
};

}  // namespace k52
