#include "core/channelcsv.h"

#include "core/tonecodes.h"
#include "core/numbers.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace k52 {

namespace {

constexpr int32_t kTenHzPerMHz = 100000;
constexpr int kNameChars = 45;
// TX further than 70 MHz from RX is written as a split, not as an offset.
constexpr int64_t kSplitBeyond = 70 * int64_t{kTenHzPerMHz};  // display character codes 0-44
const QString kDefaultTone = QStringLiteral("88.5");
const QString kDefaultDcs = QStringLiteral("023");

// ----- Reading and writing CSV text -----

struct Record {
  int line = 0;
  QStringList fields;
};

// Quoted fields may hold the separator, doubled quotes and line breaks; CRLF, LF and CR end
// a record.
std::vector<Record> parseCsv(QString text, QChar separator) {
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  std::vector<Record> records;
  Record rec{1, {}};
  QString field;
  bool quoted = false, any = false;
  int line = 1;
  auto endRecord = [&] {
    if (any || !field.isEmpty() || !rec.fields.isEmpty()) {
      rec.fields << field;
      records.push_back(rec);
    }
    field.clear();
    rec = {line, {}};
    any = false;
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (quoted) {
      if (c == QLatin1Char('"')) {
        if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
          field += c;
          ++i;
        } else {
          quoted = false;
        }
      } else {
        if (c == QLatin1Char('\n')) ++line;
        field += c;
      }
    } else if (c == QLatin1Char('"')) {
      quoted = any = true;
    } else if (c == separator) {
      rec.fields << field;
      field.clear();
      any = true;
    } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
      if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) ++i;
      ++line;
      endRecord();
    } else {
      field += c;
    }
  }
  endRecord();
  return records;
}

// ----- Values -----

QString mhzText(int32_t tenHz) {
  return QString::asprintf("%d.%06d", tenHz / kTenHzPerMHz, (tenHz % kTenHzPerMHz) * 10);
}

// A frequency in MHz to 10 Hz units; nothing when the text is no number, is not positive
// or is finer than 10 Hz (no frequency of the radio).
std::optional<int32_t> tenHzOf(const QString& text) {
  if (!isNumeric(text)) return std::nullopt;
  const double v = numericValue(text) * kTenHzPerMHz;
  if (!(v > 0 && v < std::numeric_limits<int32_t>::max())) return std::nullopt;
  const double r = std::round(v);
  if (std::fabs(v - r) > 1e-3) return std::nullopt;
  return static_cast<int32_t>(r);
}

enum class ToneKind { None, Ctcss, Dcs };

ToneKind kindOf(int32_t index) {
  if (index >= 1 && index < kFirstDcsNormal) return ToneKind::Ctcss;
  if (index >= kFirstDcsNormal && index <= kLastTone) return ToneKind::Dcs;
  return ToneKind::None;
}
QString dcsCode(const ToneList& tones, int32_t index) { return tones.CtdcsList(index).mid(1, 3); }
QChar polarity(int32_t index) { return QLatin1Char(index >= kFirstDcsInverted ? 'R' : 'N'); }

// The list index of a CTCSS tone in Hz ("88.5", "88.50"), 0 when the radio has none such.
int32_t ctcssIndex(const ToneList& tones, const QString& text) {
  if (!isNumeric(text)) return 0;
  const double hz = numericValue(text);
  for (int i = 1; i < kFirstDcsNormal; ++i)
    if (std::fabs(tones.CtdcsList(i).toDouble() - hz) < 0.05) return i;
  return 0;
}

// The list index of a DCS code ("023", "23") sent normally ('N') or inverted ('R'), 0 when none.
int32_t dcsIndex(const ToneList& tones, const QString& code, QChar pol) {
  const QString digits = code.trimmed().rightJustified(3, QLatin1Char('0'));
  const int first = pol == QLatin1Char('R') ? kFirstDcsInverted : kFirstDcsNormal;
  for (int i = first; i < first + kDcsCount; ++i)
    if (dcsCode(tones, i) == digits) return i;
  return 0;
}

QString nameText(const CsvRules& rules, const NameCodes& codes) {
  QString text;
  for (const uint8_t c : codes) {
    if (c >= kNameChars) break;
    text += rules.chars.CharTbl(c);
  }
  return text;
}

