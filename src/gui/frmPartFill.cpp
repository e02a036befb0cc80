#include "gui/frmPartFill.h"

#include "app/memdat.h"
#include "gui/frmCustomFre.h"
#include "core/guarded.h"
#include "core/numbers.h"
#include "app/appcontext.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace k52 {

frmPartFill::frmPartFill(AppContext& ctx, Grid& gridMemDat, QWidget* parent)
    : QDialog(parent), ctx_(ctx), grid_(gridMemDat) {
  setObjectName(QStringLiteral("frmPartFill"));
  setWindowTitle(QStringLiteral("Part Fill"));
  setModal(true);

  auto label = [this](const char* name, const char* text) {
    auto* l = new QLabel(QString::fromLatin1(text), this);
    l->setObjectName(QString::fromLatin1(name));
    return l;
  };
  auto box = [this](const char* name) {
    auto* t = new QLineEdit(this);
    t->setObjectName(QString::fromLatin1(name));
    return t;
  };
  txtFillData_ = box("txtFillData");
  cboFillData_ = new QComboBox(this);
  cboFillData_->setObjectName(QStringLiteral("cboFillData"));
  cboFillData_->addItems({QStringLiteral("H"), QStringLiteral("D"), QStringLiteral("B")});
  txtStartAddr_ = box("txtStartAddr");
  txtEndAddr_ = box("txtEndAddr");
  // Addresses are up to four hex digits.
  auto* hex = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,4}")), this);
  for (QLineEdit* t : {txtStartAddr_, txtEndAddr_}) {
    t->setValidator(hex);
    t->setMaxLength(4);
  }
  cmdFillData_ = new QPushButton(QStringLiteral("Fill"), this);
  cmdFillData_->setObjectName(QStringLiteral("cmdFillData"));
  cmdFillData_->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(label("lblFillData", "Fill Data"), 0, 0);
  grid->addWidget(txtFillData_, 0, 1);
  grid->addWidget(cboFillData_, 0, 2);
  grid->addWidget(label("lblStartAddr", "Start Addr"), 1, 0);
  grid->addWidget(txtStartAddr_, 1, 1);
  grid->addWidget(label("lblStartUnit", "H"), 1, 2);
  grid->addWidget(label("lblEndAddr", "End Addr"), 2, 0);
  grid->addWidget(txtEndAddr_, 2, 1);
  grid->addWidget(label("lblEndUnit", "H"), 2, 2);
  grid->addWidget(cmdFillData_, 3, 1, 1, 2, Qt::AlignRight);
  grid->setColumnStretch(1, 1);

  connect(txtStartAddr_, &QLineEdit::textChanged, this, &frmPartFill::txtStartAddr_Change);
  connect(txtEndAddr_, &QLineEdit::textChanged, this, &frmPartFill::txtEndAddr_Change);
  connect(cmdFillData_, &QPushButton::clicked, this, &frmPartFill::cmdFillData_Click);
  applyFontFamily(this, ctx_.st.CurFont);
}

void frmPartFill::Form_Load() {
  // Both boxes first, then the stored range: setting one box stores its value.
  const int16_t start = ctx_.st.PartFillStart, end = ctx_.st.PartFillEnd;
  txtStartAddr_->setText(hex4(start));
  txtEndAddr_->setText(hex4(end));
  cboFillData_->setCurrentIndex(PartFillHex);
}

void frmPartFill::showEvent(QShowEvent* event) {
  Form_Load();
  QDialog::showEvent(event);
}

void frmPartFill::txtStartAddr_Change() {
  guarded(ctx_.log, "frmPartFill->txtStartAddr_Change",
          [&] { ctx_.st.PartFillStart = PartFillAddress(txtStartAddr_->text()); });
}

void frmPartFill::txtEndAddr_Change() {
  guarded(ctx_.log, "frmPartFill->txtEndAddr_Change",
          [&] { ctx_.st.PartFillEnd = PartFillAddress(txtEndAddr_->text()); });
}

void frmPartFill::cmdFillData_Click() {
  PartFillData(ctx_, grid_, txtFillData_->text(), static_cast<PartFillBase>(cboFillData_->currentIndex()), txtStartAddr_->text(),
               txtEndAddr_->text());
}

}  // namespace k52
