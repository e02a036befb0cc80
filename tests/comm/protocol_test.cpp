// The protocol engine on a fake port and the test clock: the scripts it builds, the bytes
// it puts on the wire and how it takes the replies, every time-out to the millisecond.
// (Transfer tests run it against k52sim over a pseudo-terminal.)

#include "comm/protocol.h"
#include "comm/serialport.h"
#include "fakeport.h"
#include "shell/langtable.h"

#include <array>
#include <gtest/gtest.h>

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

void setRanges(AppContext& ctx, int rs, int re, int ws, int we) {
  ctx.st.ReadStartAddr = static_cast<int16_t>(rs);
  ctx.st.ReadEndAddr = static_cast<int16_t>(re);
  ctx.st.WriteStartAddr = static_cast<int16_t>(ws);
  ctx.st.WriteEndAddr = static_cast<int16_t>(we);
  InitProtocol(ctx);
}

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

QByteArray varBuf(const AppContext& ctx, int n) {
  QByteArray b;
  for (int i = 1; i <= n; ++i) b.append(static_cast<char>(ctx.com.VarBuf(i)));
  return b;
}

class Engine : public ::testing::Test {
 protected:
  void SetUp() override {
    auto p = std::make_unique<FakePort>(env.clock);
    port = p.get();
    port->openable << QStringLiteral("/dev/fake");
    port->responder = [this](const QByteArray& f) { return radio(f); };
    ASSERT_TRUE(port->open(QStringLiteral("/dev/fake")));
    ctx.port = std::move(p);
    ctx.com.traffic = &traffic;
    ctx.st.CurLang = 3;
    InitFaceText(ctx);
    ctx.IicDat.allocate(8191);
  }
  void run(const QString& script) {
    ConvComCode(ctx, script);
    ProtocolCom(ctx);
  }
  void reply(std::vector<Piece> pieces) {
    port->responder = [pieces](const QByteArray&) { return pieces; };
  }

  TestEnv env;
  AppContext& ctx = *env.ctx;
  FakePort* port = nullptr;
  FakeRadio radio;
  RecordingTraffic traffic;
};

// ---- The scripts ----

TEST_F(Engine, DefaultRangesGiveTheHandshakeFiveHundredTwelveBlocksAndTheClosingScripts) {
  // What a script puts on the wire is the wire tests' below; that every block lands in its
  // place, the transfer tests'.
  setRanges(ctx, 0, 0x1FFF, 0, 0x1FFF);
  const ScriptStore& s = ctx.com.scripts;
  ASSERT_EQ(s.ScriptCount(kReadDir), 514);
  ASSERT_EQ(s.ScriptCount(kWriteDir), 518);
  EXPECT_EQ(s.ScriptText(kReadDir, 1) + s.ScriptText(kWriteDir, 1), QLatin1String(kHandshakeScript) + QLatin1String(kHandshakeScript));
  // steps = 8191 / 16 = 511.94 -> 512; P3 = (n - 1) * 94 / 512 + 3; write blocks stop at 96.
  const std::tuple<int, int, ScriptParams> rows[] = {
      {kReadDir, 1, {0, 0, 3}},          {kReadDir, 257, {0x0FF0, 16, 50}}, {kReadDir, 514, {0, 0, 100}},
      {kWriteDir, 171, {0x0A90, 16, 34}}, {kWriteDir, 513, {0x1FF0, 16, 96}}, {kWriteDir, 514, {0x0FF0, 3, 97}},
      {kWriteDir, 515, {0x0F92, 3, 98}},  {kWriteDir, 517, {0, 0, 99}},      {kWriteDir, 518, {0, 0, 100}},
  };
  for (const auto& [d, i, para] : rows) EXPECT_EQ(s.ScriptPara(d, i), para) << d << " " << i;
}

