#include "gui/qtgrid.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QComboBox>
#include <QEvent>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QTimer>

namespace k52 {

namespace {

QColor toQColor(uint32_t bgr) { return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)); }

Qt::Alignment toQtAlignment(GridAlign a) {
  switch (a) {
    case GridAlign::Center:
      return Qt::AlignCenter;
    case GridAlign::Right:
      return Qt::AlignRight | Qt::AlignVCenter;
    case GridAlign::Left:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

// The grid's cells as a table model: grid row r is model row r - 1, grid column c model
// column c - 1; row 0 and column 0 are the header data.
class QtGridModel final : public QAbstractTableModel {
 public:
  MemoryGrid store;
  bool live = true;  // false while the grid's redraw is off: no change signals

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : std::max(store.rows() - 1, 0);
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : std::max(store.cols() - 1, 0);
  }

  QVariant data(const QModelIndex& index, int role) const override {
    const int r = index.row() + 1, c = index.column() + 1;
    switch (role) {
      case Qt::DisplayRole:
        return store.displayText(r, c);
      case Qt::EditRole:
        return store.text(r, c);
      case Qt::TextAlignmentRole:
        return QVariant::fromValue(toQtAlignment(store.colAlignment(c)));
      case Qt::ForegroundRole:
        return QBrush(toQColor(store.cellForeColor(r, c)));
      case Qt::BackgroundRole:
        if (const auto back = store.ownBackColor(r, c)) return QBrush(toQColor(*back));
        return {};
      default:
        return {};
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    const int r = orientation == Qt::Horizontal ? 0 : section + 1;
    const int c = orientation == Qt::Horizontal ? section + 1 : 0;
    if (role == Qt::DisplayRole) return store.text(r, c);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(toQtAlignment(store.colAlignment(c)));
    return {};
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable : Qt::NoItemFlags;
  }

  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (!index.isValid() || role != Qt::EditRole) return false;
    store.setText(index.row() + 1, index.column() + 1, value.toString());
    cellChanged(index.row() + 1, index.column() + 1);
    return true;
  }

  // Tells the view that cell (r, c) of the grid changed, header cells included.
  void cellChanged(int r, int c) {
    if (!live) return;
    if (r >= 1 && c >= 1) {
      const QModelIndex i = index(r - 1, c - 1);
      emit dataChanged(i, i);
    } else if (r == 0 && c >= 1) {
      emit headerDataChanged(Qt::Horizontal, c - 1, c - 1);
    } else if (c == 0 && r >= 1) {
      emit headerDataChanged(Qt::Vertical, r - 1, r - 1);
    }
  }

  void rangeChanged(int row1, int col1, int row2, int col2) {
    if (!live) return;
    const int r1 = std::max(std::min(row1, row2), 1) - 1, r2 = std::min(std::max(row1, row2), store.rows() - 1) - 1;
    const int c1 = std::max(std::min(col1, col2), 1) - 1, c2 = std::min(std::max(col1, col2), store.cols() - 1) - 1;
    if (r1 <= r2 && c1 <= c2) emit dataChanged(index(r1, c1), index(r2, c2));
  }

  void everythingChanged() {
    if (!live) return;
    if (rowCount() > 0 && columnCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (rowCount() > 0) emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
  }

  void setRows(int rows) {
    const int before = rowCount();
    const int after = std::max(rows - 1, 0);
    if (after > before) {
      beginInsertRows({}, before, after - 1);
      store.setRows(rows);
      endInsertRows();
    } else if (after < before) {
      beginRemoveRows({}, after, before - 1);
      store.setRows(rows);
      endRemoveRows();
    } else {
      store.setRows(rows);
    }
  }

  void setCols(int cols) {
    const int before = columnCount();
    const int after = std::max(cols - 1, 0);
    if (after > before) {
      beginInsertColumns({}, before, after - 1);
      store.setCols(cols);
      endInsertColumns();
    } else if (after < before) {
      beginRemoveColumns({}, after, before - 1);
      store.setCols(cols);
      endRemoveColumns();
    } else {
      store.setCols(cols);
    }
  }

  // Returns true when the whole model was reset (a row inserted above the data rows).
  bool insertRow(int row, const QString& header) {
    if (row < 0 || row > store.rows()) row = store.rows();
    if (row >= 1) {
      beginInsertRows({}, row - 1, row - 1);
      store.insertRow(row, header);
      endInsertRows();
      return false;
    }
    beginResetModel();
    store.insertRow(row, header);
    endResetModel();
    return true;
  }
};

// Opens a drop-down list on columns that have one, asks the grid's hook before any editor
// opens, and keeps the text colour of the selected cell.
class QtGridDelegate final : public QStyledItemDelegate {
 public:
  explicit QtGridDelegate(QtGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const int r = index.row() + 1, c = index.column() + 1;
    if (grid_->beforeEdit_ && !grid_->beforeEdit_(r, c)) return nullptr;
    if (grid_->editMode() == GridEditMode::None) return nullptr;
    grid_->editorIndex_ = index;
    const QString list = grid_->colComboList(c);
    if (list.isEmpty()) return grid_->editor_ = QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new QComboBox(parent);
    combo->addItems(list.split(QLatin1Char('|')));
    return grid_->editor_ = combo;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
      combo->setCurrentIndex(combo->findText(index.data(Qt::EditRole).toString()));
      return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
      grid_->comboIndex_ = combo->currentIndex();
      model->setData(index, combo->currentIndex() < 0 ? QString() : combo->currentText(), Qt::EditRole);
    } else {
      grid_->comboIndex_ = -1;
      QStyledItemDelegate::setModelData(editor, model, index);
    }
    grid_->committing_ = true;
    emit grid_->afterEdit(index.row() + 1, index.column() + 1);
    grid_->committing_ = false;
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    // A selected cell keeps its own text colour (the out-of-band warning, for one).
    const QVariant fore = index.data(Qt::ForegroundRole);
    if (fore.canConvert<QBrush>()) option->palette.setBrush(QPalette::HighlightedText, fore.value<QBrush>());
  }

 private:
  QtGrid* grid_;
};

QtGrid::QtGrid(QWidget* parent) : QTableView(parent), model_(new QtGridModel), clickEdit_(new QTimer(this)) {
  model_->setParent(this);
  clickEdit_->setSingleShot(true);
  connect(clickEdit_, &QTimer::timeout, this, [this] {
    if (state() != QAbstractItemView::EditingState && clickEditIndex_.isValid() && clickEditIndex_ == currentIndex())
      edit(currentIndex());
  });
  setModel(model_);
  setItemDelegate(new QtGridDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setCornerButtonEnabled(false);
  setWordWrap(false);
  for (QHeaderView* h : {horizontalHeader(), verticalHeader()}) {
    h->setSectionResizeMode(QHeaderView::Fixed);
    h->setMinimumSectionSize(1);
    h->setHighlightSections(false);
  }
  horizontalHeader()->setDefaultSectionSize(twipsToPixelsX(kDefaultColWidthTwips));
  verticalHeader()->setDefaultSectionSize(twipsToPixelsY(kDefaultRowHeightTwips));
  setEditMode(GridEditMode::None);
  // The view's current cell, read when the change is announced: a handler that the change
  // set off (an edit committed by it) may already have selected another cell.
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
    const QModelIndex current = currentIndex();
    if (current.isValid()) model_->store.select(current.row() + 1, current.column() + 1);
  });
  // The header cell (0, 0) is drawn on the table's corner button.
  corner_ = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
  if (corner_) corner_->installEventFilter(this);
  applyPalette();
  applyGeometry();
}

