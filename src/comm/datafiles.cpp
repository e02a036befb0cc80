#include "comm/datafiles.h"

#include "comm/backup.h"
#include "errlog/guarded.h"
#include "image/chgrid.h"
#include "image/chmem.h"
#include "image/optcodec.h"
#include "shell/appcontext.h"
#include "shell/langtexts.h"
#include "ui/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace k52 {

namespace {

const QString kOpenFile = QStringLiteral("mdifrmMain->OpenFile");

// Temporary files of interrupted saves are left alone for this long: another running copy
// of the program may be in the middle of a save.
constexpr qint64 kStaleSaveSecs = 3600;

// A name that does not survive the trip into the file system's encoding and back would
// open, or be written as, another file.
void checkName(const QString& path) {
  if (path.isEmpty() || QFile::decodeName(QFile::encodeName(path)) != path)
    raiseFileError(ErrBadFileName, path, QStringLiteral("the name cannot be written in the file system's encoding"));
}

// The replacement gets the owner and mode of the file it replaces: root saving a user's
// file must not leave it root's.
void keepOwnerAndMode(QSaveFile& f, const QString& path) {
#ifdef Q_OS_UNIX
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return;  // a new file
  const int fd = f.handle();
  if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) && ::fchown(fd, st.st_uid, st.st_gid) != 0 && ::geteuid() == 0)
    raiseFileError(ErrPermission, path, QStringLiteral("the owner of the file could not be kept"));
  if (::fchmod(fd, st.st_mode & 07777) != 0) raiseFileError(ErrPermission, path, QStringLiteral("the mode of the file could not be kept"));
#else
  Q_UNUSED(f);
  Q_UNUSED(path);
#endif
}

bool saveDatFile(AppContext& ctx) {
  return guarded(ctx.log, "mdifrmMain->SaveDatFile", [&] {
    SetConvIicDat(ctx);
    requireWholeMemory(ctx.IicDat, ctx.st.CurDataFile);
    writeImageFile(ctx.st.CurDataFile, ctx.IicDat.toByteArray());
    ShowCurDataFile(ctx);
    MarkConfigSaved(ctx);
  });
}

// What the user edits, as one list of numbers: every channel field shown in the grid,
// the names, the option selections and the band.
std::vector<int32_t> configOf(const AppContext& ctx) {
  const ChannelTable& t = ctx.ch;
  std::vector<int32_t> v;
  v.reserve(static_cast<size_t>(t.ChCount) * 26 + kOptEntries + 2);
  for (int n = 1; n <= t.ChCount; ++n) {
    for (int f = 1; f <= t.ColCount && f <= kChFields; ++f) v.push_back(t.ChInfo(n, f));
    for (int i = 0; i <= 4; ++i) v.push_back(t.ChNameCode(n, i));
  }
  for (int i = 1; i <= kOptEntries; ++i) v.push_back(ctx.opt.OptSel(i));
  v.push_back(ctx.band.LowerLimit);
  v.push_back(ctx.band.UpperLimit);
  return v;
}

// Save As; true when the file was written.
bool saveAsFile(AppContext& ctx) {
  bool saved = false;
  guarded(ctx.log, "mdifrmMain->SaveAsFile", [&] {
    const QString path =
        ctx.dialogs.saveFileName(QString::fromLatin1(kDatFilter), ctx.st.CurDataFile, QStringLiteral("dat"));
    if (path.isEmpty()) return;
    // A place that cannot take a data file (a device, a pipe, a folder, a missing folder)
    // is refused before anything is written, and the user is told.
    if (!guarded(ctx.log, "mdifrmMain->SaveAsFile", [&] { checkImageTarget(path); })) {
      ctx.dialogs.messageBox(ctx.text(kTextSaveFileFailed), MsgButtons::Ok, MsgIcon::Critical, ctx.text(kTextNotice));
      return;
    }
    const QString previous = ctx.st.CurDataFile;
    ctx.st.CurDataFile = path;
    // The current file only changes when the save succeeded.
    saved = saveDatFile(ctx);
    if (!saved) ctx.st.CurDataFile = previous;
  });
  return saved;
}

}  // namespace

