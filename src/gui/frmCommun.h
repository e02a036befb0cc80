#pragma once
// The communication window: shown modally by the Program menu's Read and Write commands,
// it runs one transfer with a progress bar, a percent text, a blinking lamp and the live
// list of the traffic, and hides itself when the transfer is over. In test mode a
// double-click on its progress frame shows the data list, the address boxes and the check
// boxes below it.

#include "app/transfer.h"

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QTimer;

namespace k52 {

struct AppContext;
struct AppState;

class frmCommun : public QDialog, public TransferView {
  Q_OBJECT
 public:
  explicit frmCommun(AppContext& ctx, QWidget* parent = nullptr);

  // Shows cmdRead when ComDir is read, cmdWrite otherwise.
  void ShowComButton();
  TransferEnd cmdRead_Click();
  TransferEnd cmdWrite_Click();
  // Test mode only: switches between the progress part alone and the whole window.
  void fraOne_DblClick();
  bool expanded() const;
  // A transfer is running: input is refused.
  bool running() const { return running_; }
  // Lines in the live data list since the last time it was emptied.
  int16_t LineCount = 0;

  // TransferView
  void ComDataShow(int16_t dir, const QByteArray& block) override;
  void addLine(const QString& text) override;
  void ShowComPercent(int16_t iPercent) override;
  void transferStarting(bool write) override;
  void transferStopped() override;
  bool stopRequested() override;
  bool showMemoryData() override;
  void TableFreDat() override;
  void transferFinished() override;

  QGroupBox* fraOne() const { return fraOne_; }
  QProgressBar* prgCommunicate() const { return prgCommunicate_; }
  QLabel* lblComStatus() const { return lblComStatus_; }
  QPushButton* cmdRead() const { return cmdRead_; }
  QPushButton* cmdWrite() const { return cmdWrite_; }
  QLabel* imgGreen() const { return imgGreen_; }
  QTimer* tmrLigGrint() const { return tmrLigGrint_; }
  QListWidget* listRtData() const { return listRtData_; }
  QLineEdit* txtReadStartAddr() const { return txtReadStartAddr_; }
  QLineEdit* txtReadEndAddr() const { return txtReadEndAddr_; }
  QLineEdit* txtWriteStartAddr() const { return txtWriteStartAddr_; }
  QLineEdit* txtWriteEndAddr() const { return txtWriteEndAddr_; }
  QLineEdit* txtMaxAddr() const { return txtMaxAddr_; }
  QCheckBox* chkNotShowProg() const { return chkNotShowProg_; }
  QCheckBox* chkShowMemDat() const { return chkShowMemDat_; }
  QCheckBox* chkStopCom() const { return chkStopCom_; }

  void reject() override;  // Escape and the close box: hide, unless a transfer runs

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load();
  void buildProgressPart();
  void buildDataPart();
  void buildAddressPart();
  void showAddressTexts(const AppState& st);
  void setInputAccepted(bool accepted);
  void resetProgress();
  void collapse();
  void expand();
  // The window's content at this height; the window shows it whole where the screen has room.
  void setBodyHeight(int height);
  TransferEnd runTransfer(bool write);

  AppContext& ctx_;
  bool running_ = false;
  bool stopping_ = false;  // "Stop Communication" ended the transfer
  QWidget* body_ = nullptr;  // the parts, in a scroll area that fills the window
  QGroupBox* fraOne_ = nullptr;
  QProgressBar* prgCommunicate_ = nullptr;
  QLabel* lblComStatus_ = nullptr;
  QPushButton* cmdRead_ = nullptr;
  QPushButton* cmdWrite_ = nullptr;
  QLabel* imgRed_ = nullptr;
  QLabel* imgGreen_ = nullptr;
  QTimer* tmrLigGrint_ = nullptr;
  QGroupBox* fraTwo_ = nullptr;
  QListWidget* listRtData_ = nullptr;
  QGroupBox* fraRdWrDat_ = nullptr;
  QLineEdit* txtReadStartAddr_ = nullptr;
  QLineEdit* txtReadEndAddr_ = nullptr;
  QLineEdit* txtWriteStartAddr_ = nullptr;
  QLineEdit* txtWriteEndAddr_ = nullptr;
  QLineEdit* txtMaxAddr_ = nullptr;
  QCheckBox* chkNotShowProg_ = nullptr;
  QCheckBox* chkShowMemDat_ = nullptr;
  QCheckBox* chkStopCom_ = nullptr;
};

// The window of owner (created on first use).
frmCommun& communWindow(AppContext& ctx, QWidget* owner);
// The Program menu's Read and Write: ComDir, ShowComButton, then the window modally. With
// no direction (Auto Read/Write) ComDir and the buttons stay as they were.
enum class ComDirChoice { Read, Write, Keep };
void showCommun(AppContext& ctx, QWidget* owner, ComDirChoice comDir);

// Test mode on and off (Ctrl+Shift+T on the main window); the status bar says when it is on.
void toggleTestMode(AppContext& ctx, QMainWindow& main);

}  // namespace k52
