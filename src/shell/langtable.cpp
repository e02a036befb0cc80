#include "shell/langtable.h"

#include "shell/appcontext.h"

namespace k52 {

void InitFaceText(AppContext& ctx) {
  ctx.st.CurLang = validLang(ctx.st.CurLang);
  // The three lists arrive with the interface texts; until then the table stays empty.
}

}  // namespace k52
