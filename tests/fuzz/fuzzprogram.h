#pragma once
// What both fuzz targets start from: the program after its start without windows, on the
// settings file and default image of the build's program folder, English, its tables
// filled and the image decoded. Each input starts from this state again, so a finding
// reproduces from its input alone.

#include "app/bandtable.h"
#include "app/charcodec.h"
#include "app/chmem.h"
#include "app/ctdcs.h"
#include "app/optcodec.h"
#include "app/appcontext.h"
#include "app/langtable.h"
#include "app/startup.h"
#include "core/clock.h"
#include "core/dialogs.h"

#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace k52 {

struct FuzzProgram {
  ManualClock clock;
  NeverAskDialogs dialogs;
  std::unique_ptr<AppContext> ctx;
  ChannelTable ch0;
  OptionTable opt0;
  Band band0;
  ConvBufArray conv0;
  QByteArray image0;

  explicit FuzzProgram(const char* who) {
    const QString folder = QString::fromUtf8(K52_FUZZ_PROGRAM_FOLDER);
    if (!QFileInfo(folder + QStringLiteral("/minglyc.dll")).isFile()) fail(who, "no settings file in the program folder");
    ctx = std::make_unique<AppContext>(clock, dialogs, folder);
    ReadSettings(*ctx);
    ctx->st.CurLang = 3;
    InitFaceText(*ctx);
    GetValidCharTbl(*ctx);
    OptNowDefSol(*ctx, 0);
    for (int i = 1; i <= ctx->opt.OptCount && i <= kOptEntries; ++i) ctx->opt.OptSel(i) = ctx->opt.OptDef(i);
    GenCtdcsList(*ctx);
    ReadChInfo(*ctx);
    applyBandSelection(*ctx, kDefaultBandIndex, nullptr);
    InitTempArray(*ctx);
    ChInfoSaveSol(*ctx, 1);
    ctx->ch.ChNameCode.fill(255);
    if (ctx->IicDat.size() != 0x2000) fail(who, "the settings give no 8 KB image");
    ch0 = ctx->ch;
    opt0 = ctx->opt;
    band0 = ctx->band;
    conv0 = ctx->ConvBuf;
    image0 = ctx->IicDat.toByteArray();
    ctx->log.windowClosed();
  }
  // Back to the state after the start; the log is emptied so it cannot grow over millions of inputs.
  void reset() {
    ctx->ch = ch0;
    ctx->opt = opt0;
    ctx->band = band0;
    ctx->ConvBuf = conv0;
    ctx->IicDat.assignFrom(image0);
    ctx->log.windowClosed();
  }
  [[noreturn]] static void fail(const char* who, const char* what) {
    std::fprintf(stderr, "%s: %s\n", who, what);
    std::abort();
  }
};

}  // namespace k52
