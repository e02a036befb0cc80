#include "gui/mdifrmMain.h"

#include "app/session.h"
#include "gui/frmCommun.h"
#include "gui/frmMemDat.h"
#include "gui/frmToolCom.h"
#include "app/comports.h"
#include "gui/frmSysSet.h"
#include "gui/frmSysSetOptions.h"
#include "core/guarded.h"
#include "gui/frmShowErr.h"
#include "app/chgrid.h"
#include "core/langtexts.h"
#include "gui/qtchlock.h"
#include "gui/qttranslations.h"
#include "app/startup.h"
#include "core/dialogs.h"
#include "gui/qtwindowfit.h"
#include "gui/qtcompare.h"
#include "gui/frmManyRadios.h"
#include "app/configundo.h"
#include "gui/qtchgridedit.h"
#include "gui/qtchannelactions.h"
#include "app/printedchannels.h"
#include "core/recentfiles.h"

#include <QAction>
#include <QApplication>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUndoStack>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

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
  // A document window larger than the area is reached by scrolling.
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  err_ = new frmShowErr(ctx_.log, this);
  undo_ = new ConfigUndo(ctx_, this);
  addDockWidget(Qt::BottomDockWidgetArea, err_);
  buildMenus();
  buildStatusBar();
  chLock_ = new QtChLock(ctx_, actions_.value(QStringLiteral("mnuChLock")), panels_[0], this);
  // No menu of the window's own (the toolbar's and the dock's toggles): a right click
  // on the menu bar or the toolbar could otherwise hide them for good.
  setContextMenuPolicy(Qt::PreventContextMenu);
  setWindowTitle(QStringLiteral("K52"));
  // 1024 x 720, or the screen's free area where that is smaller.
  fitToScreen(this, QSize(1024, 720));

  // The start-up work runs once, 10 ms after the window has been shown and painted.
  tmrInitMultiFrm_ = new QTimer(this);
  tmrInitMultiFrm_->setObjectName(QStringLiteral("tmrInitMultiFrm"));
  tmrInitMultiFrm_->setSingleShot(true);
  tmrInitMultiFrm_->setInterval(10);
  connect(tmrInitMultiFrm_, &QTimer::timeout, this, &mdifrmMain::runStartup);
  tmrInitMultiFrm_->start();
}

mdifrmMain::~mdifrmMain() {
  // The history goes with the window; its stack's last signals find no title to show.
  undo_->stack()->disconnect(this);
  undo_->disconnect(this);
  if (ctx_.views == this) ctx_.views = nullptr;
}

void mdifrmMain::runStartup() {
  tmrInitMultiFrm_->stop();
  InitMultiFrm(ctx_);
  started_ = true;
  emit startupFinished();
}

