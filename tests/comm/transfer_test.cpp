// Read and write transfers: first a started program on a fake port and the test clock
// (every retry and pause to the millisecond), then against k52sim over a pseudo-terminal.

#include "comm/backup.h"
#include "comm/protocol.h"
#include "comm/transfer.h"
#include "image/chcodec.h"
#include "image/chgrid.h"
#include "ui/clock.h"
#include "ui/serialdevice.h"
#include "xferenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace k52;
using namespace k52::test;

namespace {

const QByteArray kHello = bytes({0x02, 0x50, 0x52, 0x4F, 0x47, 0x52, 0x41});
const QByteArray kEnd = bytes({0x45, 0x5A, 0xA5, 0x32, 0x23, 0x45, 0xF2});
const QString kFailed = QStringLiteral("Communication failed,please check commuication port!");

// The channel table's first fields, to see that nothing was decoded anew.
std::vector<int32_t> channelFields(const AppContext& ctx) {
  std::vector<int32_t> v;
  for (int n = 1; n <= 20; ++n)
    for (int f = 0; f <= 8; ++f) v.push_back(ctx.ch.ChInfo(n, f));
  return v;
}

class Transfer : public ::testing::Test {
 protected:
  void SetUp() override {
    installProgram(env, QStringLiteral("/dev/fake"));
    auto p = std::make_unique<FakePort>(env.clock);
    port = p.get();
    port->openable << QStringLiteral("/dev/fake");
    port->responder = [this](const QByteArray& f) {
      ++frameNo;
      if (drop.count(frameNo)) return std::vector<Piece>{};
      return radio(f);
    };
    ctx.port = std::move(p);
    ctx.views = &views;
    env.clock.set(QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
    InitMultiFrm(ctx);
    radio.memory = radioMemory();
    logged = ctx.log.entriesLogged();
  }
  void TearDown() override { ctx.views = nullptr; }
  void setRange(int dir, int start, int end) {
    (dir == kReadDir ? ctx.st.ReadStartAddr : ctx.st.WriteStartAddr) = static_cast<int16_t>(start);
    (dir == kReadDir ? ctx.st.ReadEndAddr : ctx.st.WriteEndAddr) = static_cast<int16_t>(end);
  }
  // A fresh transfer: new frame count, nothing dropped, an empty view.
  void again() {
    frameNo = 0;
    drop.clear();
    port->frames.clear();
    port->writtenAt.clear();
    port->opens.clear();
    view = RecordingView();
    env.dialogs.asked.clear();
  }
  QStringList asked() const {
    QStringList a;
    for (const auto& q : env.dialogs.asked) a << q.prompt;
    return a;
  }

  TestEnv env;
  AppContext& ctx = *env.ctx;
  FakePort* port = nullptr;
  FakeRadio radio;
  RecordingViews views;
  RecordingView view;
  int frameNo = 0;
  std::set<int> drop;  // frames (counted from 1) whose reply is lost
  int logged = 0;
};

TEST_F(Transfer, AReadReplacesTheImageDecodesItAndKeepsABackup) {
  ASSERT_EQ(cmdRead_Click(ctx, view), TransferEnd::Succeeded);
  EXPECT_EQ(ctx.IicDat.toByteArray(), radio.memory);
  // Handshake, 512 block reads, end frame.
  ASSERT_EQ(port->frames.size(), 516u);
  EXPECT_EQ(port->frames[0], kHello);
  EXPECT_EQ(port->frames[3], bytes({0x52, 0x00, 0x00, 0x10}));
  EXPECT_EQ(port->frames[514], bytes({0x52, 0x1F, 0xF0, 0x10}));
  EXPECT_EQ(port->frames[515], kEnd);
  // Decoded into the tables and shown.
  EXPECT_EQ(ctx.ch.ChInfo(1, kFieldRx), 43512500);
  EXPECT_EQ(views.softVersion, QStringList{QStringLiteral("V1.0 -- 2011.12.21")});
  EXPECT_EQ(views.lastProgrammed, QStringList{QStringLiteral("2026.1.5")});
  // Progress: 3 after the handshake, rising to 97 with the blocks, 100 at the end.
  ASSERT_EQ(view.percents.size(), 514u);
  EXPECT_EQ(view.percents.front(), 3);
  EXPECT_TRUE(std::is_sorted(view.percents.begin(), view.percents.end()));
  EXPECT_EQ(view.percents[512], 97);
  EXPECT_EQ(view.percents.back(), 100);
  // The window went through its states once; the port is closed; the traffic was listed.
  EXPECT_EQ(view.starts, std::vector<bool>{false});
  EXPECT_EQ(view.stops, 1);
  EXPECT_EQ(view.finishes, 1);
  EXPECT_FALSE(port->isOpen());
  EXPECT_EQ(view.shown.front(), (std::pair<int16_t, QByteArray>{0, kHello}));
  EXPECT_TRUE(ctx.com.traffic != &view) << "the engine's traffic hook is put back";
  // The closing waits: 200 ms and 300 ms after the last frame's own pauses.
  EXPECT_GE(env.clock.tickMs() - port->writtenAt.back(), 500 + 5);
  // The backup holds the image read.
  const QStringList backups = backupFiles(backupFolder(ctx));
  ASSERT_EQ(backups.size(), 1);
  EXPECT_TRUE(backups[0].startsWith(QStringLiteral("20260314-09"))) << "named by the clock: " << backups[0].toStdString();
  QFile f(QDir(backupFolder(ctx)).filePath(backups[0]));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), radio.memory);
  EXPECT_EQ(ctx.log.entriesLogged(), logged);
}

