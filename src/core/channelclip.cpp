#include "core/channelclip.h"

#include "core/tonecodes.h"
#include "core/numbers.h"

#include <QRegularExpression>
#include <cmath>
#include <cstdlib>

namespace k52 {

namespace {

constexpr int kNameChars = 45;     // character codes 0-44
constexpr int32_t kTenHzPerMHz = 100000;
constexpr int32_t kRasterA = 500;   // 5 kHz
constexpr int32_t kRasterB = 1250;  // 12.5 kHz
// A TX this far from RX is written as a split, not as a repeater offset.
constexpr int32_t kSplitFrom = 10 * kTenHzPerMHz;
constexpr const char* kOwnTag = "K52CH";

enum class ToneKind { None, Ctcss, Dcs };
ToneKind kindOf(int32_t index) {
  if (index >= 1 && index < kFirstDcsNormal) return ToneKind::Ctcss;
  if (index >= kFirstDcsNormal && index <= kLastTone) return ToneKind::Dcs;
  return ToneKind::None;
}
// "D023N" -> "023"; the polarity letter as the exchanged list writes it (N normal, R inverted).
QString dcsCode(const ToneList& tones, int32_t index) { return tones.CtdcsList(index).mid(1, 3); }
QChar dcsPolarity(int32_t index) { return QLatin1Char(index >= kFirstDcsInverted ? 'R' : 'N'); }

QString mhz(int32_t tenHz) { return QString::number(tenHz / double(kTenHzPerMHz), 'f', 6); }

QString nameText(const Channel& ch, const CharTable& chars) {
  QString s;
  for (const uint8_t c : ch.name) {
    if (c >= kNameChars) break;
    s += chars.CharTbl(c);
  }
  return s.trimmed();
}

std::optional<int32_t> ctcssIndex(const ToneList& tones, const QString& text) {
  const std::optional<double> v = parseNumeric(text);
  if (!v) return std::nullopt;
  for (int i = 1; i < kFirstDcsNormal; ++i)
    if (const auto t = parseNumeric(tones.CtdcsList(i)); t && std::fabs(*t - *v) < 0.05) return i;
  return std::nullopt;
}

std::optional<int32_t> dcsIndex(const ToneList& tones, const QString& code, QChar polarity) {
  const QString want = QStringLiteral("D%1%2").arg(code.trimmed().rightJustified(3, QLatin1Char('0')),
                                                    polarity == QLatin1Char('R') ? QStringLiteral("I") : QStringLiteral("N"));
  for (int i = kFirstDcsNormal; i <= kLastTone; ++i)
    if (tones.CtdcsList(i) == want) return i;
  return std::nullopt;
}

// Five character codes from text the radio can show; the others go to dropped.
NameCodes nameCodes(const QString& text, const CharTable& chars, QString& dropped) {
  QString kept;
  for (const QChar c : text) {
    const QString u = QString(c).toUpper();
    bool known = false;
    for (int code = 0; code < kNameChars && !known; ++code) known = chars.CharTbl(code) == u;
    if (known)
      kept += u;
    else
      dropped += c;
  }
  NameCodes codes{kNoNameChar, kNoNameChar, kNoNameChar, kNoNameChar, kNoNameChar};
  if (kept.isEmpty()) return codes;
  kept = kept.left(kNameLength).leftJustified(kNameLength, QLatin1Char(' '));
  for (int i = 0; i < kNameLength; ++i)
    for (int code = 0; code < kNameChars; ++code)
      if (chars.CharTbl(code) == QString(kept.at(i))) {
        codes[static_cast<size_t>(i)] = static_cast<uint8_t>(code);
        break;
      }
  return codes;
}

bool onRaster(int32_t f) { return f % kRasterA == 0 || f % kRasterB == 0; }

}  // namespace

QStringList channelCsvHeader() {
  return QStringLiteral(
             "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,RxDtcsCode,"
             "CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE")
      .split(QLatin1Char(','));
}

QStringList channelToCsvRow(const Channel& ch, int location, const ChannelTexts& t) {
  QString duplex, offset = mhz(0);
  if (ch.tx == -1) {
    duplex = QStringLiteral("off");
  } else if (ch.tx != ch.rx) {
    const int32_t d = ch.tx - ch.rx;
    if (std::abs(d) >= kSplitFrom) {
      duplex = QStringLiteral("split");
      offset = mhz(ch.tx);
    } else {
      duplex = d > 0 ? QStringLiteral("+") : QStringLiteral("-");
      offset = mhz(std::abs(d));
    }
  }
  // Encode is the transmitted tone, decode the squelch on receive.
  const int32_t enc = ch.tx == -1 ? 0 : ch.encodeTone, dec = ch.decodeTone;
  const ToneKind ek = kindOf(enc), dk = kindOf(dec);
  QString mode, cross = QStringLiteral("Tone->Tone"), rTone = QStringLiteral("88.5"), cTone = rTone;
  QString dtcs = QStringLiteral("023"), rxDtcs = dtcs;
  QChar txPol = QLatin1Char('N'), rxPol = QLatin1Char('N');
  if (ek == ToneKind::Ctcss) rTone = t.tones.CtdcsList(enc);
  if (dk == ToneKind::Ctcss) cTone = t.tones.CtdcsList(dec);
  if (ek == ToneKind::Dcs) dtcs = dcsCode(t.tones, enc), txPol = dcsPolarity(enc);
  if (dk == ToneKind::Dcs) rxDtcs = dcsCode(t.tones, dec), rxPol = dcsPolarity(dec);
  if (ek == ToneKind::None && dk == ToneKind::None) {
  } else if (ek == ToneKind::Ctcss && dk == ToneKind::None) {
    mode = QStringLiteral("Tone");
  } else if (ek == ToneKind::Ctcss && enc == dec) {
    mode = QStringLiteral("TSQL");
  } else if (ek == ToneKind::Dcs && dk == ToneKind::Dcs && dtcs == rxDtcs) {
    mode = QStringLiteral("DTCS");
  } else {
    mode = QStringLiteral("Cross");
    auto side = [](ToneKind k) {
      return k == ToneKind::Ctcss ? QStringLiteral("Tone") : k == ToneKind::Dcs ? QStringLiteral("DTCS") : QString();
    };
    cross = side(ek) + QStringLiteral("->") + side(dk);
  }
  const auto power = static_cast<int>(ch.power);
  return {QString::number(location), nameText(ch, t.chars), mhz(ch.rx), duplex, offset, mode, rTone, cTone, dtcs,
          QString(txPol) + rxPol, rxDtcs, cross, ch.narrow ? QStringLiteral("NFM") : QStringLiteral("FM"),
          QStringLiteral("5.00"), ch.scanAdd ? QString() : QStringLiteral("S"), t.powerNames.value(power),
          QString(), QString(), QString(), QString(), QString()};
}

ParsedRow channelFromCsvRow(const QStringList& header, const QStringList& fields, const ChannelTexts& t) {
  ParsedRow out;
  auto col = [&](const char* name) {
    const qsizetype i = header.indexOf(QLatin1String(name));
    return i >= 0 && i < fields.size() ? fields.at(i).trimmed() : QString();
  };
  auto fault = [&](RowFault f, const char* column, const QString& value) {
    out.problems.push_back({f, QString::fromLatin1(column), value});
  };
  if (const auto loc = parseNumeric(col("Location"))) out.location = static_cast<int>(*loc);

  Channel ch;
  auto frequency = [&](const char* column, const QString& text) -> std::optional<int32_t> {
    const std::optional<double> v = parseNumeric(text);
    const int32_t f = v ? static_cast<int32_t>(std::llround(*v * kTenHzPerMHz)) : -1;
    if (!v || !onRaster(f) || f < t.band.lower || f > t.band.upper) {
      fault(RowFault::Frequency, column, text);
      return std::nullopt;
    }
    return f;
  };
  const auto rx = frequency("Frequency", col("Frequency"));
  if (rx) ch.rx = *rx;
  const QString duplex = col("Duplex").toLower();
  const QString offset = col("Offset");
  if (duplex == QLatin1String("off")) {
    ch.tx = -1;
  } else if (duplex == QLatin1String("split")) {
    if (const auto tx = frequency("Offset", offset)) ch.tx = *tx;
  } else if (rx && (duplex == QLatin1String("+") || duplex == QLatin1String("-"))) {
    const std::optional<double> d = parseNumeric(offset);
    const int32_t delta = d ? static_cast<int32_t>(std::llround(*d * kTenHzPerMHz)) : 0;
    if (const auto tx = frequency("Offset", mhz(duplex == QLatin1String("+") ? *rx + delta : *rx - delta))) ch.tx = *tx;
  } else {
    ch.tx = ch.rx;
  }

  const QString mode = col("Tone"), polarity = col("DtcsPolarity").toUpper().leftJustified(2, QLatin1Char('N'));
  auto ctcss = [&](const char* column) -> int32_t {
    const QString v = col(column).isEmpty() ? QStringLiteral("88.5") : col(column);
    if (const auto i = ctcssIndex(t.tones, v)) return *i;
    fault(RowFault::Tone, column, v);
    return 0;
  };
  auto dcs = [&](const char* column, QChar pol) -> int32_t {
    const QString v = col(column).isEmpty() ? QStringLiteral("023") : col(column);
    if (const auto i = dcsIndex(t.tones, v, pol)) return *i;
    fault(RowFault::Tone, column, v);
    return 0;
  };
  if (mode == QLatin1String("Tone")) {
    ch.encodeTone = ctcss("rToneFreq");
  } else if (mode == QLatin1String("TSQL")) {
    ch.encodeTone = ch.decodeTone = ctcss("cToneFreq");
  } else if (mode == QLatin1String("DTCS")) {
    ch.encodeTone = dcs("DtcsCode", polarity.at(0));
    ch.decodeTone = dcs("DtcsCode", polarity.at(1));
  } else if (mode == QLatin1String("Cross")) {
    const QStringList sides = col("CrossMode").split(QStringLiteral("->"));
    const QString tx = sides.value(0), rxSide = sides.value(1);
    if (tx == QLatin1String("Tone")) ch.encodeTone = ctcss("rToneFreq");
    if (tx == QLatin1String("DTCS")) ch.encodeTone = dcs("DtcsCode", polarity.at(0));
    if (rxSide == QLatin1String("Tone")) ch.decodeTone = ctcss("cToneFreq");
    // A receive DCS code of its own where the mode has one; DTCS->DTCS is read the same.
    if (rxSide == QLatin1String("DTCS")) ch.decodeTone = dcs("RxDtcsCode", polarity.at(1));
  } else if (!mode.isEmpty()) {
    fault(RowFault::Tone, "Tone", mode);
  }
  if (ch.tx == -1) ch.encodeTone = -1;
  ch.narrow = col("Mode").toUpper() == QLatin1String("NFM");
  ch.scanAdd = col("Skip").toUpper() != QLatin1String("S");
  const qsizetype power = t.powerNames.indexOf(col("Power"));
  ch.power = power == 1 ? Power::Middle : power == 2 ? Power::Low : Power::High;
  QString dropped;
  ch.name = nameCodes(col("Name"), t.chars, dropped);
  if (!dropped.isEmpty()) fault(RowFault::NameChars, "Name", dropped);

  bool taken = true;
  for (const RowProblem& p : out.problems) taken = taken && p.fault == RowFault::NameChars;
  if (taken) out.channel = ch;
  return out;
}

QString channelsToOwnText(const std::vector<std::pair<int, Channel>>& channels) {
  QString s;
  for (const auto& [n, ch] : channels) {
    QStringList f{QString::fromLatin1(kOwnTag), QString::number(n), QString::number(ch.rx), QString::number(ch.tx),
                  QString::number(ch.decodeTone), QString::number(ch.encodeTone), QString::number(ch.narrow),
                  QString::number(ch.scanAdd), QString::number(static_cast<int>(ch.power))};
    for (const uint8_t c : ch.name) f << QString::number(c);
    s += f.join(QLatin1Char(' ')) + QLatin1Char('\n');
  }
  return s;
}

std::vector<std::pair<int, Channel>> channelsFromOwnText(const QString& text) {
  std::vector<std::pair<int, Channel>> out;
  for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const QStringList f = line.split(QLatin1Char(' '));
    if (f.size() != 9 + kNameLength || f.at(0) != QLatin1String(kOwnTag)) continue;
    std::vector<int> v;
    bool ok = true;
    for (qsizetype i = 1; i < f.size() && ok; ++i) v.push_back(f.at(i).toInt(&ok));
    if (!ok || v[7] < 0 || v[7] > 2) continue;
    Channel ch;
    ch.rx = v[1];
    ch.tx = v[2];
    ch.decodeTone = v[3];
    ch.encodeTone = v[4];
    ch.narrow = v[5] != 0;
    ch.scanAdd = v[6] != 0;
    ch.power = static_cast<Power>(v[7]);
    for (int i = 0; i < kNameLength; ++i) ch.name[static_cast<size_t>(i)] = static_cast<uint8_t>(v[8 + static_cast<size_t>(i)] & 0xFF);
    out.emplace_back(v[0], ch);
  }
  return out;
}

QString channelsToTabText(const std::vector<std::pair<int, Channel>>& channels, const ChannelTexts& t) {
  QString s = channelCsvHeader().join(QLatin1Char('\t')) + QLatin1Char('\n');
  for (const auto& [n, ch] : channels)
    if (!ch.empty()) s += channelToCsvRow(ch, n, t).join(QLatin1Char('\t')) + QLatin1Char('\n');
  return s;
}

std::vector<ParsedRow> channelsFromTabText(const QString& text, const ChannelTexts& t) {
  QStringList lines = text.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
  QStringList header = channelCsvHeader();
  if (!lines.isEmpty() && lines.first().split(QLatin1Char('\t')).contains(QLatin1String("Frequency")))
    header = lines.takeFirst().split(QLatin1Char('\t'));
  std::vector<ParsedRow> rows;
  for (const QString& line : lines) rows.push_back(channelFromCsvRow(header, line.split(QLatin1Char('\t')), t));
  return rows;
}

}  // namespace k52
