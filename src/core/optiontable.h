#pragma once
// The radio-wide options: where each selection lives in the image, which values it may take
// and which control shows it on the optional-features page. The options codec and the page
// both work from this one table.

#include "core/addressmap.h"

#include <cstdint>

namespace k52 {

// Selection entries (OptSel 1 ... 23) that have a meaning of their own.
enum OptEntry : int {
  kOptTot = 1,
  kOptSql = 2,
  kOptBeep = 3,
  kOptKeyLock = 4,
  kOptWideBand = 5,
  kOptWorkMode = 6,
  kOptScanMode = 7,
  kOptKeyLig = 8,
  kOptAnVoice = 9,
  kOptChNameShow = 10,
  kOptBatSave = 11,
  kOptRevFre = 12,
  kOptVoxFunc = 13,
  kOptVoxLevel = 14,
  kOptVoxDly = 15,
  kOptPwrOnShowMode = 16,
  kOptRadioOn = 18,
  kOptRadioWorkMode = 20,
  kOptRadioSql = 21,
  kOptRadioMoni = 22,
  kOptRadioNowCh = 23,
};
inline constexpr int kLastOptionEntry = kOptRadioNowCh;

// OptSel entries with a fixed meaning outside the option fields.
inline constexpr int kOptFmStation = 24;    // 24-48: FM stations 1-25, 100 kHz units, 0 = empty
inline constexpr int kOptPowerOnMsg = 50;   // 50-54: power-on message character codes

// How an option is stored.
enum class OptStorage : uint8_t {
  // A byte of its own, 0 ... limit. A larger value is replaced by the default when encoding;
  // when decoding by the default, or (ClampedByte) by the limit itself.
  Byte,
  ClampedByte,
  // Bits of a shared byte: value 1 sets `one`, value 2 sets `two` (two-state options have
  // none); any other value sets `one` when otherIsOne, else nothing. Decoding reverses this;
  // a pattern that is neither maps to 1 when otherIsOne, else to 0.
  Bits,
};

// How the optional-features page shows an option.
enum class OptKind : uint8_t {
  Combo,         // the list position is the value
  CheckNonZero,  // ticked when the entry is not 0
  CheckOne,      // ticked when the entry is 1
};

struct OptionField {
  int entry;
  OptStorage storage;
  int address;
  uint8_t mask;  // Bits: the option's bits; a byte option takes the whole byte
  uint8_t one;
  uint8_t two;
  bool otherIsOne;
  int16_t limit;       // a byte option's highest value
  OptKind kind;
  const char* control;  // the control's name
  int highest;          // the highest value the control's list shows
  int caption;          // language text of the control's label or caption
  const char* itemName; // UTF-8, the item named in a range error of the page ("" for a check box)
};

namespace opt_detail {
constexpr OptionField byteOption(int entry, int address, int16_t limit, bool clamped, const char* control,
                                 int caption, const char* item) {
  return {entry, clamped ? OptStorage::ClampedByte : OptStorage::Byte, address, 0xFF, 0, 0, false, limit,
          OptKind::Combo, control, limit, caption, item};
}
constexpr OptionField bitOption(int entry, int address, uint8_t mask, uint8_t one, uint8_t two, bool otherIsOne,
                                OptKind kind, const char* control, int caption, const char* item) {
  return {entry, OptStorage::Bits, address, mask, one, two, otherIsOne, 0, kind, control, two != 0 ? 2 : 1,
          caption, item};
}
}  // namespace opt_detail

// In the order the page fills its controls: the general options, VOX and power-on display
// (the power-on message follows them), then the FM receiver's.
inline constexpr OptionField kOptionFields[] = {
    opt_detail::byteOption(kOptTot, addr::kTotStep, 9, false, "cboTot", 203, "超时定时器"),
    opt_detail::byteOption(kOptSql, addr::kSquelch, 9, false, "cboSql", 205, "静噪等级(SQL)"),
    opt_detail::bitOption(kOptBeep, addr::kOptBits2, 0x01, 0x01, 0x00, false, OptKind::Combo, "cboBeep", 206, "提示音"),
    opt_detail::bitOption(kOptKeyLock, addr::kOptBits1, 0x04, 0x04, 0x00, false, OptKind::Combo, "cboKeyLock", 209,
                          "锁键方式"),
    opt_detail::bitOption(kOptWorkMode, addr::kOptBits0, 0x03, 0x01, 0x02, true, OptKind::Combo, "cboWorkMode", 212,
                          "工作模式"),
    opt_detail::bitOption(kOptScanMode, addr::kOptBits1, 0x03, 0x01, 0x02, false, OptKind::Combo, "cboScanMode", 216,
                          "扫描模式"),
    opt_detail::bitOption(kOptKeyLig, addr::kOptBits1, 0x30, 0x10, 0x20, true, OptKind::Combo, "cboKeyLig", 220,
                          "背景灯"),
    opt_detail::bitOption(kOptAnVoice, addr::kOptBits2, 0x12, 0x02, 0x12, false, OptKind::Combo, "cboAnVoice", 224,
                          "语音通知"),
    opt_detail::bitOption(kOptChNameShow, addr::kOptBits2, 0x20, 0x20, 0x00, false, OptKind::CheckNonZero,
                          "chkChNameShow", 228, ""),
    opt_detail::bitOption(kOptBatSave, addr::kOptBits2, 0x08, 0x08, 0x00, false, OptKind::CheckNonZero, "chkBatSave",
                          229, ""),
    opt_detail::bitOption(kOptRevFre, addr::kOptBits0, 0x08, 0x08, 0x00, false, OptKind::CheckOne, "chkRevFre", 230, ""),
    opt_detail::bitOption(kOptWideBand, addr::kOptBits0, 0x04, 0x04, 0x00, false, OptKind::CheckOne, "chkWideBand",
                          260, ""),
    opt_detail::bitOption(kOptVoxFunc, addr::kOptBits2, 0x40, 0x40, 0x00, false, OptKind::CheckOne, "chkVoxFunc", 232,
                          ""),
    opt_detail::byteOption(kOptVoxLevel, addr::kVoxLevel, 8, true, "cboVoxLevel", 233, "VOX增益电平"),
    opt_detail::byteOption(kOptVoxDly, addr::kVoxDelay, 5, true, "cboVoxDly", 234, "VOX延迟时间[秒]"),
    opt_detail::bitOption(kOptPwrOnShowMode, addr::kOptBits1, 0xC0, 0x40, 0x80, false, OptKind::Combo,
                          "cboPwrOnShowMode", 242, "显示方式"),
    opt_detail::bitOption(kOptRadioOn, addr::kOptBits0, 0x10, 0x10, 0x00, false, OptKind::CheckOne, "chkRadioOn", 248,
                          ""),
    opt_detail::bitOption(kOptRadioWorkMode, addr::kOptBits0, 0x20, 0x20, 0x00, false, OptKind::Combo,
                          "cboRadioWorkMode", 249, "收音机工作模式"),
    opt_detail::byteOption(kOptRadioSql, addr::kFmSquelch, 9, false, "cboRadioSql", 252, "收音机静噪电平"),
    opt_detail::bitOption(kOptRadioMoni, addr::kOptBits2, 0x04, 0x04, 0x00, false, OptKind::Combo, "cboRadioMoni", 253,
                          "收音机监听"),
    opt_detail::byteOption(kOptRadioNowCh, addr::kFmChannel, 24, false, "cboRadioNowCh", 256, "收音机当前信道"),
};
inline constexpr int kOptionFieldCount = static_cast<int>(sizeof(kOptionFields) / sizeof(kOptionFields[0]));

// The field of an entry, or nullptr when the entry has none.
constexpr const OptionField* optionField(int entry) {
  for (const OptionField& f : kOptionFields)
    if (f.entry == entry) return &f;
  return nullptr;
}

static_assert(kOptionFieldCount == 21);

}  // namespace k52
