#include "shell/qtprogram.h"

#include "shell/appcontext.h"
#include "shell/mdifrmMain.h"
#include "ui/clock.h"
#include "ui/systemclock.h"
#include "ui/qtdialogs.h"
#include "ui/serialdevice.h"

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
