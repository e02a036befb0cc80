#include "gui/frmRadioInfo.h"

#include "app/appcontext.h"
#include "core/langtexts.h"

#include <QLabel>

namespace k52 {

frmRadioInfo::frmRadioInfo(AppContext& ctx, QWidget* parent) : QMdiSubWindow(parent) {
  setObjectName(QStringLiteral("frmRadioInfo"));
  setWindowTitle(ctx.text(kTextRadioInformation));  // "Radio Information", the node that opens it
  lblDebug_ = new QLabel(this);
  lblDebug_->setObjectName(QStringLiteral("lblDebug"));
  lblDebug_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setWidget(lblDebug_);
}

}  // namespace k52
