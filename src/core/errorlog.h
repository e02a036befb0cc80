#pragma once
// The error log: the list shown in the error window "Notice". Every procedure with a
// failure path writes one two-line entry here and returns; nothing is ever shown as a
// message box for an unexpected failure.

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace k52 {

class Clock;

class ErrorLog : public QObject {
  Q_OBJECT
 public:
  explicit ErrorLog(const Clock& clock, QObject* parent = nullptr);

  // Two-line entry: header with date and time, then name, number, source, description.
  void LogError(const QString& procName, int number, const QString& source);
  // Header line plus "        可选功能项:   " + text (out-of-range option values).
  void LogOptError(const QString& text);
  // Sets ErrDescription from the description table.
  void VbErrNumDes(int16_t number);

  // The window was closed by the user: its entries are discarded; the next entry
  // opens a new, empty window.
  void windowClosed();
  // The window was shown by the menu command without an entry.
  void open();

  bool isOpen() const { return open_; }
  const QStringList& lines() const { return lines_; }
  int selectedLine() const { return selected_; }
  int16_t ErrCount = 0;
  QString ErrDescription;

  // Every entry ever logged in this run (tests, and k52cli's standard error).
  int entriesLogged() const { return entries_; }
  const QString& lastProcName() const { return lastProc_; }
  int lastNumber() const { return lastNumber_; }

 signals:
  void opened();
  void lineInserted(int position, const QString& text);
  void lineSelected(int position);
  void cleared();

 private:
  void insertLine(const QString& text);
  void header();

  const Clock& clock_;
  bool open_ = false;
  QStringList lines_;
  int selected_ = -1;
  int entries_ = 0;
  QString lastProc_;
  int lastNumber_ = 0;
};

}  // namespace k52
