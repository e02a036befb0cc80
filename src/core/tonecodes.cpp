#include "core/tonecodes.h"

#include "core/tables.h"

namespace k52 {

namespace {

// The tones the radio can send and squelch on, in Hz, in the order of the channel
// grid's drop-down list.
constexpr const char* kCtcssTones[kCtcssCount] = {
    "67.0",  "69.3",  "71.9",  "74.4",  "77.0",  "79.7",  "82.5",  "85.4",  "88.5",  "91.5",
    "94.8",  "97.4",  "100.0", "103.5", "107.2", "110.9", "114.8", "118.8", "123.0", "127.3",
    "131.8", "136.5", "141.3", "146.2", "151.4", "156.7", "159.8", "162.2", "165.5", "167.9",
    "171.3", "173.8", "177.3", "179.9", "183.5", "186.2", "189.9", "192.8", "196.6", "199.5",
    "203.5", "206.5", "210.7", "218.1", "225.7", "229.1", "233.6", "241.8", "250.3", "254.1"};

// The digital squelch codes, three octal digits each.
constexpr const char* kDcsCodes[kDcsCount] = {
    "023", "025", "026", "031", "032", "036", "043", "047", "051", "053", "054", "065", "071", "072", "073",
    "074", "114", "115", "116", "122", "125", "131", "132", "134", "143", "145", "152", "155", "156", "162",
    "165", "172", "174", "205", "212", "223", "225", "226", "243", "244", "245", "246", "251", "252", "255",
    "261", "263", "265", "266", "271", "274", "306", "311", "315", "325", "331", "332", "343", "346", "351",
    "356", "364", "365", "371", "411", "412", "413", "423", "431", "432", "445", "446", "452", "454", "455",
    "462", "464", "465", "466", "503", "506", "516", "523", "526", "532", "546", "565", "606", "612", "624",
    "627", "631", "632", "645", "654", "662", "664", "703", "712", "723", "731", "732", "734", "743", "754"};

}  // namespace

CtdcsSourceLists toneSourceTexts() {
  CtdcsSourceLists texts;
  for (const char* tone : kCtcssTones) texts.ctcss << QString::fromLatin1(tone);
  for (const char* code : kDcsCodes) {
    texts.dcsNormal << QStringLiteral("D%1N").arg(QLatin1String(code));
    texts.dcsInverted << QStringLiteral("D%1I").arg(QLatin1String(code));
  }
  return texts;
}

CtdcsSourceLists toneSourceCodes() {
  CtdcsSourceLists codes;
  // A tone is stored in tenths of a hertz as four BCD digits: 67.0 Hz -> "0670".
  for (const char* tone : kCtcssTones)
    codes.ctcss << QString::fromLatin1(tone).remove(QLatin1Char('.')).rightJustified(4, QLatin1Char('0'));
  // A DCS code keeps its octal digits behind 8 (normal) or C (inverted).
  for (const char* code : kDcsCodes) {
    codes.dcsNormal << QStringLiteral("8%1").arg(QLatin1String(code));
    codes.dcsInverted << QStringLiteral("C%1").arg(QLatin1String(code));
  }
  return codes;
}

void fillToneCodes(ToneList& t, const CtdcsSourceLists& codes) {
  t.IicCode(0) = QStringLiteral("FFFF");
  for (int i = 1; i <= kCtcssCount; ++i) t.IicCode(i) = codes.ctcss.at(i - 1);
  for (int i = 1; i <= kDcsCount; ++i) {
    t.IicCode(i + kCtcssCount) = codes.dcsNormal.at(i - 1);
    t.IicCode(i + kCtcssCount + kDcsCount) = codes.dcsInverted.at(i - 1);
  }
  t.CodeIndex.clear();
  for (int i = 0; i <= kToneListEnd; ++i)  // the whole list, its unused (empty) entries too
    if (!t.CodeIndex.contains(t.IicCode(i))) t.CodeIndex.insert(t.IicCode(i), static_cast<int16_t>(i));
}

void fillToneCodes(ToneList& tones) { fillToneCodes(tones, toneSourceCodes()); }

int32_t toneIndexOfCode(const ToneList& t, int toneMax, const QString& code) {
  // (A limit beyond the list's end is left to the scan, which fails at the end.)
  if (!t.CodeIndex.isEmpty() && toneMax <= kToneListEnd) {
    const auto hit = t.CodeIndex.constFind(code);
    if (hit == t.CodeIndex.cend()) return 0;
    if (t.IicCode(*hit) == code) return *hit <= toneMax ? *hit : 0;
  }
  for (int i = 0; i <= toneMax; ++i)
    if (code == t.IicCode(i)) return i;
  return 0;
}

}  // namespace k52
