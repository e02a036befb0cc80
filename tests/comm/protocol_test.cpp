// The protocol engine: the scripts it builds, the bytes it puts on the wire and how it
// takes the replies. First against a fake port on the test clock (every time-out to the
// millisecond), then against k52sim over a pseudo-terminal.

#include "comm/protocol.h"
#include "comm/serialport.h"
#include "fakeport.h"
#include "shell/langtable.h"
#include "support/testenv.h"
#include "ui/serialdevice.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

// Readable failures for texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace k52;
using namespace k52::test;

namespace {

const QString kNoReply = QStringLiteral("Rx：Communication failed! No receive Data!");

class RecordingTraffic final : public TrafficView {
 public:
  void ComDataShow(int16_t dir, const QByteArray& block) override { shown.push_back({dir, block}); }
  void addLine(const QString& text) override { lines << text; }
  std::vector<std::pair<int16_t, QByteArray>> shown;
  QStringList lines;
};

QByteArray range(const QByteArray& b, int from, int len) { return b.mid(from, len); }

// Runs script after script as a transfer does (without its retries): a read copies VarBuf
// 1..P2 into the image at P1, a write fills VarBuf from the image first. Returns the
// number of the first failed script, 0 when all went through.
int runDirection(AppContext& ctx, int d) {
  const ScriptStore& store = ctx.com.scripts;
  for (int i = 1; i <= store.ScriptCount(d); ++i) {
    const ScriptParams& p = store.ScriptPara(d, i);
    if (d == kWriteDir)
      for (int k = 0; k < p.P2; ++k) ctx.com.VarBuf(k + 1) = ctx.IicDat.at(p.P1 + k);
    ConvComCode(ctx, store.ScriptText(d, i));
    ProtocolCom(ctx);
    if (ctx.com.ComErr) return i;
    if (d == kReadDir)
      for (int k = 0; k < p.P2; ++k) ctx.IicDat.at(p.P1 + k) = ctx.com.VarBuf(k + 1);
  }
  return 0;
}

void runScript(AppContext& ctx, const QString& script) {
  ConvComCode(ctx, script);
  ProtocolCom(ctx);
}

class Engine : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.st.CurLang = 3;
    InitFaceText(ctx);
    ctx.IicDat.allocate(8191);
    auto p = std::make_unique<FakePort>(env.clock);
    port = p.get();
    ctx.port = std::move(p);
    port->openable << QStringLiteral("/dev/fake");
    port->responder = [this](const QByteArray& f) { return radio(f); };
    ASSERT_TRUE(port->open(QStringLiteral("/dev/fake")));
    ctx.com.traffic = &traffic;
  }
  void setRanges(int rs, int re, int ws, int we) {
    ctx.st.ReadStartAddr = static_cast<int16_t>(rs);
    ctx.st.ReadEndAddr = static_cast<int16_t>(re);
    ctx.st.WriteStartAddr = static_cast<int16_t>(ws);
    ctx.st.WriteEndAddr = static_cast<int16_t>(we);
    InitProtocol(ctx);
  }
  QByteArray varBuf(int n) const {
    QByteArray b;
    for (int i = 1; i <= n; ++i) b.append(static_cast<char>(ctx.com.VarBuf(i)));
    return b;
  }

  TestEnv env;
  AppContext& ctx = *env.ctx;
  FakePort* port = nullptr;
  FakeRadio radio;
  RecordingTraffic traffic;
};

// ---- The scripts ----

