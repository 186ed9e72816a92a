#include "screens/look.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void setUpLookAndLanguage(QApplication& app) {
  QFont::insertSubstitution(QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
  QFont ui(QStringLiteral("IPAPGothic"));
  ui.setPointSizeF(10);
  app.setFont(ui);
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  for (const char* catalogue : {"qtbase", "qt"}) {
    auto* t = new QTranslator(&app);
    if (t->load(QLocale(QLocale::Japanese, QLocale::Japan), QString::fromLatin1(catalogue), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
      app.installTranslator(t);
    else
      delete t;
  }
}
