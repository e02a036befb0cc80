#include "gui/frmCommun.h"

#include "app/session.h"
#include "gui/frmMemDat.h"
#include "gui/frmCustomFre.h"
#include "core/guarded.h"
#include "core/numbers.h"
#include "app/appcontext.h"
#include "core/langtexts.h"
#include "gui/mdifrmMain.h"
#include "gui/qtwindowfit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace k52 {

namespace {

// The live list is emptied when it holds more than this many lines.
constexpr int16_t kListCap = 3000;
constexpr int kLampMs = 100;

// The window's parts, in twips as the layout was drawn.
constexpr int kWidth = 7200;
constexpr int kFraOneTop = 60, kFraOneHeight = 1560;
constexpr int kFraTwoHeight = 3000;
constexpr int kFraRdWrDatHeight = 2280;
constexpr int kCollapsedExtra = 550, kExpandedExtra = 600;

int px(int twips, const QWidget* w) { return twipsToPixels(twips, w); }

QPixmap lamp(const QColor& colour, int size) {
  QPixmap p(size, size);
  p.fill(Qt::transparent);
  QPainter painter(&p);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(colour.darker(160), 1));
  painter.setBrush(colour);
  painter.drawEllipse(1, 1, size - 2, size - 2);
  return p;
}

struct AddressBox {
  const char* name;
  const char* label;
  const char* key;
  const char* handler;
  QString AppState::*text;
  int16_t AppState::*value;
};

constexpr int kAddressBoxes = 5;
const AddressBox kAddressBox[kAddressBoxes] = {
    {"txtReadStartAddr", "Read Start Addr", "ReadStartAddr", "frmCommun->txtReadStartAddr_Change",
     &AppState::ReadStartAddrText, &AppState::ReadStartAddr},
    {"txtReadEndAddr", "Read End Addr", "ReadEndAddr", "frmCommun->txtReadEndAddr_Change", &AppState::ReadEndAddrText,
     &AppState::ReadEndAddr},
    {"txtWriteStartAddr", "Write Start Addr", "WriteStartAddr", "frmCommun->txtWriteStartAddr_Change",
     &AppState::WriteStartAddrText, &AppState::WriteStartAddr},
    {"txtWriteEndAddr", "Write End Addr", "WriteEndAddr", "frmCommun->txtWriteEndAddr_Change",
     &AppState::WriteEndAddrText, &AppState::WriteEndAddr},
    {"txtMaxAddr", "Grid Max Addr", "TableMaxAddr", "frmCommun->txtMaxAddr_Change", &AppState::TableMaxAddrText,
     &AppState::TableMaxAddr},
};

// An address box changed: the settings key takes the text as typed, then the value
// follows when the text is a hexadecimal number (otherwise it stays, and the log says why).
void addressChanged(AppContext& ctx, const AddressBox& box, const QString& text) {
  guarded(ctx.log, box.handler, [&] {
    const bool stored = ctx.ini.write(QStringLiteral("Setting"), QString::fromLatin1(box.key), text);
    ctx.st.*box.text = text;
    ctx.st.*box.value = hexTextToInt16(text);
    if (!stored) ctx.ini.raiseWriteFailure();
  });
}

}  // namespace

frmCommun::frmCommun(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
  setObjectName(QStringLiteral("frmCommun"));
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  body_ = new QWidget(this);
  body_->setObjectName(QStringLiteral("fraCommunBody"));
  buildProgressPart();
  buildDataPart();
  buildAddressPart();
  scrollingBody(this, body_);
  Form_Load();
}