TEST_F(Engine, DefaultRangesGiveTheHandshakeFiveHundredTwelveBlocksAndTheClosingScripts) {
  setRanges(0, 0x1FFF, 0, 0x1FFF);
  const ScriptStore& s = ctx.com.scripts;
  ASSERT_EQ(s.ScriptCount(kReadDir), 514);
  ASSERT_EQ(s.ScriptCount(kWriteDir), 518);
  for (int d : {kReadDir, kWriteDir}) {
    EXPECT_EQ(s.ScriptText(d, 1), QStringLiteral("TX0250524F475241RX06TX4D02RXVAVAVAVAVAVAVAVATX06RX06EN"));
    EXPECT_EQ(s.ScriptPara(d, 1), (ScriptParams{0, 0, 3}));
  }
  EXPECT_EQ(s.ScriptText(kReadDir, 2), QStringLiteral("TX52000010RX57000010VAVAVAVAVAVAVAVAVAVAVAVAVAVAVAVAEN"));
  EXPECT_EQ(s.ScriptText(kReadDir, 513), QStringLiteral("TX521FF010RX571FF010VAVAVAVAVAVAVAVAVAVAVAVAVAVAVAVAEN"));
  EXPECT_EQ(s.ScriptText(kReadDir, 514), QStringLiteral("TX455AA5322345F2EN"));
  EXPECT_EQ(s.ScriptPara(kReadDir, 514), (ScriptParams{0, 0, 100}));
  EXPECT_EQ(s.ScriptText(kWriteDir, 2), QStringLiteral("TX57000010VAVAVAVAVAVAVAVAVAVAVAVAVAVAVAVARX06EN"));
  EXPECT_EQ(s.ScriptText(kWriteDir, 171), QStringLiteral("TX570A9010VAVAVAVAVAVAVAVAVAVAVAVAVAVAVAVARX06EN"));
  // steps = 8191 / 16 = 511.94 -> 512; P3 = (n - 1) * 94 / 512 + 3.
  EXPECT_EQ(s.ScriptPara(kReadDir, 2), (ScriptParams{0x0000, 16, 3}));
  EXPECT_EQ(s.ScriptPara(kReadDir, 257), (ScriptParams{0x0FF0, 16, 50}));
  EXPECT_EQ(s.ScriptPara(kReadDir, 513), (ScriptParams{0x1FF0, 16, 97}));
  EXPECT_EQ(s.ScriptPara(kWriteDir, 513), (ScriptParams{0x1FF0, 16, 96})) << "write blocks stop at 96";
  const std::pair<const char*, ScriptParams> closing[] = {
      {"TX570FF003VAVAVARX06EN", {0x0FF0, 3, 97}},
      {"TX570F9203VAVAVARX06EN", {0x0F92, 3, 98}},
      {"TX570F8010FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFRX06EN", {0, 0, 99}},
      {"TX570F9002FFFFRX06EN", {0, 0, 99}},
      {"TX455AA5322345F2EN", {0, 0, 100}},
  };
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(s.ScriptText(kWriteDir, 514 + k), QString::fromLatin1(closing[k].first));
    EXPECT_EQ(s.ScriptPara(kWriteDir, 514 + k), closing[k].second);
  }
}

TEST_F(Engine, BlockDivisionOfOddRanges) {
  const ScriptStore& s = ctx.com.scripts;
  // A range that is not a multiple of 16 ends with a short block.
  setRanges(0x0000, 0x0012, 0x0000, 0x0012);
  ASSERT_EQ(s.ScriptCount(kReadDir), 4);
  EXPECT_EQ(s.ScriptText(kReadDir, 3), QStringLiteral("TX52001003RX57001003VAVAVAEN"));
  EXPECT_EQ(s.ScriptText(kWriteDir, 3), QStringLiteral("TX57001003VAVAVARX06EN"));
  EXPECT_EQ(s.ScriptPara(kReadDir, 3), (ScriptParams{0x0010, 3, 98})) << "2 * 94 / 1 + 3, capped";
  EXPECT_EQ(s.ScriptPara(kWriteDir, 3), (ScriptParams{0x0010, 3, 96}));

  // Start equal to end: one block of one byte, steps taken as 1.
  setRanges(0x0100, 0x0100, 0x0100, 0x0100);
  ASSERT_EQ(s.ScriptCount(kReadDir), 3);
  ASSERT_EQ(s.ScriptCount(kWriteDir), 7);
  EXPECT_EQ(s.ScriptText(kReadDir, 2), QStringLiteral("TX52010001RX57010001VAEN"));
  EXPECT_EQ(s.ScriptPara(kReadDir, 2), (ScriptParams{0x0100, 1, 97}));
  EXPECT_EQ(s.ScriptPara(kWriteDir, 2), (ScriptParams{0x0100, 1, 96}));

  // Start beyond end: no blocks, only the handshake and the closing scripts.
  setRanges(0x0200, 0x0100, 0x0200, 0x0100);
  EXPECT_EQ(s.ScriptCount(kReadDir), 2);
  EXPECT_EQ(s.ScriptCount(kWriteDir), 6);

  // Halves go to the even neighbour: 40 / 16 = 2.5 steps -> 2, so the first block shows
  // 94 / 2 + 3 = 50 (3 steps would give 34); 64 / 16 = 4 steps and 94 / 4 + 3 = 26.5 -> 26.
  setRanges(0x0000, 0x0028, 0x0000, 0x0040);
  EXPECT_EQ(s.ScriptPara(kReadDir, 2).P3, 50);
  EXPECT_EQ(s.ScriptPara(kReadDir, 4), (ScriptParams{0x0020, 9, 98}));
  EXPECT_EQ(s.ScriptPara(kWriteDir, 2).P3, 26);
  EXPECT_EQ(s.ScriptPara(kWriteDir, 3).P3, 50);
}

