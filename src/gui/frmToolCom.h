#pragma once
// The port dialog: sixteen options "COM1" ... "COM16", each with the device behind it so
// that a user can tell the cables apart. Only the ports that open are offered; OK stores
// the choice as ComNo and in the settings file, Cancel leaves everything as it was.

#include <QDialog>
#include <QStringList>
#include <array>
#include <cstdint>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace k52 {

struct AppContext;

class frmToolCom : public QDialog {
  Q_OBJECT
 public:
  // Sets the dialog up at once (Form_Load): captions, probe of the ports, current choice.
  explicit frmToolCom(AppContext& ctx, QWidget* parent = nullptr);

  // Option index k stands for port k + 1.
  QRadioButton* COM1(int index) const { return options_.at(static_cast<size_t>(index)); }
  QLabel* deviceLabel(int index) const { return devices_.at(static_cast<size_t>(index)); }
  QPushButton* okButton() const { return cmdOk_; }
  QPushButton* cancelButton() const { return cmdCancel_; }

  void reject() override;  // the close box and Escape count as Cancel

 private:
  void Form_Load();
  void EnableCOM();
  void VerdictCom(int16_t intCom);
  void cmdOK_Click();
  void cmdCancel_Click();

  AppContext& ctx_;
  QGroupBox* fraMain_;
  QGroupBox* fraToolCom_;
  QLabel* lblToolCom_;
  std::array<QRadioButton*, 16> options_{};
  std::array<QLabel*, 16> devices_{};
  QButtonGroup* group_;
  QPushButton* cmdOk_;
  QPushButton* cmdCancel_;
  QStringList portDevices_;
  int16_t rememberedComNo_ = 1;
};

// Shows the port dialog modally over owner.
void showToolCom(AppContext& ctx, QWidget* owner);

}  // namespace k52