QByteArray readImageFile(const QString& path, qint64 size) {
  checkName(path);
  const QFileInfo info(path);
  if (!info.exists()) raiseFileError(ErrFileNotFound, path, QStringLiteral("no such file"));
  if (info.isDir()) raiseFileError(ErrPathFileAccess, path, QStringLiteral("is a folder, not a data file"));
  if (!info.isFile()) raiseFileError(ErrPathFileAccess, path, QStringLiteral("is not a regular file (a device or a pipe)"));
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) raiseFileError(ErrPermission, path, QStringLiteral("cannot be read (%1)").arg(f.errorString()));
  QByteArray data = f.read(size);
  if (f.error() != QFileDevice::NoError) raiseFileError(ErrDeviceIo, path, QStringLiteral("cannot be read (%1)").arg(f.errorString()));
  if (data.size() < size)
    raiseFileError(ErrPastEndOfFile, path, QStringLiteral("too short for a memory image (%1 of %2 bytes)").arg(data.size()).arg(size));
  return data;
}

void checkImageTarget(const QString& path) {
  checkName(path);
  const QFileInfo info(path);
  if (info.exists() && !info.isFile())
    raiseFileError(ErrPathFileAccess, path,
                   info.isDir() ? QStringLiteral("is a folder, not a data file")
                                : QStringLiteral("is not a regular file (a device or a pipe); it is not written over"));
  // A link is written through to its target, in the target's folder.
  const QFileInfo target(info.exists() ? info.canonicalFilePath() : info.absoluteFilePath());
  const QFileInfo folder(target.absolutePath());
  if (!folder.isDir()) raiseFileError(ErrPathNotFound, path, QStringLiteral("the folder %1 does not exist").arg(folder.filePath()));
  if (!folder.isWritable()) raiseFileError(ErrPermission, path, QStringLiteral("the folder %1 may not be written").arg(folder.filePath()));
}

void writeImageFile(const QString& path, const QByteArray& image) {
  checkImageTarget(path);
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) raiseFileError(ErrPathFileAccess, path, QStringLiteral("cannot be written (%1)").arg(f.errorString()));
  // Everything must have reached the disk before the file is put in place: a short write
  // (full disk, file size limit) only shows up at the flush or the sync, and QSaveFile
  // would otherwise still put the truncated file in place.
  bool written = f.write(image) == image.size() && f.flush();
#ifdef Q_OS_UNIX
  written = written && ::fsync(f.handle()) == 0;
#endif
  if (!written) {
    const QString why = f.errorString();
    f.cancelWriting();
    raiseFileError(ErrDiskFull, path, QStringLiteral("could not be written completely (%1); the file is as it was").arg(why));
  }
  keepOwnerAndMode(f, path);
  if (!f.commit()) raiseFileError(ErrDeviceIo, path, QStringLiteral("cannot be written (%1); the file is as it was").arg(f.errorString()));
}

int removeStaleSaveFiles(const QString& folder, const QDateTime& staleBefore) {
  // QSaveFile's temporary name is the file's own name, a dot and six random letters of
  // both cases; it holds at most one image (32 KB for the largest address range). A name
  // the user gave ("radio.dat.backup") is left alone: it is not of mixed case.
  static const QRegularExpression saveTemp(QStringLiteral("\\.dat\\.(?=[A-Za-z]*[a-z])(?=[A-Za-z]*[A-Z])[A-Za-z]{6}$"));
  constexpr qint64 kLargestImage = 0x8000;
  int removed = 0;
  const QDir dir(folder);
  for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
    if (!saveTemp.match(info.fileName()).hasMatch() || info.size() > kLargestImage || info.lastModified() >= staleBefore) continue;
    if (!QFile::remove(info.filePath())) raiseFileError(ErrPermission, info.filePath(), QStringLiteral("cannot be removed"));
    ++removed;
  }
  return removed;
}

void ShowCurDataFile(AppContext& ctx) { ctx.views->setStatusFile(ctx.text(kTextFileNameLabel) + ctx.st.CurDataFile); }

