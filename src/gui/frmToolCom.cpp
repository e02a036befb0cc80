#include "gui/frmToolCom.h"

#include "app/comports.h"
#include "gui/frmCustomFre.h"
#include "core/guarded.h"
#include "app/appcontext.h"
#include "core/langtexts.h"
#include "core/portlist.h"
#include "core/serialport.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace k52 {

namespace {

// What the label beside an option says: the device, and what the system calls it.
QString deviceText(const QString& device, int portNo) {
  if (device.isEmpty() || device == QStringLiteral("COM%1").arg(portNo)) return {};
  const QString description = serialDeviceDescription(device);
  return description.isEmpty() ? device : QStringLiteral("%1 (%2)").arg(device, description);
}

}  // namespace

frmToolCom::frmToolCom(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
  setObjectName(QStringLiteral("frmToolCom"));
  setModal(true);

  fraMain_ = new QGroupBox(this);
  fraMain_->setObjectName(QStringLiteral("fraMain"));
  fraToolCom_ = new QGroupBox(fraMain_);
  fraToolCom_->setObjectName(QStringLiteral("fraToolCom"));
  lblToolCom_ = new QLabel(fraMain_);
  lblToolCom_->setObjectName(QStringLiteral("lblToolCom"));

  group_ = new QButtonGroup(this);
  group_->setExclusive(true);
  auto* grid = new QGridLayout(fraToolCom_);
  for (int k = 0; k < kPortCount; ++k) {
    auto* option = new QRadioButton(QStringLiteral("COM%1").arg(k + 1), fraToolCom_);
    option->setObjectName(QStringLiteral("COM1_%1").arg(k));
    auto* device = new QLabel(fraToolCom_);
    device->setObjectName(QStringLiteral("lblDevice_%1").arg(k));
    group_->addButton(option, k);
    options_[static_cast<size_t>(k)] = option;
    devices_[static_cast<size_t>(k)] = device;
    // Two columns: COM1-COM8 on the left, COM9-COM16 on the right.
    const int row = k % 8;
    const int col = (k / 8) * 2;
    grid->addWidget(option, row, col);
    grid->addWidget(device, row, col + 1);
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);

  auto* main = new QVBoxLayout(fraMain_);
  main->addWidget(lblToolCom_);
  main->addWidget(fraToolCom_);

  cmdOk_ = new QPushButton(this);
  cmdOk_->setObjectName(QStringLiteral("cmdOk"));
  cmdOk_->setDefault(true);
  cmdCancel_ = new QPushButton(this);
  cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
  connect(cmdOk_, &QPushButton::clicked, this, &frmToolCom::cmdOK_Click);
  connect(cmdCancel_, &QPushButton::clicked, this, &frmToolCom::cmdCancel_Click);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOk_);
  buttons->addWidget(cmdCancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fraMain_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  Form_Load();
}

void frmToolCom::Form_Load() {
  guarded(ctx_.log, "frmToolCom->Form_Load", [&] {
    setWindowTitle(ctx_.text(kTextPortDialogTitle));
    fraToolCom_->setTitle(ctx_.text(kTextPortFrame));
    lblToolCom_->setText(ctx_.text(kTextPortLabel));
    cmdOk_->setText(ctx_.text(kTextPortOk));
    cmdCancel_->setText(ctx_.text(kTextPortCancel));
    const QString& font = ctx_.st.CurFont;
    applyFontFamily(fraToolCom_, font);
    applyFontFamily(lblToolCom_, font);
    applyFontFamily(cmdOk_, font);
    applyFontFamily(cmdCancel_, font);
    for (QRadioButton* option : options_) applyFontFamily(option, font);

    portDevices_ = comDevices(ctx_.ini, listedSerialDevices());
    for (int k = 0; k < kPortCount; ++k) devices_[static_cast<size_t>(k)]->setText(deviceText(portDevices_.at(k), k + 1));
    EnableCOM();

    rememberedComNo_ = ctx_.st.ComNo;
    // The current port stays selected even when its probe failed (another program may
    // hold it just now); OK without another choice keeps it.
    if (rememberedComNo_ >= 1 && rememberedComNo_ <= kPortCount) COM1(rememberedComNo_ - 1)->setChecked(true);
  });
}

void frmToolCom::EnableCOM() {
  guarded(ctx_.log, "frmToolCom->EnableCOM", [&] {
    for (int16_t n = 1; n <= kPortCount; ++n) VerdictCom(n);
  });
}

void frmToolCom::VerdictCom(int16_t intCom) {
  guarded(ctx_.log, "frmToolCom->VerdictCom", [&] {
    if (intCom < 1 || intCom > kPortCount) raiseError(ErrBounds, QStringLiteral("port number %1 outside 1-16").arg(intCom));
    SerialPort& port = *ctx_.port;
    if (port.isOpen()) port.close();
    if (port.open(portDevices_.value(intCom - 1))) {
      port.close();
      return;
    }
    QRadioButton* option = COM1(intCom - 1);
    option->setChecked(false);
    option->hide();
    deviceLabel(intCom - 1)->hide();
  });
}

void frmToolCom::cmdOK_Click() {
  guarded(ctx_.log, "frmToolCom->cmdOK_Click", [&] {
    for (int k = 0; k < kPortCount; ++k) {
      if (!COM1(k)->isChecked()) continue;
      ctx_.st.ComNo = static_cast<int16_t>(k + 1);
      break;
    }
    writeSetting(ctx_, "frmToolCom->cmdOK_Click", QStringLiteral("COM"), QString::number(ctx_.st.ComNo));
  });
  accept();
}

void frmToolCom::cmdCancel_Click() {
  ctx_.st.ComNo = rememberedComNo_;
  QDialog::reject();
}

void frmToolCom::reject() { cmdCancel_Click(); }

void showToolCom(AppContext& ctx, QWidget* owner) {
  frmToolCom dialog(ctx, owner);
  dialog.exec();
}

}  // namespace k52
