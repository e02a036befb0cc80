#pragma once
// The band choice of the Radio Information tab: the band list cboFrequency with its
// selection event, the band that follows a new image, and the custom range dialog's logic.
//
// The list is held here, not in the combo box: selecting an entry is cboFrequencySelect,
// which raises cboFrequency_Click only when the selection really changes. The settings
// window's combo box mirrors the list through BandListView and forwards what the user picks
// to cboFrequencySelect, so everything below runs the same with or without windows.

#include "app/bandtable.h"
#include "core/dialogs.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace k52 {

struct AppContext;

// What shows the band list (the settings window's combo box).
class BandListView {
 public:
  virtual ~BandListView() = default;
  // The list's entries and its selection (-1: none) changed.
  virtual void showBandList(const QStringList& items, int index) = 0;
};

struct BandChoice {
  // cboFrequency: its entries and its selected index (-1 when nothing is selected).
  QStringList cboFrequencyList;
  int16_t cboFrequencyIndex = -1;
  // Set while the program itself picks the band: no question, no reset of the data.
  bool BandAutoSel = false;
  // Set while the list is put back after a declined change.
  bool BandUndo = false;
  // The custom range dialog's last accepted texts, kept between its openings.
  QString strFreMin, strFreMax;
  // The range of a new image whose band bytes match no preset: the dialog proposes it.
  std::optional<BandLimits> proposedRange;
  // Set while a band change refreshes the displays: the image's band bytes are the ones
  // just chosen, so they open no dialog.
  bool applyingBand = false;
  // The custom range dialog as its InitFace left it: captions, font and the two boxes.
  CustomRangeForm frmCustomFre;
  BandListView* view = nullptr;
};

// The list operations of cboFrequency. Clearing and adding raise no selection event.
void cboFrequencyClear(AppContext& ctx);
void cboFrequencyAddItem(AppContext& ctx, const QString& text);
// Selects an entry; raises cboFrequency_Click when index differs from the current one.
// An index outside the list raises the invalid-property error.
void cboFrequencySelect(AppContext& ctx, int index);

// Fills the band list and selects "400 - 470 MHz" without a question.
void ChInfoModel(AppContext& ctx);
void fillBandList(AppContext& ctx);
// The band list's selection event.
void cboFrequency_Click(AppContext& ctx);
// What the selection event does, without the log: a choice of the user's asks first (No
// puts the list back), then the band's limits (the custom range dialog for "Custom"), its
// band bytes, and the refresh of every display.
void applyChosenBand(AppContext& ctx);
// Selects the list entry that the image's band bytes name (first step of SoftDisplay).
void ModelRangeSol(AppContext& ctx);
// The same step: a band record that cannot be read gives the widest custom band.
void selectBandOfImage(AppContext& ctx);

// The custom range dialog frmCustomFre. Its window is shown through Dialogs::customRange;
// these are its procedures.
namespace CustomFre {
void Form_Load(AppContext& ctx);
// Captions, font, and the two boxes from strFreMin/strFreMax ("120"/"520" at first).
void InitFace(AppContext& ctx);
void fillCustomRangeForm(AppContext& ctx);
// OK with the boxes' texts: question, optional reset, then the range (or 120-520 MHz).
void cmdOk_Click(AppContext& ctx, const CustomRangeTexts& texts);
void acceptCustomRange(AppContext& ctx, const CustomRangeTexts& texts);
void cmdCancel_Click(AppContext& ctx);
// Loads the dialog, shows it modally and runs the button the user ended it with.
void Show(AppContext& ctx);
}  // namespace CustomFre

}  // namespace k52
