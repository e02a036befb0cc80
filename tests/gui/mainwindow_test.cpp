// The main window started offscreen against a temporary program folder: its start-up,
// menus and toolbar, the help, Qt's own texts, the exit with its closing order; the error log and its window.

#include "gui/frmCommun.h"
#include "gui/frmMemDat.h"
#include "gui/frmToolCom.h"
#include "gui/frmSysSet.h"
#include "gui/frmTreeView.h"
#include "gui/frmShowErr.h"
#include "core/addressmap.h"
#include "core/errorlog.h"
#include "core/guarded.h"
#include "app/chgrid.h"
#include "app/chmem.h"
#include "gui/frmAboutSoft.h"
#include "gui/frmHelp.h"
#include "gui/mdifrmMain.h"
#include "support/guienv.h"
#include "app/session.h"
#include "core/optiontable.h"
#include "support/testenv.h"
#include "gui/qtdialogs.h"
#include "gui/qtgrid.h"
#include "core/printedtable.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include "core/inifile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>

using namespace k52;
using k52::test::TestEnv;
using k52::test::chooseMenu;

namespace {

// A started program in the given language (0: as delivered, Traditional Chinese).
struct Started {
  TestEnv env;
  std::unique_ptr<mdifrmMain> w;
  explicit Started(int lang = 3) {
    env.installProgram(lang);
    w = test::startMainWindow(*env.ctx);
    EXPECT_TRUE(w);
  }
  QAction* item(const char* name) const { return w->menuItem(QString::fromLatin1(name)); }
  void activate() const {
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  }
};

TEST(MainWindow, StartsThroughItsOneShotTimerAndTheFirstFailureOpensTheErrorWindow) {
  TestEnv env;
  env.installProgram(0);
  EXPECT_FALSE(mdifrmMain(*env.ctx).started()) << "nothing runs before the window has been shown";
  TestEnv failing;
  failing.installProgram(0);
  failing.setSetting("COM", QStringLiteral("99"));
  const auto f = test::startMainWindow(*failing.ctx);
  ASSERT_TRUE(f && f->errorWindow()->isVisible());
  QListWidget* list = f->errorWindow()->listShowErr();
  EXPECT_TRUE(list->count() == 2 && list->item(1)->text().contains(QStringLiteral("[Setting] COM")));
}

TEST(MainWindow, ChoosingALanguageStoresItTellsTheUserAndAsksToExit) {
  Started s(1);
  s.item("mnuLangSel0")->trigger();  // already Simplified Chinese: nothing
  s.env.dialogs.answers = {MsgAnswer::Ok, MsgAnswer::No};
  s.item("mnuLangSel2")->trigger();
  EXPECT_EQ(s.env.dialogs.prompts(), (QStringList{s.env.ctx->text(68), QStringLiteral("你要退出吗?")})) << "asked once, in the old language";
  EXPECT_TRUE(s.w->isVisible() && s.env.setting("Language") == QStringLiteral("3") && s.item("mnuLangSel2")->isChecked());
}

TEST(MainWindow, AnEditStillBeingTypedReachesTheImageOnSave) {
  Started s;
  auto* msg = s.w->findChild<QLineEdit*>(QStringLiteral("txtPwrMsg"));
  ASSERT_NE(msg, nullptr);
  s.w->activateWindow();
  msg->setFocus();
  msg->selectAll();
  QTest::keyClicks(msg, QStringLiteral("ab"));
  SetConvIicDat(*s.env.ctx);  // what Save and Write run first, from a toolbar button that takes no focus
  EXPECT_EQ(s.env.ctx->IicDat.toByteArray().mid(0x0E1B, 2), QByteArray("\x0A\x0B"));
}

// Clicks a toolbar button ("FileOpen", "Exit" ...) with the mouse.
void clickToolbar(mdifrmMain& w, const char* key) {
  QWidget* b = w.toolbar()->widgetForAction(w.findChild<QAction*>(QStringLiteral("tlb") + QLatin1String(key)));
  ASSERT_NE(b, nullptr) << key;
  QTest::mouseClick(b, Qt::LeftButton);
}

// Types a frequency into an empty channel row of the grid: a click on its cell, the keys
// (to wherever the focus goes: the grid, then the editor it opens), Enter.
void typeChannel(mdifrmMain& w, int row, const char* text) {
  auto* grid = w.settingsWindow()->findChild<QtGrid*>(QStringLiteral("vsfgGridCh"));
  const QModelIndex cell = grid->model()->index(row - 1, 0);
  grid->scrollTo(cell);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
  for (const char* c = text; *c; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QApplication::processEvents();
}

TEST(MainWindow, UnsavedEditsAreAskedAboutBeforeOpenALanguageChangeAndExit) {
  Started s;
  AppContext& ctx = *s.env.ctx;
  test::ScriptedDialogs& d = s.env.dialogs;
  s.w->settingsWindow()->sstabMain()->setCurrentIndex(1);
  s.activate();
  clickToolbar(*s.w, "FileOpen");  // nothing changed yet: straight to the file dialog
  EXPECT_TRUE(d.asked.empty() && d.dialogInitialPaths.size() == 1u);

  typeChannel(*s.w, 3, "445");
  ASSERT_EQ(ctx.ch.ChInfo(3, 1), 44500000);
  const auto asked = [&] { return !d.asked.empty() && d.asked.back().prompt == ctx.text(82) && d.asked.back().buttons == MsgButtons::YesNoCancel; };
  // Cancel: no file dialog, the edit stays.
  d.answers = {MsgAnswer::Cancel};
  clickToolbar(*s.w, "FileOpen");
  EXPECT_TRUE(asked() && d.dialogInitialPaths.size() == 1u);
  // Yes, and the save dialog cancelled: nothing is opened either.
  d.answers = {MsgAnswer::Yes};
  clickToolbar(*s.w, "FileOpen");
  EXPECT_EQ(d.dialogInitialPaths.size(), 2u) << "the save dialog only";
  // Yes and a name: saved, then the file dialog.
  const QString saved = s.env.path(QStringLiteral("mine.dat"));
  d.answers = {MsgAnswer::Yes};
  d.fileNames = {saved};
  clickToolbar(*s.w, "FileOpen");
  EXPECT_EQ(d.dialogInitialPaths.size(), 4u);
  EXPECT_EQ(s.env.readFile(saved).mid(addr::channelRecord(3), 4), QByteArray::fromHex("00005044"));
  EXPECT_EQ(ctx.ch.ChInfo(3, 1), 44500000);
  const size_t questions = d.asked.size();

  // Another edit; a language change cancelled keeps the language and its check mark.
  typeChannel(*s.w, 4, "446");
  d.answers = {MsgAnswer::Cancel};
  s.item("mnuLangSel0")->trigger();
  EXPECT_TRUE(asked() && d.asked.size() == questions + 1);
  EXPECT_TRUE(ctx.st.CurLang == 3 && s.item("mnuLangSel2")->isChecked() && s.env.setting("Language") == QStringLiteral("3"));

  // Exit: Cancel stays; No discards and leaves without asking "Are you sure want to exit?".
  d.answers = {MsgAnswer::Cancel};
  clickToolbar(*s.w, "Exit");
  EXPECT_TRUE(s.w->isVisible() && asked());
  d.answers = {MsgAnswer::No};
  clickToolbar(*s.w, "Exit");
  EXPECT_FALSE(s.w->isVisible());
  EXPECT_EQ(d.asked.size(), questions + 3);
  EXPECT_EQ(s.env.readFile(saved).mid(addr::channelRecord(4), 4), QByteArray(4, '\xFF')) << "channel 4 was not saved";
}

// File -> Compare with File lists what differs from the file, by field and in the
// interface language, and leaves the window's configuration as it was.
TEST(MainWindow, CompareWithFileListsTheDifferencesAndChangesNothing) {
  Started s;
  AppContext& ctx = *s.env.ctx;
  QByteArray other = Session(ctx).imageAsSaved().toByteArray();
  other.replace(0, 4, QByteArray::fromHex("00256514"));  // channel 1 RX 146.525 MHz
  other[0x1FF0] = char(~other[0x1FF0]);
  s.env.writeFile(QStringLiteral("other.dat"), other);
  const QByteArray before = ctx.IicDat.toByteArray();
  s.env.dialogs.fileNames = {s.env.path(QStringLiteral("other.dat"))};
  chooseMenu(*s.w, {"mnuFile", "mnuFileCompare"});
  auto* list = s.w->findChild<QTreeWidget*>(QStringLiteral("lstDifferences"));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->topLevelItemCount(), 2);
  const QStringList rx{list->topLevelItem(0)->text(0), list->topLevelItem(0)->text(1), list->topLevelItem(0)->text(3)};
  EXPECT_EQ(rx, (QStringList{QStringLiteral("Channel 1"), QStringLiteral("RX Freq [MHz]"), QStringLiteral("146.52500")}));
  EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("Bytes 1FF0"));
  EXPECT_EQ(ctx.IicDat.toByteArray(), before);
  EXPECT_FALSE(ConfigChanged(ctx));
}

