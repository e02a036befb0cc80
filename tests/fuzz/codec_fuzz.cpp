// libFuzzer target: any 8 KB image goes through what opening a data file and saving it
// again does (band selection, channel and option decode, encode). Besides the sanitizers'
// findings it checks that encoding is idempotent: decoding and encoding the saved image
// once more gives the same bytes, and the image never changes size; and that the pure codecs
// settle the same way on their own.

#include "fuzzprogram.h"
#include "app/chcodec.h"
#include "core/configuration.h"

#include <QByteArray>

using namespace k52;

namespace {

// Open (band, decode) then save (encode).
QByteArray openAndSave(AppContext& ctx) {
  SelectBandFromImage(ctx);
  ChInfoSaveSol(ctx, 1);
  OptSelSaveSol(ctx, 1);
  SetConvIicDat(ctx);
  return ctx.IicDat.toByteArray();
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

// decode -> encode -> decode -> encode on the pure codecs: the second encode changes nothing.
void checkPureCodecs(const AppContext& ctx) {
  const CodecTables tables = codecTables(ctx);
  Decoded first = decode(ctx.IicDat, tables);
  first.config.band = {ctx.band.LowerLimit, ctx.band.UpperLimit};
  MemoryImage once = ctx.IicDat;
  encode(first.config, tables, once);
  MemoryImage twice = once;
  encode(decode(once, tables).config, tables, twice);
  if (!(twice == once)) fail("the pure codecs changed their own output", once.toByteArray(), twice.toByteArray());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzProgram h("codec_fuzz");
  h.reset();
  // Inputs shorter than the image leave the rest erased (0xFF); longer ones give their
  // first 8192 bytes, as a longer data file does.
  h.ctx->IicDat.fill(0xFF);
  h.ctx->IicDat.assignFrom(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  const int imageSize = h.ctx->IicDat.size();

  const QByteArray first = openAndSave(*h.ctx);
  const QByteArray second = openAndSave(*h.ctx);
  if (first.size() != imageSize || second.size() != imageSize) fail("the image changed size", first, second);
  if (first != second) fail("a second open and save changed the saved image", first, second);
  checkPureCodecs(*h.ctx);
  return 0;
}
