// New, Open, Save and Save As against files in a temporary folder, with scripted answers.

#include "comm/datafiles.h"
#include "image/addressmap.h"
#include "shell/startup.h"
#include "support/testenv.h"

#include <QDateTime>
#include <iostream>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace k52;
using k52::test::TestEnv;

namespace {

// A started program on the delivered files, language English.
class DataFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    env.installProgram();
    ctx.views = &views;
    InitMultiFrm(ctx);
    EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
  }
  QString dataPath(const char* name) const { return QDir(env.path(QStringLiteral("Data"))).filePath(QString::fromLatin1(name)); }
  // An image with channel 1 at 435.125 MHz, TX 440.000, and a squelch level of 7.
  QByteArray editedImage() const {
    QByteArray img = ctx.IicDat.toByteArray();
    img.replace(0, 8, QByteArray::fromHex("0025514300000044"));
    img[addr::kSquelch] = 7;
    return img;
  }
  const QString& lastPrompt() const { return env.dialogs.asked.back().prompt; }
  // The error point of the last log entry.
  QString lastErrorPoint() const {
    const QString line = ctx.log.lines().value(ctx.log.selectedLine());
    const qsizetype at = line.indexOf(QStringLiteral("出错点:  ")) + 6, end = line.indexOf(QStringLiteral("     出错描述"));
    return line.mid(at, end - at);
  }

  TestEnv env;
  AppContext& ctx = *env.ctx;
  test::RecordingViews views;
};

TEST_F(DataFiles, NewAnsweredNoChangesNothingAndYesReloadsTheDefaultImage) {
  ctx.st.CurDataFile = dataPath("other.dat");
  ctx.ch.ChInfo(1, 1) = 43000000;
  ctx.IicDat.at(0x0E13) = 9;
  env.dialogs.answers = {MsgAnswer::No};
  NewFile(ctx);
  EXPECT_EQ(lastPrompt(), ctx.text(74));
  EXPECT_EQ(ctx.st.CurDataFile, dataPath("other.dat"));
  EXPECT_EQ(ctx.ch.ChInfo(1, 1), 43000000);
  NewFile(ctx);  // Yes
  EXPECT_EQ(ctx.st.CurDataFile, ctx.st.DefDataFile);
  EXPECT_TRUE(views.statusFile.endsWith(QStringLiteral("Untitled.dat")));
  EXPECT_EQ(ctx.ch.ChInfo(1, 1), -1);
  EXPECT_EQ(ctx.IicDat.at(0x0E13), 3) << "the delivered squelch level";
}

TEST_F(DataFiles, OpenTakesAWholeImageOrTheFirstBytesOfALongerFileAndRefusesTheRest) {
  const QByteArray img = editedImage();
  env.writeFile(dataPath("good.dat"), img);
  env.writeFile(dataPath("long.dat"), img + QByteArray(100, '\x33'));
  env.writeFile(dataPath("short.dat"), img.left(8000));
  QDir().mkpath(dataPath("folder.dat"));
  for (const char* name : {"good.dat", "long.dat"}) {
    ctx.IicDat.fill(0);
    env.dialogs.fileNames = {dataPath(name)};
    OpenFile(ctx);
    EXPECT_EQ(ctx.IicDat.toByteArray(), img) << name;
    EXPECT_EQ((std::vector<int>{ctx.ch.ChInfo(1, 1), ctx.ch.ChInfo(1, 2), ctx.opt.OptSel(2)}), (std::vector<int>{43512500, 44000000, 7}));
    EXPECT_TRUE(ctx.st.CurDataFile == dataPath(name) && views.statusFile.endsWith(QLatin1String(name))) << views.statusFile.toStdString();
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 0);

  NewFile(ctx);
  const MemoryImage image = ctx.IicDat;
  const QString file = ctx.st.CurDataFile, status = views.statusFile;
  int entries = 0;
  for (const char* name : {"short.dat", "missing.dat", "folder.dat"}) {
    env.dialogs.fileNames = {dataPath(name)};
    OpenFile(ctx);
    EXPECT_EQ(lastPrompt(), ctx.text(83)) << name;
    EXPECT_EQ(env.dialogs.asked.back().icon, MsgIcon::Critical);
    EXPECT_EQ(ctx.log.entriesLogged(), ++entries);
    EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("mdifrmMain->OpenFile"));
    EXPECT_TRUE(ctx.IicDat == image && ctx.ch.ChInfo(1, 1) == -1 && ctx.st.CurDataFile == file && views.statusFile == status);
  }
  // Cancelling either dialog changes nothing; both start from the current file.
  env.dialogs.dialogInitialPaths.clear();
  OpenFile(ctx);
  SaveAsFile(ctx);
  EXPECT_TRUE(ctx.IicDat == image && ctx.st.CurDataFile == file && !QFile::exists(file));
  EXPECT_EQ(env.dialogs.dialogInitialPaths, (std::vector<QString>{file, file}));
}

TEST_F(DataFiles, SaveThenOpenRestoresTheSameConfigurationByteForByte) {
  env.writeFile(dataPath("edited.dat"), editedImage());
  env.dialogs.fileNames = {dataPath("edited.dat")};
  OpenFile(ctx);
  ctx.ch.ChInfo(2, 1) = ctx.ch.ChInfo(2, 2) = 46000000;
  ctx.opt.OptSel(1) = 3;
  const QString saved = dataPath("saved.dat");
  env.writeFile(saved, QByteArray(9000, '\x55'));  // saving over a longer file leaves exactly the image
  env.dialogs.fileNames = {saved};
  SaveFile(ctx);
  EXPECT_EQ(lastPrompt(), ctx.text(82));
  const QByteArray bytes = env.readFile(saved);
  EXPECT_EQ(bytes, ctx.IicDat.toByteArray());
  EXPECT_EQ(ctx.st.CurDataFile, saved);
  const auto edited = ctx.ch.ChInfo;
  ctx.ch.ChInfo(2, 1) = ctx.opt.OptSel(1) = 0;
  env.dialogs.fileNames = {saved};
  OpenFile(ctx);
  EXPECT_TRUE(ctx.ch.ChInfo == edited && ctx.opt.OptSel(1) == 3) << "the save encoded the edits first";
}

