#include "core/recentfiles.h"

#include "core/inifile.h"

#include <QDir>
#include <QFileInfo>

namespace k52 {

namespace {

QString keyOf(int i) { return QStringLiteral("File%1").arg(i + 1); }

// One spelling per file: absolute, with the program's separators and no "." or "..".
QString normalized(const QString& path) { return QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(path)).absoluteFilePath()); }

bool sameFile(const QString& a, const QString& b) {
#ifdef Q_OS_WIN
  return a.compare(b, Qt::CaseInsensitive) == 0;
#else
  return a == b;
#endif
}

bool store(IniFile& ini, const QStringList& files) {
  const QString section = QString::fromLatin1(kRecentFilesSection);
  IniFile::Batch batch(ini);
  bool ok = true;
  for (int i = 0; i < kRecentFilesMax; ++i) ok = ini.write(section, keyOf(i), i < files.size() ? files[i] : QString()) && ok;
  return batch.commit() && ok;
}

QStringList without(QStringList files, const QString& path) {
  files.removeIf([&](const QString& f) { return sameFile(f, path); });
  return files;
}

}  // namespace

QStringList recentFiles(const IniFile& ini) {
  QStringList files;
  for (int i = 0; i < kRecentFilesMax; ++i) {
    const QString f = ini.read(QString::fromLatin1(kRecentFilesSection), keyOf(i), QString()).trimmed();
    if (!f.isEmpty() && without(files, normalized(f)).size() == files.size()) files << normalized(f);
  }
  return files;
}

bool addRecentFile(IniFile& ini, const QString& path) {
  QStringList files = without(recentFiles(ini), normalized(path));
  files.prepend(normalized(path));
  return store(ini, files.mid(0, kRecentFilesMax));
}

bool removeRecentFile(IniFile& ini, const QString& path) { return store(ini, without(recentFiles(ini), normalized(path))); }

}  // namespace k52
