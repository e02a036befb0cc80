#pragma once
// The grid seam on a Qt table view. The grid's fixed header row is the table's horizontal
// header and its fixed header column the vertical header; data cell (r, c), r, c >= 1, is
// table cell (r - 1, c - 1), and the header cell (0, 0) is drawn in the table's corner.
// Texts, sizes and colours are kept in a MemoryGrid, so the adapter answers exactly as the
// in-memory grid does; the view shows them (sizes converted from twips at the screen's
// logical resolution, decimal columns through their display format).

#include "core/grid.h"

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableView>
#include <functional>
#include <optional>
#include <utility>

class QAbstractButton;
class QTimer;

namespace k52 {

class QtGridModel;

class QtGrid final : public QTableView, public Grid {
  Q_OBJECT

 public:
  explicit QtGrid(QWidget* parent = nullptr);
  ~QtGrid() override;

  void setRows(int rows) override;
  void setCols(int cols) override;
  int rows() const override;
  int cols() const override;
  void setFormatString(const QString& format) override;
  void insertRow(int row, const QString& header) override;

  void setRowHeightTwips(int row, int twips) override;
  int rowHeightTwips(int row) const override;
  void setColWidthTwips(int col, int twips) override;
  int colWidthTwips(int col) const override;
  void setColAlignment(int col, GridAlign align) override;
  GridAlign colAlignment(int col) const override;
  void setColFormat(int col, GridDataType type, const QString& format) override;
  QString colFormat(int col) const override;
  GridDataType colDataType(int col) const override;

  QString text(int row, int col) const override;
  void setText(int row, int col, const QString& text) override;
  QString headerText(int row, int col) const override;

  void select(int row, int col) override;
  int row() const override;
  int col() const override;

  void setCellForeColor(uint32_t bgr) override;
  uint32_t cellForeColor(int row, int col) const override;
  void setBackColor(uint32_t bgr) override;
  uint32_t backColor() const override;
  void setRangeBackColor(int row1, int col1, int row2, int col2, uint32_t bgr) override;
  void resetRangeBackColor(int row1, int col1, int row2, int col2) override;
  uint32_t cellBackColor(int row, int col) const override;
  void setSelBackColor(uint32_t bgr) override;
  uint32_t selBackColor() const override;

  void setEditMode(GridEditMode mode) override;
  GridEditMode editMode() const override;
  void setColComboList(int col, const QString& list) override;
  QString colComboList(int col) const override;
  int comboIndex() const override;
  void startEdit() override;
  void finishEditing() override;

  void setRedraw(bool on) override;
  bool redraw() const override;
  void refresh() override;

  // Twips to pixels at the screen's logical resolution.
  int twipsToPixelsX(int twips) const;
  int twipsToPixelsY(int twips) const;

  // Asked before an editor opens on (row, col); false keeps it closed. The hook may change
  // the edit mode and the column's drop-down list for this edit.
  void setBeforeEdit(std::function<bool(int row, int col)> hook);

  // The grid cell under a point of the cell area; (-1, -1) off the data cells.
  std::pair<int, int> cellAt(const QPoint& viewportPos) const;

 signals:
  // The user's edit of (row, col) has been stored in the cell.
  void afterEdit(int row, int col);
  // The user left the editor of (row, col) with Escape: the cell keeps its text.
  void editCancelled(int row, int col);
  // The mouse on the cell area, with the grid cell under the pointer ((-1, -1) off the data
  // cells): a button pressed, after the table has moved its current cell; a button
  // released, after the table has reacted (an editor it opens is open); a double click,
  // before the table opens an editor for it.
  void mouseDown(int row, int col, Qt::MouseButton button, const QPoint& globalPos);
  void mouseUp(int row, int col, Qt::MouseButton button);
  void dblClick(int row, int col, Qt::MouseButton button);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Typing never jumps to a row that starts with the letters typed: every key is the cell's.
  void keyboardSearch(const QString&) override {}

 private:
  friend class QtGridDelegate;
  void applyRowHeight(int row);
  void applyColWidth(int col);
  void applyGeometry();
  void applyPalette();
  void applyPendingCurrent();

  QtGridModel* model_;
  QAbstractButton* corner_ = nullptr;
  std::function<bool(int, int)> beforeEdit_;
  QPointer<QWidget> editor_;  // the cell editor last opened
  QPersistentModelIndex editorIndex_;  // and its cell
  // A click on the selected cell opens its editor once no double click can follow; a key
  // typed meanwhile opens it at once and is its first character.
  QTimer* clickEdit_;
  QPersistentModelIndex clickEditIndex_;
  bool pressOnSelected_ = false;
  int comboIndex_ = -1;
  // While an edit is being stored, the cells the afterEdit handlers select become current
  // once the editor has closed.
  bool committing_ = false;
  std::optional<std::pair<int, int>> pendingCurrent_;
};

}  // namespace k52