TEST_F(Engine, OddRangesShortBlocksAndTheProgressRounding) {
  const ScriptStore& s = ctx.com.scripts;
  setRanges(ctx, 0x0000, 0x0012, 0x0000, 0x0012);  // ends with a short block
  ASSERT_EQ(s.ScriptCount(kReadDir), 4);
  EXPECT_EQ(s.ScriptText(kReadDir, 3), QStringLiteral("TX52001003RX57001003VAVAVAEN"));
  EXPECT_EQ(s.ScriptText(kWriteDir, 3), QStringLiteral("TX57001003VAVAVARX06EN"));
  EXPECT_EQ(s.ScriptPara(kReadDir, 3), (ScriptParams{0x0010, 3, 98})) << "2 * 94 / 1 + 3, capped";
  EXPECT_EQ(s.ScriptPara(kWriteDir, 3), (ScriptParams{0x0010, 3, 96}));

  setRanges(ctx, 0x0100, 0x0100, 0x0100, 0x0100);  // one byte, steps taken as 1
  ASSERT_EQ(s.ScriptCount(kWriteDir), 7);
  EXPECT_EQ(s.ScriptText(kReadDir, 2), QStringLiteral("TX52010001RX57010001VAEN"));
  EXPECT_EQ(s.ScriptPara(kReadDir, 2), (ScriptParams{0x0100, 1, 97}));

  setRanges(ctx, 0x0200, 0x0100, 0x0200, 0x0100);  // start beyond end: no blocks
  EXPECT_EQ(s.ScriptCount(kReadDir) + s.ScriptCount(kWriteDir), 2 + 6);

  // Halves go to the even neighbour: 40 / 16 = 2.5 steps -> 2, so the first block shows
  // 94 / 2 + 3 = 50 (3 steps would give 34); 64 / 16 = 4 steps and 94 / 4 + 3 = 26.5 -> 26.
  setRanges(ctx, 0x0000, 0x0028, 0x0000, 0x0040);
  EXPECT_EQ(s.ScriptPara(kReadDir, 2).P3, 50);
  EXPECT_EQ(s.ScriptPara(kReadDir, 4), (ScriptParams{0x0020, 9, 98}));
  EXPECT_EQ(s.ScriptPara(kWriteDir, 2).P3, 26);
  EXPECT_EQ(s.ScriptPara(kWriteDir, 3).P3, 50);
}

TEST_F(Engine, ARangeBeyondFiveHundredTwentyScriptsIsBuiltWhole) {
  // 0000-7FFF is 2048 blocks: the store grows; every block is there, in order.
  setRanges(ctx, 0x0000, 0x7FFF, 0x0000, 0x7FFF);
  const ScriptStore& s = ctx.com.scripts;
  ASSERT_EQ(s.ScriptCount(kReadDir), 2050);
  ASSERT_EQ(s.ScriptCount(kWriteDir), 2054);
  for (int i = 2; i <= 2049; ++i) ASSERT_EQ(s.ScriptPara(kReadDir, i).P1 + s.ScriptPara(kWriteDir, i).P1, (i - 2) * 32);
  EXPECT_EQ(s.ScriptText(kReadDir, 2049), QStringLiteral("TX527FF010RX577FF010VAVAVAVAVAVAVAVAVAVAVAVAVAVAVAVAEN"));
  EXPECT_EQ(s.ScriptText(kWriteDir, 2050), QStringLiteral("TX570FF003VAVAVARX06EN"));
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  try {
    (void)s.ScriptText(kReadDir, 2051);
    ADD_FAILURE() << "script 2051 exists";
  } catch (const K52Error& e) {
    EXPECT_EQ(e.number(), ErrBounds);
  }
  setRanges(ctx, 0, 0x1FFF, 0, 0x1FFF);  // a rebuild replaces everything
  EXPECT_EQ(s.ScriptCount(kReadDir), 514);
}

// ---- The wire ----

