#include "gui/frmShowErr.h"

#include "core/errorlog.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QTimer>

namespace k52 {

frmShowErr::frmShowErr(ErrorLog& log, QWidget* parent) : QDockWidget(QStringLiteral("Notice"), parent), log_(log) {
  setObjectName(QStringLiteral("frmShowErr"));
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("listShowErr"));
  // Every line is one line of text: the list need not measure each item to lay them out.
  list_->setUniformItemSizes(true);
  setWidget(list_);
  list_->addItems(log.lines());
  // Selecting a line lays out the whole list to scroll to it. A burst of entries (a failing
  // loop logs thousands) selects once, the newest line, when the events next run.
  auto* select = new QTimer(this);
  select->setSingleShot(true);
  select->setInterval(0);
  connect(select, &QTimer::timeout, this, [this] {
    if (selected_ < 0 || selected_ >= list_->count()) return;
    list_->setCurrentRow(selected_);
    list_->scrollToItem(list_->item(selected_));
  });
  connect(&log, &ErrorLog::opened, this, [this] {
    list_->clear();
    show();
    raise();
  });
  connect(&log, &ErrorLog::lineInserted, this, [this](int pos, const QString& text) { list_->insertItem(pos, text); });
  connect(&log, &ErrorLog::lineSelected, this, [this, select](int pos) {
    selected_ = pos;
    select->start();
  });
  connect(&log, &ErrorLog::cleared, list_, &QListWidget::clear);
  setVisible(log.isOpen());
}

void frmShowErr::closeEvent(QCloseEvent* event) {
  QDockWidget::closeEvent(event);
  if (event->isAccepted()) log_.windowClosed();
}

}  // namespace k52
