#include "image/chgrid.h"

#include "errlog/guarded.h"
#include "image/chmem.h"
#include "image/optcodec.h"
#include "shell/appcontext.h"

namespace k52 {

void ChInfoInitFace(AppContext& ctx) {
  guarded(ctx.log, "modChMem->ChInfoInitFace:", [&] { ctx.gridCh().setBackColor(0xF7F7F7); });
}

void SetChGrid(AppContext&) {}
void ShowChTblGrid(AppContext&) {}

void SoftDisplay(AppContext& ctx) {
  guarded(ctx.log, "modChMem->SoftDisplay", [&] {
    ChInfoSaveSol(ctx, 1);
    ShowChTblGrid(ctx);
    OptSelSaveSol(ctx, 1);
    ctx.views->showOptions();
  });
}

}  // namespace k52