namespace {

// The menu tree: every item with its caption (a language text, or a fixed text where
// the number is -1), its shortcut and whether it is shown. Hidden items exist but are
// never displayed.
struct MenuRow {
  int depth;  // 0 top-level menu, 1 item, 2 item of a sub-menu
  const char* name;
  int text;
  const char* fixedText;
  const char* shortcut;
  bool shown;
  bool submenu;
};

constexpr MenuRow kMenuTree[] = {
    {0, "mnuFile", 20, nullptr, nullptr, true, true},
    {1, "mnuFileNew", 21, nullptr, "Ctrl+N", true, false},
    {1, "mnuFileOpen", 22, nullptr, "Ctrl+O", true, false},
    {1, "mnuFileRecent", 340, nullptr, nullptr, true, true},
    {1, "mnuFileSave", 23, nullptr, "Ctrl+S", true, false},
    {1, "mnuFileSaveAs", 24, nullptr, nullptr, true, false},
    {1, "mnuFileCompare", 320, nullptr, nullptr, true, false},
    {1, "sepCsv", -1, nullptr, nullptr, true, false},
    {1, "mnuFileImportCsv", 262, nullptr, nullptr, true, false},
    {1, "mnuFileExportCsv", 263, nullptr, nullptr, true, false},
    {1, "sepPrintFile", -1, nullptr, nullptr, true, false},
    {1, "mnuPrintFile", 43, nullptr, "Ctrl+P", true, false},
    {1, "ListSeparator5", -1, nullptr, nullptr, true, false},
    {1, "mnuExit", 25, nullptr, nullptr, true, false},
    {0, "mnuEdit", 280, nullptr, nullptr, true, true},
    {1, "mnuUndo", 281, nullptr, "Ctrl+Z", true, false},
    {1, "mnuRedo", 282, nullptr, "Ctrl+Y", true, false},
    {0, "mnuProgram", 26, nullptr, nullptr, true, true},
    {1, "mnuReadFre", 27, nullptr, "Ctrl+R", true, false},
    {1, "mnuWriteFre", 28, nullptr, "Ctrl+W", true, false},
    {1, "mnuCompareRadio", 321, nullptr, nullptr, true, false},
    {1, "sepManyRadios", -1, nullptr, nullptr, true, false},
    {1, "mnuManyRadios", 343, nullptr, nullptr, true, false},
    {1, "sepBatchRw", -1, nullptr, nullptr, false, false},
    {1, "mnuReadWriteFre", 48, nullptr, "F2", false, false},
    {1, "sepAddFre", -1, nullptr, nullptr, false, false},
    {1, "mnuAddFre", 44, nullptr, "F7", false, false},
    {1, "sepTestMode", -1, nullptr, nullptr, false, false},
    {1, "mnuTestMode", 40, nullptr, "Ctrl+T", false, false},
    {1, "mnuTestFre", 41, nullptr, nullptr, false, false},
    {1, "sepBatchTestVal", -1, nullptr, nullptr, false, false},
    {1, "mnuBatchTestVal", 42, nullptr, "Ctrl+B", false, false},
    {0, "mnuOption", 29, nullptr, nullptr, false, true},
    {1, "mnuModel", 39, nullptr, "Ctrl+M", false, false},
    {1, "sepOptFunc", -1, nullptr, nullptr, false, false},
    {1, "mnuFunc", 30, nullptr, "Ctrl+F", false, false},
    {1, "sepOptOthers", -1, nullptr, nullptr, true, false},
    {1, "mnuDtmf", 45, nullptr, nullptr, true, false},
    {1, "mnuKeySet", 46, nullptr, nullptr, true, false},
    {1, "sepMcuVer", -1, nullptr, nullptr, false, false},
    {1, "mnuMcuVer", 49, nullptr, nullptr, false, false},
    {1, "sepLockCh", -1, nullptr, nullptr, false, false},
    {1, "mnuChLock", 47, nullptr, "Ctrl+L", true, false},
    {0, "mnuSet", 31, nullptr, nullptr, true, true},
    {1, "mnuCommunicate", 32, nullptr, nullptr, true, false},
    {1, "ListSeparator15", -1, nullptr, nullptr, true, false},
    {1, "mnuLangSetting", 33, nullptr, nullptr, true, true},
    {2, "mnuLangSel0", 34, nullptr, nullptr, true, false},
    {2, "mnuLangSel2", 35, nullptr, nullptr, true, false},
    {2, "mnuLangSel1", 57, nullptr, nullptr, true, false},
    {0, "mnuView", -1, "视图(&V)", nullptr, false, true},
    {1, "mnuTreeView", -1, "树视图(&R)", nullptr, true, false},
    {1, "mnuShowErr", -1, "提示", nullptr, true, false},
    {0, "mnuWindow", -1, "窗口(&W)", nullptr, false, true},
    {1, "mnuWindowItem", -1, "", nullptr, true, false},
    {0, "mnuHelp", 36, nullptr, nullptr, true, true},
    {1, "mnuHelpTopic", 37, nullptr, "F1", false, false},
    {1, "sepHelpTopic", -1, nullptr, nullptr, false, false},
    {1, "mnuAboutSoft", 38, nullptr, nullptr, true, false},
};

bool isSeparatorRow(const MenuRow& r) { return r.text < 0 && !r.fixedText; }

// The toolbar: sixteen buttons, separators at 1, 3, 6, 9, 11, 13 and 15; the command of
// a button is chosen by its key.
struct ToolButton {
  const char* key;
  int text;
};
constexpr ToolButton kToolbar[16] = {
    {nullptr, -1}, {"FileNew", 0}, {nullptr, -1}, {"FileOpen", 1}, {"FileSave", 2}, {nullptr, -1},
    {"Read", 3},   {"Write", 4},  {nullptr, -1}, {"Com", 5},      {nullptr, -1},   {"Print", 8},
    {nullptr, -1}, {"Help", 6},   {nullptr, -1}, {"Exit", 7},
};

}  // namespace