int nameCode(const CsvRules& rules, const QString& ch) {
  const QString upper = ch.toUpper();
  for (int code = 0; code < kNameChars; ++code)
    if (rules.chars.CharTbl(code) == upper) return code;
  return -1;
}

// ----- One row -----

struct Columns {
  QHash<QString, int> index;  // lower-case column name -> field
  bool has(const char* name) const { return index.contains(QString::fromLatin1(name).toLower()); }
};

class RowReader {
 public:
  RowReader(const Columns& cols, const Record& rec, const CsvRules& rules, CsvRowReport& report)
      : cols_(cols), rec_(rec), rules_(rules), report_(report) {}

  QString get(const char* column) const {
    const auto it = cols_.index.constFind(QString::fromLatin1(column).toLower());
    if (it == cols_.index.constEnd() || *it >= rec_.fields.size()) return {};
    return rec_.fields.at(*it).trimmed();
  }
  void issue(CsvIssue i, const char* column, const QString& value) {
    const CsvRowIssue found{i, QString::fromLatin1(column), value};
    if (std::find(report_.issues.begin(), report_.issues.end(), found) != report_.issues.end()) return;
    report_.issues.push_back(found);
    if (refuses(i)) report_.taken = false;
  }

  // A frequency the radio can hold, or nothing (and the row says why).
  std::optional<int32_t> frequency(const char* column, std::optional<int32_t> value) {
    const QString text = get(column);
    if (!value) {
      issue(CsvIssue::UnknownValue, column, text);
      return std::nullopt;
    }
    if (*value < rules_.band.lower || *value > rules_.band.upper) {
      issue(CsvIssue::OutsideBand, column, mhzText(*value));
      return std::nullopt;
    }
    if (!rules_.onRaster(*value)) {
      issue(CsvIssue::OffRaster, column, mhzText(*value));
      return std::nullopt;
    }
    return value;
  }

  void read(Channel& ch) {
    const std::optional<int32_t> rx = frequency("Frequency", tenHzOf(get("Frequency")));
    readTransmit(ch, rx);
    if (rx) ch.rx = *rx;
    readTones(ch);
    readOptions(ch);
    readName(ch);
  }

 private:
  void readTransmit(Channel& ch, std::optional<int32_t> rx) {
    const QString duplex = get("Duplex").toLower();
    const QString offsetText = get("Offset");
    if (duplex == QLatin1String("off")) {
      ch.tx = -1;
      return;
    }
    std::optional<int32_t> offset;
    if (duplex == QLatin1String("+") || duplex == QLatin1String("-") || duplex == QLatin1String("split")) {
      offset = tenHzOf(offsetText);
      if (!offset && duplex != QLatin1String("split") && isNumeric(offsetText) && numericValue(offsetText) == 0)
        offset = 0;
      if (!offset) {
        issue(CsvIssue::UnknownValue, "Offset", offsetText);
        return;
      }
    } else if (!duplex.isEmpty()) {
      issue(CsvIssue::UnknownValue, "Duplex", get("Duplex"));
      return;
    }
    if (duplex == QLatin1String("split")) {
      if (const auto tx = frequency("Offset", offset)) ch.tx = *tx;
      return;
    }
    if (!rx) return;
    const int64_t tx = duplex == QLatin1String("+")   ? int64_t{*rx} + *offset
                       : duplex == QLatin1String("-") ? int64_t{*rx} - *offset
                                                      : *rx;
    if (tx <= 0 || tx > std::numeric_limits<int32_t>::max()) {
      issue(CsvIssue::OutsideBand, "Offset", offsetText);
      return;
    }
    const auto t = static_cast<int32_t>(tx);
    if (const auto ok = frequency("Offset", t)) ch.tx = *ok;
  }

  // A tone of the list, or none (and the row says why).
  int32_t ctcss(const char* column) {
    // A file with one of the two tone columns gives that tone both ways.
    if (!cols_.has(column)) column = cols_.has("rToneFreq") ? "rToneFreq" : "cToneFreq";
    const int32_t i = ctcssIndex(rules_.tones, get(column));
    if (i == 0) issue(CsvIssue::ToneNotInList, column, get(column));
    return i;
  }
  int32_t dcs(const char* column, int which) {
    const QString pol = cols_.has("DtcsPolarity") ? get("DtcsPolarity").toUpper() : QStringLiteral("NN");
    if (pol.size() != 2 || !QStringLiteral("NR").contains(pol.at(which)) ||
        !QStringLiteral("NR").contains(pol.at(1 - which))) {
      issue(CsvIssue::UnknownValue, "DtcsPolarity", get("DtcsPolarity"));
      return 0;
    }
    const int32_t i = dcsIndex(rules_.tones, get(column), pol.at(which));
    if (i == 0) issue(CsvIssue::ToneNotInList, column, get(column));
    return i;
  }

