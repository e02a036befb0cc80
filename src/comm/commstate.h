#pragma once
// The state of the communication module: the probe results of the ports, the protocol
// engine's buffers and the script store. One AppContext owns one of these.

#include "image/vbarray.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace k52 {

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

  // Protocol engine.
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
  ScriptStore scripts;

  // Transfers: the direction the menu chose (false read, true write), the script being
  // run, and the failed script runs of the current transfer.
  bool ComDir = false;
  int16_t ComStep = 0;
  int16_t ComFailCnt = 0;

  TrafficView* traffic;

 private:
  TrafficView noTraffic_;
};

}  // namespace k52
