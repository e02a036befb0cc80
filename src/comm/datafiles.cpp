#include "comm/datafiles.h"

#include "errlog/guarded.h"
#include "image/chgrid.h"
#include "image/chmem.h"
#include "image/optcodec.h"
#include "shell/appcontext.h"
#include "ui/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace k52 {

namespace {

const QString kOpenFile = QStringLiteral("mdifrmMain->OpenFile");

// Reads exactly `size` bytes from the start of the file into `data`; a missing, unreadable
// or shorter file raises the error that says why, and `data` is then not to be used.
void readImageFile(const QString& path, int size, QByteArray& data) {
  const QFileInfo info(path);
  if (!info.exists()) raiseError(ErrFileNotFound, path);
  if (info.isDir()) raiseError(ErrPathFileAccess, path);
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) raiseError(ErrPermission, path);
  data = f.read(size);
  if (f.error() != QFileDevice::NoError) raiseError(ErrDeviceIo, path);
  if (data.size() < size) raiseError(ErrPastEndOfFile, path);
}

// Writes the image to a temporary file beside `path` and puts it in place only when it is
// complete: a failure leaves any earlier file as it was.
void writeImageFile(const QString& path, const QByteArray& image) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) raiseError(ErrPathFileAccess, path);
  // Flush before committing: a short write (full disk, file size limit) only shows up
  // here, and QSaveFile would otherwise still put the truncated file in place.
  if (f.write(image) != image.size() || !f.flush()) {
    f.cancelWriting();
    raiseError(ErrDiskFull, path);
  }
  if (!f.commit()) raiseError(ErrDeviceIo, path);
}

bool saveDatFile(AppContext& ctx) {
  return guarded(ctx.log, "mdifrmMain->SaveDatFile", [&] {
    SetConvIicDat(ctx);
    requireWholeMemory(ctx.IicDat, ctx.st.CurDataFile);
    writeImageFile(ctx.st.CurDataFile, ctx.IicDat.toByteArray());
    ShowCurDataFile(ctx);
  });
}

}  // namespace

void ShowCurDataFile(AppContext& ctx) { ctx.views->setStatusFile(ctx.text(85) + ctx.st.CurDataFile); }

void GenerateDatFolder(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->GenerateDatFolder", [&] {
    const QString folder = ctx.dataPath(QStringLiteral("Data"));
    if (!QDir(folder).exists() && !QDir().mkpath(folder)) raiseError(ErrPathFileAccess, folder);
    ctx.st.DefDataFile = QDir(folder).filePath(QStringLiteral("Untitled.dat"));
    ctx.st.CurDataFile = ctx.st.DefDataFile;
    ShowCurDataFile(ctx);
  });
}

void NewFile(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->NewFile", [&] {
    if (ctx.dialogs.messageBox(ctx.text(74), MsgButtons::YesNo, MsgIcon::Question, ctx.text(70)) != MsgAnswer::Yes)
      return;
    ctx.st.CurDataFile = ctx.st.DefDataFile;
    ShowCurDataFile(ctx);
    NewFileSol(ctx);
  });
}

void NewFileSol(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->NewFileSol", [&] {
    InitTempArray(ctx);
    ChInfoSaveSol(ctx, 1);
    ShowChTblGrid(ctx);
    OptNowDefSol(ctx, 2);
    OptSelSaveSol(ctx, 0);
    ctx.views->showOptions();
  });
}

void OpenFile(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->OpenFile", [&] {
    const QString path = ctx.dialogs.openFileName(QString::fromLatin1(kDatFilter), ctx.st.CurDataFile);
    if (path.isEmpty()) return;
    // The file is read whole into a scratch buffer first: a file that cannot be used
    // leaves the image, the tables and the windows exactly as they were.
    QByteArray data;
    const bool read = guarded(ctx.log, "mdifrmMain->OpenFile", [&] { readImageFile(path, ctx.IicDat.size(), data); });
    if (!read) {
      ctx.dialogs.messageBox(ctx.text(83), MsgButtons::Ok, MsgIcon::Critical, ctx.text(70));
      return;
    }
    ctx.IicDat.assignFrom(data);
    SoftDisplay(ctx);
    ctx.st.CurDataFile = path;
    ShowCurDataFile(ctx);
  });
}

void SaveFile(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->SaveFile", [&] {
    if (ctx.dialogs.messageBox(ctx.text(82), MsgButtons::YesNo, MsgIcon::Question, ctx.text(70)) == MsgAnswer::Yes)
      SaveAsFile(ctx);
  });
}

void SaveAsFile(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->SaveAsFile", [&] {
    const QString path =
        ctx.dialogs.saveFileName(QString::fromLatin1(kDatFilter), ctx.st.CurDataFile, QStringLiteral("dat"));
    if (path.isEmpty()) return;
    const QString previous = ctx.st.CurDataFile;
    ctx.st.CurDataFile = path;
    // The current file only changes when the save succeeded.
    if (!saveDatFile(ctx)) ctx.st.CurDataFile = previous;
  });
}

void SaveDatFile(AppContext& ctx) { saveDatFile(ctx); }

}  // namespace k52
