#include "app/startup.h"

#include "app/session.h"
#include "app/protocol.h"
#include "app/comports.h"
#include "app/bandchoice.h"
#include "app/chmemsetup.h"
#include "core/guarded.h"
#include "core/addressmap.h"
#include "app/charcodec.h"
#include "core/numbers.h"
#include "app/optcodec.h"
#include "app/appcontext.h"
#include "app/langtable.h"
#include "core/dialogs.h"

namespace k52 {

namespace {

const QString kSetting = QStringLiteral("Setting");

QString readSetting(AppContext& ctx, const char* key, const char* def, int width) {
  return readClean(ctx.ini, kSetting, QString::fromLatin1(key), QString::fromUtf8(def), width);
}

// A bad value in the settings file (not a number, too large) must not stop the start:
// the key's default stands in and the log names the key.
void logBadKey(AppContext& ctx, const char* key, const K52Error& e) {
  ctx.log.LogError(QStringLiteral("mdifrmMain->InitMultiFrm"), e.number(),
                   QStringLiteral("%1 [Setting] %2").arg(QString::fromLatin1(kSettingsFileName), QString::fromLatin1(key)));
}

int16_t readDecimal(AppContext& ctx, const char* key, const char* def, int width) {
  const QString text = readSetting(ctx, key, def, width);
  try {
    return textToInt16(text);
  } catch (const K52Error& e) {
    logBadKey(ctx, key, e);
    return textToInt16(QString::fromLatin1(def));
  }
}

// An address key: its text (shown unchanged in the communication window) and its value.
int16_t readAddress(AppContext& ctx, const char* key, int defaultAddress, QString& text) {
  const QByteArray def = hex4(defaultAddress).toLatin1();
  text = readSetting(ctx, key, def.constData(), 14);
  try {
    return hexTextToInt16(text);
  } catch (const K52Error& e) {
    logBadKey(ctx, key, e);
    text = QString::fromLatin1(def);
    return hexTextToInt16(text);
  }
}

void readLanguage(AppContext& ctx) {
  ctx.st.CurLang = validLang(readDecimal(ctx, "Language", "2", 9));
}

void readComNo(AppContext& ctx) {
  int16_t com = readDecimal(ctx, "COM", "1", 9);
  if (com < 1 || com > 16) {
    logBadKey(ctx, "COM", K52Error(ErrInvalidProperty, QStringLiteral("port outside 1-16")));
    com = 1;
  }
  ctx.st.ComNo = com;
}

// A "DatNum" that is no image size (not a number, negative, beyond the 16-bit addresses)
// gives the image of the whole address map, 0000-1FFF, with one log entry.
void readDatNum(AppContext& ctx) {
  int16_t datNum = 0;
  try {
    datNum = textToInt16(readSetting(ctx, "DatNum", "0", 9));
    if (datNum < 0) raiseError(ErrBounds, QStringLiteral("negative image size"));
  } catch (const K52Error& e) {
    logBadKey(ctx, "DatNum", e);
    datNum = addr::kMemorySize - 1;
  }
  ctx.st.DatNum = datNum;
  ctx.IicDat.allocate(datNum);
}

void readFontsColoursAndLimits(AppContext& ctx) {
  AppState& s = ctx.st;
  s.EngFont = readSetting(ctx, "EngFont", "Times New Roman", 29);
  s.ChsFont = readSetting(ctx, "ChsFont", "宋体", 29);
  s.CurFont = s.CurLang == kLangSimplifiedChinese ? s.ChsFont : s.EngFont;
  s.OverColor = readSetting(ctx, "OverColor", kDefaultOverColor, 29);
  s.DefColor = readSetting(ctx, "DefColor", kDefaultDefColor, 29);
  // Colours are converted where they are used; a bad one is replaced here, once.
  if (!isNumeric(s.OverColor)) {
    logBadKey(ctx, "OverColor", K52Error(ErrTypeMismatch, s.OverColor));
    s.OverColor = QString::fromLatin1(kDefaultOverColor);
  }
  if (!isNumeric(s.DefColor)) {
    logBadKey(ctx, "DefColor", K52Error(ErrTypeMismatch, s.DefColor));
    s.DefColor = QString::fromLatin1(kDefaultDefColor);
  }
  readSetting(ctx, "CtMax", "50", 29);
  readSetting(ctx, "DcsMax", "210", 29);
  s.CtcDcsMax = readDecimal(ctx, "CtcDcsMax", "260", 29);
}

void readAddresses(AppContext& ctx) {
  AppState& s = ctx.st;
  s.TableMaxAddr = readAddress(ctx, "TableMaxAddr", addr::kLastAddress, s.TableMaxAddrText);
  s.ReadStartAddr = readAddress(ctx, "ReadStartAddr", addr::kFirstAddress, s.ReadStartAddrText);
  s.ReadEndAddr = readAddress(ctx, "ReadEndAddr", addr::kLastAddress, s.ReadEndAddrText);
  s.WriteStartAddr = readAddress(ctx, "WriteStartAddr", addr::kFirstAddress, s.WriteStartAddrText);
  s.WriteEndAddr = readAddress(ctx, "WriteEndAddr", addr::kLastAddress, s.WriteEndAddrText);
  s.PartFillStart = 0;
  s.PartFillEnd = s.TableMaxAddr;
}

}  // namespace

// The system locales that choose a Chinese interface on the first start (Taiwan, PRC).
constexpr int kLocaleTraditionalChinese = 1028;
constexpr int kLocaleSimplifiedChinese = 2052;

void GetSysLang(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->GetSysLang", [&] {
    if (readDecimal(ctx, "FirRun", "1", 2) == 0) return;
    writeSetting(ctx, "mdifrmMain->GetSysLang", QStringLiteral("FirRun"), QStringLiteral("0"));
    const int lcid = ctx.dialogs.systemLocaleId();
    const Language lang = lcid == kLocaleTraditionalChinese  ? kLangTraditionalChinese
                          : lcid == kLocaleSimplifiedChinese ? kLangSimplifiedChinese
                                                             : kLangEnglish;
    writeSetting(ctx, "mdifrmMain->GetSysLang", QStringLiteral("Language"), QString::number(lang));
    AutoSetPort(ctx);
  });
}

