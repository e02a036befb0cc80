// The start-up sequence against settings files in a temporary program folder, and a program
// folder the user may not write to: the user's own settings file and data folder, while the
// delivered files are read where they are.

#include "app/session.h"
#include "app/startup.h"
#include "app/userfiles.h"
#include "support/testenv.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <gtest/gtest.h>

using namespace k52;
using k52::test::TestEnv;

namespace {

QString settingsWith(const QString& settingLines) {
  return QStringLiteral("[Setting]\n") + settingLines + QStringLiteral("\n") + test::chInfoSection();
}

struct Started {
  TestEnv env;
  test::RecordingViews views;
  AppContext& ctx = *env.ctx;
  // The settings file (none when null) and a default image of `image` bytes 0x11.
  explicit Started(const QString& iniText, int image = 8192) {
    if (!iniText.isNull()) env.writeSettings(iniText);
    if (image) env.writeFile(QStringLiteral("dhcpqec.dll"), QByteArray(image, '\x11'));
    ctx.views = &views;
    InitMultiFrm(ctx);
  }
  QString logged() const { return ctx.log.lines().join(QLatin1Char('\n')); }
};

// A home folder of its own for each test: the user's configuration and documents.
struct UserHome {
  QTemporaryDir home;
  UserHome() {
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", QDir(home.path()).filePath(QStringLiteral("config")).toLocal8Bit());
  }
  QString config() const { return QDir(home.path()).filePath(QStringLiteral("config/k52/minglyc.dll")); }
  QString documents(const char* name) const { return QDir(home.path()).filePath(QStringLiteral("Documents/K52/") + QLatin1String(name)); }
};

QString settingOf(const QString& file, const char* key) {
  return IniFile(file).read(QStringLiteral("Setting"), QString::fromLatin1(key), QStringLiteral("-"));
}

}  // namespace

TEST(Startup, FreshInstallationOnlyMarksTheFirstStartAndCloses) {
  for (const QString& ini : {QString(), settingsWith(QStringLiteral("FirRun=2\nDatNum=8191"))}) {
    Started s(ini);
    EXPECT_TRUE(s.env.setting("FirRun") == QStringLiteral("1") && s.ctx.st.InstallPass && s.views.calls == QStringList{QStringLiteral("close")});
    EXPECT_TRUE(s.ctx.IicDat.size() == 0 && !QDir(s.env.path(QStringLiteral("Data"))).exists()) << "nothing after step 3 runs";
  }
}

