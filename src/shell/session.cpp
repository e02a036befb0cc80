#include "shell/session.h"

#include "comm/backup.h"
#include "comm/datafiles.h"
#include "comm/transfer.h"
#include "core/recentfiles.h"
#include "editor/bandchoice.h"
#include "errlog/guarded.h"
#include "image/bandtable.h"
#include "image/charcodec.h"
#include "image/chgrid.h"
#include "image/chmem.h"
#include "image/ctdcs.h"
#include "image/optcodec.h"
#include "shell/appcontext.h"
#include "shell/langtable.h"
#include "shell/langtexts.h"
#include "shell/startup.h"
#include "ui/dialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <vector>

namespace k52 {

void Session::startWithoutWindows(std::optional<int16_t> lang) {
  ctx_.ini.setReadOnly(true);
  ReadSettings(ctx_);
  if (lang) ctx_.st.CurLang = *lang;
  GetValidCharTbl(ctx_);
  OptNowDefSol(ctx_, kLoadOptionDefaults);
  // As New does, the selections start at the defaults (held in memory: the file is read only).
  OptNowDefSol(ctx_, kResetOptionsToDefaults);
  GenCtdcsList(ctx_);
  ReadChInfo(ctx_);
  applyBandSelection(ctx_, kDefaultBandIndex, nullptr);
  loadDefaultImage();
  ChInfoSaveSol(ctx_, kImageToTables);
  ctx_.ch.ChNameCode.fill(255);
}

void Session::prepareTransfers() {
  InitFaceText(ctx_);
  if (ctx_.bandChoice.cboFrequencyList.isEmpty()) ChInfoModel(ctx_);
}

void Session::loadDefaultImage() { InitTempArray(ctx_); }

void Session::newConfiguration() {
  loadDefaultImage();
  ChInfoSaveSol(ctx_, kImageToTables);
  OptNowDefSol(ctx_, kResetOptionsToDefaults);
  OptSelSaveSol(ctx_, kTablesToImage);
}

void Session::loadImageFile(const QString& path) {
  // Read whole into a scratch buffer first: the image changes only once all of it is there.
  const QByteArray data = readImageFile(path, ctx_.IicDat.size());
  ctx_.IicDat.assignFrom(data);
}

void Session::openFile(const QString& path) {
  loadImageFile(path);
  selectBandFromImage();
  decodeImage();
}

void Session::selectBandFromImage() { SelectBandFromImage(ctx_); }

void Session::decodeImage() {
  ChInfoSaveSol(ctx_, kImageToTables);
  OptSelSaveSol(ctx_, kImageToTables);
}

QByteArray Session::encodeForSave() {
  SetConvIicDat(ctx_);
  return ctx_.IicDat.toByteArray();
}

void Session::saveFile(const QString& path) {
  const QByteArray image = encodeForSave();
  requireWholeMemory(ctx_.IicDat, path);
  writeImageFile(path, image);
}

QString Session::channelName(int16_t n) const { return channelNameText(ctx_, n); }

TransferEnd Session::readRadio(TransferView& view, TransferPort* port) { return cmdRead_Click(ctx_, view, port); }
TransferEnd Session::writeRadio(TransferView& view, TransferPort* port) { return cmdWrite_Click(ctx_, view, port); }

namespace {

// Temporary files of interrupted saves are left alone for this long: another running copy
// of the program may be in the middle of a save.
constexpr qint64 kStaleSaveSecs = 3600;

// The File menu offers the file again.
void rememberRecentFile(AppContext& ctx, const QString& path) {
  guarded(ctx.log, "mdifrmMain->AddRecentFile", [&] {
    if (!addRecentFile(ctx.ini, path)) ctx.ini.raiseWriteFailure();
  });
}

bool saveDatFile(AppContext& ctx) {
  return guarded(ctx.log, "mdifrmMain->SaveDatFile", [&] {
    Session(ctx).saveFile(ctx.st.CurDataFile);
    ShowCurDataFile(ctx);
    MarkConfigSaved(ctx);
    rememberRecentFile(ctx, ctx.st.CurDataFile);
  });
}

// The data file at path in place of the configuration, once unsaved changes are settled.
void openDataFile(AppContext& ctx, const QString& path) {
  // A file that cannot be used leaves the image, the tables and the windows exactly as
  // they were.
  const bool read = guarded(ctx.log, "mdifrmMain->OpenFile", [&] { Session(ctx).loadImageFile(path); });
  if (!read) {
    ctx.dialogs.messageBox(ctx.text(kTextWrongFileType), MsgButtons::Ok, MsgIcon::Critical, ctx.text(kTextNotice));
    return;
  }
  // The file is the current one before the band is taken over: should the custom range
  // dialog's question start over from the template, the default name replaces it.
  ctx.st.CurDataFile = path;
  ShowCurDataFile(ctx);
  SoftDisplay(ctx);
  MarkConfigSaved(ctx);
  rememberRecentFile(ctx, path);
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
    Session(ctx).newConfiguration();
    ShowChTblGrid(ctx);
    ctx.views->showOptions();
  });
}

void OpenFile(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->OpenFile", [&] {
    if (!AskToSaveChanges(ctx)) return;
    const QString path = ctx.dialogs.openFileName(QString::fromLatin1(kDatFilter), ctx.st.CurDataFile);
    if (path.isEmpty()) return;
    openDataFile(ctx, path);
  });
}

void OpenRecentFile(AppContext& ctx, const QString& path) {
  guarded(ctx.log, "mdifrmMain->OpenRecentFile", [&] {
    if (!QFileInfo::exists(path)) {
      // Logged as the file not found, taken off the list, and the user told which file it was.
      guarded(ctx.log, "mdifrmMain->OpenRecentFile", [&] { raiseError(ErrFileNotFound, QDir::toNativeSeparators(path)); });
      guarded(ctx.log, "mdifrmMain->OpenRecentFile", [&] {
        if (!removeRecentFile(ctx.ini, path)) ctx.ini.raiseWriteFailure();
      });
      ctx.dialogs.messageBox(ctx.text(kTextRecentFileMissing) + QLatin1Char('\n') + QDir::toNativeSeparators(path), MsgButtons::Ok,
                             MsgIcon::Exclamation, ctx.text(kTextNotice));
      return;
    }
    if (!AskToSaveChanges(ctx)) return;
    openDataFile(ctx, path);
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