void mdifrmMain::buildMenus() {
  QMenu* menus[3] = {};
  for (const MenuRow& r : kMenuTree) {
    const QString name = QString::fromLatin1(r.name);
    const QString fixed = r.fixedText ? QString::fromUtf8(r.fixedText) : QString();
    if (r.submenu) {
      QMenu* m = r.depth == 0 ? menuBar()->addMenu(fixed) : menus[r.depth - 1]->addMenu(fixed);
      m->setObjectName(name);
      m->menuAction()->setObjectName(name + QStringLiteral("Action"));
      m->menuAction()->setVisible(r.shown);
      menus[r.depth] = m;
      if (r.text >= 0) captions_.push_back({m->menuAction(), r.text});
      continue;
    }
    QMenu* parent = menus[r.depth - 1];
    QAction* a = isSeparatorRow(r) ? parent->addSeparator() : parent->addAction(fixed);
    a->setObjectName(name);
    a->setVisible(r.shown);
    if (r.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(r.shortcut)));
    if (r.text >= 0) captions_.push_back({a, r.text});
    actions_.insert(name, a);
  }

  auto* langGroup = new QActionGroup(this);
  langGroup->setExclusive(true);
  const char* langItems[3] = {"mnuLangSel0", "mnuLangSel1", "mnuLangSel2"};
  for (int i = 0; i < 3; ++i) {
    mnuLangSel_[i] = actions_.value(QString::fromLatin1(langItems[i]));
    mnuLangSel_[i]->setCheckable(true);
    langGroup->addAction(mnuLangSel_[i]);
    connect(mnuLangSel_[i], &QAction::triggered, this, [this, i] { languageCommand(static_cast<int16_t>(kLangSimplifiedChinese + i)); });
  }
  actions_.value(QStringLiteral("mnuChLock"))->setCheckable(true);

  auto on = [this](const char* item, auto&& fn) {
    connect(actions_.value(QString::fromLatin1(item)), &QAction::triggered, this, fn);
  };
  on("mnuFileNew", [this] { NewFile(ctx_); });
  on("mnuFileOpen", [this] { OpenFile(ctx_); });
  on("mnuFileSave", [this] { SaveFile(ctx_); });
  on("mnuFileSaveAs", [this] { SaveAsFile(ctx_); });
  on("mnuFileCompare", [this] { compareWithFile(ctx_, this); });
  on("mnuCompareRadio", [this] { compareWithRadio(ctx_, this); });
  on("mnuManyRadios", [this] { showManyRadios(ctx_, this); });
  on("mnuFileImportCsv", [this] { ImportCsv(ctx_); });
  on("mnuFileExportCsv", [this] { ExportCsv(ctx_); });
  on("mnuPrintFile", [this] { mnuPrintFile_Click(); });
  // The recent files are read again each time the File menu opens.
  recentMenu_ = findChild<QMenu*>(QStringLiteral("mnuFileRecent"));
  connect(findChild<QMenu*>(QStringLiteral("mnuFile")), &QMenu::aboutToShow, this, &mdifrmMain::showRecentFiles);
  showRecentFiles();
  on("mnuExit", [this] { ExitSoft(true); });
  on("mnuShowErr", [this] { mnuShowErr_Click(); });
  on("mnuTreeView", [this] { mnuTreeView_Click(); });
  on("mnuAboutSoft", [this] { mnuAboutSoft_Click(); });
  on("mnuHelpTopic", [this] { Help(); });
  on("mnuReadFre", [this] { showCommun(ctx_, this, ComDirChoice::Read); });
  on("mnuWriteFre", [this] { showCommun(ctx_, this, ComDirChoice::Write); });
  on("mnuReadWriteFre", [this] { showCommun(ctx_, this, ComDirChoice::Keep); });
  on("mnuCommunicate", [this] { ChoosePort(ctx_); });
  // Undo and redo: what is still being typed is stored first, as a step of its own.
  actions_.value(QStringLiteral("mnuRedo"))->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
  on("mnuUndo", [this] {
    commitPendingEdits();
    undo_->stack()->undo();
  });
  on("mnuRedo", [this] {
    commitPendingEdits();
    undo_->stack()->redo();
  });
  connect(undo_, &ConfigUndo::changed, this, [this] { showEditState(); });
  // The stack moves its index after a step's undo or redo has run.
  connect(undo_->stack(), &QUndoStack::indexChanged, this, [this] { showEditState(); });
  // Test mode (expanded communication window, memory viewer) on and off.
  auto* testMode = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+T")), this);
  testMode->setObjectName(QStringLiteral("scTestMode"));
  connect(testMode, &QShortcut::activated, this, [this] { toggleTestMode(ctx_, *this); });
  // F1 opens the guide as users expect, although its menu item is not shown.
  auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
  helpKey->setObjectName(QStringLiteral("scHelp"));
  connect(helpKey, &QShortcut::activated, this, [this] { Help(); });

  tlbMdiFrmMain_ = addToolBar(QString());
  tlbMdiFrmMain_->setObjectName(QStringLiteral("tlbMdiFrmMain"));
  tlbMdiFrmMain_->setMovable(false);
  tlbMdiFrmMain_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  for (const ToolButton& b : kToolbar) {
    if (!b.key) {
      tlbMdiFrmMain_->addSeparator();
      continue;
    }
    const QString key = QString::fromLatin1(b.key);
    QAction* a = tlbMdiFrmMain_->addAction(key);
    a->setObjectName(QStringLiteral("tlb") + key);
    a->setData(key);
    captions_.push_back({a, b.text});
    connect(a, &QAction::triggered, this, [this, key] { tlbmdifrmMain_ButtonClick(key); });
  }
}

