#include "app/session.h"

#include "app/backup.h"
#include "core/datafiles.h"
#include "app/transfer.h"
#include "app/bandchoice.h"
#include "core/guarded.h"
#include "app/bandtable.h"
#include "app/charcodec.h"
#include "app/chgrid.h"
#include "app/configundo.h"
#include "app/chmem.h"
#include "app/ctdcs.h"
#include "app/optcodec.h"
#include "app/appcontext.h"
#include "app/langtable.h"
#include "core/langtexts.h"
#include "app/startup.h"
#include "core/dialogs.h"
#include "app/chcodec.h"
#include "app/protocol.h"
#include "core/serialport.h"
#include "app/chgridedit.h"
#include "core/numbers.h"
#include "core/inifile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include "core/recentfiles.h"
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

std::vector<Channel> Session::channels() const {
  std::vector<Channel> list;
  for (int n = 1; n <= ctx_.ch.ChCount; ++n) list.push_back(channelFromTables(ctx_, n));
  return list;
}

void Session::replaceChannels(const std::vector<Channel>& channels) {
  ChannelTable& t = ctx_.ch;
  for (int n = 1; n <= t.ChCount; ++n) {
    const size_t i = static_cast<size_t>(n - 1);
    const Channel ch = i < channels.size() ? channels[i] : Channel{};
    t.ChInfo(n, kFieldEdited) = 1;
    t.ChInfo(n, kFieldRx) = ch.rx;
    t.ChInfo(n, kFieldTx) = ch.tx;
    t.ChInfo(n, kFieldDecode) = ch.decodeTone;
    t.ChInfo(n, kFieldEncode) = ch.encodeTone;
    if (ch.empty()) {
      // As a deleted channel: the options at the columns' defaults, no name.
      for (int f = kFieldOption5; f <= t.ColCount; ++f) t.ChInfo(n, f) = textToInt16(t.ColItems(f, 2));
    } else {
      t.ChInfo(n, kFieldOption5) = ch.narrow ? 1 : 0;
      t.ChInfo(n, kFieldOption6) = ch.scanAdd ? 1 : 0;
      t.ChInfo(n, kFieldOption7) = static_cast<int32_t>(ch.power);
    }
    for (int c = 0; c < kNameLength; ++c) t.ChNameCode(n, c) = ch.name[static_cast<size_t>(c)];
  }
}

CsvRules Session::csvRules() const {
  const ChannelTable& t = ctx_.ch;
  CsvRules rules{{ctx_.band.LowerLimit, ctx_.band.UpperLimit}, ctx_.tones, ctx_.chars, t.ChCount, {}, false, true,
                 Power::High, [](int32_t f) { return snapToChannelRaster(f) == f; }};
  // The power column's value texts, this language's first, then those of every language
  // base of the settings file (a file written in another interface language reads too).
  auto powerName = [&](int lang, int value) {
    return readClean(ctx_.ini, QStringLiteral("ChInfo"),
                     QString::number(1000 * lang + 200 + 50 * (kFieldOption7 - 1) + 3 + value), QString(), 99);
  };
  for (int p = 0; p < 3; ++p) {
    QStringList& names = rules.powerNames.at(static_cast<size_t>(p));
    names << t.ColItems(kFieldOption7, 3 + p);
    for (int lang = 1; lang <= 3; ++lang)
      if (const QString name = powerName(lang, p); !name.isEmpty() && !names.contains(name)) names << name;
  }
  rules.narrow = textToInt32(t.ColItems(kFieldOption5, 2)) == 1;
  rules.scanAdd = textToInt32(t.ColItems(kFieldOption6, 2)) == 1;
  const int32_t power = textToInt32(t.ColItems(kFieldOption7, 2));
  rules.power = power == 1 ? Power::Middle : power == 2 ? Power::Low : Power::High;
  return rules;
}

void Session::exportCsv(const QString& path) {
  ctx_.views->commitPendingEdits();
  writeImageFile(path, exportChannelsCsv(channels(), csvRules()));
}

