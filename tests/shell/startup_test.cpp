// The start-up sequence against settings files in a temporary program folder.

#include "comm/datafiles.h"
#include "shell/startup.h"
#include "support/testenv.h"

#include <QDir>
#include <QFileInfo>
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
  explicit Started(const QString& iniText, bool withImage = true) {
    if (!iniText.isNull()) env.writeSettings(iniText);
    if (withImage) env.writeFile(QStringLiteral("dhcpqec.dll"), QByteArray(8192, '\x11'));
    env.ctx->views = &views;
  }
  AppContext& ctx() { return *env.ctx; }
  void start() { InitMultiFrm(ctx()); }
};

}  // namespace

TEST(Startup, FreshInstallationOnlyMarksTheFirstStartAndCloses) {
  for (const QString& ini : {QString(), settingsWith(QStringLiteral("FirRun=2\nDatNum=8191"))}) {
    Started s(ini);
    s.start();
    EXPECT_EQ(s.env.setting("FirRun"), QStringLiteral("1"));
    EXPECT_TRUE(s.ctx().st.InstallPass);
    EXPECT_EQ(s.views.calls, QStringList{QStringLiteral("close")});
    EXPECT_EQ(s.ctx().IicDat.size(), 0) << "nothing after step 3 runs";
    EXPECT_FALSE(QDir(s.env.path(QStringLiteral("Data"))).exists());
  }
}

TEST(Startup, FirstRealStartTakesTheLanguageFromTheSystemLocale) {
  const std::pair<int, const char*> cases[] = {{1028, "2"}, {1033, "3"}, {2052, "1"}, {1041, "3"}, {0, "3"}};
  for (const auto& [lcid, lang] : cases) {
    Started s(settingsWith(QStringLiteral("FirRun=1\nLanguage=1\nDatNum=8191")));
    s.env.dialogs.localeId = lcid;
    s.start();
    EXPECT_EQ(s.env.setting("FirRun"), QStringLiteral("0"));
    EXPECT_EQ(s.env.setting("Language"), QString::fromLatin1(lang)) << lcid;
    EXPECT_EQ(s.ctx().st.CurLang, QString::fromLatin1(lang).toInt()) << lcid;
    EXPECT_FALSE(s.ctx().st.InstallPass);
  }
}

TEST(Startup, NormalStartReadsEveryKeyAndRunsTheStepsInOrder) {
  Started s(settingsWith(QStringLiteral(
      "FirRun=0\nLanguage=2\nDatNum=8191\nEngFont=  Arial  \nChsFont=SimSun\nOverColor=255\nDefColor=0\n"
      "CtcDcsMax=50\nTableMaxAddr=1FFF\nReadStartAddr=0010\nReadEndAddr=0FFF\nWriteStartAddr=0000\nWriteEndAddr=1FFF")));
  s.start();
  const AppState& st = s.ctx().st;
  EXPECT_EQ(st.CurFont, QStringLiteral("Arial")) << "Traditional Chinese uses the EngFont value, trimmed";
  EXPECT_EQ((std::vector<int>{st.CurLang, st.CtcDcsMax, st.TableMaxAddr, st.ReadStartAddr, st.ReadEndAddr, st.PartFillStart, st.PartFillEnd}),
            (std::vector<int>{2, 50, 8191, 16, 0x0FFF, 0, 8191}));
  EXPECT_EQ(s.views.maxAddrText, QStringLiteral("1FFF"));
  EXPECT_EQ(st.CurDataFile, QDir(s.env.path(QStringLiteral("Data"))).filePath(QStringLiteral("Untitled.dat")));
  EXPECT_TRUE(QDir(s.env.path(QStringLiteral("Data"))).exists());
  // The band list's first selection shows the options, and so does the default image.
  EXPECT_EQ(s.views.calls.join(QLatin1Char(' ')), QStringLiteral("lang2 addresses softface memdat settings options options"));
  EXPECT_EQ(s.ctx().log.entriesLogged(), 0) << s.env.log();
  EXPECT_EQ(s.ctx().IicDat.size(), 8192);
  EXPECT_EQ(s.ctx().IicDat.at(0x1FFF), 0x11) << "the default image was loaded";
  EXPECT_EQ(s.ctx().ch.ChNameCode(260, 4), 255);
  EXPECT_EQ(s.env.setting("FirRun"), QStringLiteral("0"));
}