TEST_F(Engine, ReadOfTheFirstThirtyTwoBytesPutsExactlyTheseBytesOnTheWire) {
  setRanges(ctx, 0x0000, 0x001F, 0x0000, 0x1FFF);
  ASSERT_EQ(runDirection(ctx, kReadDir), 0);
  EXPECT_EQ(port->frames, (std::vector<QByteArray>{kHello, bytes({0x4D, 0x02}), bytes({0x06}), bytes({0x52, 0x00, 0x00, 0x10}),
                                                   bytes({0x52, 0x00, 0x10, 0x10}), kEnd}));
  EXPECT_EQ(ctx.IicDat.toByteArray().left(32), radio.memory.left(32));
  EXPECT_EQ(ctx.IicDat.at(32), 0) << "nothing beyond the range";
  for (size_t i = 1; i < port->writtenAt.size(); ++i) EXPECT_GE(port->writtenAt[i] - port->writtenAt[i - 1], 5) << "the pause";
  // The live list gets every frame and every reply, in order.
  ASSERT_EQ(traffic.shown.size(), 11u);
  EXPECT_EQ(traffic.shown[3], (std::pair<int16_t, QByteArray>{-1, radio.identity}));
  EXPECT_EQ(traffic.shown[9], (std::pair<int16_t, QByteArray>{-1, bytes({0x57, 0x00, 0x10, 0x10}) + radio.memory.mid(16, 16)}));
  EXPECT_TRUE(traffic.lines.isEmpty());
}

TEST_F(Engine, WriteSendsTheBlocksTheBandTheDateAndTheFills) {
  for (int a = 0; a < 8192; ++a) ctx.IicDat.at(a) = static_cast<uint8_t>(0xA0 + a % 16);
  for (int k = 0; k < 3; ++k) ctx.IicDat.at(0x0FF0 + k) = static_cast<uint8_t>(0x41 + k);
  for (int k = 0; k < 3; ++k) ctx.IicDat.at(0x0F92 + k) = static_cast<uint8_t>(std::array{26, 1, 5}[size_t(k)]);
  setRanges(ctx, 0x0000, 0x1FFF, 0x0020, 0x002F);
  ASSERT_EQ(runDirection(ctx, kWriteDir), 0);
  QByteArray block = bytes({0x57, 0x00, 0x20, 0x10});
  for (int k = 0; k < 16; ++k) block.append(static_cast<char>(0xA0 + k));
  EXPECT_EQ(port->frames, (std::vector<QByteArray>{kHello, bytes({0x4D, 0x02}), bytes({0x06}), block,
                                                   bytes({0x57, 0x0F, 0xF0, 0x03, 0x41, 0x42, 0x43}),
                                                   bytes({0x57, 0x0F, 0x92, 0x03, 26, 1, 5}),
                                                   bytes({0x57, 0x0F, 0x80, 0x10}) + QByteArray(16, '\xFF'),
                                                   bytes({0x57, 0x0F, 0x90, 0x02, 0xFF, 0xFF}), kEnd}));
  EXPECT_EQ(radio.memory.mid(0x20, 16), block.mid(4));
  EXPECT_EQ(radio.memory.mid(0x0F80, 21), QByteArray(18, '\xFF') + bytes({26, 1, 5}));
}

TEST_F(Engine, AScriptWithoutReplyDoesNotWait) {
  run(QLatin1String(kEndScript));
  EXPECT_FALSE(ctx.com.ComErr);
  EXPECT_EQ(port->polls, 0);
  EXPECT_EQ(env.clock.tickMs(), 10) << "the pause before the frame and the one before \"EN\"";
}

// ---- Replies ----

TEST_F(Engine, AReplyInPiecesIsTakenOnceCompleteIfByTheHundredFiftiethPoll) {
  const QByteArray data("0123456789ABCDEF");
  reply({{2, bytes({0x57, 0x00})}, {60, bytes({0x10, 0x10}) + data.left(5)}, {150, data.mid(5)}});
  run(readBlockScript(0x0010, 16));
  EXPECT_FALSE(ctx.com.ComErr);
  EXPECT_EQ(varBuf(ctx, 16), data);
  EXPECT_EQ(env.clock.tickMs() - port->writtenAt[0], 150 + 5) << "taken at the 150th poll, then the pause before EN";

  port->frames.clear();
  traffic.shown.clear();
  reply({{151, bytes({0x06})}});
  run(QStringLiteral("TX06RX06TX06RX06EN"));
  EXPECT_TRUE(ctx.com.ComErr);
  EXPECT_EQ(env.clock.tickMs() - port->writtenAt.back(), 151) << "151 waits of 1 ms";
  EXPECT_EQ(port->frames.size(), 1u) << "the rest of the script is not run";
  EXPECT_EQ(traffic.lines, QStringList{kNoReply});
  EXPECT_EQ(traffic.shown.size(), 1u) << "nothing received is shown";

  // The transfer's poll values are the engine's: two polls of 3 ms.
  ctx.com.PollDelay = 3;
  ctx.com.PollMax = 2;
  for (int at : {6, 7}) {
    reply({{at, bytes({0x06})}});
    run(QStringLiteral("TX06RX06EN"));
    EXPECT_EQ(ctx.com.ComErr, at == 7) << at;
  }
}

