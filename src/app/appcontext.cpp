#include "app/appcontext.h"

#include "core/guarded.h"

#include <QDir>

namespace k52 {

AppContext::AppContext(const Clock& clk, Dialogs& dlg, QString folder)
    : clock(clk), dialogs(dlg), files(filesInProgramFolder(folder)), views(&nullViews_), log(clk),
      gridCh_(&memoryGrid_) {}

AppContext::~AppContext() = default;

QString AppContext::programPath(const QString& name) const { return QDir(files.programFolder).filePath(name); }

QString AppContext::dataPath(const QString& name) const { return QDir(files.dataRoot).filePath(name); }

bool writeSetting(AppContext& ctx, const char* procName, const QString& key, const QString& value) {
  if (ctx.ini.write(QStringLiteral("Setting"), key, value)) return true;
  guarded(ctx.log, procName, [&] { ctx.ini.raiseWriteFailure(); });
  return false;
}

void AppContext::setGridCh(Grid* grid) { gridCh_ = grid ? grid : &memoryGrid_; }

}  // namespace k52
