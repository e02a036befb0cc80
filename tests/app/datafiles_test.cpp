// The session's files without windows: New, Open, Save and Save As of a started program on
// the delivered files, against files in a temporary folder, with scripted answers.

#include "core/addressmap.h"
#include "core/langtexts.h"
#include "app/session.h"
#include "app/startup.h"
#include "support/testenv.h"

#include <QDateTime>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace k52;

namespace {

class DataFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    env.installProgram();
    ctx.views = &views;
    InitMultiFrm(ctx);
    EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
  }
  QString data(const char* name) const { return env.path(QStringLiteral("Data/") + QLatin1String(name)); }
  // Channel 1 at 435.125 MHz, TX 440.000, squelch 7, written out from the memory layout.
  QByteArray editedImage() const {
    QByteArray img = ctx.IicDat.toByteArray();
    img.replace(0, 8, QByteArray::fromHex("0025514300000044"));
    img[addr::kSquelch] = 7;
    return img;
  }
  QString lastPrompt() const { return env.dialogs.asked.back().prompt; }
  // Whether the last log entry names the path as its error point.
  bool lastErrorAt(const QString& path) const { return ctx.log.lines().value(ctx.log.selectedLine()).contains(QStringLiteral("出错点:  ") + path); }

  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  Session session{ctx};
  test::RecordingViews views;
};

// Open takes a whole image, or the first 8 KB of a longer file; Save encodes the edits
// first and leaves exactly the image, also over a longer file; opening it gives them back.
// New, answered No, changes nothing; Yes starts over from the default image.
TEST_F(DataFiles, OpenSaveOpenAgainAndNew) {
  const QByteArray img = editedImage();
  env.writeFile(data("good.dat"), img);
  env.writeFile(data("long.dat"), img + QByteArray(100, '\x33'));
  for (const char* name : {"good.dat", "long.dat"}) {
    ctx.IicDat.fill(0);
    env.dialogs.fileNames = {data(name)};
    OpenFile(ctx);
    EXPECT_TRUE(ctx.IicDat.toByteArray() == img && ctx.ch.ChInfo(1, 2) == 44000000 && ctx.opt.OptSel(2) == 7) << name << " and decoded";
    EXPECT_TRUE(ctx.st.CurDataFile == data(name) && views.statusFile.endsWith(QLatin1String(name)));
  }
  ctx.ch.ChInfo(2, 1) = ctx.ch.ChInfo(2, 2) = 46000000;
  ctx.opt.OptSel(1) = 3;
  env.writeFile(data("saved.dat"), QByteArray(9000, '\x55'));
  env.dialogs.fileNames = {data("saved.dat")};
  SaveFile(ctx);
  EXPECT_TRUE(lastPrompt() == ctx.text(kTextAskSaveChanges) && env.readFile(data("saved.dat")) == ctx.IicDat.toByteArray() && ctx.st.CurDataFile == data("saved.dat"));
  const auto edited = ctx.ch.ChInfo;
  ctx.ch.ChInfo(2, 1) = ctx.opt.OptSel(1) = 0;
  session.openFile(data("saved.dat"));
  EXPECT_TRUE(ctx.ch.ChInfo == edited && ctx.opt.OptSel(1) == 3);
  env.dialogs.answers = {MsgAnswer::No, MsgAnswer::Yes};
  NewFile(ctx);
  EXPECT_TRUE(lastPrompt() == ctx.text(kTextAskClearAll) && ctx.st.CurDataFile == data("saved.dat") && ctx.ch.ChInfo == edited);
  NewFile(ctx);
  EXPECT_TRUE(ctx.st.CurDataFile == ctx.st.DefDataFile && views.statusFile.endsWith(QStringLiteral("Untitled.dat")) && ctx.ch.ChInfo(1, 1) == -1);
  EXPECT_TRUE(ctx.IicDat.at(addr::kSquelch) == 3 && ctx.log.entriesLogged() == 0) << "the delivered squelch level" << env.log();
}

