// The user guides delivered beside the program: self-contained pages whose quoted captions
// are the interface's own, each in its own script.

#include "shell/langtable.h"
#include "support/testenv.h"
#include "ui/inifile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

using namespace k52;

namespace {

QString readGuide(const char* name) {
  QFile f(QDir(QStringLiteral(K52_BIN_DIR)).filePath(QString::fromLatin1(name)));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll());
}

// A caption as the user sees it: without the accelerator ("文件(&F)" -> "文件", "&File" -> "File").
QString shown(QString caption) {
  static const QRegularExpression accel(QStringLiteral("\\(&.\\)"));
  return caption.remove(accel).remove(QLatin1Char('&')).trimmed();
}

// Every caption of a language: the language list and the channel grid's texts of the
// delivered settings file.
QSet<QString> captionsOf(int16_t lang) {
  QSet<QString> all;
  const FaceTextList& list = FaceTextListOf(lang);
  for (int n = 0; n <= kFaceTextLast; ++n)
    if (list.isSet(n)) all.insert(shown(list.value(n)));
  IniFile ini(QDir(test::deliveredFolder()).filePath(QStringLiteral("minglyc.dll")));
  for (int key = 1000 * lang; key < 1000 * lang + 1000; ++key)
    for (const QString& part : ini.read(QStringLiteral("ChInfo"), QString::number(key), {}).split(QLatin1Char('|')))
      all.insert(shown(QString(part).remove(QLatin1Char('^'))));
  return all;
}

}  // namespace

TEST(HelpGuides, CaptionsAreTheInterfacesOwnAndPagesStandAlone) {
  const struct {
    const char* file;
    int16_t lang;
    const char* htmlLang;
    QString foreignScript;  // characters of the other Chinese script that must not appear
  } guides[] = {
      {"ChsHelp.html", 1, "zh-CN", QStringLiteral("這個體讀寫開關設資檔對講機頻據")},
      {"ChtHelp.html", 2, "zh-TW", QStringLiteral("这个体读写开关设资档对讲机频据")},
      {"EngHelp.html", 3, "en", QString()},
  };
  static const QRegularExpression uiSpan(QStringLiteral("<span class=\"ui\">([^<]*)</span>"));
  static const QRegularExpression anchor(QStringLiteral("href=\"#([^\"]+)\""));
  for (const auto& g : guides) {
    SCOPED_TRACE(g.file);
    const QString html = readGuide(g.file);
    ASSERT_FALSE(html.isEmpty());
    EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_TRUE(html.contains(QStringLiteral("<html lang=\"%1\">").arg(QLatin1String(g.htmlLang))));
    for (const char* external : {"http:", "https:", "src=", "<link", "url(", "<script"})
      EXPECT_FALSE(html.contains(QLatin1String(external), Qt::CaseInsensitive)) << external;

    const QSet<QString> captions = captionsOf(g.lang);
    int quoted = 0;
    for (auto it = uiSpan.globalMatch(html); it.hasNext(); ++quoted) {
      const QString caption = it.next().captured(1);
      EXPECT_TRUE(captions.contains(caption)) << caption.toStdString();
    }
    EXPECT_GT(quoted, 100);

    for (auto it = anchor.globalMatch(html); it.hasNext();) {
      const QString id = it.next().captured(1);
      EXPECT_TRUE(html.contains(QStringLiteral("id=\"%1\"").arg(id))) << id.toStdString();
    }
    for (QChar c : g.foreignScript) EXPECT_FALSE(html.contains(c)) << QString(c).toStdString();
  }
}
