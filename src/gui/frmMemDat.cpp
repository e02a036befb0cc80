#include "gui/frmMemDat.h"

#include "gui/frmPartFill.h"
#include "app/memdat.h"
#include "gui/frmCustomFre.h"
#include "core/guarded.h"
#include "app/appcontext.h"
#include "gui/qtgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

namespace k52 {

namespace {

// An editor is open on a cell of the grid: it has the focus.
bool editing(const QtGrid* grid) {
  const QWidget* focus = QApplication::focusWidget();
  return focus && focus != grid && grid->isAncestorOf(focus);
}

}  // namespace

frmMemDat::frmMemDat(AppContext& ctx, QWidget* parent) : QMdiSubWindow(parent), ctx_(ctx) {
  setObjectName(QStringLiteral("frmMemDat"));
  setWindowTitle(QStringLiteral("Memory Data"));
  auto* body = new QWidget(this);

  grid_ = new QtGrid(body);
  grid_->setObjectName(QStringLiteral("vsfgGridMemDat"));
  grid_->viewport()->setMouseTracking(true);
  grid_->viewport()->installEventFilter(this);

  fraMemData_ = new QGroupBox(body);
  fraMemData_->setObjectName(QStringLiteral("fraMemData"));
  auto button = [this](const char* name, const char* text) {
    auto* b = new QPushButton(QString::fromLatin1(text), fraMemData_);
    b->setObjectName(QString::fromLatin1(name));
    return b;
  };
  cmdFillGrid_ = button("cmdFillGrid", "Fill Grid");
  cmdSetDefCol_ = button("cmdSetDefCol", "Default Colour");
  cmdPartFill_ = button("cmdPartFill", "Part Fill");
  chkTimerFillGrid_ = new QCheckBox(QStringLiteral("Fill Every Second"), fraMemData_);
  chkTimerFillGrid_->setObjectName(QStringLiteral("chkTimerFillGrid"));
  auto* buttons = new QHBoxLayout(fraMemData_);
  for (QWidget* w : std::initializer_list<QWidget*>{cmdFillGrid_, cmdSetDefCol_, cmdPartFill_, chkTimerFillGrid_})
    buttons->addWidget(w);
  buttons->addStretch(1);

  tmrTimerFillGrid_ = new QTimer(this);
  tmrTimerFillGrid_->setObjectName(QStringLiteral("tmrTimerFillGrid"));
  tmrTimerFillGrid_->setInterval(1000);

  auto* layout = new QVBoxLayout(body);
  layout->addWidget(grid_, 1);
  layout->addWidget(fraMemData_);
  setWidget(body);

  connect(cmdFillGrid_, &QPushButton::clicked, this, &frmMemDat::cmdFillGrid_Click);
  connect(cmdSetDefCol_, &QPushButton::clicked, this, &frmMemDat::cmdSetDefCol_Click);
  connect(cmdPartFill_, &QPushButton::clicked, this, &frmMemDat::cmdPartFill_Click);
  connect(chkTimerFillGrid_, &QCheckBox::clicked, this, &frmMemDat::chkTimerFillGrid_Click);
  connect(tmrTimerFillGrid_, &QTimer::timeout, this, &frmMemDat::tmrTimerFillGrid_Timer);
  connect(grid_, &QtGrid::afterEdit, this, &frmMemDat::vsfgGridMemDat_AfterEdit);
  // A fill while an editor is open waits for its end.
  connect(grid_, &QtGrid::editCancelled, this, [this] { QTimer::singleShot(0, this, &frmMemDat::fillIfStale); });
  applyFontFamily(fraMemData_, ctx_.st.CurFont);
}

frmMemDat::~frmMemDat() = default;

void frmMemDat::SetGridMemDat() {
  k52::SetGridMemDat(ctx_, *grid_);
  // The address column widens where the screen's font needs more than its 620 twips.
  const QHeaderView* rowHeads = grid_->verticalHeader();
  const int margin = 2 * rowHeads->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, rowHeads) + 4;
  const int need = rowHeads->fontMetrics().horizontalAdvance(QStringLiteral("0000H")) + margin;
  if (grid_->twipsToPixelsX(grid_->colWidthTwips(0)) < need)
    grid_->setColWidthTwips(0, (need * 1440 + grid_->logicalDpiX() - 1) / grid_->logicalDpiX());
  // Wide enough for the address column and the sixteen bytes.
  const int width = grid_->verticalHeader()->width() + grid_->horizontalHeader()->length() +
                    grid_->verticalScrollBar()->sizeHint().width() + 2 * grid_->frameWidth();
  grid_->setMinimumWidth(width);
  resize(width + 40, grid_->twipsToPixelsY(270) * 24);
}