void mdifrmMain::tlbmdifrmMain_ButtonClick(const QString& key) {
  guarded(ctx_.log, "mdifrmMain->tlbmdifrmMain_ButtonClick", [&] {
    if (key == QLatin1String("FileNew"))
      NewFile(ctx_);
    else if (key == QLatin1String("FileOpen"))
      OpenFile(ctx_);
    else if (key == QLatin1String("FileSave"))
      SaveFile(ctx_);
    else if (key == QLatin1String("Write"))
      actions_.value(QStringLiteral("mnuWriteFre"))->trigger();
    else if (key == QLatin1String("Read"))
      actions_.value(QStringLiteral("mnuReadFre"))->trigger();
    else if (key == QLatin1String("Com"))
      actions_.value(QStringLiteral("mnuCommunicate"))->trigger();
    else if (key == QLatin1String("Help"))
      Help();
    else if (key == QLatin1String("Exit"))
      ExitSoft(true);
    else if (key == QLatin1String("Print"))
      mnuPrintFile_Click();
    // Any other key: no action.
  });
}

void mdifrmMain::mnuPrintFile_Click() {
  guarded(ctx_.log, "mdifrmMain->mnuPrintFile_Click", [&] {
    if (!sysSet_) return;
    QWidget* tab = sysSet_->sstabMain()->currentWidget();
    if (!tab || tab->objectName() != QLatin1String("tabChInfo")) {
      sysSet_->optionsPage()->cmdSysSetPrint()->click();  // a picture of the window, as its Print button does
      return;
    }
    PrintChannelList(ctx_);
  });
}

void mdifrmMain::showRecentFiles() {
  recentMenu_->clear();
  const QStringList files = recentFiles(ctx_.ini);
  for (int i = 0; i < files.size(); ++i) {
    QString shown = QDir::toNativeSeparators(files[i]);
    QAction* a = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown.replace(QLatin1Char('&'), QStringLiteral("&&"))));
    a->setObjectName(QStringLiteral("mnuRecentFile%1").arg(i + 1));
    connect(a, &QAction::triggered, this, [this, file = files[i]] { OpenRecentFile(ctx_, file); });
  }
  recentMenu_->menuAction()->setEnabled(!files.isEmpty());
}

void mdifrmMain::ExitSoft(bool /*blnUnloadMe*/) {
  guarded(ctx_.log, "mdifrmMain->ExitSoft", [&] { close(); });
}

void mdifrmMain::mnuShowErr_Click() {
  guarded(ctx_.log, "mdifrmMain->mnuShowErr_Click", [&] {
    ctx_.log.open();
    err_->show();
    err_->raise();
  });
}

void mdifrmMain::languageCommand(int16_t lang) {
  if (ctx_.st.CurLang == lang) {
    checkLanguageItem(lang);
    return;
  }
  // The change ends the program: unsaved changes are saved or given up first.
  if (!AskToSaveChanges(ctx_)) {
    checkLanguageItem(ctx_.st.CurLang);
    return;
  }
  checkLanguageItem(lang);
  ctx_.st.CurLang = lang;
  changesSettled_ = true;
  SwiLangFace(lang);
  changesSettled_ = false;
}

void mdifrmMain::SwiLangFace(int16_t lang) {
  guarded(ctx_.log, "mdifrmMain->SwiLangFace", [&] {
    if (!ctx_.ini.write(QStringLiteral("Setting"), QStringLiteral("Language"), QString::number(lang)))
      ctx_.ini.raiseWriteFailure();
    ctx_.dialogs.messageBox(ctx_.text(kTextRestartForLanguage), MsgButtons::Ok, MsgIcon::Question, QStringLiteral("Message"));
    close();
  });
}

