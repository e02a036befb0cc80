// The main window's commands that bring up other windows or documents: the navigation
// tree and the views it names, the About box, the help, and the closing of every
// child window at exit.

#include "gui/mdifrmMain.h"

#include "gui/frmChMem.h"
#include "gui/frmRadioInfo.h"
#include "gui/frmSysSet.h"
#include "gui/frmTreeView.h"
#include "core/guarded.h"
#include "gui/frmAboutSoft.h"
#include "gui/frmHelp.h"
#include "core/dialogs.h"

#include <QFileInfo>
#include <QMdiArea>
#include <type_traits>

namespace k52 {

void mdifrmMain::mnuTreeView_Click() {
  guarded(ctx_.log, "mdifrmMain->mnuTreeView_Click", [&] {
    if (!treeView_) {
      // Loaded on first use, after start-up has filled the language table its nodes show.
      treeView_ = new frmTreeView(ctx_, [this](const QString& key) { return treeNodeWindow(key); }, this);
      addDockWidget(Qt::LeftDockWidgetArea, treeView_);
    }
    treeView_->show();
    treeView_->raise();
  });
}

QWidget* mdifrmMain::treeNodeWindow(const QString& key) {
  auto load = [this](auto*& window) {
    using Window = std::remove_reference_t<decltype(*window)>;
    if (!window) {
      window = new Window(ctx_);
      mdi_->addSubWindow(window);
    }
    return window;
  };
  if (key == QLatin1String("RadioInfo")) return load(radioInfo_);
  if (key == QLatin1String("ChInfo")) return load(chMem_);
  if (key == QLatin1String("SysSet")) return sysSet_;
  return nullptr;
}

void mdifrmMain::mnuAboutSoft_Click() {
  frmAboutSoft box(ctx_, this);
  box.exec();
}

// The help of the interface language, from the program folder: the compiled help file
// where one is installed and the desktop can open it; otherwise the HTML guide delivered
// with the program, in the program's own help window (no browser needed). Nothing is said
// when neither is there.
void mdifrmMain::Help() {
  guarded(ctx_.log, "mdifrmMain->Help", [&] {
    ctx_.st.CurLang = validLang(ctx_.st.CurLang);
    static const char* const kHelpBase[3] = {"ChsHelp", "ChtHelp", "EngHelp"};
    const QString base = QString::fromLatin1(kHelpBase[ctx_.st.CurLang - 1]);
    const QString compiled = ctx_.programPath(base + QLatin1String(".CHM"));
    if (QFileInfo(compiled).isFile() && ctx_.dialogs.shellOpen(compiled)) return;
    const QString guide = ctx_.programPath(base + QLatin1String(".html"));
    if (!QFileInfo(guide).isFile()) return;
    auto* help = findChild<frmHelp*>(QString(), Qt::FindDirectChildrenOnly);
    if (!help) help = new frmHelp(ctx_, this);
    help->showGuide(guide);
  });
}

void mdifrmMain::closeChildWindows() {
  guarded(ctx_.log, "mdifrmMain->MDIForm_QueryUnload", [&] {
    // The windows refuse a close by the user until AppExiting is 1; now they close.
    static const char* const kClosingOrder[] = {"frmTreeView", "frmSysSet", "frmRadioInfo", "frmChMem",  "frmAboutSoft",
                                                "frmCommun",   "frmToolCom", "frmShowErr",  "frmPartFill", "frmMemDat"};
    for (const char* name : kClosingOrder)
      if (QWidget* w = findChild<QWidget*>(QString::fromLatin1(name))) w->close();
  });
}

}  // namespace k52
