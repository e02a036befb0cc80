#pragma once
// The "Optional Features" tab of the settings window: the general options, VOX, the
// power-on display and message, the FM receiver with its 25 stations, and the print
// button. The logic behind the controls is editor/optpage; this is the widgets.

#include "app/optpage.h"

#include <QHash>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace k52 {

struct AppContext;

class SysSetOptionsPage : public QWidget, public OptPageView {
  Q_OBJECT
 public:
  explicit SysSetOptionsPage(AppContext& ctx, QWidget* parent = nullptr);

  // Captions of the page in the current language, and CurFont.
  void InitFace();
  // The power-on message box shows this text.
  void showPowerOnMessage(const QString& text);

  QComboBox* combo(int entry) const { return combos_.value(entry); }
  QCheckBox* check(int entry) const { return checks_.value(entry); }
  QLineEdit* txtPwrMsg() const { return txtPwrMsg_; }
  QLineEdit* txtRadioFre(int station) const { return txtRadioFre_[station]; }
  QLabel* lblRadioFre(int station) const { return lblRadioFre_[station]; }
  QPushButton* cmdClrRadioFre() const { return cmdClrRadioFre_; }
  QPushButton* cmdSysSetPrint() const { return cmdSysSetPrint_; }
  QScrollArea* scrollArea() const { return scroll_; }

  // OptPageView
  void setComboItems(int entry, const QStringList& items) override;
  void setComboIndex(int entry, int position) override;
  bool isChecked(int entry) const override;
  void setChecked(int entry, bool ticked) override;
  QString stationText(int station) const override;
  void setStationText(int station, const QString& text) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QGroupBox* frame(const char* name, QWidget* parent);
  QLabel* label(const char* name, QWidget* parent);
  QComboBox* comboFor(int entry, QWidget* parent);
  QCheckBox* checkFor(int entry, QWidget* parent);
  QGroupBox* buildCommonSet(QWidget* parent);
  QGroupBox* buildVox(QWidget* parent);
  QGroupBox* buildPwrOnSet(QWidget* parent);
  QGroupBox* buildRadio(QWidget* parent);
  // Prints a picture of the settings window (the window this page sits in).
  void cmdSysSetPrint_Click();

  AppContext& ctx_;
  QScrollArea* scroll_ = nullptr;
  QWidget* content_ = nullptr;
  QHash<int, QComboBox*> combos_;
  QHash<int, QCheckBox*> checks_;
  QLineEdit* txtPwrMsg_ = nullptr;
  QLineEdit* txtRadioFre_[kFmStations] = {};
  QLabel* lblRadioFre_[kFmStations] = {};
  QPushButton* cmdClrRadioFre_ = nullptr;
  QPushButton* cmdSysSetPrint_ = nullptr;
};

// Runs action on every double-click on widget (a frame has no double-click signal).
void onDoubleClick(QWidget* widget, std::function<void()> action);

}  // namespace k52
