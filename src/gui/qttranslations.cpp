#include "gui/qttranslations.h"

#include "app/appstate.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace k52 {

bool useQtTranslations(int16_t lang) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return false;
  // One translator, kept by the application and reloaded on each change of language.
  const QString name = QStringLiteral("k52QtTranslations");
  auto* translator = app->findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly);
  if (translator) {
    QCoreApplication::removeTranslator(translator);
  } else {
    translator = new QTranslator(app);
    translator->setObjectName(name);
  }
  const char* locale = lang == kLangSimplifiedChinese ? "zh_CN" : lang == kLangTraditionalChinese ? "zh_TW" : nullptr;
  if (!locale) return false;
  if (!translator->load(QStringLiteral("qtbase_") + QLatin1String(locale), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return false;
  return QCoreApplication::installTranslator(translator);
}

}  // namespace k52
