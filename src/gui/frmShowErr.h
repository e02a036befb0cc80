#pragma once
// The error window "Notice": a dock of the main window whose list shows the error log.
// It opens itself with the first entry; closing it discards the entries.

#include <QDockWidget>

class QListWidget;

namespace k52 {

class ErrorLog;

class frmShowErr : public QDockWidget {
  Q_OBJECT
 public:
  explicit frmShowErr(ErrorLog& log, QWidget* parent = nullptr);
  QListWidget* listShowErr() const { return list_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  ErrorLog& log_;
  QListWidget* list_;
  int selected_ = -1;  // the line to select when the events next run
};

}  // namespace k52
