// The dialogs and desktop requests of the window, behind one interface so that tests can answer
// them without ever blocking.
#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

namespace quorvel::app {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The save dialog: the chosen file, or an empty string when cancelled.
  virtual QString SaveFile(QWidget* parent, const QString& folder) = 0;
  // The open and save dialogs of book plans (TOML files): the chosen file, or "" when cancelled.
  virtual QString OpenPlan(QWidget* parent, const QString& folder) = 0;
  virtual QString SavePlan(QWidget* parent, const QString& folder) = 0;
  // "File is exists,Override it or not?": true only for OK.
  virtual bool ConfirmOverwrite(QWidget* parent) = 0;
  // The general error report: a message box with the error's text.
  virtual void ShowError(QWidget* parent, const QString& text) = 0;
  // The completion dialog, modal: returns when it closes.
  virtual void ShowCompletion(QWidget* parent, const QString& pdf) = 0;
  // Opens a file, folder or web address with its default handler; false when the desktop
  // could not.
  virtual bool Open(const QUrl& url) = 0;
  // Says that `target` (a path or web address, shown as selectable text) could not be opened.
  virtual void ShowCannotOpen(QWidget* parent, const QString& target) = 0;
};

// Opens `url` through `dialogs`, and says so when the desktop cannot.
void OpenOrSay(Dialogs& dialogs, QWidget* parent, const QUrl& url);

// The real dialogs and the desktop's default handlers.
class QtDialogs : public Dialogs {
 public:
  QString SaveFile(QWidget* parent, const QString& folder) override;
  QString OpenPlan(QWidget* parent, const QString& folder) override;
  QString SavePlan(QWidget* parent, const QString& folder) override;
  bool ConfirmOverwrite(QWidget* parent) override;
  void ShowError(QWidget* parent, const QString& text) override;
  void ShowCompletion(QWidget* parent, const QString& pdf) override;
  bool Open(const QUrl& url) override;
  void ShowCannotOpen(QWidget* parent, const QString& target) override;
};

// The completion dialog: "Completed !!!" with Open, Open Folder and Close.
class Tfrmwc : public QDialog {
  Q_OBJECT
 public:
  Tfrmwc(QWidget* parent, QString pdf, std::function<void(const QUrl&)> open);

  // The folder that holds a file: its name up to the last separator (a root keeps it).
  static QString FolderOf(const QString& file);

 private slots:
  void Button1Click();
  void Button2Click();
  void Button3Click();

 private:
  QString pdf_;
  std::function<void(const QUrl&)> open_;
};

}  // namespace quorvel::app
