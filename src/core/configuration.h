#pragma once
// What a radio holds, as plain values: its channels, band, radio-wide options and FM
// stations, with the memory image they came from for the bytes no codec reads. decode() and
// encode() turn an image into a configuration and back without touching anything else; what
// went wrong on the way comes back as a list of problems, named as the error log names them.

#include "core/bandpresets.h"
#include "core/memoryimage.h"
#include "core/optiontable.h"
#include "core/tables.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace k52 {

// Channel names and the power-on message both have five characters.
inline constexpr int kNameLength = 5;
inline constexpr uint8_t kNoNameChar = 0xFF;
using NameCodes = std::array<uint8_t, kNameLength>;  // display character codes 0-44, 255 = none

// Channel bandwidth and power as the record's flag byte holds them.
enum class Power : uint8_t { High = 0, Middle = 1, Low = 2 };

struct Channel {
  int32_t rx = -1;  // 10 Hz units; -1 = an empty channel
  int32_t tx = -1;  // 10 Hz units; -1 = receive only
  // Tone list indices: 0 = none, 1-50 CTCSS, 51-155 DCS normal, 156-260 DCS inverted.
  // The program's tables use -1 for a freshly opened cell, which encodes as none too.
  int32_t decodeTone = 0;
  int32_t encodeTone = 0;
  bool narrow = false;   // flag bit 5
  bool scanAdd = false;  // flag bit 3
  Power power = Power::High;  // flag bits 1-2
  NameCodes name{kNoNameChar, kNoNameChar, kNoNameChar, kNoNameChar, kNoNameChar};
  bool empty() const { return rx == -1; }
  bool operator==(const Channel&) const = default;
};

// Radio-wide selections by OptSel entry (1 ... 23; 17 and 19 unused) and the power-on message.
struct RadioOptions {
  std::array<int16_t, kLastOptionEntry + 1> selection{};
  std::array<int16_t, kNameLength> powerOnMessage{};  // character codes
  int16_t& operator[](int entry) { return selection.at(static_cast<size_t>(entry)); }
  int16_t operator[](int entry) const { return selection.at(static_cast<size_t>(entry)); }
  bool operator==(const RadioOptions&) const = default;
};

inline constexpr int16_t kFmLowest = 870;    // 87.0 MHz
inline constexpr int16_t kFmHighest = 1080;  // 108.0 MHz
using FmStations = std::array<int16_t, addr::kFmStationCount>;  // 100 kHz units, 0 = empty

struct Configuration {
  std::vector<Channel> channels;  // channel 1 first
  // The band as the program holds it: lower edge and UpperLimit (top edge - 5 kHz), 10 Hz units.
  BandLimits band{40000000, 46999500};
  RadioOptions options;
  FmStations fm{};
  MemoryImage image;  // everything else passes through as it was read
  bool operator==(const Configuration&) const = default;
};

// Something a codec could not take as it stood, as the error log records it: the procedure
// name ("modChMem->IcTxFreSol"), the error number and the error's source; channel 0 for
// the options.
// The steps of a channel's decode and encode, each under a procedure name of its own.
enum class ChannelPart : uint8_t { None, Record, Options, Rx, Tx, DecodeTone, EncodeTone };

struct Problem {
  const char* procedure;
  int number;
  QString source;
  int channel = 0;
  ChannelPart part = ChannelPart::None;
  bool operator==(const Problem& o) const {
    return QString::fromUtf8(procedure) == QString::fromUtf8(o.procedure) && number == o.number &&
           source == o.source && channel == o.channel && part == o.part;
  }
};
using Problems = std::vector<Problem>;

// What decoding and encoding need from the settings: the tone list's image codes with the
// highest index a decode may give, the option defaults, and how many channels the table has.
struct CodecTables {
  const ToneList& tones;
  int toneMax;  // CtcDcsMax
  const VbArray<int16_t, 1, kOptEntries>& optionDefaults;
  int channelCount;
};

struct Decoded {
  Configuration config;
  Problems problems;
};

// The whole image. Channels whose RX frequency is unreadable come out empty, with their
// flags and name as the bytes hold them.
Decoded decode(const MemoryImage& image, const CodecTables& tables);

struct Encoded {
  Problems problems;
  std::vector<int> replacedByDefault;  // option entries whose value was too large
};
// Writes the configuration into image (config.image is not used; pass a copy of it to start
// from the bytes read).
Encoded encode(const Configuration& config, const CodecTables& tables, MemoryImage& image);

// The single steps, for the program's tables (chcodec, optcodec).
// Channel n from the image into ch. A part that fails keeps its value in ch and is marked
// in the returned bits (1 << part). A record outside the image raises the bounds error.
unsigned decodeChannel(const MemoryImage& image, int n, const CodecTables& tables, Channel& ch, Problems& problems);
void encodeChannel(const Channel& ch, int n, const CodecTables& tables, MemoryImage& image, Problems& problems);
// Options, message and stations into `options` and `fm`; a failure stops there, the rest
// keep their values.
void decodeOptions(const MemoryImage& image, const CodecTables& tables, RadioOptions& options, FmStations& fm,
                   Problems& problems);
Encoded encodeOptions(const RadioOptions& options, const FmStations& fm, const BandLimits& band,
                      const CodecTables& tables, MemoryImage& image);

}  // namespace k52
