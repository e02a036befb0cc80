#include "gui/frmChMem.h"

#include "app/appcontext.h"
#include "core/langtexts.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace k52 {

frmChMem::frmChMem(AppContext& ctx, QWidget* parent) : QMdiSubWindow(parent) {
  setObjectName(QStringLiteral("frmChMem"));
  setWindowTitle(ctx.text(kTextChannelInformation));  // "Channel Information", the node that opens it
  auto* body = new QWidget(this);
  cmdPrintChannel_ = new QPushButton(ctx.text(kTextPrint), body);  // "Print"
  cmdPrintChannel_->setObjectName(QStringLiteral("cmdPrintChannel"));
  cmdPrintChannel_->setEnabled(false);
  auto* layout = new QVBoxLayout(body);
  layout->addWidget(cmdPrintChannel_, 0, Qt::AlignLeft | Qt::AlignTop);
  layout->addStretch(1);
  setWidget(body);
}

}  // namespace k52
