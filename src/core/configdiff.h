#pragma once
// Two configurations side by side, field by field: the channels (RX, TX, tones, bandwidth,
// scan, power, name), the radio-wide options by name, the FM stations, the band, and the
// bytes that differ where no decoded field explains them. The programming date a write
// stamps is listed apart: it differs after every write and is no difference of content.

#include "core/configuration.h"

#include <QString>
#include <functional>
#include <vector>

namespace k52 {

enum class DiffKind { Channel, Option, Fm, Band, Bytes, Stamp };

enum class DiffField {
  Rx, Tx, DecodeTone, EncodeTone, Bandwidth, ScanAdd, Power, Name,  // a channel's
  Value, Message,                                                  // an option's
  Frequency,                                                       // an FM station's
  Lower, Upper,                                                    // the band's
  Bytes, Date,
};

struct Difference {
  DiffKind kind;
  int number = 0;  // channel 1..., option entry, FM station 1-25, first address of a byte run
  int last = 0;    // Bytes: last address of the run
  DiffField field;
  int64_t a = 0, b = 0;  // the values compared (frequencies, tone indices, selections...)
  // In words, as the command line prints them: "channel 12", "option VoxLevel", "fm 3",
  // "band", "bytes 0F92-0F94"; "rx", "name"...; "145.52500", "D023N", "narrow"...
  QString where, fieldName, textA, textB;
};

struct ConfigComparison {
  std::vector<Difference> differences;
  std::vector<Difference> stamps;  // what a write sets by itself (the programming date)
  bool equal() const { return differences.empty(); }
};

// How tones and name characters read; without them the tone index and the character
// codes (hexadecimal) stand for themselves.
struct DiffWords {
  std::function<QString(int32_t)> tone;
  std::function<QString(const NameCodes&)> name;
};

// The option's name as the command line uses it: the control's name without its prefix
// ("cboVoxLevel" -> "VoxLevel").
QString optionName(const OptionField& f);

ConfigComparison compareConfigurations(const Configuration& a, const Configuration& b, const DiffWords& words = {});

}  // namespace k52
