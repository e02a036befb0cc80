#pragma once
// The working copy of a configuration: the channel table and its companions, the option
// selections, the band limits, the tone list and the character table. Editing changes
// these; the image is brought up to date from them before it leaves the program.

#include "core/vbarray.h"

#include <QHash>
#include <QString>
#include <cstdint>

namespace k52 {

inline constexpr int kChRows = 260;  // channel table rows 1-260
inline constexpr int kChFields = 20;  // fields 0-20
inline constexpr int kColItemCols = 200;
inline constexpr int kColItemsPerCol = 50;  // items 0-49

struct ChannelTable {
  // ChInfo(n, f): field f of channel n; -1 = not set; field 1 = -1 is an empty channel.
  VbArray2<int32_t, 1, kChRows, 0, kChFields> ChInfo;
  // ChNameCode(n, i): character i of channel n's name, codes 0-44, 255 = none.
  VbArray2<uint8_t, 1, kChRows, 0, 4> ChNameCode;
  int16_t ChCount = 0;
  int16_t ColCount = 0;
  // Grid set-up from the settings section "ChInfo".
  int16_t RowHeight = 240;
  QString GridFormat;
  VbArray<int16_t, 0, 50> ColWidth;
  // ColItems(c, j): item 0 the column key or drop-down list, 1 the choice count,
  // 2 the default value, 3... the value texts.
  VbArray2<QString, 1, kColItemCols, 0, kColItemsPerCol - 1> ColItems;
};

inline constexpr int kOptEntries = 100;

struct OptionTable {
  VbArray<int16_t, 1, kOptEntries> OptSel;
  VbArray<int16_t, 1, kOptEntries> OptDef;
  int16_t OptCount = 0;
};

// The band the radio covers, in 10 Hz units. UpperLimit is the band's top edge minus 5 kHz.
struct Band {
  int32_t LowerLimit = 40000000;
  int32_t UpperLimit = 46999500;
  int16_t BandIndex = 5;
};

inline constexpr int kToneListEnd = 300;  // entries 0-300, 261 of them used

struct ToneList {
  VbArray<QString, 0, kToneListEnd> CtdcsList;  // display texts
  VbArray<QString, 0, kToneListEnd> IicCode;    // image codes, four hexadecimal digits
  QString CtdcsComboList;              // the drop-down list of the tone columns
  int16_t CtdcsIndex = 0;              // result of QtDqtIndex
  // The first list index of each image code, made with IicCode: a decode looks up two
  // codes per channel.
  QHash<QString, int16_t> CodeIndex;
};

struct CharTable {
  VbArray<QString, 0, 44> CharTbl;
  VbArray<uint8_t, 0, 30> NameCode;  // result of ChNameCharSol
};

// Result of the hex-pair splitter.
using ConvBufArray = VbArray<uint8_t, 0, 3>;

}  // namespace k52