QAction* mdifrmMain::menuItem(const QString& name) const { return actions_.value(name); }

void mdifrmMain::buildStatusBar() {
  const char* keys[3] = {"statusNotice", "statusCom", "statusAddress"};
  const int widths[2] = {3175, 1058};
  for (int i = 0; i < 3; ++i) {
    panels_[i] = new QLabel(this);
    panels_[i]->setObjectName(QString::fromLatin1(keys[i]));
    statusBar()->addWidget(panels_[i], i == 2 ? 1 : 0);
  }
  // The notice and the port keep their widths; the file name takes what is left and never
  // makes the window wider than the screen (its whole text is in its tooltip).
  for (int i = 0; i < 2; ++i) panels_[i]->setMinimumWidth(twipsToPixels(widths[i], this));
  panels_[2]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  panels_[2]->setMinimumWidth(twipsToPixels(1440, this));
}

QString mdifrmMain::statusPanelText(int panel) const {
  return panel >= 1 && panel <= 3 ? panels_[panel - 1]->text() : QString();
}

void mdifrmMain::closeMainWindow() { close(); }

void mdifrmMain::checkLanguageItem(int16_t lang) {
  // mnuLangSel0 is Simplified Chinese, mnuLangSel1 Traditional Chinese, mnuLangSel2 English.
  for (int i = 0; i < 3; ++i) mnuLangSel_[i]->setChecked(kLangSimplifiedChinese + i == lang);
}

void mdifrmMain::setStatusNotice(const QString& text) { panels_[0]->setText(text); }
void mdifrmMain::setStatusCom(const QString& text) { panels_[1]->setText(text); }
void mdifrmMain::setStatusFile(const QString& text) {
  panels_[2]->setText(text);
  panels_[2]->setToolTip(text);
  showEditState();
}

void mdifrmMain::showEditState() {
  // The title: the file's name, marked while the configuration differs from what was last
  // opened, saved or read.
  if (started_ || sysSet_) {
    setWindowTitle(QFileInfo(ctx_.st.CurDataFile).fileName() + QStringLiteral("[*] - ") + ctx_.text(kTextProgramTitle));
    setWindowModified(ConfigDiffersFromSaved(ctx_));
  }
  // Undo and redo name their step.
  const QUndoStack* stack = undo_->stack();
  const std::pair<QAction*, std::pair<int, QString>> items[] = {
      {actions_.value(QStringLiteral("mnuUndo")), {kTextMenuUndo, stack->undoText()}},
      {actions_.value(QStringLiteral("mnuRedo")), {kTextMenuRedo, stack->redoText()}}};
  for (const auto& [action, caption] : items) {
    // The step's name goes before an access key written at the end ("撤销 编辑信道 8(&U)").
    QString text = ctx_.text(caption.first);
    if (!caption.second.isEmpty()) {
      const QRegularExpressionMatch key = QRegularExpression(QStringLiteral("\\(&.\\)$")).match(text);
      const qsizetype at = key.hasMatch() ? key.capturedStart() : text.size();
      text.insert(at, QLatin1Char(' ') + caption.second);
    }
    action->setText(text);
  }
  actions_.value(QStringLiteral("mnuUndo"))->setEnabled(stack->canUndo());
  actions_.value(QStringLiteral("mnuRedo"))->setEnabled(stack->canRedo());
}

void mdifrmMain::configurationEdited(const QString& what) { undo_->record(what); }
void mdifrmMain::configurationReplaced() { undo_->reset(); }
void mdifrmMain::configurationSaved() {
  undo_->keepFileName();
  showEditState();
}

void mdifrmMain::setSoftFace() {
  // Qt's own buttons and dialogs follow the interface texts.
  useQtTranslations(ctx_.st.CurLang);
  for (const auto& [action, text] : captions_) action->setText(ctx_.text(text));
  if (!ctx_.text(kTextProgramTitle).isEmpty()) setWindowTitle(ctx_.text(kTextProgramTitle));
  QFont f = font();
  if (!ctx_.st.CurFont.isEmpty()) f.setFamilies({ctx_.st.CurFont, f.family()});
  menuBar()->setFont(f);
  tlbMdiFrmMain_->setFont(f);
  statusBar()->setFont(f);
  setStatusNotice(ctx_.text(kTextReady));
  setStatusCom(QStringLiteral("COM") + QString::number(ctx_.st.ComNo));
  setStatusFile(ctx_.text(kTextFileNameLabel) + ctx_.st.CurDataFile);
  showEditState();
}