void frmMemDat::TableFreDat() {
  stale_ = false;
  const std::vector<int> marked = k52::TableFreDat(ctx_, *grid_);
  if (!marked.empty())
    grid_->scrollTo(grid_->model()->index(memDatRow(marked.back()) - 1, memDatCol(marked.back()) - 1));
}

void frmMemDat::cmdFillGrid_Click() {
  prepareImageForViewer(ctx_, PendingEdit::Finish);
  TableFreDat();
}

void frmMemDat::imageReplaced() {
  stale_ = true;
  QTimer::singleShot(0, this, &frmMemDat::fillIfStale);
}

void frmMemDat::fillIfStale() {
  if (stale_ && !editing(grid_)) TableFreDat();
}

void frmMemDat::cmdSetDefCol_Click() { SetDefCol(*grid_); }

void frmMemDat::cmdPartFill_Click() { partFill().exec(); }

frmPartFill& frmMemDat::partFill() {
  if (!partFill_) partFill_ = new frmPartFill(ctx_, *grid_, this);
  return *partFill_;
}

void frmMemDat::chkTimerFillGrid_Click() {
  if (chkTimerFillGrid_->isChecked() && isVisible())
    tmrTimerFillGrid_->start();
  else
    tmrTimerFillGrid_->stop();
}

void frmMemDat::tmrTimerFillGrid_Timer() {
  guarded(ctx_.log, "frmMemDat->tmrTimerFillGrid_Timer", [&] {
    if (!isVisible()) {
      tmrTimerFillGrid_->stop();
      return;
    }
    // A fill moves the current cell for its marking, which would end an edit in progress:
    // the tick waits until the user has left the cell.
    if (editing(grid_)) return;
    // Unlike the button, the tick takes nothing from an edit elsewhere (a grid cell, the
    // power-on message): it encodes what the tables hold and leaves the focus where it is.
    prepareImageForViewer(ctx_, PendingEdit::Leave);
    TableFreDat();
  });
}

void frmMemDat::showEvent(QShowEvent* event) {
  QMdiSubWindow::showEvent(event);
  if (chkTimerFillGrid_->isChecked()) tmrTimerFillGrid_->start();
  fillIfStale();
}

void frmMemDat::hideEvent(QHideEvent* event) {
  tmrTimerFillGrid_->stop();
  QMdiSubWindow::hideEvent(event);
}

void frmMemDat::vsfgGridMemDat_MouseMove(int row, int col, const QPoint& globalPos) {
  const QString tip = CellTipHint(ctx_, *grid_, row, col);
  grid_->setToolTip(tip);
  if (QToolTip::isVisible()) {
    if (tip.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(globalPos, tip, grid_->viewport());
  }
}

QString frmMemDat::gridToolTip() const { return grid_->toolTip(); }

void frmMemDat::vsfgGridMemDat_AfterEdit(int row, int col) {
  GridDataTemp(ctx_, *grid_, row, col);
  QTimer::singleShot(0, this, &frmMemDat::fillIfStale);
}

bool frmMemDat::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_->viewport()) {
    if (event->type() == QEvent::MouseMove && !editing(grid_)) {
      auto* e = static_cast<QMouseEvent*>(event);
      const auto [row, col] = grid_->cellAt(e->position().toPoint());
      vsfgGridMemDat_MouseMove(row, col, e->globalPosition().toPoint());
    } else if (event->type() == QEvent::ToolTip) {
      // The grid's own tooltip, not the (empty) one of the cell's item.
      auto* e = static_cast<QHelpEvent*>(event);
      if (grid_->toolTip().isEmpty())
        QToolTip::hideText();
      else
        QToolTip::showText(e->globalPos(), grid_->toolTip(), grid_->viewport());
      return true;
    }
  }
  return QMdiSubWindow::eventFilter(watched, event);
}

void frmMemDat::closeEvent(QCloseEvent* event) {
  const bool closing = ctx_.st.AppExiting == 1;
  guarded(ctx_.log, "frmMemDat->Form_QueryUnload", [&] {
    if (!closing) hide();
  });
  if (closing)
    QMdiSubWindow::closeEvent(event);
  else
    event->ignore();
}

}  // namespace k52
