#include "ui/inifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace k52;

namespace {
QByteArray slurp(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void spit(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}
}  // namespace

TEST(IniFile, ReadsWithoutRegardToCaseAndGivesTheDefaultForWhatIsMissing) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("minglyc.dll"));
  spit(path, "; delivered settings\n[Setting]\nLanguage=1\nEngFont=  Arial Narrow  \nChsFont=宋体\n");
  IniFile ini(path);
  EXPECT_EQ(ini.read(QStringLiteral("setting"), QStringLiteral("LANGUAGE"), QStringLiteral("2")), QStringLiteral("1"));
  EXPECT_EQ(ini.read(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("1")), QStringLiteral("1"));
  EXPECT_EQ(ini.read(QStringLiteral("Other"), QStringLiteral("Language"), QStringLiteral("x")), QStringLiteral("x"));
  EXPECT_EQ(ini.read(QStringLiteral("Setting"), QStringLiteral("ChsFont"), {}), QStringLiteral("宋体"));
  EXPECT_EQ(readClean(ini, QStringLiteral("Setting"), QStringLiteral("EngFont"), {}, 9), QStringLiteral("Arial Nar"))
      << "values come trimmed, then cut to the width";
  EXPECT_TRUE(ini.hasSection(QStringLiteral("SETTING")));
  EXPECT_FALSE(ini.hasSection(QStringLiteral("ChInfo")));
}

TEST(IniFile, AMissingFileIsCreatedByTheFirstWriteAWriteKeepsCommentsOrderAndOtherSections) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("minglyc.dll"));
  IniFile created(path);
  ASSERT_TRUE(created.write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QStringLiteral("1")));
  EXPECT_EQ(IniFile(path).read(QStringLiteral("Setting"), QStringLiteral("FirRun"), {}), QStringLiteral("1"));
  spit(path, "; delivered settings\n[Setting]\nFirRun=1\nLanguage=2\n\n[ChInfo]\n3000=199\n");
  IniFile ini(path);
  ASSERT_TRUE(ini.write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("3")));
  const QString text = QString::fromUtf8(slurp(path));
  EXPECT_TRUE(text.startsWith(QStringLiteral("; delivered settings"))) << text.toStdString();
  EXPECT_LT(text.indexOf(QStringLiteral("FirRun=1")), text.indexOf(QStringLiteral("Language=3")));
  EXPECT_TRUE(text.contains(QStringLiteral("3000=199")));
}

TEST(IniFile, ABatchWritesTheFileOnceAtItsEnd) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("minglyc.dll"));
  spit(path, "[Option]\n0=2\n");
  IniFile ini(path);
  {
    IniFile::Batch batch(ini);
    ASSERT_TRUE(ini.write(QStringLiteral("Option"), QStringLiteral("3501"), QStringLiteral("4")));
    ASSERT_TRUE(ini.write(QStringLiteral("Option"), QStringLiteral("3502"), QStringLiteral("5")));
    EXPECT_EQ(slurp(path), QByteArray("[Option]\n0=2\n")) << "nothing written before the batch ends";
    EXPECT_EQ(ini.read(QStringLiteral("Option"), QStringLiteral("3502"), {}), QStringLiteral("5"));
  }
  IniFile again(path);
  EXPECT_EQ(again.read(QStringLiteral("Option"), QStringLiteral("3501"), {}), QStringLiteral("4"));
  EXPECT_EQ(again.read(QStringLiteral("Option"), QStringLiteral("3502"), {}), QStringLiteral("5"));
}
