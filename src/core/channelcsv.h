#pragma once
// Channel plans as CSV files in the generic layout radio owners exchange (one row per
// channel: Location, Name, Frequency, Duplex, Offset, the tone columns, Mode, Skip, Power).
// Export turns the channels into such a file; import reads one (any column order, columns
// left out, CRLF or LF, a UTF-8 byte-order mark) into channels, and says row by row what
// it could not take and why, or what it took changed. Pure: the tables and the band come in
// as rules, nothing else is touched.

#include "core/configuration.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace k52 {

// The header line export writes.
inline constexpr const char* kCsvHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,RxDtcsCode,CrossMode,Mode,"
    "TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE";

// A value as a field of a CSV record: quoted (quotes doubled) where it holds the separator,
// a quote or a line break.
QString csvField(const QString& value, QChar separator = QLatin1Char(','));

// What the radio and the program hold, as the mapping needs it.
struct CsvRules {
  BandLimits band;         // a frequency outside lower ... upper is refused
  const ToneList& tones;   // CtdcsList: "67.0", "D023N", "D023I" at the list's index ranges
  const CharTable& chars;  // the display characters, codes 0-44
  int channelCount = 0;
  // The names of each power (High, Middle, Low in the order of Power): the first is
  // written, any of them (in any case) is read.
  std::array<QStringList, 3> powerNames;
  // What a channel takes where the file has no column for it.
  bool narrow = false;
  bool scanAdd = true;
  Power power = Power::High;
  // True when the frequency (10 Hz units) is one the channel grid keeps as typed.
  std::function<bool(int32_t)> onRaster;
};

enum class CsvIssue {
  // The row is not taken.
  OffRaster,        // value: the frequency
  OutsideBand,      // value: the frequency
  ToneNotInList,    // value: the tone or code
  UnknownValue,     // column and value: a value the radio has no setting for, or no number
  PastLastChannel,  // value: the location
  LocationTwice,    // value: the location
  // The row is taken, changed.
  NameCharsDropped,  // value: the characters left out
  NameCut,           // value: the characters past the fifth
};
inline bool refuses(CsvIssue i) { return i < CsvIssue::NameCharsDropped; }

struct CsvRowIssue {
  CsvIssue issue;
  QString column;  // the file's column the value came from
  QString value;
  bool operator==(const CsvRowIssue&) const = default;
};

struct CsvRowReport {
  int line = 0;      // line of the file, the header being line 1
  int location = 0;  // the channel the row names (after a shift)
  bool taken = true;
  std::vector<CsvRowIssue> issues;
};

struct CsvImport {
  bool readable = false;  // false: no header line with a Frequency column
  bool shifted = false;   // the file's locations started at 0 and were moved up by one
  std::vector<Channel> channels;  // channelCount channels, channel 1 first; unnamed ones empty
  std::vector<CsvRowReport> rows;  // the rows with something to say, in file order
  bool anyRefused() const;
};

// Channels with their numbers as rows under the export's header, the fields separated by
// `separator` (a tab for the clipboard, so that a spreadsheet takes them); empty channels
// are left out.
QString channelRowsText(const std::vector<std::pair<int, Channel>>& channels, const CsvRules& rules, QChar separator,
                        const QString& lineEnd);

// A row of text read as a channel: what it says (location 0 when it gives no number) and the
// channel when it is taken.
struct CsvRow {
  CsvRowReport report;
  std::optional<Channel> channel;
};
// Rows as a spreadsheet or this program copies them: a first line with a Frequency column
// is their header, otherwise they are read in the export's column order. No channel count
// and no location is checked here: where the rows go is the caller's business.
std::vector<CsvRow> readChannelRows(const QString& text, const CsvRules& rules, QChar separator);

// The channels (channel 1 first) as a CSV file: the header, then one row per channel
// that is not empty, CRLF line ends.
QByteArray exportChannelsCsv(const std::vector<Channel>& channels, const CsvRules& rules);
// A CSV file into channels. A row that cannot be taken leaves its channel empty.
CsvImport importChannelsCsv(const QByteArray& file, const CsvRules& rules);

}  // namespace k52
