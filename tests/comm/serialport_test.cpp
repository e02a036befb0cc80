// The serial port layer: which device each port number means, the probe and the automatic
// choice of a port, opening for a transfer, the port dialog, and the cooperative wait.

#include "comm/frmToolCom.h"
#include "comm/serialport.h"
#include "fakeport.h"
#include "shell/langtable.h"
#include "shell/startup.h"
#include "support/testenv.h"
#include "ui/inifile.h"
#include "ui/serialdevice.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

using namespace k52;
using namespace k52::test;

namespace {

QString fakeDevice(int n) { return QStringLiteral("/dev/fake%1").arg(n); }

// Every port number named in the settings file, so the system's own ports play no part.
QString portsSection() {
  QString s = QStringLiteral("[Ports]\n");
  for (int n = 1; n <= 16; ++n) s += QStringLiteral("COM%1=%2\n").arg(n).arg(fakeDevice(n));
  return s;
}

class Views final : public AppViews {
 public:
  void showToolCom() override { ++toolComShown; }
  void setStatusCom(const QString& text) override { statusCom = text; }
  int toolComShown = 0;
  QString statusCom;
};

class Ports : public ::testing::Test {
 protected:
  void SetUp() override {
    env.writeSettings(QStringLiteral("[Setting]\nCOM=3\n") + portsSection());
    ctx.ini.setPath(env.path(QStringLiteral("minglyc.dll")));
    ctx.st.ComNo = 3;
    ctx.st.CurLang = 3;
    InitFaceText(ctx);
    auto p = std::make_unique<FakePort>(env.clock);
    port = p.get();
    ctx.port = std::move(p);
    ctx.views = &views;
  }
  QString storedCom() const { return IniFile(env.path(QStringLiteral("minglyc.dll"))).read(QStringLiteral("Setting"), QStringLiteral("COM"), QString()); }
  void openable(std::initializer_list<int> ns) {
    port->openable.clear();
    for (int n : ns) port->openable << fakeDevice(n);
  }

