// The program's Read and Write on a fake port and the test clock (what the program does
// around the engine's transfer); the engine against k52sim over a pseudo-terminal (the
// fault kinds on a reply are the engine tests'), two engines on two radios at once, and a
// unit of the many-radios run.

#include "app/backup.h"
#include "app/protocol.h"
#include "support/fakeport.h"
#include "app/chcodec.h"
#include "app/chgrid.h"
#include "core/memoryimage.h"
#include "app/startup.h"
#include "platform/serialdevice.h"
#include "platform/systemclock.h"
#include "core/unitrun.h"
#include "core/writeverify.h"

#include <QFile>
#include <QSignalSpy>
#include <QThread>
#include <array>
#include <gtest/gtest.h>
#include <set>

using namespace k52;
using namespace k52::test;

namespace {

const QString kFailed = QStringLiteral("Communication failed,please check commuication port!");

class Transfer : public ::testing::Test {
 protected:
  void SetUp() override {
    port = attachFakePort(env, [this](const QByteArray& f) { return drop.count(++frameNo) ? std::vector<Piece>{} : radio(f); });
    ctx.views = &views;
    env.clock.set(QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
    InitMultiFrm(ctx);
    radio.memory = radioMemory();
    logged = ctx.log.entriesLogged();
  }
  void TearDown() override {
    ctx.views = nullptr;
    EXPECT_EQ(ctx.log.entriesLogged(), logged) << env.log();
  }
  // A fresh transfer: new frame count, nothing dropped, an empty view.
  void again() {
    frameNo = 0;
    drop.clear();
    port->frames.clear();
    port->opens.clear();
    view = RecordingView();
    env.dialogs.asked.clear();
  }
  QStringList asked() const { return env.dialogs.prompts(); }

  TestEnv env;
  AppContext& ctx = *env.ctx;
  FakePort* port = nullptr;
  FakeRadio radio;
  RecordingViews views;
  RecordingView view;
  int frameNo = 0, logged = 0;
  std::set<int> drop;  // frames (counted from 1) whose reply is lost
};

TEST_F(Transfer, AReadReplacesTheImageDecodesItAndKeepsABackup) {
  ASSERT_EQ(cmdRead_Click(ctx, view), TransferEnd::Succeeded);
  EXPECT_EQ(ctx.IicDat.toByteArray(), radio.memory);
  EXPECT_EQ(ctx.ch.ChInfo(1, kFieldRx), 43512500);
  EXPECT_EQ(views.softVersion + views.lastProgrammed + views.statusNotices,
            (QStringList{QStringLiteral("V1.0 -- 2011.12.21"), QStringLiteral("2026.1.5"), QStringLiteral("Read from the radio.")}));
  EXPECT_TRUE(view.starts == std::vector<bool>{false} && view.stops + view.finishes == 2 && !port->isOpen());
  EXPECT_EQ(view.shown.front(), (std::pair<int16_t, QByteArray>{0, kHello})) << "the window's live list";
  EXPECT_TRUE(ctx.com.traffic != &view) << "the engine's traffic hook is put back";
  EXPECT_GE(env.clock.tickMs() - port->writtenAt.back(), 500 + 5) << "the closing waits";
  const QStringList backups = backupFiles(backupFolder(ctx));
  ASSERT_EQ(backups.size(), 1);
  EXPECT_TRUE(backups[0].startsWith(QStringLiteral("20260314-09"))) << "named by the clock: " << backups[0].toStdString();
  EXPECT_EQ(env.readFile(QDir(backupFolder(ctx)).filePath(backups[0])), radio.memory);
}

TEST_F(Transfer, TheSeventhFailureEndsTheReadWithItsMessageAndNothingChanges) {
  // (The retry rule itself is the engine test's.)
  ctx.IicDat.assignFrom(deliveredImage());
  SoftDisplay(ctx);
  const QByteArray image = ctx.IicDat.toByteArray();
  views.softVersion.clear();
  drop = {1, 50, 100, 150, 200, 250, 300};
  EXPECT_EQ(cmdRead_Click(ctx, view), TransferEnd::Failed);
  EXPECT_EQ(ctx.com.ComFailCnt, 7);
  EXPECT_EQ(asked(), QStringList{kFailed});
  EXPECT_EQ(env.dialogs.asked[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(ctx.IicDat.toByteArray(), image);
  EXPECT_TRUE(ctx.ch.ChInfo(1, kFieldRx) == -1 && views.softVersion.isEmpty()) << "the tables and windows stay";
  EXPECT_TRUE(backupFiles(backupFolder(ctx)).isEmpty()) << "no backup of a failed read";
  EXPECT_TRUE(!port->isOpen() && view.finishes == 1) << "the window hides after a failed transfer too";

  again();  // the next transfer counts from 0 again
  drop = {2};
  EXPECT_EQ(cmdRead_Click(ctx, view), TransferEnd::Succeeded);
  EXPECT_EQ(ctx.com.ComFailCnt, 1);
}

TEST_F(Transfer, StopAPortThatWillNotOpenAndARangeTheImageCannotHoldEndBeforeTheRadioIsTouched) {
  const QByteArray image = ctx.IicDat.toByteArray();
  view.stopAfterPercents = 10;  // the handshake and nine blocks went through
  EXPECT_EQ(cmdRead_Click(ctx, view), TransferEnd::Stopped);
  EXPECT_EQ(port->frames.size(), 3u + 9u);
  EXPECT_TRUE(asked().isEmpty() && view.finishes == 1) << "a stop the user asked for is no port fault";

  port->openable.clear();
  for (bool write : {false, true}) {
    again();
    EXPECT_EQ(write ? cmdWrite_Click(ctx, view) : cmdRead_Click(ctx, view), TransferEnd::PortNotOpened);
    EXPECT_TRUE(view.stops == 1 && view.finishes == 0) << "lamp off, input accepted, the window stays for another try";
  }
  logged = ctx.log.entriesLogged();
  EXPECT_EQ(views.toolComShown, 2) << "the port dialog is offered each time";
  EXPECT_EQ(ctx.IicDat.toByteArray(), image) << "a write that could not open encodes nothing";
  port->openable << QStringLiteral("/dev/fake");

  // The message names the addresses outside the image, in the interface language.
  again();
  ctx.st.WriteStartAddr = 0x1FF8;
  ctx.st.WriteEndAddr = 0x2007;
  EXPECT_EQ(cmdWrite_Click(ctx, view), TransferEnd::Refused);
  EXPECT_EQ(asked(), QStringList{QStringLiteral("The address range 1FF8-2007H lies outside the memory image (0000-1FFFH). "
                                                "Nothing was sent; please correct the address range.")});
  EXPECT_TRUE(port->opens.isEmpty() && view.starts.empty()) << "the port is not even opened";
}

TEST_F(Transfer, AWriteEncodesTheTablesLimitsByte0E17AndStampsTodaysDate) {
  env.clock.set(QDateTime(QDate(2026, 1, 5), QTime(8, 0)));
  radio.memory.fill('\0');
  ctx.ch.ChInfo(1, kFieldRx) = ctx.ch.ChInfo(1, kFieldTx) = 43512500;
  ctx.IicDat.at(0x0E17) = 9;
  ASSERT_EQ(cmdWrite_Click(ctx, view), TransferEnd::Succeeded);
  ASSERT_EQ(port->frames.size(), 3u + 512u + 5u) << "handshake, 512 block writes, band, date, two fills, end";
  const QByteArray image = ctx.IicDat.toByteArray();
  EXPECT_EQ(image.mid(0x0F92, 3), bytes({26, 1, 5}));
  EXPECT_EQ(image.mid(0, 4), bytes({0x00, 0x25, 0x51, 0x43})) << "the edited table went into the image";
  EXPECT_EQ(ctx.IicDat.at(0x0E17), 4);
  EXPECT_EQ(radio.memory.left(0x0F80), image.left(0x0F80));
  // The status bar says so, and "Write Data Last Time" shows the date just written.
  EXPECT_EQ(views.statusNotices, QStringList{QStringLiteral("Written to the radio.")});
  EXPECT_EQ(views.lastProgrammed, QStringList{QStringLiteral("2026.1.5")});

  // A byte within the limit stays; a failed write keeps the image as it was encoded.
  again();
  ctx.IicDat.at(0x0E17) = 3;
  env.clock.set(QDateTime(QDate(2031, 12, 31), QTime(23, 59)));
  drop = {5, 6, 7, 8, 9, 10, 11};
  EXPECT_EQ(cmdWrite_Click(ctx, view), TransferEnd::Failed);
  EXPECT_EQ(asked(), QStringList{kFailed});
  EXPECT_EQ(ctx.IicDat.at(0x0E17), 3);
  EXPECT_EQ(ctx.IicDat.toByteArray().mid(0x0F92, 3), bytes({31, 12, 31}));
  EXPECT_EQ(views.statusNotices.size() + views.lastProgrammed.size(), 2u) << "a failed write claims nothing";
}

// With "VerifyAfterWrite" set, the write reads its range back before the port closes: a
// radio that holds what was sent passes; one that changed a byte is named by its field.
TEST_F(Transfer, AWriteWithVerifyReadsItsRangeBackAndNamesTheFirstDifference) {
  ctx.ini.write(QStringLiteral("Setting"), QStringLiteral("VerifyAfterWrite"), QStringLiteral("1"));
  ctx.ch.ChInfo(1, kFieldRx) = ctx.ch.ChInfo(1, kFieldTx) = 43512500;
  ASSERT_EQ(cmdWrite_Click(ctx, view), TransferEnd::Succeeded);
  EXPECT_EQ(port->frames.size(), (3u + 512u + 5u) + (3u + 512u + 1u)) << "the write, then the read-back";
  EXPECT_EQ(views.statusNotices, QStringList{QStringLiteral("Written to the radio and verified.")});
  EXPECT_TRUE(asked().isEmpty() && !port->isOpen());

  again();
  views.statusNotices.clear();
  port->responder = [this](const QByteArray& f) {
    auto reply = radio(f);
    if (f == kEnd) radio.memory[1] = 0x26;  // the radio did not keep what it was sent
    return reply;
  };
  ASSERT_EQ(cmdWrite_Click(ctx, view), TransferEnd::Succeeded);
  ASSERT_EQ(asked().size(), 1);
  EXPECT_TRUE(asked()[0].startsWith(QStringLiteral("The radio does not hold what was written (Channel 1: ")) &&
              asked()[0].endsWith(QStringLiteral("435.12500 / 435.12600)."))) << asked()[0].toStdString();
  EXPECT_TRUE(views.statusNotices.isEmpty()) << "no claim of a verified write";
}

// ---- The small fields, the live list, the backups ----

TEST(TransferTexts, DatesAndVersionsAsTheSettingsWindowShowsThem) {
  TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.IicDat.allocate(8191);
  ctx.SoftFaceText(179) = QStringLiteral("Unknown Time");
  auto text = [&](int at, std::array<int, 3> b) {
    for (int i = 0; i < 3; ++i) ctx.IicDat.at(at + i) = static_cast<uint8_t>(b[size_t(i)]);
    return at == 0x0F92 ? comDatText(ctx) : softVerText(ctx.IicDat);
  };
  const std::pair<std::array<int, 3>, const char*> dates[] = {
      {{11, 12, 21}, "2011.12.21"}, {{5, 3, 9}, "2005.3.9"},  {{50, 12, 31}, "2050.12.31"}, {{0xFF, 0xFF, 0xFF}, "Unknown Time"},
      {{51, 1, 1}, "Unknown Time"}, {{26, 0, 5}, "Unknown Time"}, {{26, 13, 5}, "Unknown Time"}, {{26, 1, 0}, "Unknown Time"},
      {{26, 1, 32}, "Unknown Time"}, {{26, 1, 49}, "Unknown Time"}};
  for (const auto& [b, shown] : dates) EXPECT_EQ(text(0x0F92, b), QLatin1String(shown)) << b[0] << "." << b[1] << "." << b[2];
  EXPECT_EQ(text(0x0F98, {0x10, 0xBC, 0x15}), QStringLiteral("V1.0 -- 2011.12.21"));
  EXPECT_EQ(text(0x0F98, {0x2F, 0x01, 0x05}), QStringLiteral("V2.15 -- 2000.01.05"));
  EXPECT_EQ(text(0x0F98, {0xFF, 0xFF, 0xFF}), QStringLiteral("V15.15 -- 2015.15.255"));
  EXPECT_EQ(comDataLines(0, QByteArray(4 + 16 + 2, '\x11')).last(), QStringLiteral("    11 11 ")) << "the rest after four blanks";
}

TEST(Backups, TheNewestTwoHundredAreKeptNoneOverwritesAnotherAndAFolderThatCannotBeMadeIsLogged) {
  TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.IicDat.allocate(8191);
  QDir().mkpath(backupFolder(ctx));
  const QString mine = QDir(backupFolder(ctx)).filePath(QStringLiteral("my radio.dat"));
  env.writeFile(mine, "mine");
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
  EXPECT_EQ(env.readFile(QDir(backupFolder(ctx)).filePath(kept.back())), QByteArray(8192, static_cast<char>(204)));
  EXPECT_EQ(ctx.log.entriesLogged(), 0);

  TestEnv other;
  other.ctx->IicDat.allocate(8191);
  other.writeFile(QStringLiteral("Backup"), "a file where the folder belongs");
  EXPECT_TRUE(SaveReadBackup(*other.ctx).isEmpty());
  EXPECT_EQ(other.ctx->log.lastProcName(), QStringLiteral("modCommun->SaveReadBackup"));
  EXPECT_TRUE(other.ctx->log.lines().last().contains(QStringLiteral("出错点:  ") + backupFolder(*other.ctx) + QStringLiteral(" ")))
      << "the entry names the folder: " << other.log();
}

// Backups named for a later time than now: written while the clock was ahead, or in the
// first pass of the hour that repeats when summer time ends. The fresh backup stays and the
// one written longest ago goes.
TEST(Backups, AFreshBackupStaysWhenOthersAreNamedForLaterTimes) {
  for (const char* later : {"20990101-120000-", "20260102-033000-"}) {  // the clock says 2026-01-02 03:04
    SCOPED_TRACE(later);
    TestEnv env;
    AppContext& ctx = *env.ctx;
    ctx.IicDat.allocate(8191);
    QDir().mkpath(backupFolder(ctx));
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < kBackupKeep; ++i) {
      const QString name = QDir(backupFolder(ctx)).filePath(QLatin1String(later) + QStringLiteral("%1.dat").arg(i, 3, 10, QLatin1Char('0')));
      env.writeFile(name, "older");
      QFile f(name);
      // Written in the reverse order of their names: the last name is the oldest file.
      ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.setFileTime(now.addSecs(-1000 - i), QFileDevice::FileModificationTime));
    }
    const QString fresh = QFileInfo(SaveReadBackup(ctx)).fileName();
    const QStringList kept = backupFiles(backupFolder(ctx));
    EXPECT_TRUE(!fresh.isEmpty() && kept.contains(fresh)) << fresh.toStdString();
    EXPECT_EQ(kept.size(), kBackupKeep);
    EXPECT_FALSE(kept.contains(QLatin1String(later) + QStringLiteral("199.dat"))) << "the oldest file went";
  }
}

// ---- Against the simulator over a pseudo-terminal ----

class OverPty : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFile::exists(QStringLiteral(K52_BIN_DIR "/k52sim"))) GTEST_SKIP() << "k52sim not built";
    env.writeFile(QStringLiteral("radio.bin"), memory);
    image.allocate(0x1FFF);
  }
  // k52sim --fast with extra arguments, reached through a link that goes with it (the
  // terminal's own name may be handed to another test's terminal at once).
  void start(const QStringList& extra) {
    ASSERT_TRUE(sim.start(QStringList{QStringLiteral("--fast"), QStringLiteral("--image"), env.path(QStringLiteral("radio.bin")),
                                      QStringLiteral("--link"), link} + extra));
  }
  TransferOutcome read(AddressRange range) {
    return transferOnDevice(engine, link, buildScripts(range, range), kReadDir, image, progress);
  }

  TestEnv env;
  QString link = env.path(QStringLiteral("radio-tty"));
  QByteArray memory = radioMemory();
  Sim sim;
  SystemClock clock;
  SerialDevice port;
  RecordingSink log;
  ProtocolEngine engine{port, clock, log};
  MemoryImage image;
  TransferProgress progress;
};