TEST_F(DataFiles, ASaveThatFailsHalfWayLeavesTheOldFileIntactAndTheDataFolderIsKept) {
  const QString target = dataPath("keep.dat");
  const QByteArray old(8192, '\x42');
  env.writeFile(target, old);
  // The file size limit makes the write fail after 4 KB, as a full disk would.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  rlimit small = before;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  env.dialogs.fileNames = {target};
  const QString previous = ctx.st.CurDataFile;
  SaveAsFile(ctx);
  setrlimit(RLIMIT_FSIZE, &before);
  EXPECT_EQ(env.readFile(target), old);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("mdifrmMain->SaveDatFile"));
  EXPECT_EQ(lastErrorPoint(), target) << "the entry names the file";
  EXPECT_EQ(QDir(env.path(QStringLiteral("Data"))).entryList(QDir::Files).size(), 1) << "no temporary file left behind";
  // A save into a folder that cannot exist fails too, and the current file stays.
  env.dialogs.fileNames = {target + QStringLiteral("/x.dat")};
  SaveAsFile(ctx);
  EXPECT_EQ(ctx.st.CurDataFile, previous);
  EXPECT_EQ(ctx.log.entriesLogged(), 2);

  // The next start: the folder exists and nothing of the user's in it is touched, but
  // temporary files that interrupted saves and backups left an hour ago go.
  const QString backups = env.path(QStringLiteral("Backup"));
  QDir().mkpath(backups);
  const QDateTime twoHoursAgo = QDateTime::currentDateTime().addSecs(-7200);
  const std::pair<QString, bool> left[] = {
      {dataPath("keep.dat.AbqcDd"), false}, {backups + QStringLiteral("/20260101-000000-000.dat.xYWzQe"), false},
      {dataPath("keep.dat.ZzKrYy"), true},  // another running copy may be saving right now
      {dataPath("notes.dat.backup"), true}, {dataPath("keep.txt.AbqcDd"), true}};
  for (const auto& [file, stays] : left) {
    env.writeFile(file, "part");
    QFile f(file);
    if (!file.contains(QStringLiteral("ZzKrYy"))) {
      ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.setFileTime(twoHoursAgo, QFileDevice::FileModificationTime));
    }
  }
  GenerateDatFolder(ctx);
  EXPECT_EQ(env.readFile(target), old);
  EXPECT_EQ(ctx.st.CurDataFile, dataPath("Untitled.dat"));
  for (const auto& [file, stays] : left) EXPECT_EQ(QFile::exists(file), stays) << file.toStdString();
}

// Save As onto what is no data file: a device or a pipe is never replaced, and neither is
// read (opening a pipe would wait for a writer for ever).
TEST_F(DataFiles, DevicesAndPipesAreNeitherReadNorReplacedAndTheUserIsTold) {
  const QString node = dataPath("null.dat"), fifo = dataPath("pipe.dat");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
  QStringList targets{fifo};
  if (mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
    targets << node;
  else
    std::cout << "[ SKIPPED  ] the device node case: mknod was refused here\n";
  const QString file = ctx.st.CurDataFile;
  for (const QString& target : targets) {
    SCOPED_TRACE(target.toStdString());
    const int entries = ctx.log.entriesLogged();
    env.dialogs.fileNames = {target};
    SaveAsFile(ctx);
    EXPECT_EQ(lastPrompt(), QStringLiteral("Save file failed!"));
    EXPECT_EQ(env.dialogs.asked.back().icon, MsgIcon::Critical);
    EXPECT_EQ(ctx.log.entriesLogged(), entries + 1);
    EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("mdifrmMain->SaveAsFile"));
    EXPECT_EQ(lastErrorPoint(), target);
    EXPECT_EQ(ctx.st.CurDataFile, file);
    env.dialogs.fileNames = {target};
    OpenFile(ctx);
    EXPECT_EQ(lastPrompt(), ctx.text(83));
    EXPECT_EQ(lastErrorPoint(), target);
  }
  EXPECT_EQ(QDir(env.path(QStringLiteral("Data"))).entryList(QDir::Files), QStringList()) << "nothing written";
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_TRUE(targets.size() == 1 || (::stat(QFile::encodeName(node).constData(), &st) == 0 && S_ISCHR(st.st_mode)));
}

TEST_F(DataFiles, RootSavingOverAUsersFileKeepsItsOwnerAndMode) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root: only root can save a file it does not own";
  const QString target = dataPath("users.dat");
  env.writeFile(target, QByteArray(8192, '\x42'));
  const QByteArray path = QFile::encodeName(target);
  ASSERT_EQ(::chown(path.constData(), 4321, 4322), 0);
  ASSERT_EQ(::chmod(path.constData(), 0640), 0);
  env.dialogs.fileNames = {target};
  SaveAsFile(ctx);
  struct stat st {};
  ASSERT_EQ(::stat(path.constData(), &st), 0);
  EXPECT_EQ(env.readFile(target), ctx.IicDat.toByteArray()) << "saved";
  EXPECT_EQ(st.st_uid, 4321u);
  EXPECT_EQ(st.st_gid, 4322u);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
