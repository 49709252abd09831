// Build helper: writes the program's icon as a PNG for the desktop's icon
// theme. Usage: reparador_icon_png OUTPUT.png
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>

#include "app/reparador.xpm"

int main(int argc, char* argv[]) {
  if (argc != 2) return 2;
  const QImage icon(reparador_xpm);
  return !icon.isNull() && icon.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
