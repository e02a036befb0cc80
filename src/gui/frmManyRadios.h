#pragma once
// Program -> Program Many Radios: the same configuration into a radio on every ticked
// port at once. Each port runs on its own (handshake, write, read-back) and its row shows
// the stage, the progress, the radio's identification, the time and the result; a failed
// unit leaves the others alone. Once a unit has ended the operator swaps the radio and
// starts that port again with its row's button, or Enter or F5 on the row. Every unit's
// result goes into the unit log. The port list follows cables plugged in and pulled out
// while the window is shown.

#include "app/comports.h"
#include "app/session.h"
#include "core/unitrun.h"

#include <QDialog>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace k52 {

struct AppContext;

class frmManyRadios : public QDialog {
  Q_OBJECT
 public:
  // Columns of the port table.
  enum Column { ColPort, ColDevice, ColState, ColProgress, ColIdent, ColTime, ColResult, ColAgain, ColumnCount };

  frmManyRadios(AppContext& ctx, UnitDevices devices, QWidget* parent = nullptr);
  ~frmManyRadios() override;

  QTableWidget* tblPorts() const { return table_; }
  QPushButton* cmdStart() const { return start_; }
  QLabel* lblTally() const { return tally_; }
  // The row of the port on device, or -1.
  int rowOf(const QString& device) const;
  // A unit is still running on some port.
  bool anyRunning() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Unit;
  void refreshPorts();
  void showRows();
  void showRow(int row);
  void browse();
  void startTicked();
  void startUnit(Unit& unit);
  void unitFinished(Unit& unit, const UnitResult& result);
  void showTally();
  // The image every unit gets, prepared at the first start; empty when the file cannot be used.
  bool prepareImage();

  AppContext& ctx_;
  UnitDevices devices_;
  Session session_;
  PortWatcher watcher_;
  QTimer clockTick_;  // the running units' time, once a second
  std::vector<std::unique_ptr<Unit>> units_;
  std::optional<MemoryImage> image_;
  QRadioButton* optWindow_;
  QRadioButton* optFile_;
  QLineEdit* file_;
  QCheckBox* verify_;
  QPushButton* start_;
  QLabel* tally_;
  QTableWidget* table_;
};

// The window, made on first use as a child of parent and shown (not modal).
frmManyRadios* showManyRadios(AppContext& ctx, QWidget* parent);

}  // namespace k52
