// New, Open, Save and Save As against files in a temporary folder, with scripted answers.

#include "comm/datafiles.h"
#include "image/addressmap.h"
#include "shell/startup.h"
#include "support/testenv.h"
#include "ui/inifile.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace k52;
using k52::test::TestEnv;

namespace {

class StatusViews : public AppViews {
 public:
  void setStatusFile(const QString& t) override { file = t; }
  QString file;
};

// A started program on the delivered files, language English.
struct Program {
  TestEnv env;
  StatusViews views;
  Program() {
    env.installDeliveredFiles();
    IniFile ini(env.path(QStringLiteral("minglyc.dll")));
    ini.write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QStringLiteral("0"));
    ini.write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("3"));
    env.ctx->views = &views;
    InitMultiFrm(ctx());
    EXPECT_EQ(ctx().log.entriesLogged(), 0) << ctx().log.lines().join(QLatin1Char('\n')).toStdString();
  }
  AppContext& ctx() { return *env.ctx; }
  QString dataPath(const char* name) { return QDir(env.path(QStringLiteral("Data"))).filePath(QString::fromLatin1(name)); }
  void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // An image with channel 1 at 435.125 MHz, TX 440.000, and a squelch level of 7.
  QByteArray editedImage() {
    QByteArray img = ctx().IicDat.toByteArray();
    const char rx[] = {0x00, 0x25, 0x51, 0x43}, tx[] = {0x00, 0x00, 0x00, 0x44};
    for (int i = 0; i < 4; ++i) {
      img[i] = rx[i];
      img[4 + i] = tx[i];
    }
    img[addr::kSquelch] = 7;
    return img;
  }
};

}  // namespace

TEST(DataFiles, NewAnsweredNoChangesNothingAndYesReloadsTheDefaultImage) {
  Program p;
  const QString other = p.dataPath("other.dat");
  p.ctx().st.CurDataFile = other;
  p.ctx().ch.ChInfo(1, 1) = 43000000;
  p.ctx().IicDat.at(0x0E13) = 9;
  p.env.dialogs.answers = {MsgAnswer::No};
  NewFile(p.ctx());
  EXPECT_EQ(p.ctx().st.CurDataFile, other);
  EXPECT_EQ(p.ctx().ch.ChInfo(1, 1), 43000000);
  EXPECT_EQ(p.env.dialogs.asked.back().prompt, p.ctx().text(74));
  NewFile(p.ctx());  // Yes
  EXPECT_EQ(p.ctx().st.CurDataFile, p.ctx().st.DefDataFile);
  EXPECT_TRUE(p.views.file.endsWith(QStringLiteral("Untitled.dat")));
  EXPECT_EQ(p.ctx().ch.ChInfo(1, 1), -1);
  EXPECT_EQ(p.ctx().IicDat.at(0x0E13), 3) << "the delivered squelch level";
}

TEST(DataFiles, OpenTakesAWholeImageAndAFileLongerThanTheImageGivesItsFirstBytes) {
  Program p;
  const QByteArray img = p.editedImage();
  const QString good = p.dataPath("good.dat"), longer = p.dataPath("long.dat");
  p.write(good, img);
  p.write(longer, img + QByteArray(100, '\x33'));
  p.env.dialogs.fileNames = {good};
  OpenFile(p.ctx());
  EXPECT_EQ(p.ctx().ch.ChInfo(1, 1), 43512500);
  EXPECT_EQ(p.ctx().ch.ChInfo(1, 2), 44000000);
  EXPECT_EQ(p.ctx().opt.OptSel(2), 7);
  EXPECT_EQ(p.ctx().st.CurDataFile, good);
  EXPECT_TRUE(p.views.file.endsWith(QStringLiteral("good.dat")));
  EXPECT_EQ(p.ctx().IicDat.toByteArray(), img);
  p.env.dialogs.fileNames = {longer};
  OpenFile(p.ctx());
  EXPECT_EQ(p.ctx().IicDat.toByteArray(), img);
  EXPECT_EQ(p.ctx().st.CurDataFile, longer);
  EXPECT_EQ(p.ctx().log.entriesLogged(), 0);
}