void frmCommun::buildProgressPart() {
  fraOne_ = new QGroupBox(body_);
  fraOne_->setObjectName(QStringLiteral("fraOne"));
  fraOne_->setGeometry(px(120, this), px(kFraOneTop, this), px(kWidth - 240, this), px(kFraOneHeight, this));
  fraOne_->installEventFilter(this);

  prgCommunicate_ = new QProgressBar(fraOne_);
  prgCommunicate_->setObjectName(QStringLiteral("prgCommunicate"));
  prgCommunicate_->setRange(0, 100);
  prgCommunicate_->setValue(0);
  prgCommunicate_->setTextVisible(false);
  prgCommunicate_->setGeometry(px(240, this), px(360, this), px(5040, this), px(330, this));

  lblComStatus_ = new QLabel(fraOne_);
  lblComStatus_->setObjectName(QStringLiteral("lblComStatus"));
  lblComStatus_->setStyleSheet(QStringLiteral("color: #FF0000;"));  // colour value 255
  lblComStatus_->setGeometry(px(5400, this), px(360, this), px(1200, this), px(330, this));

  const int lampSize = px(300, this);
  imgRed_ = new QLabel(fraOne_);
  imgRed_->setObjectName(QStringLiteral("imgRed"));
  imgRed_->setPixmap(lamp(QColor(0xE0, 0x20, 0x20), lampSize));
  imgRed_->setGeometry(px(240, this), px(960, this), lampSize, lampSize);
  imgGreen_ = new QLabel(fraOne_);
  imgGreen_->setObjectName(QStringLiteral("imgGreen"));
  imgGreen_->setPixmap(lamp(QColor(0x20, 0xC0, 0x20), lampSize));
  imgGreen_->setGeometry(imgRed_->geometry());
  imgGreen_->raise();
  imgGreen_->hide();

  cmdRead_ = new QPushButton(fraOne_);
  cmdRead_->setObjectName(QStringLiteral("cmdRead"));
  cmdWrite_ = new QPushButton(fraOne_);
  cmdWrite_->setObjectName(QStringLiteral("cmdWrite"));
  for (QPushButton* b : {cmdRead_, cmdWrite_}) {
    b->setGeometry(px(4920, this), px(870, this), px(1680, this), px(480, this));
    b->setAutoDefault(false);
  }
  connect(cmdRead_, &QPushButton::clicked, this, [this] { cmdRead_Click(); });
  connect(cmdWrite_, &QPushButton::clicked, this, [this] { cmdWrite_Click(); });

  tmrLigGrint_ = new QTimer(this);
  tmrLigGrint_->setObjectName(QStringLiteral("tmrLigGrint"));
  tmrLigGrint_->setInterval(kLampMs);
  connect(tmrLigGrint_, &QTimer::timeout, this, [this] { imgGreen_->setVisible(!imgGreen_->isVisible()); });
}

void frmCommun::buildDataPart() {
  fraTwo_ = new QGroupBox(QStringLiteral("Communication Data"), body_);
  fraTwo_->setObjectName(QStringLiteral("fraTwo"));
  fraTwo_->setGeometry(px(120, this), px(kFraOneTop + kFraOneHeight + 60, this), px(kWidth - 240, this),
                       px(kFraTwoHeight, this));
  listRtData_ = new QListWidget(fraTwo_);
  listRtData_->setObjectName(QStringLiteral("listRtData"));
  listRtData_->setUniformItemSizes(true);
  QFont mono(QStringLiteral("Monospace"));
  mono.setStyleHint(QFont::TypeWriter);
  listRtData_->setFont(mono);
  listRtData_->setGeometry(px(120, this), px(300, this), px(kWidth - 480, this), px(kFraTwoHeight - 420, this));
}

void frmCommun::buildAddressPart() {
  fraRdWrDat_ = new QGroupBox(QStringLiteral("Read Write Data"), body_);
  fraRdWrDat_->setObjectName(QStringLiteral("fraRdWrDat"));
  fraRdWrDat_->setGeometry(px(120, this), px(kFraOneTop + kFraOneHeight + kFraTwoHeight + 120, this),
                           px(kWidth - 240, this), px(kFraRdWrDatHeight, this));
  QLineEdit** boxes[kAddressBoxes] = {&txtReadStartAddr_, &txtReadEndAddr_, &txtWriteStartAddr_, &txtWriteEndAddr_,
                                      &txtMaxAddr_};
  for (int i = 0; i < kAddressBoxes; ++i) {
    const AddressBox& b = kAddressBox[i];
    const int top = 300 + i * 380;
    auto* label = new QLabel(QString::fromLatin1(b.label), fraRdWrDat_);
    label->setGeometry(px(180, this), px(top, this), px(1560, this), px(330, this));
    auto* box = new QLineEdit(fraRdWrDat_);
    box->setObjectName(QString::fromLatin1(b.name));
    box->setGeometry(px(1800, this), px(top, this), px(900, this), px(330, this));
    auto* unit = new QLabel(QStringLiteral("H"), fraRdWrDat_);
    unit->setGeometry(px(2760, this), px(top, this), px(240, this), px(330, this));
    *boxes[i] = box;
  }
  chkNotShowProg_ = new QCheckBox(QStringLiteral("Not Show Course"), fraRdWrDat_);
  chkNotShowProg_->setObjectName(QStringLiteral("chkNotShowProg"));
  chkShowMemDat_ = new QCheckBox(QStringLiteral("Show Memory Data"), fraRdWrDat_);
  chkShowMemDat_->setObjectName(QStringLiteral("chkShowMemDat"));
  chkStopCom_ = new QCheckBox(QStringLiteral("Stop Communication"), fraRdWrDat_);
  chkStopCom_->setObjectName(QStringLiteral("chkStopCom"));
  int top = 300;
  for (QCheckBox* c : {chkNotShowProg_, chkShowMemDat_, chkStopCom_}) {
    c->setGeometry(px(3600, this), px(top, this), px(3000, this), px(330, this));
    top += 380;
  }
}

