// libFuzzer target: any 8 KB image goes through what opening a data file and saving it
// again does (band selection, channel and option decode, encode). Besides the sanitizers'
// findings it checks that encoding is idempotent: decoding and encoding the saved image
// once more gives the same bytes, and the image never changes size.

#include "image/bandtable.h"
#include "image/charcodec.h"
#include "image/chmem.h"
#include "image/ctdcs.h"
#include "image/optcodec.h"
#include "shell/appcontext.h"
#include "shell/startup.h"
#include "ui/clock.h"
#include "ui/dialogs.h"

#include <QByteArray>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace k52;

namespace {

// The program after its start, and the tables as they stood then: each input starts from
// that state, so a finding reproduces from its input alone.
struct Harness {
  ManualClock clock;
  NeverAskDialogs dialogs;
  std::unique_ptr<AppContext> ctx;
  ChannelTable ch0;
  OptionTable opt0;
  Band band0;
  ConvBufArray conv0;

  Harness() {
    const QString folder = QString::fromUtf8(K52_FUZZ_PROGRAM_FOLDER);
    if (!QFileInfo(folder + QStringLiteral("/minglyc.dll")).isFile()) {
      std::fprintf(stderr, "codec_fuzz: no settings file in %s\n", K52_FUZZ_PROGRAM_FOLDER);
      std::abort();
    }
    ctx = std::make_unique<AppContext>(clock, dialogs, folder);
    ReadSettings(*ctx);
    ctx->st.CurLang = 3;
    GetValidCharTbl(*ctx);
    OptNowDefSol(*ctx, 0);
    for (int i = 1; i <= ctx->opt.OptCount && i <= kOptEntries; ++i) ctx->opt.OptSel(i) = ctx->opt.OptDef(i);
    GenCtdcsList(*ctx);
    ReadChInfo(*ctx);
    applyBandSelection(*ctx, kDefaultBandIndex, nullptr);
    InitTempArray(*ctx);
    ChInfoSaveSol(*ctx, 1);
    ctx->ch.ChNameCode.fill(255);
    if (ctx->IicDat.size() != 0x2000) {
      std::fprintf(stderr, "codec_fuzz: the settings give an image of %d bytes, not 8192\n", ctx->IicDat.size());
      std::abort();
    }
    ch0 = ctx->ch;
    opt0 = ctx->opt;
    band0 = ctx->band;
    conv0 = ctx->ConvBuf;
    ctx->log.windowClosed();
  }

  void reset() {
    ctx->ch.ChInfo = ch0.ChInfo;
    ctx->ch.ChNameCode = ch0.ChNameCode;
    ctx->opt = opt0;
    ctx->band = band0;
    ctx->ConvBuf = conv0;
    ctx->log.windowClosed();  // keep the log from growing over millions of inputs
  }

  // Open (band, decode) then save (encode).
  QByteArray openAndSave() {
    SelectBandFromImage(*ctx);
    ChInfoSaveSol(*ctx, 1);
    OptSelSaveSol(*ctx, 1);
    SetConvIicDat(*ctx);
    return ctx->IicDat.toByteArray();
  }
};

Harness& harness() {
  static Harness h;
  return h;
}

void fail(const char* what, const QByteArray& a, const QByteArray& b) {
  std::fprintf(stderr, "codec_fuzz: %s\n", what);
  for (int i = 0; i < std::min(a.size(), b.size()); ++i)
    if (a[i] != b[i]) {
      std::fprintf(stderr, "  first difference at %04X: %02X then %02X\n", i, uint8_t(a[i]), uint8_t(b[i]));
      break;
    }
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Harness& h = harness();
  h.reset();
  // Inputs shorter than the image leave the rest erased (0xFF); longer ones give their
  // first 8192 bytes, as a longer data file does.
  h.ctx->IicDat.fill(0xFF);
  h.ctx->IicDat.assignFrom(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  const int imageSize = h.ctx->IicDat.size();

  const QByteArray first = h.openAndSave();
  const QByteArray second = h.openAndSave();
  if (first.size() != imageSize || second.size() != imageSize) fail("the image changed size", first, second);
  if (first != second) fail("a second open and save changed the saved image", first, second);
  return 0;
}
