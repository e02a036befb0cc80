// The protocol engine and the transfer on a fake port and the test clock, with no program
// around them: the scripts, the bytes on the wire, how replies are taken, every time-out to
// the millisecond, the retry rule and the transactional read. (Transfer tests run it
// against k52sim over a pseudo-terminal.)

#include "core/imagetransfer.h"
#include "support/fakeport.h"
#include "core/memoryimage.h"

#include <gtest/gtest.h>
#include <set>

using namespace k52;
using namespace k52::test;

namespace {

const QString kNoReply = QStringLiteral("no reply");

class Engine : public ::testing::Test {
 protected:
  void SetUp() override {
    port.openable << QStringLiteral("/dev/fake");
    port.responder = [this](const QByteArray& f) { return lost.count(++frameNo) ? std::vector<Piece>{} : radio(f); };
    ASSERT_TRUE(port.open(QStringLiteral("/dev/fake")));
    engine.setTraffic(&view);
    image.allocate(0x1FFF);
  }
  void reply(std::vector<Piece> pieces) {
    port.responder = [pieces](const QByteArray&) { return pieces; };
  }
  QByteArray varBuf(int n) const {
    QByteArray b;
    for (int i = 1; i <= n; ++i) b.append(static_cast<char>(engine.VarBuf(i)));
    return b;
  }
  TransferOutcome transfer(int dir, AddressRange range) {
    scripts = buildScripts(range, range);
    return transferImage(engine, scripts, dir, image, view);
  }

