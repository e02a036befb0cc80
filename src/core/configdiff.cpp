#include "core/configdiff.h"

#include "core/addressmap.h"
#include "core/numbers.h"

#include <algorithm>

namespace k52 {

namespace {

// Bits of the image that the differing fields account for; the rest is compared byte by byte.
class Covered {
 public:
  explicit Covered(int size) : mask_(static_cast<size_t>(std::max(size, 0)), 0) {}
  void add(int address, int count, uint8_t bits = 0xFF) {
    for (int i = address; i < address + count; ++i)
      if (i >= 0 && i < static_cast<int>(mask_.size())) mask_[static_cast<size_t>(i)] |= bits;
  }
  uint8_t at(int address) const { return mask_[static_cast<size_t>(address)]; }

 private:
  std::vector<uint8_t> mask_;
};

QString mhz(int64_t tenHz) { return QString::number(static_cast<double>(tenHz) / 100000.0, 'f', 5); }
QString frequency(int64_t tenHz) { return tenHz < 0 ? QStringLiteral("none") : mhz(tenHz); }

QString bytesText(const MemoryImage& image, int first, int last) {
  QStringList out;
  for (int i = first; i <= last; ++i)
    out << (i < image.size() ? QStringLiteral("%1").arg(image.at(i), 2, 16, QLatin1Char('0')).toUpper() : QStringLiteral("--"));
  return out.join(QLatin1Char(' '));
}

QString nameText(const NameCodes& codes, const DiffWords& words) {
  if (words.name) return words.name(codes);
  QStringList out;
  for (uint8_t c : codes) out << QStringLiteral("%1").arg(c, 2, 16, QLatin1Char('0')).toUpper();
  return out.join(QLatin1Char(' '));
}

NameCodes messageCodes(const RadioOptions& o) {
  NameCodes n{};
  for (size_t i = 0; i < n.size(); ++i) n[i] = static_cast<uint8_t>(o.powerOnMessage[i]);
  return n;
}

int64_t nameKey(const NameCodes& n) {
  int64_t v = 0;
  for (uint8_t c : n) v = v * 256 + c;
  return v;
}

QString dateText(const MemoryImage& image) {
  const int at = addr::kLastWriteDate;
  if (image.size() < at + addr::kLastWriteDateSize) return {};
  const int y = image.at(at), m = image.at(at + 1), d = image.at(at + 2);
  if (y > 99 || m < 1 || m > 12 || d < 1 || d > 31) return bytesText(image, at, at + 2);
  return QStringLiteral("20%1-%2-%3").arg(y, 2, 10, QLatin1Char('0')).arg(m, 2, 10, QLatin1Char('0')).arg(d, 2, 10, QLatin1Char('0'));
}

const char* const kPowerWords[] = {"high", "middle", "low"};

}  // namespace

QString optionName(const OptionField& f) { return QString::fromLatin1(f.control).mid(3); }

ConfigComparison compareConfigurations(const Configuration& a, const Configuration& b, const DiffWords& words) {
  ConfigComparison out;
  const int size = std::max(a.image.size(), b.image.size());
  Covered covered(size);
  auto add = [&](Difference d) { out.differences.push_back(std::move(d)); };

  const size_t channels = std::max(a.channels.size(), b.channels.size());
  const Channel none;
  for (size_t i = 0; i < channels; ++i) {
    const Channel& ca = i < a.channels.size() ? a.channels[i] : none;
    const Channel& cb = i < b.channels.size() ? b.channels[i] : none;
    if (ca == cb) continue;
    const int n = static_cast<int>(i) + 1;
    const int rec = addr::channelRecord(n);
    const QString where = QStringLiteral("channel %1").arg(n);
    auto field = [&](DiffField f, const char* name, int64_t va, int64_t vb, QString ta, QString tb) {
      if (va != vb) add({DiffKind::Channel, n, n, f, va, vb, where, QString::fromLatin1(name), std::move(ta), std::move(tb)});
      return va != vb;
    };
    auto tone = [&](int32_t t) { return t <= 0 ? QStringLiteral("none") : words.tone ? words.tone(t) : QString::number(t); };
    if (field(DiffField::Rx, "rx", ca.rx, cb.rx, frequency(ca.rx), frequency(cb.rx))) covered.add(rec, 4);
    if (field(DiffField::Tx, "tx", ca.tx, cb.tx, frequency(ca.tx), frequency(cb.tx))) covered.add(rec + 4, 4);
    if (field(DiffField::DecodeTone, "decode tone", ca.decodeTone, cb.decodeTone, tone(ca.decodeTone), tone(cb.decodeTone)))
      covered.add(rec + 8, 2);
    if (field(DiffField::EncodeTone, "encode tone", ca.encodeTone, cb.encodeTone, tone(ca.encodeTone), tone(cb.encodeTone)))
      covered.add(rec + 10, 2);
    auto width = [](bool narrow) { return QString::fromLatin1(narrow ? "narrow" : "wide"); };
    auto onOff = [](bool on) { return QString::fromLatin1(on ? "on" : "off"); };
    if (field(DiffField::Bandwidth, "bandwidth", ca.narrow, cb.narrow, width(ca.narrow), width(cb.narrow)))
      covered.add(rec + 12, 1, 0x20);
    if (field(DiffField::ScanAdd, "scan add", ca.scanAdd, cb.scanAdd, onOff(ca.scanAdd), onOff(cb.scanAdd)))
      covered.add(rec + 12, 1, 0x08);
    const auto pa = static_cast<int>(ca.power), pb = static_cast<int>(cb.power);
    if (field(DiffField::Power, "power", pa, pb, QString::fromLatin1(kPowerWords[pa % 3]), QString::fromLatin1(kPowerWords[pb % 3])))
      covered.add(rec + 12, 1, 0x06);
    if (field(DiffField::Name, "name", nameKey(ca.name), nameKey(cb.name), nameText(ca.name, words), nameText(cb.name, words))) {
      covered.add(rec + 13, 3);
      covered.add(addr::nameExtension(n), addr::kNameExtensionSize);
    }
  }

  for (const OptionField& f : kOptionFields) {
    const int16_t va = a.options[f.entry], vb = b.options[f.entry];
    if (va == vb) continue;
    add({DiffKind::Option, f.entry, f.entry, DiffField::Value, va, vb, QStringLiteral("option ") + optionName(f),
         QStringLiteral("value"), QString::number(va), QString::number(vb)});
    covered.add(f.address, 1, f.mask);
  }
  if (a.options.powerOnMessage != b.options.powerOnMessage) {
    const NameCodes ma = messageCodes(a.options), mb = messageCodes(b.options);
    add({DiffKind::Option, kOptPowerOnMsg, kOptPowerOnMsg, DiffField::Message, nameKey(ma), nameKey(mb),
         QStringLiteral("option PowerOnMessage"), QStringLiteral("message"), nameText(ma, words), nameText(mb, words)});
    covered.add(addr::kPowerOnMsg, addr::kPowerOnMsgSize);
  }
  for (size_t i = 0; i < a.fm.size(); ++i) {
    const int16_t va = a.fm[i], vb = b.fm[i];
    if (va == vb) continue;
    const int n = static_cast<int>(i) + 1;
    auto text = [](int16_t v) { return v == 0 ? QStringLiteral("empty") : QString::number(v / 10.0, 'f', 1); };
    add({DiffKind::Fm, n, n, DiffField::Frequency, va, vb, QStringLiteral("fm %1").arg(n), QStringLiteral("frequency"),
         text(va), text(vb)});
    covered.add(addr::kFmStations + addr::kFmStationSize * static_cast<int>(i), addr::kFmStationSize);
  }
  if (a.band != b.band) {
    if (a.band.lower != b.band.lower)
      add({DiffKind::Band, 0, 0, DiffField::Lower, a.band.lower, b.band.lower, QStringLiteral("band"), QStringLiteral("lower"),
           mhz(a.band.lower), mhz(b.band.lower)});
    if (a.band.upper != b.band.upper)
      add({DiffKind::Band, 0, 0, DiffField::Upper, a.band.upper, b.band.upper, QStringLiteral("band"), QStringLiteral("upper"),
           mhz(a.band.upper), mhz(b.band.upper)});
    covered.add(addr::kBand, addr::kBandSize);
  }

  // The programming date apart; every other byte that differs in bits no field above
  // accounts for, in runs of neighbouring addresses.
  const int dateFirst = addr::kLastWriteDate, dateLast = addr::kLastWriteDate + addr::kLastWriteDateSize - 1;
  auto byteAt = [](const MemoryImage& m, int i) { return i < m.size() ? int(m.at(i)) : -1; };
  bool dateDiffers = false;
  for (int i = dateFirst; i <= dateLast; ++i) dateDiffers |= byteAt(a.image, i) != byteAt(b.image, i);
  if (dateDiffers)
    out.stamps.push_back({DiffKind::Stamp, dateFirst, dateLast, DiffField::Date, 0, 0, QStringLiteral("programming date"),
                          QStringLiteral("date"), dateText(a.image), dateText(b.image)});
  auto differs = [&](int i) {
    if (i >= dateFirst && i <= dateLast) return false;
    const int x = byteAt(a.image, i), y = byteAt(b.image, i);
    if (x < 0 || y < 0) return x != y;
    return ((x ^ y) & ~covered.at(i) & 0xFF) != 0;
  };
  for (int i = 0; i < size; ++i) {
    if (!differs(i)) continue;
    int last = i;
    while (last + 1 < size && differs(last + 1)) ++last;
    const QString where = last == i ? QStringLiteral("bytes ") + hex4(i) : QStringLiteral("bytes %1-%2").arg(hex4(i), hex4(last));
    add({DiffKind::Bytes, i, last, DiffField::Bytes, 0, 0, where, QStringLiteral("bytes"), bytesText(a.image, i, last),
         bytesText(b.image, i, last)});
    i = last;
  }
  return out;
}

}  // namespace k52
