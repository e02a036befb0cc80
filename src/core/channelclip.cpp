#include "core/channelclip.h"

#include <QStringList>

namespace k52 {

namespace {
constexpr const char* kOwnTag = "K52CH";
}  // namespace

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

}  // namespace k52
