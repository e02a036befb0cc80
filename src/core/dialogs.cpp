#include "core/dialogs.h"

#include <QHash>

namespace k52 {

int localeIdOf(const QString& localeName) {
  static const QHash<QString, int> ids = {
      {QStringLiteral("zh_CN"), 2052}, {QStringLiteral("zh_TW"), 1028}, {QStringLiteral("zh_HK"), 3076},
      {QStringLiteral("zh_SG"), 4100}, {QStringLiteral("zh_MO"), 5124}, {QStringLiteral("en_US"), 1033},
      {QStringLiteral("en_GB"), 2057}, {QStringLiteral("en_AU"), 3081}, {QStringLiteral("en_CA"), 4105},
      {QStringLiteral("de_DE"), 1031}, {QStringLiteral("fr_FR"), 1036}, {QStringLiteral("ja_JP"), 1041},
      {QStringLiteral("ko_KR"), 1042}, {QStringLiteral("ru_RU"), 1049}, {QStringLiteral("es_ES"), 3082},
  };
  QString name = localeName;
  const int dot = name.indexOf(QLatin1Char('.'));
  if (dot >= 0) name.truncate(dot);
  name.replace(QLatin1Char('-'), QLatin1Char('_'));
  if (name.compare(QLatin1String("zh_Hans_CN"), Qt::CaseInsensitive) == 0) return 2052;
  if (name.compare(QLatin1String("zh_Hant_TW"), Qt::CaseInsensitive) == 0) return 1028;
  return ids.value(name, 0);
}

}  // namespace k52
