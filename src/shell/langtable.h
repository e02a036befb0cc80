#pragma once
// The language table: the interface texts of the current language.

namespace k52 {

struct AppContext;

// Fills SoftFaceText with the list of CurLang (another CurLang becomes 3).
void InitFaceText(AppContext& ctx);

}  // namespace k52