TEST_F(Engine, ARangeBeyondFiveHundredTwentyScriptsIsBuiltWhole) {
  // 0000-7FFF is 2048 blocks: far more than 520 scripts. The store grows; every block is
  // there, in order, and the closing scripts follow.
  setRanges(0x0000, 0x7FFF, 0x0000, 0x7FFF);
  const ScriptStore& s = ctx.com.scripts;
  ASSERT_EQ(s.ScriptCount(kReadDir), 2050);
  ASSERT_EQ(s.ScriptCount(kWriteDir), 2054);
  for (int i = 2; i <= 2049; ++i) {
    ASSERT_EQ(s.ScriptPara(kReadDir, i).P1, (i - 2) * 16);
    ASSERT_EQ(s.ScriptPara(kWriteDir, i).P1, (i - 2) * 16);
  }
  EXPECT_EQ(s.ScriptText(kReadDir, 2049), QStringLiteral("TX527FF010RX577FF010VAVAVAVAVAVAVAVAVAVAVAVAVAVAVAVAEN"));
  EXPECT_EQ(s.ScriptText(kReadDir, 2050), QStringLiteral("TX455AA5322345F2EN"));
  EXPECT_EQ(s.ScriptText(kWriteDir, 2050), QStringLiteral("TX570FF003VAVAVARX06EN"));
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  // Beyond the last script there is nothing to run: asking for one is the bounds error.
  try {
    (void)s.ScriptText(kReadDir, 2051);
    ADD_FAILURE() << "script 2051 exists";
  } catch (const K52Error& e) {
    EXPECT_EQ(e.number(), ErrBounds);
  }
  // A rebuild with the defaults replaces everything.
  setRanges(0, 0x1FFF, 0, 0x1FFF);
  EXPECT_EQ(s.ScriptCount(kReadDir), 514);
}

// ---- The wire ----

TEST_F(Engine, ReadOfTheFirstThirtyTwoBytesPutsExactlyTheseBytesOnTheWire) {
  setRanges(0x0000, 0x001F, 0x0000, 0x1FFF);
  ASSERT_EQ(ctx.com.scripts.ScriptCount(kReadDir), 4);
  ASSERT_EQ(runDirection(ctx, kReadDir), 0);
  const std::vector<QByteArray> expected = {
      bytes({0x02, 0x50, 0x52, 0x4F, 0x47, 0x52, 0x41}), bytes({0x4D, 0x02}), bytes({0x06}),
      bytes({0x52, 0x00, 0x00, 0x10}), bytes({0x52, 0x00, 0x10, 0x10}),
      bytes({0x45, 0x5A, 0xA5, 0x32, 0x23, 0x45, 0xF2}),
  };
  EXPECT_EQ(port->frames, expected);
  EXPECT_EQ(ctx.IicDat.toByteArray().left(32), radio.memory.left(32));
  EXPECT_EQ(ctx.IicDat.at(32), 0) << "nothing beyond the range";
  // Each frame is preceded by its 5 ms pause.
  for (size_t i = 1; i < port->writtenAt.size(); ++i) EXPECT_GE(port->writtenAt[i] - port->writtenAt[i - 1], 5);
  // The live list gets every frame and every reply, in order.
  ASSERT_EQ(traffic.shown.size(), 11u);
  EXPECT_EQ(traffic.shown[3], (std::pair<int16_t, QByteArray>{-1, radio.identity}));
  EXPECT_EQ(traffic.shown[9], (std::pair<int16_t, QByteArray>{-1, bytes({0x57, 0x00, 0x10, 0x10}) + radio.memory.mid(16, 16)}));
  EXPECT_TRUE(traffic.lines.isEmpty());
}