// File -> Import CSV and Export CSV, chosen with the keyboard and the mouse: what the file
// cannot give as it stands is listed first; "Nothing" keeps the channels, "Import the rest"
// replaces them all (a channel the file does not name is emptied), as one step of Edit.
TEST(MainWindow, FileImportCsvListsWhatItCannotTakeThenImportsTheRestOrNothing) {
  Started s;
  AppContext& ctx = *s.env.ctx;
  test::ScriptedDialogs& d = s.env.dialogs;
  s.activate();

  typeChannel(*s.w, 5, "445");
  ASSERT_EQ(ctx.ch.ChInfo(5, 1), 44500000);
  const QString plan = s.env.path(QStringLiteral("plan.csv"));
  s.env.writeFile(plan, "Location,Frequency,Name\r\n0,435.0125,ok\r\n1,435.001,\r\n");
  d.fileNames = {plan};
  chooseMenu(*s.w, {"mnuFile", "mnuFileImportCsv"});
  ASSERT_EQ(d.listed.size(), 1u);
  EXPECT_EQ(d.listed[0], (QStringList{ctx.text(275), ctx.text(274),
                                      "Line 3, channel 2, not imported: frequency off the 5 kHz and 12.5 kHz rasters: \"435.001000\""}));
  EXPECT_TRUE(ctx.ch.ChInfo(1, 1) == -1 && ctx.ch.ChInfo(5, 1) == 44500000) << "Nothing: the channels stay";

  const auto image = [&] { return Session(ctx).imageAsSaved().toByteArray(); };
  const QByteArray before = image();
  d.fileNames = {plan};
  d.listAnswers = {true};
  chooseMenu(*s.w, {"mnuFile", "mnuFileImportCsv"});
  EXPECT_TRUE(ctx.ch.ChInfo(1, 1) == 43501250 && ctx.ch.ChInfo(2, 1) == -1 && ctx.ch.ChInfo(5, 1) == -1);
  const QByteArray imported = image();
  EXPECT_EQ(s.item("mnuUndo")->text(), QStringLiteral("&Undo Import CSV"));
  chooseMenu(*s.w, {"mnuEdit", "mnuUndo"});
  EXPECT_TRUE(image() == before && ctx.ch.ChInfo(5, 1) == 44500000) << "the whole import, and only the import, undone";
  chooseMenu(*s.w, {"mnuEdit", "mnuRedo"});
  EXPECT_EQ(image(), imported);
  auto* grid = s.w->settingsWindow()->findChild<QtGrid*>(QStringLiteral("vsfgGridCh"));
  EXPECT_EQ(grid->model()->index(0, 0).data().toString(), QStringLiteral("435.0125"));

  const QString out = s.env.path(QStringLiteral("out.csv"));
  d.fileNames = {out};
  chooseMenu(*s.w, {"mnuFile", "mnuFileExportCsv"});
  EXPECT_TRUE(s.env.readFile(out).contains("\r\n1,OK,435.012500,,0.000000,")) << s.env.readFile(out).constData();
}