TEST(Startup, MissingKeysTakeTheirDefaultsALanguageOutsideOneToThreeIsEnglish) {
  Started s(settingsWith(QStringLiteral("FirRun=0")));
  s.start();
  const AppState& st = s.ctx().st;
  EXPECT_EQ((std::vector<int>{st.CurLang, st.ComNo, st.CtcDcsMax, st.ReadEndAddr, s.ctx().IicDat.size()}),
            (std::vector<int>{2, 1, 260, 8191, 1})) << "a missing DatNum leaves a one-byte image";
  // ... which is never saved over a file: Save leaves the file as it was and names it.
  s.env.writeFile(QStringLiteral("Data/Untitled.dat"), QByteArray(8192, 'A'));
  SaveDatFile(s.ctx());
  EXPECT_EQ(s.env.readFile(QStringLiteral("Data/Untitled.dat")), QByteArray(8192, 'A'));
  EXPECT_EQ(s.ctx().log.lastProcName(), QStringLiteral("mdifrmMain->SaveDatFile"));
  EXPECT_TRUE(s.ctx().log.lines().last().contains(st.CurDataFile)) << s.env.log();
  EXPECT_EQ(st.CurFont, QStringLiteral("Times New Roman"));
  EXPECT_NE(st.DefColor, st.OverColor);
  Started e(settingsWith(QStringLiteral("FirRun=0\nLanguage=7\nDatNum=8191")));
  e.start();
  EXPECT_EQ(e.ctx().st.CurLang, 3);
  EXPECT_EQ(e.views.calls.first(), QStringLiteral("lang3"));
  Started c(settingsWith(QStringLiteral("FirRun=0\nLanguage=1\nDatNum=8191\nChsFont=SimHei")));
  c.start();
  EXPECT_EQ(c.ctx().st.CurFont, QStringLiteral("SimHei")) << "Simplified Chinese uses ChsFont";
}

TEST(Startup, BadValuesFallBackToTheKeyDefaultAndAreLogged) {
  Started s(settingsWith(QStringLiteral(
      "FirRun=0\nLanguage=99999\nCOM=17\nDatNum=8191\nCtcDcsMax=lots\nReadEndAddr=XYZ\nWriteEndAddr=12345\n"
      "DefColor=black")));
  s.start();
  const AppState& st = s.ctx().st;
  EXPECT_EQ((std::vector<int>{st.CurLang, st.ComNo, st.CtcDcsMax, st.ReadEndAddr, st.WriteEndAddr}), (std::vector<int>{2, 1, 260, 8191, 8191}));
  EXPECT_EQ(st.ReadEndAddrText + QLatin1Char(' ') + st.DefColor, QStringLiteral("1FFF 0"));
  const QString all = s.ctx().log.lines().join(QLatin1Char('\n'));
  for (const char* key : {"Language", "COM", "CtcDcsMax", "ReadEndAddr", "WriteEndAddr", "DefColor"})
    EXPECT_TRUE(all.contains(QStringLiteral("[Setting] ") + QString::fromLatin1(key))) << key;
  EXPECT_TRUE(all.contains(QStringLiteral("出错号:  6 "))) << "overflow for 99999";
  EXPECT_TRUE(all.contains(QStringLiteral("出错号:  13 "))) << "type mismatch for text";
  // The start still completed.
  EXPECT_EQ(s.views.calls.last(), QStringLiteral("options"));
  EXPECT_EQ(s.ctx().IicDat.size(), 8192);
}

