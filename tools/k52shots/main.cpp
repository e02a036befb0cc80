// Screenshots of the program's windows for the README and for checking layouts by eye:
// starts the real main window on a copy of the delivered files, once per language, reads a
// few example channels from the simulated radio k52sim (when it is beside this program)
// through the communication window, and saves a picture of that window, of every tab of
// the settings window, of the memory viewer and of the error window.
// Usage: k52shots OUTDIR [WIDTHxHEIGHT] [chs|cht|eng ...]   (scripts/screenshots.sh runs it)
// Files: OUTDIR/<lang>-<W>x<H>-tab<N>.png, -commun.png, -many.png (the many-radios window
// during a run with one radio failing), -memdat.png and -errors.png, and the
// first page of the printed channel list, OUTDIR/<lang>-print.png

#include "gui/frmCommun.h"
#include "gui/frmManyRadios.h"
#include "gui/frmMemDat.h"
#include "app/chgridedit.h"
#include "gui/frmSysSet.h"
#include "core/addressmap.h"
#include "app/chgrid.h"
#include "app/chmem.h"
#include "app/appcontext.h"
#include "gui/mdifrmMain.h"
#include "app/startup.h"
#include "core/clock.h"
#include "platform/systemclock.h"
#include "core/dialogs.h"
#include "core/inifile.h"
#include "gui/qtdialogs.h"
#include "platform/serialdevice.h"
#include "app/chcodec.h"
#include "app/printedchannels.h"
#include "gui/qtprintedtable.h"

#include <QAction>
#include <QCheckBox>
#include <QTableWidget>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
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
  for (const char* guide : {"ChsHelp.html", "ChtHelp.html", "EngHelp.html"})
    QFile::copy(QDir(from).filePath(QString::fromLatin1(guide)), QDir(to).filePath(QString::fromLatin1(guide)));
  return true;
}

// The first page of the printed channel list as paper shows it: A4 landscape at 150 dots per
// inch with 12 mm margins, painted as the printer and the PDF file are.
void shootPrintedPage(AppContext& ctx, const QString& file) {
  constexpr double kDpi = 150, kMm = kDpi / 25.4;
  const QSize paper(qRound(297 * kMm), qRound(210 * kMm));
  const int margin = qRound(12 * kMm);
  QImage page(paper - QSize(2 * margin, 2 * margin), QImage::Format_RGB32);
  page.setDotsPerMeterX(qRound(kDpi / 0.0254));
  page.setDotsPerMeterY(qRound(kDpi / 0.0254));
  page.fill(Qt::white);
  QImage sheet(paper, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  bool first = true;
  QPainter painter(&page);
  painter.setRenderHint(QPainter::Antialiasing);
  paintTable(painter, printedChannelList(ctx), [&] {
    if (first) QPainter(&sheet).drawImage(margin, margin, page);
    first = false;
  });
  painter.end();
  if (first) QPainter(&sheet).drawImage(margin, margin, page);
  sheet.save(file);
  std::printf("%s\n", qPrintable(file));
}

void settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Channels as a dealer might set up a radio; grid columns 1 RX, 2 TX, 3 and 4 tones, 8 name.
struct ExampleChannel {
  const char* rx;
  const char* tx;    // nullptr: as RX
  const char* tone;  // decode and encode, as the tone list shows it; nullptr: none
  const char* name;
};
const ExampleChannel kExample[] = {
    {"435.125", nullptr, "88.5", "BASE"},  {"435.150", nullptr, "88.5", "YARD"},
    {"438.500", "430.900", "123.0", "RPT1"}, {"446.005", nullptr, nullptr, "PMR1"},
    {"446.020", nullptr, nullptr, "PMR2"}, {"451.275", nullptr, "D023N", "GATE"},
    {"462.5625", nullptr, "67.0", "SITE"},
};

int16_t toneIndex(const AppContext& ctx, const char* text) {
  for (int16_t i = 0; i <= ctx.st.CtcDcsMax; ++i)
    if (ctx.tones.CtdcsList(i) == QLatin1String(text)) return i;
  return 0;
}

// The image the example channels give when typed into the channel grid as a user would,
// in a program without windows on the same settings file.
QByteArray exampleRadio(const QString& folder) {
  SystemClock clock;
  NeverAskDialogs dialogs;
  AppContext ctx(clock, dialogs, folder);
  InitMultiFrm(ctx);
  Grid& g = ctx.gridCh();
  int16_t n = 0;
  for (const ExampleChannel& c : kExample) {
    ++n;
    g.setText(n, 1, QString::fromLatin1(c.rx));
    vsfgGridCh_AfterEdit(ctx, n, 1);
    if (c.tx) {
      g.setText(n, 2, QString::fromLatin1(c.tx));
      vsfgGridCh_AfterEdit(ctx, n, 2);
    }
    if (c.tone) {
      ctx.ch.ChInfo(n, 3) = ctx.ch.ChInfo(n, 4) = toneIndex(ctx, c.tone);
      CtdcsDecShow(ctx, n);
      CtdcsEncShow(ctx, n);
    }
    g.setText(n, 8, QString::fromLatin1(c.name));
    vsfgGridCh_AfterEdit(ctx, n, 8);
  }
  SetConvIicDat(ctx);
  return ctx.IicDat.toByteArray();
}

// On a screen of the pictures' size the picture is of the whole screen, as the user sees it
// (what does not fit is not in it); otherwise of the window alone.
bool g_wholeScreen = false;

void shoot(QWidget& w, const QString& file) {
  if (g_wholeScreen)
    w.screen()->grabWindow(0).save(file);
  else
    w.grab().save(file);
  std::printf("%s\n", qPrintable(file));
}

// The simulated radio holding `image`, reachable at `link`; nullptr when k52sim is missing.
std::unique_ptr<QProcess> startRadio(const QString& folder, const QByteArray& image, const QString& link,
                                     const QStringList& faults = {}) {
  const QString sim = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("k52sim"));
  if (!QFileInfo(sim).isExecutable()) return nullptr;
  const QString imageFile = QDir(folder).filePath(QStringLiteral("radio.bin"));
  QFile f(imageFile);
  if (!f.open(QIODevice::WriteOnly) || f.write(image) != image.size()) return nullptr;
  f.close();
  auto p = std::make_unique<QProcess>();
  p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p->start(sim, QStringList{QStringLiteral("--fast"), QStringLiteral("--image"), imageFile, QStringLiteral("--link"), link} + faults);
  if (!p->waitForStarted(5000) || !p->waitForReadyRead(5000)) return nullptr;
  return p;
}