TEST_F(Engine, WriteSendsTheBlocksTheBandTheDateAndTheFills) {
  for (int a = 0; a < 8192; ++a) ctx.IicDat.at(a) = static_cast<uint8_t>(0xA0 + a % 16);
  for (int k = 0; k < 3; ++k) ctx.IicDat.at(0x0FF0 + k) = static_cast<uint8_t>(0x41 + k);
  const uint8_t date[3] = {26, 1, 5};
  for (int k = 0; k < 3; ++k) ctx.IicDat.at(0x0F92 + k) = date[k];
  setRanges(0x0000, 0x1FFF, 0x0020, 0x002F);
  ASSERT_EQ(runDirection(ctx, kWriteDir), 0);
  QByteArray block = bytes({0x57, 0x00, 0x20, 0x10});
  for (int k = 0; k < 16; ++k) block.append(static_cast<char>(0xA0 + k));
  const std::vector<QByteArray> expected = {
      bytes({0x02, 0x50, 0x52, 0x4F, 0x47, 0x52, 0x41}),
      bytes({0x4D, 0x02}),
      bytes({0x06}),
      block,
      bytes({0x57, 0x0F, 0xF0, 0x03, 0x41, 0x42, 0x43}),
      bytes({0x57, 0x0F, 0x92, 0x03, 26, 1, 5}),
      bytes({0x57, 0x0F, 0x80, 0x10}) + QByteArray(16, '\xFF'),
      bytes({0x57, 0x0F, 0x90, 0x02, 0xFF, 0xFF}),
      bytes({0x45, 0x5A, 0xA5, 0x32, 0x23, 0x45, 0xF2}),
  };
  EXPECT_EQ(port->frames, expected);
  EXPECT_EQ(range(radio.memory, 0x20, 16), block.mid(4));
  EXPECT_EQ(range(radio.memory, 0x0F80, 18), QByteArray(18, '\xFF'));
  EXPECT_EQ(range(radio.memory, 0x0F92, 3), bytes({26, 1, 5}));
}

TEST_F(Engine, TheHandshakeTakesAnyIdentityBytes) {
  for (const QByteArray& id : {QByteArray(8, '\0'), QByteArray(8, '\xFF'), bytes({6, 6, 6, 6, 6, 6, 6, 6})}) {
    radio.identity = id;
    runScript(ctx, QString::fromLatin1(kHandshakeScript));
    EXPECT_FALSE(ctx.com.ComErr);
    EXPECT_EQ(varBuf(8), id);
  }
}

TEST_F(Engine, AScriptWithoutReplyPartDoesNotWait) {
  const int64_t t0 = env.clock.tickMs();
  runScript(ctx, QString::fromLatin1(kEndScript));
  EXPECT_FALSE(ctx.com.ComErr);
  EXPECT_EQ(port->polls, 0);
  // The pause before the frame and the pause before finding "EN".
  EXPECT_EQ(env.clock.tickMs() - t0, 10);
  EXPECT_EQ(port->frames.size(), 1u);
}

// ---- Replies ----

TEST_F(Engine, AReplyInPiecesIsTakenOnceComplete) {
  const QByteArray data = QByteArray("0123456789ABCDEF");
  port->responder = [&](const QByteArray&) {
    return std::vector<Piece>{{2, bytes({0x57, 0x00})}, {60, bytes({0x10, 0x10}) + data.left(5)}, {150, data.mid(5)}};
  };
  runScript(ctx, readBlockScript(0x0010, 16));
  EXPECT_FALSE(ctx.com.ComErr);
  EXPECT_EQ(varBuf(16), data);
  EXPECT_EQ(env.clock.tickMs() - port->writtenAt[0], 150 + 5) << "taken at the 150th poll, then the pause before EN";
}

