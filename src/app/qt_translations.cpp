// Loading Qt's translations.
#include "app/qt_translations.hpp"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vardex {

bool installQtTranslations(QCoreApplication& app) {
  // The program speaks Chinese whatever the desktop's language; a Chinese desktop picks the
  // variant (traditional characters for Taiwan and Hong Kong).
  const QLocale system = QLocale::system();
  const QLocale locale =
      system.language() == QLocale::Chinese
          ? system
          : QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
  const QString folders[] = {
      QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
      QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
  for (const QString& folder : folders) {
    auto* translator = new QTranslator(&app);
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
      QCoreApplication::installTranslator(translator);
      return true;
    }
    delete translator;
  }
  return false;
}

}  // namespace vardex
