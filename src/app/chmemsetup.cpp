#include "app/chmemsetup.h"

#include "core/guarded.h"
#include "app/chgrid.h"
#include "app/chmem.h"
#include "app/ctdcs.h"
#include "app/appcontext.h"

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
