// k52mkdata: writes the two files delivered beside the program, the settings file
// "minglyc.dll" (INI text, UTF-8) and the default image "dhcpqec.dll" (the 8 KB memory
// of an unprogrammed radio).
//
//   k52mkdata <program folder>
//
// Everything a maintainer may want to change sits in the tables at the top of this file:
// the "Setting" values, the channel grid's columns with their wording in the three
// interface languages, and the factory values of the optional features. The default
// image is encoded from the same factory values, so the settings file and the image
// always agree. The output depends on nothing but this file: no dates, no environment.
// Before anything is written the tables are checked against what the program accepts;
// a table that would give the program a bad file stops the build with a message.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------
// Section "Setting"
// ---------------------------------------------------------------------------------------

// "FirRun" is left out on purpose: without it the first start is the installation pass.
// "ChannelLock" is written by the program itself and never read.
const std::vector<std::pair<const char*, const char*>> kSettings = {
    {"Language", "2"},         // 1 Simplified Chinese, 2 Traditional Chinese, 3 English
    {"COM", "1"},              // serial port number, 1 to 16
    {"ModelType", "0"},
    {"ModelRange", "0"},
    {"DatNum", "8191"},        // highest image address: the image is 0000-1FFF
    {"EngFont", "Times New Roman"},
    {"ChsFont", "宋体"},
    {"OverColor", "255"},      // frequencies outside the band: red (0x00BBGGRR)
    {"DefColor", "0"},         // normal cell text: black
    {"CtMax", "50"},           // CTCSS tones in the tone list
    {"DcsMax", "210"},         // DCS codes, normal and inverted
    {"CtcDcsMax", "260"},      // highest index of the combined tone list
    {"TableMaxAddr", "1FFF"},
    {"ReadStartAddr", "0000"},
    {"ReadEndAddr", "1FFF"},
    {"WriteStartAddr", "0000"},
    {"WriteEndAddr", "1FFF"},
};

// ---------------------------------------------------------------------------------------
// Section "ChInfo": the channel grid, one key set per interface language
// ---------------------------------------------------------------------------------------

// A text in the three interface languages.
struct Words {
  const char* chs;  // Simplified Chinese
  const char* cht;  // Traditional Chinese (Taiwan)
  const char* eng;  // English
};

struct Language {
  int base;                     // key base: 1000 x language number
  const char* Words::*text;
};
const Language kLanguages[] = {{1000, &Words::chs}, {2000, &Words::cht}, {3000, &Words::eng}};

// Channels 1-199: their records end just below the name extension at 0C70, so no row
// overlaps another region of the memory (and there is no VFO row).
constexpr int kChannelCount = 199;
constexpr int kRowHeight = 300;  // twips

// Column 0, the row numbers.
const Words kRowHeader{"序号", "序號", "No."};
constexpr int kRowHeaderWidth = 600;

// Columns 1 ... 8. The program fixes the roles of columns 1-4 (frequencies and tones) and
// 8 (name) by their keys; columns 5-7 are the three channel options stored in the
// record's flag byte (two, two and three states). The default is what "Open channel"
// fills in and what an empty channel's options start from: frequencies in 10 Hz units,
// tones as an index of the tone list (0 = none), choices as the value number.
struct Column {
  Words header;
  int width;                   // twips
  const char* key;             // nullptr for a choice column
  const char* defaultValue;
  std::vector<Words> choices;  // texts of value 0, 1, 2 ... of a choice column
};

const std::vector<Column> kColumns = {
    {{"接收频率[MHz]", "接收頻率[MHz]", "RX Freq [MHz]"}, 1500, "RxFre", "43000000", {}},
    {{"发射频率[MHz]", "發射頻率[MHz]", "TX Freq [MHz]"}, 1500, "TxFre", "43000000", {}},
    {{"接收亚音", "接收亞音", "CTCSS/DCS Dec"}, 1750, "CtcssDcsDec", "0", {}},
    {{"发射亚音", "發射亞音", "CTCSS/DCS Enc"}, 1750, "CtcssDcsEnc", "0", {}},
    {{"带宽", "頻寬", "Bandwidth"}, 1000, nullptr, "0",
     {{"宽带", "寬頻", "Wide"}, {"窄带", "窄頻", "Narrow"}}},
    {{"扫描添加", "掃描加入", "Scan Add"}, 1000, nullptr, "1",
     {{"否", "否", "No"}, {"是", "是", "Yes"}}},
    {{"功率", "功率", "Power"}, 900, nullptr, "0",
     {{"高", "高", "High"}, {"中", "中", "Middle"}, {"低", "低", "Low"}}},
    {{"信道名称", "頻道名稱", "Name"}, 1000, "CHNAME", "0", {}},
};

const char* const kEndOfItem = "*EndOfThisItem*";