TEST(MainWindow, OpenRecentOffersTheFilesOpenedAndSavedNewestFirstAndTakesOffOneThatIsGone) {
  Started s;
  AppContext& ctx = *s.env.ctx;
  test::ScriptedDialogs& d = s.env.dialogs;
  s.activate();
  // The list as the File menu shows it when opened.
  QMenu* recentMenu = s.w->findChild<QMenu*>(QStringLiteral("mnuFileRecent"));
  const auto recent = [&] {
    chooseMenu(*s.w, {"mnuFile"});
    QStringList v;
    for (QAction* a : recentMenu->actions()) v << a->text();
    if (!recentMenu->menuAction()->isEnabled()) v << QStringLiteral("(disabled)");
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    return v;
  };
  const QString a = s.env.path(QStringLiteral("a.dat")), b = s.env.path(QStringLiteral("b&c.dat"));
  const auto shown = [](int i, const QString& f) { return QStringLiteral("&%1 %2").arg(i).arg(QDir::toNativeSeparators(f).replace(QStringLiteral("&"), QStringLiteral("&&"))); };
  EXPECT_EQ(recent(), QStringList{QStringLiteral("(disabled)")}) << "nothing opened or saved yet";

  d.fileNames = {a};
  chooseMenu(*s.w, {"mnuFile", "mnuFileSaveAs"});
  ASSERT_TRUE(QFile::copy(a, b));
  d.fileNames = {b};
  chooseMenu(*s.w, {"mnuFile", "mnuFileOpen"});
  ASSERT_EQ(ctx.st.CurDataFile, b);
  EXPECT_EQ(recent(), (QStringList{shown(1, b), shown(2, a)}));

  chooseMenu(*s.w, {"mnuFile", "mnuFileRecent", "mnuRecentFile2"});
  EXPECT_EQ(ctx.st.CurDataFile, a);
  EXPECT_EQ(recent(), (QStringList{shown(1, a), shown(2, b)}));
  // An unsaved edit is asked about first; Cancel opens nothing.
  typeChannel(*s.w, 3, "445");
  d.answers = {MsgAnswer::Cancel};
  chooseMenu(*s.w, {"mnuFile", "mnuFileRecent", "mnuRecentFile2"});
  EXPECT_TRUE(d.prompts().back() == ctx.text(82) && ctx.st.CurDataFile == a && ctx.ch.ChInfo(3, 1) == 44500000);

  // A file gone: said so (no question about the edit), logged, and off the list.
  const size_t asked = d.asked.size();
  ASSERT_TRUE(QFile::remove(b));
  chooseMenu(*s.w, {"mnuFile", "mnuFileRecent", "mnuRecentFile2"});
  ASSERT_EQ(d.asked.size(), asked + 1);
  EXPECT_EQ(d.asked.back().prompt, ctx.text(341) + QStringLiteral("\n") + QDir::toNativeSeparators(b));
  EXPECT_EQ(test::lastError(ctx), test::failure(QStringLiteral("mdifrmMain->OpenRecentFile"), 53));
  EXPECT_EQ(ctx.st.CurDataFile, a);
  EXPECT_EQ(recent(), QStringList{shown(1, a)});
}

