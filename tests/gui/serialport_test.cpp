// The serial port layer: which device each port number means, the probe and the automatic
// choice of a port, opening for a transfer, the port dialog, the cooperative wait, and the
// Qt serial device on a pseudo-terminal.

#include "gui/frmToolCom.h"
#include "app/comports.h"
#include "support/fakeport.h"
#include "support/guienv.h"
#include "app/langtable.h"
#include "gui/mdifrmMain.h"
#include "app/startup.h"
#include "core/inifile.h"
#include "core/portlist.h"
#include "platform/serialdevice.h"
#include "platform/systemclock.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace k52;
using namespace k52::test;

namespace {

QString fake(int n) { return QStringLiteral("/dev/fake%1").arg(n); }

// Port 3 stored; every port number named in the settings file, so the system's own ports
// play no part.
class Ports : public ::testing::Test {
 protected:
  void SetUp() override {
    QString s = QStringLiteral("[Setting]\nCOM=3\n[Ports]\n");
    for (int n = 1; n <= 16; ++n) s += QStringLiteral("COM%1=%2\n").arg(n).arg(fake(n));
    env.writeSettings(s);
    ctx.ini.setPath(env.path(QStringLiteral("minglyc.dll")));
    ctx.st.ComNo = 3;
    ctx.st.CurLang = 3;
    InitFaceText(ctx);
    port = usePort(ctx, env.clock);
    ctx.views = &views;
  }
  static FakePort* usePort(AppContext& c, const Clock& clock) {
    auto p = std::make_unique<FakePort>(clock);
    FakePort* raw = p.get();
    c.port = std::move(p);
    return raw;
  }
  void openable(std::initializer_list<int> ns) {
    port->openable.clear();
    for (int n : ns) port->openable << fake(n);
  }
  QString storedCom() const { return env.setting("COM"); }

