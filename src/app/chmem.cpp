#include "app/chmem.h"

#include "core/guarded.h"
#include "core/addressmap.h"
#include "app/chcodec.h"
#include "core/numbers.h"
#include "app/optcodec.h"
#include "app/appcontext.h"

#include <QFile>

namespace k52 {

uint32_t colorValue(const QString& text) {
  return static_cast<uint32_t>(textToInt32(text));
}

void InitTempArray(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->InitTempArray", [&] {
    // An unprogrammed radio's memory is erased (0xFF); a missing or short default
    // image leaves the rest of the image in that state.
    QByteArray data;
    const QString path = ctx.programPath(QString::fromLatin1(kDefaultImageFileName));
    QFile f(path);
    const bool missing = !f.exists();
    bool readFailed = false;
    if (!missing) {
      if (f.open(QIODevice::ReadOnly)) {
        data = f.read(ctx.IicDat.size());
        if (f.error() != QFileDevice::NoError) readFailed = true;
      } else {
        readFailed = true;
      }
    }
    ctx.IicDat.fill(0xFF);
    if (!readFailed) ctx.IicDat.assignFrom(data);
    InitChInfo(ctx);
    ctx.views->memoryImageReplaced();
    if (missing) raiseError(ErrFileNotFound, path);
    if (readFailed) raiseError(ErrDeviceIo, path);
  });
}

void ReadChInfo(AppContext& ctx) {
  guarded(ctx.log, "modChMem->ReadChInfo", [&] {
    ctx.st.CurLang = validLang(ctx.st.CurLang);
    const int b = 1000 * ctx.st.CurLang;
    const QString sec = QStringLiteral("ChInfo");
    auto key = [&](int k, const char* def, int width) {
      return readClean(ctx.ini, sec, QString::number(k), QString::fromLatin1(def), width);
    };
    ChannelTable& t = ctx.ch;
    t.ChCount = textToInt16(key(b, "16", 4));
    t.RowHeight = textToInt16(key(b + 1, "240", 4));
    t.ColCount = textToInt16(key(b + 2, "9", 4));
    t.GridFormat = key(b + 3, "0|0|0|0|0|0|0|0|0|0", 199);
    for (int c = 0; c <= t.ColCount; ++c) t.ColWidth(c) = textToInt16(key(b + 100 + c, "1000", 9));
    for (int c = 1; c <= t.ColCount; ++c) {
      for (int j = 0; j <= 50; ++j) {
        const QString v = key(b + 200 + 50 * (c - 1) + j, "0", 99);
        if (v == ctx.st.EndOfItem) break;
        t.ColItems(c, j) = v;
      }
    }
  });
}

void InitChInfo(AppContext& ctx) {
  guarded(ctx.log, "modChMem->InitChInfo:", [&] {
    for (int n = 1; n <= ctx.ch.ChCount; ++n) InitOneChannel(ctx, static_cast<int16_t>(n));
  });
}

void InitOneChannel(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->InitOneChannel:", [&] {
    ctx.ch.ChInfo(n, 0) = 1;
    for (int f = 1; f <= ctx.ch.ColCount; ++f) ctx.ch.ChInfo(n, f) = -1;
    Grid& g = ctx.gridCh();
    for (int c = 1; c <= ctx.ch.ColCount; ++c) g.setText(n, c, QString());
  });
}

void DelOneChannel(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->DelOneChannel", [&] {
    ctx.ch.ChInfo(n, 0) = 1;
    ctx.ch.ChInfo(n, 1) = -1;
    ctx.ch.ChInfo(n, 2) = -1;
    const int a = addr::channelRecord(n);
    for (int i = 0; i < addr::kChannelRecordSize; ++i) ctx.IicDat.at(a + i) = 0xFF;
    // The deleted channel's name characters 4 and 5 go with it.
    const int e = addr::nameExtension(n);
    for (int i = 0; i < addr::kNameExtensionSize; ++i) ctx.IicDat.at(e + i) = 0xFF;
    Grid& g = ctx.gridCh();
    const uint32_t normal = colorValue(ctx.st.DefColor);
    for (int c = 1; c <= ctx.ch.ColCount; ++c) {
      g.select(n, c);
      g.setText(n, c, QString());
      g.setCellForeColor(normal);
    }
  });
}

void InitChTable(AppContext& ctx) {
  guarded(ctx.log, "modChMem->InitChTable", [&] {
    for (int n = 1; n <= ctx.ch.ChCount; ++n) DelOneChannel(ctx, static_cast<int16_t>(n));
  });
}

void ChInfoSaveSol(AppContext& ctx, int16_t direction) {
  guarded(ctx.log, "modChMem->ChInfoSaveSol", [&] {
    if (direction == kTablesToImage)
      ChInfoToIicDat(ctx);
    else if (direction == kImageToTables)
      IicDatToChInfo(ctx);
  });
}

void SetConvIicDat(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->SetConvIicDat", [&] {
    // A toolbar button takes no focus: an edit still open would otherwise be left out.
    ctx.views->commitPendingEdits();
    encodeTablesIntoImage(ctx);
  });
}

void encodeTablesIntoImage(AppContext& ctx) {
  ChInfoSaveSol(ctx, kTablesToImage);
  OptSelSaveSol(ctx, kTablesToImage);
}

}  // namespace k52