void frmCommun::Form_Load() {
  guarded(ctx_.log, "frmCommun->Form_Load", [&] {
    setWindowTitle(ctx_.text(kTextCommunTitle));
    fraOne_->setTitle(ctx_.text(kTextCommunFrame));
    cmdRead_->setText(ctx_.text(kTextReadButton));
    cmdWrite_->setText(ctx_.text(kTextWriteButton));
    const QString& font = ctx_.st.CurFont;
    if (!font.isEmpty()) {
      applyFontFamily(this, font);
      // The data list keeps its fixed-pitch font so the columns of bytes line up.
      QFont mono(QStringLiteral("Monospace"));
      mono.setStyleHint(QFont::TypeWriter);
      listRtData_->setFont(mono);
    }
    showAddressTexts(ctx_.st);
    ShowComButton();
    collapse();
  });
}

void frmCommun::showAddressTexts(const AppState& st) {
  QLineEdit* boxes[kAddressBoxes] = {txtReadStartAddr_, txtReadEndAddr_, txtWriteStartAddr_, txtWriteEndAddr_,
                                     txtMaxAddr_};
  for (int i = 0; i < kAddressBoxes; ++i) {
    QLineEdit* box = boxes[i];
    box->disconnect(this);
    box->setText(st.*kAddressBox[i].text);
    const AddressBox& b = kAddressBox[i];
    connect(box, &QLineEdit::textChanged, this, [this, &b](const QString& text) { addressChanged(ctx_, b, text); });
  }
}

void frmCommun::ShowComButton() {
  guarded(ctx_.log, "modCommun->ShowComButton", [&] {
    cmdRead_->setVisible(!ctx_.com.ComDir);
    cmdWrite_->setVisible(ctx_.com.ComDir);
  });
}

TransferEnd frmCommun::cmdRead_Click() { return runTransfer(false); }
TransferEnd frmCommun::cmdWrite_Click() { return runTransfer(true); }

TransferEnd frmCommun::runTransfer(bool write) {
  if (running_) return TransferEnd::Refused;  // a click that slipped in during a wait
  // A read replaces the configuration: unsaved changes are saved or given up first.
  if (!write && !AskToSaveChanges(ctx_)) return TransferEnd::Refused;
  stopping_ = false;
  Session session(ctx_);
  const TransferEnd end = write ? session.writeRadio(*this, nullptr) : session.readRadio(*this, nullptr);
  // "Stop Communication" ends one transfer; the next one runs again.
  if (end == TransferEnd::Stopped) chkStopCom_->setChecked(false);
  return end;
}

void frmCommun::ComDataShow(int16_t dir, const QByteArray& block) {
  guarded(ctx_.log, "modCommun->ComDataShow", [&] {
    if (chkNotShowProg_->isChecked()) return;
    if (LineCount > kListCap) {
      listRtData_->clear();
      LineCount = 0;
    }
    for (const QString& line : comDataLines(dir, block)) addLine(line);
  });
}

void frmCommun::addLine(const QString& text) {
  listRtData_->insertItem(LineCount, text);
  listRtData_->setCurrentRow(LineCount);
  ++LineCount;
}

void frmCommun::ShowComPercent(int16_t iPercent) {
  guarded(ctx_.log, "frmCommun->ShowComPercent", [&] {
    prgCommunicate_->setValue(iPercent);
    lblComStatus_->setText(QString::number(iPercent) + QStringLiteral(" %"));
  });
}

