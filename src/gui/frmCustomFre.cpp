#include "gui/frmCustomFre.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace k52 {

void applyFontFamily(QWidget* widget, const QString& family) {
  if (!widget || family.isEmpty()) return;
  QFont f = widget->font();
  f.setFamilies({family});
  widget->setFont(f);
}

frmCustomFre::frmCustomFre(const CustomRangeForm& form, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmCustomFre"));
  setWindowTitle(form.caption);
  setModal(true);

  fraCustomFre_ = new QGroupBox(this);
  fraCustomFre_->setObjectName(QStringLiteral("fraCustomFre"));
  lblFreMin_ = new QLabel(form.lblFreMin, fraCustomFre_);
  lblFreMin_->setObjectName(QStringLiteral("lblFreMin"));
  txtFreMin_ = new QLineEdit(form.texts.min, fraCustomFre_);
  txtFreMin_->setObjectName(QStringLiteral("txtFreMin"));
  lblFreMax_ = new QLabel(form.lblFreMax, fraCustomFre_);
  lblFreMax_->setObjectName(QStringLiteral("lblFreMax"));
  txtFreMax_ = new QLineEdit(form.texts.max, fraCustomFre_);
  txtFreMax_->setObjectName(QStringLiteral("txtFreMax"));
  lblFreMin_->setBuddy(txtFreMin_);
  lblFreMax_->setBuddy(txtFreMax_);
  for (QLineEdit* box : {txtFreMin_, txtFreMax_}) box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000.00000")));

  auto* boxes = new QGridLayout(fraCustomFre_);
  boxes->addWidget(lblFreMin_, 0, 0);
  boxes->addWidget(txtFreMin_, 0, 1);
  boxes->addWidget(lblFreMax_, 1, 0);
  boxes->addWidget(txtFreMax_, 1, 1);
  boxes->setColumnStretch(1, 1);

  auto* buttons = new QDialogButtonBox(this);
  cmdOk_ = buttons->addButton(form.cmdOk, QDialogButtonBox::AcceptRole);
  cmdOk_->setObjectName(QStringLiteral("cmdOk"));
  cmdOk_->setDefault(true);
  cmdCancel_ = buttons->addButton(form.cmdCancel, QDialogButtonBox::RejectRole);
  cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fraCustomFre_);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  applyFontFamily(this, form.font);
}

CustomRangeTexts frmCustomFre::texts() const { return {txtFreMin_->text(), txtFreMax_->text()}; }

}  // namespace k52