void ReadSettings(AppContext& ctx) {
  ctx.st.EndOfItem = QStringLiteral("*EndOfThisItem*");
  // Reading only: a user's own settings file that does not exist yet is not made here.
  ctx.st.IniFile = settingsFileToRead(ctx.files);
  if (ctx.ini.path() != ctx.st.IniFile) ctx.ini.setPath(ctx.st.IniFile);
  readLanguage(ctx);
  readComNo(ctx);
  readSetting(ctx, "ModelType", "0", 9);
  readSetting(ctx, "ModelRange", "0", 9);
  readDatNum(ctx);
  readFontsColoursAndLimits(ctx);
  readAddresses(ctx);
}

void InitMultiFrm(AppContext& ctx) {
  // Every step below logs its own failures and returns; one that still escapes ends the
  // sequence here, and the log says where.
  guarded(ctx.log, "mdifrmMain->InitMultiFrm", [&] {
    AppState& s = ctx.st;
    s.EndOfItem = QStringLiteral("*EndOfThisItem*");
    s.IniFile = ctx.files.settingsFile;
    // A user's own settings file starts as the delivered one, so the installation pass and
    // the first real start run for each user as they do in a writable program folder. If it
    // cannot be made, the start goes on as with a missing settings file.
    if (ctx.files.perUser) guarded(ctx.log, "mdifrmMain->InitMultiFrm", [&] { seedUserSettings(ctx.files); });
    ctx.ini.setPath(s.IniFile);

    if (readDecimal(ctx, "FirRun", "2", 2) == 2) {
      // The installation pass. A settings file that cannot be marked would end every start
      // here without a word: the failure is logged, and this start goes on as a normal one
      // with what the file holds and the defaults.
      if (writeSetting(ctx, "mdifrmMain->InitMultiFrm", QStringLiteral("FirRun"), QStringLiteral("1"))) {
        s.InstallPass = true;
        ctx.views->closeMainWindow();
        return;
      }
    } else {
      GetSysLang(ctx);
    }

    readLanguage(ctx);
    ctx.views->checkLanguageItem(s.CurLang);
    GetValidCharTbl(ctx);
    InitFaceText(ctx);

    readComNo(ctx);
    VerdictCom(ctx, s.ComNo);
    const QString portNotice = ctx.com.ComFlag(s.ComNo) != kPortOpened ? replaceFailingPort(ctx) : QString();

    readSetting(ctx, "ModelType", "0", 9);
    readSetting(ctx, "ModelRange", "0", 9);
    readDatNum(ctx);
    readFontsColoursAndLimits(ctx);
    readAddresses(ctx);
    ctx.views->showAddressTexts(s);

    s.CurDataFile = s.DefDataFile;
    ShowCurDataFile(ctx);
    InitProtocol(ctx);
    GenerateDatFolder(ctx);
    ctx.views->setSoftFace();
    if (!portNotice.isEmpty()) ctx.views->setStatusNotice(portNotice);
    OptNowDefSol(ctx, kLoadOptionDefaults);
    ctx.views->setGridMemDat();
    ctx.views->loadSettingsWindow();
    // Without a settings window (the command-line companion, tests of the logic) the band
    // list is set up all the same, so a new image selects its band as in the program.
    if (ctx.bandChoice.cboFrequencyList.isEmpty()) ChInfoModel(ctx);
    InitChMem(ctx);
    NewFileSol(ctx);
    ctx.ch.ChNameCode.fill(255);
    MarkConfigReplaced(ctx);
  });
}

}  // namespace k52
