#pragma once
// Everything the program asks or tells the user through the platform: message boxes,
// the open and save dialogs, the desktop's "open" of a document, the system locale.
// Production wires Qt (ui/qtdialogs); tests wire scripted answers.

#include <QString>
#include <QStringList>

namespace k52 {

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Question, Critical, Exclamation, Information };
enum class MsgAnswer { Ok, Yes, No };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual MsgAnswer messageBox(const QString& prompt, MsgButtons buttons, MsgIcon icon, const QString& title) = 0;
  // Returns the chosen path, or the empty text when the user cancelled.
  virtual QString openFileName(const QString& filter, const QString& initialPath) = 0;
  virtual QString saveFileName(const QString& filter, const QString& initialPath, const QString& defaultSuffix) = 0;
  // The desktop's "open" of a document; the result is ignored by the callers.
  virtual bool shellOpen(const QString& path) = 0;
  // The system default locale as a Windows-style locale identifier (2052, 1028, 1033 ...).
  virtual int systemLocaleId() = 0;
};

// Locale identifier of a Qt locale name ("zh_CN" -> 2052); 0 when unknown.
int localeIdOf(const QString& localeName);

}  // namespace k52