QtGrid::~QtGrid() = default;

int QtGrid::twipsToPixelsX(int twips) const { return qRound(twips * logicalDpiX() / 1440.0); }
int QtGrid::twipsToPixelsY(int twips) const { return qRound(twips * logicalDpiY() / 1440.0); }

void QtGrid::applyRowHeight(int row) {
  const int px = twipsToPixelsY(model_->store.rowHeightTwips(row));
  if (row == 0)
    horizontalHeader()->setFixedHeight(px);
  else if (row < model_->store.rows())
    verticalHeader()->resizeSection(row - 1, px);
}

void QtGrid::applyColWidth(int col) {
  const int px = twipsToPixelsX(model_->store.colWidthTwips(col));
  if (col == 0)
    verticalHeader()->setFixedWidth(px);
  else if (col < model_->store.cols())
    horizontalHeader()->resizeSection(col - 1, px);
}

void QtGrid::applyGeometry() {
  applyRowHeight(0);
  applyColWidth(0);
  for (int r = 1; r < model_->store.rows(); ++r) applyRowHeight(r);
  for (int c = 1; c < model_->store.cols(); ++c) applyColWidth(c);
}

void QtGrid::applyPalette() {
  QPalette p = palette();
  p.setColor(QPalette::Base, toQColor(model_->store.backColor()));
  p.setColor(QPalette::Highlight, toQColor(model_->store.selBackColor()));
  setPalette(p);
}

