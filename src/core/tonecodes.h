#pragma once
// The CTCSS/DCS tones as the image codes them: the 50 tones and 105 DCS codes (sent normal
// and inverted), their display texts and four-digit image codes, and the lookup of a code.

#include <QString>
#include <QStringList>

namespace k52 {

struct ToneList;

inline constexpr int kCtcssCount = 50;
inline constexpr int kDcsCount = 105;
inline constexpr int kFirstDcsNormal = kCtcssCount + 1;                // 51
inline constexpr int kFirstDcsInverted = kFirstDcsNormal + kDcsCount;  // 156
inline constexpr int kLastTone = kFirstDcsInverted + kDcsCount - 1;    // 260

// The three source lists the tone list is built from, each indexed from 0: the 50 CTCSS
// tones, the 105 DCS codes sent normally and the same 105 sent inverted.
struct CtdcsSourceLists {
  QStringList ctcss;
  QStringList dcsNormal;
  QStringList dcsInverted;
};

// The display texts of the three source lists ("67.0", "D023N", "D023I").
CtdcsSourceLists toneSourceTexts();
// The image codes of the three source lists ("0670", "8023", "C023").
CtdcsSourceLists toneSourceCodes();
// IicCode and CodeIndex of the whole list from the source lists' codes.
void fillToneCodes(ToneList& tones, const CtdcsSourceLists& codes);
// The image codes of the whole list (IicCode and CodeIndex), as GetCtdcsIIcDat makes them.
void fillToneCodes(ToneList& tones);
// The first list index with the image code `code` ("0670", "8023") among entries
// 0 ... toneMax, 0 when there is none; raises the bounds error when toneMax passes the list.
int32_t toneIndexOfCode(const ToneList& tones, int toneMax, const QString& code);
}  // namespace k52
