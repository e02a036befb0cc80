#include "gui/frmSysSetOptions.h"

#include "gui/frmCustomFre.h"
#include "app/appcontext.h"
#include "core/langtexts.h"
#include "core/dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace k52 {

namespace {

// Captions of the page: control name and language text.
struct Caption {
  const char* control;
  int text;
};

constexpr Caption kCaptions[] = {
    {"fraCommonSet", 202},     {"lblTot", 203},        {"lblSql", 205},           {"lblBeep", 206},
    {"lblKeyLock", 209},       {"lblWorkMode", 212},   {"lblScanMode", 216},      {"lblKeyLig", 220},
    {"lblAnVoice", 224},       {"chkChNameShow", 228}, {"chkBatSave", 229},       {"chkRevFre", 230},
    {"chkWideBand", 260},      {"fraVox", 231},        {"chkVoxFunc", 232},       {"lblVoxLevel", 233},
    {"lblVoxDly", 234},        {"fraPwrOnSet", 241},   {"lblPwrOnShowMode", 242}, {"lblPwrMsg", 245},
    {"fraRadio", 246},         {"fraRadioSet", 247},   {"chkRadioOn", 248},       {"lblRadioWorkMode", 249},
    {"lblRadioSql", 252},      {"lblRadioMoni", 253},  {"lblRadioNowCh", 256},    {"cmdClrRadioFre", 261},
    {"fraRadioCh", 258},       {"cmdSysSetPrint", 147},
};

// The label beside a combo box: cboTot -> lblTot.
QString labelNameOf(const char* comboName) { return QStringLiteral("lbl") + QString::fromLatin1(comboName).mid(3); }

// A focus change that the program's "lost focus" handlers answer. Switching to another
// program and the box's own context menu (paste) leave the typing where it is; any other
// pop-up counts as leaving, so a command picked from the menu bar right after typing
// works on what was typed.
bool leavesBox(const QObject* box, const QEvent* event) {
  if (event->type() != QEvent::FocusOut) return false;
  const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
  if (reason == Qt::ActiveWindowFocusReason) return false;
  if (reason == Qt::PopupFocusReason) {
    const QWidget* popup = QApplication::activePopupWidget();
    for (const QObject* o = popup; o; o = o->parent())
      if (o == box) return false;
  }
  return true;
}

class DoubleClickFilter : public QObject {
 public:
  DoubleClickFilter(QObject* parent, std::function<void()> action) : QObject(parent), action_(std::move(action)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonDblClick) action_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> action_;
};

}  // namespace

void onDoubleClick(QWidget* widget, std::function<void()> action) {
  widget->installEventFilter(new DoubleClickFilter(widget, std::move(action)));
}

SysSetOptionsPage::SysSetOptionsPage(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
  setObjectName(QStringLiteral("fraOption"));
  scroll_ = new QScrollArea(this);
  scroll_->setObjectName(QStringLiteral("scrOption"));
  scroll_->setWidgetResizable(true);
  scroll_->setFrameShape(QFrame::NoFrame);
  content_ = new QWidget(scroll_);
  content_->setObjectName(QStringLiteral("fraOptionContent"));

  auto* grid = new QGridLayout(content_);
  grid->addWidget(buildCommonSet(content_), 0, 0, 2, 1);
  grid->addWidget(buildVox(content_), 0, 1);
  grid->addWidget(buildPwrOnSet(content_), 1, 1);
  grid->addWidget(buildRadio(content_), 2, 0, 1, 2);

  cmdSysSetPrint_ = new QPushButton(content_);
  cmdSysSetPrint_->setObjectName(QStringLiteral("cmdSysSetPrint"));
  grid->addWidget(cmdSysSetPrint_, 3, 1, Qt::AlignRight);
  connect(cmdSysSetPrint_, &QPushButton::clicked, this, [this] { cmdSysSetPrint_Click(); });

  // The frames keep their natural size in the top left corner; room to spare stays empty.
  grid->setRowStretch(4, 1);
  grid->setColumnStretch(2, 1);

  scroll_->setWidget(content_);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll_);
}

QGroupBox* SysSetOptionsPage::frame(const char* name, QWidget* parent) {
  auto* f = new QGroupBox(parent);
  f->setObjectName(QString::fromLatin1(name));
  return f;
}

QLabel* SysSetOptionsPage::label(const char* name, QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  return l;
}

QComboBox* SysSetOptionsPage::comboFor(int entry, QWidget* parent) {
  const OptControlEntry* item = optControl(entry);
  auto* cbo = new QComboBox(parent);
  cbo->setObjectName(QString::fromLatin1(item->control));
  cbo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  // The longest choice is always whole, whatever the font: the page scrolls instead.
  cbo->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
  combos_.insert(entry, cbo);
  // The user's choice (mouse, keys or wheel); the program's own selections come with the
  // signals blocked and the logic runs the handler itself.
  connect(cbo, &QComboBox::currentIndexChanged, this, [this, entry](int index) {
    if (index < 0) return;
    optControlClick(ctx_, entry, index);
    ctx_.views->configurationEdited();
  });
  return cbo;
}

