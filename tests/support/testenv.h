#pragma once
// A fresh program for each test: a temporary program folder, a manual clock, scripted
// answers to every question, and an application context on top. Also the helpers the
// widget and transfer tests share: a started main window and k52sim as a child process.

#include "app/appcontext.h"
#include "support/sim.h"
#include "core/clock.h"
#include "core/dialogs.h"

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>

QT_BEGIN_NAMESPACE
// Readable failures for texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

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
  QString saveFileName(const QString& filter, const QString& initialPath, const QString&) override {
    return openFileName(filter, initialPath);
  }
  bool shellOpen(const QString& path) override {
    opened.push_back(path);
    return shellOpens;
  }
  int systemLocaleId() override { return localeId; }
  std::optional<CustomRangeTexts> customRange(const CustomRangeForm& form) override;
  bool printImage(const QImage& image, const QString& jobName) override {
    printed.push_back(image);
    printJobs.push_back(jobName);
    return true;
  }
  bool confirmList(const QString&, const QString& heading, const QStringList& lines, const QString&, const QString&) override {
    listed.push_back(QStringList{heading} + lines);
    if (listAnswers.empty()) return false;
    const bool answer = listAnswers.front();
    listAnswers.pop_front();
    return answer;
  }
  bool printerInstalled() override { return printerSetUp; }
  // Records the job; how the table is laid out is scriptedTablePrinter's (the window tests
  // set it, support/guienv.cpp).
  bool printTable(const PrintedTable& table, const QString& pdfPath) override;
  QStringList prompts() const;

  std::deque<MsgAnswer> answers;  // empty: Yes for Yes/No, No for Yes/No/Cancel, Ok for OK
  std::deque<QString> fileNames;  // empty: cancelled
  std::vector<Asked> asked;
  std::vector<QString> opened, dialogInitialPaths;
  bool shellOpens = true;  // false: the desktop has nothing that opens the document
  // The custom range dialog: one answer per opening, std::nullopt for Cancel; empty: OK
  // with the texts as shown. customForms records each opening as it was shown.
  std::deque<std::optional<CustomRangeTexts>> customRanges;
  std::vector<CustomRangeForm> customForms;
  int localeId = 1033;
  std::vector<QImage> printed;
  std::vector<QString> printJobs;
  std::deque<bool> listAnswers;  // the lists with two buttons: empty: the second
  std::vector<QStringList> listed;  // each such list shown: the heading, then its lines
  bool printerSetUp = true;
  // The texts drawn on each page of the table printed last, in the order drawn (a text
  // that mixes scripts or fonts may come in pieces), and every PDF file asked for.
  std::vector<QStringList> printedPages;
  std::vector<QString> printedPdfs;
};

// How ScriptedDialogs lays a printed table out, where a test can see the pages.
inline std::function<bool(ScriptedDialogs&, const PrintedTable&, const QString&)> scriptedTablePrinter;

// The program's views without windows: what was asked of them, the steps in order.
class RecordingViews : public AppViews {
 public:
  void closeMainWindow() override { calls << QStringLiteral("close"); }
  void checkLanguageItem(int16_t lang) override { calls << QStringLiteral("lang%1").arg(lang); }
  void showAddressTexts(const AppState& s) override {
    calls << QStringLiteral("addresses");
    maxAddrText = s.TableMaxAddrText;
  }
  void setSoftFace() override { calls << QStringLiteral("softface"); }
  void setGridMemDat() override { calls << QStringLiteral("memdat"); }
  void loadSettingsWindow() override { calls << QStringLiteral("settings"); }
  void showOptions() override { calls << QStringLiteral("options"); }
  void setStatusNotice(const QString& text) override { statusNotices << text; }
  void setStatusFile(const QString& text) override { statusFile = text; }
  void setStatusCom(const QString& text) override { statusCom = text; }
  void showToolCom() override { ++toolComShown; }
  void showSoftVersion(const QString& text) override { softVersion << text; }
  void showLastProgrammed(const QString& text) override { lastProgrammed << text; }
  QStringList calls, softVersion, lastProgrammed, statusNotices;
  QString maxAddrText, statusFile, statusCom;
  int toolComShown = 0;
};

class TestEnv {
 public:
  TestEnv();
  // Writes a file into the program folder (or to an absolute path).
  void writeFile(const QString& name, const QByteArray& data) const;
  void writeSettings(const QString& iniText) const {  // and the context reads it
    writeFile(QStringLiteral("minglyc.dll"), iniText.toUtf8());
    ctx->ini.setPath(path(QStringLiteral("minglyc.dll")));
  }
  QByteArray readFile(const QString& name) const;
  QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }
  // Copies the delivered settings file and default image from the build's program folder.
  void installDeliveredFiles() const;
  // The delivered files, not the first start, interface language lang (0: as delivered)
  // and, when given, the device of COM1.
  void installProgram(int lang = 3, const QString& com1 = {}) const;
  // A key of the settings file's [Setting] section.
  void setSetting(const char* key, const QString& value) const;
  QString setting(const char* key) const;
  // The log's lines, for failure messages.
  std::string log() const { return ctx->log.lines().join(QLatin1Char('\n')).toStdString(); }

  QTemporaryDir folder;
  ManualClock clock;
  ScriptedDialogs dialogs;
  std::unique_ptr<AppContext> ctx;
};

// The last failure logged, and a failure, as "where number" for one comparison.
inline QString lastError(const AppContext& ctx) { return QStringLiteral("%1 %2").arg(ctx.log.lastProcName()).arg(ctx.log.lastNumber()); }
inline QString failure(const QString& where, int number) { return QStringLiteral("%1 %2").arg(where).arg(number); }

// A "ChInfo" section for all three languages: chCount rows (one more with each language
// after the first when perLanguage is set), eight columns (RX, TX, decode, encode, two
// two-choice and one three-choice option, name), every list closed.
QString chInfoSection(int chCount = 16, bool perLanguage = false);

// Where the build keeps the delivered files as generated (build/delivered).
QString deliveredFolder();
QByteArray deliveredImage();

}  // namespace k52::test
