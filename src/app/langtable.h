#pragma once
// The language table: the interface texts of the current language.
//
// Each language's texts are a list compiled into the program (data/lang/chs.txt, cht.txt,
// eng.txt, resources ":/lang/..."), one "number=text" per line, so a translator edits
// plain text and never code.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace k52 {

struct AppContext;

inline constexpr int kFaceTextLast = 445;  // texts 0-445

// One language's list as read from its file.
struct FaceTextList {
  // The text of each number the list sets; a number it does not set holds no value.
  std::array<std::optional<QString>, kFaceTextLast + 1> text;
  // Lines that could not be taken (no "=", no number, a number outside 0-445, text that
  // is not UTF-8). They are skipped; the first one is what the error log reports.
  int badLines = 0;
  int firstBadLine = 0;  // 1-based line number in the file; 0 for the file as a whole
  int firstBadError = 0;
  QString firstBadReason;
  // Numbers given more than once (the last line counts).
  std::vector<int> repeated;

  bool isSet(int n) const { return n >= 0 && n <= kFaceTextLast && text[static_cast<size_t>(n)].has_value(); }
  // The text of n, or an empty text when the list does not set n.
  QString value(int n) const { return isSet(n) ? *text[static_cast<size_t>(n)] : QString(); }
};

// Reads a list from the bytes of its file.
FaceTextList ParseFaceTextList(const QByteArray& utf8);

// The list of a language (1 Simplified, 2 Traditional, anything else English), read
// from the program's resources on first use and kept for the rest of the run.
const FaceTextList& FaceTextListOf(int16_t lang);

// Fills SoftFaceText with the list of CurLang (another CurLang becomes 3).
void InitFaceText(AppContext& ctx);

// Copies every text the list sets into SoftFaceText; the others keep their value. A list
// with lines it could not take gives one error-log entry.
void ApplyFaceTextList(AppContext& ctx, const FaceTextList& list);

}  // namespace k52
