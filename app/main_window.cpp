#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStyle>

#include "app/page_painter.h"
#include "pages/locations.h"
#include "puzzle/random.h"

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

QRadioButton* AddRadio(QWidget* parent, QButtonGroup* group, int id, const char* caption, int x,
                       int y, int w) {
  auto* button = new QRadioButton(QString::fromLatin1(caption), parent);
  button->setGeometry(x, y, w, 20);
  group->addButton(button, id);
  return button;
}

}  // namespace

TForm1::TForm1(std::unique_ptr<Dialogs> dialogs)
    : dialogs_(dialogs ? std::move(dialogs) : std::make_unique<QtDialogs>()) {
  setObjectName(QStringLiteral("Form1"));
  BuildControls();
  FormCreate();
  MakePreviews();
  manygroupClick();
}

TForm1::~TForm1() = default;

void TForm1::BuildControls() {
  setFixedSize(692, 496);
  // A small dialog font, so that every caption fits the control sizes of this layout.
  QFont small = font();
  small.setPixelSize(11);
  setFont(small);
  setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  struct Picture {
    QLabel** label;
    const char* name;
    int w, h;
  };
  for (const Picture& p : {Picture{&Image1, "Image1", 409, 527},
                           {&Imagea1c, "Imagea1c", 407, 527},
                           {&Image2, "Image2", 409, 499},
                           {&Image4, "Image4", 409, 527},
                           {&Image5, "Image5", 409, 485}}) {
    *p.label = new QLabel(this);
    (*p.label)->setObjectName(QString::fromLatin1(p.name));
    (*p.label)->setGeometry(0, 0, p.w, p.h);
    (*p.label)->hide();
  }

  GroupBox1 = new QGroupBox(QStringLiteral("Number of Pages (Max:200)"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(424, 11, 257, 63);
  UpDown1 = new QSpinBox(GroupBox1);
  UpDown1->setObjectName(QStringLiteral("UpDown1"));
  UpDown1->setGeometry(18, 29, 136, 21);  // the edit box and its arrows
  UpDown1->setRange(1, 200);
  UpDown1->setValue(20);

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  PageControl1->setGeometry(426, 80, 255, 114);
  auto* standard = new QWidget();
  standard->setObjectName(QStringLiteral("TabSheet1"));
  auto* samurai = new QWidget();
  samurai->setObjectName(QStringLiteral("TabSheet2"));
  PageControl1->addTab(standard, QStringLiteral("Standard Sudoku"));
  PageControl1->addTab(samurai, QStringLiteral("Samurai Sudoku"));

  manygroup = new QGroupBox(QStringLiteral("Puzzles per page"), standard);
  manygroup->setObjectName(QStringLiteral("manygroup"));
  manygroup->setGeometry(4, 1, 242, 79);
  many_buttons_ = new QButtonGroup(this);
  // Two columns: items 0 and 1 on the left, item 2 on the right above the check box.
  AddRadio(manygroup, many_buttons_, 0, "1 puzzle per page", 8, 20, 116)->setChecked(true);
  AddRadio(manygroup, many_buttons_, 1, "2 puzzles per page", 8, 48, 116);
  AddRadio(manygroup, many_buttons_, 2, "4 puzzles per page", 125, 20, 116);
  cbk_candidates = new QCheckBox(QStringLiteral("Print Candidates"), standard);
  cbk_candidates->setObjectName(QStringLiteral("cbk_candidates"));
  cbk_candidates->setGeometry(129, 52, 104, 17);
  cbk_candidates->raise();
  RadioButton1 = new QRadioButton(QStringLiteral("1 puzzle per page"), samurai);
  RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
  RadioButton1->setGeometry(67, 34, 113, 17);
  RadioButton1->setChecked(true);

  ndgroup = new QGroupBox(QStringLiteral("Sudoku level"), this);
  ndgroup->setObjectName(QStringLiteral("ndgroup"));
  ndgroup->setGeometry(426, 199, 255, 116);
  level_buttons_ = new QButtonGroup(this);
  const char* levels[] = {"Very Easy Sudoku", "Easy Sudoku",   "Standard Sudoku",
                          "Hard Sudoku",      "Expert Sudoku", "Extreme Sudoku"};
  for (int i = 0; i < 6; ++i) {
    AddRadio(ndgroup, level_buttons_, i, levels[i], 8 + (i / 3) * 124, 22 + (i % 3) * 28, 120);
  }
  level_buttons_->button(0)->setChecked(true);

  BitBtn2 = new QPushButton(QStringLiteral("Create Now"), this);
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  BitBtn2->setGeometry(496, 322, 113, 33);
  BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
  BitBtn2->setDefault(true);
  BitBtn2->setAutoDefault(true);

  gpb = new QGroupBox(this);
  gpb->setObjectName(QStringLiteral("gpb"));
  gpb->setGeometry(428, 361, 249, 50);
  gpb->hide();
  pb = new QProgressBar(gpb);
  pb->setObjectName(QStringLiteral("pb"));
  pb->setGeometry(14, 22, 224, 16);
  pb->setRange(0, 100);

  Button4 = new QPushButton(QStringLiteral("Visit Tessaly"), this);
  Button4->setObjectName(QStringLiteral("Button4"));
  Button4->setGeometry(567, 422, 118, 30);
  Button3 = new QPushButton(QStringLiteral("Quit"), this);
  Button3->setObjectName(QStringLiteral("Button3"));
  Button3->setGeometry(567, 459, 118, 29);

  connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
  connect(many_buttons_, &QButtonGroup::idClicked, this, [this](int) { manygroupClick(); });
  connect(cbk_candidates, &QCheckBox::toggled, this, [this](bool) { cbk_candidatesClick(); });
  connect(PageControl1, &QTabWidget::currentChanged, this, [this](int) { PageControl1Change(); });
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
  maker_ = std::make_unique<pages::BookMaker>(puzzle::BuiltInBanks(), stream_file);
}

void TForm1::MakePreviews() {
  // Sample pages of each layout, made by this program's own page builders and painted from
  // their recorded page streams, with a fixed seed so that the pictures stay the same.
  std::string folder;
  try {
    folder = pages::PrivateTempFolder();
  } catch (const std::exception&) {
    return;
  }
  pages::BookMaker preview(puzzle::BuiltInBanks(), folder + "quorvel-preview.pgs");
  preview.record_only = true;
  struct Sample {
    QLabel* label;
    bool samurai;
    int per_page_item;
    bool candidates;
  };
  for (const Sample& s : {Sample{Image1, false, 0, false}, Sample{Imagea1c, false, 0, true},
                          Sample{Image2, false, 1, false}, Sample{Image4, false, 2, false},
                          Sample{Image5, true, 0, false}}) {
    puzzle::SetSeedCounter(puzzle::MakeSequenceCounter(2600));
    puzzle::RunOptions o;
    o.pages = 1;
    o.level_item = 3;
    o.per_page_item = s.per_page_item;
    o.candidates = s.candidates;
    try {
      if (s.samurai) {
        preview.BuildSamuraiPages(o, std::string());
      } else {
        preview.BuildStandardPages(o, std::string());
      }
      QImage picture = PaintFirstPage(preview.LastRecording(), s.label->width(), s.label->height());
      s.label->setPixmap(QPixmap::fromImage(picture));
    } catch (const std::exception&) {
      // A missing picture leaves the window usable.
    }
  }
  puzzle::SetSeedCounter(nullptr);
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
  int item = many_buttons_->checkedId();
  if (item == 0) {
    cbk_candidates->setEnabled(true);
    ShowPreview(cbk_candidates->isChecked() ? Imagea1c : Image1);
  } else {
    cbk_candidates->setEnabled(false);
    {
      // Unchecking here keeps this layout's picture.
      QSignalBlocker block(cbk_candidates);
      cbk_candidates->setChecked(false);
    }
    ShowPreview(item == 1 ? Image2 : Image4);
  }
}

void TForm1::cbk_candidatesClick() { ShowPreview(cbk_candidates->isChecked() ? Imagea1c : Image1); }

void TForm1::PageControl1Change() {
  if (PageControl1->currentIndex() == 1) {
    ShowPreview(Image5);
  } else {
    manygroupClick();
  }
}

void TForm1::Button4Click() { dialogs_->Open(QUrl(QString::fromLatin1(kMakerUrl))); }

void TForm1::Button3Click() { close(); }

void TForm1::closeEvent(QCloseEvent* event) {
  if (running_) {
    // The window closes once the run has ended.
    close_after_run_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

puzzle::RunOptions TForm1::Options() const {
  puzzle::RunOptions o;
  o.samurai = PageControl1->currentIndex() == 1;
  o.pages = UpDown1->value();
  o.level_item = std::max(0, level_buttons_->checkedId());
  o.per_page_item = std::max(0, many_buttons_->checkedId());
  o.candidates = cbk_candidates->isChecked();
  return o;
}

void TForm1::BitBtn2Click() {
  if (running_ || !startup_error_.isEmpty()) return;
  if (PageControl1->currentIndex() == 0) StartRun(false);
  if (PageControl1->currentIndex() == 1) StartRun(true);
}

void TForm1::SetRunning(bool running) {
  running_ = running;
  for (QWidget* w :
       std::initializer_list<QWidget*>{BitBtn2, Button3, GroupBox1, PageControl1, ndgroup}) {
    w->setEnabled(!running);
  }
  if (!startup_error_.isEmpty()) BitBtn2->setEnabled(false);
}

void TForm1::StartRun(bool samurai) {
  QString file = dialogs_->SaveFile(this, documents_);
  if (file.isEmpty()) return;
  // The same name rules as the command line: a bad name is refused before any work.
  std::string problem = report::OutputNameProblem(file.toStdString());
  if (!problem.empty()) {
    dialogs_->ShowError(this, QString::fromStdString(problem));
    return;
  }
  file = QString::fromStdString(report::WithExtension(file.toStdString()));
  if (QFileInfo::exists(file) && !dialogs_->ConfirmOverwrite(this)) return;
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
    puzzle::RunOptions options = Options();
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
  // The general error report; the progress box keeps its last caption and value.
  if (!error.isEmpty()) dialogs_->ShowError(this, error);
  if (close_after_run_) close();
}

}  // namespace quorvel::app
