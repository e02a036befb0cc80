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

// The errors of files and folders. Their detail is the path concerned, and the log names
// that path as the error point: "k52" alone would not tell the user which file failed.
inline bool isFileError(int number) {
  switch (number) {
    case ErrBadFileName:
    case ErrFileNotFound:
    case ErrDeviceIo:
    case ErrDiskFull:
    case ErrPastEndOfFile:
    case ErrPermission:
    case ErrPathFileAccess:
    case ErrPathNotFound:
      return true;
    default:
      return false;
  }
}

[[noreturn]] inline void raiseError(int number, const QString& detail = QString()) {
  if (isFileError(number) && !detail.isEmpty()) throw K52Error(number, detail, detail);
  throw K52Error(number, detail);
}

// A file error with what went wrong in words (the command-line companion prints it); the
// log names the path as the error point.
[[noreturn]] inline void raiseFileError(int number, const QString& path, const QString& reason) {
  throw K52Error(number, reason, path);
}

}  // namespace k52
