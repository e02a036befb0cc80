#pragma once
// The one error type of the program. Run-time faults carry the number a dealer would
// look up in the error window's description table, and the name of what raised them.

#include <QString>
#include <stdexcept>

namespace k52 {

// Numbers of the run-time errors the program raises itself.
enum ErrNo : int {
  ErrInvalidCall = 5,
  ErrOverflow = 6,
  ErrOutOfMemory = 7,
  ErrBounds = 9,
  ErrTypeMismatch = 13,
  ErrBadFileName = 52,
  ErrFileNotFound = 53,
  ErrDeviceIo = 57,
  ErrDiskFull = 61,
  ErrPastEndOfFile = 62,
  ErrPermission = 70,
  ErrPathFileAccess = 75,
  ErrPathNotFound = 76,
  ErrInvalidProperty = 380,
  ErrPrinter = 482,
};

// Source text of the program's own errors.
inline constexpr const char* kErrSource = "k52";

class K52Error : public std::runtime_error {
 public:
  K52Error(int number, const QString& detail, const QString& source = QString::fromLatin1(kErrSource))
      : std::runtime_error(detail.toStdString()), number_(number), source_(source), detail_(detail) {}
  int number() const { return number_; }
  const QString& source() const { return source_; }
  const QString& detail() const { return detail_; }

 private:
  int number_;
  QString source_;
  QString detail_;
};

[[noreturn]] inline void raiseError(int number, const QString& detail = QString()) { throw K52Error(number, detail); }

}  // namespace k52
