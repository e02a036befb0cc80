// The main window's remaining commands: the About box, the help file, the menu items and
// toolbar buttons not driven elsewhere, and the exit with its closing order.

#include "comm/frmCommun.h"
#include "comm/frmMemDat.h"
#include "comm/frmToolCom.h"
#include "editor/frmTreeView.h"
#include "errlog/frmShowErr.h"
#include "shell/frmAboutSoft.h"
#include "shell/mdifrmMain.h"
#include "support/testenv.h"
#include "ui/inifile.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k52;

namespace {

struct Started {
  test::TestEnv env;
  std::unique_ptr<mdifrmMain> w;
  Started() {
    env.installDeliveredFiles();
    IniFile ini(env.path(QStringLiteral("minglyc.dll")));
    ini.write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QStringLiteral("0"));
    ini.write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("3"));
    w = std::make_unique<mdifrmMain>(*env.ctx);
    QSignalSpy started(w.get(), &mdifrmMain::startupFinished);
    w->show();
    EXPECT_TRUE(started.wait(5000));
  }
  QAction* item(const char* name) const { return w->menuItem(QString::fromLatin1(name)); }
  std::string log() const { return env.ctx->log.lines().join(QLatin1Char('\n')).toStdString(); }
  // Every window and document window, with whether it is shown.
  QStringList windowStates() const {
    QStringList v;
    for (QWidget* c : w->findChildren<QWidget*>())
      if (c->isWindow() || qobject_cast<QMdiSubWindow*>(c)) v << c->objectName() + QString::number(c->isVisible());
    return v;
  }
};

}  // namespace

TEST(AboutBox, OwnTextsPerLanguageWithTheInterfaceFont) {
  test::TestEnv env;
  env.ctx->st.CurFont = QStringLiteral("Noto Sans CJK SC");
  const char* english = "About|K52 Radio Programming Software|For K52|Version 1.0.1|2011|OK";
  const std::pair<int16_t, const char*> cases[] = {
      {1, "关于|K52系列对讲机编程软件|用于K52|版本 1.0.1|2011-2020|确定"},
      {2, "關於|K52系列對講機編程軟體|用於K52|版本 1.0.1|2011-2020|確定"},
      {3, english}, {0, english}, {9, english}};
  for (const auto& [lang, expected] : cases) {
    env.ctx->st.CurLang = lang;
    frmAboutSoft box(*env.ctx);
    const QStringList shown{box.windowTitle(), box.lblTitle()->text(), box.lblUseRange()->text(), box.lblVersion()->text(),
                            box.lblRelease()->text(), box.cmdOk()->text()};
    EXPECT_EQ(shown.join(QLatin1Char('|')).toStdString(), expected) << "CurLang " << lang;
    EXPECT_FALSE(box.lblDescription()->text().isEmpty() || box.lblRights()->text().isEmpty() || box.lblRights()->isHidden());
    EXPECT_EQ(box.lblTitle()->font().pointSize(), 14);
    for (QWidget* w : std::initializer_list<QWidget*>{box.lblTitle(), box.lblRights(), box.cmdOk()})
      EXPECT_EQ(w->font().families().value(0), env.ctx->st.CurFont) << w->objectName().toStdString();
  }
  EXPECT_EQ(env.ctx->st.CurLang, 9) << "the box only reads the language";
}

TEST(AboutBox, MenuShowsItModallyAndOkClosesIt) {
  Started s;
  bool seen = false;
  QTimer::singleShot(0, s.w.get(), [&] {
    auto* box = qobject_cast<frmAboutSoft*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen = box->parent() == s.w.get();
    box->cmdOk()->click();
  });
  s.item("mnuAboutSoft")->trigger();  // returns when the box has closed
  EXPECT_TRUE(seen);
  EXPECT_EQ(s.w->findChild<frmAboutSoft*>(), nullptr);
}

TEST(Help, OpensTheCompiledHelpOrElseTheGuideOfTheLanguageAndIsSilentWithoutEither) {
  Started s;
  test::TestEnv& env = s.env;
  for (const char* f : {"EngHelp.CHM", "EngHelp.html", "ChsHelp.html"}) env.writeFile(QString::fromLatin1(f), "x");
  auto lastOpened = [&] { return QFileInfo(env.dialogs.opened.back()).fileName().toStdString(); };

  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("Help"));  // the button captioned "About"
  ASSERT_EQ(env.dialogs.opened.size(), 1u);
  EXPECT_EQ(env.dialogs.opened.back().toStdString(), env.path(QStringLiteral("EngHelp.CHM")).toStdString());
  QFile::remove(env.path(QStringLiteral("EngHelp.CHM")));
  s.item("mnuHelpTopic")->trigger();
  EXPECT_EQ(lastOpened(), "EngHelp.html");
  env.ctx->st.CurLang = 0;  // outside 1 to 3: English, for good
  s.w->Help();
  EXPECT_EQ(env.ctx->st.CurLang, 3);
  EXPECT_EQ(lastOpened(), "EngHelp.html");
  env.ctx->st.CurLang = 1;
  s.w->Help();
  EXPECT_EQ(lastOpened(), "ChsHelp.html");
  env.ctx->st.CurLang = 2;  // neither file
  s.w->Help();
  EXPECT_EQ(env.dialogs.opened.size(), 4u);
  EXPECT_TRUE(env.dialogs.asked.empty());
  EXPECT_EQ(env.ctx->log.entriesLogged(), 0) << s.log();
}

