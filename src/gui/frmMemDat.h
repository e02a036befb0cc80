#pragma once
// The memory data viewer: the image as a hex grid, 16 bytes a row, with the bytes changed
// since the last fill in red, a tooltip with the bits and the decimal value of the byte
// under the mouse, cells edited straight into the image, a fill on demand or every second
// while the window is shown, and the part-fill dialog. The grid is filled again whenever
// the image is replaced (a file opened, a read, New, a band change). An engineering tool, opened in test mode; a child of the main
// window's document area, loaded once and hidden, not closed, until the program exits.

#include <QMdiSubWindow>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QTimer;

namespace k52 {

struct AppContext;
class QtGrid;
class frmPartFill;

class frmMemDat : public QMdiSubWindow {
  Q_OBJECT
 public:
  explicit frmMemDat(AppContext& ctx, QWidget* parent = nullptr);
  ~frmMemDat() override;

  // Builds the empty grid (start-up).
  void SetGridMemDat();
  // Fills the grid from the image, marks the changed bytes and brings them into view.
  void TableFreDat();
  // The image was replaced: the grid is filled from it once control returns to the event
  // loop (at once if a transfer fills it itself), or when an edit in it has ended.
  void imageReplaced();

  void cmdFillGrid_Click();
  void cmdSetDefCol_Click();
  void cmdPartFill_Click();
  void chkTimerFillGrid_Click();
  void tmrTimerFillGrid_Timer();
  // The tooltip for the cell under the mouse (grid row and column).
  void vsfgGridMemDat_MouseMove(int row, int col, const QPoint& globalPos);
  void vsfgGridMemDat_AfterEdit(int row, int col);

  QtGrid* vsfgGridMemDat() const { return grid_; }
  QPushButton* cmdFillGrid() const { return cmdFillGrid_; }
  QPushButton* cmdSetDefCol() const { return cmdSetDefCol_; }
  QPushButton* cmdPartFill() const { return cmdPartFill_; }
  QCheckBox* chkTimerFillGrid() const { return chkTimerFillGrid_; }
  QTimer* tmrTimerFillGrid() const { return tmrTimerFillGrid_; }
  // The part-fill dialog, loaded on first use.
  frmPartFill& partFill();
  // The tooltip text the grid shows now.
  QString gridToolTip() const;

 protected:
  // Form_QueryUnload: closing only hides the window until the program exits.
  void closeEvent(QCloseEvent* event) override;
  // The every-second fill runs only while the window is shown.
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  AppContext& ctx_;
  QtGrid* grid_;
  QGroupBox* fraMemData_;
  QPushButton* cmdFillGrid_;
  QPushButton* cmdSetDefCol_;
  QPushButton* cmdPartFill_;
  QCheckBox* chkTimerFillGrid_;
  QTimer* tmrTimerFillGrid_;
  frmPartFill* partFill_ = nullptr;
  bool stale_ = false;  // the image was replaced since the grid was last filled
  void fillIfStale();
};

}  // namespace k52