// ---------------------------------------------------------------------------------------
// Section "Option" and the default image: the factory values of the optional features
// ---------------------------------------------------------------------------------------

enum class Kind {
  List,     // list position or check box, 0 ... highest
  Unused,   // entry without a control; kept at 0
  Station,  // FM station in 100 kHz steps: 0 (empty) or 870 ... 1080
  Char,     // power-on message character code: 0 ... 44, 255 = none
};

struct Option {
  int entry;
  Kind kind;
  int highest;  // Kind::List only
  int value;    // factory value, also the start selection
  const char* what;
};

// The power-on message, five characters of the radio's display (see kCharacters).
const char* const kPowerOnMessage = "K52  ";
// FM stations 1-25 in 100 kHz steps (875 = 87.5 MHz), 0 = empty.
const int kFmStations[25] = {};

std::vector<Option> factoryOptions() {
  std::vector<Option> o = {
      {1, Kind::List, 9, 6, "time-out timer: off, 30 ... 270 s (6 = 180 s)"},
      {2, Kind::List, 9, 3, "squelch level 0-9"},
      {3, Kind::List, 1, 1, "beep: off, on"},
      {4, Kind::List, 1, 0, "key lock: manual, auto"},
      {5, Kind::List, 1, 0, "wide band (check box)"},
      {6, Kind::List, 2, 0, "work mode: channel, frequency, channel + frequency"},
      {7, Kind::List, 2, 0, "scan mode: time, carrier, off"},
      {8, Kind::List, 2, 1, "lamp: off, auto, on"},
      {9, Kind::List, 2, 2, "voice annunciation: off, Chinese, English"},
      {10, Kind::List, 1, 0, "show channel name (check box)"},
      {11, Kind::List, 1, 1, "battery save (check box)"},
      {12, Kind::List, 1, 0, "inverse frequency (check box)"},
      {13, Kind::List, 1, 0, "VOX (check box)"},
      {14, Kind::List, 8, 4, "VOX gain level 1-9 (4 = level 5)"},
      {15, Kind::List, 5, 2, "VOX delay 0.3, 0.5, 1.0, 1.5, 2.0, 3.0 s (2 = 1.0 s)"},
      {16, Kind::List, 2, 2, "power-on display: off, voltage, message"},
      {17, Kind::Unused, 0, 0, "no control"},
      {18, Kind::List, 1, 1, "FM receiver on (check box)"},
      {19, Kind::Unused, 0, 0, "no control"},
      {20, Kind::List, 1, 0, "FM work mode: VFO, channel"},
      {21, Kind::List, 9, 0, "FM squelch 0-9"},
      {22, Kind::List, 1, 0, "FM monitor: off, on"},
      {23, Kind::List, 24, 0, "FM current station: CH 1 ... CH 25"},
  };
  for (int i = 0; i < 25; ++i) o.push_back({24 + i, Kind::Station, 0, kFmStations[i], "FM station"});
  o.push_back({49, Kind::Unused, 0, 0, "no control"});
  return o;  // entries 50-54, the power-on message, are added from kPowerOnMessage
}

// Firmware version and date as an unprogrammed radio reports them. The date is held in
// nibbles: only the years 2000-2015 can be stored.
struct FirmwareVersion {
  int major, minor, year, month, day;
};
constexpr FirmwareVersion kFirmware{1, 0, 2015, 6, 15};

// Band of the delivered radio in whole MHz ("400 - 470 MHz").
constexpr int kBandLowerMHz = 400;
constexpr int kBandUpperMHz = 470;

// ---------------------------------------------------------------------------------------
// The radio's character set and memory layout
// ---------------------------------------------------------------------------------------

const std::string kCharacters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ +=%/[]-_";

constexpr int kImageSize = 0x2000;
constexpr int kOptBits0 = 0x0E10, kOptBits1 = 0x0E11, kOptBits2 = 0x0E12;
constexpr int kLimitedByte = 0x0E17;  // limited to 0-4 by every write; 0 as delivered
constexpr int kPowerOnMsg = 0x0E1B;
constexpr int kFmStationArea = 0x0E60;
constexpr int kSoftVersion = 0x0F98;
constexpr int kBand = 0x0FF0;

// Options stored as a whole byte.
const std::map<int, int> kByteOptions = {{1, 0x0E14}, {2, 0x0E13}, {14, 0x0E15},
                                         {15, 0x0E16}, {21, 0x0E1A}, {23, 0x0E19}};