  void readTones(Channel& ch) {
    const QString mode = get("Tone");
    int32_t enc = 0, dec = 0;
    if (mode.isEmpty()) {
    } else if (mode == QLatin1String("Tone")) {
      enc = ctcss("rToneFreq");
    } else if (mode == QLatin1String("TSQL")) {
      enc = dec = ctcss("cToneFreq");
    } else if (mode == QLatin1String("DTCS")) {
      enc = dcs("DtcsCode", 0);
      dec = dcs("DtcsCode", 1);
    } else if (mode == QLatin1String("Cross")) {
      static const QStringList crossModes = {QStringLiteral("Tone->Tone"), QStringLiteral("Tone->DTCS"),
                                             QStringLiteral("DTCS->Tone"), QStringLiteral("->Tone"),
                                             QStringLiteral("->DTCS"),     QStringLiteral("DTCS->"),
                                             QStringLiteral("DTCS->DTCS")};
      // Files of programs that know only tone-to-tone cross modes have no such column.
      const QString cross = cols_.has("CrossMode") ? get("CrossMode") : QStringLiteral("Tone->Tone");
      if (!crossModes.contains(cross)) {
        issue(CsvIssue::UnknownValue, "CrossMode", cross);
      } else {
        const QString tx = cross.section(QLatin1String("->"), 0, 0), rx = cross.section(QLatin1String("->"), 1, 1);
        if (tx == QLatin1String("Tone")) enc = ctcss("rToneFreq");
        if (tx == QLatin1String("DTCS")) enc = dcs("DtcsCode", 0);
        if (rx == QLatin1String("Tone")) dec = ctcss("cToneFreq");
        if (rx == QLatin1String("DTCS")) dec = dcs("RxDtcsCode", 1);
      }
    } else {
      issue(CsvIssue::UnknownValue, "Tone", mode);
    }
    ch.encodeTone = enc;
    ch.decodeTone = dec;
  }

  void readOptions(Channel& ch) {
    const QString mode = get("Mode").toUpper();
    if (mode.isEmpty())
      ch.narrow = rules_.narrow;
    else if (mode == QLatin1String("FM") || mode == QLatin1String("NFM"))
      ch.narrow = mode == QLatin1String("NFM");
    else
      issue(CsvIssue::UnknownValue, "Mode", get("Mode"));

    const QString skip = get("Skip").toUpper();
    if (!cols_.has("Skip"))
      ch.scanAdd = rules_.scanAdd;
    else if (skip.isEmpty() || skip == QLatin1String("S"))
      ch.scanAdd = skip.isEmpty();
    else
      issue(CsvIssue::UnknownValue, "Skip", get("Skip"));

    const QString power = get("Power");
    ch.power = rules_.power;
    if (power.isEmpty()) return;
    for (int p = 0; p < 3; ++p)
      for (const QString& name : rules_.powerNames.at(static_cast<size_t>(p)))
        if (name.compare(power, Qt::CaseInsensitive) == 0) {
          ch.power = static_cast<Power>(p);
          return;
        }
    issue(CsvIssue::UnknownValue, "Power", power);
  }

  void readName(Channel& ch) {
    // Not trimmed: trailing blanks are characters of the name.
    const auto it = cols_.index.constFind(QStringLiteral("name"));
    const QString text = it == cols_.index.constEnd() || *it >= rec_.fields.size() ? QString() : rec_.fields.at(*it);
    QString kept, dropped;
    for (const char32_t cp : text.toUcs4()) {
      const QString c = QString::fromUcs4(&cp, 1);
      (c.size() == 1 && nameCode(rules_, c) >= 0 ? kept : dropped) += c;
    }
    if (!dropped.isEmpty()) issue(CsvIssue::NameCharsDropped, "Name", dropped);
    if (kept.size() > kNameLength) issue(CsvIssue::NameCut, "Name", kept.mid(kNameLength));
    ch.name.fill(kNoNameChar);
    for (int i = 0; i < std::min<int>(kNameLength, static_cast<int>(kept.size())); ++i)
      ch.name[static_cast<size_t>(i)] = static_cast<uint8_t>(nameCode(rules_, kept.at(i)));
  }

