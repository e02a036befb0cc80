#include "core/inifile.h"

#include "core/k52error.h"
#include "core/recentfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
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

// Reading without regard to case, values trimmed and cut; the first write creates a missing
// file; a batch writes once at its end; a file only read takes writes for the run alone.
TEST(IniFile, ReadsWritesInBatchesAndAReadOnlyFileIsNeverWritten) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("minglyc.dll"));
  IniFile created(path);
  EXPECT_TRUE(created.write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QStringLiteral("1")) && slurp(path) == QByteArray("[Setting]\nFirRun=1\n"));
  spit(path, "; delivered\n[Setting]\nLanguage=1\nEngFont=  Arial Narrow  \nChsFont=宋体\n");
  IniFile ini(path);
  const auto read = [&](const char* section, const char* key) { return ini.read(QLatin1String(section), QLatin1String(key), QStringLiteral("-")); };
  EXPECT_EQ(read("setting", "LANGUAGE") + read("Setting", "COM") + read("Other", "Language") + read("Setting", "ChsFont"), QStringLiteral("1--宋体"));
  EXPECT_EQ(readClean(ini, QStringLiteral("Setting"), QStringLiteral("EngFont"), {}, 9), QStringLiteral("Arial Nar"));
  EXPECT_TRUE(ini.hasSection(QStringLiteral("SETTING")) && !ini.hasSection(QStringLiteral("ChInfo")));
  {
    IniFile::Batch batch(ini);
    ASSERT_TRUE(ini.write(QStringLiteral("Option"), QStringLiteral("3501"), QStringLiteral("4")));
    ASSERT_TRUE(ini.write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("3")));
    EXPECT_TRUE(slurp(path).contains("Language=1") && read("Option", "3501") == QStringLiteral("4")) << "nothing written before the batch ends";
  }
  EXPECT_EQ(slurp(path), QByteArray("; delivered\n[Setting]\nLanguage=3\nEngFont=  Arial Narrow  \nChsFont=宋体\n\n[Option]\n3501=4\n"));
  const QByteArray written = slurp(path);
  ini.setReadOnly(true);
  ASSERT_TRUE(ini.write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("2")));
  IniFile::Batch batch(ini);
  ASSERT_TRUE(ini.write(QStringLiteral("Option"), QStringLiteral("3501"), QStringLiteral("5")) && batch.commit());
  EXPECT_TRUE(read("Setting", "Language") + read("Option", "3501") == QStringLiteral("25") && slurp(path) == written);
}

TEST(IniFile, OneKeyIsSetAndEveryOtherByteOfTheFileStays) {
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {  // text, section, key, text after
      // The value after "=" and its blanks is replaced; the line's spacing and case stay.
      {"[setting]\r\n  com =  1  \r\n", "Setting", "COM", "[setting]\r\n  com =  5\r\n"},
      // The last of two equal keys is the one read, so the one written.
      {"[Setting]\nCOM=1\nCOM=2\n[Ports]\nCOM=9\n", "Setting", "COM", "[Setting]\nCOM=1\nCOM=5\n[Ports]\nCOM=9\n"},
      // A missing key goes after the section's last key, before its blank lines and comments.
      {"\xEF\xBB\xBF[Ports]\nCOM1 = /dev/a\n\n; mine\n[Setting]\nX=1", "Ports", "COM", "\xEF\xBB\xBF[Ports]\nCOM1 = /dev/a\nCOM=5\n\n; mine\n[Setting]\nX=1"},
      {"[ Setting ]\n# COM=3\n", "Setting", "COM", "[ Setting ]\nCOM=5\n# COM=3\n"},
      // A missing section goes at the end, a missing file line end added.
      {"; top\n[Option]\n0=2", "Setting", "COM", "; top\n[Option]\n0=2\n\n[Setting]\nCOM=5\n"},
      {"", "Setting", "COM", "[Setting]\nCOM=5\n"},
  };
  for (const auto& [text, section, key, expected] : cases) EXPECT_EQ(withIniValue(text, {section, key, "5"}), QByteArray(expected)) << text;
}

