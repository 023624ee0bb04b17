// The desktop program's life on the Qt toolbox.
#include "platform/qt/qt_program.h"

#include <QAbstractItemView>
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "core/appstate.h"
#include "platform/qt/qt_toolbox.h"
#include "platform/toolbox.h"

namespace {

bool haveDisplay() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  return (platform && *platform) || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

// With LUMAROLL_ANNOUNCE_PAINT set, the first paint of the list is written
// to standard output (what the start-up measurement waits for).
class FirstPaint : public QObject {
 public:
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (e->type() == QEvent::Paint && !done_) {
      done_ = true;
      std::printf("painted\n");
      std::fflush(stdout);
      obj->removeEventFilter(this);
    }
    return false;
  }

 private:
  bool done_ = false;
};

}  // namespace

int runDesktopProgram(int argc, char** argv, const std::function<bool(const std::vector<std::string>&)>& start) {
  if (!haveDisplay()) {
    std::fputs(
        "Lumaroll is a desktop program and found no display to open its window on.\n"
        "Start it from a desktop session, or under a virtual display:\n"
        "    xvfb-run -a build/src/app/lumaroll\n",
        stderr);
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumaroll"));
  QApplication::setApplicationVersion(QStringLiteral("1.4.1"));
  QApplication::setQuitOnLastWindowClosed(false);
  // What Qt left of argv after taking its own options, as the bytes the
  // system gave: a folder name that is not UTF-8 would not survive a round
  // trip through QString.
  if (!start(std::vector<std::string>(argv + 1, argv + argc))) return 0;
  FirstPaint announce;
  if (std::getenv("LUMAROLL_ANNOUNCE_PAINT"))
    if (auto* list = qobject_cast<QAbstractItemView*>(qtToolboxControl(kMainWindow, kListControl)))
      list->viewport()->installEventFilter(&announce);
  return toolboxRunEventLoop();
}
