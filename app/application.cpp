#include "app/application.h"

#include <QtCore/QLibraryInfo>
#include <QtCore/QLocale>
#include <QtCore/QTranslator>
#include <QtGui/QIcon>
#include <QtGui/QPixmap>
#include <QtWidgets/QApplication>

#include "app/reparador.xpm"

namespace app {

QIcon programIcon() { return QIcon(QPixmap(reparador_xpm)); }

void configureApplication(QApplication& application) {
  QApplication::setApplicationName("Reparador");
  QApplication::setApplicationVersion(kVersion);
  QApplication::setDesktopFileName("reparador");
  const QLocale spanish(QLocale::Spanish, QLocale::Spain);
  QLocale::setDefault(spanish);
  // Owned by the application, like every QObject given a parent.
  auto* qtTexts = new QTranslator(&application);
  if (qtTexts->load(spanish, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(qtTexts);
  }
  QApplication::setWindowIcon(programIcon());
}

}  // namespace app