  ManualClock clock;
  FakePort port{clock};
  FakeRadio radio;
  RecordingView view;
  RecordingSink log;
  ProtocolEngine engine{port, clock, log, kNoReply};
  MemoryImage image;
  ScriptStore scripts;
  int frameNo = 0;
  std::set<int> lost;  // frames (counted from 1) whose reply is lost
};

// ---- The scripts ----

TEST(Scripts, RangesGiveTheHandshakeBlocksOfSixteenTheClosingScriptsAndTheirProgress) {
  const ScriptStore s = buildScripts({0, 0x1FFF}, {0, 0x1FFF});
  ASSERT_TRUE(s.ScriptCount(kReadDir) == 514 && s.ScriptCount(kWriteDir) == 518);
  EXPECT_EQ(s.ScriptText(kReadDir, 1) + s.ScriptText(kWriteDir, 1), QLatin1String(kHandshakeScript) + QLatin1String(kHandshakeScript));
  // steps = 8191 / 16 = 511.94 -> 512; P3 = (n - 1) * 94 / 512 + 3; write blocks stop at 96.
  const std::tuple<int, int, ScriptParams> rows[] = {
      {kReadDir, 1, {0, 0, 3}},          {kReadDir, 257, {0x0FF0, 16, 50}}, {kReadDir, 514, {0, 0, 100}},
      {kWriteDir, 171, {0x0A90, 16, 34}}, {kWriteDir, 513, {0x1FF0, 16, 96}}, {kWriteDir, 514, {0x0FF0, 3, 97}},
      {kWriteDir, 515, {0x0F92, 3, 98}},  {kWriteDir, 517, {0, 0, 99}},      {kWriteDir, 518, {0, 0, 100}},
  };
  for (const auto& [d, i, para] : rows) EXPECT_EQ(s.ScriptPara(d, i), para) << d << " " << i;

  // A short last block; one byte (steps taken as 1); start beyond end; halves to the even
  // neighbour (40 / 16 = 2.5 steps -> 2, so 94 / 2 + 3 = 50; 4 steps: 26.5 -> 26).
  const ScriptStore odd = buildScripts({0, 0x12}, {0x100, 0x100});
  EXPECT_EQ(odd.ScriptText(kReadDir, 3) + odd.ScriptText(kWriteDir, 2), QStringLiteral("TX52001003RX57001003VAVAVAEN" "TX57010001VARX06EN"));
  EXPECT_TRUE(odd.ScriptPara(kReadDir, 3) == (ScriptParams{0x0010, 3, 98}) && odd.ScriptPara(kWriteDir, 2) == (ScriptParams{0x0100, 1, 96}));
  EXPECT_EQ(buildScripts({0x200, 0x100}, {0x200, 0x100}).ScriptCount(kWriteDir), 6);
  const ScriptStore halves = buildScripts({0, 0x28}, {0, 0x40});
  EXPECT_EQ(halves.ScriptPara(kReadDir, 2).P3 * 1000 + halves.ScriptPara(kWriteDir, 2).P3, 50026);

  // 0000-7FFF is 2048 blocks: the store grows, every block in order, every access checked.
  const ScriptStore big = buildScripts({0, 0x7FFF}, {0, 0x7FFF});
  ASSERT_EQ(big.ScriptCount(kReadDir), 2050);
  for (int i = 2; i <= 2049; ++i) ASSERT_EQ(big.ScriptPara(kReadDir, i).P1, (i - 2) * 16);
  EXPECT_THROW((void)big.ScriptText(kReadDir, 2051), K52Error);
}

// ---- The wire ----

TEST_F(Engine, AReadPutsExactlyTheseBytesOnTheWireAndFillsOnlyItsRange) {
  ASSERT_EQ(transfer(kReadDir, {0, 0x1F}).end, TransferEnd::Succeeded);
  EXPECT_EQ(port.frames, (std::vector<QByteArray>{kHello, kIdentify, kAck, bytes({0x52, 0x00, 0x00, 0x10}),
                                                  bytes({0x52, 0x00, 0x10, 0x10}), kEnd}));
  EXPECT_EQ(image.toByteArray().left(33), radio.memory.left(32) + '\0') << "nothing beyond the range";
  for (size_t i = 1; i < port.writtenAt.size(); ++i) EXPECT_GE(port.writtenAt[i] - port.writtenAt[i - 1], 5) << "the pause";
  ASSERT_EQ(view.shown.size(), 11u) << "every frame and every reply, in order";
  EXPECT_EQ(view.shown[3], (std::pair<int16_t, QByteArray>{-1, radio.identity}));
  EXPECT_EQ(view.shown[9], (std::pair<int16_t, QByteArray>{-1, bytes({0x57, 0x00, 0x10, 0x10}) + radio.memory.mid(16, 16)}));
  EXPECT_EQ(view.percents, (std::vector<int16_t>{3, 50, 97, 100}));
}

TEST_F(Engine, AWriteSendsTheBlocksTheBandTheDateAndTheFills) {
  for (int a = 0; a < 8192; ++a) image.at(a) = static_cast<uint8_t>(0xA0 + a % 16);
  image.at(0x0E17) = 9;
  limitWriteByte(image);
  stampWriteDate(image, QDate(2026, 1, 5));
  for (int k = 0; k < 3; ++k) image.at(0x0FF0 + k) = static_cast<uint8_t>(0x41 + k);
  const QByteArray before = image.toByteArray();
  ASSERT_EQ(transfer(kWriteDir, {0x20, 0x2F}).end, TransferEnd::Succeeded);
  QByteArray block = bytes({0x57, 0x00, 0x20, 0x10});
  for (int k = 0; k < 16; ++k) block.append(static_cast<char>(0xA0 + k));
  EXPECT_EQ(port.frames, (std::vector<QByteArray>{kHello, kIdentify, kAck, block, bytes({0x57, 0x0F, 0xF0, 0x03, 0x41, 0x42, 0x43}),
                                                  bytes({0x57, 0x0F, 0x92, 0x03, 26, 1, 5}),
                                                  bytes({0x57, 0x0F, 0x80, 0x10}) + QByteArray(16, '\xFF'),
                                                  bytes({0x57, 0x0F, 0x90, 0x02, 0xFF, 0xFF}), kEnd}));
  EXPECT_EQ(image.toByteArray(), before) << "a write leaves its image alone";
}

// ---- Replies ----

TEST_F(Engine, AReplyInPiecesIsTakenOnceCompleteIfByTheHundredFiftiethPoll) {
  EXPECT_TRUE(engine.run(QLatin1String(kEndScript)));
  EXPECT_EQ(port.polls + clock.tickMs(), 10) << "no polls; the pause before the frame and before \"EN\"";

  const QByteArray data("0123456789ABCDEF");
  reply({{2, bytes({0x57, 0x00})}, {60, bytes({0x10, 0x10}) + data.left(5)}, {150, data.mid(5)}});
  EXPECT_TRUE(engine.run(readBlockScript(0x0010, 16)) && varBuf(16) == data);
  EXPECT_EQ(clock.tickMs() - port.writtenAt.back(), 150 + 5) << "taken at the 150th poll, then the pause before EN";

  port.frames.clear();
  view.shown.clear();
  reply({{151, bytes({0x06})}});
  EXPECT_FALSE(engine.run(QStringLiteral("TX06RX06TX06RX06EN")));
  EXPECT_EQ(clock.tickMs() - port.writtenAt.back(), 151) << "151 waits of 1 ms";
  EXPECT_TRUE(port.frames.size() + view.shown.size() == 2u && view.lines == QStringList{kNoReply}) << "the rest is not run, nothing received is shown";
}

TEST_F(Engine, ShortWrongAndExtraRepliesAndBrokenScripts) {
  const std::vector<Piece> replies[] = {
      {{20, bytes({0x57, 0x00, 0x10, 0x10}) + QByteArray(15, 'x')}},  // one byte short
      {{5, bytes({0x57, 0x00, 0x20, 0x10}) + QByteArray(16, 'd')}},   // another address
  };
  for (const auto& r : replies) {
    for (int i = 1; i <= 16; ++i) engine.VarBuf(i) = 0xEE;
    reply(r);
    EXPECT_FALSE(engine.run(readBlockScript(0x0010, 16)));
    EXPECT_EQ(varBuf(16), QByteArray(16, '\xEE')) << "the block buffer is left alone";
  }
  port.frames.clear();
  reply({{1, bytes({0x15})}});
  EXPECT_TRUE(!engine.run(QLatin1String(kHandshakeScript)) && port.frames.size() == 1u) << "a refused handshake: only its first frame went out";

  // Three bytes too many at once and two more after the reply was read: RxBuf is cut to
  // the expected length and the late ones are discarded before the next frame.
  bool first = true;
  port.responder = [&](const QByteArray& f) {
    std::vector<Piece> r = radio(f);
    if (std::exchange(first, false)) {
      r[0].bytes += bytes({0x06, 0x06, 0x99});
      r.push_back({3, bytes({0x15, 0x15})});
    }
    return r;
  };
  view.shown.clear();
  EXPECT_TRUE(engine.run(QLatin1String(kHandshakeScript))) << "ComErr belongs to the script just run";
  EXPECT_TRUE(view.shown[1].second == kAck && varBuf(8) == radio.identity && log.entries.empty());

  // Scripts that cannot be sent fail without sending and are logged under the engine's names.
  port.frames.clear();
  const std::tuple<QString, const char*, int> broken[] = {
      {QStringLiteral("TX0ZRX06EN"), "modCommun->ProtocolCom", ErrTypeMismatch},
      {QStringLiteral("TX") + QStringLiteral("00").repeated(102) + QStringLiteral("EN"), "modCommun->ProtocolCom", ErrBounds},
      {QStringLiteral("06").repeated(201), "modCommun->ConvComCode", ErrBounds},
  };
  for (const auto& [script, proc, number] : broken) {
    EXPECT_FALSE(engine.run(script));
    EXPECT_EQ(log.entries.front(), (std::pair<QString, int>{QLatin1String(proc), number}));
    log.entries.clear();
  }
  EXPECT_TRUE(port.frames.empty());
  EXPECT_TRUE(engine.run(QStringLiteral("TX4d02RXVAVAVAVAVAVAVAVAEN"))) << "hex pairs in either case";
  port.cablePulled = true;
  EXPECT_TRUE(!engine.run(QLatin1String(kHandshakeScript)) && log.entries == (std::vector<std::pair<QString, int>>{{QStringLiteral("modCommun->ProtocolCom"), ErrDeviceIo}}));
}

// ---- The transfer: retries, the transactional read, stop, refusal ----

TEST_F(Engine, SixFailuresAreRetriedTheSeventhEndsTheTransferAndTheReadChangesNothing) {
  lost = {2, 10, 11, 14, 17, 20};  // the handshake's second frame, one block twice, three more
  TransferOutcome out = transfer(kReadDir, {0, 0xFF});
  EXPECT_TRUE(out.end == TransferEnd::Succeeded && out.failures == 6 && image.toByteArray().left(0x100) == radio.memory.left(0x100));
  EXPECT_EQ(port.frames[2], kHello) << "a failed handshake starts again with its first frame";
  EXPECT_TRUE(port.frames[9] == port.frames[10] && port.frames[10] == port.frames[11]) << "the same block again";
  EXPECT_EQ(port.writtenAt[10] - port.writtenAt[9], 151 + 30 + 5) << "151 polls, the retry's pause, the frame's pause";
  EXPECT_EQ(port.frames.size(), 3u + 16u + 1u + 2u + 5u);

  image.fill(0x5A);
  port.frames.clear();
  view.lines.clear();
  frameNo = 0;
  lost = {1, 5, 8, 9, 10, 11, 12};
  out = transfer(kReadDir, {0, 0xFF});
  EXPECT_TRUE(out.end == TransferEnd::Failed && out.failures == 7);
  EXPECT_EQ(out.failedScript, 4) << "the third block, tried five times";
  EXPECT_EQ(port.frames.size(), 12u) << "nothing is sent after the seventh failure";
  EXPECT_TRUE(image.toByteArray() == QByteArray(0x2000, 0x5A) && view.lines.size() == 7) << "not even the blocks that came";
}

TEST_F(Engine, AStopEndsAtTheNextScriptAndARangeOutsideTheImageIsRefusedBeforeSending) {
  view.stopAfterPercents = 3;
  EXPECT_EQ(transfer(kReadDir, {0, 0xFF}).end, TransferEnd::Stopped);
  EXPECT_TRUE(port.frames.size() == 3u + 2u && image.toByteArray() == QByteArray(0x2000, 0));

  port.frames.clear();
  const std::tuple<int, AddressRange, int, AddressRange> refused[] = {
      {kReadDir, {0x1F00, 0x2FFF}, 0x1FFF, {0x2000, 0x2FFF}},
      {kWriteDir, {0x1FF8, 0x2007}, 0x1FFF, {0x1FF8, 0x2007}},
      {kWriteDir, {0, 0xFF}, 0x0EFF, {0x0F92, 0x0FF2}},  // the band and the date a write sends
      {kReadDir, {0, 0xFF}, 0x0EFF, {0x10000, -1}},
  };
  for (const auto& [dir, range, upper, outside] : refused) {
    const AddressRange got = outsideImage(buildScripts(range, range), dir, upper);
    EXPECT_EQ(got.start * 100000 + got.end, outside.start * 100000 + outside.end) << dir << " " << range.start;
  }
  image.allocate(0x0EFF);
  const TransferOutcome out = transfer(kWriteDir, {0, 0xFF});
  EXPECT_TRUE(out.end == TransferEnd::Refused && out.outside.start == 0x0F92 && port.frames.empty());
}

}  // namespace