  TestEnv env;
  AppContext& ctx = *env.ctx;
  FakePort* port = nullptr;
  Views views;
};

// ---- Port numbers and devices ----

TEST(PortMapping, SettingsNameSomeNumbersTheListedDevicesFillTheRest) {
  TestEnv env;
  const QStringList listed = {QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS1"), QStringLiteral("/dev/ttyUSB0")};
#ifdef Q_OS_WIN
  const QStringList d = comDevices(env.ctx->ini, listed);
  for (int n = 1; n <= 16; ++n) EXPECT_EQ(d[n - 1], QStringLiteral("COM%1").arg(n));
#else
  // No section: the listed devices in their order, the numbers after them have none.
  QStringList d = comDevices(env.ctx->ini, listed);
  ASSERT_EQ(d.size(), 16);
  EXPECT_EQ(d.mid(0, 4), (QStringList{QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS1"), QStringLiteral("/dev/ttyUSB0"), QString()}));

  // COM1 and COM3 named; a named device that the system also lists is not given twice.
  env.writeSettings(QStringLiteral("[ports]\ncom1 = /tmp/k52sim\nCOM3=/dev/ttyUSB0\nCOM5=\n"));
  env.ctx->ini.setPath(env.path(QStringLiteral("minglyc.dll")));
  d = comDevices(env.ctx->ini, listed);
  EXPECT_EQ(d.mid(0, 6), (QStringList{QStringLiteral("/tmp/k52sim"), QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyUSB0"),
                                      QStringLiteral("/dev/ttyS1"), QString(), QString()}));

  // A link names the same device as its target.
  const QString link = env.path(QStringLiteral("cable"));
  ASSERT_TRUE(QFile::link(env.path(QStringLiteral("minglyc.dll")), link));
  env.writeSettings(QStringLiteral("[Ports]\nCOM2=") + link + QStringLiteral("\n"));
  env.ctx->ini.setPath(env.path(QStringLiteral("minglyc.dll")));
  d = comDevices(env.ctx->ini, {QStringLiteral("/dev/ttyS0"), env.path(QStringLiteral("minglyc.dll"))});
  EXPECT_EQ(d.mid(0, 3), (QStringList{QStringLiteral("/dev/ttyS0"), link, QString()}));
#endif
}

TEST(PortMapping, ListedDevicesSortInNaturalOrder) {
  QStringList names = {QStringLiteral("/dev/ttyUSB10"), QStringLiteral("/dev/ttyS10"), QStringLiteral("/dev/ttyS2"),
                       QStringLiteral("/dev/ttyUSB1"), QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyS0")};
  std::sort(names.begin(), names.end(), deviceNameLess);
  EXPECT_EQ(names, (QStringList{QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS2"),
                                QStringLiteral("/dev/ttyS10"), QStringLiteral("/dev/ttyUSB1"), QStringLiteral("/dev/ttyUSB10")}));
  // The order is strict, so the system's list sorts the same way every time.
  EXPECT_FALSE(deviceNameLess(QStringLiteral("/dev/ttyS2"), QStringLiteral("/dev/ttyS2")));
  EXPECT_NE(deviceNameLess(QStringLiteral("/dev/ttyS02"), QStringLiteral("/dev/ttyS2")),
            deviceNameLess(QStringLiteral("/dev/ttyS2"), QStringLiteral("/dev/ttyS02")));
  const QStringList listed = listedSerialDevices();
  EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end(), deviceNameLess));
}

// ---- Probe and automatic choice ----

TEST_F(Ports, AutoSetPortTakesTheFirstPortThatOpens) {
  openable({9, 5, 12});
  AutoSetPort(ctx);
  EXPECT_EQ(ctx.st.ComNo, 5);
  EXPECT_EQ(storedCom(), QStringLiteral("5"));
  for (int n = 1; n <= 16; ++n) EXPECT_EQ(ctx.com.ComFlag(n), (n == 5 || n == 9 || n == 12) ? 1 : -1) << n;
  EXPECT_EQ(port->opens.size(), 16) << "every port probed, in order";
  EXPECT_EQ(port->opens.first(), fakeDevice(1));
  EXPECT_EQ(port->closes, 3);
  EXPECT_FALSE(port->isOpen());
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << "a failing probe is silent";
}

TEST_F(Ports, AutoSetPortWithNoWorkingPortChangesNothing) {
  openable({});
  const QByteArray before = env.readFile(QStringLiteral("minglyc.dll"));
  AutoSetPort(ctx);
  EXPECT_EQ(ctx.st.ComNo, 3);
  EXPECT_EQ(env.readFile(QStringLiteral("minglyc.dll")), before);
  for (int n = 1; n <= 16; ++n) EXPECT_EQ(ctx.com.ComFlag(n), -1);
}

TEST_F(Ports, VerdictComOutsideOneToSixteenIsLogged) {
  for (int16_t n : {int16_t(0), int16_t(17)}) {
    VerdictCom(ctx, n);
    EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("mdifrmMain->VerdictCom"));
  }
  EXPECT_TRUE(port->opens.isEmpty());
  openable({7});
  VerdictCom(ctx, 7);
  VerdictCom(ctx, 8);
  EXPECT_EQ(ctx.com.ComFlag(7), 1);
  EXPECT_EQ(ctx.com.ComFlag(8), -1);
}

// Start-up probes the stored port and looks for another only when it fails.
TEST_F(Ports, StartupKeepsAWorkingStoredPortAndReplacesAFailingOne) {
  env.installDeliveredFiles();
  IniFile ini(env.path(QStringLiteral("minglyc.dll")));
  ini.write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QStringLiteral("0"));
  for (int n = 1; n <= 16; ++n) ini.write(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(n), fakeDevice(n));

  ini.write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("9"));
  openable({4, 9});
  InitMultiFrm(ctx);
  EXPECT_EQ(ctx.st.ComNo, 9);
  EXPECT_EQ(port->opens, QStringList{fakeDevice(9)});

  TestEnv env2;
  env2.writeFile(QStringLiteral("minglyc.dll"), env.readFile(QStringLiteral("minglyc.dll")));
  env2.writeFile(QStringLiteral("dhcpqec.dll"), env.readFile(QStringLiteral("dhcpqec.dll")));
  auto p = std::make_unique<FakePort>(env2.clock);
  FakePort* port2 = p.get();
  env2.ctx->port = std::move(p);
  port2->openable << fakeDevice(4) << fakeDevice(11);  // the stored 9 is gone
  InitMultiFrm(*env2.ctx);
  EXPECT_EQ(env2.ctx->st.ComNo, 4);
  EXPECT_EQ(IniFile(env2.path(QStringLiteral("minglyc.dll"))).read(QStringLiteral("Setting"), QStringLiteral("COM"), QString()),
            QStringLiteral("4"));
}

// ---- Opening for a transfer ----

TEST_F(Ports, OpenComOpensTheDeviceOfComNo) {
  openable({3});
  OpenCom(ctx);
  EXPECT_FALSE(ctx.com.PortError);
  EXPECT_TRUE(port->isOpen());
  EXPECT_EQ(port->opens.last(), fakeDevice(3));
  EXPECT_EQ(views.toolComShown, 0);
  CloseCom(ctx);
  EXPECT_FALSE(port->isOpen());
  CloseCom(ctx);  // closing a closed port is no failure
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(Ports, OpenComFailureShowsThePortDialogAndLogsWhy) {
  openable({1});
  struct Case {
    PortFault fault;
    int number;
    const char* hint;
  };
  for (const Case& c : {Case{PortFault::NotFound, 68, "no such port"}, Case{PortFault::InUse, 68, "in use"},
                        Case{PortFault::PermissionDenied, ErrPermission, "\"dialout\" group"}, Case{PortFault::Io, ErrDeviceIo, "COM3"}}) {
    port->fault = c.fault;
    const int shown = views.toolComShown;
    ctx.com.PortError = false;
    OpenCom(ctx);
    EXPECT_TRUE(ctx.com.PortError);
    EXPECT_EQ(views.toolComShown, shown + 1);
    EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modCommun->OpenCom"));
    EXPECT_EQ(ctx.log.lastNumber(), c.number);
    EXPECT_TRUE(ctx.log.lines().last().contains(QString::fromLatin1(c.hint))) << ctx.log.lines().last().toStdString();
    EXPECT_TRUE(ctx.log.lines().last().contains(QStringLiteral("COM3 (/dev/fake3)"))) << ctx.log.lines().last().toStdString();
  }
  // A port number outside 1-16 cannot be opened either.
  ctx.st.ComNo = 0;
  OpenCom(ctx);
  EXPECT_TRUE(ctx.com.PortError);
  EXPECT_EQ(ctx.log.lastNumber(), ErrInvalidProperty);
}

// ---- The port dialog ----

TEST_F(Ports, DialogOffersThePortsThatOpenAndOkStoresTheChoice) {
  openable({2, 3, 6});
  ctx.st.ComNo = 3;
  frmToolCom dlg(ctx);
  dlg.show();
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Communication Port"));
  EXPECT_EQ(dlg.okButton()->text(), QStringLiteral("OK"));
  EXPECT_EQ(dlg.cancelButton()->text(), QStringLiteral("Cancel"));
  for (int k = 0; k < 16; ++k) {
    const bool offered = k == 1 || k == 2 || k == 5;
    EXPECT_EQ(dlg.COM1(k)->isVisible(), offered) << k;
    EXPECT_EQ(dlg.COM1(k)->text(), QStringLiteral("COM%1").arg(k + 1));
    EXPECT_EQ(dlg.deviceLabel(k)->isVisible(), offered);
  }
  EXPECT_TRUE(dlg.deviceLabel(5)->text().startsWith(fakeDevice(6)));
  EXPECT_TRUE(dlg.COM1(2)->isChecked());
  EXPECT_FALSE(port->isOpen());

  QTest::mouseClick(dlg.COM1(5), Qt::LeftButton);
  QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(ctx.st.ComNo, 6);
  EXPECT_EQ(storedCom(), QStringLiteral("6"));
}

TEST_F(Ports, DialogCancelAfterAnotherChoiceChangesNothing) {
  openable({2, 3, 6});
  const QByteArray before = env.readFile(QStringLiteral("minglyc.dll"));
  frmToolCom dlg(ctx);
  dlg.show();
  QTest::mouseClick(dlg.COM1(1), Qt::LeftButton);
  ASSERT_TRUE(dlg.COM1(1)->isChecked());
  QTest::mouseClick(dlg.cancelButton(), Qt::LeftButton);
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(ctx.st.ComNo, 3);
  EXPECT_EQ(env.readFile(QStringLiteral("minglyc.dll")), before);
}

TEST_F(Ports, DialogKeepsAStoredPortThatIsBusyAndWritesTheOldNumberWhenNoneOpens) {
  // Port 3 is held by another program: hidden, yet still the choice.
  openable({5});
  {
    frmToolCom dlg(ctx);
    dlg.show();
    EXPECT_FALSE(dlg.COM1(2)->isVisible());
    EXPECT_TRUE(dlg.COM1(2)->isChecked());
    QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
    EXPECT_EQ(ctx.st.ComNo, 3);
  }
  // No port opens: nothing offered, OK writes the old number back.
  openable({});
  IniFile(env.path(QStringLiteral("minglyc.dll"))).write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("03"));
  ctx.ini.setPath(env.path(QStringLiteral("minglyc.dll")));
  frmToolCom dlg(ctx);
  dlg.show();
  for (int k = 0; k < 16; ++k) EXPECT_FALSE(dlg.COM1(k)->isVisible());
  QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
  EXPECT_EQ(ctx.st.ComNo, 3);
  EXPECT_EQ(storedCom(), QStringLiteral("3"));
}

TEST_F(Ports, PortCommandShowsTheDialogThenThePortInTheStatusBar) {
  ctx.st.ComNo = 7;
  ChoosePort(ctx);
  EXPECT_EQ(views.toolComShown, 1);
  EXPECT_EQ(views.statusCom, QStringLiteral("COM7"));
}

// ---- The cooperative wait ----

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

TEST(DelayNms, ZeroReturnsAtTheFirstCheck) {
  TestEnv env;
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  DelayNms(*env.ctx, 0);
  EXPECT_EQ(env.clock.tickMs(), 0);
  EXPECT_FALSE(ran) << "no events were handled";
  DelayNms(*env.ctx, 7);
  EXPECT_EQ(env.clock.tickMs(), 7);
  EXPECT_TRUE(ran);
  QCoreApplication::processEvents();
}

TEST(DelayNms, FiftyMillisecondsLetATimerFireAndSleepMeanwhile) {
  CountingClock clock;
  ScriptedDialogs dialogs;
  QTemporaryDir dir;
  AppContext ctx(clock, dialogs, dir.path());
  int64_t firedAt = -1;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, [&] { firedAt = clock.tickMs(); });
  const int64_t t0 = clock.tickMs();
  timer.start(10);
  DelayNms(ctx, 50);
  const int64_t t1 = clock.tickMs();
  EXPECT_GE(firedAt, t0) << "the timer fired inside the wait";
  EXPECT_LT(firedAt, t1);
  EXPECT_GE(t1 - t0, 50);
  // A spinning wait would go round thousands of times; this one sleeps until its deadline.
  EXPECT_LE(clock.waits, 3);
}

