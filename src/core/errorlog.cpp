#include "core/errorlog.h"

#include "core/errdescriptions.h"
#include "core/k52error.h"
#include "core/clock.h"

#include <QLocale>
#include <limits>

namespace k52 {

namespace {
// Error numbers beyond 16 bits cannot be shown as they are; they are folded to the
// overflow number so the entry still says something true about the failure.
int16_t toLogNumber(int number) {
  if (number < std::numeric_limits<int16_t>::min() || number > std::numeric_limits<int16_t>::max())
    return static_cast<int16_t>(ErrOverflow);
  return static_cast<int16_t>(number);
}
}  // namespace

ErrorLog::ErrorLog(const Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {}

void ErrorLog::open() {
  if (open_) return;
  open_ = true;
  ErrCount = 0;
  emit opened();
}

void ErrorLog::windowClosed() {
  open_ = false;
  lines_.clear();
  selected_ = -1;
  ErrCount = 0;
  emit cleared();
}

void ErrorLog::insertLine(const QString& text) {
  open();
  const int pos = qBound(0, static_cast<int>(ErrCount), static_cast<int>(lines_.size()));
  lines_.insert(pos, text);
  emit lineInserted(pos, text);
  selected_ = pos;
  emit lineSelected(pos);
  ++ErrCount;
}

void ErrorLog::header() {
  const QString when = QLocale::system().toString(clock_.now(), QLocale::ShortFormat);
  insertLine(QStringLiteral("---------") + when + QStringLiteral("--------"));
}

void ErrorLog::VbErrNumDes(int16_t number) { ErrDescription = errorDescription(number); }

void ErrorLog::LogError(const QString& procName, int number, const QString& source) {
  ++entries_;
  lastProc_ = procName;
  lastNumber_ = number;
  header();
  const int16_t n = toLogNumber(number);
  VbErrNumDes(n);
  insertLine(QStringLiteral("    ") + QStringLiteral("     错误:  ") + procName + QStringLiteral("     出错号:  ") +
             QString::number(n) + QStringLiteral("     出错点:  ") + source + QStringLiteral("     出错描述:  ") +
             ErrDescription);
}

void ErrorLog::LogOptError(const QString& text) {
  ++entries_;
  lastProc_ = QStringLiteral("InitOpt");
  lastNumber_ = 0;
  header();
  insertLine(QStringLiteral("        可选功能项:   ") + text);
}

}  // namespace k52
