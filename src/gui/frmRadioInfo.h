#pragma once
// The radio-information view of the navigation tree: a child of the main window's document
// area holding one label, lblDebug. It has no behaviour of its own.

#include <QMdiSubWindow>

class QLabel;

namespace k52 {

struct AppContext;

class frmRadioInfo : public QMdiSubWindow {
  Q_OBJECT
 public:
  explicit frmRadioInfo(AppContext& ctx, QWidget* parent = nullptr);
  QLabel* lblDebug() const { return lblDebug_; }

 private:
  QLabel* lblDebug_;
};

}  // namespace k52