QCheckBox* SysSetOptionsPage::checkFor(int entry, QWidget* parent) {
  const OptControlEntry* item = optControl(entry);
  auto* chk = new QCheckBox(parent);
  chk->setObjectName(QString::fromLatin1(item->control));
  checks_.insert(entry, chk);
  connect(chk, &QCheckBox::toggled, this, [this, entry](bool ticked) {
    optControlClick(ctx_, entry, ticked ? 1 : 0);
    ctx_.views->configurationEdited();
  });
  return chk;
}

QGroupBox* SysSetOptionsPage::buildCommonSet(QWidget* parent) {
  QGroupBox* fra = frame("fraCommonSet", parent);
  auto* grid = new QGridLayout(fra);
  // Eight choices in two columns of label and list, the four switches below them.
  const int entries[] = {kOptTot, kOptSql, kOptBeep, kOptKeyLock, kOptWorkMode, kOptScanMode, kOptKeyLig, kOptAnVoice};
  int i = 0;
  for (int entry : entries) {
    QComboBox* cbo = comboFor(entry, fra);
    QLabel* lbl = label(labelNameOf(optControl(entry)->control).toLatin1().constData(), fra);
    lbl->setBuddy(cbo);
    const int row = i % 4, col = (i / 4) * 2;
    grid->addWidget(lbl, row, col);
    grid->addWidget(cbo, row, col + 1);
    ++i;
  }
  grid->addWidget(checkFor(kOptChNameShow, fra), 4, 0, 1, 2);
  grid->addWidget(checkFor(kOptBatSave, fra), 4, 2, 1, 2);
  grid->addWidget(checkFor(kOptRevFre, fra), 5, 0, 1, 2);
  grid->addWidget(checkFor(kOptWideBand, fra), 5, 2, 1, 2);
  grid->setColumnMinimumWidth(2, 0);
  grid->setHorizontalSpacing(10);
  grid->setRowStretch(6, 1);
  return fra;
}

QGroupBox* SysSetOptionsPage::buildVox(QWidget* parent) {
  QGroupBox* fra = frame("fraVox", parent);
  auto* grid = new QGridLayout(fra);
  grid->addWidget(checkFor(kOptVoxFunc, fra), 0, 0, 1, 2);
  int row = 1;
  for (int entry : {kOptVoxLevel, kOptVoxDly}) {
    QComboBox* cbo = comboFor(entry, fra);
    QLabel* lbl = label(labelNameOf(optControl(entry)->control).toLatin1().constData(), fra);
    lbl->setBuddy(cbo);
    grid->addWidget(lbl, row, 0);
    grid->addWidget(cbo, row, 1);
    ++row;
  }
  // The lists keep their natural width; room to spare stays on the right.
  grid->setColumnStretch(2, 1);
  return fra;
}

QGroupBox* SysSetOptionsPage::buildPwrOnSet(QWidget* parent) {
  QGroupBox* fra = frame("fraPwrOnSet", parent);
  auto* grid = new QGridLayout(fra);
  QComboBox* cbo = comboFor(kOptPwrOnShowMode, fra);
  QLabel* lblMode = label("lblPwrOnShowMode", fra);
  lblMode->setBuddy(cbo);
  grid->addWidget(lblMode, 0, 0);
  grid->addWidget(cbo, 0, 1);

  txtPwrMsg_ = new QLineEdit(fra);
  txtPwrMsg_->setObjectName(QStringLiteral("txtPwrMsg"));
  // Room for the five characters the radio shows, and for a longer text being typed.
  const int msgWidth = txtPwrMsg_->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWW"));
  txtPwrMsg_->setMinimumWidth(msgWidth);
  txtPwrMsg_->setMaximumWidth(msgWidth * 2);
  txtPwrMsg_->installEventFilter(this);
  QLabel* lblMsg = label("lblPwrMsg", fra);
  lblMsg->setBuddy(txtPwrMsg_);
  grid->addWidget(lblMsg, 1, 0);
  grid->addWidget(txtPwrMsg_, 1, 1);
  grid->setColumnStretch(2, 1);
  return fra;
}

