// Screenshots of the program's windows for the README and for checking layouts by eye:
// starts the real main window on a copy of the delivered files, once per language, and
// saves a picture of every tab of the settings window.
// Usage: k52shots OUTDIR [WIDTHxHEIGHT]   (scripts/screenshots.sh runs it)

#include "editor/frmSysSet.h"
#include "shell/appcontext.h"
#include "shell/mdifrmMain.h"
#include "ui/clock.h"
#include "ui/inifile.h"
#include "ui/qtdialogs.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace k52;

namespace {

bool copyDelivered(const QString& from, const QString& to) {
  for (const char* name : {"minglyc.dll", "dhcpqec.dll"}) {
    const QString src = QDir(from).filePath(QString::fromLatin1(name));
    if (!QFile::copy(src, QDir(to).filePath(QString::fromLatin1(name)))) return false;
  }
  return true;
}

void settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: k52shots OUTDIR [WIDTHxHEIGHT]\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QSize size(1024, 720);
  if (argc > 2) {
    const QStringList wh = QString::fromLatin1(argv[2]).split(QLatin1Char('x'));
    if (wh.size() == 2) size = QSize(wh[0].toInt(), wh[1].toInt());
  }
  QDir().mkpath(out);
  const char* langNames[3] = {"chs", "cht", "eng"};
  for (int lang = 1; lang <= 3; ++lang) {
    QTemporaryDir folder;
    if (!copyDelivered(QCoreApplication::applicationDirPath(), folder.path())) {
      std::fprintf(stderr, "delivered files missing beside k52shots\n");
      return 1;
    }
    IniFile ini(QDir(folder.path()).filePath(QStringLiteral("minglyc.dll")));
    ini.write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QStringLiteral("0"));
    ini.write(QStringLiteral("Setting"), QStringLiteral("Language"), QString::number(lang));
    SystemClock clock;
    QtDialogs dialogs;
    AppContext ctx(clock, dialogs, folder.path());
    mdifrmMain w(ctx);
    w.resize(size);
    w.show();
    QEventLoop started;
    QObject::connect(&w, &mdifrmMain::startupFinished, &started, &QEventLoop::quit);
    started.exec();
    settle(100);
    const QString prefix = QDir(out).filePath(QStringLiteral("%1-%2x%3").arg(QString::fromLatin1(langNames[lang - 1])).arg(size.width()).arg(size.height()));
    if (frmSysSet* s = w.settingsWindow()) {
      for (int tab = 0; tab < s->sstabMain()->count(); ++tab) {
        s->sstabMain()->setCurrentIndex(tab);
        settle(50);
        const QString file = prefix + QStringLiteral("-tab%1.png").arg(tab);
        w.grab().save(file);
        std::printf("%s\n", qPrintable(file));
      }
    }
    ctx.st.InstallPass = true;  // close without the exit question
    w.close();
  }
  return 0;
}