TEST_F(Transfer, SixFailuresAreRetriedTheSeventhEndsTheReadAndNothingChanges) {
  // Six lost replies over four scripts: the handshake's second frame, one block twice,
  // two other blocks. Each failed script is run again from its beginning.
  drop = {2, 10, 11, 200, 300, 400};
  ASSERT_EQ(cmdRead_Click(ctx, view), TransferEnd::Succeeded);
  EXPECT_EQ(ctx.com.ComFailCnt, 6);
  EXPECT_EQ(ctx.IicDat.toByteArray(), radio.memory);
  EXPECT_EQ(port->frames[2], kHello) << "a failed handshake starts again with its first frame";
  EXPECT_EQ(port->frames[9], port->frames[10]);
  EXPECT_EQ(port->frames[10], port->frames[11]) << "a failed block read asks for the same block";
  // 151 polls of 1 ms, the 30 ms pause of the retry, the 5 ms pause before the frame.
  EXPECT_EQ(port->writtenAt[10] - port->writtenAt[9], 151 + 30 + 5);
  EXPECT_EQ(port->frames.size(), 516u + 2u + 5u) << "two frames of the broken handshake, five block reads again";
  EXPECT_TRUE(asked().isEmpty());

  // Seven failures in one transfer, spread over seven scripts: the read ends at the
  // seventh, the image, the tables and the windows stay as they were.
  ctx.IicDat.assignFrom(deliveredImage());
  SoftDisplay(ctx);
  const QByteArray image = ctx.IicDat.toByteArray();
  const std::vector<int32_t> fields = channelFields(ctx);
  views.softVersion.clear();
  again();
  drop = {1, 50, 100, 150, 200, 250, 300};
  EXPECT_EQ(cmdRead_Click(ctx, view), TransferEnd::Failed);
  EXPECT_EQ(ctx.com.ComFailCnt, 7);
  EXPECT_EQ(port->frames.size(), 300u) << "nothing is sent after the seventh failure";
  EXPECT_EQ(asked(), QStringList{kFailed});
  EXPECT_EQ(env.dialogs.asked[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(env.dialogs.asked[0].title, QStringLiteral("Notice"));
  EXPECT_EQ(ctx.IicDat.toByteArray(), image);
  EXPECT_EQ(channelFields(ctx), fields);
  EXPECT_TRUE(views.softVersion.isEmpty());
  EXPECT_EQ(backupFiles(backupFolder(ctx)).size(), 1) << "only the successful read was kept";
  EXPECT_FALSE(port->isOpen());
  EXPECT_EQ(view.finishes, 1) << "the window hides after a failed transfer too";
  EXPECT_EQ(view.lines.size(), 7) << "one notice line per failed frame";

  // The next transfer starts counting from 0 again.
  again();
  EXPECT_EQ(cmdRead_Click(ctx, view), TransferEnd::Succeeded);
  EXPECT_EQ(ctx.com.ComFailCnt, 0);
  EXPECT_EQ(ctx.log.entriesLogged(), logged);
}

TEST_F(Transfer, StopCommunicationEndsTheTransferAtTheNextScript) {
  const QByteArray image = ctx.IicDat.toByteArray();
  view.stopAfterPercents = 10;  // the handshake and nine blocks went through
  EXPECT_EQ(cmdRead_Click(ctx, view), TransferEnd::Stopped);
  EXPECT_EQ(port->frames.size(), 3u + 9u);
  EXPECT_NE(port->frames.back(), kEnd);
  EXPECT_EQ(ctx.IicDat.toByteArray(), image);
  EXPECT_TRUE(asked().isEmpty()) << "a stop the user asked for is no port fault";
  EXPECT_FALSE(port->isOpen());
  EXPECT_EQ(view.finishes, 1);

  again();
  view.stopAfterPercents = 0;
  EXPECT_EQ(cmdWrite_Click(ctx, view), TransferEnd::Stopped);
  EXPECT_TRUE(port->frames.empty());
}

TEST_F(Transfer, APortThatWillNotOpenEndsAtOnce) {
  port->openable.clear();
  const QByteArray image = ctx.IicDat.toByteArray();
  for (bool write : {false, true}) {
    again();
    EXPECT_EQ(write ? cmdWrite_Click(ctx, view) : cmdRead_Click(ctx, view), TransferEnd::PortNotOpened);
    EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modCommun->OpenCom"));
    EXPECT_TRUE(port->frames.empty());
    EXPECT_EQ(view.stops, 1) << "lamp off, input accepted";
    EXPECT_EQ(view.finishes, 0) << "the window stays for another try";
  }
  EXPECT_EQ(views.toolComShown, 2) << "the port dialog is offered each time";
  EXPECT_EQ(ctx.IicDat.toByteArray(), image) << "a write that could not open encodes nothing";
}

TEST_F(Transfer, ARangeTheImageCannotHoldIsRefusedBeforeAnythingIsSent) {
  again();
  setRange(kReadDir, 0x1F00, 0x2FFF);
  EXPECT_EQ(cmdRead_Click(ctx, view), TransferEnd::Refused);
  ASSERT_EQ(asked().size(), 1);
  EXPECT_TRUE(asked()[0].contains(QStringLiteral("2000-2FFFH"))) << asked()[0].toStdString();
  EXPECT_TRUE(asked()[0].contains(QStringLiteral("0000-1FFFH")));
  EXPECT_TRUE(port->opens.isEmpty()) << "the port is not even opened";
  EXPECT_TRUE(view.starts.empty());

  again();
  setRange(kWriteDir, 0x1FF8, 0x2007);
  EXPECT_EQ(cmdWrite_Click(ctx, view), TransferEnd::Refused);
  EXPECT_TRUE(asked().value(0).contains(QStringLiteral("1FF8-2007H"))) << "the block that does not fit";
  EXPECT_TRUE(port->frames.empty());

  // An image too small for the closing writes (band, date) refuses every write, while a
  // read inside it runs.
  again();
  ctx.IicDat.allocate(0x0EFF);
  setRange(kReadDir, 0x0000, 0x00FF);
  setRange(kWriteDir, 0x0000, 0x00FF);
  EXPECT_EQ(cmdWrite_Click(ctx, view), TransferEnd::Refused);
  EXPECT_TRUE(asked().value(0).contains(QStringLiteral("0F92-0FF2H"))) << asked().value(0).toStdString();
  again();
  EXPECT_EQ(cmdRead_Click(ctx, view), TransferEnd::Succeeded);
  EXPECT_EQ(port->frames.size(), 3u + 16u + 1u);
}

TEST_F(Transfer, ShortBlocksAndOneByteRangesTouchOnlyTheirBytes) {
  for (int a = 0x100; a < 0x200; ++a) radio.memory[a] = static_cast<char>(a * 3);
  QByteArray expected = ctx.IicDat.toByteArray();  // the delivered image
  ASSERT_NE(expected.mid(0x100, 0x100), radio.memory.mid(0x100, 0x100));
  ASSERT_NE(expected[0x1FFF], radio.memory[0x1FFF]);
  setRange(kReadDir, 0x0100, 0x0112);
  ASSERT_EQ(cmdRead_Click(ctx, view), TransferEnd::Succeeded);
  EXPECT_EQ(port->frames[3], bytes({0x52, 0x01, 0x00, 0x10}));
  EXPECT_EQ(port->frames[4], bytes({0x52, 0x01, 0x10, 0x03}));
  expected.replace(0x100, 0x13, radio.memory.mid(0x100, 0x13));
  EXPECT_EQ(ctx.IicDat.toByteArray(), expected);
  EXPECT_EQ(view.percents, (std::vector<int16_t>{3, 97, 98, 100}));

  again();
  setRange(kReadDir, 0x1FFF, 0x1FFF);
  ASSERT_EQ(cmdRead_Click(ctx, view), TransferEnd::Succeeded);
  EXPECT_EQ(port->frames[3], bytes({0x52, 0x1F, 0xFF, 0x01}));
  expected[0x1FFF] = radio.memory[0x1FFF];
  EXPECT_EQ(ctx.IicDat.toByteArray(), expected);
}

TEST_F(Transfer, AWriteEncodesTheTablesLimitsByte0E17AndStampsTodaysDate) {
  env.clock.set(QDateTime(QDate(2026, 1, 5), QTime(8, 0)));
  radio.memory.fill('\0');
  ctx.ch.ChInfo(1, kFieldRx) = 43512500;
  ctx.ch.ChInfo(1, kFieldTx) = 43512500;
  ctx.IicDat.at(0x0E17) = 9;
  ASSERT_EQ(cmdWrite_Click(ctx, view), TransferEnd::Succeeded);
  // Handshake, 512 block writes, band, date, two fills, end frame.
  ASSERT_EQ(port->frames.size(), 3u + 512u + 5u);
  EXPECT_EQ(port->frames[515], bytes({0x57, 0x0F, 0xF0, 0x03}) + ctx.IicDat.toByteArray().mid(0x0FF0, 3));
  EXPECT_EQ(port->frames[516], bytes({0x57, 0x0F, 0x92, 0x03, 26, 1, 5}));
  EXPECT_EQ(view.starts, std::vector<bool>{true});
  EXPECT_EQ(view.percents.back(), 100);
  EXPECT_EQ(view.percents[511], 96) << "the write blocks stop at 96";

  const QByteArray image = ctx.IicDat.toByteArray();
  EXPECT_EQ(image.mid(0, 4), bytes({0x00, 0x25, 0x51, 0x43})) << "the edited table went into the image";
  EXPECT_EQ(ctx.IicDat.at(0x0E17), 4);
  EXPECT_EQ(image.mid(0x0F92, 3), bytes({26, 1, 5}));
  // The radio holds the image, except the two areas the closing writes fill.
  QByteArray expected = image;
  expected.replace(0x0F80, 18, QByteArray(18, '\xFF'));
  EXPECT_EQ(radio.memory, expected);

  // A byte within the limit stays; a failed write keeps the image as it was encoded.
  again();
  ctx.IicDat.at(0x0E17) = 3;
  env.clock.set(QDateTime(QDate(2031, 12, 31), QTime(23, 59)));
  drop = {5, 6, 7, 8, 9, 10, 11};
  EXPECT_EQ(cmdWrite_Click(ctx, view), TransferEnd::Failed);
  EXPECT_EQ(asked(), QStringList{kFailed});
  EXPECT_EQ(ctx.IicDat.at(0x0E17), 3);
  EXPECT_EQ(ctx.IicDat.toByteArray().mid(0x0F92, 3), bytes({31, 12, 31}));
  EXPECT_EQ(ctx.log.entriesLogged(), logged);
}

// ---- The small fields and the live list ----

TEST(TransferTexts, DatesAndVersionsAsTheSettingsWindowShowsThem) {
  TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.IicDat.allocate(8191);
  ctx.SoftFaceText(179) = QStringLiteral("Unknown Time");
  auto date = [&](int y, int m, int d) {
    ctx.IicDat.at(0x0F92) = static_cast<uint8_t>(y);
    ctx.IicDat.at(0x0F93) = static_cast<uint8_t>(m);
    ctx.IicDat.at(0x0F94) = static_cast<uint8_t>(d);
    return comDatText(ctx);
  };
  EXPECT_EQ(date(11, 12, 21), QStringLiteral("2011.12.21"));
  EXPECT_EQ(date(26, 1, 5), QStringLiteral("2026.1.5"));
  EXPECT_EQ(date(5, 3, 9), QStringLiteral("2005.3.9")) << "the year keeps its tens digit";
  EXPECT_EQ(date(50, 12, 31), QStringLiteral("2050.12.31"));
  for (const auto& [y, m, d] : {std::tuple{0xFF, 0xFF, 0xFF}, {51, 1, 1}, {26, 0, 5}, {26, 13, 5}, {26, 18, 5},
                                {26, 1, 0}, {26, 1, 32}, {26, 1, 49}})
    EXPECT_EQ(date(y, m, d), QStringLiteral("Unknown Time")) << y << "." << m << "." << d;

  auto version = [&](int v, int e, int f) {
    ctx.IicDat.at(0x0F98) = static_cast<uint8_t>(v);
    ctx.IicDat.at(0x0F99) = static_cast<uint8_t>(e);
    ctx.IicDat.at(0x0F9A) = static_cast<uint8_t>(f);
    return softVerText(ctx.IicDat);
  };
  EXPECT_EQ(version(0x10, 0xBC, 0x15), QStringLiteral("V1.0 -- 2011.12.21"));
  EXPECT_EQ(version(0x2F, 0x01, 0x05), QStringLiteral("V2.15 -- 2000.01.05"));
  EXPECT_EQ(version(0xFF, 0xFF, 0xFF), QStringLiteral("V15.15 -- 2015.15.255"));

  // Today's date through the clock: the year within the century.
  for (const QDate& d : {QDate(2026, 1, 5), QDate(2100, 12, 31), QDate(2009, 7, 4)}) {
    env.clock.set(QDateTime(d, QTime(12, 0)));
    WriteComDat(ctx);
    EXPECT_EQ(ctx.IicDat.at(0x0F92), d.year() % 100);
    EXPECT_EQ(ctx.IicDat.at(0x0F93), d.month());
    EXPECT_EQ(ctx.IicDat.at(0x0F94), d.day());
  }
}

TEST(TransferTexts, LiveListLines) {
  EXPECT_EQ(comDataLines(0, bytes({0x52, 0x00, 0x10, 0x10})), QStringList{QStringLiteral("Tx: 52 00 10 10 ")});
  EXPECT_EQ(comDataLines(-1, bytes({0x06})), QStringList{QStringLiteral("Rx: 06 ")});
  EXPECT_EQ(comDataLines(0, bytes({0x4D, 0x02, 0xAB})), QStringList{QStringLiteral("Tx: 4D 02 AB ")});
  QByteArray reply = bytes({0x57, 0x00, 0x10, 0x10});
  for (int i = 0; i < 16; ++i) reply.append(static_cast<char>(0xF0 + i));
  EXPECT_EQ(comDataLines(-1, reply),
            (QStringList{QStringLiteral("Rx: 57 00 10 10 "),
                         QStringLiteral("       F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF ")}));
  // The rest after the last full line comes after four blanks.
  EXPECT_EQ(comDataLines(0, kHello), (QStringList{QStringLiteral("Tx: 02 50 52 4F "), QStringLiteral("    47 52 41 ")}));
  const QStringList lines = comDataLines(0, QByteArray(4 + 32 + 2, '\x11'));
  ASSERT_EQ(lines.size(), 4);
  EXPECT_EQ(lines[2], QStringLiteral("       ") + QStringLiteral("11 ").repeated(16));
  EXPECT_EQ(lines[3], QStringLiteral("    11 11 "));
  EXPECT_TRUE(comDataLines(0, QByteArray()).isEmpty());
}

TEST(Backups, TheNewestTwoHundredAreKeptAndOtherFilesAreLeftAlone) {
  TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.IicDat.allocate(8191);
  QDir().mkpath(backupFolder(ctx));
  const QString mine = QDir(backupFolder(ctx)).filePath(QStringLiteral("my radio.dat"));
  QFile(mine).open(QIODevice::WriteOnly);
  QStringList written;
  for (int i = 0; i < 205; ++i) {
    ctx.IicDat.fill(static_cast<uint8_t>(i));
    if (i % 5 != 4) env.clock.advance(1000);  // some in the same millisecond as the one before
    written << QFileInfo(SaveReadBackup(ctx)).fileName();
  }
  EXPECT_EQ(std::set<QString>(written.begin(), written.end()).size(), 205u) << "no backup overwrote another";
  EXPECT_TRUE(written[4].endsWith(QStringLiteral("_001.dat"))) << written[4].toStdString();
  const QStringList kept = backupFiles(backupFolder(ctx));
  EXPECT_EQ(kept, written.mid(5)) << "oldest first, the first five removed";
  EXPECT_TRUE(QFile::exists(mine));
  QFile last(QDir(backupFolder(ctx)).filePath(kept.back()));
  ASSERT_TRUE(last.open(QIODevice::ReadOnly));
  EXPECT_EQ(last.readAll(), QByteArray(8192, static_cast<char>(204)));
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST(Backups, AFolderThatCannotBeMadeIsLogged) {
  TestEnv env;
  env.ctx->IicDat.allocate(8191);
  env.writeFile(QStringLiteral("Backup"), "a file where the folder belongs");
  EXPECT_TRUE(SaveReadBackup(*env.ctx).isEmpty());
  EXPECT_EQ(env.ctx->log.lastProcName(), QStringLiteral("modCommun->SaveReadBackup"));
}

// ---- Against the simulator over a pseudo-terminal ----

class TransferOverPty : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFile::exists(simPath())) GTEST_SKIP() << "k52sim not built";
    memory = radioMemory();
    imagePath = dir.filePath(QStringLiteral("radio.bin"));
    QFile f(imagePath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(memory);
  }
  void TearDown() override {
    if (ctx) ctx->views = nullptr;
    stopSim();
  }
  static QString simPath() { return QStringLiteral(K52_BIN_DIR "/k52sim"); }
  void stopSim() {
    if (sim.state() == QProcess::NotRunning) return;
    sim.write("quit\n");
    if (!sim.waitForFinished(3000)) sim.kill();
  }
  // Starts k52sim --fast with extra arguments and a started program whose COM1 is it.
  void start(const QStringList& extra = {}) {
    stopSim();
    // COM1 is a link the simulator removes when it ends: the terminal's own name may be
    // handed to another test's terminal at once.
    const QString device = dir.filePath(QStringLiteral("radio-tty"));
    // A late reply comes well after the program has given up, even on a loaded machine
    // where its polls take longer than they should.
    sim.start(simPath(), QStringList{QStringLiteral("--fast"), QStringLiteral("--image"), imagePath,
                                     QStringLiteral("--late-ms"), QStringLiteral("600"), QStringLiteral("--link"), device} +
                             extra);
    ASSERT_TRUE(sim.waitForStarted(3000));
    while (!sim.canReadLine()) ASSERT_TRUE(sim.waitForReadyRead(3000));
    sim.readLine();
    env = std::make_unique<TestEnv>();
    installProgram(*env, device);
    ctx = std::make_unique<AppContext>(clock, env->dialogs, env->folder.path());
    ctx->port = std::make_unique<SerialDevice>();
    ctx->views = &views;
    InitMultiFrm(*ctx);
    view = RecordingView();
  }
  QByteArray dump() {
    sim.write("dump\n");
    while (!sim.canReadLine())
      if (!sim.waitForReadyRead(3000)) return {};
    const QByteArray line = sim.readLine().trimmed();
    return line.startsWith("dump ") ? QByteArray::fromHex(line.mid(5).replace(' ', "")) : QByteArray();
  }
  void setRead(int s, int e) {
    ctx->st.ReadStartAddr = static_cast<int16_t>(s);
    ctx->st.ReadEndAddr = static_cast<int16_t>(e);
  }
  QString faultsAt(std::initializer_list<int> replies, const char* kind) {
    QStringList l;
    for (int r : replies) l << QStringLiteral("%1:%2").arg(r).arg(QString::fromLatin1(kind));
    return l.join(QLatin1Char(','));
  }

  QTemporaryDir dir;
  QString imagePath;
  QByteArray memory;
  QProcess sim;
  SystemClock clock;
  std::unique_ptr<TestEnv> env;
  std::unique_ptr<AppContext> ctx;
  RecordingViews views;
  RecordingView view;
};

TEST_F(TransferOverPty, AFullReadAndAWriteOfTheRadio) {
  start();
  ASSERT_EQ(cmdRead_Click(*ctx, view), TransferEnd::Succeeded);
  EXPECT_EQ(ctx->IicDat.toByteArray(), memory);
  EXPECT_EQ(views.lastProgrammed, QStringList{QStringLiteral("2026.1.5")});
  EXPECT_EQ(backupFiles(backupFolder(*ctx)).size(), 1);

  ctx->ch.ChInfo(2, kFieldRx) = 44000000;
  ctx->ch.ChInfo(2, kFieldTx) = 44000000;
  ctx->IicDat.at(0x0E17) = 0xFF;
  ASSERT_EQ(cmdWrite_Click(*ctx, view), TransferEnd::Succeeded);
  const QByteArray image = ctx->IicDat.toByteArray();
  EXPECT_EQ(image.mid(16, 4), bytes({0x00, 0x00, 0x00, 0x44}));
  const QDate today = QDate::currentDate();
  EXPECT_EQ(image.mid(0x0F92, 3), bytes({today.year() % 100, today.month(), today.day()}));
  QByteArray expected = image;
  expected.replace(0x0F80, 18, QByteArray(18, '\xFF'));
  const QByteArray radio = dump();
  EXPECT_EQ(radio, expected);
  EXPECT_EQ(static_cast<uint8_t>(radio[0x0E17]), 4);
  EXPECT_EQ(ctx->com.ComFailCnt, 0);
}

// Every fault the radio's side can show, on a reply in the middle of a short read: the
// failing ones cost one retry, split and extra replies are no fault.
TEST_F(TransferOverPty, EveryFaultKindIsRetriedAndTheReadStillComplete) {
  struct Case {
    const char* kind;
    int failures;
  };
  for (const Case& c : {Case{"lost", 1}, Case{"wrong", 1}, Case{"short", 1}, Case{"garbage", 1}, Case{"late", 1},
                        Case{"split", 0}, Case{"extra", 0}}) {
    SCOPED_TRACE(c.kind);
    start({QStringLiteral("--fault-at"), faultsAt({6}, c.kind)});
    setRead(0x0040, 0x00BF);
    ASSERT_EQ(cmdRead_Click(*ctx, view), TransferEnd::Succeeded);
    if (QByteArray(c.kind) == "late")  // the late reply may also spoil the next frame
      EXPECT_GE(ctx->com.ComFailCnt, 1);
    else
      EXPECT_EQ(ctx->com.ComFailCnt, c.failures);
    EXPECT_EQ(ctx->IicDat.toByteArray().mid(0x40, 0x80), memory.mid(0x40, 0x80));
  }
}

TEST_F(TransferOverPty, SixFaultsAreRetriedTheSeventhEndsTheReadWithTheImageUntouched) {
  // Lost replies on six different scripts (replies 1, 4, 9, 14, 19, 24 as they come).
  start({QStringLiteral("--fault-at"), faultsAt({1, 4, 9, 14, 19, 24}, "lost")});
  setRead(0x0000, 0x01FF);
  ASSERT_EQ(cmdRead_Click(*ctx, view), TransferEnd::Succeeded);
  EXPECT_EQ(ctx->com.ComFailCnt, 6);
  EXPECT_EQ(ctx->IicDat.toByteArray().left(0x200), memory.left(0x200));

  // The same replies wrong, and one more: the seventh failure ends the read.
  start({QStringLiteral("--fault-at"), faultsAt({1, 4, 9, 14, 19, 24, 29}, "wrong")});
  setRead(0x0000, 0x01FF);
  const QByteArray before = ctx->IicDat.toByteArray();
  const qsizetype shown = views.lastProgrammed.size();
  EXPECT_EQ(cmdRead_Click(*ctx, view), TransferEnd::Failed);
  EXPECT_EQ(ctx->com.ComFailCnt, 7);
  EXPECT_EQ(ctx->IicDat.toByteArray(), before);
  EXPECT_EQ(views.lastProgrammed.size(), shown);
  EXPECT_EQ(backupFiles(backupFolder(*ctx)).size(), 0);
}

TEST_F(TransferOverPty, APulledCableEndsTheTransferWithoutHanging) {
  start({QStringLiteral("--fault-at"), QStringLiteral("40:hangup")});
  const QByteArray before = ctx->IicDat.toByteArray();
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(cmdRead_Click(*ctx, view), TransferEnd::Failed);
  EXPECT_EQ(ctx->IicDat.toByteArray(), before);
  EXPECT_EQ(env->dialogs.asked.size(), 1u);
  EXPECT_LT(t.elapsed(), 20000) << "a dead line ends after seven quick failures";
  ASSERT_TRUE(sim.state() == QProcess::NotRunning || sim.waitForFinished(3000));
  EXPECT_EQ(sim.exitCode(), 3);

  // The terminal is gone with the radio: the next transfer finds no port.
  EXPECT_EQ(cmdWrite_Click(*ctx, view), TransferEnd::PortNotOpened);
}

TEST_F(TransferOverPty, ADeviceThatDoesNotExistIsAPortThatWillNotOpen) {
  start();
  ctx->ini.write(QStringLiteral("Ports"), QStringLiteral("COM1"), dir.filePath(QStringLiteral("no-such-tty")));
  EXPECT_EQ(cmdRead_Click(*ctx, view), TransferEnd::PortNotOpened);
  EXPECT_EQ(views.toolComShown, 1);
  EXPECT_EQ(ctx->log.lastProcName(), QStringLiteral("modCommun->OpenCom"));
  // A named device (the command-line companion's way) reports the fault instead.
  TransferPort named{dir.filePath(QStringLiteral("no-such-tty")), {}};
  EXPECT_EQ(cmdRead_Click(*ctx, view, &named), TransferEnd::PortNotOpened);
  EXPECT_FALSE(named.openFailure.isEmpty());
  EXPECT_EQ(views.toolComShown, 1);
}

}  // namespace