// The memory viewer is loaded hidden into the document area on first use.
frmMemDat& mdifrmMain::loadMemDat() {
  if (!memDat_) {
    memDat_ = new frmMemDat(ctx_);
    mdi_->addSubWindow(memDat_);
    memDat_->hide();
  }
  return *memDat_;
}

void mdifrmMain::setGridMemDat() { loadMemDat().SetGridMemDat(); }

void mdifrmMain::showMemDat() {
  frmMemDat& w = loadMemDat();
  // No larger than the document area, so that its buttons are in view.
  w.resize(w.size().boundedTo(mdi_->viewport()->size()).expandedTo(w.minimumSizeHint()));
  w.show();
  w.raise();
  mdi_->setActiveSubWindow(&w);
}

void mdifrmMain::memoryImageReplaced() {
  if (memDat_) memDat_->imageReplaced();
}

void mdifrmMain::loadSettingsWindow() {
  if (sysSet_) return;  // loaded once, then only hidden and shown
  sysSet_ = new frmSysSet(ctx_);
  mdi_->addSubWindow(sysSet_);
  // Every edit is made here, and no menu shows the window again once it is hidden: the user
  // gets no close box and no Close (Ctrl+F4) in its window menu. Minimise and restore stay.
  sysSet_->setWindowFlags(sysSet_->windowFlags() & ~(Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint));
  ctx_.setGridCh(&sysSet_->gridCh());
  // The grid's row commands join the Edit menu.
  QMenu* edit = findChild<QMenu*>(QStringLiteral("mnuEdit"));
  edit->addSeparator();
  for (QAction* a : sysSet_->chGridEdit().channelActions().actions()) {
    if (a)
      edit->addAction(a);
    else
      edit->addSeparator();
  }
  sysSet_->Form_Load();
  sysSet_->showMaximized();
}

void mdifrmMain::showToolCom() { k52::showToolCom(ctx_, this); }

void mdifrmMain::showSoftVersion(const QString& text) {
  if (auto* box = sysSet_ ? sysSet_->findChild<QLineEdit*>(QStringLiteral("txtSoftVer")) : nullptr) box->setText(text);
}

void mdifrmMain::showLastProgrammed(const QString& text) {
  if (auto* box = sysSet_ ? sysSet_->findChild<QLineEdit*>(QStringLiteral("txtLastPc")) : nullptr) box->setText(text);
}

// The options page lives in the settings window.
void mdifrmMain::showOptions() {
  if (sysSet_) sysSet_->showOptions();
}
void mdifrmMain::showPowerOnMessage(const QString& text) {
  if (sysSet_) sysSet_->showPowerOnMessage(text);
}

void mdifrmMain::commitPendingEdits() {
  // Taking the focus away ends an open cell editor (its text is committed) and runs the
  // lost-focus checks of the message and station boxes.
  if (QWidget* w = QApplication::focusWidget()) w->clearFocus();
}

void mdifrmMain::closeEvent(QCloseEvent* event) {
  if (!ctx_.st.InstallPass && ctx_.st.AppExiting != 1) {
    // Radios still being programmed on several cables would be left part-way: asked first,
    // and then it is the only question about leaving.
    const auto* many = findChild<frmManyRadios*>(QString(), Qt::FindDirectChildrenOnly);
    const bool unitsRunning = many && many->anyRunning();
    if (unitsRunning && ctx_.dialogs.messageBox(ctx_.text(kTextManyExitRunning), MsgButtons::YesNo, MsgIcon::Exclamation,
                                                ctx_.text(kTextNotice)) != MsgAnswer::Yes) {
      event->ignore();
      return;
    }
    // With unsaved changes the question about them (save, discard, cancel) is the one
    // asked; otherwise "Are you sure want to exit?".
    bool leave = false;
    if (!changesSettled_ && ConfigChanged(ctx_))
      leave = AskToSaveChanges(ctx_);
    else
      leave = unitsRunning || ctx_.dialogs.messageBox(ctx_.text(kTextAskExit), MsgButtons::YesNo, MsgIcon::Question, ctx_.text(kTextNotice)) == MsgAnswer::Yes;
    if (!leave) {
      event->ignore();
      return;
    }
  }
  ctx_.st.AppExiting = 1;
  closeChildWindows();
  event->accept();
}

}  // namespace k52