  TestEnv env;
  AppContext& ctx = *env.ctx;
  FakePort* port = nullptr;
  RecordingViews views;
};

TEST(PortMapping, SettingsNameSomeNumbersTheListedDevicesInNaturalOrderFillTheRest) {
  TestEnv env;
  const QStringList listed = {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"};
  const auto devices = [&](const QString& settings, const QStringList& system) {
    env.writeSettings(settings);
    env.ctx->ini.setPath(env.path(QStringLiteral("minglyc.dll")));
    return comDevices(env.ctx->ini, system).mid(0, 6);
  };
  EXPECT_EQ(devices(QString(), listed), (listed + QStringList{"", "", ""})) << "no section";
  // COM1 and COM3 named; a named device that the system also lists is not given twice.
  EXPECT_EQ(devices(QStringLiteral("[ports]\ncom1 = /tmp/k52sim\nCOM3=/dev/ttyUSB0\nCOM5=\n"), listed),
            (QStringList{"/tmp/k52sim", "/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyS1", "", ""}));
  // A link names the same device as its target.
  const QString link = env.path(QStringLiteral("cable"));
  ASSERT_TRUE(QFile::link(env.path(QStringLiteral("minglyc.dll")), link));
  EXPECT_EQ(devices(QStringLiteral("[Ports]\nCOM2=") + link, {"/dev/ttyS0", env.path(QStringLiteral("minglyc.dll"))}).mid(0, 3),
            (QStringList{"/dev/ttyS0", link, ""}));

  QStringList names = {"/dev/ttyUSB10", "/dev/ttyS10", "/dev/ttyS2", "/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyS0"};
  std::sort(names.begin(), names.end(), deviceNameLess);
  EXPECT_EQ(names, (QStringList{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB1", "/dev/ttyUSB10"}));
  // The order is strict, so the system's list sorts the same way every time.
  EXPECT_FALSE(deviceNameLess(QStringLiteral("/dev/ttyS2"), QStringLiteral("/dev/ttyS2")));
  EXPECT_NE(deviceNameLess(QStringLiteral("/dev/ttyS02"), QStringLiteral("/dev/ttyS2")), deviceNameLess(QStringLiteral("/dev/ttyS2"), QStringLiteral("/dev/ttyS02")));
  const QStringList system = listedSerialDevices();
  EXPECT_TRUE(std::is_sorted(system.begin(), system.end(), deviceNameLess));
}

TEST_F(Ports, AutoSetPortTakesTheFirstPortThatOpensAndChangesNothingWhenNoneDoes) {
  openable({});
  const QByteArray before = env.readFile(QStringLiteral("minglyc.dll"));
  AutoSetPort(ctx);
  EXPECT_EQ(ctx.st.ComNo, 3);
  EXPECT_EQ(env.readFile(QStringLiteral("minglyc.dll")), before);

  openable({9, 5, 12});
  port->opens.clear();
  AutoSetPort(ctx);
  EXPECT_TRUE(ctx.st.ComNo == 5 && storedCom() == QStringLiteral("5"));
  for (int n = 1; n <= 16; ++n) EXPECT_EQ(ctx.com.ComFlag(n), (n == 5 || n == 9 || n == 12) ? 1 : -1) << n;
  EXPECT_TRUE(port->opens.size() == 16 && port->opens.first() == fake(1) && port->closes == 3) << "every port probed, in order";
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << "a failing probe is silent";
  VerdictCom(ctx, 17);
  EXPECT_EQ(ctx.log.lastProcName() + QString::number(port->opens.size()), QStringLiteral("mdifrmMain->VerdictCom16"));
}

// Start-up probes the stored port and looks for another only when it fails.
TEST_F(Ports, StartupKeepsAWorkingStoredPortAndReplacesAFailingOne) {
  env.installProgram(0);
  IniFile ini(env.path(QStringLiteral("minglyc.dll")));
  for (int n = 1; n <= 16; ++n) ini.write(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(n), fake(n));
  ini.write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("9"));
  openable({4, 9});
  InitMultiFrm(ctx);
  EXPECT_EQ(ctx.st.ComNo, 9);
  EXPECT_EQ(port->opens, QStringList{fake(9)});

  // The next start, in the main window: the stored 9 is gone. Another port is taken, and
  // the status bar and the error window say which.
  env.setSetting("Language", QStringLiteral("3"));
  AppContext next(env.clock, env.dialogs, env.folder.path());
  usePort(next, env.clock)->openable << fake(4) << fake(11);
  const auto w = startMainWindow(next);
  ASSERT_TRUE(w);
  EXPECT_TRUE(next.st.ComNo == 4 && storedCom() == QStringLiteral("4"));
  EXPECT_EQ(w->statusPanelText(1), QStringLiteral("COM9 (/dev/fake9) did not open; now using COM4 (/dev/fake4)"));
  EXPECT_EQ(w->statusPanelText(2), QStringLiteral("COM4"));
  EXPECT_TRUE(next.log.lastProcName() == QStringLiteral("mdifrmMain->AutoSetPort") && next.log.isOpen() &&
              next.log.lines().join(QLatin1Char(' ')).contains(QStringLiteral("COM9 (/dev/fake9) did not open - COM4 (/dev/fake4) chosen")));
}

TEST_F(Ports, OpenComOpensTheDeviceOfComNoOrShowsThePortDialogAndLogsWhy) {
  openable({3});
  OpenCom(ctx);
  EXPECT_FALSE(ctx.com.PortError);
  EXPECT_EQ(port->opens.last(), fake(3));
  CloseCom(ctx);
  EXPECT_FALSE(port->isOpen());
  CloseCom(ctx);  // closing a closed port is no failure
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  EXPECT_EQ(views.toolComShown, 0);

  openable({1});
  const std::tuple<PortFault, int, const char*> cases[] = {{PortFault::NotFound, 68, "no such port"},
                                                           {PortFault::InUse, 68, "in use"},
                                                           {PortFault::PermissionDenied, ErrPermission, "\"dialout\" group"},
                                                           {PortFault::Io, ErrDeviceIo, "COM3 (/dev/fake3)"}};
  for (const auto& [fault, number, hint] : cases) {
    port->fault = fault;
    ctx.com.PortError = false;
    OpenCom(ctx);
    EXPECT_TRUE(ctx.com.PortError);
    EXPECT_EQ(test::lastError(ctx), test::failure(QStringLiteral("modCommun->OpenCom"), number));
    const QString line = ctx.log.lines().last();
    EXPECT_TRUE(line.contains(QLatin1String(hint)) && line.contains(QStringLiteral("COM3 (/dev/fake3)"))) << line.toStdString();
  }
  EXPECT_EQ(views.toolComShown, 4);
  ctx.st.ComNo = 0;  // a port number outside 1-16 cannot be opened either
  OpenCom(ctx);
  EXPECT_TRUE(ctx.com.PortError);
  EXPECT_EQ(ctx.log.lastNumber(), ErrInvalidProperty);
}

TEST_F(Ports, TheDialogOffersThePortsThatOpenAndKeepsABusyStoredOneOkStoresTheChoiceCancelNothing) {
  const QByteArray before = env.readFile(QStringLiteral("minglyc.dll"));
  const auto dialog = [&](std::initializer_list<int> open, int click, QPushButton* (frmToolCom::*button)() const) {
    openable(open);
    frmToolCom dlg(ctx);
    dlg.show();
    QStringList offered;
    for (int k = 0; k < 16; ++k)
      if (dlg.COM1(k)->isVisible() && dlg.deviceLabel(k)->text().startsWith(fake(k + 1))) offered << dlg.COM1(k)->text();
    EXPECT_TRUE(dlg.COM1(2)->isChecked()) << "the stored port is the choice, shown or not";
    if (click) QTest::mouseClick(dlg.COM1(click - 1), Qt::LeftButton);
    QTest::mouseClick((dlg.*button)(), Qt::LeftButton);
    EXPECT_FALSE(port->isOpen());
    return offered.join(QLatin1Char(' '));
  };
  EXPECT_EQ(dialog({2, 3, 6}, 2, &frmToolCom::cancelButton), QStringLiteral("COM2 COM3 COM6"));
  EXPECT_EQ(env.readFile(QStringLiteral("minglyc.dll")), before);
  EXPECT_EQ(dialog({5}, 0, &frmToolCom::okButton), QStringLiteral("COM5")) << "port 3 is held by another program";
  EXPECT_EQ(ctx.st.ComNo, 3);
  env.setSetting("COM", QStringLiteral("03"));  // no port opens: OK writes the old number back
  ctx.ini.setPath(env.path(QStringLiteral("minglyc.dll")));
  EXPECT_EQ(dialog({}, 0, &frmToolCom::okButton), QString());
  EXPECT_EQ(storedCom(), QStringLiteral("3"));
  EXPECT_EQ(dialog({2, 3, 6}, 6, &frmToolCom::okButton), QStringLiteral("COM2 COM3 COM6"));
  EXPECT_EQ(ctx.st.ComNo, 6);
  EXPECT_EQ(storedCom(), QStringLiteral("6"));

  ctx.st.ComNo = 7;  // the port command: the dialog, then the port in the status bar
  ChoosePort(ctx);
  EXPECT_EQ(views.toolComShown, 1);
  EXPECT_EQ(views.statusCom, QStringLiteral("COM7"));
}

// The system clock, counting how often the wait sleeps.
class CountingClock final : public Clock {
 public:
  QDateTime now() const override { return real.now(); }
  int64_t tickMs() const override { return real.tickMs(); }
  void waitEvents(int64_t ms, const std::function<bool()>& done) const override {
    ++waits;
    real.waitEvents(ms, done);
  }
  SystemClock real;
  mutable int waits = 0;
};

TEST(Waits, HandleEventsWhileTheyWaitAndSleepInsteadOfSpinning) {
  ManualClock manual;
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  waitCooperatively(manual, 0);
  EXPECT_FALSE(ran) << "zero returns at the first check";
  waitCooperatively(manual, 7);
  EXPECT_TRUE(ran && manual.tickMs() == 7);

  CountingClock clock;
  int64_t firedAt = -1;
  QTimer::singleShot(10, [&] { firedAt = clock.tickMs(); });
  const int64_t t0 = clock.tickMs();
  waitCooperatively(clock, 50);
  const int64_t t1 = clock.tickMs();
  EXPECT_TRUE(firedAt >= t0 && firedAt < t1 && t1 - t0 >= 50) << "the timer fired inside the wait";
  EXPECT_LE(clock.waits, 3) << "a spinning wait would go round thousands of times";
  clock.waits = 0;
  waitCooperatively(clock, 1000, [&] { return clock.tickMs() - t1 >= 0; });
  EXPECT_EQ(clock.waits, 0) << "a wait whose condition holds does not sleep";
}

TEST(SerialDevice, AppliesTheRadiosLineAndMovesRawBytesBothWays) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master) + unlockpt(master), 0);
  termios t{};  // whatever the line was set to before, opening sets it
  tcgetattr(master, &t);
  cfsetspeed(&t, B38400);
  t.c_cflag |= PARENB | CSTOPB;
  tcsetattr(master, TCSANOW, &t);

  TestEnv env;
  SerialDevice dev;
  ASSERT_TRUE(dev.open(QString::fromLocal8Bit(ptsname(master)))) << dev.lastFaultText().toStdString();
  ASSERT_EQ(tcgetattr(master, &t), 0);
  EXPECT_TRUE(cfgetospeed(&t) == B9600 && cfgetispeed(&t) == B9600) << "9600 baud";
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8)) << "8N1, no flow control";
  EXPECT_EQ((t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP)) | (t.c_lflag & (ICANON | ECHO)), 0u) << "raw";

  const QByteArray frame = bytes({0x52, 0x00, 0x0D, 0x0A, 0x11, 0x13, 0xFF});
  ASSERT_TRUE(dev.write(frame));
  pollfd pfd{master, POLLIN, 0};
  ASSERT_EQ(::poll(&pfd, 1, 2000), 1) << "the frame left at once";
  QByteArray got(64, '\0');
  got.truncate(std::max<ssize_t>(::read(master, got.data(), 64), 0));
  EXPECT_EQ(got, frame) << "raw bytes, nothing translated";

  const QByteArray reply = bytes({0x57, 0x0D, 0x00, 0x0A, 0x13});
  SystemClock clock;
  ASSERT_EQ(::write(master, reply.constData(), 5), 5);
  waitCooperatively(clock, 2000, [&] { return dev.bytesWaiting() >= reply.size(); });
  EXPECT_EQ(dev.readAll(), reply);
  ASSERT_EQ(::write(master, reply.constData(), 5), 5);
  waitCooperatively(clock, 20);
  dev.discardReceive();  // what was received and not read is thrown away
  EXPECT_EQ(dev.bytesWaiting(), 0);
  dev.close();
  ::close(master);

  for (const QString& name : {env.path(QStringLiteral("no-such-tty")), QString()}) {
    EXPECT_FALSE(dev.open(name));
    EXPECT_EQ(dev.lastFault(), PortFault::NotFound);
  }
}

}  // namespace
