#include "gui/qtchannelactions.h"

#include "app/channelrows.h"
#include "app/configundo.h"
#include "app/chgridedit.h"
#include "app/session.h"
#include "core/channelclip.h"
#include "core/guarded.h"
#include "app/appcontext.h"
#include "core/langtexts.h"
#include "core/dialogs.h"
#include "gui/qtgrid.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMimeData>
#include <set>

namespace k52 {

QtChannelActions::QtChannelActions(AppContext& ctx, QtGrid* grid) : QObject(grid), ctx_(ctx), grid_(grid) {
  setObjectName(QStringLiteral("channelActions"));
  grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  add("mnuCut", kTextMenuCut, {QKeySequence::Cut}, &QtChannelActions::cut);
  add("mnuCopy", kTextMenuCopy, {QKeySequence::Copy}, &QtChannelActions::copy);
  add("mnuPaste", kTextMenuPaste, {QKeySequence::Paste}, &QtChannelActions::paste);
  actions_ << nullptr;
  add("mnuDelRows", kTextMenuDeleteRows, {QKeySequence::Delete}, &QtChannelActions::deleteSelected);
  add("mnuInsertRow", kTextMenuInsertRow, {QKeySequence(Qt::Key_Insert)}, &QtChannelActions::insertRow);
  add("mnuMoveUp", kTextMenuMoveUp, {QKeySequence(Qt::CTRL | Qt::Key_Up)}, nullptr);
  connect(actions_.last(), &QAction::triggered, this, [this] { moveSelected(-1); });
  add("mnuMoveDown", kTextMenuMoveDown, {QKeySequence(Qt::CTRL | Qt::Key_Down)}, nullptr);
  connect(actions_.last(), &QAction::triggered, this, [this] { moveSelected(+1); });
  add("mnuSortRx", kTextMenuSortRx, {}, nullptr);
  connect(actions_.last(), &QAction::triggered, this, [this] { sortBy(int(SortKey::RxFrequency)); });
  add("mnuSortName", kTextMenuSortName, {}, nullptr);
  connect(actions_.last(), &QAction::triggered, this, [this] { sortBy(int(SortKey::Name)); });
  actions_ << nullptr;
  add("mnuSelectAll", kTextMenuSelectAll, {QKeySequence::SelectAll}, nullptr);
  connect(actions_.last(), &QAction::triggered, grid_, &QAbstractItemView::selectAll);
  setCaptions();
}

QAction* QtChannelActions::add(const char* name, int text, const QList<QKeySequence>& keys,
                               void (QtChannelActions::*fn)()) {
  auto* a = new QAction(this);
  a->setObjectName(QString::fromLatin1(name));
  a->setData(text);
  a->setShortcuts(keys);
  // The keys belong to the grid: elsewhere (a text box) Ctrl+C and Delete keep their own meaning.
  a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  grid_->addAction(a);
  if (fn) connect(a, &QAction::triggered, this, fn);
  actions_ << a;
  return a;
}

QAction* QtChannelActions::action(const QString& name) const {
  for (QAction* a : actions_)
    if (a && a->objectName() == name) return a;
  return nullptr;
}

void QtChannelActions::setCaptions() {
  for (QAction* a : actions_)
    if (a) a->setText(ctx_.text(a->data().toInt()));
}

bool QtChannelActions::locked() const { return chInterfaceLocked(ctx_); }

std::vector<int> QtChannelActions::selectedRows() const {
  std::set<int> rows;
  for (const QModelIndex& i : grid_->selectionModel()->selectedIndexes()) rows.insert(i.row() + 1);
  if (rows.empty() && grid_->row() >= 1) rows.insert(grid_->row());
  return {rows.begin(), rows.end()};
}

void QtChannelActions::selectRows(const std::vector<int>& rows) {
  QItemSelection sel;
  const int last = grid_->model()->columnCount() - 1;
  for (const int r : rows) sel.select(grid_->model()->index(r - 1, 0), grid_->model()->index(r - 1, last));
  if (rows.empty()) return;
  grid_->selectionModel()->setCurrentIndex(grid_->model()->index(rows.front() - 1, 0), QItemSelectionModel::NoUpdate);
  grid_->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
}

void QtChannelActions::copy() {
  guarded(ctx_.log, "frmSysSet->ChannelCopy", [&] {
    const auto channels = channelsOfRows(ctx_, selectedRows());
    if (channels.empty()) return;
    auto* data = new QMimeData;
    data->setText(channelRowsText(channels, Session(ctx_).csvRules(), QLatin1Char('\t'), QStringLiteral("\n")));
    data->setData(QString::fromLatin1(kChannelMimeType), channelsToOwnText(channels).toUtf8());
    QGuiApplication::clipboard()->setMimeData(data);
  });
}

void QtChannelActions::cut() {
  if (locked()) return;
  copy();
  guarded(ctx_.log, "frmSysSet->ChannelCut", [&] { deleteRows(ctx_, selectedRows()); });
  ctx_.views->configurationEdited(menuText(ctx_.text(kTextMenuCut)));
}

void QtChannelActions::paste() {
  if (locked()) return;
  guarded(ctx_.log, "frmSysSet->ChannelPaste", [&] {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return;
    const std::vector<int> sel = selectedRows();
    if (sel.empty()) return;
    std::vector<std::pair<int, Channel>> channels;
    QStringList refused;
    if (data->hasFormat(QString::fromLatin1(kChannelMimeType))) {
      channels = channelsFromOwnText(QString::fromUtf8(data->data(QString::fromLatin1(kChannelMimeType))));
    } else {
      // Rows of text, a spreadsheet's among them: rows numbered in order where they give no number.
      const std::vector<CsvRow> rows = readChannelRows(data->text(), Session(ctx_).csvRules(), QLatin1Char('\t'));
      int next = 1;
      for (const CsvRow& r : rows) {
        const int number = r.report.location > 0 ? r.report.location : next;
        next = number + 1;
        for (const CsvRowIssue& i : r.report.issues) {
          const bool name = i.issue == CsvIssue::NameCharsDropped || i.issue == CsvIssue::NameCut;
          refused << ctx_.text(name ? kTextRowNameChars : kTextRowValueRefused).arg(number).arg(i.column, i.value);
        }
        if (r.channel) channels.emplace_back(number, *r.channel);
      }
    }
    if (channels.empty() && refused.isEmpty()) return;
    // Rows that would fall past the last channel are refused too.
    std::vector<int> mem = memoryRows(ctx_);
    const auto start = std::find(mem.begin(), mem.end(), sel.front());
    if (!channels.empty()) {
      const auto room = static_cast<int64_t>(mem.end() - start);
      for (const auto& [number, ch] : channels)
        if (number - channels.front().first >= room) refused << ctx_.text(kTextRowNoChannel).arg(number);
    }
    if (!refused.isEmpty() &&
        ctx_.dialogs.messageBox(ctx_.text(kTextPasteRefused).arg(refused.join(QLatin1Char('\n'))), MsgButtons::YesNo,
                                MsgIcon::Question, ctx_.text(kTextNotice)) != MsgAnswer::Yes)
      return;
    std::vector<int> written;
    pasteChannels(ctx_, sel.front(), channels, written);
    selectRows(written);
  });
  ctx_.views->configurationEdited(menuText(ctx_.text(kTextMenuPaste)));
}

void QtChannelActions::deleteSelected() {
  if (locked()) return;
  guarded(ctx_.log, "frmSysSet->ChannelDeleteRows", [&] { deleteRows(ctx_, selectedRows()); });
  ctx_.views->configurationEdited(menuText(ctx_.text(kTextMenuDeleteRows)));
}

void QtChannelActions::insertRow() {
  if (locked()) return;
  guarded(ctx_.log, "frmSysSet->ChannelInsertRow", [&] {
    const std::vector<int> sel = selectedRows();
    if (!sel.empty() && insertEmptyRow(ctx_, sel.front())) selectRows({sel.front()});
  });
  ctx_.views->configurationEdited(menuText(ctx_.text(kTextMenuInsertRow)));
}

void QtChannelActions::moveSelected(int delta) {
  if (locked()) return;
  guarded(ctx_.log, "frmSysSet->ChannelMoveRows", [&] { selectRows(moveRows(ctx_, selectedRows(), delta)); });
  ctx_.views->configurationEdited(menuText(ctx_.text(delta < 0 ? kTextMenuMoveUp : kTextMenuMoveDown)));
}

void QtChannelActions::sortBy(int key) {
  if (locked()) return;
  guarded(ctx_.log, "frmSysSet->ChannelSort", [&] { sortChannels(ctx_, static_cast<SortKey>(key)); });
  ctx_.views->configurationEdited(
      menuText(ctx_.text(static_cast<SortKey>(key) == SortKey::Name ? kTextMenuSortName : kTextMenuSortRx)));
}

}  // namespace k52