bool QtGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == corner_ && event->type() == QEvent::Paint) {
    QStylePainter painter(corner_);
    QStyleOptionHeader opt;
    opt.initFrom(corner_);
    // The button is disabled (a click on it does nothing), its caption is not.
    opt.state |= QStyle::State_Raised | QStyle::State_Enabled;
    opt.palette.setCurrentColorGroup(QPalette::Active);
    opt.rect = corner_->rect();
    opt.position = QStyleOptionHeader::OnlyOneSection;
    opt.text = model_->store.text(0, 0);
    opt.textAlignment = toQtAlignment(model_->store.colAlignment(0));
    painter.drawControl(QStyle::CE_Header, opt);
    return true;
  }
  return QTableView::eventFilter(watched, event);
}

void QtGrid::setRows(int rows) {
  model_->setRows(rows);
  applyRowHeight(0);
}
void QtGrid::setCols(int cols) {
  model_->setCols(cols);
  applyColWidth(0);
}
int QtGrid::rows() const { return model_->store.rows(); }
int QtGrid::cols() const { return model_->store.cols(); }

void QtGrid::setFormatString(const QString& format) {
  model_->setCols(MemoryGrid::formatStringCols(format));
  if (model_->store.rows() < 1) model_->setRows(1);
  model_->store.setFormatString(format);
  model_->everythingChanged();
  if (corner_) corner_->update();
}

void QtGrid::insertRow(int row, const QString& header) {
  if (model_->insertRow(row, header)) applyGeometry();
}

void QtGrid::setRowHeightTwips(int row, int twips) {
  model_->store.setRowHeightTwips(row, twips);
  applyRowHeight(row);
}
int QtGrid::rowHeightTwips(int row) const { return model_->store.rowHeightTwips(row); }
void QtGrid::setColWidthTwips(int col, int twips) {
  model_->store.setColWidthTwips(col, twips);
  applyColWidth(col);
}
int QtGrid::colWidthTwips(int col) const { return model_->store.colWidthTwips(col); }

void QtGrid::setColAlignment(int col, GridAlign align) {
  model_->store.setColAlignment(col, align);
  model_->rangeChanged(1, col, rows() - 1, col);
  model_->cellChanged(0, col);
  if (col == 0) model_->everythingChanged();
}
GridAlign QtGrid::colAlignment(int col) const { return model_->store.colAlignment(col); }

void QtGrid::setColFormat(int col, GridDataType type, const QString& format) {
  model_->store.setColFormat(col, type, format);
  model_->rangeChanged(1, col, rows() - 1, col);
}
QString QtGrid::colFormat(int col) const { return model_->store.colFormat(col); }
GridDataType QtGrid::colDataType(int col) const { return model_->store.colDataType(col); }

QString QtGrid::text(int row, int col) const { return model_->store.text(row, col); }
void QtGrid::setText(int row, int col, const QString& text) {
  if (model_->store.text(row, col) == text) return;
  model_->store.setText(row, col, text);
  model_->cellChanged(row, col);
  if (row == 0 && col == 0 && corner_) corner_->update();
}
QString QtGrid::headerText(int row, int col) const { return model_->store.headerText(row, col); }

void QtGrid::select(int row, int col) {
  model_->store.select(row, col);
  const int r = model_->store.row(), c = model_->store.col();
  if (committing_) {
    // The table may not move its current cell while it closes an editor; the move
    // follows the close (or the next turn of the event loop).
    pendingCurrent_ = {r, c};
    QTimer::singleShot(0, this, [this] { applyPendingCurrent(); });
    return;
  }
  if (r >= 1 && c >= 1) {
    // Making a cell current does not scroll it into view; the user's own moves do.
    const bool scroll = hasAutoScroll();
    setAutoScroll(false);
    setCurrentIndex(model_->index(r - 1, c - 1));
    setAutoScroll(scroll);
  } else
    selectionModel()->clearCurrentIndex();
}
void QtGrid::applyPendingCurrent() {
  if (!pendingCurrent_) return;
  const auto [r, c] = *pendingCurrent_;
  pendingCurrent_.reset();
  select(r, c);
}

void QtGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // A cell the edit's handler selected wins over the editor's move to the next cell.
  if (pendingCurrent_ && (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem))
    hint = QAbstractItemDelegate::NoHint;
  const bool cancelled = hint == QAbstractItemDelegate::RevertModelCache && editor == editor_;
  const QPersistentModelIndex cell = editorIndex_;
  QTableView::closeEditor(editor, hint);
  applyPendingCurrent();
  if (cancelled && cell.isValid()) emit editCancelled(cell.row() + 1, cell.column() + 1);
}

int QtGrid::row() const { return model_->store.row(); }
int QtGrid::col() const { return model_->store.col(); }

void QtGrid::setCellForeColor(uint32_t bgr) {
  model_->store.setCellForeColor(bgr);
  model_->cellChanged(row(), col());
}
uint32_t QtGrid::cellForeColor(int row, int col) const { return model_->store.cellForeColor(row, col); }

