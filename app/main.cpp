// The desktop program: the main window of the book maker.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/main_window.h"
#include "report/temporary_files.h"

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// Whether Qt has somewhere to show the window: a display, or a platform the user chose.
bool HasDisplay(int argc, char** argv) {
  if (Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM")) return true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (!HasDisplay(argc, argv)) {
    std::fputs(
        "quorvel: the desktop program needs a display; to make a book from the command line "
        "instead, run: quorvel-book --pages 20 -o book.pdf\n",
        stderr);
    return 1;
  }
  // A run stopped by a signal leaves no temporary file behind (the window says what became of
  // the book while a run is on).
  quorvel::report::InstallInterruptCleanup();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(quorvel::app::kAppTitle));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/quorvel.svg")));
  quorvel::app::TForm1 window;
  window.show();
  return QApplication::exec();
}