CsvImport Session::readCsv(const QString& path) const {
  // A channel list is small; anything much larger is no channel list.
  constexpr qint64 kLargestCsv = 4 * 1024 * 1024;
  const QFileInfo info(path);
  if (!info.exists()) raiseFileError(ErrFileNotFound, path, QStringLiteral("no such file"));
  if (!info.isFile()) raiseFileError(ErrPathFileAccess, path, QStringLiteral("is not a regular file"));
  if (info.size() > kLargestCsv) raiseFileError(ErrPathFileAccess, path, QStringLiteral("too large for a channel list"));
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) raiseFileError(ErrPermission, path, QStringLiteral("cannot be read (%1)").arg(f.errorString()));
  const QByteArray data = f.readAll();
  if (f.error() != QFileDevice::NoError) raiseFileError(ErrDeviceIo, path, QStringLiteral("cannot be read (%1)").arg(f.errorString()));
  return importChannelsCsv(data, csvRules());
}

TransferEnd Session::readRadio(TransferView& view, TransferPort* port) { return cmdRead_Click(ctx_, view, port); }
TransferEnd Session::writeRadio(TransferView& view, TransferPort* port) { return cmdWrite_Click(ctx_, view, port); }

MemoryImage Session::imageAsSaved() {
  const MemoryImage kept = ctx_.IicDat;
  encodeForSave();
  MemoryImage out = ctx_.IicDat;
  ctx_.IicDat = kept;
  return out;
}

MemoryImage Session::imageForWrite() {
  MemoryImage out = imageAsSaved();
  stampForWrite(out, ctx_.clock.now().date());
  return out;
}

Configuration Session::configurationOf(const MemoryImage& image) const {
  return decode(image, codecTables(ctx_)).config;
}

Configuration Session::configurationOfFile(const QString& path) const {
  MemoryImage image = ctx_.IicDat;
  image.assignFrom(readImageFile(path, image.size()));
  return configurationOf(image);
}

DiffWords Session::diffWords() const {
  DiffWords w;
  const AppContext& ctx = ctx_;
  w.tone = [&ctx](int32_t i) { return i >= 0 && i <= ctx.st.CtcDcsMax ? ctx.tones.CtdcsList(i) : QString::number(i); };
  w.name = [&ctx](const NameCodes& codes) {
    QString text;
    for (uint8_t c : codes) {
      if (c > 44) break;  // a code past the character table ends a shown text
      text += ctx.chars.CharTbl(c);
    }
    return text;
  };
  return w;
}

Session::Verified Session::verifyRadio(const QString& device, TransferProgress& progress) {
  Verified out;
  const MemoryImage sent = imageForWrite();
  ProtocolEngine& engine = commEngine(ctx_);
  SerialPort& port = engine.port();
  if (port.isOpen()) port.close();
  if (!port.open(device)) {
    out.readBack.transfer.end = TransferEnd::PortNotOpened;
    out.readBack.transfer.portFault = port.lastFaultText();
    return out;
  }
  struct Closer {  // also when the read breaks off with a fault
    SerialPort& port;
    ~Closer() { port.close(); }
  } closer{port};
  out.readBack = readBackWritten(engine, {ctx_.st.WriteStartAddr, ctx_.st.WriteEndAddr}, sent, progress);
  if (out.readBack.transfer.end == TransferEnd::Succeeded)
    out.comparison = compareConfigurations(configurationOf(out.readBack.expected), configurationOf(out.readBack.read), diffWords());
  return out;
}

FirstDifference Session::firstDifference() const {
  return [this](const MemoryImage& expected, const MemoryImage& read) -> std::optional<Difference> {
    const ConfigComparison c = compareConfigurations(configurationOf(expected), configurationOf(read), diffWords());
    if (c.differences.empty()) return std::nullopt;
    return c.differences.front();
  };
}

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
  MarkConfigReplaced(ctx);
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

