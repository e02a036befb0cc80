#pragma once
// The custom band range dialog: two boxes for the lowest and highest frequency in MHz.
// Its logic (captions, the question on OK, the range check) is in editor/bandchoice; this
// window only shows what that logic set up and hands back what the user typed.

#include "core/dialogs.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace k52 {

class frmCustomFre : public QDialog {
  Q_OBJECT
 public:
  explicit frmCustomFre(const CustomRangeForm& form, QWidget* parent = nullptr);

  // The two boxes as the user left them.
  CustomRangeTexts texts() const;

 private:
  QGroupBox* fraCustomFre_;
  QLabel* lblFreMin_;
  QLineEdit* txtFreMin_;
  QLabel* lblFreMax_;
  QLineEdit* txtFreMax_;
  QPushButton* cmdOk_;
  QPushButton* cmdCancel_;
};

// Gives widget (and the children that inherit its font) the font family, keeping sizes.
void applyFontFamily(QWidget* widget, const QString& family);

}  // namespace k52