// The texts drawn on a printed page, one after the other.
QString drawn(const QStringList& page) { return page.join(QString()); }

TEST(MainWindow, PrintSetsTheChannelListUnderItsHeaderWithTheGridsCaptionsInTheInterfaceLanguage) {
  // {language, the band's line, the foot}
  const std::tuple<int, const char*, const char*> cases[] = {
      {3, "Frequency[MHz]: 400 - 470 MHz", "Page 1 of 1"}, {1, "\u9891\u6bb5[MHz]: 400 - 470 MHz", "\u7b2c 1 \u9875\uff0c\u5171 1 \u9875"}};
  for (const auto& [lang, band, foot] : cases) {
    Started s(lang);
    AppContext& ctx = *s.env.ctx;
    ctx.ch.ChInfo(2, 1) = ctx.ch.ChInfo(2, 2) = 43512500;
    ShowChTblGrid(ctx);
    s.w->settingsWindow()->sstabMain()->setCurrentIndex(1);
    lang == 3 ? chooseMenu(*s.w, {"mnuFile", "mnuPrintFile"}) : clickToolbar(*s.w, "Print");
    ASSERT_EQ(s.env.dialogs.printedPages.size(), 1u) << lang;
    const QStringList& page = s.env.dialogs.printedPages[0];
    const QString blank = lang == 3 ? QStringLiteral(" ") : QString();  // none after a full-width colon
    QStringList expected{ctx.text(302), QString::fromUtf8(band), ctx.text(85) + blank + QDir::toNativeSeparators(ctx.st.CurDataFile),
                         ctx.text(54) + blank + QStringLiteral("2026-01-02 03:04"), QString::fromUtf8(foot)};
    for (int c = 0; c <= 8; ++c) expected << ctx.gridCh().headerText(0, c);
    for (const QString& e : expected) EXPECT_TRUE(drawn(page).contains(e)) << lang << " " << e.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("435.125"))) << "the channel's RX cell";
    EXPECT_EQ(s.env.dialogs.printJobs.back(), ctx.text(302));
    EXPECT_TRUE(s.env.dialogs.printed.empty());
  }
  Started s;
  s.w->settingsWindow()->sstabMain()->setCurrentIndex(2);
  clickToolbar(*s.w, "Print");
  EXPECT_EQ(s.env.dialogs.printed.size(), 1u) << "the options page: a picture of the window";
}

