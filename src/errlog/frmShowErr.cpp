#include "errlog/frmShowErr.h"

#include "errlog/errorlog.h"

#include <QCloseEvent>
#include <QListWidget>

namespace k52 {

frmShowErr::frmShowErr(ErrorLog& log, QWidget* parent) : QDockWidget(QStringLiteral("Notice"), parent), log_(log) {
  setObjectName(QStringLiteral("frmShowErr"));
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("listShowErr"));
  setWidget(list_);
  for (const QString& line : log.lines()) list_->addItem(line);
  connect(&log, &ErrorLog::opened, this, [this] {
    list_->clear();
    show();
    raise();
  });
  connect(&log, &ErrorLog::lineInserted, this, [this](int pos, const QString& text) { list_->insertItem(pos, text); });
  connect(&log, &ErrorLog::lineSelected, this, [this](int pos) {
    list_->setCurrentRow(pos);
    list_->scrollToItem(list_->item(pos));
  });
  connect(&log, &ErrorLog::cleared, list_, &QListWidget::clear);
  setVisible(log.isOpen());
}

void frmShowErr::closeEvent(QCloseEvent* event) {
  QDockWidget::closeEvent(event);
  if (event->isAccepted()) log_.windowClosed();
}

}  // namespace k52
