#include "support/testenv.h"

#include "core/inifile.h"

#include <QFile>

namespace k52::test {

MsgAnswer ScriptedDialogs::messageBox(const QString& prompt, MsgButtons buttons, MsgIcon icon, const QString& title) {
  asked.push_back({prompt, title, buttons, icon});
  if (answers.empty())
    return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : buttons == MsgButtons::YesNoCancel ? MsgAnswer::No : MsgAnswer::Ok;
  const MsgAnswer a = answers.front();
  answers.pop_front();
  return a;
}


bool ScriptedDialogs::printTable(const PrintedTable& table, const QString& pdfPath) {
  printJobs.push_back(table.title);
  return scriptedTablePrinter ? scriptedTablePrinter(*this, table, pdfPath) : true;
}

QString ScriptedDialogs::openFileName(const QString&, const QString& initialPath) {
  dialogInitialPaths.push_back(initialPath);
  if (fileNames.empty()) return QString();
  const QString f = fileNames.front();
  fileNames.pop_front();
  return f;
}

std::optional<CustomRangeTexts> ScriptedDialogs::customRange(const CustomRangeForm& form) {
  customForms.push_back(form);
  if (customRanges.empty()) return form.texts;
  const std::optional<CustomRangeTexts> a = customRanges.front();
  customRanges.pop_front();
  return a;
}

QStringList ScriptedDialogs::prompts() const {
  QStringList l;
  for (const Asked& a : asked) l << a.prompt;
  return l;
}

TestEnv::TestEnv() : ctx(std::make_unique<AppContext>(clock, dialogs, folder.path())) {}

void TestEnv::writeFile(const QString& name, const QByteArray& data) const {
  QFile f(path(name));
  if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path(name)));
  f.write(data);
}

QByteArray TestEnv::readFile(const QString& name) const {
  QFile f(path(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestEnv::installDeliveredFiles() const {
  for (const char* name : {"minglyc.dll", "dhcpqec.dll"}) {
    QFile src(QDir(deliveredFolder()).filePath(QString::fromLatin1(name)));
    if (!src.open(QIODevice::ReadOnly)) qFatal("delivered file %s missing", name);
    writeFile(QString::fromLatin1(name), src.readAll());
  }
}

void TestEnv::installProgram(int lang, const QString& com1) const {
  installDeliveredFiles();
  IniFile ini(path(QStringLiteral("minglyc.dll")));
  IniFile::Batch batch(ini);
  ini.write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QStringLiteral("0"));
  if (lang) ini.write(QStringLiteral("Setting"), QStringLiteral("Language"), QString::number(lang));
  if (!com1.isEmpty()) ini.write(QStringLiteral("Ports"), QStringLiteral("COM1"), com1);
}

void TestEnv::setSetting(const char* key, const QString& value) const {
  IniFile(path(QStringLiteral("minglyc.dll"))).write(QStringLiteral("Setting"), QString::fromLatin1(key), value);
}

QString TestEnv::setting(const char* key) const {
  return IniFile(path(QStringLiteral("minglyc.dll"))).read(QStringLiteral("Setting"), QString::fromLatin1(key), QStringLiteral("<missing>"));
}

QString chInfoSection(int chCount, bool perLanguage) {
  const QStringList columns[8] = {
      {"RxFre", "0", "43000000"}, {"TxFre", "0", "0"}, {"CtcssDcsDec", "0", "0"}, {"CtcssDcsEnc", "0", "0"},
      {"Wide|Narrow", "2", "0", "Wide", "Narrow"}, {"Off|On", "2", "1", "Off", "On"},
      {"High|Mid|Low", "3", "0", "High", "Mid", "Low"}, {"CHNAME", "0", "0"},
  };
  QString s = QStringLiteral("[ChInfo]\n");
  for (int b : {1000, 2000, 3000}) {
    s += QStringLiteral("%1=%2\n%3=240\n%4=8\n").arg(b).arg(chCount + (perLanguage ? b / 1000 - 1 : 0)).arg(b + 1).arg(b + 2);
    s += QStringLiteral("%1=^No.|^RX|^TX|^Dec|^Enc|^W/N|^Scan|^Power|^Name\n").arg(b + 3);
    for (int c = 0; c <= 8; ++c) s += QStringLiteral("%1=%2\n").arg(b + 100 + c).arg(c == 0 ? 600 : 1200);
    for (int c = 1; c <= 8; ++c) {
      const QStringList items = columns[c - 1] + QStringList{QStringLiteral("*EndOfThisItem*")};
      for (int j = 0; j < items.size(); ++j) s += QStringLiteral("%1=%2\n").arg(b + 150 + 50 * c + j).arg(items[j]);
    }
  }
  return s;
}

QString deliveredFolder() { return QStringLiteral(K52_DELIVERED_DIR); }

QByteArray deliveredImage() {
  QFile f(QDir(deliveredFolder()).filePath(QStringLiteral("dhcpqec.dll")));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace k52::test
