// A program folder the user may not write to: the user's own settings file and data
// folder, while the delivered files are read where they are.

#include "image/memoryimage.h"
#include "shell/startup.h"
#include "shell/userfiles.h"
#include "support/testenv.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace k52;
using k52::test::TestEnv;

namespace {

// A home folder of its own for each test: the user's configuration and documents.
struct UserHome {
  QTemporaryDir home;
  UserHome() {
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", QDir(home.path()).filePath(QStringLiteral("config")).toLocal8Bit());
  }
  QString config(const QString& name) const { return QDir(home.path()).filePath(QStringLiteral("config/k52/") + name); }
  QString documents(const QString& name) const {
    return QDir(home.path()).filePath(QStringLiteral("Documents/K52/") + name);
  }
};

QString settingOf(const QString& file, const char* key) {
  return IniFile(file).read(QStringLiteral("Setting"), QString::fromLatin1(key), QStringLiteral("<missing>"));
}

}  // namespace

TEST(UserFiles, EachUserGoesThroughTheInstallationPassAndFirstStartInTheirOwnCopy) {
  UserHome user;
  TestEnv env;
  env.installDeliveredFiles();
  const QByteArray delivered = env.readFile(QStringLiteral("minglyc.dll"));
  const QStringList programFolder = QDir(env.folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  const ProgramFiles files = perUserFiles(env.folder.path());
  ASSERT_EQ(files.settingsFile, user.config(QStringLiteral("minglyc.dll")));
  ASSERT_EQ(files.dataRoot, QDir(user.home.path()).filePath(QStringLiteral("Documents/K52")));

  {  // Installation pass: the copy is made from the delivered file and only marked.
    AppContext ctx(env.clock, env.dialogs, env.folder.path());
    ctx.files = files;
    InitMultiFrm(ctx);
    EXPECT_TRUE(ctx.st.InstallPass);
    EXPECT_EQ(settingOf(files.settingsFile, "FirRun") + settingOf(files.settingsFile, "DatNum"), QStringLiteral("18191")) << "seeded from the delivered file";
    EXPECT_FALSE(QDir(files.dataRoot).exists());
  }
  env.dialogs.localeId = 2052;
  {  // First real start: language from the locale into the copy; Data in the documents.
    AppContext ctx(env.clock, env.dialogs, env.folder.path());
    ctx.files = files;
    InitMultiFrm(ctx);
    EXPECT_FALSE(ctx.st.InstallPass);
    EXPECT_EQ(settingOf(files.settingsFile, "FirRun") + settingOf(files.settingsFile, "Language"), QStringLiteral("01"));
    EXPECT_EQ(ctx.st.CurLang, 1);
    EXPECT_EQ(ctx.st.DefDataFile, user.documents(QStringLiteral("Data/Untitled.dat")));
    EXPECT_TRUE(QDir(user.documents(QStringLiteral("Data"))).exists());
    EXPECT_EQ(ctx.IicDat.toByteArray(), env.readFile(QStringLiteral("dhcpqec.dll")))
        << "the default image comes from the program folder";
    EXPECT_EQ(ctx.log.entriesLogged(), 0) << ctx.log.lines().join(QLatin1Char('\n')).toStdString();
  }
  IniFile(files.settingsFile).write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("3"));
  {  // Later starts keep what the user's copy says; it is never made again.
    AppContext ctx(env.clock, env.dialogs, env.folder.path());
    ctx.files = files;
    InitMultiFrm(ctx);
    EXPECT_EQ(ctx.st.CurLang, 3);
  }
  EXPECT_EQ(env.readFile(QStringLiteral("minglyc.dll")), delivered);
  EXPECT_EQ(QDir(env.folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), programFolder)
      << "nothing written into the program folder";
}

TEST(UserFiles, ReadingTakesTheUsersCopyOnceItExistsAndNeverMakesIt) {
  UserHome user;
  TestEnv env;
  env.installDeliveredFiles();
  const ProgramFiles files = perUserFiles(env.folder.path());
  {
    AppContext ctx(env.clock, env.dialogs, env.folder.path());
    ctx.files = files;
    ReadSettings(ctx);
    EXPECT_EQ(ctx.st.IniFile, env.path(QStringLiteral("minglyc.dll")));
    EXPECT_EQ(ctx.st.CurLang, 2) << "the delivered language";
    EXPECT_EQ(ctx.IicDat.size(), 8192);
    EXPECT_FALSE(QDir(user.config(QString())).exists());
  }
  seedUserSettings(files);
  IniFile(files.settingsFile).write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("1"));
  const QByteArray copy = env.readFile(files.settingsFile);
  {
    AppContext ctx(env.clock, env.dialogs, env.folder.path());
    ctx.files = files;
    ReadSettings(ctx);
    EXPECT_EQ(ctx.st.CurLang, 1);
  }
  seedUserSettings(files);
  EXPECT_EQ(env.readFile(files.settingsFile), copy) << "an existing copy is never replaced";
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
    EXPECT_EQ(files.perUser, installed) << folder;
    EXPECT_EQ(files.settingsFile, installed ? user.config(QStringLiteral("minglyc.dll")) : QDir(path).filePath(QStringLiteral("minglyc.dll")))
        << folder;
  }
}
