#pragma once
// The program's Read and Write: the transfer of comm/imagetransfer on the program's engine,
// with what the program does around it. A read lands in a scratch image that replaces the
// program's image only when every script went through, and is then decoded and kept as a
// backup; a write encodes the tables, limits the byte addr::kWriteLimitedByte and stamps
// today's date first. The communication window and the command-line companion run the
// same code; what they show goes through TransferView.

#include "core/commstate.h"
#include "core/imagetransfer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace k52 {

struct AppContext;
class MemoryImage;

// What a transfer shows while it runs. The communication window implements it; without
// a window (the command-line companion, tests) the defaults show nothing.
class TransferView : public TrafficView, public TransferProgress {
 public:
  // The transfer starts: the live list is emptied, the lamp blinks, input is refused and
  // the button of the direction is shown bold.
  virtual void transferStarting(bool /*write*/) {}
  // The port is closed again: the lamp stops, input is accepted.
  virtual void transferStopped() {}
  // ShowComPercent: the progress bar; stopRequested: "Stop Communication".
  // A read went through: the image as the radio holds it, before it is decoded (decoding
  // may still settle the band bytes of an image whose band is unknown).
  virtual void imageRead(const QByteArray& /*image*/) {}
  // The read was kept in the backup folder under this path; empty when it could not be
  // (the log says why).
  virtual void backupWritten(const QString& /*path*/) {}
  // "Show Memory Data": fill the memory viewer after a read and before a write.
  virtual bool showMemoryData() { return false; }
  virtual void TableFreDat() {}
  // The transfer is over (after its closing waits): percent and bar cleared, window hidden.
  virtual void transferFinished() {}
};

// Where a transfer talks: by default the port ComNo through OpenCom (the port dialog on
// failure); the command-line companion names a device and gets the fault instead.
struct TransferPort {
  QString device;       // empty: OpenCom with ComNo
  QString openFailure;  // set when the named device did not open
};

// The Read and Write buttons of the communication window.
TransferEnd cmdRead_Click(AppContext& ctx, TransferView& view, TransferPort* port = nullptr);
// With "VerifyAfterWrite"=1 in the settings file's [Setting] section, a write that went
// through reads the written range back before the port closes, and says whether the radio
// holds what was sent.
TransferEnd cmdWrite_Click(AppContext& ctx, TransferView& view, TransferPort* port = nullptr);
// The radio read into `copy` (addresses outside the read range keep what copy held); the
// program's image, tables and windows stay as they are.
TransferEnd readRadioCopy(AppContext& ctx, TransferView& view, MemoryImage& copy, TransferPort* port = nullptr);

// The lines the live data list shows for one block: "Tx: " or "Rx: " and the first four
// bytes, then 16 bytes a line after seven blanks, the rest after four blanks. Each byte is
// two upper-case hex digits and a blank.
QStringList comDataLines(int16_t dir, const QByteArray& block);

// Today's date (Clock seam) into the last-write date (addr::kLastWriteDate): year within the century, month, day.
void WriteComDat(AppContext& ctx);
// Firmware version and date (addr::kSoftVersion) to the settings window: "V1.0 -- 2011.12.21".
void ShowSoftVer(AppContext& ctx);
// Programming date (addr::kLastWriteDate) to the settings window: "2026.1.5" or "Unknown Time".
void ShowComDat(AppContext& ctx);
QString softVerText(const MemoryImage& image);
QString comDatText(const AppContext& ctx);

// The message shown when a range reaches outside the image (nothing is sent then); empty
// when every script of the direction fits.
QString rangeProblem(const AppContext& ctx, int dir);

}  // namespace k52
