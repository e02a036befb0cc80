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
#include <vector>

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
    const QString previous = ctx.st.CurDataFile;
    ctx.st.CurDataFile = path;
    // The current file only changes when the save succeeded.
    saved = saveDatFile(ctx);
    if (!saved) ctx.st.CurDataFile = previous;
  });
  return saved;
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
    MarkConfigSaved(ctx);
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
    if (!AskToSaveChanges(ctx)) return;
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
    if (ctx.dialogs.messageBox(ctx.text(82), MsgButtons::YesNo, MsgIcon::Question, ctx.text(70)) == MsgAnswer::Yes)
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
  switch (ctx.dialogs.messageBox(ctx.text(82), MsgButtons::YesNoCancel, MsgIcon::Question, ctx.text(70))) {
    case MsgAnswer::Yes: return saveAsFile(ctx);
    case MsgAnswer::No: return true;
    default: return false;
  }
}

}  // namespace k52