  const Columns& cols_;
  const Record& rec_;
  const CsvRules& rules_;
  CsvRowReport& report_;
};

}  // namespace

QString csvField(const QString& v, QChar separator) {
  const QString special = QString(separator) + QStringLiteral("\"\r\n");
  if (std::none_of(v.begin(), v.end(), [&](QChar c) { return special.contains(c); })) return v;
  return QLatin1Char('"') + QString(v).replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
}

bool CsvImport::anyRefused() const {
  return std::any_of(rows.begin(), rows.end(), [](const CsvRowReport& r) { return !r.taken; });
}

namespace {

// One channel as the export's fields, numbered `location`.
QStringList csvRow(const Channel& ch, int location, const CsvRules& rules) {
  const ToneList& tones = rules.tones;
  QString duplex, offset = mhzText(0);
  if (ch.tx == -1) {
    duplex = QStringLiteral("off");
  } else if (ch.tx != ch.rx) {
    // A repeater's offset; a TX in another band (further than kSplitBeyond) is given whole.
    const bool split = std::abs(int64_t{ch.tx} - ch.rx) > kSplitBeyond;
    duplex = split ? QStringLiteral("split") : ch.tx > ch.rx ? QStringLiteral("+") : QStringLiteral("-");
    offset = mhzText(split ? ch.tx : std::abs(ch.tx - ch.rx));
  }
  // Encode is the transmit side, decode the receive side.
  const int32_t enc = ch.encodeTone, dec = ch.decodeTone;
  const ToneKind tk = kindOf(enc), rk = kindOf(dec);
  QString tone, rTone = kDefaultTone, cTone = kDefaultTone, dtcs = kDefaultDcs, rxDtcs = kDefaultDcs;
  QString pol = QStringLiteral("NN"), cross = QStringLiteral("Tone->Tone");
  if (tk == ToneKind::Dcs) {
    dtcs = dcsCode(tones, enc);
    pol[0] = polarity(enc);
  }
  if (rk == ToneKind::Dcs) {
    rxDtcs = dcsCode(tones, dec);
    pol[1] = polarity(dec);
  }
  if (tk == ToneKind::Ctcss) rTone = tones.CtdcsList(enc);
  if (rk == ToneKind::Ctcss) cTone = tones.CtdcsList(dec);
  if (tk == ToneKind::None && rk == ToneKind::None) {
  } else if (tk == ToneKind::Ctcss && rk == ToneKind::None) {
    tone = QStringLiteral("Tone");
  } else if (tk == ToneKind::Ctcss && enc == dec) {
    tone = QStringLiteral("TSQL");
  } else if (tk == ToneKind::Dcs && rk == ToneKind::Dcs && dtcs == rxDtcs) {
    tone = QStringLiteral("DTCS");
  } else {
    auto side = [](ToneKind k) { return k == ToneKind::Ctcss ? QStringLiteral("Tone") : k == ToneKind::Dcs ? QStringLiteral("DTCS") : QString(); };
    tone = QStringLiteral("Cross");
    cross = side(tk) + QStringLiteral("->") + side(rk);
  }
  const QStringList& power = rules.powerNames.at(static_cast<size_t>(ch.power));
  return {QString::number(location), nameText(rules, ch.name), mhzText(ch.rx), duplex, offset, tone,
          rTone, cTone, dtcs, pol, rxDtcs, cross, ch.narrow ? QStringLiteral("NFM") : QStringLiteral("FM"),
          QStringLiteral("5.00"), ch.scanAdd ? QString() : QStringLiteral("S"),
          power.isEmpty() ? QString() : power.first(), {}, {}, {}, {}, {}};
}

// The columns a header record names.
Columns columnsOf(const Record& header) {
  Columns cols;
  for (int i = 0; i < header.fields.size(); ++i) cols.index.insert(header.fields[i].trimmed().toLower(), i);
  return cols;
}

// Records without anything in them are no rows.
void dropBlankRecords(std::vector<Record>& records) {
  std::erase_if(records, [](const Record& r) {
    return std::all_of(r.fields.begin(), r.fields.end(), [](const QString& f) { return f.trimmed().isEmpty(); });
  });
}

}  // namespace

