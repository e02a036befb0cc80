#include "app/userfiles.h"

#include "core/atomicfile.h"
#include "core/k52error.h"
#include "app/appcontext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace k52 {

QString ProgramFiles::deliveredSettings() const {
  return QDir(programFolder).filePath(QString::fromLatin1(kSettingsFileName));
}

ProgramFiles filesInProgramFolder(const QString& programFolder) {
  ProgramFiles f;
  f.programFolder = programFolder;
  f.settingsFile = f.deliveredSettings();
  f.dataRoot = programFolder;
  return f;
}

ProgramFiles perUserFiles(const QString& programFolder) {
  ProgramFiles f;
  f.programFolder = programFolder;
  // The generic locations with our own folder names: the program and the command-line
  // companion must arrive at the same places whatever their application names.
  const QDir config(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
  const QDir documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
  f.settingsFile = QDir(config.filePath(QStringLiteral("k52"))).filePath(QString::fromLatin1(kSettingsFileName));
  f.dataRoot = documents.filePath(QStringLiteral("K52"));
  f.perUser = true;
  return f;
}

bool isInstalledProgramFolder(const QString& programFolder) {
  // The installation's layout (dist/CMakeLists.txt); the build puts the program in build/bin.
  const QString installed = QStringLiteral(K52_INSTALLED_PROGRAM_DIR);
  const QString folder = QDir::cleanPath(QFileInfo(programFolder).absoluteFilePath());
  return folder.endsWith(QLatin1Char('/') + installed);
}

ProgramFiles locateProgramFiles(const QString& programFolder) {
  if (isInstalledProgramFolder(programFolder) || !QFileInfo(programFolder).isWritable())
    return perUserFiles(programFolder);
  return filesInProgramFolder(programFolder);
}

void seedUserSettings(const ProgramFiles& files) {
  const QString folder = QFileInfo(files.settingsFile).absolutePath();
  if (!QDir().mkpath(folder)) raiseError(ErrPathFileAccess, folder);
  if (QFileInfo::exists(files.settingsFile)) return;
  QFile delivered(files.deliveredSettings());
  if (!delivered.exists()) return;
  if (!delivered.open(QIODevice::ReadOnly)) raiseError(ErrPermission, files.deliveredSettings());
  const QByteArray text = delivered.readAll();
  if (delivered.error() != QFileDevice::NoError) raiseError(ErrDeviceIo, files.deliveredSettings());
  // A new file of the user's (not a copy carrying the delivered file's read-only rights),
  // complete or not there at all.
  writeFileAtomically(files.settingsFile, text);
}

QString settingsFileToRead(const ProgramFiles& files) {
  if (files.perUser && !QFileInfo::exists(files.settingsFile)) return files.deliveredSettings();
  return files.settingsFile;
}

}  // namespace k52
