#include "gui/frmHelp.h"

#include "gui/frmCustomFre.h"
#include "app/appcontext.h"
#include "core/langtexts.h"
#include "gui/qtwindowfit.h"

#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace k52 {

frmHelp::frmHelp(AppContext& ctx, QWidget* parent) : QWidget(parent, Qt::Window), ctx_(ctx) {
  setObjectName(QStringLiteral("frmHelp"));
  txtHelp_ = new QTextBrowser(this);
  txtHelp_->setObjectName(QStringLiteral("txtHelp"));
  // Links to other places of the guide stay here; links out of it go to the desktop.
  txtHelp_->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(txtHelp_);
  resize(760, 640);
}

void frmHelp::showGuide(const QString& path) {
  // The menu's "Help Topic" without its access key: "Help Topic", "帮助主题", "說明主題".
  QString title = ctx_.text(kTextHelpTopic);
  title.remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).remove(QLatin1Char('&'));
  setWindowTitle(title.trimmed());
  if (!ctx_.st.CurFont.isEmpty()) applyFontFamily(this, ctx_.st.CurFont);
  txtHelp_->setSource(QUrl::fromLocalFile(path));
  if (!isVisible()) fitToScreen(this);
  show();
  raise();
  activateWindow();
}

}  // namespace k52