void QtGrid::setBackColor(uint32_t bgr) {
  model_->store.setBackColor(bgr);
  applyPalette();
}
uint32_t QtGrid::backColor() const { return model_->store.backColor(); }

void QtGrid::setRangeBackColor(int row1, int col1, int row2, int col2, uint32_t bgr) {
  model_->store.setRangeBackColor(row1, col1, row2, col2, bgr);
  model_->rangeChanged(row1, col1, row2, col2);
}
void QtGrid::resetRangeBackColor(int row1, int col1, int row2, int col2) {
  model_->store.resetRangeBackColor(row1, col1, row2, col2);
  model_->rangeChanged(row1, col1, row2, col2);
}
uint32_t QtGrid::cellBackColor(int row, int col) const { return model_->store.cellBackColor(row, col); }

void QtGrid::setSelBackColor(uint32_t bgr) {
  model_->store.setSelBackColor(bgr);
  applyPalette();
}
uint32_t QtGrid::selBackColor() const { return model_->store.selBackColor(); }

void QtGrid::setEditMode(GridEditMode mode) {
  model_->store.setEditMode(mode);
  switch (mode) {
    case GridEditMode::None:
      setEditTriggers(QAbstractItemView::NoEditTriggers);
      break;
    case GridEditMode::Kbd:
      setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
      break;
    case GridEditMode::KbdMouse:
      // A click on the selected cell is handled here (clickEdit_), not by the table: the
      // table's own wait for a double click throws away the keys typed during it.
      setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                      QAbstractItemView::DoubleClicked);
      break;
  }
}
GridEditMode QtGrid::editMode() const { return model_->store.editMode(); }
void QtGrid::setColComboList(int col, const QString& list) { model_->store.setColComboList(col, list); }
QString QtGrid::colComboList(int col) const { return model_->store.colComboList(col); }
int QtGrid::comboIndex() const { return comboIndex_; }

void QtGrid::startEdit() {
  const QModelIndex i = currentIndex();
  if (i.isValid()) edit(i);
}

void QtGrid::finishEditing() {
  if (state() != QAbstractItemView::EditingState || !editor_) return;
  QWidget* editor = editor_;
  commitData(editor);
  closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void QtGrid::setRedraw(bool on) {
  if (model_->live == on) return;
  model_->live = on;
  if (on) {
    model_->everythingChanged();
    viewport()->update();
    if (corner_) corner_->update();
  }
}
bool QtGrid::redraw() const { return model_->live; }

void QtGrid::refresh() {
  viewport()->repaint();
  if (corner_) corner_->repaint();
}

void QtGrid::setBeforeEdit(std::function<bool(int, int)> hook) { beforeEdit_ = std::move(hook); }

std::pair<int, int> QtGrid::cellAt(const QPoint& viewportPos) const {
  const QModelIndex i = indexAt(viewportPos);
  if (!i.isValid()) return {-1, -1};
  return {i.row() + 1, i.column() + 1};
}

void QtGrid::mousePressEvent(QMouseEvent* event) {
  const auto [r, c] = cellAt(event->position().toPoint());
  clickEdit_->stop();
  const QModelIndex at = indexAt(event->position().toPoint());
  pressOnSelected_ = event->button() == Qt::LeftButton && at.isValid() && at == currentIndex() &&
                     selectionModel()->isSelected(at) && state() != QAbstractItemView::EditingState;
  clickEditIndex_ = at;
  const QPoint global = event->globalPosition().toPoint();
  const Qt::MouseButton button = event->button();
  QTableView::mousePressEvent(event);
  emit mouseDown(r, c, button, global);
}

void QtGrid::mouseReleaseEvent(QMouseEvent* event) {
  const auto [r, c] = cellAt(event->position().toPoint());
  const Qt::MouseButton button = event->button();
  const bool sameCell = indexAt(event->position().toPoint()) == clickEditIndex_;
  QTableView::mouseReleaseEvent(event);
  emit mouseUp(r, c, button);
  if (button == Qt::LeftButton && pressOnSelected_ && sameCell && editMode() == GridEditMode::KbdMouse &&
      state() != QAbstractItemView::EditingState)
    clickEdit_->start(QApplication::doubleClickInterval());
  pressOnSelected_ = false;
}

void QtGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  const auto [r, c] = cellAt(event->position().toPoint());
  clickEdit_->stop();
  pressOnSelected_ = false;  // the release that follows is no click on the selected cell
  emit dblClick(r, c, event->button());
  QTableView::mouseDoubleClickEvent(event);
}

void QtGrid::keyPressEvent(QKeyEvent* event) {
  // A key typed right after a click on the selected cell opens that cell's editor itself.
  clickEdit_->stop();
  QTableView::keyPressEvent(event);
}

}  // namespace k52
