#pragma once
// The part-fill dialog of the memory viewer: one value, in hex, decimal or base-2, into
// every image address of a range, shown in the viewer's grid as well. The range is kept
// in PartFillStart and PartFillEnd while the program runs.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace k52 {

struct AppContext;
class Grid;

class frmPartFill : public QDialog {
  Q_OBJECT
 public:
  frmPartFill(AppContext& ctx, Grid& gridMemDat, QWidget* parent = nullptr);

  // On opening: the range from PartFillStart and PartFillEnd, base "H".
  void Form_Load();
  void cmdFillData_Click();

  QLineEdit* txtFillData() const { return txtFillData_; }
  QComboBox* cboFillData() const { return cboFillData_; }
  QLineEdit* txtStartAddr() const { return txtStartAddr_; }
  QLineEdit* txtEndAddr() const { return txtEndAddr_; }
  QPushButton* cmdFillData() const { return cmdFillData_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void txtStartAddr_Change();
  void txtEndAddr_Change();

  AppContext& ctx_;
  Grid& grid_;
  QLineEdit* txtFillData_;
  QComboBox* cboFillData_;
  QLineEdit* txtStartAddr_;
  QLineEdit* txtEndAddr_;
  QPushButton* cmdFillData_;
};

}  // namespace k52