// ---- The Qt serial device on a pseudo-terminal ----

#ifdef Q_OS_UNIX
TEST(SerialDevice, AppliesTheRadiosLineAndMovesBytesBothWays) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const QString slave = QString::fromLocal8Bit(ptsname(master));
  // Whatever the line was set to before, opening sets it.
  termios before{};
  tcgetattr(master, &before);
  cfsetspeed(&before, B38400);
  before.c_cflag |= PARENB | CSTOPB;
  tcsetattr(master, TCSANOW, &before);

  TestEnv env;
  SerialDevice dev;
  ASSERT_TRUE(dev.open(slave)) << dev.lastFaultText().toStdString();
  termios t{};
  ASSERT_EQ(tcgetattr(master, &t), 0);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);

  const QByteArray frame = bytes({0x52, 0x00, 0x0D, 0x0A, 0x11, 0x13, 0xFF});
  ASSERT_TRUE(dev.write(frame));
  pollfd pfd{master, POLLIN, 0};
  ASSERT_EQ(::poll(&pfd, 1, 2000), 1) << "the frame left at once";
  QByteArray got(64, '\0');
  const ssize_t n = ::read(master, got.data(), static_cast<size_t>(got.size()));
  EXPECT_EQ(got.left(static_cast<int>(std::max<ssize_t>(n, 0))), frame) << "raw bytes, nothing translated";

  const QByteArray reply = bytes({0x57, 0x0D, 0x00, 0x0A, 0x13});
  ASSERT_EQ(::write(master, reply.constData(), static_cast<size_t>(reply.size())), reply.size());
  SystemClock clock;
  ScriptedDialogs dialogs;
  AppContext ctx(clock, dialogs, env.folder.path());
  for (int i = 0; i < 100 && dev.bytesWaiting() < reply.size(); ++i) DelayNms(ctx, 1);
  EXPECT_EQ(dev.readAll(), reply);

  // What was received and not read is thrown away by discard.
  ASSERT_EQ(::write(master, reply.constData(), static_cast<size_t>(reply.size())), reply.size());
  DelayNms(ctx, 20);
  dev.discardReceive();
  EXPECT_EQ(dev.bytesWaiting(), 0);
  dev.close();
  EXPECT_FALSE(dev.isOpen());
  ::close(master);

  EXPECT_FALSE(dev.open(env.path(QStringLiteral("no-such-tty"))));
  EXPECT_EQ(dev.lastFault(), PortFault::NotFound);
  EXPECT_FALSE(dev.open(QString()));
  EXPECT_EQ(dev.lastFault(), PortFault::NotFound);
}
#endif

}  // namespace
