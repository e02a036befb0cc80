// A program folder the user may not write to: the user's own settings file and data
// folder, while the delivered files are read where they are.

#include "app/startup.h"
#include "app/userfiles.h"
#include "support/testenv.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace k52;

namespace {

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
    EXPECT_TRUE(ctx.st.CurLang == expected.lang && ctx.st.DefDataFile == user.documents("Data/Untitled.dat"));
    EXPECT_EQ(ctx.IicDat.toByteArray(), env.readFile(QStringLiteral("dhcpqec.dll"))) << "the default image of the program folder";
    EXPECT_EQ(ctx.log.entriesLogged(), 0) << ctx.log.lines().join(QLatin1Char('\n')).toStdString();
    IniFile(files.settingsFile).write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("3"));
  }
  EXPECT_EQ(settingsFileToRead(files), files.settingsFile);
  const QByteArray copy = env.readFile(files.settingsFile);
  seedUserSettings(files);
  EXPECT_EQ(env.readFile(files.settingsFile), copy) << "an existing copy is never replaced";
  EXPECT_TRUE(env.readFile(QStringLiteral("minglyc.dll")) == delivered &&
              QDir(env.folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot) == programFolder);
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
