#include "gui/frmSysSet.h"

#include "gui/frmCustomFre.h"
#include "gui/frmSysSetOptions.h"
#include "app/optpage.h"
#include "gui/qtchgridedit.h"
#include "core/guarded.h"
#include "app/appcontext.h"
#include "core/langtexts.h"
#include "gui/qtgrid.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace k52 {

namespace {

// The product name the Radio Information tab always shows (two blanks).
constexpr const char* kProductModel = "KDR  T17";

QLineEdit* readOnlyBox(const char* name, QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setReadOnly(true);
  return box;
}

QLabel* label(const char* name, QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  return l;
}

}  // namespace

frmSysSet::frmSysSet(AppContext& ctx, QWidget* parent) : QMdiSubWindow(parent), ctx_(ctx) {
  setObjectName(QStringLiteral("frmSysSet"));

  sstabMain_ = new QTabWidget(this);
  sstabMain_->setObjectName(QStringLiteral("sstabMain"));
  tabRadioInfo_ = new QWidget(sstabMain_);
  tabRadioInfo_->setObjectName(QStringLiteral("tabRadioInfo"));
  tabChInfo_ = new QWidget(sstabMain_);
  tabChInfo_->setObjectName(QStringLiteral("tabChInfo"));
  tabOption_ = new QWidget(sstabMain_);
  tabOption_->setObjectName(QStringLiteral("tabOption"));
  sstabMain_->addTab(tabRadioInfo_, QString());
  sstabMain_->addTab(tabChInfo_, QString());
  sstabMain_->addTab(tabOption_, QString());

  buildRadioInfoTab();

  options_ = new SysSetOptionsPage(ctx_, tabOption_);
  auto* optLayout = new QVBoxLayout(tabOption_);
  optLayout->setContentsMargins(0, 0, 0, 0);
  optLayout->addWidget(options_);

  vsfgGridCh_ = new QtGrid(tabChInfo_);
  vsfgGridCh_->setObjectName(QStringLiteral("vsfgGridCh"));
  auto* chLayout = new QVBoxLayout(tabChInfo_);
  chLayout->addWidget(vsfgGridCh_);
  chGridEdit_ = new QtChGridEdit(ctx_, vsfgGridCh_, this);

  setWidget(sstabMain_);
  ctx_.bandChoice.view = this;
}

frmSysSet::~frmSysSet() {
  if (ctx_.bandChoice.view == this) ctx_.bandChoice.view = nullptr;
  if (&ctx_.gridCh() == vsfgGridCh_) ctx_.setGridCh(nullptr);
}

void frmSysSet::buildRadioInfoTab() {
  fraMain_ = new QGroupBox(tabRadioInfo_);
  fraMain_->setObjectName(QStringLiteral("fraMain"));
  lblModel_ = label("lblModel", fraMain_);
  txtModel_ = readOnlyBox("txtModel", fraMain_);
  txtModel_->setText(QString::fromLatin1(kProductModel));
  lblRange_ = label("lblRange", fraMain_);
  cboFrequency_ = new QComboBox(fraMain_);
  cboFrequency_->setObjectName(QStringLiteral("cboFrequency"));
  cboFrequency_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  lblSoftVer_ = label("lblSoftVer", fraMain_);
  txtSoftVer_ = readOnlyBox("txtSoftVer", fraMain_);
  lblLastPc_ = label("lblLastPc", fraMain_);
  txtLastPc_ = readOnlyBox("txtLastPc", fraMain_);

  auto* grid = new QGridLayout(fraMain_);
  const std::pair<QLabel*, QWidget*> rows[] = {
      {lblModel_, txtModel_}, {lblRange_, cboFrequency_}, {lblSoftVer_, txtSoftVer_}, {lblLastPc_, txtLastPc_}};
  int r = 0;
  for (const auto& [lbl, field] : rows) {
    lbl->setBuddy(field);
    field->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")));
    grid->addWidget(lbl, r, 0);
    grid->addWidget(field, r, 1);
    ++r;
  }
  grid->setColumnStretch(1, 1);
  onDoubleClick(fraMain_, [this] { fraMain_DblClick(ctx_); });

  // The frame keeps its natural size in the top left corner of the tab.
  auto* outer = new QGridLayout(tabRadioInfo_);
  outer->addWidget(fraMain_, 0, 0);
  outer->setRowStretch(1, 1);
  outer->setColumnStretch(1, 1);

  // What the user picks goes to the band logic; the logic's own selections come back
  // through showBandList with the signals blocked.
  connect(cboFrequency_, &QComboBox::currentIndexChanged, this, [this](int index) {
    guarded(ctx_.log, "frmChMem->cboFrequency_Click", [&] { cboFrequencySelect(ctx_, index); });
    ctx_.views->configurationEdited();
  });
}

Grid& frmSysSet::gridCh() { return *vsfgGridCh_; }

void frmSysSet::showBandList(const QStringList& items, int index) {
  const QSignalBlocker block(cboFrequency_);
  QStringList shown;
  for (int i = 0; i < cboFrequency_->count(); ++i) shown << cboFrequency_->itemText(i);
  if (shown != items) {
    cboFrequency_->clear();
    cboFrequency_->addItems(items);
  }
  cboFrequency_->setCurrentIndex(index);
}

void frmSysSet::Form_Load() {
  guarded(ctx_.log, "frmSysSet->Form_Load:", [&] {
    InitPara();
    InitFace();
    InitOpt();
    RadioInfoInitOpt();
    ChInfoModel(ctx_);
  });
}

void frmSysSet::InitPara() {
  // The window has no parameters of its own to set up.
}

void frmSysSet::InitFace() {
  guarded(ctx_.log, "frmSysSet->InitFace:", [&] {
    setWindowTitle(QString());
    sstabMain_->setTabText(0, ctx_.text(kTextRadioInformation));  // "Radio Information"
    sstabMain_->setTabText(1, ctx_.text(kTextChannelInformation));  // "Channel Information"
    sstabMain_->setTabText(2, ctx_.text(kTextOptionalFeatures));  // "Optional Features"
    applyFontFamily(sstabMain_->tabBar(), ctx_.st.CurFont);
    options_->InitFace();
  });
}

void frmSysSet::InitOpt() { k52::InitOpt(ctx_, *options_); }

void frmSysSet::showPowerOnMessage(const QString& text) { options_->showPowerOnMessage(text); }

void frmSysSet::RadioInfoInitOpt() {
  guarded(ctx_.log, "frmSysSet->InitOpt:", [&] {
    lblModel_->setText(ctx_.text(kTextModelType));    // "Model Type"
    lblRange_->setText(ctx_.text(kTextFrequencyRange));    // "Frequency[MHz]"
    lblSoftVer_->setText(ctx_.text(kTextSoftVersion));  // "Soft Version"
    lblLastPc_->setText(ctx_.text(kTextLastWrite));   // "Write Data Last Time"
    applyFontFamily(fraMain_, ctx_.st.CurFont);
  });
}

void frmSysSet::closeEvent(QCloseEvent* event) {
  const bool closing = ctx_.st.AppExiting == 1;
  guarded(ctx_.log, "frmSysSet->Form_QueryUnload", [&] {
    if (!closing) hide();
  });
  if (closing)
    QMdiSubWindow::closeEvent(event);
  else
    event->ignore();
}

}  // namespace k52