QString channelRowsText(const std::vector<std::pair<int, Channel>>& channels, const CsvRules& rules, QChar separator,
                        const QString& lineEnd) {
  QString out = QString::fromLatin1(kCsvHeader).replace(QLatin1Char(','), separator) + lineEnd;
  for (const auto& [location, ch] : channels) {
    if (ch.empty()) continue;
    QStringList fields;
    for (const QString& f : csvRow(ch, location, rules)) fields << csvField(f, separator);
    out += fields.join(separator) + lineEnd;
  }
  return out;
}

QByteArray exportChannelsCsv(const std::vector<Channel>& channels, const CsvRules& rules) {
  std::vector<std::pair<int, Channel>> numbered;
  for (size_t i = 0; i < channels.size(); ++i) numbered.emplace_back(static_cast<int>(i) + 1, channels[i]);
  return channelRowsText(numbered, rules, QLatin1Char(','), QStringLiteral("\r\n")).toUtf8();
}

std::vector<CsvRow> readChannelRows(const QString& text, const CsvRules& rules, QChar separator) {
  std::vector<Record> records = parseCsv(text, separator);
  dropBlankRecords(records);
  std::vector<CsvRow> rows;
  if (records.empty()) return rows;
  Record header{0, QString::fromLatin1(kCsvHeader).split(QLatin1Char(','))};
  Columns cols = columnsOf(records.front());
  if (cols.has("Frequency"))
    records.erase(records.begin());
  else
    cols = columnsOf(header);
  for (const Record& rec : records) {
    CsvRow row;
    row.report.line = rec.line;
    RowReader reader(cols, rec, rules, row.report);
    row.report.location = std::max(reader.get("Location").toInt(), 0);
    Channel ch;
    if (!reader.get("Frequency").isEmpty()) reader.read(ch);  // an empty one names an empty channel
    if (row.report.taken) row.channel = ch;
    rows.push_back(std::move(row));
  }
  return rows;
}

CsvImport importChannelsCsv(const QByteArray& file, const CsvRules& rules) {
  CsvImport result;
  result.channels.assign(static_cast<size_t>(std::max(rules.channelCount, 0)), Channel{});
  std::vector<Record> records = parseCsv(QString::fromUtf8(file), QLatin1Char(','));
  dropBlankRecords(records);
  if (records.empty()) return result;
  const Columns cols = columnsOf(records[0]);
  if (!cols.has("Frequency")) return result;
  result.readable = true;

  // The locations first: a file counting from 0 moves up by one as a whole. Without a
  // Location column the rows count from 1.
  const bool located = cols.has("Location");
  std::vector<std::optional<int>> locations;
  for (size_t r = 1; r < records.size(); ++r) {
    bool ok = !located;
    int loc = static_cast<int>(r);
    if (located) {
      const int field = cols.index.value(QStringLiteral("location"));
      const QString t = field < records[r].fields.size() ? records[r].fields[field].trimmed() : QString();
      loc = t.toInt(&ok);
    }
    locations.push_back(ok ? std::optional<int>(loc) : std::nullopt);
  }
  int lowest = std::numeric_limits<int>::max();
  for (const auto& l : locations)
    if (l) lowest = std::min(lowest, *l);
  result.shifted = lowest == 0;

  std::vector<bool> named(result.channels.size() + 1, false);
  for (size_t r = 1; r < records.size(); ++r) {
    CsvRowReport report;
    report.line = records[r].line;
    RowReader row(cols, records[r], rules, report);
    std::optional<int> loc = locations[r - 1];
    if (loc && result.shifted) ++*loc;
    report.location = loc.value_or(0);
    if (!loc || *loc < 1) {
      row.issue(CsvIssue::UnknownValue, "Location", row.get("Location"));
    } else if (*loc > rules.channelCount) {
      row.issue(CsvIssue::PastLastChannel, "Location", QString::number(*loc));
    } else if (named[static_cast<size_t>(*loc)]) {
      row.issue(CsvIssue::LocationTwice, "Location", QString::number(*loc));
    }
    Channel ch;
    if (!row.get("Frequency").isEmpty()) row.read(ch);  // an empty one names an empty channel
    if (report.taken) {
      named[static_cast<size_t>(*loc)] = true;
      if (!row.get("Frequency").isEmpty()) result.channels[static_cast<size_t>(*loc - 1)] = ch;
    }
    if (!report.issues.empty()) result.rows.push_back(std::move(report));
  }
  return result;
}

}  // namespace k52
