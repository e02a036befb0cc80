// One main for every test program. Tests of the core run on a QCoreApplication, tests of
// the logic the windows drive on a QGuiApplication (no widget library), window tests on a
// QApplication; the build says which (K52_TEST_APPLICATION).
#include <gtest/gtest.h>

#include K52_TEST_APPLICATION_HEADER

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  K52_TEST_APPLICATION app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
