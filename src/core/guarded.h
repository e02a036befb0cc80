#pragma once
// The failure path every procedure shares: run the body, and on any failure write the
// log entry under the procedure's fixed name and return to the caller, which carries on.

#include "core/errorlog.h"
#include "core/k52error.h"

#include <exception>
#include <new>
#include <utility>

namespace k52 {

// Returns true when the body ran to its end, false when it failed (and was logged). The
// log is the program's error log or anything else that takes LogError(name, number, source)
// (a protocol engine's sink on its own thread).
template <class Log, class Body>
bool guarded(Log& log, const char* procName, Body&& body) noexcept {
  // The name is only turned into text when something failed: procedures run thousands of
  // times per decode.
  const auto logAs = [&](int number, const QString& source) { log.LogError(QString::fromUtf8(procName), number, source); };
  try {
    std::forward<Body>(body)();
    return true;
  } catch (const K52Error& e) {
    logAs(e.number(), e.source());
  } catch (const std::bad_alloc&) {
    logAs(ErrOutOfMemory, QString::fromLatin1(kErrSource));
  } catch (const std::out_of_range&) {
    logAs(ErrBounds, QString::fromLatin1(kErrSource));
  } catch (const std::exception&) {
    logAs(ErrInvalidCall, QString::fromLatin1(kErrSource));
  } catch (...) {
    logAs(ErrInvalidCall, QString::fromLatin1(kErrSource));
  }
  return false;
}

}  // namespace k52