// Every key is read; missing and bad ones take their defaults, a bad one logged with its
// key, and the start still completes. A "DatNum" that is no image size gives the whole
// memory; a missing default image leaves an erased one (logged), a short one is erased
// beyond its end.
TEST(Startup, KeysAreReadMissingAndBadOnesTakeTheirDefaultsAndTheStartCompletes) {
  Started all(settingsWith(QStringLiteral(
      "FirRun=0\nLanguage=2\nDatNum=8191\nEngFont=  Arial  \nChsFont=SimSun\nOverColor=255\nDefColor=0\n"
      "CtcDcsMax=50\nTableMaxAddr=1FFF\nReadStartAddr=0010\nReadEndAddr=0FFF\nWriteStartAddr=0000\nWriteEndAddr=1FFF")));
  const AppState& st = all.ctx.st;
  EXPECT_EQ(st.CurFont, QStringLiteral("Arial")) << "Traditional Chinese uses the EngFont value, trimmed";
  EXPECT_EQ((std::vector<int>{st.CurLang, st.CtcDcsMax, st.TableMaxAddr, st.ReadStartAddr, st.ReadEndAddr, st.PartFillStart, st.PartFillEnd}),
            (std::vector<int>{2, 50, 8191, 16, 0x0FFF, 0, 8191}));
  EXPECT_TRUE(all.views.maxAddrText == QStringLiteral("1FFF") && all.ctx.log.entriesLogged() == 0 && all.ctx.ch.ChNameCode(260, 4) == 255) << all.logged().toStdString();
  // The band list's first selection shows the options, and so does the default image.
  EXPECT_EQ(all.views.calls.join(QLatin1Char(' ')), QStringLiteral("lang2 addresses softface memdat settings options options"));
  struct Case {
    const char* settings;
    int image;
    std::vector<int> values;  // CurLang, ComNo, CtcDcsMax, ReadEndAddr, WriteEndAddr, image size, bytes 99, 100
    QStringList logged;       // what the log names
  };
  const Case cases[] = {
      {"FirRun=0", 8192, {2, 1, 260, 8191, 8191, 1, -1, -1}, {}},
      {"FirRun=0\nLanguage=7\nDatNum=8191", 100, {3, 1, 260, 8191, 8191, 8192, 0x11, 0xFF}, {}},
      {"FirRun=0\nLanguage=99999\nCOM=17\nDatNum=8191\nCtcDcsMax=lots\nReadEndAddr=XYZ\nWriteEndAddr=12345\nDefColor=black", 8192,
       {2, 1, 260, 8191, 8191, 8192, 0x11, 0x11},
       {"[Setting] Language", "出错号:  6 ", "[Setting] COM", "[Setting] DefColor", "出错号:  13 ", "[Setting] CtcDcsMax",
        "[Setting] ReadEndAddr", "[Setting] WriteEndAddr"}},
      {"FirRun=0\nDatNum=8191", 0, {2, 1, 260, 8191, 8191, 8192, 0xFF, 0xFF}, {"mdifrmMain->InitTempArray"}},
  };
  for (const Case& c : cases) {
    Started s(settingsWith(QLatin1String(c.settings)), c.image);
    const AppState& st = s.ctx.st;
    const MemoryImage& img = s.ctx.IicDat;
    EXPECT_EQ((std::vector<int>{st.CurLang, st.ComNo, st.CtcDcsMax, st.ReadEndAddr, st.WriteEndAddr, img.size(), img.size() > 99 ? img.at(99) : -1,
                                img.size() > 100 ? img.at(100) : -1}),
              c.values) << c.settings;
    for (const QString& part : c.logged) EXPECT_TRUE(s.logged().contains(part)) << c.settings << " " << part.toStdString();
    EXPECT_EQ(s.views.calls.last(), QStringLiteral("options")) << c.settings;
  }
  for (const char* datNum : {"lots", "-1", "99999", "8191x"}) {
    Started s(settingsWith(QStringLiteral("FirRun=0\nDatNum=") + QLatin1String(datNum)));
    EXPECT_TRUE(s.ctx.IicDat.size() == 8192 && s.ctx.log.entriesLogged() == 1 && s.logged().contains(QStringLiteral("[Setting] DatNum"))) << datNum;
  }
  // A one-byte image (no "DatNum") is never saved over a file: the file stays and is named.
  Started s(settingsWith(QStringLiteral("FirRun=0")));
  s.env.writeFile(QStringLiteral("Data/Untitled.dat"), QByteArray(8192, 'A'));
  SaveDatFile(s.ctx);
  EXPECT_TRUE(s.env.readFile(QStringLiteral("Data/Untitled.dat")) == QByteArray(8192, 'A') && s.ctx.log.lastProcName() == QStringLiteral("mdifrmMain->SaveDatFile") &&
              s.ctx.log.lines().last().contains(s.ctx.st.CurDataFile));
}

// A settings file the installation pass cannot mark (a folder or a FIFO in its place)
// would end every start; one the reader stops in (a NUL byte) is left byte for byte. Each
// refused write is logged, and what it meant holds for the run (the language the first
// start takes from the system locale too).
TEST(Startup, ASettingsFileThatCannotBeWrittenGivesANormalStartAndLogEntries) {
  for (const bool fifo : {false, true}) {
    TestEnv env;
    const QString path = env.path(QStringLiteral("minglyc.dll"));
    ASSERT_TRUE(fifo ? mkfifo(QFile::encodeName(path).constData(), 0644) == 0 : QDir().mkdir(path));
    test::RecordingViews views;
    env.ctx->views = &views;
    InitMultiFrm(*env.ctx);  // a FIFO opened for reading would block here
    EXPECT_TRUE(!env.ctx->st.InstallPass && views.calls.last() == QStringLiteral("options")) << fifo;
    const QString entry = env.ctx->log.lines().value(1);
    EXPECT_TRUE(entry.contains(QStringLiteral("mdifrmMain->InitMultiFrm")) && entry.contains(path)) << env.log();
    EXPECT_EQ(env.ctx->ini.read(QStringLiteral("Setting"), QStringLiteral("FirRun"), {}), QStringLiteral("1"));
    EXPECT_TRUE(fifo ? !QFileInfo(path).isFile() && QFileInfo(path).exists() : QFileInfo(path).isDir());
  }
  TestEnv env;
  QByteArray text = settingsWith(QStringLiteral("FirRun=1\nLanguage=3\nDatNum=8191")).toUtf8();
  text += QByteArray("\0\n[Ports]\nCOM1=/dev/mine\n", 25);
  env.writeFile(QStringLiteral("minglyc.dll"), text);
  env.dialogs.localeId = 1028;  // Taiwan: Traditional Chinese
  InitMultiFrm(*env.ctx);
  EXPECT_TRUE(env.readFile(QStringLiteral("minglyc.dll")) == text && env.ctx->st.CurLang == 2) << "the file left byte for byte";
  EXPECT_EQ(env.ctx->log.lines().filter(QStringLiteral("mdifrmMain->GetSysLang")).size(), 2) << env.log();
}

