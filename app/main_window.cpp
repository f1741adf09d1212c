#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QStandardPaths>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "app/page_painter.h"
#include "banks/builtin_banks.h"
#include "pages/cover.h"
#include "pages/locations.h"
#include "pages/manifest.h"
#include "pages/output_name.h"
#include "pages/plan_file.h"
#include "puzzle/random.h"
#include "report/streams.h"
#include "report/temporary_files.h"

namespace quorvel::app {
namespace {

// Progress of a run shown in the progress box; lets the window catch up between pages.
class WindowProgress : public report::Progress {
 public:
  WindowProgress(QWidget* window, QGroupBox* box, QProgressBar* bar)
      : window_(window), box_(box), bar_(bar) {}
  void SetCaption(const std::string& caption) override {
    box_->setTitle(QString::fromStdString(caption));
  }
  void SetPosition(int position) override { bar_->setValue(position); }
  void ProcessEvents() override { QApplication::processEvents(); }
  void Repaint() override { window_->repaint(); }

 private:
  QWidget* window_;
  QGroupBox* box_;
  QProgressBar* bar_;
};

QRadioButton* AddRadio(QWidget* parent, QButtonGroup* group, int id, const char* caption) {
  auto* button = new QRadioButton(QString::fromLatin1(caption), parent);
  group->addButton(button, id);
  return button;
}

// The preview pictures' size, in device-independent pixels.
constexpr int kPreviewWidth = 409, kPreviewHeight = 527;

}  // namespace

const std::vector<TForm1::PaperChoice>& TForm1::Papers() {
  static const std::vector<PaperChoice> papers = {{"Letter (8.5 x 11 in)", 8.5, 11},
                                                  {"A4 (8.27 x 11.69 in)", 8.27, 11.69},
                                                  {"A5 (5.83 x 8.27 in)", 5.83, 8.27},
                                                  {"5 x 8 in", 5, 8},
                                                  {"5.5 x 8.5 in", 5.5, 8.5},
                                                  {"6 x 9 in", 6, 9},
                                                  {"6.14 x 9.21 in", 6.14, 9.21},
                                                  {"7 x 10 in", 7, 10},
                                                  {"8 x 10 in", 8, 10},
                                                  {"8.25 x 11 in", 8.25, 11}};
  return papers;
}

TForm1::TForm1(std::unique_ptr<Dialogs> dialogs)
    : dialogs_(dialogs ? std::move(dialogs) : std::make_unique<QtDialogs>()) {
  setObjectName(QStringLiteral("Form1"));
  BuildControls();
  FormCreate();
  OptionsChanged();
}

TForm1::~TForm1() = default;

void TForm1::BuildControls() {
  // Layouts size every control from its caption in the platform's font, at any scale.
  auto* previews = new QWidget(this);
  previews->setObjectName(QStringLiteral("previews"));
  previews->setFixedSize(kPreviewWidth, kPreviewHeight);
  for (QLabel** label : {&Image1, &Imagea1c, &Image2, &Image4, &Image5}) {
    *label = new QLabel(previews);
    (*label)->setGeometry(0, 0, kPreviewWidth, kPreviewHeight);
    (*label)->setAlignment(Qt::AlignCenter);
    (*label)->hide();
  }
  Image1->setObjectName(QStringLiteral("Image1"));
  Imagea1c->setObjectName(QStringLiteral("Imagea1c"));
  Image2->setObjectName(QStringLiteral("Image2"));
  Image4->setObjectName(QStringLiteral("Image4"));
  Image5->setObjectName(QStringLiteral("Image5"));

  GroupBox1 = new QGroupBox(QStringLiteral("Number of Pages (Max:200)"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  UpDown1 = new QSpinBox(GroupBox1);
  UpDown1->setObjectName(QStringLiteral("UpDown1"));
  UpDown1->setRange(1, 200);
  UpDown1->setValue(20);
  auto* pages_layout = new QHBoxLayout(GroupBox1);
  pages_layout->addWidget(UpDown1);
  pages_layout->addStretch();

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  auto* standard = new QWidget();
  standard->setObjectName(QStringLiteral("TabSheet1"));
  auto* samurai = new QWidget();
  samurai->setObjectName(QStringLiteral("TabSheet2"));
  PageControl1->addTab(standard, QStringLiteral("Standard Sudoku"));
  PageControl1->addTab(samurai, QStringLiteral("Samurai Sudoku"));

  manygroup = new QGroupBox(QStringLiteral("Puzzles per page"), standard);
  manygroup->setObjectName(QStringLiteral("manygroup"));
  many_buttons_ = new QButtonGroup(this);
  // Two columns: items 0 and 1 on the left, item 2 on the right above the check box.
  auto* many_layout = new QGridLayout(manygroup);
  many_layout->addWidget(AddRadio(manygroup, many_buttons_, 0, "1 puzzle per page"), 0, 0);
  many_layout->addWidget(AddRadio(manygroup, many_buttons_, 1, "2 puzzles per page"), 1, 0);
  many_layout->addWidget(AddRadio(manygroup, many_buttons_, 2, "4 puzzles per page"), 0, 1);
  many_buttons_->button(0)->setChecked(true);
  cbk_candidates = new QCheckBox(QStringLiteral("Print Candidates"), manygroup);
  cbk_candidates->setObjectName(QStringLiteral("cbk_candidates"));
  many_layout->addWidget(cbk_candidates, 1, 1);
  auto* standard_layout = new QVBoxLayout(standard);
  standard_layout->addWidget(manygroup);
  RadioButton1 = new QRadioButton(QStringLiteral("1 puzzle per page"), samurai);
  RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
  RadioButton1->setChecked(true);
  auto* samurai_layout = new QVBoxLayout(samurai);
  samurai_layout->addWidget(RadioButton1, 0, Qt::AlignCenter);

  ndgroup = new QGroupBox(QStringLiteral("Sudoku level"), this);
  ndgroup->setObjectName(QStringLiteral("ndgroup"));
  level_buttons_ = new QButtonGroup(this);
  auto* level_layout = new QGridLayout(ndgroup);
  for (int i = 0; i < 6; ++i) {
    level_layout->addWidget(AddRadio(ndgroup, level_buttons_, i, pages::LevelCaption(i).c_str()),
                            i % 3, i / 3);
  }
  level_buttons_->button(0)->setChecked(true);

  bookgroup = new QGroupBox(QStringLiteral("Paper and printing"), this);
  bookgroup->setObjectName(QStringLiteral("bookgroup"));
  cb_paper = new QComboBox(bookgroup);
  cb_paper->setObjectName(QStringLiteral("cb_paper"));
  for (const PaperChoice& paper : Papers()) cb_paper->addItem(QString::fromLatin1(paper.caption));
  auto* paper_label = new QLabel(QStringLiteral("&Paper:"), bookgroup);
  paper_label->setBuddy(cb_paper);
  cbk_printready = new QCheckBox(QStringLiteral("Print-ready (embedded font)"), bookgroup);
  cbk_printready->setObjectName(QStringLiteral("cbk_printready"));
  cbk_unique = new QCheckBox(QStringLiteral("Every puzzle different"), bookgroup);
  cbk_unique->setObjectName(QStringLiteral("cbk_unique"));
  cb_design = new QComboBox(bookgroup);
  cb_design->setObjectName(QStringLiteral("cb_design"));
  cb_design->addItems(
      {QStringLiteral("By the paper"), QStringLiteral("Book"), QStringLiteral("Classic")});
  cb_design->setToolTip(QStringLiteral(
      "Book: laid out for the paper, with page numbers and answer links. Classic: the Letter "
      "design, scaled to the paper. By the paper: classic on Letter, book on every other paper "
      "and when print-ready."));
  auto* design_label = new QLabel(QStringLiteral("&Design:"), bookgroup);
  design_label->setBuddy(cb_design);
  cb_answers = new QComboBox(bookgroup);
  cb_answers->setObjectName(QStringLiteral("cb_answers"));
  cb_answers->addItems({QStringLiteral("Default"), QStringLiteral("1"), QStringLiteral("2"),
                        QStringLiteral("4"), QStringLiteral("6"), QStringLiteral("9"),
                        QStringLiteral("12")});
  auto* answers_label = new QLabel(QStringLiteral("&Answers a page:"), bookgroup);
  answers_label->setBuddy(cb_answers);
  auto line_edit = [&](const char* name, const char* placeholder) {
    auto* edit = new QLineEdit(bookgroup);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setPlaceholderText(QString::fromLatin1(placeholder));
    return edit;
  };
  ed_title = line_edit("ed_title", "the level");
  ed_author = line_edit("ed_author", "none");
  ed_footer = line_edit("ed_footer", "none");
  auto* title_label = new QLabel(QStringLiteral("&Title:"), bookgroup);
  title_label->setBuddy(ed_title);
  auto* author_label = new QLabel(QStringLiteral("Au&thor:"), bookgroup);
  author_label->setBuddy(ed_author);
  auto* footer_label = new QLabel(QStringLiteral("&Footer:"), bookgroup);
  footer_label->setBuddy(ed_footer);
  cbk_bold = new QCheckBox(QStringLiteral("Bold givens"), bookgroup);
  cbk_bold->setObjectName(QStringLiteral("cbk_bold"));
  cbk_large = new QCheckBox(QStringLiteral("Large print"), bookgroup);
  cbk_large->setObjectName(QStringLiteral("cbk_large"));
  cb_preview = new QComboBox(bookgroup);
  cb_preview->setObjectName(QStringLiteral("cb_preview"));
  cb_preview->addItems({QStringLiteral("First puzzle page"), QStringLiteral("First answer page"),
                        QStringLiteral("Title page"), QStringLiteral("Contents"),
                        QStringLiteral("Cover")});
  auto* preview_label = new QLabel(QStringLiteral("Pre&view:"), bookgroup);
  preview_label->setBuddy(cb_preview);
  lbl_problem = new QLabel(bookgroup);
  lbl_problem->setObjectName(QStringLiteral("lbl_problem"));
  lbl_problem->setStyleSheet(QStringLiteral("color: #b00020"));
  lbl_problem->hide();
  auto* book_layout = new QGridLayout(bookgroup);
  book_layout->addWidget(paper_label, 0, 0);
  book_layout->addWidget(cb_paper, 0, 1);
  book_layout->addWidget(cbk_printready, 1, 0, 1, 2);
  book_layout->addWidget(cbk_unique, 2, 0, 1, 2);
  book_layout->addWidget(design_label, 3, 0);
  book_layout->addWidget(cb_design, 3, 1);
  book_layout->addWidget(answers_label, 4, 0);
  book_layout->addWidget(cb_answers, 4, 1);
  book_layout->addWidget(title_label, 5, 0);
  book_layout->addWidget(ed_title, 5, 1);
  book_layout->addWidget(author_label, 6, 0);
  book_layout->addWidget(ed_author, 6, 1);
  book_layout->addWidget(footer_label, 7, 0);
  book_layout->addWidget(ed_footer, 7, 1);
  book_layout->addWidget(cbk_bold, 8, 0);
  book_layout->addWidget(cbk_large, 8, 1);
  book_layout->addWidget(preview_label, 9, 0);
  book_layout->addWidget(cb_preview, 9, 1);
  book_layout->addWidget(lbl_problem, 10, 0, 1, 2);

  BitBtn2 = new QPushButton(QStringLiteral("Create Now"), this);
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
  BitBtn2->setDefault(true);
  BitBtn2->setAutoDefault(true);

  gpb = new QGroupBox(this);
  gpb->setObjectName(QStringLiteral("gpb"));
  gpb->hide();
  pb = new QProgressBar(gpb);
  pb->setObjectName(QStringLiteral("pb"));
  pb->setRange(0, 100);
  auto* progress_layout = new QVBoxLayout(gpb);
  progress_layout->addWidget(pb);

  Button4 = new QPushButton(QStringLiteral("Visit Tessaly"), this);
  Button4->setObjectName(QStringLiteral("Button4"));
  Button3 = new QPushButton(QStringLiteral("Quit"), this);
  Button3->setObjectName(QStringLiteral("Button3"));

  auto* options = new QVBoxLayout;
  options->addWidget(GroupBox1);
  options->addWidget(PageControl1);
  options->addWidget(ndgroup);
  options->addWidget(bookgroup);
  options->addWidget(BitBtn2, 0, Qt::AlignHCenter);
  options->addWidget(gpb);
  options->addStretch();
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(Button4);
  bottom->addWidget(Button3);
  options->addLayout(bottom);
  bookpart = new BookPart(this);
  covergroup = new QGroupBox(QStringLiteral("Cover"), this);
  covergroup->setObjectName(QStringLiteral("covergroup"));
  cbk_cover = new QCheckBox(QStringLiteral("Also make a cover (print-ready books)"), covergroup);
  cbk_cover->setObjectName(QStringLiteral("cbk_cover"));
  cbk_cover->setToolTip(QStringLiteral(
      "A full-wrap cover (back, spine and front, with bleed) saved beside the book as "
      "NAME-cover.pdf"));
  cb_stock = new QComboBox(covergroup);
  cb_stock->setObjectName(QStringLiteral("cb_stock"));
  cb_stock->addItems({QStringLiteral("White"), QStringLiteral("Cream"), QStringLiteral("Color")});
  auto* stock_label = new QLabel(QStringLiteral("Paper stoc&k:"), covergroup);
  stock_label->setBuddy(cb_stock);
  cb_theme = new QComboBox(covergroup);
  cb_theme->setObjectName(QStringLiteral("cb_theme"));
  for (const pages::CoverTheme& theme : pages::CoverThemes()) {
    QString name = QString::fromLatin1(theme.name);
    name[0] = name[0].toUpper();
    cb_theme->addItem(name, QString::fromLatin1(theme.name));
  }
  auto* theme_label = new QLabel(QStringLiteral("T&heme:"), covergroup);
  theme_label->setBuddy(cb_theme);
  ed_blurb = new QPlainTextEdit(covergroup);
  ed_blurb->setObjectName(QStringLiteral("ed_blurb"));
  ed_blurb->setPlaceholderText(QStringLiteral("the text on the back cover"));
  ed_blurb->setFixedHeight(ed_blurb->fontMetrics().lineSpacing() * 3 + 12);
  auto* blurb_label = new QLabel(QStringLiteral("Blu&rb:"), covergroup);
  blurb_label->setBuddy(ed_blurb);
  auto* cover_layout = new QGridLayout(covergroup);
  cover_layout->addWidget(cbk_cover, 0, 0, 1, 4);
  cover_layout->addWidget(stock_label, 1, 0);
  cover_layout->addWidget(cb_stock, 1, 1);
  cover_layout->addWidget(theme_label, 1, 2);
  cover_layout->addWidget(cb_theme, 1, 3);
  cover_layout->addWidget(blurb_label, 2, 0, Qt::AlignTop);
  cover_layout->addWidget(ed_blurb, 2, 1, 1, 3);
  cover_layout->setColumnStretch(1, 1);
  cover_layout->setColumnStretch(3, 1);
  auto* book_column = new QVBoxLayout;
  book_column->addWidget(bookpart);
  book_column->addWidget(covergroup);
  book_column->addStretch();
  auto* main = new QHBoxLayout(this);
  main->addWidget(previews, 0, Qt::AlignTop);
  main->addLayout(options, 1);
  main->addLayout(book_column, 1);
  // The window is at least as large as its contents need, also when a message appears.
  main->setSizeConstraint(QLayout::SetMinimumSize);

  connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
  connect(many_buttons_, &QButtonGroup::idClicked, this, [this](int) { manygroupClick(); });
  connect(cbk_candidates, &QCheckBox::toggled, this, [this](bool) { cbk_candidatesClick(); });
  connect(PageControl1, &QTabWidget::currentChanged, this, [this](int) { PageControl1Change(); });
  connect(level_buttons_, &QButtonGroup::idClicked, this, [this](int) { OptionsChanged(); });
  connect(UpDown1, &QSpinBox::valueChanged, this, [this](int) { OptionsChanged(); });
  connect(cb_paper, &QComboBox::currentIndexChanged, this, [this](int) { OptionsChanged(); });
  connect(cbk_printready, &QCheckBox::toggled, this, [this](bool) { OptionsChanged(); });
  connect(cbk_unique, &QCheckBox::toggled, this, [this](bool) { OptionsChanged(); });
  connect(cb_design, &QComboBox::currentIndexChanged, this, [this](int) { OptionsChanged(); });
  connect(cb_answers, &QComboBox::currentIndexChanged, this, [this](int) { OptionsChanged(); });
  for (QCheckBox* box : {cbk_bold, cbk_large}) {
    connect(box, &QCheckBox::toggled, this, [this](bool) { OptionsChanged(); });
  }
  connect(cb_preview, &QComboBox::currentIndexChanged, this, [this](int) { OptionsChanged(); });
  connect(cbk_cover, &QCheckBox::toggled, this, [this](bool) { OptionsChanged(); });
  connect(cb_stock, &QComboBox::currentIndexChanged, this, [this](int) { OptionsChanged(); });
  connect(cb_theme, &QComboBox::currentIndexChanged, this, [this](int) { OptionsChanged(); });
  connect(ed_blurb, &QPlainTextEdit::textChanged, this, [this] { OptionsChanged(); });
  connect(bookpart, &BookPart::changed, this, [this] { OptionsChanged(); });
  connect(bookpart, &BookPart::addRequested, this, [this] {
    // A new section starts from the simple options: its kind, level and layout.
    const pages::BookOptions o = Options();
    pages::Section like = o.sections.empty() ? o.Parts().front() : o.sections.back();
    if (o.sections.empty()) like.count = std::min(like.count, 50);
    bookpart->AddSection(like);
  });
  connect(bookpart, &BookPart::openPlanRequested, this, [this] {
    const QString file = dialogs_->OpenPlan(this, documents_);
    if (!file.isEmpty()) OpenPlan(file);
  });
  connect(bookpart, &BookPart::savePlanRequested, this, [this] {
    const QString file = dialogs_->SavePlan(this, documents_);
    if (!file.isEmpty()) SavePlan(file);
  });
  for (QLineEdit* edit : {ed_title, ed_author, ed_footer}) {
    connect(edit, &QLineEdit::textChanged, this, [this](const QString&) { OptionsChanged(); });
  }
  connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
  connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
}

void TForm1::FormCreate() {
  documents_ = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documents_.isEmpty() || !QDir(documents_).exists()) documents_ = QDir::homePath();
  std::string stream_file;
  try {
    setWindowTitle(QString::fromLatin1(kAppTitle));
    UpDown1->setMaximum(200);
    UpDown1->setValue(20);
    PageControl1->setCurrentIndex(0);
    try {
      stream_file = pages::PageStreamFilePath();
    } catch (const std::exception& e) {
      // Without its private folder no book can be made: say so once, and keep Create Now off.
      startup_error_ = QString::fromStdString(e.what());
      BitBtn2->setEnabled(false);
      BitBtn2->setToolTip(startup_error_);
      throw;
    }
    page_stream_file_ = QString::fromStdString(stream_file);
    if (!QDir::setCurrent(documents_)) {
      throw std::runtime_error("Cannot enter the folder " + documents_.toStdString());
    }
  } catch (const std::exception& e) {
    dialogs_->ShowError(this, QString::fromStdString(e.what()));
  }
  maker_ = std::make_unique<pages::BookMaker>(banks::BuiltInBanks(), stream_file);
}

const std::vector<uint8_t>& TForm1::PreviewRecording() const {
  static const std::vector<uint8_t> kNone;
  return preview_maker_ ? preview_maker_->LastRecording() : kNone;
}

std::string TForm1::OptionsProblem() const {
  if (!startup_error_.isEmpty()) return startup_error_.toStdString();
  const pages::BookOptions o = Options();
  std::string problem = pages::OptionsProblem(o, banks::BuiltInBanks());
  if (problem.empty() && cbk_cover->isChecked()) {
    if (!o.layout.print_ready) return "a cover is a print file: choose Print-ready";
    try {
      problem = pages::CoverProblem(o, CoverChoices(), pages::BookPageCount(o));
    } catch (const std::exception& e) {
      problem = e.what();  // the cover's fonts are missing
    }
  }
  return problem;
}

pages::CoverOptions TForm1::CoverChoices() const {
  pages::CoverOptions cover;
  static constexpr pages::PaperStock kStocks[] = {
      pages::PaperStock::kWhite, pages::PaperStock::kCream, pages::PaperStock::kColor};
  cover.stock = kStocks[std::clamp(cb_stock->currentIndex(), 0, 2)];
  cover.theme = cb_theme->currentData().toString().toStdString();
  cover.blurb = ed_blurb->toPlainText().simplified().toStdString();
  return cover;
}

QString TForm1::CoverFileOf(const QString& book) {
  QString base = book;
  if (base.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) base.chop(4);
  return base + QStringLiteral("-cover.pdf");
}

void TForm1::OptionsChanged() {
  const bool samurai = PageControl1->currentIndex() == 1;
  const int item = many_buttons_->checkedId();
  ShowPreview(samurai                       ? Image5
              : item == 1                   ? Image2
              : item == 2                   ? Image4
              : cbk_candidates->isChecked() ? Imagea1c
                                            : Image1);
  // A refused combination is said next to the options, before any run.
  std::string problem = OptionsProblem();
  if (!startup_error_.isEmpty()) problem.clear();
  // One clause a line, so that the label's size is known without wrapping.
  QString shown = QString::fromStdString(problem);
  shown.replace(QStringLiteral("; "), QStringLiteral(";\n"))
      .replace(QStringLiteral(": "), QStringLiteral(":\n"));
  lbl_problem->setText(shown);
  lbl_problem->setVisible(!problem.empty());
  if (!problem.empty()) {
    // No page can be made: the picture says so instead of showing an older page.
    QImage blank(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32);
    blank.fill(QColor(0xd8, 0xd8, 0xd8));
    QPainter painter(&blank);
    painter.drawText(blank.rect().adjusted(24, 0, -24, 0), Qt::AlignCenter | Qt::TextWordWrap,
                     QStringLiteral("No preview: these options cannot make a book."));
    painter.end();
    VisiblePreview()->setPixmap(QPixmap::fromImage(blank));
    return;
  }
  // The first page that Create Now would print, from a fixed seed so that it does not change
  // between options that do not change it. Building one page takes well under a millisecond.
  QLabel* picture = VisiblePreview();
  std::string folder;
  try {
    folder = pages::PrivateTempFolder();
    if (!preview_maker_) {
      preview_maker_ =
          std::make_unique<pages::BookMaker>(banks::BuiltInBanks(), folder + "quorvel-preview.pgs");
      preview_maker_->record_only = true;
    }
    // The same seed for every preview, in the preview maker's own random source: the run's
    // maker keeps its own.
    preview_maker_->Random().SetSeedCounter(puzzle::MakeSequenceCounter(2600));
    pages::BookOptions o = Options();
    // Pages placed as those of the whole book would be.
    preview_maker_->layout_page_count = pages::BookPageCount(o);
    // A book of one page a section, unless the contents are shown: they name the whole book's
    // pages.
    if (cb_preview->currentIndex() != 3) {
      o.layout.pages = 1;
      for (pages::Section& s : o.sections) s.count = std::min(s.count, s.per_page);
    }
    o.puzzles.unique = false;
    o.excluded = nullptr;
    preview_maker_->Build(o, std::string());
    ++preview_builds_;
    if (cb_preview->currentIndex() == 4) {
      // The cover of the whole book, from the preview's puzzles.
      const pages::BookOptions whole = Options();
      int puzzles = 0;
      for (const pages::Section& part : whole.Parts()) puzzles += part.count;
      const pages::CoverBook made{pages::BookPageCount(whole), puzzles, &preview_maker_->Picked()};
      std::vector<report::SinglePagePdf::Op> drawing;
      pages::MakeCover(whole, CoverChoices(), made, nullptr, &drawing);
      const pages::CoverGeometry g = pages::CoverGeometryOf(whole, CoverChoices(), made.pages);
      picture->setPixmap(QPixmap::fromImage(PaintCover(
          drawing, g.Width(), g.Height(), kPreviewWidth, kPreviewHeight, devicePixelRatioF())));
      return;
    }
    const int page = PreviewPage();
    picture->setPixmap(
        QPixmap::fromImage(PaintPage(preview_maker_->LastRecording(), page, kPreviewWidth,
                                     kPreviewHeight, devicePixelRatioF())));
  } catch (const std::exception&) {
    // Without a picture the window stays usable.
  }
}

int TForm1::PreviewPage() const {
  // The first page of the chosen kind; the first puzzle page when the book has none.
  static constexpr pages::PageKind kShown[] = {pages::PageKind::kStandardPuzzles,
                                               pages::PageKind::kStandardAnswers,
                                               pages::PageKind::kTitle, pages::PageKind::kContents};
  const pages::PageKind wanted = kShown[std::clamp(cb_preview->currentIndex(), 0, 3)];
  auto samurai_kind = [](pages::PageKind k) {
    if (k == pages::PageKind::kStandardPuzzles) return pages::PageKind::kSamuraiPuzzle;
    if (k == pages::PageKind::kStandardAnswers) return pages::PageKind::kSamuraiAnswer;
    return k;
  };
  int first_puzzles = 1;
  bool found_puzzles = false;
  for (const pages::PageSpec& spec : preview_maker_->Plan().pages) {
    if (spec.kind == wanted || spec.kind == samurai_kind(wanted)) return spec.number;
    const bool puzzles = spec.kind == pages::PageKind::kStandardPuzzles ||
                         spec.kind == pages::PageKind::kSamuraiPuzzle;
    if (puzzles && !found_puzzles) first_puzzles = spec.number, found_puzzles = true;
  }
  return first_puzzles;
}

QLabel* TForm1::VisiblePreview() const {
  for (QLabel* l : {Image1, Imagea1c, Image2, Image4, Image5}) {
    if (l->isVisibleTo(this)) return l;
  }
  return nullptr;
}

void TForm1::ShowPreview(QLabel* picture) {
  for (QLabel* l : {Image1, Imagea1c, Image2, Image4, Image5}) l->setVisible(l == picture);
}

void TForm1::manygroupClick() {
  if (many_buttons_->checkedId() != 0) {
    // Unchecking here keeps this layout's picture.
    QSignalBlocker block(cbk_candidates);
    cbk_candidates->setChecked(false);
  }
  cbk_candidates->setEnabled(many_buttons_->checkedId() == 0);
  OptionsChanged();
}

void TForm1::cbk_candidatesClick() { OptionsChanged(); }

void TForm1::PageControl1Change() { OptionsChanged(); }

void TForm1::Button4Click() { OpenOrSay(*dialogs_, this, QUrl(QString::fromLatin1(kMakerUrl))); }

void TForm1::Button3Click() { close(); }

void TForm1::keyPressEvent(QKeyEvent* event) {
  // Enter from any option control makes the book, as the default button of a dialog would; on
  // a focused button it presses that button.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    QPushButton* target = focused ? focused : BitBtn2;
    if (target->isEnabled()) target->click();
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (running_) {
    // The window closes once the run has ended.
    close_after_run_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

pages::BookOptions TForm1::Options() const {
  // The controls' items become domain values here, at the window's edge.
  pages::BookOptions o;
  if (PageControl1->currentIndex() == 1) o.puzzles.kind = puzzle::PuzzleKind::kSamurai;
  o.puzzles.level = std::max(0, level_buttons_->checkedId());
  o.puzzles.unique = cbk_unique->isChecked();
  o.layout.pages = UpDown1->value();
  o.layout.per_page = puzzle::GetPuzzlesPerPage(std::max(0, many_buttons_->checkedId()));
  o.layout.candidates = cbk_candidates->isChecked();
  o.layout.print_ready = cbk_printready->isChecked();
  const int paper = std::max(0, cb_paper->currentIndex());
  if (paper < static_cast<int>(Papers().size())) {
    o.layout.paper = {Papers()[static_cast<size_t>(paper)].width,
                      Papers()[static_cast<size_t>(paper)].height};
  } else {
    o.layout.paper = custom_paper_;
  }
  static constexpr pages::Design kDesigns[] = {pages::Design::kByPaper, pages::Design::kBook,
                                               pages::Design::kClassic};
  o.layout.design = kDesigns[std::clamp(cb_design->currentIndex(), 0, 2)];
  o.layout.answers_per_page =
      cb_answers->currentIndex() <= 0 ? 0 : cb_answers->currentText().toInt();
  o.layout.bold_givens = cbk_bold->isChecked();
  o.layout.large_print = cbk_large->isChecked();
  o.layout.title = ed_title->text().trimmed().toStdString();
  o.layout.author = ed_author->text().trimmed().toStdString();
  o.layout.footer = ed_footer->text().trimmed().toStdString();
  bookpart->Fill(o);
  o.excluded = excluded_;
  return o;
}

pages::BookRequest TForm1::Request() const {
  pages::BookRequest r;
  r.book = Options();
  r.seed = plan_seed_;
  r.exclude = plan_exclude_;
  r.cover = CoverChoices();
  // The window names the cover at the run; a plan keeps that there is one.
  if (cbk_cover->isChecked())
    r.cover.file = plan_cover_file_.empty() ? "cover.pdf" : plan_cover_file_;
  return r;
}

void TForm1::SetRequest(const pages::BookRequest& r) {
  const pages::BookOptions& o = r.book;
  {
    // The controls are set first, the preview made once at the end.
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (QObject* control : std::initializer_list<QObject*>{
             PageControl1, level_buttons_, many_buttons_, UpDown1, cbk_candidates, cb_paper,
             cbk_printready, cbk_unique, cb_design, cb_answers, cbk_bold, cbk_large, ed_title,
             ed_author, ed_footer, bookpart}) {
      quiet.push_back(std::make_unique<QSignalBlocker>(control));
    }
    PageControl1->setCurrentIndex(o.Samurai() ? 1 : 0);
    level_buttons_->button(o.puzzles.level)->setChecked(true);
    UpDown1->setValue(o.layout.pages);
    many_buttons_->button(o.layout.per_page == 4   ? 2
                          : o.layout.per_page == 2 ? 1
                                                   : 0)
        ->setChecked(true);
    cbk_candidates->setChecked(o.layout.candidates);
    cbk_candidates->setEnabled(o.layout.per_page == 1);
    // A paper the list does not offer joins it.
    int paper = -1;
    for (size_t i = 0; i < Papers().size(); ++i) {
      if (Papers()[i].width == o.layout.paper.width &&
          Papers()[i].height == o.layout.paper.height) {
        paper = static_cast<int>(i);
      }
    }
    if (paper < 0) {
      custom_paper_ = o.layout.paper;
      const QString caption =
          QStringLiteral("%1 x %2 in").arg(o.layout.paper.width).arg(o.layout.paper.height);
      if (cb_paper->count() > static_cast<int>(Papers().size())) {
        cb_paper->setItemText(static_cast<int>(Papers().size()), caption);
      } else {
        cb_paper->addItem(caption);
      }
      paper = static_cast<int>(Papers().size());
    }
    cb_paper->setCurrentIndex(paper);
    cbk_printready->setChecked(o.layout.print_ready);
    cbk_unique->setChecked(o.puzzles.unique);
    cb_design->setCurrentIndex(o.layout.design == pages::Design::kBook      ? 1
                               : o.layout.design == pages::Design::kClassic ? 2
                                                                            : 0);
    const int answers = cb_answers->findText(QString::number(o.layout.answers_per_page));
    cb_answers->setCurrentIndex(o.layout.answers_per_page > 0 && answers > 0 ? answers : 0);
    cbk_bold->setChecked(o.layout.bold_givens);
    cbk_large->setChecked(o.layout.large_print);
    ed_title->setText(QString::fromStdString(o.layout.title));
    ed_author->setText(QString::fromStdString(o.layout.author));
    ed_footer->setText(QString::fromStdString(o.layout.footer));
    bookpart->Show(o);
    for (QObject* control :
         std::initializer_list<QObject*>{cbk_cover, cb_stock, cb_theme, ed_blurb}) {
      quiet.push_back(std::make_unique<QSignalBlocker>(control));
    }
    cbk_cover->setChecked(!r.cover.file.empty());
    cb_stock->setCurrentIndex(r.cover.stock == pages::PaperStock::kCream   ? 1
                              : r.cover.stock == pages::PaperStock::kColor ? 2
                                                                           : 0);
    const int theme = cb_theme->findData(QString::fromStdString(r.cover.theme));
    cb_theme->setCurrentIndex(std::max(theme, 0));
    ed_blurb->setPlainText(QString::fromStdString(r.cover.blurb));
  }
  plan_cover_file_ = r.cover.file;
  plan_seed_ = r.seed;
  plan_exclude_ = r.exclude;
  excluded_ = o.excluded;
  manygroupClick();
}

bool TForm1::OpenPlan(const QString& file) {
  pages::BookRequest request;
  std::string problem = pages::ReadPlanFile(file.toStdString(), request);
  if (problem.empty() && !request.exclude.empty()) {
    request.book.excluded = pages::ReadExcluded(request.exclude, problem);
  }
  if (!problem.empty()) {
    dialogs_->ShowError(this, QString::fromStdString(problem));
    return false;
  }
  SetRequest(request);
  return true;
}

bool TForm1::SavePlan(const QString& file) {
  try {
    const std::string path = file.toStdString();
    const std::string text = pages::PlanFileText(Request(), path);
    report::AtomicFileStream out(path, true);
    out.Write(text.data(), text.size());
    out.Commit();
  } catch (const std::exception& e) {
    dialogs_->ShowError(this, QString::fromStdString(e.what()));
    return false;
  }
  return true;
}

void TForm1::BitBtn2Click() {
  if (running_ || !startup_error_.isEmpty()) return;
  if (PageControl1->currentIndex() == 0) StartRun(false);
  if (PageControl1->currentIndex() == 1) StartRun(true);
}

void TForm1::SetRunning(bool running) {
  running_ = running;
  for (QWidget* w : std::initializer_list<QWidget*>{BitBtn2, Button3, GroupBox1, PageControl1,
                                                    ndgroup, bookgroup, bookpart, covergroup}) {
    w->setEnabled(!running);
  }
  if (!startup_error_.isEmpty()) BitBtn2->setEnabled(false);
}

void TForm1::StartRun(bool samurai) {
  // Options that cannot make a book are explained instead of failing after the work.
  if (std::string problem = OptionsProblem(); !problem.empty()) {
    dialogs_->ShowError(this, QString::fromStdString(problem));
    return;
  }
  QString file = dialogs_->SaveFile(this, documents_);
  if (file.isEmpty()) return;
  // The same name rules as the command line: a bad name is refused before any work.
  std::string problem = pages::OutputNameProblem(file.toStdString());
  if (!problem.empty()) {
    dialogs_->ShowError(this, QString::fromStdString(problem));
    return;
  }
  file = QString::fromStdString(report::WithExtension(file.toStdString()));
  const QString cover_file = cbk_cover->isChecked() ? CoverFileOf(file) : QString();
  // A link that leads nowhere is an existing file too.
  const bool existed = pages::NameTaken(file.toStdString()) ||
                       (!cover_file.isEmpty() && pages::NameTaken(cover_file.toStdString()));
  if (existed && !dialogs_->ConfirmOverwrite(this)) return;
  maker_->companions.clear();
  if (!cover_file.isEmpty()) {
    pages::CoverOptions cover = CoverChoices();
    cover.file = cover_file.toStdString();
    const pages::BookOptions book = Options();
    maker_->companions.push_back({cover.file,
                                  [book, cover](const pages::BookMaker& made) {
                                    return pages::MakeCover(book, cover, pages::CoverBookOf(made));
                                  },
                                  true, nullptr});
  }
  // Only a replacement the user agreed to: a file that appears meanwhile is left alone.
  maker_->Renderer().ReplaceExisting = existed;
  // A signal during the run removes its temporary files and says what became of the book.
  report::SetInterruptMessage(
      "quorvel: interrupted; " +
      (existed ? file.toStdString() + " is as it was" : std::string("no book was written")) + "\n");
  struct QuietAfterRun {
    ~QuietAfterRun() { report::SetInterruptMessage(""); }
  } quiet_after_run;
  output_file_ = file;
  pb->setValue(0);
  gpb->setTitle(QStringLiteral("Create Sudoku Puzzles ..."));
  gpb->show();
  WindowProgress progress(this, gpb, pb);
  maker_->SetProgress(&progress);
  maker_->completed = [this] { dialogs_->ShowCompletion(this, output_file_); };
  SetRunning(true);
  QString error;
  try {
    // An opened plan's seed makes its book again.
    maker_->Random().SetSeedCounter(plan_seed_ ? puzzle::MakeSequenceCounter(*plan_seed_)
                                               : puzzle::SeedCounter());
    pages::BookOptions options = Options();
    if (samurai) {
      maker_->BuildSamuraiPages(options, file.toStdString());
    } else {
      maker_->BuildStandardPages(options, file.toStdString());
    }
  } catch (const std::exception& e) {
    error = QString::fromStdString(e.what());
  } catch (...) {
    error = QStringLiteral("Unknown error");
  }
  SetRunning(false);
  maker_->SetProgress(nullptr);
  if (!error.isEmpty()) {
    // The box says the run failed rather than showing it as still at work.
    gpb->setTitle(QStringLiteral("Failed: the book was not made"));
    pb->setValue(0);
    dialogs_->ShowError(this, error);
  }
  BitBtn2->setFocus();
  if (close_after_run_) close();
}

}  // namespace quorvel::app