TEST_F(Engine, TheReplyMustBeCompleteByTheHundredFiftiethPoll) {
  port->responder = [](const QByteArray&) { return std::vector<Piece>{{151, bytes({0x06})}}; };
  runScript(ctx, QStringLiteral("TX06RX06TX06RX06EN"));
  EXPECT_TRUE(ctx.com.ComErr);
  EXPECT_EQ(env.clock.tickMs() - port->writtenAt[0], 151) << "151 waits of 1 ms";
  EXPECT_EQ(port->frames.size(), 1u) << "the rest of the script is not run";
  EXPECT_EQ(traffic.lines, QStringList{kNoReply});
  EXPECT_EQ(traffic.shown.size(), 1u) << "nothing received is shown";

  // The transfer's poll values are the engine's: two polls of 3 ms.
  ctx.com.PollDelay = 3;
  ctx.com.PollMax = 2;
  port->responder = [](const QByteArray&) { return std::vector<Piece>{{6, bytes({0x06})}}; };
  runScript(ctx, QStringLiteral("TX06RX06EN"));
  EXPECT_FALSE(ctx.com.ComErr);
  port->responder = [](const QByteArray&) { return std::vector<Piece>{{7, bytes({0x06})}}; };
  runScript(ctx, QStringLiteral("TX06RX06EN"));
  EXPECT_TRUE(ctx.com.ComErr);
}

TEST_F(Engine, AShortReplyTimesOutAndLeavesVarBufAlone) {
  for (int i = 1; i <= 16; ++i) ctx.com.VarBuf(i) = 0xEE;
  port->responder = [](const QByteArray&) { return std::vector<Piece>{{20, bytes({0x57, 0x00, 0x10, 0x10}) + QByteArray(15, 'x')}}; };
  runScript(ctx, readBlockScript(0x0010, 16));
  EXPECT_TRUE(ctx.com.ComErr);
  EXPECT_EQ(varBuf(16), QByteArray(16, '\xEE'));
  EXPECT_EQ(traffic.lines, QStringList{kNoReply});
}

TEST_F(Engine, ExtraBytesAreDroppedAndDoNotDisturbTheNextFrame) {
  // The first reply brings three bytes too many at once and two more after it was read.
  bool first = true;
  port->responder = [&](const QByteArray& f) {
    std::vector<Piece> r = radio(f);
    if (first) {
      first = false;
      r[0].bytes += bytes({0x06, 0x06, 0x99});
      r.push_back({3, bytes({0x15, 0x15})});
    }
    return r;
  };
  runScript(ctx, QString::fromLatin1(kHandshakeScript));
  EXPECT_FALSE(ctx.com.ComErr);
  EXPECT_EQ(traffic.shown[1].second, bytes({0x06})) << "RxBuf is cut to the expected length";
  EXPECT_EQ(varBuf(8), radio.identity) << "the late extra bytes were discarded before the next frame";
}

TEST_F(Engine, AWrongFixedByteFailsTheFrame) {
  for (int i = 1; i <= 16; ++i) ctx.com.VarBuf(i) = 0xEE;
  // A read reply for another address.
  port->responder = [](const QByteArray&) { return std::vector<Piece>{{5, bytes({0x57, 0x00, 0x20, 0x10}) + QByteArray(16, 'd')}}; };
  runScript(ctx, readBlockScript(0x0010, 16));
  EXPECT_TRUE(ctx.com.ComErr);
  EXPECT_EQ(varBuf(16), QByteArray(16, '\xEE'));
  // A refused handshake: only its first frame went out.
  port->frames.clear();
  port->responder = [](const QByteArray&) { return std::vector<Piece>{{1, bytes({0x15})}}; };
  runScript(ctx, QString::fromLatin1(kHandshakeScript));
  EXPECT_TRUE(ctx.com.ComErr);
  EXPECT_EQ(port->frames.size(), 1u);
  EXPECT_EQ(traffic.lines, (QStringList{kNoReply, kNoReply}));
  // A good script after failed ones succeeds: ComErr belongs to the script just run.
  port->responder = [this](const QByteArray& f) { return radio(f); };
  runScript(ctx, QString::fromLatin1(kHandshakeScript));
  EXPECT_FALSE(ctx.com.ComErr);
}

TEST_F(Engine, APortThatRefusesTheFrameFailsTheScriptAndIsLogged) {
  port->cablePulled = true;
  runScript(ctx, QString::fromLatin1(kHandshakeScript));
  EXPECT_TRUE(ctx.com.ComErr);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modCommun->ProtocolCom"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrDeviceIo);
}