// Options stored as bits: the bits of the field and the pattern of value 1 and value 2.
struct BitField {
  int address, mask, one, two;
};
const std::map<int, BitField> kBitOptions = {
    {3, {kOptBits2, 0x01, 0x01, 0}},    {4, {kOptBits1, 0x04, 0x04, 0}},
    {5, {kOptBits0, 0x04, 0x04, 0}},    {6, {kOptBits0, 0x03, 0x01, 0x02}},
    {7, {kOptBits1, 0x03, 0x01, 0x02}}, {8, {kOptBits1, 0x30, 0x10, 0x20}},
    {9, {kOptBits2, 0x12, 0x02, 0x12}}, {10, {kOptBits2, 0x20, 0x20, 0}},
    {11, {kOptBits2, 0x08, 0x08, 0}},   {12, {kOptBits0, 0x08, 0x08, 0}},
    {13, {kOptBits2, 0x40, 0x40, 0}},   {16, {kOptBits1, 0xC0, 0x40, 0x80}},
    {18, {kOptBits0, 0x10, 0x10, 0}},   {20, {kOptBits0, 0x20, 0x20, 0}},
    {22, {kOptBits2, 0x04, 0x04, 0}},
};

// ---------------------------------------------------------------------------------------

std::vector<std::string> problems;

void check(bool ok, const std::string& what) {
  if (!ok) problems.push_back(what);
}

// Length as the program counts it (characters, not bytes; the texts are all in the BMP).
int textLength(const std::string& s) {
  int n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

void checkText(const std::string& s, int width, const std::string& where) {
  check(!s.empty(), where + ": empty text");
  check(textLength(s) <= width, where + ": longer than " + std::to_string(width) + " characters");
  check(s.front() != ' ' && s.back() != ' ', where + ": surrounding blanks are cut by the reader");
}

std::string join(const std::vector<std::string>& parts, const char* sep) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? sep : "") + parts[i];
  return out;
}

std::vector<Option> allOptions() {
  std::vector<Option> o = factoryOptions();
  for (int i = 0; i < 5; ++i) {
    const char ch = kPowerOnMessage[i];
    const size_t code = kCharacters.find(ch);
    check(ch != '\0' && code != std::string::npos,
          std::string("power-on message: character ") + std::to_string(i + 1) + " not in the radio's set");
    o.push_back({50 + i, Kind::Char, 0, code == std::string::npos ? 255 : int(code), "power-on message"});
  }
  for (size_t i = 0; i < o.size(); ++i) {
    const Option& p = o[i];
    const std::string where = "option " + std::to_string(p.entry);
    check(p.entry == int(i) + 1, where + ": entries must run 1, 2, 3 ... without gaps");
    switch (p.kind) {
      case Kind::List: check(p.value >= 0 && p.value <= p.highest, where + ": outside its list"); break;
      case Kind::Unused: check(p.value == 0, where + ": has no control, keep 0"); break;
      case Kind::Station: check(p.value == 0 || (p.value >= 870 && p.value <= 1080), where + ": not 87.0-108.0 MHz"); break;
      case Kind::Char: break;
    }
  }
  return o;
}

// ---------------------------------------------------------------------------------------
// The settings file
// ---------------------------------------------------------------------------------------

std::string settingsText(const std::vector<Option>& options) {
  std::ostringstream out;
  out << "; Settings of the K52 programming software. Generated by k52mkdata.\n";
  out << "[Setting]\n";
  for (const auto& [key, value] : kSettings) out << key << '=' << value << '\n';

  out << "\n[ChInfo]\n";
  check(kChannelCount >= 1 && kChannelCount <= 199, "channel count must be 1-199");
  const int colCount = int(kColumns.size());
  check(colCount == 8, "the channel record has eight fields: eight columns");
  for (const Language& lang : kLanguages) {
    const int b = lang.base;
    const std::string tag = "language " + std::to_string(b);
    std::vector<std::string> headers{"^" + std::string(kRowHeader.*lang.text)};
    for (const Column& c : kColumns) headers.push_back("^" + std::string(c.header.*lang.text));
    for (const std::string& h : headers) checkText(h.substr(1), 30, tag + " header");
    const std::string format = join(headers, "|");
    check(textLength(format) <= 199, tag + ": grid format string longer than 199 characters");

    out << b << '=' << kChannelCount << '\n';
    out << b + 1 << '=' << kRowHeight << '\n';
    out << b + 2 << '=' << colCount << '\n';
    out << b + 3 << '=' << format << '\n';
    out << b + 100 << '=' << kRowHeaderWidth << '\n';
    for (int c = 1; c <= colCount; ++c) out << b + 100 + c << '=' << kColumns[c - 1].width << '\n';

    for (int c = 1; c <= colCount; ++c) {
      const Column& col = kColumns[c - 1];
      const std::string where = tag + " column " + std::to_string(c);
      std::vector<std::string> items;
      if (col.key) {
        check(col.choices.empty(), where + ": a keyed column has no choices");
        items = {col.key, "0", col.defaultValue};
      } else {
        std::vector<std::string> texts;
        for (const Words& w : col.choices) texts.push_back(w.*lang.text);
        for (const std::string& t : texts) {
          checkText(t, 99, where + " choice");
          check(t.find('|') == std::string::npos, where + ": a choice text holds '|'");
        }
        const int def = std::stoi(col.defaultValue);
        check(texts.size() >= 2 && def >= 0 && def < int(texts.size()), where + ": default outside the choices");
        items = {join(texts, "|"), std::to_string(texts.size()), col.defaultValue};
        items.insert(items.end(), texts.begin(), texts.end());
      }
      check(items.size() <= 50, where + ": more than 50 items");
      checkText(items[0], 99, where + " item 0");
      items.push_back(kEndOfItem);
      for (size_t j = 0; j < items.size(); ++j) out << b + 200 + 50 * (c - 1) + int(j) << '=' << items[j] << '\n';
    }
  }

  out << "\n[Option]\n";
  const int count = int(options.size());
  check(count <= 100, "at most 100 options");
  out << "0=" << count << '\n';
  for (const Language& lang : kLanguages) {
    for (const Option& o : options) out << lang.base + o.entry << '=' << o.value << '\n';
    for (const Option& o : options) out << lang.base + 500 + o.entry << '=' << o.value << '\n';
  }
  return out.str();
}