void frmCommun::transferStarting(bool write) {
  running_ = true;
  LineCount = 0;
  listRtData_->clear();
  tmrLigGrint_->start();
  setInputAccepted(false);
  QFont bold = cmdRead_->font();
  bold.setBold(true);
  QFont plain = bold;
  plain.setBold(false);
  cmdRead_->setFont(write ? plain : bold);
  cmdWrite_->setFont(write ? bold : plain);
}

void frmCommun::transferStopped() {
  tmrLigGrint_->stop();
  imgGreen_->hide();
  setInputAccepted(true);
  running_ = false;
}

bool frmCommun::stopRequested() { return chkStopCom_->isChecked(); }

bool frmCommun::showMemoryData() { return chkShowMemDat_->isChecked(); }

// The memory viewer of the main window, when it has been loaded.
void frmCommun::TableFreDat() {
  auto* main = qobject_cast<mdifrmMain*>(parentWidget());
  if (frmMemDat* viewer = main ? main->memDatWindow() : nullptr) viewer->TableFreDat();
}

void frmCommun::transferFinished() {
  resetProgress();
  hide();
}

void frmCommun::resetProgress() {
  lblComStatus_->clear();
  prgCommunicate_->setValue(0);
}

// While a transfer runs nothing may start another one or change its settings; only
// "Stop Communication" stays open to the user.
void frmCommun::setInputAccepted(bool accepted) {
  for (QWidget* w : std::initializer_list<QWidget*>{cmdRead_, cmdWrite_, txtReadStartAddr_, txtReadEndAddr_,
                                                    txtWriteStartAddr_, txtWriteEndAddr_, txtMaxAddr_, chkNotShowProg_,
                                                    chkShowMemDat_})
    w->setEnabled(accepted);
}

bool frmCommun::expanded() const { return fraTwo_->isVisibleTo(this); }

void frmCommun::collapse() {
  fraTwo_->hide();
  fraRdWrDat_->hide();
  setBodyHeight(fraOne_->height() + px(kCollapsedExtra, this));
}

void frmCommun::expand() {
  fraTwo_->show();
  fraRdWrDat_->show();
  setBodyHeight(fraOne_->height() + fraTwo_->height() + fraRdWrDat_->height() + px(kExpandedExtra, this));
}

void frmCommun::setBodyHeight(int height) {
  body_->setFixedSize(px(kWidth, this), height);
  setMaximumSize(body_->size());
  resize(body_->size());
  fitToScreen(this);
}

void frmCommun::fraOne_DblClick() {
  guarded(ctx_.log, "frmCommun->fraOne_DblClick", [&] {
    if (!ctx_.st.TestModeFlag || running_) return;
    if (!expanded())
      expand();
    else
      collapse();
  });
}

bool frmCommun::eventFilter(QObject* watched, QEvent* event) {
  if (watched == fraOne_ && event->type() == QEvent::MouseButtonDblClick) {
    fraOne_DblClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void frmCommun::reject() {
  if (running_) return;
  resetProgress();
  hide();
  setResult(QDialog::Rejected);
}

void frmCommun::closeEvent(QCloseEvent* event) {
  if (running_ && ctx_.st.AppExiting != 1) {
    event->ignore();
    return;
  }
  resetProgress();
  event->accept();
}

frmCommun& communWindow(AppContext& ctx, QWidget* owner) {
  auto* w = owner->findChild<frmCommun*>(QStringLiteral("frmCommun"), Qt::FindDirectChildrenOnly);
  if (!w) w = new frmCommun(ctx, owner);
  return *w;
}

void showCommun(AppContext& ctx, QWidget* owner, ComDirChoice comDir) {
  frmCommun& w = communWindow(ctx, owner);
  if (comDir != ComDirChoice::Keep) {
    ctx.com.ComDir = comDir == ComDirChoice::Write;
    w.ShowComButton();
  }
  w.exec();
}

void toggleTestMode(AppContext& ctx, QMainWindow& main) {
  ctx.st.TestModeFlag = !ctx.st.TestModeFlag;
  auto* label = main.findChild<QLabel*>(QStringLiteral("lblTestMode"));
  if (!label) {
    label = new QLabel(QStringLiteral("TEST MODE"), &main);
    label->setObjectName(QStringLiteral("lblTestMode"));
    label->setStyleSheet(QStringLiteral("color: #FF0000; font-weight: bold;"));
    main.statusBar()->addPermanentWidget(label);
  }
  label->setVisible(ctx.st.TestModeFlag);
}

}  // namespace k52
