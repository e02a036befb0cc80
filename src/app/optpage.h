#pragma once
// The optional-features page and the FM receiver page of the settings window: how each
// control is filled from OptSel, what each control writes back, the power-on message box
// and the 25 FM station boxes. The logic drives the controls through OptPageView, so it
// runs the same with the real widgets and with a plain double in tests.

#include "core/optiontable.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace k52 {

struct AppContext;

inline constexpr int kFmStations = 25;  // station boxes txtRadioFre(0 ... 24)

// The option controls are those of the option table (core/optiontable.h): each field's
// entry, control kind, control name, highest list value, caption and range-error item name.
using OptControlEntry = OptionField;

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