TEST(DataFiles, AShortMissingOrUnreadableFileIsRefusedAndChangesNothing) {
  Program p;
  const QString shortFile = p.dataPath("short.dat");
  p.write(shortFile, p.editedImage().left(8000));
  const QString folder = p.dataPath("folder.dat");
  QDir().mkpath(folder);
  const MemoryImage image = p.ctx().IicDat;
  const QString file = p.ctx().st.CurDataFile, status = p.views.file;
  int entries = 0;
  for (const QString& path : {shortFile, p.dataPath("missing.dat"), folder}) {
    p.env.dialogs.fileNames = {path};
    OpenFile(p.ctx());
    EXPECT_EQ(p.env.dialogs.asked.back().prompt, p.ctx().text(83)) << path.toStdString();
    EXPECT_EQ(p.env.dialogs.asked.back().icon, MsgIcon::Critical);
    EXPECT_EQ(p.ctx().log.entriesLogged(), ++entries);
    EXPECT_EQ(p.ctx().log.lastProcName(), QStringLiteral("mdifrmMain->OpenFile"));
    EXPECT_EQ(p.ctx().IicDat, image);
    EXPECT_EQ(p.ctx().ch.ChInfo(1, 1), -1);
    EXPECT_EQ(p.ctx().st.CurDataFile, file);
    EXPECT_EQ(p.views.file, status);
  }
}

TEST(DataFiles, CancellingEitherDialogChangesNothing) {
  Program p;
  const MemoryImage image = p.ctx().IicDat;
  const QString file = p.ctx().st.CurDataFile;
  OpenFile(p.ctx());
  SaveAsFile(p.ctx());
  EXPECT_EQ(p.ctx().IicDat, image);
  EXPECT_EQ(p.ctx().st.CurDataFile, file);
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_EQ(p.env.dialogs.dialogInitialPaths, (std::vector<QString>{file, file}));
}

TEST(DataFiles, SaveAsThenOpenRestoresTheSameConfigurationByteForByte) {
  Program p;
  p.env.dialogs.fileNames = {p.dataPath("edited.dat")};
  p.write(p.dataPath("edited.dat"), p.editedImage());
  OpenFile(p.ctx());
  p.ctx().ch.ChInfo(2, 1) = 46000000;
  p.ctx().ch.ChInfo(2, 2) = 46000000;
  p.ctx().opt.OptSel(1) = 3;
  const QString saved = p.dataPath("saved.dat");
  // Saving over a longer file leaves exactly the image.
  p.write(saved, QByteArray(9000, '\x55'));
  p.env.dialogs.fileNames = {saved};
  SaveFile(p.ctx());
  EXPECT_EQ(p.env.dialogs.asked.back().prompt, p.ctx().text(82));
  const QByteArray bytes = p.read(saved);
  ASSERT_EQ(bytes.size(), 8192);
  EXPECT_EQ(bytes, p.ctx().IicDat.toByteArray());
  EXPECT_EQ(p.ctx().st.CurDataFile, saved);

  Program fresh;
  fresh.env.dialogs.fileNames = {saved};
  OpenFile(fresh.ctx());
  EXPECT_EQ(fresh.ctx().ch.ChInfo(2, 1), 46000000);
  EXPECT_EQ(fresh.ctx().opt.OptSel(1), 3);
  for (int n = 1; n <= 199; ++n)
    for (int f = 1; f <= 8; ++f) ASSERT_EQ(fresh.ctx().ch.ChInfo(n, f), p.ctx().ch.ChInfo(n, f)) << n << "," << f;
  for (int i = 1; i <= 100; ++i) ASSERT_EQ(fresh.ctx().opt.OptSel(i), p.ctx().opt.OptSel(i)) << i;
  EXPECT_EQ(fresh.ctx().IicDat.toByteArray(), bytes);
}

TEST(DataFiles, ASaveThatFailsHalfWayLeavesTheOldFileIntact) {
  Program p;
  const QString target = p.dataPath("keep.dat");
  const QByteArray old(8192, '\x42');
  p.write(target, old);
  // The file size limit makes the write fail after 4 KB, as a full disk would.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  rlimit small = before;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  p.env.dialogs.fileNames = {target};
  const QString previous = p.ctx().st.CurDataFile;
  SaveAsFile(p.ctx());
  setrlimit(RLIMIT_FSIZE, &before);
  EXPECT_EQ(p.read(target), old);
  EXPECT_EQ(p.ctx().log.lastProcName(), QStringLiteral("mdifrmMain->SaveDatFile"));
  EXPECT_EQ(QDir(p.env.path(QStringLiteral("Data"))).entryList(QDir::Files).size(), 1) << "no temporary file left behind";
  // A save into a folder that cannot exist fails too, and the current file stays.
  p.env.dialogs.fileNames = {target + QStringLiteral("/x.dat")};
  SaveAsFile(p.ctx());
  EXPECT_EQ(p.ctx().st.CurDataFile, previous);
  EXPECT_EQ(p.ctx().log.lastProcName(), QStringLiteral("mdifrmMain->SaveDatFile"));
}

TEST(DataFiles, TheDataFolderIsCreatedOnlyWhenMissing) {
  Program p;
  const QString mine = p.dataPath("mine.dat");
  p.write(mine, "x");
  GenerateDatFolder(p.ctx());
  EXPECT_TRUE(QFile::exists(mine));
  EXPECT_EQ(p.ctx().st.CurDataFile, p.dataPath("Untitled.dat"));
}
