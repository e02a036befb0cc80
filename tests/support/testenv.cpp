#include "support/testenv.h"

#include <QFile>

namespace k52::test {

MsgAnswer ScriptedDialogs::messageBox(const QString& prompt, MsgButtons buttons, MsgIcon icon, const QString& title) {
  asked.push_back({prompt, title, buttons, icon});
  if (!answers.empty()) {
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
}

QString ScriptedDialogs::openFileName(const QString&, const QString& initialPath) {
  dialogInitialPaths.push_back(initialPath);
  if (fileNames.empty()) return QString();
  const QString f = fileNames.front();
  fileNames.pop_front();
  return f;
}

QString ScriptedDialogs::saveFileName(const QString& filter, const QString& initialPath, const QString&) {
  return openFileName(filter, initialPath);
}

std::optional<CustomRangeTexts> ScriptedDialogs::customRange(const CustomRangeForm& form) {
  customForms.push_back(form);
  if (customRanges.empty()) return form.texts;
  const std::optional<CustomRangeTexts> a = customRanges.front();
  customRanges.pop_front();
  return a;
}

bool ScriptedDialogs::printImage(const QImage& image, const QString& jobName) {
  printed.push_back(image);
  printJobs.push_back(jobName);
  return printAnswer;
}

TestEnv::TestEnv() : ctx(std::make_unique<AppContext>(clock, dialogs, folder.path())) {}

void TestEnv::writeFile(const QString& name, const QByteArray& data) const {
  QFile f(path(name));
  if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path(name)));
  f.write(data);
}

QByteArray TestEnv::readFile(const QString& name) const {
  QFile f(path(name));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

QString chInfoSection(int chCount) {
  const QStringList columns[8] = {
      {QStringLiteral("RxFre"), QStringLiteral("0"), QStringLiteral("43000000")},
      {QStringLiteral("TxFre"), QStringLiteral("0"), QStringLiteral("0")},
      {QStringLiteral("CtcssDcsDec"), QStringLiteral("0"), QStringLiteral("0")},
      {QStringLiteral("CtcssDcsEnc"), QStringLiteral("0"), QStringLiteral("0")},
      {QStringLiteral("Wide|Narrow"), QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("Wide"), QStringLiteral("Narrow")},
      {QStringLiteral("Off|On"), QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("Off"), QStringLiteral("On")},
      {QStringLiteral("High|Mid|Low"), QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("High"), QStringLiteral("Mid"),
       QStringLiteral("Low")},
      {QStringLiteral("CHNAME"), QStringLiteral("0"), QStringLiteral("0")},
  };
  QString s = QStringLiteral("[ChInfo]\n");
  for (int b : {1000, 2000, 3000}) {
    s += QStringLiteral("%1=%2\n%3=240\n%4=8\n").arg(b).arg(chCount).arg(b + 1).arg(b + 2);
    s += QStringLiteral("%1=^No.|^RX|^TX|^Dec|^Enc|^W/N|^Scan|^Power|^Name\n").arg(b + 3);
    for (int c = 0; c <= 8; ++c) s += QStringLiteral("%1=%2\n").arg(b + 100 + c).arg(c == 0 ? 600 : 1200);
    for (int c = 1; c <= 8; ++c) {
      const QStringList& items = columns[c - 1];
      const int base = b + 200 + 50 * (c - 1);
      for (int j = 0; j < items.size(); ++j) s += QStringLiteral("%1=%2\n").arg(base + j).arg(items[j]);
      s += QStringLiteral("%1=*EndOfThisItem*\n").arg(base + items.size());
    }
  }
  return s;
}

QString deliveredFolder() { return QStringLiteral(K52_DELIVERED_DIR); }

void TestEnv::installDeliveredFiles() const {
  for (const char* name : {"minglyc.dll", "dhcpqec.dll"}) {
    QFile src(QDir(deliveredFolder()).filePath(QString::fromLatin1(name)));
    if (!src.open(QIODevice::ReadOnly)) qFatal("delivered file %s missing", name);
    writeFile(QString::fromLatin1(name), src.readAll());
  }
}

}  // namespace k52::test