TEST_F(OverPty, APulledCableEndsTheTransferWithoutHangingAndTheGoneDeviceWillNotOpen) {
  start({QStringLiteral("--fault-at"), QStringLiteral("40:hangup")});
  EXPECT_EQ(read({0, 0x1FFF}).end, TransferEnd::Failed);
  EXPECT_EQ(image.toByteArray(), QByteArray(0x2000, '\0'));
  ASSERT_TRUE(sim.p.state() == QProcess::NotRunning || sim.p.waitForFinished(3000));
  const TransferOutcome out = read({0, 0x1FFF});
  EXPECT_EQ(out.end, TransferEnd::PortNotOpened);
  EXPECT_FALSE(out.portFault.isEmpty());
}

// Two engines, each on its own thread with its own port, clock and log, each talking to
// its own radio at the same time: one reads the whole memory, the other writes it.
TEST(TwoEngines, RunSideBySideOnTwoPortsAndEachRadioHoldsItsOwnImage) {
  if (!QFile::exists(QStringLiteral(K52_BIN_DIR "/k52sim"))) GTEST_SKIP() << "k52sim not built";
  TestEnv env;
  QByteArray memory[2] = {radioMemory(), QByteArray(0x2000, '\x33')};
  MemoryImage image[2];
  image[0].allocate(0x1FFF);
  image[1].allocate(0x1FFF);
  for (int a = 0; a < 0x2000; ++a) image[1].at(a) = static_cast<uint8_t>(a * 11 + a / 128);
  stampWriteDate(image[1], QDate(2026, 2, 3));
  const int dir[2] = {kReadDir, kWriteDir};
  Sim sim[2];
  TransferOutcome out[2];
  std::unique_ptr<QThread> thread[2];
  for (int i = 0; i < 2; ++i) {
    const QString file = env.path(QStringLiteral("radio%1.bin").arg(i));
    env.writeFile(file, memory[i]);
    ASSERT_TRUE(sim[i].start({QStringLiteral("--fast"), QStringLiteral("--image"), file}));
    thread[i].reset(QThread::create([&, i] {
      SerialDevice port;
      SystemClock clock;
      RecordingSink log;
      ProtocolEngine engine(port, clock, log);
      TransferProgress progress;
      out[i] = transferOnDevice(engine, sim[i].device, buildScripts({0, 0x1FFF}, {0, 0x1FFF}), dir[i], image[i], progress);
      EXPECT_TRUE(log.entries.empty());
    }));
  }
  for (auto& t : thread) t->start();
  for (auto& t : thread) ASSERT_TRUE(t->wait(QDeadlineTimer(120000)));
  EXPECT_EQ(out[0].end, TransferEnd::Succeeded);
  EXPECT_EQ(out[1].end, TransferEnd::Succeeded);
  EXPECT_EQ(image[0].toByteArray(), sim[0].dump()) << "the read image is the first radio's memory";
  QByteArray written = image[1].toByteArray();
  written.replace(0x0F80, 18, QByteArray(18, '\xFF'));  // the closing fills of the radio's own area
  EXPECT_EQ(sim[1].dump(), written) << "the second radio holds the written image";
}