QStringList csvImportReport(const AppContext& ctx, const CsvImport& import) {
  QStringList lines;
  if (import.shifted) lines << ctx.text(kTextCsvShifted);
  for (const CsvRowReport& row : import.rows) {
    QString line = ctx.text(row.taken ? kTextCsvRowChanged : kTextCsvRowRefused).arg(row.line).arg(row.location);
    QStringList reasons;
    for (const CsvRowIssue& i : row.issues) {
      int text = kTextCsvUnknownValue;
      switch (i.issue) {
        case CsvIssue::OffRaster: text = kTextCsvOffRaster; break;
        case CsvIssue::OutsideBand: text = kTextCsvOutsideBand; break;
        case CsvIssue::ToneNotInList: text = kTextCsvToneNotInList; break;
        case CsvIssue::UnknownValue: text = kTextCsvUnknownValue; break;
        case CsvIssue::PastLastChannel: text = kTextCsvPastLast; break;
        case CsvIssue::LocationTwice: text = kTextCsvLocationTwice; break;
        case CsvIssue::NameCharsDropped: text = kTextCsvNameDropped; break;
        case CsvIssue::NameCut: text = kTextCsvNameCut; break;
      }
      QString reason = ctx.text(text);
      if (i.issue == CsvIssue::UnknownValue) reason += QLatin1Char(' ') + i.column;
      reasons << reason + QStringLiteral(": \"") + i.value + QLatin1Char('"');
    }
    lines << line + QStringLiteral(": ") + reasons.join(QStringLiteral("; "));
  }
  return lines;
}

void ExportCsv(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->ExportCsv", [&] {
    const QString suggested = QFileInfo(ctx.st.CurDataFile).path() + QLatin1Char('/') +
                              QFileInfo(ctx.st.CurDataFile).completeBaseName() + QStringLiteral(".csv");
    const QString path = ctx.dialogs.saveFileName(ctx.text(kTextCsvFilter), suggested, QStringLiteral("csv"));
    if (path.isEmpty()) return;
    if (!guarded(ctx.log, "mdifrmMain->ExportCsv", [&] { Session(ctx).exportCsv(path); }))
      ctx.dialogs.messageBox(ctx.text(kTextSaveFileFailed), MsgButtons::Ok, MsgIcon::Critical, ctx.text(kTextNotice));
  });
}

void ImportCsv(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->ImportCsv", [&] {
    ctx.views->commitPendingEdits();
    const QString path = ctx.dialogs.openFileName(ctx.text(kTextCsvFilter), QFileInfo(ctx.st.CurDataFile).path());
    if (path.isEmpty()) return;
    Session session(ctx);
    CsvImport import;
    if (!guarded(ctx.log, "mdifrmMain->ImportCsv", [&] { import = session.readCsv(path); })) {
      ctx.dialogs.messageBox(ctx.text(kTextWrongFileType), MsgButtons::Ok, MsgIcon::Critical, ctx.text(kTextNotice));
      return;
    }
    if (!import.readable) {
      ctx.dialogs.messageBox(ctx.text(kTextCsvNotAList), MsgButtons::Ok, MsgIcon::Critical, ctx.text(kTextNotice));
      return;
    }
    const QStringList report = csvImportReport(ctx, import);
    if (!report.isEmpty() &&
        !ctx.dialogs.confirmList(ctx.text(kTextNotice), ctx.text(kTextCsvReportHeading), report,
                                 ctx.text(kTextCsvImportRest), ctx.text(kTextCsvImportNothing)))
      return;
    session.replaceChannels(import.channels);
    ShowChTblGrid(ctx);
    ctx.views->configurationEdited(menuText(ctx.text(kTextImportCsv)));  // one step of the history
  });
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
    MarkConfigReplaced(ctx);
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

void MarkConfigSaved(AppContext& ctx) {
  ctx.st.SavedConfig = configOf(ctx);
  ctx.views->configurationSaved();
}

void MarkConfigReplaced(AppContext& ctx) {
  MarkConfigSaved(ctx);
  ctx.views->configurationReplaced();
}

bool ConfigChanged(AppContext& ctx) {
  ctx.views->commitPendingEdits();
  return ConfigDiffersFromSaved(ctx);
}

bool ConfigDiffersFromSaved(const AppContext& ctx) {
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
