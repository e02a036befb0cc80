// The K52 programming software: reads, edits and writes the configuration memory of the
// K52 hand-held radios.

#include "shell/appcontext.h"
#include "shell/mdifrmMain.h"
#include "ui/clock.h"
#include "ui/qtdialogs.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("k52"));
  k52::SystemClock clock;
  k52::QtDialogs dialogs;
  k52::AppContext ctx(clock, dialogs, QCoreApplication::applicationDirPath());
  k52::mdifrmMain w(ctx);
  dialogs.setParent(&w);
  w.show();
  return app.exec();
}
