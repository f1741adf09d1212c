#include "app/dialogs.h"

#include <QBoxLayout>
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

QString QtDialogs::OpenPlan(QWidget* parent, const QString& folder) {
  return QFileDialog::getOpenFileName(parent, QStringLiteral("Open a book plan"), folder,
                                      QStringLiteral("Book plan (*.toml)"));
}

QString QtDialogs::SavePlan(QWidget* parent, const QString& folder) {
  QFileDialog dialog(parent, QStringLiteral("Save the book plan"), folder);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(QStringLiteral("Book plan (*.toml)"));
  dialog.setDefaultSuffix(QStringLiteral("toml"));
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
  Tfrmwc dialog(parent, pdf, [this, parent](const QUrl& url) { OpenOrSay(*this, parent, url); });
  dialog.exec();
}

bool QtDialogs::Open(const QUrl& url) { return QDesktopServices::openUrl(url); }

void QtDialogs::ShowCannotOpen(QWidget* parent, const QString& target) {
  QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kAppTitle),
                  QStringLiteral("The desktop has no program to open this:\n\n") + target,
                  QMessageBox::Ok, parent);
  // The path or address can be selected and copied.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  box.exec();
}

void OpenOrSay(Dialogs& dialogs, QWidget* parent, const QUrl& url) {
  if (!dialogs.Open(url)) {
    dialogs.ShowCannotOpen(parent, url.isLocalFile() ? url.toLocalFile() : url.toString());
  }
}

Tfrmwc::Tfrmwc(QWidget* parent, QString pdf, std::function<void(const QUrl&)> open)
    : QDialog(parent), pdf_(std::move(pdf)), open_(std::move(open)) {
  setObjectName(QStringLiteral("frmwc"));
  setWindowTitle(QStringLiteral("Quorvel"));
  auto* label = new QLabel(QStringLiteral("Completed !!!"), this);
  label->setObjectName(QStringLiteral("Label1"));
  label->setAlignment(Qt::AlignCenter);
  QFont font = label->font();
  font.setPointSize(12);
  font.setBold(true);
  label->setFont(font);
  auto* buttons = new QHBoxLayout;
  const char* captions[] = {"Open", "Open Folder", "Close"};
  const char* names[] = {"Button1", "Button2", "Button3"};
  void (Tfrmwc::*handlers[])() = {&Tfrmwc::Button1Click, &Tfrmwc::Button2Click,
                                  &Tfrmwc::Button3Click};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QPushButton(QString::fromLatin1(captions[i]), this);
    button->setObjectName(QString::fromLatin1(names[i]));
    buttons->addWidget(button);
    connect(button, &QPushButton::clicked, this, handlers[i]);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addLayout(buttons);
  // At least the classic size, larger where the captions need it.
  setMinimumSize(299, 108);
  layout->setSizeConstraint(QLayout::SetMinimumSize);
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