// The installation pass, the first real start and a later one, each in the user's own copy
// of the settings file; reading alone takes the delivered file until that copy exists.
TEST(UserFiles, EachUserStartsInTheirOwnCopyAndTheProgramFolderIsNeverWritten) {
  UserHome user;
  test::TestEnv env;
  env.installDeliveredFiles();
  env.dialogs.localeId = 2052;
  const QByteArray delivered = env.readFile(QStringLiteral("minglyc.dll"));
  const QStringList programFolder = QDir(env.folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  const ProgramFiles files = perUserFiles(env.folder.path());
  ASSERT_TRUE(files.settingsFile == user.config() && files.dataRoot + QLatin1Char('/') == user.documents(""));
  EXPECT_EQ(settingsFileToRead(files), env.path(QStringLiteral("minglyc.dll")));
  struct Start {
    bool installPass;
    const char* firRunLanguageDatNum;
    int lang;
  };
  for (const Start& expected : {Start{true, "128191", 0}, Start{false, "018191", 1}, Start{false, "038191", 3}}) {
    AppContext ctx(env.clock, env.dialogs, env.folder.path());
    ctx.files = files;
    InitMultiFrm(ctx);
    EXPECT_TRUE(ctx.st.InstallPass == expected.installPass && QDir(files.dataRoot).exists() == !expected.installPass);
    EXPECT_EQ(settingOf(files.settingsFile, "FirRun") + settingOf(files.settingsFile, "Language") + settingOf(files.settingsFile, "DatNum"),
              QLatin1String(expected.firRunLanguageDatNum));
    if (expected.installPass) continue;
    EXPECT_TRUE(ctx.st.CurLang == expected.lang && ctx.st.DefDataFile == user.documents("Data/Untitled.dat") && ctx.log.entriesLogged() == 0)
        << ctx.log.lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(ctx.IicDat.toByteArray(), env.readFile(QStringLiteral("dhcpqec.dll"))) << "the default image of the program folder";
    IniFile(files.settingsFile).write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("3"));
  }
  EXPECT_EQ(settingsFileToRead(files), files.settingsFile);
  const QByteArray copy = env.readFile(files.settingsFile);
  seedUserSettings(files);
  EXPECT_EQ(env.readFile(files.settingsFile), copy) << "an existing copy is never replaced";
  EXPECT_TRUE(env.readFile(QStringLiteral("minglyc.dll")) == delivered && QDir(env.folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot) == programFolder);
}

TEST(UserFiles, AnInstalledProgramFolderIsNeverWrittenWhoeverMayWriteThereABuildFolderIs) {
  UserHome user;
  QTemporaryDir root;
  const std::pair<const char*, bool> folders[] = {
      {"usr/lib/k52", true}, {"home/me/.local/lib/k52/", true}, {"build/bin", false}, {"lib/k52/copy", false}, {"k52", false}};
  for (const auto& [folder, installed] : folders) {
    const QString path = QDir(root.path()).filePath(QString::fromLatin1(folder));
    ASSERT_TRUE(QDir().mkpath(path));  // writable, as for root
    const ProgramFiles files = locateProgramFiles(path);
    EXPECT_TRUE(files.perUser == installed && files.settingsFile == (installed ? user.config() : QDir(path).filePath(QStringLiteral("minglyc.dll")))) << folder;
  }
}
