#include "app/dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "app/main_window.h"

namespace quorvel::app {

QString QtDialogs::SaveFile(QWidget* parent, const QString& folder) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(QStringLiteral("Pdf file (*.pdf)"));
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  dialog.setDirectory(folder);
  // The window asks about existing files itself.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setObjectName(QStringLiteral("SaveDialog1"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

bool QtDialogs::ConfirmOverwrite(QWidget* parent) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Information"),
                  QStringLiteral("File is exists,Override it or not?"),
                  QMessageBox::Ok | QMessageBox::Cancel, parent);
  box.setEscapeButton(QMessageBox::Cancel);
  return box.exec() == QMessageBox::Ok;
}

void QtDialogs::ShowError(QWidget* parent, const QString& text) {
  QMessageBox::critical(parent, QString::fromLatin1(kAppTitle), text);
}

void QtDialogs::ShowCompletion(QWidget* parent, const QString& pdf) {
  Tfrmwc dialog(parent, pdf, [this](const QUrl& url) { Open(url); });
  dialog.exec();
}

void QtDialogs::Open(const QUrl& url) { QDesktopServices::openUrl(url); }

Tfrmwc::Tfrmwc(QWidget* parent, QString pdf, std::function<void(const QUrl&)> open)
    : QDialog(parent), pdf_(std::move(pdf)), open_(std::move(open)) {
  setObjectName(QStringLiteral("frmwc"));
  setWindowTitle(QStringLiteral("Quorvel"));
  setFixedSize(299, 108);
  auto* label = new QLabel(QStringLiteral("Completed !!!"), this);
  label->setObjectName(QStringLiteral("Label1"));
  label->setGeometry(0, 16, 299, 24);
  label->setAlignment(Qt::AlignCenter);
  QFont font = label->font();
  font.setPointSize(12);
  font.setBold(true);
  label->setFont(font);
  const char* captions[] = {"Open", "Open Folder", "Close"};
  const char* names[] = {"Button1", "Button2", "Button3"};
  void (Tfrmwc::*handlers[])() = {&Tfrmwc::Button1Click, &Tfrmwc::Button2Click,
                                  &Tfrmwc::Button3Click};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QPushButton(QString::fromLatin1(captions[i]), this);
    button->setObjectName(QString::fromLatin1(names[i]));
    button->setGeometry(16 + i * 92, 64, 84, 28);
    connect(button, &QPushButton::clicked, this, handlers[i]);
  }
}

QString Tfrmwc::FolderOf(const QString& file) {
  qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
  if (slash < 0) return QStringLiteral(".");
  if (slash == 0) return QStringLiteral("/");
  return file.left(slash);
}

void Tfrmwc::Button1Click() {
  open_(QUrl::fromLocalFile(pdf_));
  accept();
}

void Tfrmwc::Button2Click() {
  open_(QUrl::fromLocalFile(FolderOf(pdf_)));
  accept();
}

void Tfrmwc::Button3Click() { accept(); }

}  // namespace quorvel::app
