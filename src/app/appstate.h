#pragma once
// The program-wide values read from the settings file at start-up, and the small pieces
// of state the windows share. One AppContext owns one of these.

#include "core/addressmap.h"
#include "core/numbers.h"
#include "core/grid.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace k52 {

// The interface languages. The settings file's "Language" stores these numbers, and
// CurLang holds them as stored.
enum Language : int16_t {
  kLangSimplifiedChinese = 1,
  kLangTraditionalChinese = 2,
  kLangEnglish = 3,
};

struct AppState {
  QString IniFile;          // full path of the settings file
  int16_t CurLang = kLangTraditionalChinese;  // a Language
  QString EngFont = QStringLiteral("Times New Roman");
  QString ChsFont = QStringLiteral("宋体");
  QString CurFont;
  QString OverColor;        // colour numbers as text, converted where used
  QString DefColor;
  int16_t DatNum = 0;
  int16_t CtcDcsMax = 260;
  int16_t TableMaxAddr = addr::kLastAddress;
  int16_t ReadStartAddr = addr::kFirstAddress;
  int16_t ReadEndAddr = addr::kLastAddress;
  int16_t WriteStartAddr = addr::kFirstAddress;
  int16_t WriteEndAddr = addr::kLastAddress;
  // Texts of the five address keys as read, shown unchanged in the communication window.
  QString TableMaxAddrText = hex4(addr::kLastAddress);
  QString ReadStartAddrText = hex4(addr::kFirstAddress);
  QString ReadEndAddrText = hex4(addr::kLastAddress);
  QString WriteStartAddrText = hex4(addr::kFirstAddress);
  QString WriteEndAddrText = hex4(addr::kLastAddress);
  int16_t PartFillStart = 0;
  int16_t PartFillEnd = 0;
  QString EndOfItem = QStringLiteral("*EndOfThisItem*");
  bool InstallPass = false;
  int16_t AppExiting = 0;
  QString CurDataFile;
  QString DefDataFile;
  // The configuration as last opened, saved or read (empty before the first): what the
  // question about unsaved changes compares with.
  std::vector<int32_t> SavedConfig;
  QString LockState;         // "ShowLock" while the channel interface is locked
  // The channel grid's background and selection colours as set up: locking shows the
  // selection in the background colour, unlocking brings its own colour back.
  uint32_t SavedBackColor = kDefaultBackColor;
  uint32_t SavedSelColor = kDefaultSelBackColor;
  int16_t ComNo = 1;
  bool TestModeFlag = false;
};

// Default colours when the settings file names none: black text, red for frequencies
// outside the band (colour numbers are 0x00BBGGRR).
inline constexpr const char* kDefaultDefColor = "0";
inline constexpr const char* kDefaultOverColor = "255";

// A language number as the program uses it: one of Language, anything else English.
inline int16_t validLang(int16_t lang) {
  return (lang >= kLangSimplifiedChinese && lang <= kLangEnglish) ? lang : int16_t(kLangEnglish);
}

}  // namespace k52
