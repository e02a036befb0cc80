#include "gui/frmAboutSoft.h"

#include "core/guarded.h"
#include "app/appcontext.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace k52 {

namespace {

// The box's own texts: Simplified Chinese, Traditional Chinese, English.
struct AboutTexts {
  const char* caption;
  const char* title;
  const char* useRange;
  const char* version;
  const char* release;
  const char* description;
  const char* rights;
  const char* ok;
};
constexpr AboutTexts kAboutTexts[3] = {
    {"关于", "K52系列对讲机编程软件", "用于K52", "版本 1.0.1", "2011-2020", "KDR通信有限公司", "版权所有", "确定"},
    {"關於", "K52系列對講機編程軟體", "用於K52", "版本 1.0.1", "2011-2020", "KDR 無線通訊股份有限公司", "版權所有", "確定"},
    {"About", "K52 Radio Programming Software", "For K52", "Version 1.0.1", "2011", "KDR Communication Co., Ltd.",
     "All Rights Reserved", "OK"},
};

constexpr int kTitlePointSize = 14;

QLabel* label(const char* name, QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setAlignment(Qt::AlignCenter);
  return l;
}

}  // namespace

frmAboutSoft::frmAboutSoft(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
  setObjectName(QStringLiteral("frmAboutSoft"));
  setModal(true);
  lblTitle_ = label("lblTitle", this);
  lblUseRange_ = label("lblUseRange", this);
  lblVersion_ = label("lblVersion", this);
  lblRelease_ = label("lblRelease", this);
  lblDescription_ = label("lblDescription", this);
  lblRights_ = label("lblRights", this);
  cmdOk_ = new QPushButton(this);
  cmdOk_->setObjectName(QStringLiteral("cmdOk"));
  cmdOk_->setDefault(true);
  connect(cmdOk_, &QPushButton::clicked, this, &frmAboutSoft::cmdOk_Click);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 18, 24, 12);
  layout->addWidget(lblTitle_);
  layout->addSpacing(8);
  for (QLabel* l : {lblUseRange_, lblVersion_, lblRelease_}) layout->addWidget(l);
  layout->addSpacing(8);
  layout->addWidget(lblDescription_);
  layout->addWidget(lblRights_);
  layout->addSpacing(8);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOk_);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  Form_Load();
}

void frmAboutSoft::Form_Load() {
  guarded(ctx_.log, "frmAboutSoft->Form_Load:", [&] { InitFace(); });
}

void frmAboutSoft::InitFace() {
  guarded(ctx_.log, "frmAboutSoft->InitFace:", [&] {
    const AboutTexts& t = kAboutTexts[validLang(ctx_.st.CurLang) - 1];
    setWindowTitle(QString::fromUtf8(t.caption));
    lblTitle_->setText(QString::fromUtf8(t.title));
    lblUseRange_->setText(QString::fromUtf8(t.useRange));
    lblVersion_->setText(QString::fromUtf8(t.version));
    lblRelease_->setText(QString::fromUtf8(t.release));
    lblDescription_->setText(QString::fromUtf8(t.description));
    lblRights_->setText(QString::fromUtf8(t.rights));
    lblRights_->setVisible(true);
    cmdOk_->setText(QString::fromUtf8(t.ok));

    for (QWidget* w : std::initializer_list<QWidget*>{lblTitle_, lblUseRange_, lblVersion_, lblRelease_, lblDescription_,
                                                      lblRights_, cmdOk_}) {
      QFont f = w->font();
      if (!ctx_.st.CurFont.isEmpty()) f.setFamilies({ctx_.st.CurFont});
      if (w == lblTitle_) f.setPointSize(kTitlePointSize);
      w->setFont(f);
    }
  });
}

void frmAboutSoft::cmdOk_Click() {
  guarded(ctx_.log, "frmAboutSoft->cmdOK_Click:", [&] { close(); });
}

}  // namespace k52
