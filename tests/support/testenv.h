#pragma once
// A fresh program for each test: a temporary program folder, a manual clock, scripted
// answers to every question, and an application context on top.

#include "shell/appcontext.h"
#include "ui/clock.h"
#include "ui/dialogs.h"

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <memory>

namespace k52::test {

// Answers message boxes and dialogs from queues; records what was asked.
class ScriptedDialogs final : public Dialogs {
 public:
  struct Asked {
    QString prompt, title;
    MsgButtons buttons;
    MsgIcon icon;
  };
  MsgAnswer messageBox(const QString& prompt, MsgButtons buttons, MsgIcon icon, const QString& title) override;
  QString openFileName(const QString& filter, const QString& initialPath) override;
  QString saveFileName(const QString& filter, const QString& initialPath, const QString& defaultSuffix) override;
  bool shellOpen(const QString& path) override {
    opened.push_back(path);
    return true;
  }
  int systemLocaleId() override { return localeId; }
  std::optional<CustomRangeTexts> customRange(const CustomRangeForm& form) override;
  bool printImage(const QImage& image, const QString& jobName) override;

  std::deque<MsgAnswer> answers;  // empty: Yes for Yes/No, Ok for OK
  std::deque<QString> fileNames;  // empty: cancelled
  std::vector<Asked> asked;
  std::vector<QString> opened;
  std::vector<QString> dialogInitialPaths;
  // The custom range dialog: one answer per opening, std::nullopt for Cancel; empty: OK
  // with the texts as shown. customForms records each opening as it was shown.
  std::deque<std::optional<CustomRangeTexts>> customRanges;
  std::vector<CustomRangeForm> customForms;
  int localeId = 1033;
  // Pictures sent to the printer, with their job names; printAnswer is what printing returns.
  std::vector<QImage> printed;
  std::vector<QString> printJobs;
  bool printAnswer = true;
};

class TestEnv {
 public:
  TestEnv();
  // Writes a file into the program folder.
  void writeFile(const QString& name, const QByteArray& data) const;
  void writeSettings(const QString& iniText) const { writeFile(QStringLiteral("minglyc.dll"), iniText.toUtf8()); }
  QByteArray readFile(const QString& name) const;
  QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }
  // Copies the delivered settings file and default image from the build's program folder.
  void installDeliveredFiles() const;

  QTemporaryDir folder;
  ManualClock clock;
  ScriptedDialogs dialogs;
  std::unique_ptr<AppContext> ctx;
};

// A "ChInfo" section for all three languages: chCount rows, eight columns (RX, TX,
// decode, encode, two two-choice and one three-choice option, name), every list closed.
QString chInfoSection(int chCount = 16);

// Where the build keeps the delivered files as generated (build/delivered); the program
// folder build/bin holds a copy the program may have written to.
QString deliveredFolder();

}  // namespace k52::test