// One port's unit: a port that does not open, a run stopped once the radio has answered,
// and the same unit started again on that port, written and read back.
TEST(UnitRun, StoppedThenStartedAgainOnThePortWritesAndVerifies) {
  if (!QFile::exists(QStringLiteral(K52_BIN_DIR "/k52sim"))) GTEST_SKIP() << "k52sim not built";
  Sim sim;
  ASSERT_TRUE(sim.start({QStringLiteral("--fast"), QStringLiteral("--ident"), QStringLiteral("0102030405060708")}));
  UnitRunner unit({[] { return std::make_unique<SerialDevice>(); }, [] { return std::make_unique<SystemClock>(); }});
  UnitJob job;
  job.image.allocate(0x1FFF);
  for (int a = 0; a < 0x2000; ++a) job.image.at(a) = static_cast<uint8_t>(a * 7 + a / 256);
  job.written = {0, 0x1FFF};
  QList<UnitState> states;
  QObject::connect(&unit, &UnitRunner::stateChanged, [&](UnitState s) { states << s; });
  QObject::connect(&unit, &UnitRunner::identified, [&] { unit.stop(); });
  QSignalSpy finished(&unit, &UnitRunner::finished);
  const struct {
    QString port;
    UnitFailure failure;
    QList<UnitState> states;
  } cases[] = {
      {QStringLiteral("/dev/k52-no-such-port"), UnitFailure::PortNotOpened, {UnitState::Handshake, UnitState::Failed}},
      {sim.device, UnitFailure::Stopped, {UnitState::Handshake, UnitState::Writing, UnitState::Failed}},
      {sim.device, UnitFailure::None, {UnitState::Handshake, UnitState::Writing, UnitState::Verifying, UnitState::Passed}},
  };
  for (const auto& c : cases) {
    if (c.failure == UnitFailure::None) QObject::disconnect(&unit, &UnitRunner::identified, nullptr, nullptr);
    states.clear();
    job.port = c.port;
    ASSERT_TRUE(unit.start(job));
    EXPECT_FALSE(unit.start(job)) << "one run at a time";
    ASSERT_TRUE(finished.wait(120000));
    const UnitResult& r = unit.result();
    EXPECT_EQ(r.failure, c.failure) << unitFailureWords(r).toStdString();
    EXPECT_EQ(states, c.states);
    EXPECT_EQ(r.ident, c.failure == UnitFailure::PortNotOpened ? QByteArray() : QByteArray::fromHex("0102030405060708"));
    EXPECT_EQ(r.portFault.isEmpty(), c.failure != UnitFailure::PortNotOpened);
  }
  EXPECT_EQ(unit.percent(), 100);
  EXPECT_EQ(sim.dump(), expectedAfterWrite(job.image).toByteArray());
}

}  // namespace