TEST(Startup, AMissingDefaultImageLeavesAnErasedImageAndIsLoggedOnceAShortOneIsErasedBeyondItsEnd) {
  Started s(settingsWith(QStringLiteral("FirRun=0\nDatNum=8191")), /*withImage=*/false);
  s.start();
  for (int a : {0, 0x0F98, 0x1FFF}) EXPECT_EQ(s.ctx().IicDat.at(a), 0xFF) << a;  // (start-up then encodes the options)
  EXPECT_EQ(s.ctx().log.entriesLogged(), 1);
  EXPECT_EQ(s.ctx().log.lastProcName(), QStringLiteral("mdifrmMain->InitTempArray"));
  EXPECT_EQ(s.views.calls.last(), QStringLiteral("options"));

  Started t(settingsWith(QStringLiteral("FirRun=0\nDatNum=8191")), /*withImage=*/false);
  t.env.writeFile(QStringLiteral("dhcpqec.dll"), QByteArray(100, '\x22'));
  t.start();
  EXPECT_EQ((std::vector<int>{t.ctx().IicDat.at(99), t.ctx().IicDat.at(100), t.ctx().IicDat.at(0x1FFF)}), (std::vector<int>{0x22, 0xFF, 0xFF}));
  EXPECT_EQ(t.ctx().log.entriesLogged(), 0);
}

TEST(Startup, ADatNumThatIsNoImageSizeGivesTheWholeMemoryWithOneLogEntry) {
  for (const char* datNum : {"lots", "-1", "99999", "8191x"}) {
    Started s(settingsWith(QStringLiteral("FirRun=0\nDatNum=") + QLatin1String(datNum)));
    s.start();
    EXPECT_EQ(s.ctx().IicDat.size(), 8192) << datNum;
    EXPECT_EQ(s.ctx().log.entriesLogged(), 1) << datNum << s.env.log();
    EXPECT_TRUE(s.ctx().log.lines().last().contains(QStringLiteral("[Setting] DatNum"))) << datNum;
    EXPECT_EQ(s.views.calls.last(), QStringLiteral("options"));
  }
}

// A settings file the installation pass cannot mark (here a folder or a FIFO in its place;
// the install test has a read-only file and an ordinary user) would end every start.
TEST(Startup, ASettingsFileThatCannotBeMarkedGivesANormalStartAndALogEntry) {
  for (const bool fifo : {false, true}) {
    Started s{QString()};
    const QString path = s.env.path(QStringLiteral("minglyc.dll"));
    ASSERT_TRUE(fifo ? mkfifo(QFile::encodeName(path).constData(), 0644) == 0 : QDir().mkdir(path));
    s.start();  // a FIFO opened for reading would block here
    EXPECT_FALSE(s.ctx().st.InstallPass) << fifo;
    EXPECT_FALSE(s.views.calls.contains(QStringLiteral("close"))) << fifo;
    EXPECT_EQ(s.views.calls.last(), QStringLiteral("options")) << fifo;
    const QStringList& lines = s.ctx().log.lines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[1].contains(QStringLiteral("mdifrmMain->InitMultiFrm")) && lines[1].contains(path)) << s.env.log();
    EXPECT_EQ(s.ctx().ini.read(QStringLiteral("Setting"), QStringLiteral("FirRun"), {}), QStringLiteral("1"))
        << "the mark holds for the run";
    EXPECT_TRUE(fifo ? !QFileInfo(path).isFile() && QFileInfo(path).exists() : QFileInfo(path).isDir());
  }
}

// The first real start with a settings file the reader stops in (a NUL byte): the file is
// left byte for byte, each refused write is logged, the detected language holds for the run.
TEST(Startup, ASettingsFileNotReadToItsEndIsLeftAsItWasAndTheFirstStartStillDetectsTheLanguage) {
  Started s(QString{});
  QByteArray text = settingsWith(QStringLiteral("FirRun=1\nLanguage=2\nDatNum=8191")).toUtf8();
  text += QByteArray("\0\n[Ports]\nCOM1=/dev/mine\n", 25);
  s.env.writeFile(QStringLiteral("minglyc.dll"), text);
  s.env.dialogs.localeId = 2052;
  s.start();
  EXPECT_EQ(s.env.readFile(QStringLiteral("minglyc.dll")), text);
  EXPECT_EQ(s.ctx().st.CurLang, 1);
  EXPECT_EQ(s.ctx().log.lines().filter(QStringLiteral("mdifrmMain->GetSysLang")).size(), 2) << s.env.log();
  EXPECT_TRUE(s.ctx().log.lines()[1].contains(s.env.path(QStringLiteral("minglyc.dll"))));
}
