#pragma once
// The optional-features page and the FM receiver page of the settings window: how each
// control is filled from OptSel, what each control writes back, the power-on message box
// and the 25 FM station boxes. The logic drives the controls through OptPageView, so it
// runs the same with the real widgets and with a plain double in tests.

#include <QString>
#include <QStringList>
#include <cstdint>

namespace k52 {

struct AppContext;

// OptSel entries with a control of their own on the page.
enum OptEntry : int {
  kOptTot = 1,
  kOptSql = 2,
  kOptBeep = 3,
  kOptKeyLock = 4,
  kOptWideBand = 5,
  kOptWorkMode = 6,
  kOptScanMode = 7,
  kOptKeyLig = 8,
  kOptAnVoice = 9,
  kOptChNameShow = 10,
  kOptBatSave = 11,
  kOptRevFre = 12,
  kOptVoxFunc = 13,
  kOptVoxLevel = 14,
  kOptVoxDly = 15,
  kOptPwrOnShowMode = 16,
  kOptRadioOn = 18,
  kOptRadioWorkMode = 20,
  kOptRadioSql = 21,
  kOptRadioMoni = 22,
  kOptRadioNowCh = 23,
};

inline constexpr int kFmStations = 25;  // station boxes txtRadioFre(0 ... 24)

enum class OptKind {
  Combo,         // the list position is the value
  CheckNonZero,  // ticked when the entry is not 0
  CheckOne,      // ticked when the entry is 1
};

// One option control: the entry it mirrors, its name, and for a combo box the highest
// value its list can show and the item name written into a range error.
struct OptControlEntry {
  int entry;
  OptKind kind;
  const char* control;
  int highest;
  const char* itemName;  // UTF-8
};

// The option controls in the order InitOpt fills them: the general options, the VOX and
// power-on options (the power-on message follows them), then the FM receiver's switches.
inline constexpr OptControlEntry kOptControls[] = {
    {kOptTot, OptKind::Combo, "cboTot", 9, "超时定时器"},
    {kOptSql, OptKind::Combo, "cboSql", 9, "静噪等级(SQL)"},
    {kOptBeep, OptKind::Combo, "cboBeep", 1, "提示音"},
    {kOptKeyLock, OptKind::Combo, "cboKeyLock", 1, "锁键方式"},
    {kOptWorkMode, OptKind::Combo, "cboWorkMode", 2, "工作模式"},
    {kOptScanMode, OptKind::Combo, "cboScanMode", 2, "扫描模式"},
    {kOptKeyLig, OptKind::Combo, "cboKeyLig", 2, "背景灯"},
    {kOptAnVoice, OptKind::Combo, "cboAnVoice", 2, "语音通知"},
    {kOptChNameShow, OptKind::CheckNonZero, "chkChNameShow", 1, ""},
    {kOptBatSave, OptKind::CheckNonZero, "chkBatSave", 1, ""},
    {kOptRevFre, OptKind::CheckOne, "chkRevFre", 1, ""},
    {kOptWideBand, OptKind::CheckOne, "chkWideBand", 1, ""},
    {kOptVoxFunc, OptKind::CheckOne, "chkVoxFunc", 1, ""},
    {kOptVoxLevel, OptKind::Combo, "cboVoxLevel", 8, "VOX增益电平"},
    {kOptVoxDly, OptKind::Combo, "cboVoxDly", 5, "VOX延迟时间[秒]"},
    {kOptPwrOnShowMode, OptKind::Combo, "cboPwrOnShowMode", 2, "显示方式"},
    {kOptRadioOn, OptKind::CheckOne, "chkRadioOn", 1, ""},
    {kOptRadioWorkMode, OptKind::Combo, "cboRadioWorkMode", 1, "收音机工作模式"},
    {kOptRadioSql, OptKind::Combo, "cboRadioSql", 9, "收音机静噪电平"},
    {kOptRadioMoni, OptKind::Combo, "cboRadioMoni", 1, "收音机监听"},
    {kOptRadioNowCh, OptKind::Combo, "cboRadioNowCh", 24, "收音机当前信道"},
};

// The control of an entry, or nullptr when the entry has none on the page.
const OptControlEntry* optControl(int entry);

// The items of an option combo box in the current language, in list order.
QStringList optComboItems(const AppContext& ctx, int entry);

// A station frequency in 100 kHz steps as the box shows it: one decimal ("87.5", "108.0").
QString fmStationText(int16_t steps);

// The controls of the page as the logic sees them. Option controls are named by the
// OptSel entry they mirror, station boxes by index 0 ... 24. Nothing here raises a
// control's own event handler: the logic runs the handlers where setting a control would.
class OptPageView {
 public:
  virtual ~OptPageView() = default;
  // Replaces a combo box's list; afterwards nothing is selected.
  virtual void setComboItems(int entry, const QStringList& items) = 0;
  // Selects a list position, -1 for none.
  virtual void setComboIndex(int entry, int position) = 0;
  virtual bool isChecked(int entry) const = 0;
  virtual void setChecked(int entry, bool ticked) = 0;
  virtual QString stationText(int station) const = 0;
  virtual void setStationText(int station, const QString& text) = 0;
};

// Fills every option control from OptSel; out-of-range selections are logged as range
// errors and replaced by their defaults. Reports as "frmSysSet->InitOpt:".
void InitOpt(AppContext& ctx, OptPageView& view);

// cboTot_Click ... cboPwrOnShowMode_Click, chkChNameShow_Click ... chkVoxFunc_Click and the
// FM switches: OptSel(entry) := the list position or the check box's value, nothing else.
void optControlClick(AppContext& ctx, int entry, int value);

// Leaving the power-on message box: the text as the radio will show it is stored in
// OptSel(50 ... 54) and shown again in the box; characters the radio cannot show are left
// out and named in the status bar.
void txtPwrMsg_LostFocus(AppContext& ctx, const QString& text);

// Every change of station box i, typed or set by the program: text that is not a number,
// or a number that is 0, empties the box; an empty box empties the station.
void txtRadioFre_Change(AppContext& ctx, OptPageView& view, int station);
// Leaving station box i: 87.0 ... 108.0 MHz is stored and shown with one decimal,
// anything else empties the station.
void txtRadioFre_LostFocus(AppContext& ctx, OptPageView& view, int station);
// "Clear": every station box and station emptied; the current station stays.
void cmdClrRadioFre_Click(AppContext& ctx, OptPageView& view);

// Double-click on the radio information frame: the memory viewer, in test mode only.
// Reports as "frmSysSet->fraMain_DblClick".
void fraMain_DblClick(AppContext& ctx);

}  // namespace k52