TEST(MainWindow, WithoutAPrinterTheListOf260ChannelsGoesIntoAPdfFilePageAfterPage) {
  TestEnv env;
  env.installProgram(3);
  ASSERT_TRUE(IniFile(env.path(QStringLiteral("minglyc.dll"))).write(QStringLiteral("ChInfo"), QStringLiteral("3000"), QStringLiteral("260")));
  const auto w = test::startMainWindow(*env.ctx);
  ASSERT_TRUE(w);
  AppContext& ctx = *env.ctx;
  ASSERT_EQ(ctx.ch.ChCount, 260);
  QStringList rx;
  for (int n = 1; n <= 260; ++n) {
    ctx.ch.ChInfo(n, 1) = 40000000 + 1250 * n;
    ctx.ch.ChInfo(n, 2) = 41000000 + 1250 * n;
    rx << frequencyText(ctx.ch.ChInfo(n, 1));
  }
  ShowChTblGrid(ctx);
  w->settingsWindow()->sstabMain()->setCurrentIndex(1);
  env.dialogs.printerSetUp = false;
  env.dialogs.fileNames = {env.path(QStringLiteral("list.pdf"))};
  clickToolbar(*w, "Print");
  EXPECT_EQ(QFileInfo(env.dialogs.dialogInitialPaths.back()).fileName(), QStringLiteral("Untitled.pdf")) << "named after the data file";
  const std::vector<QStringList>& pages = env.dialogs.printedPages;
  ASSERT_GT(pages.size(), 1u);
  QStringList printedRx;
  for (size_t i = 0; i < pages.size(); ++i) {
    EXPECT_TRUE(pages[i].contains(ctx.gridCh().headerText(0, 1)) && pages[i].contains(ctx.text(302))) << "page " << i + 1;
    EXPECT_TRUE(pages[i].contains(QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size()))) << "page " << i + 1;
    for (const QString& t : pages[i])
      if (rx.contains(t)) printedRx << t;
  }
  EXPECT_EQ(printedRx, rx) << "every channel once, in order";
  const QByteArray pdf = env.readFile(QStringLiteral("list.pdf"));
  EXPECT_TRUE(pdf.startsWith("%PDF"));
  EXPECT_EQ(pdf.count("/Type /Page\n"), static_cast<qsizetype>(pages.size())) << "as many pages in the file";
}

