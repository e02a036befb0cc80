#pragma once
// The About box: product, version, years and the company lines, in the interface language,
// with its own texts (not the language table). Shown modally from the help menu.

#include <QDialog>

class QLabel;
class QPushButton;

namespace k52 {

struct AppContext;

class frmAboutSoft : public QDialog {
  Q_OBJECT
 public:
  // Sets the box up at once (Form_Load).
  explicit frmAboutSoft(AppContext& ctx, QWidget* parent = nullptr);

  void cmdOk_Click();

  QLabel* lblTitle() const { return lblTitle_; }
  QLabel* lblUseRange() const { return lblUseRange_; }
  QLabel* lblVersion() const { return lblVersion_; }
  QLabel* lblRelease() const { return lblRelease_; }
  QLabel* lblDescription() const { return lblDescription_; }
  QLabel* lblRights() const { return lblRights_; }
  QPushButton* cmdOk() const { return cmdOk_; }

 private:
  void Form_Load();
  void InitFace();

  AppContext& ctx_;
  QLabel* lblTitle_;
  QLabel* lblUseRange_;
  QLabel* lblVersion_;
  QLabel* lblRelease_;
  QLabel* lblDescription_;
  QLabel* lblRights_;
  QPushButton* cmdOk_;
};

}  // namespace k52
