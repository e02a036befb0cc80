#include "gui/frmTreeView.h"

#include "gui/frmCustomFre.h"
#include "core/guarded.h"
#include "app/appcontext.h"
#include "gui/mdifrmMain.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <QStyleFactory>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace k52 {

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kIndentTwips = 300;

// The nodes in the order they are added: key, parent key, language text.
struct NodeRow {
  const char* key;
  const char* parent;
  int text;
};
constexpr NodeRow kNodes[] = {
    {"Radio", nullptr, 300},        // the product name; opens nothing
    {"RadioInfo", "Radio", 301},    // "Radio Information"
    {"ChInfo", "Radio", 302},       // "Channel Information"
    {"SysSet", "Radio", 303},       // "Optional Features"
};

}  // namespace

frmTreeView::frmTreeView(AppContext& ctx, std::function<QWidget*(const QString&)> windowOf, QWidget* parent)
    : QDockWidget(parent), ctx_(ctx), windowOf_(std::move(windowOf)) {
  setObjectName(QStringLiteral("frmTreeView"));
  treevMain_ = new QTreeWidget(this);
  treevMain_->setObjectName(QStringLiteral("treevMain"));
  treevMain_->setHeaderHidden(true);
  treevMain_->setColumnCount(1);
  setWidget(treevMain_);
  connect(treevMain_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { treevMain_NodeClick(item); });
  InitRadioSet();
}

void frmTreeView::InitRadioSet() {
  guarded(ctx_.log, "frmTreeView->InitRadioSet:", [&] { InitRadioSetTreeView(); });
}

void frmTreeView::InitRadioSetTreeView() {
  guarded(ctx_.log, "frmTreeView->InitRadioSetTreeView:", [&] {
    treevMain_->clear();
    // Lines and expand/collapse boxes: the classic style draws both.
    if (QStyle* lines = QStyleFactory::create(QStringLiteral("Windows"))) {
      lines->setParent(treevMain_);
      treevMain_->setStyle(lines);
    }
    treevMain_->setRootIsDecorated(true);
    applyFontFamily(treevMain_, ctx_.st.CurFont);
    for (const NodeRow& n : kNodes) {
      QTreeWidgetItem* parentNode = n.parent ? node(QString::fromLatin1(n.parent)) : nullptr;
      auto* item = parentNode ? new QTreeWidgetItem(parentNode) : new QTreeWidgetItem(treevMain_);
      item->setText(0, ctx_.text(n.text));
      item->setData(0, kKeyRole, QString::fromLatin1(n.key));
    }
    node(QStringLiteral("Radio"))->setExpanded(true);
    treevMain_->setIndentation(twipsToPixels(kIndentTwips, treevMain_));
  });
}

QTreeWidgetItem* frmTreeView::node(const QString& key) const {
  for (QTreeWidgetItemIterator it(treevMain_); *it; ++it)
    if ((*it)->data(0, kKeyRole).toString() == key) return *it;
  return nullptr;
}

void frmTreeView::treevMain_NodeClick(QTreeWidgetItem* node) {
  guarded(ctx_.log, "frmTreeView->treevMain_NodeClick:", [&] {
    if (!node) return;
    const QString key = node->data(0, kKeyRole).toString();
    if (key != QLatin1String("RadioInfo") && key != QLatin1String("ChInfo") && key != QLatin1String("SysSet")) return;
    QWidget* w = windowOf_ ? windowOf_(key) : nullptr;
    if (!w) return;
    w->showMaximized();
    w->raise();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w); sub && sub->mdiArea()) sub->mdiArea()->setActiveSubWindow(sub);
  });
}

}  // namespace k52