TEST(MainCommands, VisibleItemsDoWhatTheirRowSaysAndHiddenOnesNothing) {
  Started s;
  test::TestEnv& env = s.env;
  auto& asked = env.dialogs.asked;
  const QString saved = env.path(QStringLiteral("menu.dat")), other = env.path(QStringLiteral("other.dat"));

  env.dialogs.answers = {MsgAnswer::Yes};
  env.dialogs.fileNames = {saved, other};
  s.item("mnuFileSave")->trigger();
  s.item("mnuFileSaveAs")->trigger();
  ASSERT_EQ(asked.size(), 1u) << "Save asks, Save As does not";
  EXPECT_EQ(asked.back().prompt, env.ctx->text(82));
  EXPECT_TRUE(QFileInfo(saved).size() == 8192 && QFileInfo(other).size() == 8192);
  env.dialogs.answers = {MsgAnswer::Yes};
  s.item("mnuFileNew")->trigger();
  EXPECT_EQ(asked.back().prompt, env.ctx->text(74));
  EXPECT_EQ(env.ctx->st.CurDataFile, env.ctx->st.DefDataFile);
  env.dialogs.fileNames = {saved};
  s.item("mnuFileOpen")->trigger();
  EXPECT_EQ(env.ctx->st.CurDataFile, saved);

  env.dialogs.answers = {MsgAnswer::No};
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("FileSave"));
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked.back().prompt, env.ctx->text(82));
  bool writeShown = false;
  QTimer::singleShot(0, s.w.get(), [&] {
    auto* dlg = qobject_cast<frmCommun*>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    writeShown = !dlg->cmdWrite()->isHidden() && dlg->cmdRead()->isHidden();
    dlg->reject();
  });
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("Write"));
  EXPECT_TRUE(writeShown);

  s.item("mnuShowErr")->trigger();
  EXPECT_TRUE(s.w->errorWindow()->isVisible());
  ASSERT_EQ(s.w->treeWindow(), nullptr) << "loaded on first use";
  s.item("mnuTreeView")->trigger();
  s.w->treeWindow()->close();
  s.item("mnuTreeView")->trigger();
  EXPECT_TRUE(s.w->treeWindow()->isVisible());
  EXPECT_EQ(s.w->findChildren<frmTreeView*>().size(), 1);

  const QByteArray image = env.ctx->IicDat.toByteArray();
  const QStringList windows = s.windowStates();
  for (const char* name : {"mnuPrintFile", "mnuAddFre", "mnuTestMode", "mnuTestFre", "mnuBatchTestVal", "mnuModel", "mnuFunc",
                           "mnuMcuVer", "mnuDtmf", "mnuKeySet", "mnuWindowItem"})
    s.item(name)->trigger();
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("Print"));
  EXPECT_EQ(asked.size(), 3u);
  EXPECT_TRUE(env.dialogs.opened.empty());
  EXPECT_EQ(env.ctx->IicDat.toByteArray(), image);
  EXPECT_EQ(s.windowStates(), windows);
  EXPECT_FALSE(env.ctx->st.TestModeFlag);

  env.dialogs.answers = {MsgAnswer::No};
  s.item("mnuExit")->trigger();
  EXPECT_EQ(asked.back().prompt, QStringLiteral("Are you sure want to exit?"));
  EXPECT_TRUE(s.w->isVisible());
  EXPECT_EQ(env.ctx->log.entriesLogged(), 0) << s.log();
}

namespace {

// The order in which the windows receive their close, then the main window's hiding.
class CloseOrder : public QObject {
 public:
  explicit CloseOrder(QWidget* main) : main_(main) { main->installEventFilter(this); }
  QStringList order;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == (o == main_ ? QEvent::Hide : QEvent::Close)) order << o->objectName();
    return false;
  }

 private:
  QWidget* main_;
};

}  // namespace

TEST(Exit, NoKeepsEverythingYesClosesEveryWindowInOrderThenTheMainWindow) {
  Started s;
  mdifrmMain& w = *s.w;
  w.menuItem(QStringLiteral("mnuTreeView"))->trigger();
  for (const char* key : {"RadioInfo", "ChInfo"}) w.treeWindow()->treevMain_NodeClick(w.treeWindow()->node(QString::fromLatin1(key)));
  w.mnuShowErr_Click();
  new frmAboutSoft(*s.env.ctx, &w);
  communWindow(*s.env.ctx, &w);
  new frmToolCom(*s.env.ctx, &w);
  w.memDatWindow()->partFill();
  const char* names[] = {"frmTreeView", "frmSysSet", "frmRadioInfo", "frmChMem", "frmAboutSoft",
                         "frmCommun",   "frmToolCom", "frmShowErr", "frmPartFill", "frmMemDat"};
  CloseOrder rec(&w);
  for (const char* name : names) {
    auto* c = w.findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(c, nullptr) << name;
    c->installEventFilter(&rec);
  }
  const QStringList before = s.windowStates();

  s.env.dialogs.answers = {MsgAnswer::No};
  w.ExitSoft(true);
  EXPECT_TRUE(rec.order.isEmpty()) << rec.order.join(QLatin1Char(' ')).toStdString();
  EXPECT_EQ(s.env.ctx->st.AppExiting, 0);
  EXPECT_EQ(s.windowStates(), before);
  EXPECT_TRUE(w.isVisible());

  s.env.dialogs.answers = {MsgAnswer::Yes};
  w.ExitSoft(true);
  EXPECT_EQ(s.env.ctx->st.AppExiting, 1);
  EXPECT_EQ(rec.order.join(QLatin1Char(' ')).toStdString(),
            "frmTreeView frmSysSet frmRadioInfo frmChMem frmAboutSoft frmCommun frmToolCom frmShowErr frmPartFill frmMemDat "
            "mdifrmMain");
  for (const char* name : names) EXPECT_FALSE(w.findChild<QWidget*>(QString::fromLatin1(name))->isVisible()) << name;
  EXPECT_EQ(s.env.ctx->log.entriesLogged(), 0) << s.log();
}
