#include "support/guienv.h"

#include <QSignalSpy>

namespace k52::test {

std::unique_ptr<mdifrmMain> startMainWindow(AppContext& ctx, QSize size) {
  auto w = std::make_unique<mdifrmMain>(ctx);
  QSignalSpy finished(w.get(), &mdifrmMain::startupFinished);
  if (size.isValid()) w->resize(size);
  w->show();
  if (!finished.wait(10000)) return nullptr;
  return w;
}

}  // namespace k52::test
