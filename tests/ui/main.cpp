// Widget tests run on the offscreen platform: no display is needed.
#include <gtest/gtest.h>

#include <QApplication>

// Sanitizer builds: caches of Qt and fontconfig are left to the process's
// end (see lsan.supp).
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:QtSharedPointer::ExternalRefCountData::getAndRef\n";
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