// Where a printer is set up, the list goes through the print preview: it paints every page
// there (the same layout as the PDF file), and closing the preview prints nothing.
TEST(PrintPreview, PaintsEveryPageOfTheListAndClosingItPrintsNothing) {
  PrintedTable table{QStringLiteral("Channel Information"), {QStringLiteral("Band[MHz]: 400 - 470 MHz")},
                     {QStringLiteral("No"), QStringLiteral("RX Freq[MHz]")}, {}, QStringLiteral("Page %1 of %2"), {}};
  for (int n = 1; n <= 260; ++n) table.rows.push_back({{QString::number(n)}, {QStringLiteral("435.125")}});
  int pages = -1;
  QTimer::singleShot(200, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* preview = qobject_cast<QPrintPreviewDialog*>(w)) {
        pages = preview->findChild<QPrintPreviewWidget*>()->pageCount();
        preview->reject();
      }
  });
  QtDialogs dialogs;
  EXPECT_FALSE(dialogs.printTable(table, QString()));
  EXPECT_GT(pages, 1) << "260 rows fill more than one page";
}

TEST(MainWindow, ARightClickOnTheMenuBarOrToolbarOpensNoMenu) {
  Started s;
  s.activate();
  for (QWidget* target : {static_cast<QWidget*>(s.w->menuBar()), static_cast<QWidget*>(s.w->toolbar())}) {
    QWidget* popup = nullptr;
    // A menu would run its own loop: look, and close it, from inside.
    QTimer::singleShot(50, s.w.get(), [&] {
      popup = QApplication::activePopupWidget();
      if (popup) popup->close();
    });
    // Through the window, as the desktop delivers it (the context menu event included).
    QTest::mouseClick(s.w->windowHandle(), Qt::RightButton, {}, target->mapTo(s.w.get(), QPoint(target->width() - 5, target->height() / 2)));
    QTest::qWait(100);
    EXPECT_EQ(popup, nullptr) << target->objectName().toStdString();
  }
  EXPECT_TRUE(s.w->toolbar()->isVisible());
}

TEST(MainWindow, HelpOpensTheCompiledHelpWhereTheDesktopCanElseShowsTheGuideInItsOwnWindow) {
  Started s;
  test::TestEnv& env = s.env;
  s.activate();
  env.writeFile(QStringLiteral("EngHelp.CHM"), "x");
  env.writeFile(QStringLiteral("EngHelp.html"), "<html><body><h1>English guide</h1></body></html>");
  // {language, the desktop opens the compiled help, the file handed to it, the window's text}
  const std::tuple<int16_t, bool, const char*, const char*> cases[] = {
      {3, true, "EngHelp.CHM", ""}, {3, false, "EngHelp.CHM", "English guide"}, {0, true, "", "English guide"}};
  for (const auto& [lang, desktopOpens, tried, shown] : cases) {
    env.ctx->st.CurLang = lang;
    env.dialogs.shellOpens = desktopOpens;
    env.dialogs.opened.clear();
    QTest::keyClick(s.w.get(), Qt::Key_F1);  // its menu item is hidden, the key works all the same
    EXPECT_EQ(env.dialogs.opened.empty() ? QString() : QFileInfo(env.dialogs.opened.back()).fileName(), QLatin1String(tried)) << lang;
    frmHelp* help = s.w->findChild<frmHelp*>();
    EXPECT_EQ(help && help->isVisible() ? help->browser()->toPlainText().trimmed() : QString(), QLatin1String(shown)) << lang;
    if (!desktopOpens) QFile::remove(env.path(QStringLiteral("EngHelp.CHM")));
  }
  EXPECT_EQ(s.w->findChildren<frmHelp*>().size(), 1u) << "one help window, shown again";
}

