// The desktop program: the main window of the book maker.
#include <QApplication>
#include <QIcon>

#include "app/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(quorvel::app::kAppTitle));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/quorvel.svg")));
  quorvel::app::TForm1 window;
  window.show();
  return QApplication::exec();
}
