#include "app/chcodec.h"

#include "core/guarded.h"
#include "core/numbers.h"
#include "app/appcontext.h"

namespace k52 {

CodecTables codecTables(const AppContext& ctx) {
  return {ctx.tones, ctx.st.CtcDcsMax, ctx.opt.OptDef, ctx.ch.ChCount};
}

void logProblems(AppContext& ctx, const Problems& problems) {
  for (const Problem& p : problems) ctx.log.LogError(QString::fromUtf8(p.procedure), p.number, p.source);
}

Channel channelFromTables(const AppContext& ctx, int n) {
  const ChannelTable& t = ctx.ch;
  Channel ch;
  ch.rx = t.ChInfo(n, kFieldRx);
  ch.tx = t.ChInfo(n, kFieldTx);
  ch.decodeTone = t.ChInfo(n, kFieldDecode);
  ch.encodeTone = t.ChInfo(n, kFieldEncode);
  ch.narrow = t.ChInfo(n, kFieldOption5) == 1;
  ch.scanAdd = t.ChInfo(n, kFieldOption6) == 1;
  const int32_t power = t.ChInfo(n, kFieldOption7);
  ch.power = power == 1 ? Power::Middle : power == 2 ? Power::Low : Power::High;
  for (int i = 0; i < kNameLength; ++i) ch.name[static_cast<size_t>(i)] = t.ChNameCode(n, i);
  return ch;
}

namespace {

constexpr const char* kDecodeAllName = "modChMem->IicDatToChInfo";

const char* decodeStepName(ChannelPart part) {
  switch (part) {
    case ChannelPart::Options:
      return "modChMem->IcChParaSol";
    case ChannelPart::Rx:
      return "modChMem->IcRxFreSol";
    case ChannelPart::Tx:
      return "modChMem->IcTxFreSol";
    case ChannelPart::DecodeTone:
      return "modChMem->IcCtdcsDecSol";
    case ChannelPart::EncodeTone:
      return "modChMem->IcCtdcsEncSol";
    default:
      return kDecodeAllName;
  }
}

// One decoded part into the tables.
void storePart(AppContext& ctx, int n, const Channel& ch, ChannelPart part) {
  ChannelTable& t = ctx.ch;
  switch (part) {
    case ChannelPart::Options:
      t.ChInfo(n, kFieldOption5) = ch.narrow ? 1 : 0;
      t.ChInfo(n, kFieldOption6) = ch.scanAdd ? 1 : 0;
      t.ChInfo(n, kFieldOption7) = static_cast<int32_t>(ch.power);
      for (int i = 0; i < kNameLength; ++i) t.ChNameCode(n, i) = ch.name[static_cast<size_t>(i)];
      break;
    case ChannelPart::Rx:
      t.ChInfo(n, kFieldRx) = ch.rx;
      break;
    case ChannelPart::Tx:
      t.ChInfo(n, kFieldTx) = ch.tx;
      break;
    case ChannelPart::DecodeTone:
      t.ChInfo(n, kFieldDecode) = ch.decodeTone;
      break;
    case ChannelPart::EncodeTone:
      t.ChInfo(n, kFieldEncode) = ch.encodeTone;
      break;
    default:
      break;
  }
}

void logPart(AppContext& ctx, const Problems& problems, ChannelPart part) {
  for (const Problem& p : problems)
    if (p.part == part) ctx.log.LogError(QString::fromUtf8(p.procedure), p.number, p.source);
}

}  // namespace

void IicDatToChInfo(AppContext& ctx) { decodeChannelsIntoTables(ctx); }

void decodeChannelsIntoTables(AppContext& ctx) {
  guarded(ctx.log, kDecodeAllName, [&] {
    const CodecTables tables = codecTables(ctx);
    ChannelTable& t = ctx.ch;
    Problems problems;
    for (int n = 1; n <= t.ChCount; ++n) {
      Channel ch;
      problems.clear();
      const unsigned failed = decodeChannel(ctx.IicDat, n, tables, ch, problems);
      logPart(ctx, problems, ChannelPart::Record);
      if (ch.empty()) {
        // An empty channel's options start from the columns' defaults; its name stays.
        t.ChInfo(n, kFieldRx) = -1;
        t.ChInfo(n, kFieldTx) = -1;
        t.ChInfo(n, kFieldDecode) = 0;
        t.ChInfo(n, kFieldEncode) = 0;
        for (int f = kFieldOption5; f <= t.ColCount; ++f) t.ChInfo(n, f) = textToInt16(t.ColItems(f, 2));
        continue;
      }
      // Each part under its own name, as the steps of the decode log them.
      for (const ChannelPart part : {ChannelPart::Options, ChannelPart::Rx, ChannelPart::Tx, ChannelPart::DecodeTone,
                                     ChannelPart::EncodeTone}) {
        logPart(ctx, problems, part);
        if (!(failed & 1u << static_cast<unsigned>(part)))
          guarded(ctx.log, decodeStepName(part), [&] { storePart(ctx, n, ch, part); });
      }
    }
  });
}

void ChInfoToIicDat(AppContext& ctx) { encodeChannelsFromTables(ctx); }

void encodeChannelsFromTables(AppContext& ctx) {
  guarded(ctx.log, "modChMem->ChInfoToIicDat", [&] {
    const CodecTables tables = codecTables(ctx);
    Problems problems;
    for (int n = 1; n <= ctx.ch.ChCount; ++n) {
      problems.clear();
      encodeChannel(channelFromTables(ctx, n), n, tables, ctx.IicDat, problems);
      logProblems(ctx, problems);
    }
  });
}

}  // namespace k52
