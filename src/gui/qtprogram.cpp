#include "gui/qtprogram.h"

#include "app/appcontext.h"
#include "gui/mdifrmMain.h"
#include "core/clock.h"
#include "platform/systemclock.h"
#include "gui/qtdialogs.h"
#include "platform/serialdevice.h"

#include <QApplication>

namespace k52 {

int runProgram(int argc, char** argv, const std::function<void(mdifrmMain&)>& onStarted) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("k52"));
  // The desktop entry k52.desktop: how the desktop finds the program's name and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("k52"));
  SystemClock clock;
  QtDialogs dialogs;
  AppContext ctx(clock, dialogs, QCoreApplication::applicationDirPath());
  ctx.files = locateProgramFiles(ctx.files.programFolder);
  ctx.port = std::make_unique<SerialDevice>();
  mdifrmMain w(ctx);
  dialogs.setParent(&w);
  if (onStarted) QObject::connect(&w, &mdifrmMain::startupFinished, &w, [&] { onStarted(w); });
  w.show();
  return app.exec();
}

}  // namespace k52
