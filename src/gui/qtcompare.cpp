#include "gui/qtcompare.h"

#include "app/diffrows.h"
#include "core/datafiles.h"
#include "app/transfer.h"
#include "core/guarded.h"
#include "app/appcontext.h"
#include "core/langtexts.h"
#include "app/session.h"
#include "core/dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace k52 {

namespace {

// The read's progress while the radio is read for a comparison; Cancel stops it.
class ProgressView final : public TransferView {
 public:
  ProgressView(AppContext& ctx, QWidget* parent) : dialog_(ctx.text(kTextCompareRadioMenu).remove(QLatin1Char('&')), ctx.text(64), 0, 100, parent) {
    dialog_.setObjectName(QStringLiteral("dlgCompareProgress"));
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setMinimumDuration(0);
  }
  void ShowComPercent(int16_t percent) override { dialog_.setValue(percent); }
  bool stopRequested() override { return dialog_.wasCanceled(); }
  void transferFinished() override { dialog_.reset(); }

 private:
  QProgressDialog dialog_;
};

QTreeWidgetItem* rowItem(const DiffRow& r) { return new QTreeWidgetItem(QStringList{r.where, r.field, r.a, r.b}); }

}  // namespace

QDialog* showComparison(AppContext& ctx, QWidget* parent, const ConfigComparison& c, int otherCaption) {
  auto* dialog = new QDialog(parent);
  dialog->setObjectName(QStringLiteral("dlgCompare"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(ctx.text(kTextDifferences));
  auto* layout = new QVBoxLayout(dialog);
  const QStringList headers{ctx.text(kTextDiffWhere), ctx.text(kTextDiffField), ctx.text(kTextDiffThisWindow), ctx.text(otherCaption)};
  auto list = [&](const char* name, const std::vector<Difference>& rows) {
    auto* tree = new QTreeWidget(dialog);
    tree->setObjectName(QString::fromLatin1(name));
    tree->setRootIsDecorated(false);
    tree->setHeaderLabels(headers);
    for (const Difference& d : rows) tree->addTopLevelItem(rowItem(diffRow(ctx, d)));
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(tree);
    return tree;
  };
  if (c.equal()) {
    auto* same = new QLabel(ctx.text(kTextSameConfig), dialog);
    same->setObjectName(QStringLiteral("lblSame"));
    layout->addWidget(same);
  } else {
    list("lstDifferences", c.differences);
  }
  if (!c.stamps.empty()) {
    layout->addWidget(new QLabel(ctx.text(kTextDiffStamps), dialog));
    list("lstStamps", c.stamps)->setMaximumHeight(80);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
  layout->addWidget(buttons);
  dialog->resize(640, 400);
  dialog->show();
  return dialog;
}

void compareWithFile(AppContext& ctx, QWidget* parent) {
  guarded(ctx.log, "mdifrmMain->CompareWithFile", [&] {
    ctx.views->commitPendingEdits();
    const QString path = ctx.dialogs.openFileName(QString::fromLatin1(kDatFilter), ctx.st.CurDataFile);
    if (path.isEmpty()) return;
    Session session(ctx);
    Configuration other;
    if (!guarded(ctx.log, "mdifrmMain->CompareWithFile", [&] { other = session.configurationOfFile(path); })) {
      ctx.dialogs.messageBox(ctx.text(kTextWrongFileType), MsgButtons::Ok, MsgIcon::Critical, ctx.text(kTextNotice));
      return;
    }
    const Configuration mine = session.configurationOf(session.imageAsSaved());
    showComparison(ctx, parent, compareConfigurations(mine, other, session.diffWords()), kTextDiffFile);
  });
}

void compareWithRadio(AppContext& ctx, QWidget* parent) {
  guarded(ctx.log, "mdifrmMain->CompareWithRadio", [&] {
    ctx.views->commitPendingEdits();
    Session session(ctx);
    // What the window would write, and the radio read over it: addresses the read leaves
    // out compare equal.
    const MemoryImage mine = session.imageForWrite();
    MemoryImage radio = mine;
    TransferEnd end;
    {
      ProgressView progress(ctx, parent);
      end = readRadioCopy(ctx, progress, radio);
    }
    if (end != TransferEnd::Succeeded) return;  // the transfer said why
    showComparison(ctx, parent,
                   compareConfigurations(session.configurationOf(mine), session.configurationOf(radio), session.diffWords()),
                   kTextDiffRadio);
  });
}

}  // namespace k52