TEST_F(Engine, BrokenScriptsFailWithoutSendingAnything) {
  // A token that is no byte.
  runScript(ctx, QStringLiteral("TX0ZRX06EN"));
  EXPECT_TRUE(ctx.com.ComErr);
  EXPECT_EQ(ctx.log.lastNumber(), ErrTypeMismatch);
  // A frame longer than 101 bytes.
  runScript(ctx, QStringLiteral("TX") + QStringLiteral("00").repeated(102) + QStringLiteral("EN"));
  EXPECT_TRUE(ctx.com.ComErr);
  EXPECT_EQ(ctx.log.lastNumber(), ErrBounds);
  EXPECT_TRUE(port->frames.empty());
  // More than 200 tokens do not fit the token table.
  const int before = ctx.log.entriesLogged();
  ConvComCode(ctx, QStringLiteral("06").repeated(201));
  EXPECT_EQ(ctx.log.entriesLogged(), before + 1);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modCommun->ConvComCode"));
  // Hex pairs in either case.
  runScript(ctx, QStringLiteral("TX4d02RXVAVAVAVAVAVAVAVAEN"));
  EXPECT_FALSE(ctx.com.ComErr);
  EXPECT_EQ(port->frames.back(), bytes({0x4D, 0x02}));
}

// ---- Against the simulator over a pseudo-terminal ----

// k52sim --fast on a memory image of our own; the engine talks to it through the real
// serial device on the system clock.
constexpr int kLateMs = 600;

class OverPty : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString sim = QStringLiteral(K52_BIN_DIR "/k52sim");
    if (!QFile::exists(sim)) GTEST_SKIP() << "k52sim not built";
    for (int i = 0; i < memory.size(); ++i) memory[i] = static_cast<char>((i * 13 + 7) & 0xFF);
    imagePath = dir.filePath(QStringLiteral("radio.bin"));
    QFile f(imagePath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(memory);
    f.close();
  }
  void TearDown() override {
    if (sim.state() != QProcess::NotRunning) {
      sim.write("quit\n");
      if (!sim.waitForFinished(3000)) sim.kill();
    }
  }
  // Starts the simulator with extra arguments; returns false when it gave no device.
  bool start(const QStringList& extra = {}) {
    // A late reply comes well after the engine has given up, even on a loaded machine.
    sim.start(QStringLiteral(K52_BIN_DIR "/k52sim"),
              QStringList{QStringLiteral("--fast"), QStringLiteral("--image"), imagePath, QStringLiteral("--late-ms"),
                          QString::number(kLateMs)} +
                  extra);
    if (!sim.waitForStarted(3000)) return false;
    while (!sim.canReadLine())
      if (!sim.waitForReadyRead(3000)) return false;
    device = QString::fromLocal8Bit(sim.readLine()).trimmed();
    ctx = std::make_unique<AppContext>(clock, dialogs, dir.path());
    ctx->st.CurLang = 3;
    InitFaceText(*ctx);
    ctx->IicDat.allocate(8191);
    ctx->port = std::make_unique<SerialDevice>();
    ctx->com.traffic = &traffic;
    return ctx->port->open(device);
  }
  QByteArray varBuf(int n) const {
    QByteArray b;
    for (int i = 1; i <= n; ++i) b.append(static_cast<char>(ctx->com.VarBuf(i)));
    return b;
  }
  QString command(const char* line) {
    sim.write(line);
    sim.write("\n");
    while (!sim.canReadLine())
      if (!sim.waitForReadyRead(3000)) return {};
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
  }

  QTemporaryDir dir;
  QString imagePath, device;
  QByteArray memory = QByteArray(8192, '\0');
  QProcess sim;
  SystemClock clock;
  ScriptedDialogs dialogs;
  RecordingTraffic traffic;
  std::unique_ptr<AppContext> ctx;
};

TEST_F(OverPty, ReadOfTheFirstThirtyTwoBytes) {
  ASSERT_TRUE(start({QStringLiteral("--trace")}));
  ctx->st.ReadStartAddr = 0;
  ctx->st.ReadEndAddr = 0x1F;
  InitProtocol(*ctx);
  ASSERT_EQ(runDirection(*ctx, kReadDir), 0);
  EXPECT_EQ(ctx->IicDat.toByteArray().left(32), memory.left(32));
  std::vector<QByteArray> sent;
  for (const auto& [dir, block] : traffic.shown)
    if (dir == 0) sent.push_back(block);
  const std::vector<QByteArray> expected = {
      bytes({0x02, 0x50, 0x52, 0x4F, 0x47, 0x52, 0x41}), bytes({0x4D, 0x02}), bytes({0x06}),
      bytes({0x52, 0x00, 0x00, 0x10}), bytes({0x52, 0x00, 0x10, 0x10}),
      bytes({0x45, 0x5A, 0xA5, 0x32, 0x23, 0x45, 0xF2}),
  };
  EXPECT_EQ(sent, expected);
  const QString status = command("status");
  EXPECT_TRUE(status.contains(QStringLiteral(" mismatches=0"))) << "line settings: " << status.toStdString();
  EXPECT_TRUE(status.contains(QStringLiteral(" ends=1"))) << status.toStdString();
}