TEST(MainWindow, QtsOwnButtonsSpeakTheInterfaceLanguage) {
  for (const auto& [lang, yes] : {std::pair{2, "\u662f(&Y)"}, {3, "&Yes"}, {1, "\u662f(&Y)"}}) {
    Started s(lang);
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No, s.w.get());
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QString::fromUtf8(yes)) << lang;
  }
}

// The order in which the windows receive their close, then the main window's hiding.
struct CloseOrder : QObject {
  QWidget* main = nullptr;
  QStringList order;
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == (o == main ? QEvent::Hide : QEvent::Close)) order << o->objectName();
    return false;
  }
};

TEST(MainWindow, ExitAsksNoKeepsEverythingYesClosesEveryWindowInOrderThenTheMainWindow) {
  Started s;
  mdifrmMain& w = *s.w;
  w.menuItem(QStringLiteral("mnuTreeView"))->trigger();
  for (const char* key : {"RadioInfo", "ChInfo"}) w.treeWindow()->treevMain_NodeClick(w.treeWindow()->node(QString::fromLatin1(key)));
  w.mnuShowErr_Click();
  new frmAboutSoft(*s.env.ctx, &w);
  communWindow(*s.env.ctx, &w);
  new frmToolCom(*s.env.ctx, &w);
  w.memDatWindow()->partFill();
  const QStringList names = {"frmTreeView", "frmSysSet", "frmRadioInfo", "frmChMem", "frmAboutSoft",
                             "frmCommun",   "frmToolCom", "frmShowErr", "frmPartFill", "frmMemDat"};
  CloseOrder rec;
  rec.main = &w;
  w.installEventFilter(&rec);
  for (const QString& name : names) w.findChild<QWidget*>(name)->installEventFilter(&rec);
  s.env.dialogs.answers = {MsgAnswer::No};
  s.item("mnuExit")->trigger();
  EXPECT_TRUE(s.env.dialogs.asked.back().prompt == QStringLiteral("Are you sure want to exit?") && s.env.dialogs.asked.back().buttons == MsgButtons::YesNo);
  EXPECT_TRUE(rec.order.isEmpty() && w.isVisible()) << rec.order.join(QLatin1Char(' ')).toStdString();
  s.env.dialogs.answers = {MsgAnswer::Yes};
  w.close();
  EXPECT_EQ(rec.order, names + QStringList{QStringLiteral("mdifrmMain")});
}

// The error log, its guard and its window.
void failWith(ErrorLog& log, int number) {
  guarded(log, "modChMem->IicDatToChInfo", [&] { raiseError(number, QStringLiteral("/home/a/radio.dat")); });
}

TEST(ErrorLog, EachFailureAddsATimeLineAndItsEntryTheGuardCatchesEveryKindAndClosingDiscardsThem) {
  ManualClock clock;
  ErrorLog log(clock);
  failWith(log, 53);
  ASSERT_TRUE(log.isOpen() && log.lines().size() == 2);
  EXPECT_TRUE(log.lines()[0].startsWith(QStringLiteral("---------")) && log.selectedLine() == 1);
  // A file error names the file as its error point; other errors are the program's own.
  EXPECT_EQ(log.lines()[1], QStringLiteral("         错误:  modChMem->IicDatToChInfo     出错号:  53     出错点:  /home/a/radio.dat     出错描述:  文件找不到"));
  failWith(log, 8002);  // an unknown number ends with an empty description
  EXPECT_TRUE(log.lines()[3].endsWith(QStringLiteral("出错点:  k52     出错描述:  ")));
  log.windowClosed();
  EXPECT_FALSE(log.isOpen() || !log.lines().isEmpty());
  log.LogOptError(QStringLiteral("出错位置: frmSysSet->InitOpt->超时定时器     错误类型: 不在范围内"));
  EXPECT_EQ(log.lines().last(), QStringLiteral("        可选功能项:   出错位置: frmSysSet->InitOpt->超时定时器     错误类型: 不在范围内"));
  // {what is thrown, the number logged}; a number beyond 16 bits is folded to overflow.
  const std::pair<std::function<void()>, int> thrown[] = {{[] { throw std::bad_alloc(); }, 7}, {[] { throw 42; }, 5}, {[] { raiseError(70000); }, 6}};
  for (const auto& [fn, number] : thrown) {
    EXPECT_FALSE(guarded(log, "a->b", fn));
    EXPECT_TRUE(log.lines().last().contains(QStringLiteral("出错号:  %1 ").arg(number))) << log.lines().last().toStdString();
  }
  bool after = false;
  EXPECT_TRUE(guarded(log, "a->d", [&] { after = true; }) && after);
}

