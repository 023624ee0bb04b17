// lumaroll-render-icon SIZE FILE.png: writes the application icon, drawn by
// the program's own icon code, as a square PNG (used by the build for the
// icon theme sizes). Runs on the offscreen platform; needs no display.
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/qt/qt_toolbox.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: lumaroll-render-icon SIZE FILE.png\n", stderr);
    return 2;
  }
  const int size = std::atoi(argv[1]);
  if (size < 1 || size > 1024) {
    std::fprintf(stderr, "lumaroll-render-icon: bad size %s\n", argv[1]);
    return 2;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  const QImage image = drawnIconImage("LumarollIcon", size);
  if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "lumaroll-render-icon: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
