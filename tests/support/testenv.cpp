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

QString deliveredFolder() { return QStringLiteral(K52_BIN_DIR); }

void TestEnv::installDeliveredFiles() const {
  for (const char* name : {"minglyc.dll", "dhcpqec.dll"}) {
    QFile src(QDir(deliveredFolder()).filePath(QString::fromLatin1(name)));
    if (!src.open(QIODevice::ReadOnly)) qFatal("delivered file %s missing", name);
    writeFile(QString::fromLatin1(name), src.readAll());
  }
}

}  // namespace k52::test