QGroupBox* SysSetOptionsPage::buildRadio(QWidget* parent) {
  QGroupBox* fraRadio = frame("fraRadio", parent);
  auto* row = new QHBoxLayout(fraRadio);

  QGroupBox* set = frame("fraRadioSet", fraRadio);
  auto* setGrid = new QGridLayout(set);
  setGrid->addWidget(checkFor(kOptRadioOn, set), 0, 0, 1, 2);
  int r = 1;
  for (int entry : {kOptRadioWorkMode, kOptRadioSql, kOptRadioMoni, kOptRadioNowCh}) {
    QComboBox* cbo = comboFor(entry, set);
    QLabel* lbl = label(labelNameOf(optControl(entry)->control).toLatin1().constData(), set);
    lbl->setBuddy(cbo);
    setGrid->addWidget(lbl, r, 0);
    setGrid->addWidget(cbo, r, 1);
    ++r;
  }
  setGrid->setRowStretch(r, 1);
  row->addWidget(set);

  // The stations in five columns of label and box, "Clear" below them.
  QGroupBox* ch = frame("fraRadioCh", fraRadio);
  auto* chGrid = new QGridLayout(ch);
  const int boxWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000.00"));
  for (int i = 0; i < kFmStations; ++i) {
    auto* lbl = new QLabel(ch);
    lbl->setObjectName(QStringLiteral("lblRadioFre(%1)").arg(i));
    auto* box = new QLineEdit(ch);
    box->setObjectName(QStringLiteral("txtRadioFre(%1)").arg(i));
    box->setMinimumWidth(boxWidth);
    box->setMaximumWidth(boxWidth * 3 / 2);
    box->installEventFilter(this);
    lbl->setBuddy(box);
    lblRadioFre_[i] = lbl;
    txtRadioFre_[i] = box;
    const int gridRow = i / 5, col = (i % 5) * 2;
    chGrid->addWidget(lbl, gridRow, col);
    chGrid->addWidget(box, gridRow, col + 1);
    // Typing: filtered at once.
    connect(box, &QLineEdit::textEdited, this, [this, i] { txtRadioFre_Change(ctx_, *this, i); });
  }
  cmdClrRadioFre_ = new QPushButton(ch);
  cmdClrRadioFre_->setObjectName(QStringLiteral("cmdClrRadioFre"));
  chGrid->addWidget(cmdClrRadioFre_, 5, 8, 1, 2);
  connect(cmdClrRadioFre_, &QPushButton::clicked, this, [this] {
    cmdClrRadioFre_Click(ctx_, *this);
    ctx_.views->configurationEdited();
  });
  row->addWidget(ch);
  return fraRadio;
}

void SysSetOptionsPage::InitFace() {
  for (const Caption& c : kCaptions) {
    QWidget* w = findChild<QWidget*>(QString::fromLatin1(c.control));
    const QString text = ctx_.text(c.text);
    if (auto* l = qobject_cast<QLabel*>(w))
      l->setText(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
      b->setText(text);
    else if (auto* f = qobject_cast<QGroupBox*>(w))
      f->setTitle(text);
  }
  for (int i = 0; i < kFmStations; ++i) lblRadioFre_[i]->setText(ctx_.text(kTextFmStation) + QString::number(i + 1));
  applyFontFamily(content_, ctx_.st.CurFont);
}

void SysSetOptionsPage::showPowerOnMessage(const QString& text) { txtPwrMsg_->setText(text); }

void SysSetOptionsPage::setComboItems(int entry, const QStringList& items) {
  QComboBox* cbo = combos_.value(entry);
  if (!cbo) return;
  const QSignalBlocker block(cbo);
  cbo->clear();
  cbo->addItems(items);
  cbo->setCurrentIndex(-1);
}

void SysSetOptionsPage::setComboIndex(int entry, int position) {
  QComboBox* cbo = combos_.value(entry);
  if (!cbo) return;
  const QSignalBlocker block(cbo);
  cbo->setCurrentIndex(position);
}

bool SysSetOptionsPage::isChecked(int entry) const {
  const QCheckBox* chk = checks_.value(entry);
  return chk && chk->isChecked();
}

void SysSetOptionsPage::setChecked(int entry, bool ticked) {
  QCheckBox* chk = checks_.value(entry);
  if (!chk) return;
  const QSignalBlocker block(chk);
  chk->setChecked(ticked);
}

QString SysSetOptionsPage::stationText(int station) const { return txtRadioFre_[station]->text(); }

void SysSetOptionsPage::setStationText(int station, const QString& text) {
  const QSignalBlocker block(txtRadioFre_[station]);
  txtRadioFre_[station]->setText(text);
}

bool SysSetOptionsPage::eventFilter(QObject* watched, QEvent* event) {
  if (leavesBox(watched, event)) {
    if (watched == txtPwrMsg_) {
      txtPwrMsg_LostFocus(ctx_, txtPwrMsg_->text());
    } else {
      for (int i = 0; i < kFmStations; ++i)
        if (watched == txtRadioFre_[i]) txtRadioFre_LostFocus(ctx_, *this, i);
    }
    ctx_.views->configurationEdited();
  }
  return QWidget::eventFilter(watched, event);
}

void SysSetOptionsPage::cmdSysSetPrint_Click() {
  // The picture is of the whole settings window as it is shown, frame and tabs included.
  QWidget* target = window();
  for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
    if (qobject_cast<QMdiSubWindow*>(w)) {
      target = w;
      break;
    }
  }
  QString job = ctx_.text(kTextRadioSettings);  // "Radio Settings"
  if (job.isEmpty()) job = QStringLiteral("K52");
  ctx_.dialogs.printImage(target->grab().toImage(), job);
}

}  // namespace k52
