#pragma once
// The main window: a multiple-document frame with the menu bar, the status bar and the
// document area that holds the settings window. It runs the start-up sequence from a
// one-shot timer so that it is painted before the work starts.

#include "app/appcontext.h"

#include <QHash>
#include <QMainWindow>
#include <utility>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QMdiArea;
class QTimer;
class QToolBar;

namespace k52 {

class frmChMem;
class frmMemDat;
class frmRadioInfo;
class frmShowErr;
class frmSysSet;
class frmTreeView;
class QtChLock;
class ConfigUndo;

class mdifrmMain : public QMainWindow, public AppViews {
  Q_OBJECT
 public:
  explicit mdifrmMain(AppContext& ctx, QWidget* parent = nullptr);
  ~mdifrmMain() override;

  AppContext& context() { return ctx_; }
  QMdiArea* mdiArea() const { return mdi_; }
  frmShowErr* errorWindow() const { return err_; }
  // The settings window, once start-up has loaded it.
  frmSysSet* settingsWindow() const { return sysSet_; }
  // The memory data viewer (test mode), once start-up or a double-click has loaded it.
  frmMemDat* memDatWindow() const { return memDat_; }
  QTimer* startupTimer() const { return tmrInitMultiFrm_; }
  QString statusPanelText(int panel) const;
  // True once the start-up sequence has run (or the installation pass closed the window).
  bool started() const { return started_; }

  // AppViews
  void closeMainWindow() override;
  void checkLanguageItem(int16_t lang) override;
  void setStatusNotice(const QString& text) override;
  void setStatusCom(const QString& text) override;
  void setStatusFile(const QString& text) override;
  void setSoftFace() override;
  void setGridMemDat() override;
  void showMemDat() override;
  void memoryImageReplaced() override;
  void loadSettingsWindow() override;
  void commitPendingEdits() override;
  void showToolCom() override;
  void showSoftVersion(const QString& text) override;
  void showLastProgrammed(const QString& text) override;
  void showOptions() override;
  void showPowerOnMessage(const QString& text) override;
  void configurationEdited(const QString& what) override;
  void configurationReplaced() override;
  void configurationSaved() override;

  // The undo history of the configuration's edits (the Edit menu's Undo and Redo).
  ConfigUndo& undoHistory() const { return *undo_; }

  // Commands of the menus and the toolbar.
  void tlbmdifrmMain_ButtonClick(const QString& key);
  void ExitSoft(bool blnUnloadMe);
  void mnuShowErr_Click();
  // The navigation tree, the About box and the help file of the language.
  void mnuTreeView_Click();
  void mnuAboutSoft_Click();
  void Help();
  // Print: the settings window's current tab (the channel list on pages, the other tabs
  // as a picture of the window).
  void mnuPrintFile_Click();
  // File > Open Recent lists the files of the settings file's recent list.
  void showRecentFiles();
  // The tree window once mnuTreeView has loaded it.
  frmTreeView* treeWindow() const { return treeView_; }
  // The language commands: language 1, 2 or 3.
  void languageCommand(int16_t lang);
  void SwiLangFace(int16_t lang);
  // A menu item by its name ("mnuFileNew").
  QAction* menuItem(const QString& name) const;
  QToolBar* toolbar() const { return tlbMdiFrmMain_; }
  // The channel-interface lock: mnuChLock_Click, the timers tmrChLock and tmrChLockBlink.
  QtChLock& chLock() const { return *chLock_; }

 signals:
  void startupFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  void buildStatusBar();
  void runStartup();
  // The windows the tree's nodes name, loaded on first use (mdifrmMainWindows.cpp).
  QWidget* treeNodeWindow(const QString& key);
  // The exit: every child window that exists is closed, in a fixed order.
  void closeChildWindows();
  // The title with the file name and its changed mark, and the Undo and Redo captions.
  void showEditState();

  AppContext& ctx_;
  QMdiArea* mdi_;
  frmShowErr* err_;
  frmSysSet* sysSet_ = nullptr;
  frmMemDat* memDat_ = nullptr;
  frmMemDat& loadMemDat();
  frmTreeView* treeView_ = nullptr;
  frmRadioInfo* radioInfo_ = nullptr;
  frmChMem* chMem_ = nullptr;
  QTimer* tmrInitMultiFrm_;
  QLabel* panels_[3] = {};
  QAction* mnuLangSel_[3] = {};
  QToolBar* tlbMdiFrmMain_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QHash<QString, QAction*> actions_;
  std::vector<std::pair<QAction*, int>> captions_;
  bool started_ = false;
  // Set while a language change closes the program: unsaved changes were settled first.
  bool changesSettled_ = false;
  QtChLock* chLock_ = nullptr;
  ConfigUndo* undo_ = nullptr;
};

// Twips (1/1440 inch) to pixels on the screen the widget is on.
int twipsToPixels(int twips, const QWidget* widget = nullptr);

}  // namespace k52
