// libFuzzer target: any image, as a data file holds it (shorter inputs leave the rest erased,
// longer ones give their first 8 KB), through the pure codecs: decode, encode, decode and
// encode again. Besides the sanitizers' findings, the second encode must give the bytes of
// the first, of the same size.

#include "core/configuration.h"
#include "core/tonecodes.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

using namespace k52;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ToneList tones = [] {
    ToneList t;
    fillToneCodes(t);
    return t;
  }();
  static const VbArray<int16_t, 1, kOptEntries> defaults{};
  const CodecTables tables{tones, kLastTone, defaults, 199};
  MemoryImage image;
  image.allocate(addr::kMemorySize - 1);
  image.fill(0xFF);
  image.assignFrom(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  MemoryImage once = image;
  encode(decode(image, tables).config, tables, once);
  MemoryImage twice = once;
  encode(decode(once, tables).config, tables, twice);
  if (once.size() != image.size() || !(twice == once)) {
    const QByteArray a = once.toByteArray(), b = twice.toByteArray();
    std::fprintf(stderr, "codec_fuzz: a second decode and encode changed the image\n");
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
      if (a[i] != b[i]) {
        std::fprintf(stderr, "  first difference at %04llX: %02X then %02X\n", static_cast<long long>(i), uint8_t(a[i]), uint8_t(b[i]));
        break;
      }
    std::abort();
  }
  return 0;
}
