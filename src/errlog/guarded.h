#pragma once
// The failure path every procedure shares: run the body, and on any failure write the
// log entry under the procedure's fixed name and return to the caller, which carries on.

#include "errlog/errorlog.h"
#include "errlog/k52error.h"

#include <exception>
#include <new>
#include <utility>

namespace k52 {

// Returns true when the body ran to its end, false when it failed (and was logged).
template <class Body>
bool guarded(ErrorLog& log, const char* procName, Body&& body) noexcept {
  const QString name = QString::fromUtf8(procName);
  try {
    std::forward<Body>(body)();
    return true;
  } catch (const K52Error& e) {
    log.LogError(name, e.number(), e.source());
  } catch (const std::bad_alloc&) {
    log.LogError(name, ErrOutOfMemory, QString::fromLatin1(kErrSource));
  } catch (const std::out_of_range&) {
    log.LogError(name, ErrBounds, QString::fromLatin1(kErrSource));
  } catch (const std::exception&) {
    log.LogError(name, ErrInvalidCall, QString::fromLatin1(kErrSource));
  } catch (...) {
    log.LogError(name, ErrInvalidCall, QString::fromLatin1(kErrSource));
  }
  return false;
}

}  // namespace k52
