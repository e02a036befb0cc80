#pragma once
// Data files: a configuration on disk is a plain copy of the memory image (file byte k is
// image address k), kept in the data folder beside the program.

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace k52 {

struct AppContext;

// The filter of the open and save dialogs.
inline constexpr const char* kDatFilter = "Data File(*.dat)|*.dat";

// Creates the data folder when missing and points CurDataFile at the default file.
void GenerateDatFolder(AppContext& ctx);
// Asks, then starts over from the default image.
void NewFile(AppContext& ctx);
// Reloads the default image and rebuilds the tables and displays from it.
void NewFileSol(AppContext& ctx);
void OpenFile(AppContext& ctx);
// Asks, then saves through the save dialog.
void SaveFile(AppContext& ctx);
void SaveAsFile(AppContext& ctx);
// Encodes the tables into the image and writes it to CurDataFile.
void SaveDatFile(AppContext& ctx);
// The status bar's file panel: "File Name:" followed by CurDataFile.
void ShowCurDataFile(AppContext& ctx);

// The configuration as it stands now counts as opened, saved or read.
void MarkConfigSaved(AppContext& ctx);
// True when the channels, names, options or band differ from what was last opened, saved
// or read (an edit still being typed included).
bool ConfigChanged(AppContext& ctx);
// Before the configuration is replaced or the program ends: when it has changed, asks
// whether to save it first (Yes: the save dialog, No: discard, Cancel). True when the
// caller may go on; false when the user cancelled, or the save did not happen.
bool AskToSaveChanges(AppContext& ctx);

// The file primitives the program and the command-line companion share. Each raises the
// file error that says why (K52Error: the path as its source, the reason in words as its
// detail).

// The first `size` bytes of the data file at `path`. Only a regular file is read: a device
// or a pipe is refused before it is opened (opening a pipe would wait for a writer).
QByteArray readImageFile(const QString& path, qint64 size);
// That a data file can be written at `path`, checked before anything is done: the name can
// be written in the file system's encoding, its folder exists and may be written, and what
// is there already, if anything, is a regular file.
void checkImageTarget(const QString& path);
// Writes the image to a temporary file beside `path` ("name.dat.XXXXXX") and puts it in
// place only when all of it was written: a failure leaves any earlier file as it was. A file
// replaced keeps its owner (when the user may give it) and its mode.
void writeImageFile(const QString& path, const QByteArray& image);
// Removes what interrupted saves left in `folder`: temporary files of data files
// ("name.dat.XXXXXX") last changed before `staleBefore`. Returns how many went.
int removeStaleSaveFiles(const QString& folder, const QDateTime& staleBefore);

}  // namespace k52
