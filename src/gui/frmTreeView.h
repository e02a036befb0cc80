#pragma once
// The navigation tree: a dock beside the main window's document area with one tree of the
// program's three data views under the product name. A click on a view's node brings its
// window up, maximised.

#include <QDockWidget>
#include <functional>

class QTreeWidget;
class QTreeWidgetItem;

namespace k52 {

struct AppContext;

class frmTreeView : public QDockWidget {
  Q_OBJECT
 public:
  // windowOf gives the window a node key names ("RadioInfo", "ChInfo", "SysSet"), loading
  // it if need be; nullptr when there is none. The tree is filled at once.
  frmTreeView(AppContext& ctx, std::function<QWidget*(const QString& key)> windowOf, QWidget* parent = nullptr);

  void InitRadioSet();
  void InitRadioSetTreeView();
  void treevMain_NodeClick(QTreeWidgetItem* node);

  QTreeWidget* treevMain() const { return treevMain_; }
  // The node with this key, or nullptr.
  QTreeWidgetItem* node(const QString& key) const;

 private:
  AppContext& ctx_;
  std::function<QWidget*(const QString&)> windowOf_;
  // The docking notifications need no handlers here: the tree is the dock's widget, so the
  // dock's layout keeps it filling the client area when the dock moves or resizes, and a
  // change of the docking side or a float changes nothing in the tree.
  QTreeWidget* treevMain_;
};

}  // namespace k52
