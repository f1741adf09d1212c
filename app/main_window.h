// The main window: the book options, a preview picture of the chosen layout, "Create Now" with
// its save dialog and overwrite prompt, the progress box, "Visit Tessaly" and "Quit".
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QWidget>
#include <memory>
#include <optional>

#include "app/book_part.h"
#include "app/dialogs.h"
#include "pages/book.h"
#include "quorvel/version.h"

namespace quorvel::app {

inline constexpr const char* kAppTitle = quorvel::kAppTitle;
inline constexpr const char* kMakerUrl = "https://www.tessaly.example";

class TForm1 : public QWidget {
  Q_OBJECT
 public:
  // `dialogs` answers the save dialog, prompts and desktop requests; null uses the real ones.
  explicit TForm1(std::unique_ptr<Dialogs> dialogs = nullptr);
  ~TForm1() override;

  bool Running() const { return running_; }
  const QString& PageStreamFile() const { return page_stream_file_; }
  const QString& DocumentsFolder() const { return documents_; }
  const QString& OutputFile() const { return output_file_; }
  // Why no book can be made, found at start-up; empty when all is well.
  const QString& StartupError() const { return startup_error_; }
  // The preview picture now shown.
  QLabel* VisiblePreview() const;
  // The options the controls now give, as a run would take them.
  pages::BookOptions Options() const;
  // The same with what an opened plan adds (its seed and the manifests it excludes), as a plan
  // file holds it; and the controls set from one.
  pages::BookRequest Request() const;
  void SetRequest(const pages::BookRequest& request);
  // The cover's choices; its file is named at the run, beside the book's.
  pages::CoverOptions CoverChoices() const;
  // The cover made beside `book`: "book.pdf" gives "book-cover.pdf".
  static QString CoverFileOf(const QString& book);
  // "Open plan..." and "Save plan...": false, with the problem said, when the file is refused.
  bool OpenPlan(const QString& file);
  bool SavePlan(const QString& file);
  // How many times the preview was made; it is made again on every change of an option.
  int PreviewBuilds() const { return preview_builds_; }
  // The recording the preview was painted from.
  const std::vector<uint8_t>& PreviewRecording() const;
  // The papers offered: the caption and the size in inches.
  struct PaperChoice {
    const char* caption;
    double width, height;
  };
  static const std::vector<PaperChoice>& Papers();

 public slots:
  void BitBtn2Click();
  void manygroupClick();
  void cbk_candidatesClick();
  void PageControl1Change();
  void Button4Click();
  void Button3Click();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FormCreate();
  void BuildControls();
  // Shows the picture of the chosen layout, says what is wrong with the chosen options, and
  // paints the first page that Create Now would print with them.
  void OptionsChanged();
  void ShowPreview(QLabel* picture);
  // The options' problem, "" when a book can be made with them.
  std::string OptionsProblem() const;
  void StartRun(bool samurai);
  // The page the preview shows of the book it was built as: which the preview choice names.
  int PreviewPage() const;
  void SetRunning(bool running);

  std::unique_ptr<Dialogs> dialogs_;
  std::unique_ptr<pages::BookMaker> maker_;
  QString page_stream_file_;
  QString documents_;
  QString output_file_;
  QString startup_error_;
  bool running_ = false;
  bool close_after_run_ = false;
  int preview_builds_ = 0;
  std::unique_ptr<pages::BookMaker> preview_maker_;

  QLabel *Image1, *Imagea1c, *Image2, *Image4, *Image5;
  QGroupBox* GroupBox1;
  QSpinBox* UpDown1;
  QTabWidget* PageControl1;
  QGroupBox* manygroup;
  QButtonGroup* many_buttons_;
  QCheckBox* cbk_candidates;
  QRadioButton* RadioButton1;
  QGroupBox* ndgroup;
  QButtonGroup* level_buttons_;
  QPushButton* BitBtn2;
  QGroupBox* gpb;
  QProgressBar* pb;
  QPushButton* Button4;
  QPushButton* Button3;
  QGroupBox* bookgroup;  // paper and print choices
  QComboBox* cb_paper;
  QCheckBox* cbk_printready;
  QCheckBox* cbk_unique;
  QComboBox* cb_design;   // by the paper, book, classic
  QComboBox* cb_answers;  // answers a page in the book design, "Default" first
  QLineEdit *ed_title, *ed_author, *ed_footer;
  QCheckBox *cbk_bold, *cbk_large;  // bold givens, large print (book design)
  QComboBox* cb_preview;            // the page the preview shows: puzzles, answers, ...
  QGroupBox* covergroup;            // "Also make a cover" and its choices
  QCheckBox* cbk_cover;
  QComboBox *cb_stock, *cb_theme;
  QPlainTextEdit* ed_blurb;
  BookPart* bookpart;  // sections, front matter, plans
  // What an opened plan adds to the controls: its seed, its excluded manifests and their
  // puzzles.
  std::optional<uint32_t> plan_seed_;
  std::vector<std::string> plan_exclude_;
  std::shared_ptr<const pages::ExcludedPuzzles> excluded_;
  pages::Paper custom_paper_{8.5, 11};  // a plan's paper that the list does not offer
  std::string plan_cover_file_;         // a plan's cover file, kept when it is saved again
  QLabel* lbl_problem;                  // why the chosen options cannot make a book
};

}  // namespace quorvel::app