void GenerateDatFolder(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->GenerateDatFolder", [&] {
    const QString folder = ctx.dataPath(QStringLiteral("Data"));
    if (!QDir(folder).exists() && !QDir().mkpath(folder)) raiseError(ErrPathFileAccess, folder);
    ctx.st.DefDataFile = QDir(folder).filePath(QStringLiteral("Untitled.dat"));
    ctx.st.CurDataFile = ctx.st.DefDataFile;
    ShowCurDataFile(ctx);
    // Saves and backups a crash or a power cut interrupted leave their temporary files.
    // File times are the system's, and so is the time they are compared with.
    const QDateTime staleBefore = QDateTime::currentDateTime().addSecs(-kStaleSaveSecs);
    removeStaleSaveFiles(folder, staleBefore);
    if (QDir(backupFolder(ctx)).exists()) removeStaleSaveFiles(backupFolder(ctx), staleBefore);
  });
}

void NewFile(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->NewFile", [&] {
    if (ctx.dialogs.messageBox(ctx.text(kTextAskClearAll), MsgButtons::YesNo, MsgIcon::Question, ctx.text(kTextNotice)) != MsgAnswer::Yes)
      return;
    ctx.st.CurDataFile = ctx.st.DefDataFile;
    ShowCurDataFile(ctx);
    NewFileSol(ctx);
    MarkConfigSaved(ctx);
  });
}

void NewFileSol(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->NewFileSol", [&] {
    InitTempArray(ctx);
    ChInfoSaveSol(ctx, kImageToTables);
    ShowChTblGrid(ctx);
    OptNowDefSol(ctx, kResetOptionsToDefaults);
    OptSelSaveSol(ctx, kTablesToImage);
    ctx.views->showOptions();
  });
}

void OpenFile(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->OpenFile", [&] {
    if (!AskToSaveChanges(ctx)) return;
    const QString path = ctx.dialogs.openFileName(QString::fromLatin1(kDatFilter), ctx.st.CurDataFile);
    if (path.isEmpty()) return;
    // The file is read whole into a scratch buffer first: a file that cannot be used
    // leaves the image, the tables and the windows exactly as they were.
    QByteArray data;
    const bool read = guarded(ctx.log, "mdifrmMain->OpenFile", [&] { data = readImageFile(path, ctx.IicDat.size()); });
    if (!read) {
      ctx.dialogs.messageBox(ctx.text(kTextWrongFileType), MsgButtons::Ok, MsgIcon::Critical, ctx.text(kTextNotice));
      return;
    }
    ctx.IicDat.assignFrom(data);
    // The file is the current one before the band is taken over: should the custom range
    // dialog's question start over from the template, the default name replaces it.
    ctx.st.CurDataFile = path;
    ShowCurDataFile(ctx);
    SoftDisplay(ctx);
    MarkConfigSaved(ctx);
  });
}

void SaveFile(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->SaveFile", [&] {
    if (ctx.dialogs.messageBox(ctx.text(kTextAskSaveChanges), MsgButtons::YesNo, MsgIcon::Question, ctx.text(kTextNotice)) == MsgAnswer::Yes)
      SaveAsFile(ctx);
  });
}

void SaveAsFile(AppContext& ctx) { saveAsFile(ctx); }

void SaveDatFile(AppContext& ctx) { saveDatFile(ctx); }

void MarkConfigSaved(AppContext& ctx) { ctx.st.SavedConfig = configOf(ctx); }

bool ConfigChanged(AppContext& ctx) {
  ctx.views->commitPendingEdits();
  return !ctx.st.SavedConfig.empty() && configOf(ctx) != ctx.st.SavedConfig;
}

bool AskToSaveChanges(AppContext& ctx) {
  if (!ConfigChanged(ctx)) return true;
  // "TempData has changed,Do you want to save it now?"
  switch (ctx.dialogs.messageBox(ctx.text(kTextAskSaveChanges), MsgButtons::YesNoCancel, MsgIcon::Question, ctx.text(kTextNotice))) {
    case MsgAnswer::Yes: return saveAsFile(ctx);
    case MsgAnswer::No: return true;
    default: return false;
  }
}

}  // namespace k52
