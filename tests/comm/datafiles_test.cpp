// New, Open, Save and Save As against files in a temporary folder, with scripted answers.

#include "comm/datafiles.h"
#include "image/addressmap.h"
#include "shell/startup.h"
#include "support/testenv.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

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
  EXPECT_EQ(QDir(env.path(QStringLiteral("Data"))).entryList(QDir::Files).size(), 1) << "no temporary file left behind";
  // A save into a folder that cannot exist fails too, and the current file stays.
  env.dialogs.fileNames = {target + QStringLiteral("/x.dat")};
  SaveAsFile(ctx);
  EXPECT_EQ(ctx.st.CurDataFile, previous);
  EXPECT_EQ(ctx.log.entriesLogged(), 2);

  GenerateDatFolder(ctx);  // the folder exists: nothing in it is touched
  EXPECT_EQ(env.readFile(target), old);
  EXPECT_EQ(ctx.st.CurDataFile, dataPath("Untitled.dat"));
}

}  // namespace