// ---------------------------------------------------------------------------------------
// The default image
// ---------------------------------------------------------------------------------------

uint8_t bcd(int v) { return uint8_t((v / 10) * 16 + v % 10); }

std::vector<uint8_t> defaultImage(const std::vector<Option>& options) {
  // Erased memory everywhere: no channels, no names, no FM stations, no programming date.
  std::vector<uint8_t> img(kImageSize, 0xFF);

  // The option bytes start from zero: bits that no option uses stay clear.
  for (int a = kOptBits0; a <= kLimitedByte; ++a) img[a] = 0;
  for (const Option& o : options) {
    if (auto b = kByteOptions.find(o.entry); b != kByteOptions.end()) img[b->second] = uint8_t(o.value);
    if (auto f = kBitOptions.find(o.entry); f != kBitOptions.end()) {
      const BitField& bf = f->second;
      img[bf.address] = uint8_t((img[bf.address] & ~bf.mask) | (o.value == 1 ? bf.one : o.value == 2 ? bf.two : 0));
    }
    if (o.kind == Kind::Char) img[kPowerOnMsg + o.entry - 50] = uint8_t(o.value);
    if (o.kind == Kind::Station && o.value != 0) {
      // 10 Hz units, eight BCD digits, least significant byte first.
      int v = o.value * 10000;
      const int a = kFmStationArea + 4 * (o.entry - 24);
      for (int i = 0; i < 4; ++i, v /= 100) img[a + i] = bcd(v % 100);
    }
  }

  const FirmwareVersion& fw = kFirmware;
  check(fw.major >= 0 && fw.major <= 15 && fw.minor >= 0 && fw.minor <= 15, "firmware version: 0-15 each");
  check(fw.year >= 2000 && fw.year <= 2015, "firmware date: the year nibble holds 2000-2015 only");
  check(fw.month >= 1 && fw.month <= 12 && fw.day >= 1 && fw.day <= 31, "firmware date: no such day");
  img[kSoftVersion] = uint8_t(fw.major * 16 + fw.minor);
  img[kSoftVersion + 1] = uint8_t((fw.year - 2000) * 16 + fw.month);
  img[kSoftVersion + 2] = uint8_t(fw.day);

  // Band edges: hundreds and tens of each edge, then the two units digits.
  const int lo = kBandLowerMHz, hi = kBandUpperMHz;
  check(lo >= 120 && lo <= hi && hi <= 520, "band edges must lie in 120-520 MHz");
  img[kBand] = uint8_t((lo / 100) * 16 + (lo % 100) / 10);
  img[kBand + 1] = uint8_t((hi / 100) * 16 + (hi % 100) / 10);
  img[kBand + 2] = uint8_t((lo % 10) * 16 + hi % 10);
  return img;
}

bool writeFile(const std::filesystem::path& path, const std::string& data) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(data.data(), std::streamsize(data.size()));
  f.close();
  if (!f) std::fprintf(stderr, "k52mkdata: cannot write %s\n", path.string().c_str());
  return bool(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: k52mkdata <program folder>\n");
    return 2;
  }
  const std::vector<Option> options = allOptions();
  const std::string settings = settingsText(options);
  const std::vector<uint8_t> image = defaultImage(options);
  if (!problems.empty()) {
    for (const std::string& p : problems) std::fprintf(stderr, "k52mkdata: %s\n", p.c_str());
    return 1;
  }
  const std::filesystem::path folder(argv[1]);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const bool ok = writeFile(folder / "minglyc.dll", settings) &&
                  writeFile(folder / "dhcpqec.dll", std::string(image.begin(), image.end()));
  return ok ? 0 : 1;
}
