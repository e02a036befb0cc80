#pragma once
// The files opened or saved last, most recent first, as the File menu offers them again.
// They live in the settings file, section "RecentFiles", keys "File1" (the latest) to
// "File8"; a key left empty holds no file.

#include <QString>
#include <QStringList>

namespace k52 {

class IniFile;

inline constexpr int kRecentFilesMax = 8;
inline constexpr const char* kRecentFilesSection = "RecentFiles";

// The files of the list, most recent first.
QStringList recentFiles(const IniFile& ini);
// path goes to the top of the list; an earlier entry of the same file leaves its place and
// the ninth file falls off. False when the settings file could not take the list (it then
// holds for this run).
bool addRecentFile(IniFile& ini, const QString& path);
// Takes path off the list. False as above.
bool removeRecentFile(IniFile& ini, const QString& path);

}  // namespace k52
