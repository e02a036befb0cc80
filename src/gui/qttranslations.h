#pragma once
// Qt's own texts (the buttons of message boxes, the file dialogs) in the interface
// language: Qt's translations for Simplified and Traditional Chinese where they are
// installed, Qt's built-in English otherwise.

#include <cstdint>

namespace k52 {

// Puts Qt's texts into language lang (1 Simplified Chinese, 2 Traditional Chinese,
// 3 English), replacing the translation of an earlier language. True when a translation
// is in use (false for English and where Qt's translation files are not installed).
bool useQtTranslations(int16_t lang);

}  // namespace k52
