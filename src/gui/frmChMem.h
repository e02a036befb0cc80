#pragma once
// The channel view of the navigation tree: a child of the main window's document area
// holding one button, cmdPrintChannel. It has no behaviour of its own (printing is not
// part of the program, so the button stays disabled).

#include <QMdiSubWindow>

class QPushButton;

namespace k52 {

struct AppContext;

class frmChMem : public QMdiSubWindow {
  Q_OBJECT
 public:
  explicit frmChMem(AppContext& ctx, QWidget* parent = nullptr);
  QPushButton* cmdPrintChannel() const { return cmdPrintChannel_; }

 private:
  QPushButton* cmdPrintChannel_;
};

}  // namespace k52