// Program -> Read, then the window's Read button; the picture is taken halfway through the
// read, and the window closed when it is done.
void readAndShoot(mdifrmMain& w, const QString& file) {
  QTimer::singleShot(300, &w, [&w, file] {
    auto* commun = w.findChild<frmCommun*>();
    if (!commun) return;
    bool shot = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      // A failed read shows its message box; answer it rather than wait for a user.
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        std::fprintf(stderr, "k52shots: the read said: %s\n", qPrintable(box->text()));
        box->accept();
      }
      if (!shot && commun->prgCommunicate()->value() >= 45) {
        shot = true;
        shoot(*commun, file);
      }
    });
    watch.start(10);
    if (commun->cmdRead()->isVisible()) commun->cmdRead_Click();
    watch.stop();
    if (!shot) std::fprintf(stderr, "k52shots: the read ended before the picture of the window\n");
    commun->reject();
  });
  w.menuItem(QStringLiteral("mnuReadFre"))->trigger();
}

// Program -> Program Many Radios on the radios at links, the last of them answering nothing;
// the picture is taken once that one has failed while the others are still being written.
void manyAndShoot(mdifrmMain& w, const QStringList& links, const QString& file) {
  frmManyRadios* many = showManyRadios(w.context(), &w);
  settle(300);
  QTableWidget* t = many->tblPorts();
  for (const QString& link : links)
    if (const int row = many->rowOf(link); row >= 0)
      if (auto* tick = qobject_cast<QCheckBox*>(t->cellWidget(row, frmManyRadios::ColPort))) tick->setChecked(true);
  many->cmdStart()->click();
  const int failing = many->rowOf(links.back()), writing = many->rowOf(links.front());
  if (failing < 0 || writing < 0) {
    std::fprintf(stderr, "k52shots: the radios are not in the many-radios window\n");
    return;
  }
  const auto progress = [&] { return qobject_cast<QProgressBar*>(t->cellWidget(writing, frmManyRadios::ColProgress))->value(); };
  for (int waited = 0; waited < 60000 && (t->item(failing, frmManyRadios::ColResult)->text().isEmpty() || progress() < 30); waited += 50)
    settle(50);
  settle(50);
  shoot(*many, file);
  for (int waited = 0; waited < 60000 && many->anyRunning(); waited += 50) settle(50);
  many->close();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: k52shots OUTDIR [WIDTHxHEIGHT] [chs|cht|eng ...]\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QSize size(1024, 720);
  if (argc > 2) {
    const QStringList wh = QString::fromLatin1(argv[2]).split(QLatin1Char('x'));
    if (wh.size() == 2) size = QSize(wh[0].toInt(), wh[1].toInt());
  }
  const QStringList langNames{QStringLiteral("chs"), QStringLiteral("cht"), QStringLiteral("eng")};
  QStringList wanted;
  for (int i = 3; i < argc; ++i) wanted << QString::fromLatin1(argv[i]);
  if (wanted.isEmpty()) wanted = langNames;
  QDir().mkpath(out);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) g_wholeScreen = screen->size() == size;
  for (int lang = 1; lang <= 3; ++lang) {
    if (!wanted.contains(langNames[lang - 1])) continue;
    QTemporaryDir folder;
    if (!copyDelivered(QCoreApplication::applicationDirPath(), folder.path())) {
      std::fprintf(stderr, "delivered files missing beside k52shots\n");
      return 1;
    }
    const QString link = QDir(folder.path()).filePath(QStringLiteral("radio-tty"));
    IniFile ini(QDir(folder.path()).filePath(QStringLiteral("minglyc.dll")));
    ini.write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QStringLiteral("0"));
    ini.write(QStringLiteral("Setting"), QStringLiteral("Language"), QString::number(lang));
    ini.write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("1"));
    ini.write(QStringLiteral("Ports"), QStringLiteral("COM1"), link);
    const QStringList manyLinks{link, link + QStringLiteral("-2"), link + QStringLiteral("-3")};
    ini.write(QStringLiteral("Ports"), QStringLiteral("COM2"), manyLinks[1]);
    ini.write(QStringLiteral("Ports"), QStringLiteral("COM3"), manyLinks[2]);
    // The radio first, so that the program's start finds it on COM1.
    std::unique_ptr<QProcess> radio = startRadio(folder.path(), exampleRadio(folder.path()), link);
    if (!radio) std::fprintf(stderr, "k52sim not found beside k52shots: no communication window, no example channels\n");
    SystemClock clock;
    QtDialogs dialogs;
    AppContext ctx(clock, dialogs, folder.path());
    ctx.port = std::make_unique<SerialDevice>();
    mdifrmMain w(ctx);
    dialogs.setParent(&w);
    w.resize(size);
    w.show();
    QEventLoop started;
    QObject::connect(&w, &mdifrmMain::startupFinished, &started, &QEventLoop::quit);
    started.exec();
    settle(100);
    const QString prefix = QDir(out).filePath(
        QStringLiteral("%1-%2x%3").arg(langNames[lang - 1]).arg(size.width()).arg(size.height()));

    if (radio) readAndShoot(w, prefix + QStringLiteral("-commun.png"));
    // Two more radios on COM2 and COM3 for the many-radios window; the one on COM3 loses
    // its first seven replies.
    std::unique_ptr<QProcess> more[2];
    if (radio) {
      for (int i = 0; i < 2; ++i) {
        QStringList faults;
        if (i == 1) faults << QStringLiteral("--fault-at") << QStringLiteral("1:lost,2:lost,3:lost,4:lost,5:lost,6:lost,7:lost");
        more[i] = startRadio(folder.path(), exampleRadio(folder.path()), manyLinks[i + 1], faults);
      }
      manyAndShoot(w, manyLinks, prefix + QStringLiteral("-many.png"));
      for (auto& p : more)
        if (p) {
          p->terminate();
          p->waitForFinished(5000);
        }
    }

    if (frmSysSet* s = w.settingsWindow()) {
      for (int tab = 0; tab < s->sstabMain()->count(); ++tab) {
        s->sstabMain()->setCurrentIndex(tab);
        settle(50);
        shoot(w, prefix + QStringLiteral("-tab%1.png").arg(tab));
      }
      // The end of the options page, reached by scrolling: the FM stations, "Clear", "Print".
      if (auto* area = s->findChild<QScrollArea*>(QStringLiteral("scrOption")); area && g_wholeScreen) {
        s->sstabMain()->setCurrentIndex(2);
        area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
        area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
        settle(50);
        shoot(w, prefix + QStringLiteral("-tab2-end.png"));
      }
      // The Edit menu, with a step to undo: a channel typed into the grid's first empty row.
      s->sstabMain()->setCurrentIndex(1);
      for (int n = 1; n <= w.context().ch.ChCount; ++n)
        if (w.context().ch.ChInfo(n, kFieldRx) == -1) {
          w.context().gridCh().setText(n, kFieldRx, QStringLiteral("438.5"));
          vsfgGridCh_AfterEdit(w.context(), n, kFieldRx);
          w.configurationEdited(QString());
          break;
        }
      if (auto* edit = w.findChild<QMenu*>(QStringLiteral("mnuEdit"))) {
        edit->popup(w.mapToGlobal(QPoint(40, 40)));
        settle(50);
        shoot(*edit, prefix + QStringLiteral("-editmenu.png"));
        edit->hide();
      }
    }
    shootPrintedPage(ctx, QDir(out).filePath(langNames[lang - 1] + QStringLiteral("-print.png")));
    // The memory viewer of test mode, filled from the image as read.
    w.showMemDat();
    if (frmMemDat* m = w.memDatWindow()) {
      m->showMaximized();
      m->cmdFillGrid_Click();
      settle(50);
      shoot(w, prefix + QStringLiteral("-memdat.png"));
      m->hide();
      if (frmSysSet* sys = w.settingsWindow()) sys->showMaximized();
    }
    // The guide in the program's own help window.
    w.Help();
    settle(100);
    if (auto* help = w.findChild<QWidget*>(QStringLiteral("frmHelp")); help && help->isVisible()) {
      shoot(*help, prefix + QStringLiteral("-help.png"));
      help->close();
    }
    // The error window as a user meets it: a channel whose receive frequency holds a digit
    // that is no decimal digit is logged when the image is shown again.
    ctx.IicDat.at(addr::channelRecord(2) + 3) = 0x4A;  // the top byte of channel 2's RX frequency
    SoftDisplay(ctx);
    settle(50);
    shoot(w, prefix + QStringLiteral("-errors.png"));
    if (radio) {
      radio->terminate();
      radio->waitForFinished(5000);
    }
    ctx.st.InstallPass = true;  // close without the exit question
    w.close();
  }
  return 0;
}