TEST(IniFile, AWriteKeepsWhatAnotherWriterChangedMeanwhile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("minglyc.dll"));
  spit(path, "[Setting]\nLanguage=2\nCOM=1\n\n[Option]\n0=2\n");
  IniFile program(path);
  // While the program runs: the user adds a port in an editor, a second copy changes the language.
  const QByteArray edited = "[Setting]\nLanguage=2\nCOM = 1   ; by hand\n\n[Option]\n0=2\n\n[Ports]\nCOM1=/dev/radio\n";
  spit(path, edited);
  IniFile second(path);
  ASSERT_TRUE(second.write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("1")) &&
              program.write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("4")));
  EXPECT_EQ(slurp(path), QByteArray(edited).replace("Language=2", "Language=1").replace("COM = 1   ; by hand", "COM = 4"));
  EXPECT_EQ(program.read(QStringLiteral("Ports"), QStringLiteral("COM1"), {}), QStringLiteral("/dev/radio")) << "read from the file as written";
  {
    IniFile::Batch batch(program);
    program.write(QStringLiteral("Option"), QStringLiteral("3501"), QStringLiteral("4"));
    second.write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("3"));
  }
  const IniFile after(path);
  EXPECT_EQ(after.read(QStringLiteral("Setting"), QStringLiteral("Language"), {}) + after.read(QStringLiteral("Option"), QStringLiteral("3501"), {}),
            QStringLiteral("34"));
  // Removed meanwhile: it comes back whole, not as a file of one key.
  const QByteArray last = slurp(path);
  ASSERT_TRUE(QFile::remove(path));
  ASSERT_TRUE(program.write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("5")));
  EXPECT_EQ(slurp(path), QByteArray(last).replace("COM = 4", "COM = 5"));
}

TEST(IniFile, AFileNotReadToItsEndIsNeverWrittenTheChangeHoldsForTheRun) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("minglyc.dll"));
  QByteArray text = "[Setting]\nLanguage=2\nDatNum=8191\n[ChInfo]\n1000=199\n";
  text.insert(text.indexOf("[ChInfo]"), '\0');  // the reader stops here
  text += QByteArray("[Option]\n0=20\n").repeated(50);
  spit(path, text);
  IniFile ini(path);
  EXPECT_FALSE(ini.hasSection(QStringLiteral("ChInfo")) || ini.write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("3")));
  EXPECT_TRUE(slurp(path) == text && ini.read(QStringLiteral("Setting"), QStringLiteral("Language"), {}) == QStringLiteral("3")) << "the file as it was, the value for the run";
  try {
    ini.raiseWriteFailure();
    ADD_FAILURE() << "the refused write is not raised";
  } catch (const K52Error& e) {
    EXPECT_TRUE(e.number() == ErrPathFileAccess && e.source() == path);
  }
  // Mended meanwhile: the next write writes its own key; the earlier change still holds in
  // this run only.
  text.replace('\0', '\n');
  spit(path, text);
  ASSERT_TRUE(ini.write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("2")));
  EXPECT_EQ(slurp(path), QByteArray(text).replace("DatNum=8191\n", "DatNum=8191\nCOM=2\n"));
  EXPECT_EQ(ini.read(QStringLiteral("Setting"), QStringLiteral("Language"), {}) + ini.read(QStringLiteral("ChInfo"), QStringLiteral("1000"), {}), QStringLiteral("3199"));
}

// The File menu's recent files: most recent first, a file again moves to the top (however
// its path is spelt), eight at most, in a section of their own beside the user's settings.
TEST(RecentFiles, NewestFirstEightAtMostInTheirOwnSection) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("minglyc.dll"));
  spit(path, "[Setting]\nLanguage=1\n");
  IniFile ini(path);
  const auto file = [&](int i) { return dir.filePath(QStringLiteral("f%1.dat").arg(i)); };
  const auto names = [&] {
    QStringList v;
    for (const QString& f : recentFiles(IniFile(path))) v << QFileInfo(f).fileName();  // as the file now holds it
    return v.join(QLatin1Char(' '));
  };
  const struct {
    const char* step;
    std::function<bool()> act;
    const char* list;
  } steps[] = {
      {"first", [&] { return addRecentFile(ini, file(1)); }, "f1.dat"},
      {"second on top", [&] { return addRecentFile(ini, file(2)); }, "f2.dat f1.dat"},
      {"again, spelt otherwise", [&] { return addRecentFile(ini, dir.path() + QStringLiteral("/./x/../f1.dat")); }, "f1.dat f2.dat"},
      {"nine files", [&] { bool ok = true; for (int i = 3; i <= 9; ++i) ok = addRecentFile(ini, file(i)) && ok; return ok; }, "f9.dat f8.dat f7.dat f6.dat f5.dat f4.dat f3.dat f1.dat"},
      {"taken off", [&] { return removeRecentFile(ini, file(5)); }, "f9.dat f8.dat f7.dat f6.dat f4.dat f3.dat f1.dat"},
      {"not on the list", [&] { return removeRecentFile(ini, file(2)); }, "f9.dat f8.dat f7.dat f6.dat f4.dat f3.dat f1.dat"},
  };
  for (const auto& s : steps) {
    EXPECT_TRUE(s.act()) << s.step;
    EXPECT_EQ(names(), QString::fromLatin1(s.list)) << s.step;
  }
  const QByteArray text = slurp(path);
  EXPECT_TRUE(text.startsWith("[Setting]\nLanguage=1\n\n[RecentFiles]\nFile1=" + file(9).toUtf8() + "\n") && text.endsWith("File7=" + file(1).toUtf8() + "\nFile8=\n"))
      << text.constData();
}
