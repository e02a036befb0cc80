#pragma once
// The settings window: a child of the main window's document area with three tabs, the
// radio information with the band list, the channel grid, and the optional features.
// It is loaded once at start-up and hidden, not closed, until the program exits.

#include "app/bandchoice.h"

#include <QMdiSubWindow>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTabWidget;

namespace k52 {

struct AppContext;
class Grid;
class QtGrid;
class SysSetOptionsPage;
class QtChGridEdit;

class frmSysSet : public QMdiSubWindow, public BandListView {
  Q_OBJECT
 public:
  explicit frmSysSet(AppContext& ctx, QWidget* parent = nullptr);
  ~frmSysSet() override;

  // First use of the window: parameters, captions, option controls, radio information
  // captions, band list.
  void Form_Load();

  // The channel grid vsfgGridCh, for ctx.setGridCh.
  Grid& gridCh();
  // Its editing: the handlers' state (SelCh) and the channel pop-up menu.
  QtChGridEdit& chGridEdit() { return *chGridEdit_; }

  QTabWidget* sstabMain() const { return sstabMain_; }
  QComboBox* cboFrequency() const { return cboFrequency_; }

  // BandListView: the combo box mirrors the band list of the logic.
  void showBandList(const QStringList& items, int index) override;

  // The options page: shows OptSel again (after a decode and New File), and the power-on
  // message box takes a text.
  void showOptions() { InitOpt(); }
  void showPowerOnMessage(const QString& text);
  SysSetOptionsPage* optionsPage() const { return options_; }

 protected:
  // Form_QueryUnload: closing only hides the window until the program exits.
  void closeEvent(QCloseEvent* event) override;

 private:
  void InitPara();
  void InitFace();
  void InitOpt();
  void RadioInfoInitOpt();
  void buildRadioInfoTab();

  AppContext& ctx_;
  QTabWidget* sstabMain_;
  QWidget* tabRadioInfo_;
  QWidget* tabChInfo_;
  QWidget* tabOption_;
  SysSetOptionsPage* options_;
  QtGrid* vsfgGridCh_;
  QtChGridEdit* chGridEdit_ = nullptr;
  QGroupBox* fraMain_ = nullptr;
  QLabel* lblModel_ = nullptr;
  QLineEdit* txtModel_ = nullptr;
  QLabel* lblRange_ = nullptr;
  QComboBox* cboFrequency_ = nullptr;
  QLabel* lblSoftVer_ = nullptr;
  QLineEdit* txtSoftVer_ = nullptr;
  QLabel* lblLastPc_ = nullptr;
  QLineEdit* txtLastPc_ = nullptr;
};

}  // namespace k52
