#pragma once
// The application context: one object owns the image, the tables, the settings values,
// the band and the error log of a running program. Procedures get it by reference; a
// test builds a fresh one per case. Windows plug into it through AppViews.

#include "core/commstate.h"
#include "app/bandchoice.h"
#include "core/errorlog.h"
#include "core/memoryimage.h"
#include "core/tables.h"
#include "app/appstate.h"
#include "app/userfiles.h"
#include "core/grid.h"
#include "core/inifile.h"
#include "core/serialport.h"

#include <QString>
#include <memory>

namespace k52 {

class Clock;
class Dialogs;

// What the windows show of the shared state. The main window and the settings window
// implement it; without windows (the command-line companion, tests of the logic) the
// default does nothing.
class AppViews {
 public:
  virtual ~AppViews() = default;
  // Start-up step 3: the installation pass closes the main window.
  virtual void closeMainWindow() {}
  // The check mark of the language menu (1, 2 or 3).
  virtual void checkLanguageItem(int16_t /*lang*/) {}
  // The address boxes of the communication window take the texts read at start-up.
  virtual void showAddressTexts(const AppState& /*state*/) {}
  // Status bar panels.
  virtual void setStatusNotice(const QString& /*text*/) {}
  virtual void setStatusCom(const QString& /*text*/) {}
  virtual void setStatusFile(const QString& /*text*/) {}
  // Applies the language table to the main window.
  virtual void setSoftFace() {}
  // Sets up the memory viewer's grid.
  virtual void setGridMemDat() {}
  // Loads the settings window (start-up step 22, before its channel set-up runs).
  virtual void loadSettingsWindow() {}
  // The options page shows OptSel again.
  virtual void showOptions() {}
  // The power-on message box shows this text.
  virtual void showPowerOnMessage(const QString& /*text*/) {}
  // Shows the port dialog frmToolCom modally over the main window.
  virtual void showToolCom() {}
  // The radio-information tab: firmware version (txtSoftVer) and last programming date
  // (txtLastPc) after a read.
  virtual void showSoftVersion(const QString& /*text*/) {}
  virtual void showLastProgrammed(const QString& /*text*/) {}
  // Shows the memory data window frmMemDat, not modal (test mode).
  virtual void showMemDat() {}
  // The image was replaced as a whole (New, a file opened, a read, a band change): the
  // memory data window shows it again.
  virtual void memoryImageReplaced() {}
  // Finishes whatever the user is still typing (an open grid cell, the power-on message,
  // a station box) so that it reaches the tables before they are encoded.
  virtual void commitPendingEdits() {}
  // The user changed the configuration (a cell, a channel command, an option, the band):
  // one step of the undo history, named `what` (empty: by what changed).
  virtual void configurationEdited(const QString& /*what*/ = QString()) {}
  // The configuration was opened, read or started anew: the undo history starts here.
  virtual void configurationReplaced() {}
  // The configuration now counts as saved (or as opened, read or new): the title's mark.
  virtual void configurationSaved() {}
};

struct AppContext {
  AppContext(const Clock& clock, Dialogs& dialogs, QString programFolder);
  ~AppContext();
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  // A file delivered in the program folder ("dhcpqec.dll", the help files).
  QString programPath(const QString& name) const;
  // A place beside the data the program writes ("Data", "Backup"): the program folder, or
  // the user's own folder when the program folder is not writable (app/userfiles.h).
  QString dataPath(const QString& name) const;
  // The channel grid: the settings window's grid once it is loaded, else one in memory.
  Grid& gridCh() { return *gridCh_; }
  void setGridCh(Grid* grid);

  const Clock& clock;
  Dialogs& dialogs;
  // Where the delivered files are read and where the settings file and the data go: all
  // in the program folder given, until the program's start sets them by the rule of
  // locateProgramFiles.
  ProgramFiles files;
  AppViews* views;

  AppState st;
  ErrorLog log;
  IniFile ini;
  MemoryImage IicDat;
  ChannelTable ch;
  OptionTable opt;
  Band band;
  BandChoice bandChoice;  // the band list and the custom range dialog's state
  ToneList tones;
  CharTable chars;
  ConvBufArray ConvBuf;
  CommState com;  // probe results, protocol engine, script store
  // The one serial port; production wires the cable, a context without one has no port.
  std::unique_ptr<SerialPort> port = std::make_unique<NoSerialPort>();
  // The language table: texts 0-445 of the current language.
  VbArray<QString, 0, 445> SoftFaceText;
  QString text(int n) const { return (n >= 0 && n <= 445) ? SoftFaceText(n) : QString(); }

 private:
  AppViews nullViews_;
  MemoryGrid memoryGrid_;
  Grid* gridCh_;
};

// Writes one key of section "Setting" where nothing waits on the result (start-up, the
// port choice): a file that does not take it is logged under procName, and the value holds
// for this run. Returns whether the file took it.
bool writeSetting(AppContext& ctx, const char* procName, const QString& key, const QString& value);

// File names in the program folder.
inline constexpr const char* kSettingsFileName = "minglyc.dll";
inline constexpr const char* kDefaultImageFileName = "dhcpqec.dll";

}  // namespace k52