TEST_F(Engine, ShortAndWrongRepliesFailTheFrameAndLeaveVarBufAlone) {
  const std::vector<Piece> replies[] = {
      {{20, bytes({0x57, 0x00, 0x10, 0x10}) + QByteArray(15, 'x')}},  // one byte short
      {{5, bytes({0x57, 0x00, 0x20, 0x10}) + QByteArray(16, 'd')}},   // another address
  };
  for (const auto& r : replies) {
    for (int i = 1; i <= 16; ++i) ctx.com.VarBuf(i) = 0xEE;
    reply(r);
    run(readBlockScript(0x0010, 16));
    EXPECT_TRUE(ctx.com.ComErr);
    EXPECT_EQ(varBuf(ctx, 16), QByteArray(16, '\xEE'));
  }
  // A refused handshake: only its first frame went out.
  port->frames.clear();
  reply({{1, bytes({0x15})}});
  run(QLatin1String(kHandshakeScript));
  EXPECT_TRUE(ctx.com.ComErr);
  EXPECT_EQ(port->frames.size(), 1u);
  EXPECT_EQ(traffic.lines, (QStringList{kNoReply, kNoReply, kNoReply}));
  // A good script after failed ones succeeds: ComErr belongs to the script just run.
  port->responder = [this](const QByteArray& f) { return radio(f); };
  run(QLatin1String(kHandshakeScript));
  EXPECT_FALSE(ctx.com.ComErr);
}

TEST_F(Engine, ExtraBytesAreDroppedAndDoNotDisturbTheNextFrame) {
  // The first reply brings three bytes too many at once and two more after it was read.
  bool first = true;
  port->responder = [&](const QByteArray& f) {
    std::vector<Piece> r = radio(f);
    if (std::exchange(first, false)) {
      r[0].bytes += bytes({0x06, 0x06, 0x99});
      r.push_back({3, bytes({0x15, 0x15})});
    }
    return r;
  };
  run(QLatin1String(kHandshakeScript));
  EXPECT_FALSE(ctx.com.ComErr);
  EXPECT_EQ(traffic.shown[1].second, bytes({0x06})) << "RxBuf is cut to the expected length";
  EXPECT_EQ(varBuf(ctx, 8), radio.identity) << "the late extra bytes were discarded before the next frame";
}

TEST_F(Engine, BrokenScriptsAndARefusingPortFailWithoutSendingAndAreLogged) {
  run(QStringLiteral("TX0ZRX06EN"));  // a token that is no byte
  EXPECT_TRUE(ctx.com.ComErr);
  EXPECT_EQ(ctx.log.lastNumber(), ErrTypeMismatch);
  run(QStringLiteral("TX") + QStringLiteral("00").repeated(102) + QStringLiteral("EN"));  // longer than 101 bytes
  EXPECT_TRUE(ctx.com.ComErr);
  EXPECT_EQ(ctx.log.lastNumber(), ErrBounds);
  EXPECT_TRUE(port->frames.empty());
  const int before = ctx.log.entriesLogged();
  ConvComCode(ctx, QStringLiteral("06").repeated(201));  // more tokens than the table holds
  EXPECT_EQ(ctx.log.entriesLogged(), before + 1);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modCommun->ConvComCode"));
  run(QStringLiteral("TX4d02RXVAVAVAVAVAVAVAVAEN"));  // hex pairs in either case
  EXPECT_FALSE(ctx.com.ComErr);
  EXPECT_EQ(port->frames.back(), bytes({0x4D, 0x02}));

  port->cablePulled = true;
  run(QLatin1String(kHandshakeScript));
  EXPECT_TRUE(ctx.com.ComErr);
  EXPECT_EQ(test::lastError(ctx), test::failure(QStringLiteral("modCommun->ProtocolCom"), ErrDeviceIo));
}

}  // namespace
