#include "shell/mdifrmMain.h"

#include "comm/frmToolCom.h"
#include "editor/frmSysSet.h"
#include "errlog/frmShowErr.h"
#include "shell/startup.h"
#include "ui/dialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

namespace k52 {

int twipsToPixels(int twips, const QWidget* widget) {
  const QScreen* screen = widget && widget->screen() ? widget->screen() : nullptr;
  const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
  return static_cast<int>(twips * dpi / 1440.0 + 0.5);
}

mdifrmMain::mdifrmMain(AppContext& ctx, QWidget* parent) : QMainWindow(parent), ctx_(ctx) {
  setObjectName(QStringLiteral("mdifrmMain"));
  ctx_.views = this;
  mdi_ = new QMdiArea(this);
  mdi_->setObjectName(QStringLiteral("mdiArea"));
  mdi_->setBackground(QColor(0x80, 0x80, 0x80));
  setCentralWidget(mdi_);
  err_ = new frmShowErr(ctx_.log, this);
  addDockWidget(Qt::BottomDockWidgetArea, err_);
  buildMenus();
  buildStatusBar();
  setWindowTitle(QStringLiteral("K52"));
  resize(1024, 720);

  // The start-up work runs once, 10 ms after the window has been shown and painted.
  tmrInitMultiFrm_ = new QTimer(this);
  tmrInitMultiFrm_->setObjectName(QStringLiteral("tmrInitMultiFrm"));
  tmrInitMultiFrm_->setSingleShot(true);
  tmrInitMultiFrm_->setInterval(10);
  connect(tmrInitMultiFrm_, &QTimer::timeout, this, &mdifrmMain::runStartup);
  tmrInitMultiFrm_->start();
}

mdifrmMain::~mdifrmMain() {
  if (ctx_.views == this) ctx_.views = nullptr;
}

void mdifrmMain::runStartup() {
  tmrInitMultiFrm_->stop();
  InitMultiFrm(ctx_);
  started_ = true;
  emit startupFinished();
}

void mdifrmMain::buildMenus() {
  QMenu* set = menuBar()->addMenu(QStringLiteral("&Settings"));
  set->setObjectName(QStringLiteral("mnuSet"));
  QMenu* lang = set->addMenu(QStringLiteral("&Language Settings"));
  lang->setObjectName(QStringLiteral("mnuLangSetting"));
  auto* group = new QActionGroup(this);
  group->setExclusive(true);
  const char* names[3] = {"mnuLangSel0", "mnuLangSel1", "mnuLangSel2"};
  const char* captions[3] = {"中文简体(&C)", "中文繁體(&T)", "&English"};
  for (int i = 0; i < 3; ++i) {
    mnuLangSel_[i] = new QAction(QString::fromUtf8(captions[i]), this);
    mnuLangSel_[i]->setObjectName(QString::fromLatin1(names[i]));
    mnuLangSel_[i]->setCheckable(true);
    group->addAction(mnuLangSel_[i]);
  }
  // Menu order: Simplified, English, Traditional.
  lang->addAction(mnuLangSel_[0]);
  lang->addAction(mnuLangSel_[2]);
  lang->addAction(mnuLangSel_[1]);
}

void mdifrmMain::buildStatusBar() {
  const char* keys[3] = {"statusNotice", "statusCom", "statusAddress"};
  const int widths[3] = {3175, 1058, 14464};
  for (int i = 0; i < 3; ++i) {
    panels_[i] = new QLabel(this);
    panels_[i]->setObjectName(QString::fromLatin1(keys[i]));
    panels_[i]->setMinimumWidth(twipsToPixels(widths[i], this));
    statusBar()->addWidget(panels_[i], i == 2 ? 1 : 0);
  }
}

QString mdifrmMain::statusPanelText(int panel) const {
  return panel >= 1 && panel <= 3 ? panels_[panel - 1]->text() : QString();
}

void mdifrmMain::closeMainWindow() { close(); }

void mdifrmMain::checkLanguageItem(int16_t lang) {
  // mnuLangSel0 is language 1, mnuLangSel1 language 2, mnuLangSel2 language 3.
  for (int i = 0; i < 3; ++i) mnuLangSel_[i]->setChecked(i + 1 == lang);
}

void mdifrmMain::setStatusNotice(const QString& text) { panels_[0]->setText(text); }
void mdifrmMain::setStatusCom(const QString& text) { panels_[1]->setText(text); }
void mdifrmMain::setStatusFile(const QString& text) { panels_[2]->setText(text); }

void mdifrmMain::setSoftFace() {
  if (!ctx_.text(16).isEmpty()) setWindowTitle(ctx_.text(16));
  setStatusNotice(ctx_.text(94));
  setStatusCom(QStringLiteral("COM") + QString::number(ctx_.st.ComNo));
  setStatusFile(ctx_.text(85) + ctx_.st.CurDataFile);
}

void mdifrmMain::loadSettingsWindow() {
  if (sysSet_) return;  // loaded once, then only hidden and shown
  sysSet_ = new frmSysSet(ctx_);
  mdi_->addSubWindow(sysSet_);
  ctx_.setGridCh(&sysSet_->gridCh());
  sysSet_->Form_Load();
  sysSet_->showMaximized();
}

void mdifrmMain::showToolCom() { k52::showToolCom(ctx_, this); }

void mdifrmMain::closeEvent(QCloseEvent* event) {
  if (!ctx_.st.InstallPass && ctx_.st.AppExiting != 1) {
    const MsgAnswer a = ctx_.dialogs.messageBox(ctx_.text(73), MsgButtons::YesNo, MsgIcon::Question, ctx_.text(70));
    if (a != MsgAnswer::Yes) {
      event->ignore();
      return;
    }
  }
  ctx_.st.AppExiting = 1;
  event->accept();
}

}  // namespace k52
