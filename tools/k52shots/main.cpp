// Screenshots of the program's windows for the README and for checking layouts by eye:
// starts the real main window on a copy of the delivered files, once per language, reads a
// few example channels from the simulated radio k52sim (when it is beside this program)
// through the communication window, and saves a picture of that window, of every tab of
// the settings window, of the Edit menu, of the CSV import's report, of the memory viewer
// and of the error window.
// Usage: k52shots OUTDIR [WIDTHxHEIGHT] [chs|cht|eng ...]   (scripts/screenshots.sh runs it)
// Files: OUTDIR/<lang>-<W>x<H>-tab<N>.png, -editmenu.png, -csvreport.png, -commun.png,
// -many.png (the many-radios window during a run with one radio failing), -memdat.png and
// -errors.png, and the first page of the printed channel list as File -> Print writes it
// into a PDF file where no printer is set up, rendered by pdftoppm (poppler-utils):
// OUTDIR/<lang>-print.png

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

#include <QAction>
#include <QCheckBox>
#include <QTableWidget>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMenuBar>
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
#include <functional>
#include <utility>

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

// The real dialogs, but for the answers the pictures need: the file the next open or save
// dialog would give, and no printer (File -> Print then writes its PDF file, as it does on a
// machine without one).
class ShotDialogs final : public Dialogs {
 public:
  QString nextFile;
  // Runs once the next list of the CSV import is up (and closes it).
  std::function<void(QDialog&)> onList;
  void setParent(QWidget* parent) { qt_.setParent(parent); }

  MsgAnswer messageBox(const QString& p, MsgButtons b, MsgIcon i, const QString& t) override { return qt_.messageBox(p, b, i, t); }
  QString openFileName(const QString& f, const QString& at) override {
    return nextFile.isEmpty() ? qt_.openFileName(f, at) : std::exchange(nextFile, QString());
  }
  QString saveFileName(const QString& f, const QString& at, const QString& suffix) override {
    return nextFile.isEmpty() ? qt_.saveFileName(f, at, suffix) : std::exchange(nextFile, QString());
  }
  bool shellOpen(const QString& path) override { return qt_.shellOpen(path); }
  int systemLocaleId() override { return qt_.systemLocaleId(); }
  std::optional<CustomRangeTexts> customRange(const CustomRangeForm& form) override { return qt_.customRange(form); }
  bool printImage(const QImage& image, const QString& job) override { return qt_.printImage(image, job); }
  bool confirmList(const QString& title, const QString& heading, const QStringList& lines, const QString& yes, const QString& no) override {
    if (auto look = std::exchange(onList, nullptr))
      QTimer::singleShot(300, [look] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) look(*box);
      });
    return qt_.confirmList(title, heading, lines, yes, no);
  }
  bool printerInstalled() override { return false; }
  bool printTable(const PrintedTable& table, const QString& pdf) override { return qt_.printTable(table, pdf); }

 private:
  QtDialogs qt_;
};

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

// A pop-up (a menu, a dialog) over the window it belongs to, in one picture.
void shootOver(QWidget& w, QWidget& popup, const QString& file) {
  if (g_wholeScreen) return shoot(w, file);
  QPixmap picture = w.grab();
  QPainter(&picture).drawPixmap(w.mapFromGlobal(popup.mapToGlobal(QPoint(0, 0))), popup.grab());
  picture.save(file);
  std::printf("%s\n", qPrintable(file));
}

// A channel plan as another program writes it: rows the radio takes, rows it takes changed
// and rows it cannot take (off the raster, outside the band, a tone not in its lists).
constexpr char kCsvPlan[] =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,Mode,Skip\r\n"
    "1,BASE,435.125000,,0.000000,TSQL,88.5,88.5,023,NN,FM,\r\n"
    "2,YARD,435.150000,,0.000000,TSQL,88.5,88.5,023,NN,FM,\r\n"
    "3,RPT1,438.500000,-,7.600000,Tone,123.0,88.5,023,NN,NFM,\r\n"
    "4,RPT-2,438.525000,-,7.600000,Tone,123.0,88.5,023,NN,NFM,\r\n"
    "5,MARINE16,156.800000,,0.000000,,88.5,88.5,023,NN,FM,S\r\n"
    "6,PMR1,446.006250,,0.000000,,88.5,88.5,023,NN,NFM,\r\n"
    "7,SITE,451.275000,,0.000000,TSQL,69.4,69.4,023,NN,FM,\r\n"
    "8,GATE,451.300000,,0.000000,DTCS,88.5,88.5,051,NR,FM,\r\n";

// File -> Import CSV of that plan: a picture of its report, then "Import the rest".
void shootCsvImport(mdifrmMain& w, ShotDialogs& dialogs, const QString& folder, const QString& file) {
  const QString csv = QDir(folder).filePath(QStringLiteral("plan.csv"));
  QFile f(csv);
  if (!f.open(QIODevice::WriteOnly) || f.write(kCsvPlan) != qint64(sizeof kCsvPlan - 1)) return;
  f.close();
  dialogs.nextFile = csv;
  dialogs.onList = [&w, file](QDialog& box) {
    shootOver(w, box, file);
    box.accept();
  };
  w.menuItem(QStringLiteral("mnuFileImportCsv"))->trigger();
}

// File -> Print of the channel table into a PDF file, as where no printer is set up; its
// first page rendered by pdftoppm at 150 dots per inch.
void shootPrintedPage(mdifrmMain& w, ShotDialogs& dialogs, const QString& folder, const QString& file) {
  const QString pdf = QDir(folder).filePath(QStringLiteral("channels.pdf"));
  dialogs.nextFile = pdf;
  w.menuItem(QStringLiteral("mnuPrintFile"))->trigger();
  QString base = file;
  base.chop(4);  // pdftoppm adds ".png"
  const QStringList args{QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-f"), QStringLiteral("1"),
                         QStringLiteral("-singlefile"), pdf, base};
  if (!QFileInfo::exists(pdf) || QProcess::execute(QStringLiteral("pdftoppm"), args) != 0) {
    std::fprintf(stderr, "k52shots: no printed page (the PDF file %s, or pdftoppm of poppler-utils, missing)\n", qPrintable(pdf));
    return;
  }
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
    ShotDialogs dialogs;
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
      // File -> Import CSV of a plan some rows of which the radio cannot take: the report,
      // then "Import the rest"; the Edit menu offers to undo the import, which is undone.
      s->sstabMain()->setCurrentIndex(1);
      shootCsvImport(w, dialogs, folder.path(), prefix + QStringLiteral("-csvreport.png"));
      if (auto* edit = w.findChild<QMenu*>(QStringLiteral("mnuEdit"))) {
        edit->popup(w.menuBar()->mapToGlobal(w.menuBar()->actionGeometry(edit->menuAction()).bottomLeft()));
        settle(50);
        shootOver(w, *edit, prefix + QStringLiteral("-editmenu.png"));
        edit->hide();
      }
      w.menuItem(QStringLiteral("mnuUndo"))->trigger();
      settle(50);
      shootPrintedPage(w, dialogs, folder.path(), QDir(out).filePath(langNames[lang - 1] + QStringLiteral("-print.png")));
    }
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
