#include "editor/chmemsetup.h"

#include "errlog/guarded.h"
#include "image/chgrid.h"
#include "image/chmem.h"
#include "image/ctdcs.h"
#include "shell/appcontext.h"

namespace k52 {

void InitChMem(AppContext& ctx) {
  guarded(ctx.log, "frmSysSet->InitChMem", [&] {
    ChInfoInitFace(ctx);
    GenCtdcsList(ctx);
    ReadChInfo(ctx);
    SetChGrid(ctx);
    InitChTable(ctx);
    const Grid& g = ctx.gridCh();
    ctx.st.SavedBackColor = g.backColor();
    ctx.st.SavedSelColor = g.selBackColor();
  });
}

}  // namespace k52
