#pragma once
// Where the program's files live. The program reads the files delivered with it (the
// default image, the help files, the settings file as delivered) in the program folder. What
// it writes (the settings file, the data folder "Data", the backups "Backup") goes there too
// in a build folder (build/bin) or a copy of the program the user may write to. An installed
// program folder (PREFIX/lib/k52, as `cmake --install` and the package lay it out) is never
// written, whoever runs the program, root included; nor is any folder the user may not write
// to. Each user then gets files of their own, as desktop systems give older programs that
// write beside themselves:
//
//   settings file   <config>/k52/minglyc.dll   (~/.config/k52), made from the delivered
//                                               one at the user's first start
//   Data, Backup    <documents>/K52             (~/Documents/K52)

#include <QString>

namespace k52 {

struct ProgramFiles {
  QString programFolder;  // the delivered files
  QString settingsFile;   // the settings file the program reads and writes
  QString dataRoot;       // the folder holding "Data" and "Backup"
  bool perUser = false;   // settingsFile and dataRoot are the user's own, outside the program folder

  // The settings file as delivered, in the program folder.
  QString deliveredSettings() const;
};

// Everything in the program folder (a folder the user may write to).
ProgramFiles filesInProgramFolder(const QString& programFolder);
// The user's own settings file and data root for a program folder they may not write to.
ProgramFiles perUserFiles(const QString& programFolder);
// Whether the folder is an installed program folder: it ends in lib/k52.
bool isInstalledProgramFolder(const QString& programFolder);
// The rule the program and the command-line companion follow: the program folder when it
// is no installed one and is writable, otherwise the per-user places.
ProgramFiles locateProgramFiles(const QString& programFolder);

// For the user's own settings file: creates its folder and, when the file is missing,
// fills it with the delivered settings file (nothing when that is missing too, so the
// defaults apply as for a missing settings file). Raises K52Error when it cannot.
void seedUserSettings(const ProgramFiles& files);

// The settings file to read without writing anything (the command-line companion): the
// user's own copy once it exists, else the delivered one.
QString settingsFileToRead(const ProgramFiles& files);

}  // namespace k52
