#pragma once
// Editing the channel grid vsfgGridCh: which cells may be edited and how, the checking and
// snapping of typed frequencies, the completion of a new channel, the double-click
// shortcuts, the row highlight, the channel pop-up menu and the keyboard. Every edit goes
// straight into ChInfo (and ChNameCode for names); the image follows only when the tables
// are encoded before the image leaves the program.
//
// The handlers work on the grid seam; the settings window wires its Qt grid to them
// (editor/qtchgridedit).

#include <QString>
#include <cstdint>
#include <optional>

namespace k52 {

struct AppContext;
class Grid;

// The snapping rasters, in 10 Hz units: 5 kHz and 12.5 kHz.
inline constexpr int32_t kFreStepA = 500;
inline constexpr int32_t kFreStepB = 1250;
// The background of the row the user clicked: RGB(230, 230, 240).
inline constexpr uint32_t kRowHighlightColor = 0xF0E6E6;
// The lock state while the channel interface is locked.
inline constexpr const char* kShowLock = "ShowLock";
// Mouse buttons as the handlers receive them.
enum MouseButtonCode : int {
  kNoButton = 0,
  kLeftButton = 1,
  kRightButton = 2,
  kMiddleButton = 4,
};
// The Shift argument of the handlers: one bit per modifier key held.
enum ShiftBits : int {
  kNoShift = 0,
  kShiftBit = 1,
  kCtrlBit = 2,
  kAltBit = 4,
};
// Key codes of the arrow keys; other keys come as their Latin-1 code, or kNoKey.
enum GridKeyCode : int {
  kNoKey = 0,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
};

// What the channel pop-up menu mnuPopMenuOne shows when it opens.
struct ChPopMenuItems {
  QString openChCaption, saveDefCaption, delOneCaption, delAllCaption;
  bool openChEnabled = false, saveDefEnabled = false, delOneEnabled = false, delAllEnabled = false;
  // sepPopChLock and mnuPopChLock.
  bool chLockVisible = false;
  bool chLockEnabled = false;
  bool chLockChecked = false;
  QString chLockCaption;
};

// The menus around the grid: the main menu's lock item mnuChLock, and the pop-up menu.
class ChGridMenus {
 public:
  virtual ~ChGridMenus() = default;
  virtual bool chLockVisible() const = 0;
  virtual bool chLockChecked() const = 0;
  // Shows the pop-up menu with these items where the user asked for it.
  virtual void showPopMenu(const ChPopMenuItems& items) = 0;
  // Runs the main menu's lock command (as mnuChLock with index 0).
  virtual void runChLock() = 0;
};

// The editing state of the channel grid.
struct ChGridEdit {
  // The channel of the last right-clicked data row; the pop-up menu's commands read it.
  int32_t SelCh = 0;
  // The grid cell under the pointer, the cell Click and MouseDown act on: the cell under
  // the mouse for the mouse's events, the current cell when the keyboard drives the grid
  // (KeyDown keeps it on the cell the arrow keys select). -1 off the data cells.
  int MouseRow = -1;
  int MouseCol = -1;
  ChGridMenus* menus = nullptr;
};

// True while the channel interface is locked.
bool chInterfaceLocked(const AppContext& ctx);

// Decides whether cell (Row, Col) may be edited, and sets the edit mode and the column's
// drop-down list for the edit. Cancel is set to refuse it.
void vsfgGridCh_BeforeEdit(AppContext& ctx, int Row, int Col, bool& Cancel);
// What vsfgGridCh_BeforeEdit decides, without the log: false refuses the edit. Failures
// are thrown.
bool mayEditCell(AppContext& ctx, int row, int col);
// Checks and stores the text the user left in cell (Row, Col); completes a new channel.
void vsfgGridCh_AfterEdit(AppContext& ctx, int Row, int Col);
// What vsfgGridCh_AfterEdit does, without the log: a frequency is snapped, held in the band
// and completes its channel (text that is no number empties it), a name is stored, a
// choice takes the editor's index. A number too large for a frequency empties the cell
// and its field before the failure is thrown.
void storeCellEdit(AppContext& ctx, int row, int col);
// The editor of cell (Row, Col) was left with Escape: a name cell shows the stored name
// again (the name a double click proposed is dropped with the edit).
void vsfgGridCh_EditCancelled(AppContext& ctx, int Row, int Col);
// A click on the cell ed.MouseRow, ed.MouseCol: row highlight, edit mode, and on an empty
// channel the editor in its RX cell.
void vsfgGridCh_Click(AppContext& ctx, ChGridEdit& ed);
void clickCell(AppContext& ctx, ChGridEdit& ed);
// A double click on the current cell: the shortcuts.
void vsfgGridCh_DblClick(AppContext& ctx);
// The shortcut of a double click on the current cell: TX takes RX, a tone takes the other
// one, an unnamed channel is offered "CHnnn", a choice moves to the next value.
void applyDoubleClickShortcut(AppContext& ctx);
// A key pressed in the grid (not in its editor), before the grid moves its current cell.
void vsfgGridCh_KeyDown(AppContext& ctx, ChGridEdit& ed, GridKeyCode KeyCode, ShiftBits Shift);
// The pointer the handlers act on follows the current cell, moved by an arrow key.
void followKeyboard(AppContext& ctx, ChGridEdit& ed, GridKeyCode key);
// A mouse button pressed over ed.MouseRow, ed.MouseCol; the right button opens the pop-up menu.
void vsfgGridCh_MouseDown(AppContext& ctx, ChGridEdit& ed, MouseButtonCode Button, ShiftBits Shift);
// The items of the pop-up menu for data row ed.MouseRow (remembered as ed.SelCh); nothing
// off the data cells.
std::optional<ChPopMenuItems> channelMenuFor(AppContext& ctx, ChGridEdit& ed);
void vsfgGridCh_AfterRowColChange(AppContext& ctx, int OldRow, int OldCol, int NewRow, int NewCol);

// A frequency in 10 Hz units, as decimal text, snapped to the nearer of the 5 kHz and
// 12.5 kHz rasters (the 12.5 kHz point on a tie). 0 when the text is no frequency (the
// failure is logged).
int32_t ModifyTxRxFre(AppContext& ctx, const QString& text);
// The same on a frequency in 10 Hz units; fails as an overflow past 16-bit distances.
int32_t snapToChannelRaster(double tenHz);
// The text of value v of choice column col (ColItems(col, 3 + v)); a value past the
// column's items fails as a bounds error.
const QString& choiceText(const AppContext& ctx, int col, int32_t v);

// The name typed into grid cell (channel, 8) into ChNameCode, and shown as it will be stored.
// Characters the radio cannot show are left out and named in the status bar.
void ChNameEdit(AppContext& ctx, int16_t channel);
void storeChannelName(AppContext& ctx, int16_t channel);

}  // namespace k52
