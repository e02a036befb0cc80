#include "comm/datafiles.h"

#include "errlog/guarded.h"
#include "image/chgrid.h"
#include "image/chmem.h"
#include "image/optcodec.h"
#include "shell/appcontext.h"

#include <QDir>

namespace k52 {

void ShowCurDataFile(AppContext& ctx) { ctx.views->setStatusFile(ctx.text(85) + ctx.st.CurDataFile); }

void GenerateDatFolder(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->GenerateDatFolder", [&] {
    const QString folder = ctx.programPath(QStringLiteral("Data"));
    if (!QDir(folder).exists() && !QDir().mkpath(folder)) raiseError(ErrPathFileAccess, folder);
    ctx.st.DefDataFile = QDir(folder).filePath(QStringLiteral("Untitled.dat"));
    ctx.st.CurDataFile = ctx.st.DefDataFile;
    ShowCurDataFile(ctx);
  });
}

void NewFileSol(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->NewFileSol", [&] {
    InitTempArray(ctx);
    ChInfoSaveSol(ctx, 1);
    ShowChTblGrid(ctx);
    OptNowDefSol(ctx, 2);
    OptSelSaveSol(ctx, 0);
    ctx.views->showOptions();
  });
}

}  // namespace k52