// What is no data file is neither used nor replaced: the user is told, the log names the
// file, and the image, the tables, the current file and the folder stay as they were. A
// pipe is not even opened (it would wait for a writer for ever).
TEST_F(DataFiles, AFileThatCannotBeUsedLeavesEverythingAsItWas) {
  env.writeFile(data("short.dat"), QByteArray(8000, '\x22'));
  QDir().mkpath(data("folder.dat"));
  ASSERT_EQ(mkfifo(QFile::encodeName(data("pipe.dat")).constData(), 0644), 0);
  const bool device = mknod(QFile::encodeName(data("null.dat")).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  const MemoryImage image = ctx.IicDat;
  const QString file = ctx.st.CurDataFile, status = views.statusFile;
  const QStringList before = QDir(data("")).entryList(QDir::AllEntries | QDir::System);
  // Opened (false) or saved as (true).
  const std::pair<const char*, bool> cases[] = {{"short.dat", false}, {"missing.dat", false}, {"folder.dat", false}, {"folder.dat", true},
                                                {"pipe.dat", false},  {"pipe.dat", true},     {"null.dat", false},   {"null.dat", true},
                                                {"no-folder/x.dat", true}};
  for (const auto& [name, save] : cases) {
    if (!device && QLatin1String(name) == QLatin1String("null.dat")) continue;  // mknod was refused here
    const int entries = ctx.log.entriesLogged();
    env.dialogs.fileNames = {data(name)};
    save ? SaveAsFile(ctx) : OpenFile(ctx);
    EXPECT_TRUE(lastPrompt() == ctx.text(save ? kTextSaveFileFailed : kTextWrongFileType) && env.dialogs.asked.back().icon == MsgIcon::Critical) << name;
    EXPECT_EQ(ctx.log.lastProcName(), save ? QStringLiteral("mdifrmMain->SaveAsFile") : QStringLiteral("mdifrmMain->OpenFile")) << name;
    EXPECT_TRUE(ctx.log.entriesLogged() == entries + 1 && lastErrorAt(data(name))) << name;
    EXPECT_TRUE(ctx.IicDat == image && ctx.ch.ChInfo(1, 1) == -1 && ctx.st.CurDataFile == file && views.statusFile == status) << name;
  }
  EXPECT_TRUE(QDir(data("")).entryList(QDir::AllEntries | QDir::System) == before && !QFileInfo(data("pipe.dat")).isFile()) << "nothing written or replaced";
  // Cancelling either dialog changes nothing; both start from the current file.
  env.dialogs.dialogInitialPaths.clear();
  OpenFile(ctx);
  SaveAsFile(ctx);
  EXPECT_TRUE(ctx.IicDat == image && ctx.st.CurDataFile == file && !QFile::exists(file) && env.dialogs.dialogInitialPaths == (std::vector<QString>{file, file}));
}

// A write cut short (here by the file size limit, as a full disk would) leaves the earlier
// file as it was and no temporary file behind: the data file and the settings file alike.
TEST_F(DataFiles, AWriteCutShortLeavesTheOldFileIntact) {
  const QString target = data("keep.dat");
  const QByteArray old(8192, '\x42');
  env.writeFile(target, old);
  const QByteArray settings = env.readFile(QStringLiteral("minglyc.dll"));
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  const rlimit small{4096, before.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  env.dialogs.fileNames = {target};
  const QString previous = ctx.st.CurDataFile;
  SaveAsFile(ctx);
  const bool iniWritten = ctx.ini.write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("2"));
  setrlimit(RLIMIT_FSIZE, &before);
  EXPECT_TRUE(env.readFile(target) == old && ctx.st.CurDataFile == previous && ctx.log.lastProcName() == QStringLiteral("mdifrmMain->SaveDatFile") && lastErrorAt(target))
      << env.log();
  EXPECT_TRUE(settings.size() > 4096 && !iniWritten && env.readFile(QStringLiteral("minglyc.dll")) == settings);
  EXPECT_EQ(ctx.ini.read(QStringLiteral("Setting"), QStringLiteral("COM"), {}), QStringLiteral("2")) << "holds for the run";
  EXPECT_EQ(QDir(data("")).entryList(QDir::Files) + QDir(env.folder.path()).entryList({QStringLiteral("minglyc.dll*")}, QDir::Files | QDir::Hidden),
            (QStringList{QStringLiteral("keep.dat"), QStringLiteral("minglyc.dll")})) << "no temporary file left";
}

// The next start removes the temporary files interrupted saves and backups left an hour
// ago, and nothing else.
TEST_F(DataFiles, StaleTemporaryFilesOfInterruptedSavesGoAtTheNextStart) {
  const QString backups = env.path(QStringLiteral("Backup"));
  QDir().mkpath(backups);
  const std::pair<QString, bool> left[] = {
      {data("keep.dat.AbqcDd"), false}, {backups + QStringLiteral("/20260101-000000-000.dat.xYWzQe"), false},
      {data("keep.dat.ZzKrYy"), true},  // new: another running copy may be saving right now
      {data("notes.dat.backup"), true}, {data("keep.txt.AbqcDd"), true}, {data("keep.dat"), true}};
  for (const auto& [file, stays] : left) {
    env.writeFile(file, "part");
    QFile f(file);
    ASSERT_TRUE(file.contains(QStringLiteral("ZzKrYy")) ||
                (f.open(QIODevice::ReadWrite) && f.setFileTime(QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime)));
  }
  GenerateDatFolder(ctx);
  for (const auto& [file, stays] : left) EXPECT_EQ(QFile::exists(file), stays) << file.toStdString();
}

TEST_F(DataFiles, RootSavingOverAUsersFileKeepsItsOwnerAndMode) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root: only root can save a file it does not own";
  const QString target = data("users.dat");
  env.writeFile(target, QByteArray(8192, '\x42'));
  const QByteArray path = QFile::encodeName(target);
  ASSERT_TRUE(::chown(path.constData(), 4321, 4322) == 0 && ::chmod(path.constData(), 0640) == 0);
  session.saveFile(target);
  struct stat st {};
  ASSERT_TRUE(::stat(path.constData(), &st) == 0 && env.readFile(target) == ctx.IicDat.toByteArray());
  EXPECT_EQ((std::vector<unsigned>{st.st_uid, st.st_gid, st.st_mode & 07777u}), (std::vector<unsigned>{4321, 4322, 0640}));
}

}  // namespace
