#pragma once
// Everything the program asks or tells the user through the platform: message boxes,
// the open and save dialogs, the desktop's "open" of a document, the system locale.
// Production wires Qt (ui/qtdialogs); tests wire scripted answers.

#include "core/printedtable.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QImage;

namespace k52 {

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { None, Question, Critical, Exclamation, Information };
enum class MsgAnswer { Ok, Yes, No, Cancel };

// The two boxes of the custom band range dialog (MHz as typed).
struct CustomRangeTexts {
  QString min, max;
  bool operator==(const CustomRangeTexts&) const = default;
};
// The custom band range dialog as its logic sets it up: captions, font and the boxes.
struct CustomRangeForm {
  QString caption, lblFreMin, lblFreMax, cmdOk, cmdCancel, font;
  CustomRangeTexts texts;
};

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
  // Shows the custom band range dialog modally: the box texts as the user left them on
  // OK, std::nullopt on Cancel. Where nobody can be asked, the dialog counts as cancelled.
  virtual std::optional<CustomRangeTexts> customRange(const CustomRangeForm& /*form*/) { return std::nullopt; }
  // Prints a picture of a window: through the print dialog on the default printer or,
  // with no printer installed, into a PDF file the user picks. False when nothing was
  // printed (cancelled, failed, or nobody can be asked).
  virtual bool printImage(const QImage& /*image*/, const QString& /*jobName*/) { return false; }
  // A list of lines under a heading, with two buttons: true for the first (accept), false
  // for the second. Where nobody can be asked, the answer is the second.
  virtual bool confirmList(const QString& /*title*/, const QString& /*heading*/, const QStringList& /*lines*/,
                           const QString& /*accept*/, const QString& /*reject*/) {
    return false;
  }
  // Whether the system has a printer set up.
  virtual bool printerInstalled() { return false; }
  // Prints a table laid out on pages: through the print preview (the print dialog behind
  // its Print button) or, when pdfPath is given, into that PDF file. False when nothing was
  // printed (cancelled, or nobody can be asked); raises the printer error (482) when the
  // printer did not take the pages, and a file error when the PDF file cannot be written.
  virtual bool printTable(const PrintedTable& /*table*/, const QString& /*pdfPath*/) { return false; }
};

// Nobody is there to answer (command-line companion, benchmarks, fuzzing): every question
// is declined, every file dialog cancelled; notices can be passed on.
class NeverAskDialogs final : public Dialogs {
 public:
  MsgAnswer messageBox(const QString& prompt, MsgButtons buttons, MsgIcon, const QString&) override {
    if (onMessage) onMessage(prompt, buttons);
    if (buttons == MsgButtons::YesNoCancel) return MsgAnswer::Cancel;  // nothing is thrown away
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
  }
  QString openFileName(const QString&, const QString&) override { return {}; }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
  bool shellOpen(const QString&) override { return false; }
  int systemLocaleId() override { return localeId; }

  std::function<void(const QString& prompt, MsgButtons buttons)> onMessage;
  int localeId = 0;
};

// Locale identifier of a Qt locale name ("zh_CN" -> 2052); 0 when unknown.
int localeIdOf(const QString& localeName);

}  // namespace k52