TEST_F(OverPty, WriteThenReadBackAShortRange) {
  ASSERT_TRUE(start());
  for (int a = 0; a < 8192; ++a) ctx->IicDat.at(a) = static_cast<uint8_t>(a % 251);
  ctx->st.WriteStartAddr = 0x0100;
  ctx->st.WriteEndAddr = 0x0112;  // a short block at the end
  ctx->st.ReadStartAddr = 0x00F0;
  ctx->st.ReadEndAddr = 0x0122;
  InitProtocol(*ctx);
  ASSERT_EQ(runDirection(*ctx, kWriteDir), 0);
  const QByteArray written = ctx->IicDat.toByteArray();
  ctx->IicDat.fill(0);
  ASSERT_EQ(runDirection(*ctx, kReadDir), 0);
  const QByteArray read = ctx->IicDat.toByteArray();
  EXPECT_EQ(read.mid(0xF0, 0x10), memory.mid(0xF0, 0x10));
  EXPECT_EQ(read.mid(0x100, 0x13), written.mid(0x100, 0x13));
  EXPECT_EQ(read.mid(0x113, 0x10), memory.mid(0x113, 0x10));
}

// Each fault kind of the simulator on the reply it is played on, and what the engine
// makes of it: split and extra are no faults; the others fail the frame.
TEST_F(OverPty, FaultsOnTheRadiosSide) {
  struct Case {
    const char* kind;
    bool fails;
  };
  for (const Case& c : {Case{"split", false}, Case{"extra", false}, Case{"lost", true}, Case{"wrong", true},
                        Case{"short", true}, Case{"late", true}, Case{"garbage", true}}) {
    SCOPED_TRACE(c.kind);
    TearDown();
    traffic.lines.clear();
    // Reply 4 is the answer to the first block read.
    ASSERT_TRUE(start({QStringLiteral("--fault-at"), QStringLiteral("4:%1").arg(QString::fromLatin1(c.kind))}));
    ctx->st.ReadStartAddr = 0x0040;
    ctx->st.ReadEndAddr = 0x004F;
    InitProtocol(*ctx);
    EXPECT_EQ(runDirection(*ctx, kReadDir), c.fails ? 2 : 0);
    EXPECT_EQ(traffic.lines.size(), c.fails ? 1 : 0);
    if (!c.fails) {
      EXPECT_EQ(ctx->IicDat.toByteArray().mid(0x40, 16), memory.mid(0x40, 16));
    }
    // The same block read again (the transfer's retry) goes through, once a late reply
    // is out of the way.
    if (c.fails) {
      if (QByteArray(c.kind) == "late") QThread::msleep(kLateMs);
      ConvComCode(*ctx, ctx->com.scripts.ScriptText(kReadDir, 2));
      ProtocolCom(*ctx);
      EXPECT_FALSE(ctx->com.ComErr);
      EXPECT_EQ(varBuf(16), memory.mid(0x40, 16));
    }
  }
}

TEST_F(OverPty, AHangUpFailsTheScriptWithoutHanging) {
  ASSERT_TRUE(start({QStringLiteral("--fault-at"), QStringLiteral("4:hangup")}));
  ctx->st.ReadStartAddr = 0;
  ctx->st.ReadEndAddr = 0x3F;
  InitProtocol(*ctx);
  EXPECT_EQ(runDirection(*ctx, kReadDir), 2);
  // The waits run the event loop, so the process may have been seen ending already.
  ASSERT_TRUE(sim.state() == QProcess::NotRunning || sim.waitForFinished(3000)) << sim.readAllStandardError().toStdString();
  EXPECT_EQ(sim.exitCode(), 3);
  // Every later attempt fails too, and returns.
  ConvComCode(*ctx, ctx->com.scripts.ScriptText(kReadDir, 1));
  ProtocolCom(*ctx);
  EXPECT_TRUE(ctx->com.ComErr);
}

}  // namespace