// (How fast a burst of entries shows is the k52bench_errwindow benchmark's.)
TEST(ErrorWindow, ABurstOfEntriesEndsWithTheNewestLineSelectedAndInView) {
  ManualClock clock;
  ErrorLog log(clock);
  frmShowErr window(log);
  window.resize(400, 200);
  QListWidget* list = window.listShowErr();
  for (int burst : {1, 300}) {
    for (int i = 0; i < burst; ++i) failWith(log, 53);
    QApplication::processEvents();
    ASSERT_TRUE(window.isVisible());
    const int last = list->count() - 1;
    EXPECT_EQ(last + 1, log.lines().size());
    EXPECT_EQ(list->item(last)->text(), log.lines().last());
    EXPECT_EQ(list->currentRow(), last) << burst;
    // In view from top to bottom (a line may be wider than the window).
    const QRect r = list->visualItemRect(list->item(last));
    EXPECT_TRUE(r.isValid() && r.top() >= 0 && r.bottom() <= list->viewport()->rect().bottom()) << burst << " " << r.y();
  }
  window.close();
  EXPECT_EQ(list->count(), 0);
}

}  // namespace

// The options page's changes are steps of the history too: a list chosen with the keys and
// an FM station typed, each undone and redone from the keyboard.
TEST(MainWindow, OptionsAndStationsAreUndoneAndRedoneStepByStep) {
  Started s;
  AppContext& ctx = *s.env.ctx;
  frmSysSet* sys = s.w->settingsWindow();
  sys->sstabMain()->setCurrentIndex(2);
  s.activate();
  auto* sql = sys->findChild<QComboBox*>(QStringLiteral("cboSql"));
  auto* station = sys->findChild<QLineEdit*>(QStringLiteral("txtRadioFre(0)"));
  ASSERT_TRUE(sql && station);
  const int16_t before = ctx.opt.OptSel(kOptSql);
  sql->setFocus();
  QTest::keyClick(sql, Qt::Key_Down);
  EXPECT_EQ(ctx.opt.OptSel(kOptSql), before + 1);
  station->setFocus();
  QTest::keyClicks(station, QStringLiteral("98.1"));
  QTest::keyClick(station, Qt::Key_Tab);  // leaves the box: the station is stored
  EXPECT_EQ(ctx.opt.OptSel(kOptFmStation), 981);
  EXPECT_TRUE(s.w->isWindowModified());
  sql->setFocus();  // a text box keeps Ctrl+Z for its own text
  QTest::keyClick(sql, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(ctx.opt.OptSel(kOptFmStation), 0);
  EXPECT_EQ(station->text(), QString());
  QTest::keyClick(sql, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(ctx.opt.OptSel(kOptSql), before);
  EXPECT_EQ(sql->currentIndex(), before);
  EXPECT_FALSE(s.w->isWindowModified());
  QTest::keyClick(sql, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(ctx.opt.OptSel(kOptSql), before + 1);
}
