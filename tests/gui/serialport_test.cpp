// The serial ports: the device of each port number, the probe and automatic choice, opening
// for a transfer, the port dialog, the cooperative wait, the serial device on a pseudo-terminal.

#include "gui/frmToolCom.h"
#include "app/comports.h"
#include "support/fakeport.h"
#include "support/guienv.h"
#include "app/langtable.h"
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
    ctx.st.ComNo = 3;
    ctx.st.CurLang = 3;
    InitFaceText(ctx);
    port = useFakePort(ctx, env.clock);
    ctx.views = &views;
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
    return comDevices(env.ctx->ini, system).mid(0, 6);
  };
  EXPECT_EQ(devices(QString(), listed), (listed + QStringList{"", "", ""})) << "no section";
  // COM1 and COM3 named; a named device that the system also lists is not given twice.
  EXPECT_EQ(devices(QStringLiteral("[ports]\ncom1 = /tmp/k52sim\nCOM3=/dev/ttyUSB0\nCOM5=\n"), listed),
            (QStringList{"/tmp/k52sim", "/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyS1", "", ""}));

  QStringList names = {"/dev/ttyUSB10", "/dev/ttyS10", "/dev/ttyS2", "/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyS0"};
  std::sort(names.begin(), names.end(), deviceNameLess);  // natural order
  EXPECT_EQ(names, (QStringList{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB1", "/dev/ttyUSB10"}));
}

TEST_F(Ports, AutoSetPortTakesTheFirstPortThatOpensAndChangesNothingWhenNoneDoes) {
  openable({});
  const QByteArray before = env.readFile(QStringLiteral("minglyc.dll"));
  AutoSetPort(ctx);
  EXPECT_TRUE(ctx.st.ComNo == 3 && env.readFile(QStringLiteral("minglyc.dll")) == before);

  openable({9, 5, 12});
  port->opens.clear();
  AutoSetPort(ctx);
  EXPECT_TRUE(ctx.st.ComNo == 5 && storedCom() == QStringLiteral("5"));
  for (int n = 1; n <= 16; ++n) EXPECT_EQ(ctx.com.ComFlag(n), (n == 5 || n == 9 || n == 12) ? 1 : -1) << n;
  EXPECT_TRUE(port->opens.size() == 16 && port->opens.first() == fake(1) && port->closes == 3) << "every port probed, in order";
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << "a failing probe is silent";
}

// Start-up probes the stored port and looks for another only when it fails.
TEST_F(Ports, StartupKeepsAWorkingStoredPortAndReplacesAFailingOne) {
  env.installProgram(0);
  IniFile ini(env.path(QStringLiteral("minglyc.dll")));
  for (int n = 1; n <= 16; ++n) ini.write(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(n), fake(n));
  ini.write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("9"));
  openable({4, 9});
  InitMultiFrm(ctx);
  EXPECT_TRUE(ctx.st.ComNo == 9 && port->opens == QStringList{fake(9)});

  // The next start, in the main window: the stored 9 is gone. Another port is taken, and
  // the status bar and the error window say which.
  env.setSetting("Language", QStringLiteral("3"));
  AppContext next(env.clock, env.dialogs, env.folder.path());
  useFakePort(next, env.clock)->openable << fake(4) << fake(11);
  const auto w = startMainWindow(next);
  ASSERT_TRUE(w);
  EXPECT_TRUE(next.st.ComNo == 4 && storedCom() == QStringLiteral("4"));
  EXPECT_EQ(w->statusPanelText(1) + w->statusPanelText(2), QStringLiteral("COM9 (/dev/fake9) did not open; now using COM4 (/dev/fake4)COM4"));
  EXPECT_TRUE(next.log.lastProcName() == QStringLiteral("mdifrmMain->AutoSetPort") && next.log.isOpen());
}

TEST_F(Ports, OpenComOpensTheDeviceOfComNoOrShowsThePortDialogAndLogsWhy) {
  openable({3});
  OpenCom(ctx);
  EXPECT_TRUE(!ctx.com.PortError && port->opens.last() == fake(3));
  CloseCom(ctx);
  CloseCom(ctx);  // closing a closed port is no failure
  EXPECT_TRUE(!port->isOpen() && ctx.log.entriesLogged() == 0 && views.toolComShown == 0);

  openable({1});
  const std::tuple<PortFault, int, const char*> cases[] = {{PortFault::NotFound, 68, "no such port"},
                                                           {PortFault::InUse, 68, "in use"},
                                                           {PortFault::PermissionDenied, ErrPermission, "\"dialout\" group"},
                                                           {PortFault::Io, ErrDeviceIo, "COM3 (/dev/fake3)"}};
  for (const auto& [fault, number, hint] : cases) {
    port->fault = fault;
    ctx.com.PortError = false;
    OpenCom(ctx);
    EXPECT_TRUE(ctx.com.PortError && test::lastError(ctx) == test::failure(QStringLiteral("modCommun->OpenCom"), number));
    const QString line = ctx.log.lines().last();
    EXPECT_TRUE(line.contains(QLatin1String(hint)) && line.contains(QStringLiteral("COM3 (/dev/fake3)"))) << line.toStdString();
  }
  EXPECT_EQ(views.toolComShown, 4);
  ctx.st.ComNo = 0;  // a port number outside 1-16 cannot be opened either
  OpenCom(ctx);
  EXPECT_TRUE(ctx.com.PortError && ctx.log.lastNumber() == ErrInvalidProperty);
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
  EXPECT_TRUE(dialog({5}, 0, &frmToolCom::okButton) == QStringLiteral("COM5") && ctx.st.ComNo == 3) << "port 3 is held by another program";
  env.setSetting("COM", QStringLiteral("03"));  // no port opens: OK writes the old number back
  ctx.ini.setPath(env.path(QStringLiteral("minglyc.dll")));
  EXPECT_TRUE(dialog({}, 0, &frmToolCom::okButton).isEmpty() && storedCom() == QStringLiteral("3"));
  EXPECT_EQ(dialog({2, 3, 6}, 6, &frmToolCom::okButton), QStringLiteral("COM2 COM3 COM6"));
  EXPECT_TRUE(ctx.st.ComNo == 6 && storedCom() == QStringLiteral("6"));

  ctx.st.ComNo = 7;  // the port command: the dialog, then the port in the status bar
  ChoosePort(ctx);
  EXPECT_TRUE(views.toolComShown == 1 && views.statusCom == QStringLiteral("COM7"));
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

// (That events run inside a transfer's waits is the communication window's test.)
TEST(Waits, SleepInsteadOfSpinning) {
  CountingClock clock;
  bool fired = false;
  QTimer::singleShot(10, [&] { fired = true; });
  waitCooperatively(clock, 50);
  EXPECT_TRUE(fired) << "the timer fired inside the wait";
  EXPECT_LE(clock.waits, 3) << "a spinning wait would go round thousands of times";
}

// (The bytes it moves are the transfer tests' over a pseudo-terminal.)
TEST(SerialDevice, AppliesTheRadiosLine) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(master >= 0 && grantpt(master) + unlockpt(master) == 0);
  termios t{};  // whatever the line was set to before, opening sets it
  tcgetattr(master, &t);
  cfsetspeed(&t, B38400);
  t.c_cflag |= PARENB | CSTOPB;
  tcsetattr(master, TCSANOW, &t);

  SerialDevice dev;
  ASSERT_TRUE(dev.open(QString::fromLocal8Bit(ptsname(master)))) << dev.lastFaultText().toStdString();
  ASSERT_EQ(tcgetattr(master, &t), 0);
  EXPECT_TRUE(cfgetospeed(&t) == B9600 && cfgetispeed(&t) == B9600) << "9600 baud";
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8)) << "8N1, no flow control";
  EXPECT_EQ((t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP)) | (t.c_lflag & (ICANON | ECHO)), 0u) << "raw";
  dev.close();
  ::close(master);
}

}  // namespace
