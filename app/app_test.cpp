// The window on the offscreen platform, with dialogs that answer at once.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "app/main_window.h"
#include "app/page_painter.h"
#include "pages/plan_file.h"
#include "report/page_stream_reader.h"
#include "tests/file_size_limit.h"

namespace quorvel::app {

class FakeDialogs : public Dialogs {
 public:
  QString save_answer;
  bool confirm = true;
  int save_calls = 0, confirm_calls = 0;
  QStringList errors;
  QList<QUrl> opened;
  bool open_works = true;
  QStringList not_opened;
  std::function<void()> on_completion;
  int completions = 0;

  QString SaveFile(QWidget*, const QString&) override {
    ++save_calls;
    return save_answer;
  }
  QString plan_answer;
  QString OpenPlan(QWidget*, const QString&) override { return plan_answer; }
  QString SavePlan(QWidget*, const QString&) override { return plan_answer; }
  bool ConfirmOverwrite(QWidget*) override {
    ++confirm_calls;
    return confirm;
  }
  void ShowError(QWidget*, const QString& text) override { errors << text; }
  void ShowCompletion(QWidget*, const QString&) override {
    ++completions;
    if (on_completion) on_completion();
  }
  bool Open(const QUrl& url) override {
    opened << url;
    return open_works;
  }
  void ShowCannotOpen(QWidget*, const QString& target) override { not_opened << target; }
};

class AppTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> window_;
  FakeDialogs* dialogs_ = nullptr;
  QTemporaryDir dir_;

  template <class T>
  T* Find(const char* name) {
    T* w = window_->findChild<T*>(QString::fromLatin1(name));
    if (!w) qFatal("no control %s", name);
    return w;
  }
  QRadioButton* Many(int item) {
    return qobject_cast<QRadioButton*>(
        Find<QGroupBox>("manygroup")->findChildren<QRadioButton*>().at(item));
  }
  int VisiblePictures() {
    int n = 0;
    for (const char* name : {"Image1", "Imagea1c", "Image2", "Image4", "Image5"}) {
      n += Find<QLabel>(name)->isVisibleTo(window_.get());
    }
    return n;
  }
  QString Shown() { return window_->VisiblePreview()->objectName(); }
  QRadioButton* level_radio(int item) {
    return qobject_cast<QRadioButton*>(
        Find<QGroupBox>("ndgroup")->findChildren<QRadioButton*>().at(item));
  }

 private slots:
  void init() {
    qputenv("XDG_RUNTIME_DIR", dir_.path().toUtf8());
    auto dialogs = std::make_unique<FakeDialogs>();
    dialogs_ = dialogs.get();
    window_ = std::make_unique<TForm1>(std::move(dialogs));
    window_->show();
  }
  void cleanup() { window_.reset(); }

  void startUp() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quorvel Pro 2.6"));
    QCOMPARE(Find<QSpinBox>("UpDown1")->value(), 20);
    QCOMPARE(Find<QSpinBox>("UpDown1")->maximum(), 200);
    QCOMPARE(Find<QTabWidget>("PageControl1")->currentIndex(), 0);
    QVERIFY(!Find<QGroupBox>("gpb")->isVisibleTo(window_.get()));
    QCOMPARE(Shown(), QStringLiteral("Image1"));
    QVERIFY(window_->PageStreamFile().endsWith(QStringLiteral("/tessalyquorvel.pgs")));
    QVERIFY(dialogs_->errors.isEmpty());
    // The defaults are the classic book.
    pages::BookOptions o = window_->Options();
    QCOMPARE(o.layout.paper.width, 8.5);
    QCOMPARE(o.layout.paper.height, 11.0);
    QVERIFY(!o.layout.print_ready && !o.puzzles.unique && !o.Samurai() && o.puzzles.level == 0);
    QCOMPARE(o.layout.per_page, 1);
    // The picture is a real page: dark pixels of rules and digits, sharp at the screen's ratio.
    QPixmap pixmap = window_->VisiblePreview()->pixmap();
    QCOMPARE(pixmap.deviceIndependentSize().toSize(), QSize(409, 527));
    QCOMPARE(pixmap.devicePixelRatio(), window_->devicePixelRatioF());
    QImage image = pixmap.toImage();
    int dark = 0;
    for (int y = 0; y < image.height(); y += 2) {
      for (int x = 0; x < image.width(); x += 2) dark += qGray(image.pixel(x, y)) < 128;
    }
    QVERIFY(dark > 200);
  }

  // Every caption shows whole and no two controls overlap, at the scale the test runs at (the
  // ctest entries run it at 1x and with QT_SCALE_FACTOR=2).
  void captionsFitAndNothingOverlaps() {
    window_->resize(window_->minimumSize());
    QApplication::processEvents();
    QSize screen(1280, 720);
    if (qgetenv("QT_SCALE_FACTOR").isEmpty()) {
      QVERIFY2(window_->minimumSize().width() <= screen.width() &&
                   window_->minimumSize().height() <= screen.height(),
               qPrintable(QStringLiteral("%1 x %2")
                              .arg(window_->minimumSize().width())
                              .arg(window_->minimumSize().height())));
    }
    for (int tab : {0, 1}) {
      Find<QTabWidget>("PageControl1")->setCurrentIndex(tab);
      QApplication::processEvents();
      QList<QWidget*> shown;
      for (QWidget* w : window_->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window_.get())) continue;
        bool has_text = false;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) has_text = !b->text().isEmpty();
        if (auto* l = qobject_cast<QLabel*>(w)) has_text = !l->text().isEmpty() && !l->wordWrap();
        if (auto* g = qobject_cast<QGroupBox*>(w)) has_text = !g->title().isEmpty();
        if (!has_text) continue;
        shown << w;
        QSize hint = w->sizeHint();
        QVERIFY2(w->width() >= hint.width() && w->height() >= hint.height(),
                 qPrintable(w->objectName() + QStringLiteral(" is %1 x %2, needs %3 x %4")
                                                  .arg(w->width())
                                                  .arg(w->height())
                                                  .arg(hint.width())
                                                  .arg(hint.height())));
      }
      for (QWidget* a : shown) {
        for (QWidget* b : shown) {
          if (a == b || a->parentWidget() != b->parentWidget()) continue;
          QVERIFY2(!a->geometry().intersects(b->geometry()),
                   qPrintable(a->objectName() + QStringLiteral(" overlaps ") + b->objectName()));
        }
      }
    }
  }

  void previewFollowsTheOptions() {
    struct Seen : report::TRenderer {
      double width = 0;
      QStringList texts;
      void BeginPage() override { width = PaperWidth; }
      void PrintLeft(std::string_view t, double, double) override {
        texts << QString::fromLatin1(t.data(), static_cast<qsizetype>(t.size()));
      }
      void PrintCenter(std::string_view, double, double) override {}
      void PrintRight(std::string_view, double, double) override {}
      void PrintBlock(std::string_view, double, double, double) override {}
      void MoveTo(double, double) override {}
      void LineTo(double, double) override {}
    };
    auto seen = [&] {
      auto s = std::make_unique<Seen>();
      report::TPageStreamReader(window_->PreviewRecording(), *s).Replay(1);
      return s;
    };
    QVERIFY(seen()->texts.contains(QStringLiteral("Very Easy Sudoku by Quorvel Pro")));
    QCOMPARE(seen()->width, 8.5);
    int builds = window_->PreviewBuilds();
    Find<QGroupBox>("ndgroup")->findChildren<QRadioButton*>().at(3)->click();
    QVERIFY(seen()->texts.contains(QStringLiteral("Hard Sudoku by Quorvel Pro")));
    QCOMPARE(window_->PreviewBuilds(), builds + 1);
    auto* paper = Find<QComboBox>("cb_paper");
    paper->setCurrentIndex(paper->findText(QStringLiteral("6 x 9 in")));
    QCOMPARE(seen()->width, 6.0);
    QCOMPARE(window_->PreviewBuilds(), builds + 2);
    Find<QCheckBox>("cbk_unique")->click();
    Find<QCheckBox>("cbk_printready")->click();
    Find<QSpinBox>("UpDown1")->setValue(7);
    QCOMPARE(window_->PreviewBuilds(), builds + 5);
    pages::BookOptions o = window_->Options();
    QVERIFY(o.puzzles.unique && o.layout.print_ready && o.layout.pages == 7 &&
            o.layout.paper.width == 6);
    QCOMPARE(VisiblePictures(), 1);
  }

  void aRefusedPaperIsShownBeforeTheRun() {
    auto* paper = Find<QComboBox>("cb_paper");
    auto* problem = Find<QLabel>("lbl_problem");
    auto* design = Find<QComboBox>("cb_design");
    QVERIFY(!problem->isVisibleTo(window_.get()));
    // The classic design cannot scale its text onto 5 x 8 in.
    design->setCurrentIndex(design->findText(QStringLiteral("Classic")));
    paper->setCurrentIndex(paper->findText(QStringLiteral("5 x 8 in")));
    QVERIFY(problem->isVisibleTo(window_.get()));
    QVERIFY2(problem->text().contains(QStringLiteral("the smallest paper of this shape is")),
             qPrintable(problem->text()));
    // The whole message shows: the window grows to fit it.
    QApplication::processEvents();
    QVERIFY2(problem->height() >= problem->sizeHint().height() &&
                 problem->width() >= problem->sizeHint().width(),
             qPrintable(QStringLiteral("%1 x %2, needs %3 x %4")
                            .arg(problem->width())
                            .arg(problem->height())
                            .arg(problem->sizeHint().width())
                            .arg(problem->sizeHint().height())));
    Find<QPushButton>("BitBtn2")->click();
    QCOMPARE(dialogs_->save_calls, 0);
    QCOMPARE(dialogs_->errors.size(), 1);
    QCOMPARE(dialogs_->errors[0], problem->text().replace(QLatin1Char('\n'), QLatin1Char(' ')));
    paper->setCurrentIndex(0);
    QVERIFY(!problem->isVisibleTo(window_.get()));
    design->setCurrentIndex(0);
  }

  void theBookDesignsChoicesReachTheBookAndThePreview() {
    auto* paper = Find<QComboBox>("cb_paper");
    auto* problem = Find<QLabel>("lbl_problem");
    // By the paper, 5 x 8 in gets the book design, which fits it.
    paper->setCurrentIndex(paper->findText(QStringLiteral("5 x 8 in")));
    QVERIFY2(!problem->isVisibleTo(window_.get()), qPrintable(problem->text()));
    QVERIFY(window_->Options().BookDesign());
    Find<QLineEdit>("ed_title")->setText(QStringLiteral("  My Puzzles  "));
    Find<QLineEdit>("ed_author")->setText(QStringLiteral("A. Writer"));
    auto* answers = Find<QComboBox>("cb_answers");
    answers->setCurrentIndex(answers->findText(QStringLiteral("9")));
    pages::BookOptions o = window_->Options();
    QCOMPARE(QString::fromStdString(o.layout.title), QStringLiteral("My Puzzles"));
    QCOMPARE(QString::fromStdString(o.layout.author), QStringLiteral("A. Writer"));
    QCOMPARE(o.AnswersPerPage(), 9);
    // The preview switches to the first answer page and back.
    const QImage puzzle_page = window_->VisiblePreview()->pixmap().toImage();
    auto* preview = Find<QComboBox>("cb_preview");
    preview->setCurrentIndex(1);
    const QImage answer_page = window_->VisiblePreview()->pixmap().toImage();
    QVERIFY(answer_page != puzzle_page);
    preview->setCurrentIndex(0);
    QVERIFY(window_->VisiblePreview()->pixmap().toImage() == puzzle_page);
    Find<QCheckBox>("cbk_large")->click();
    QVERIFY(window_->Options().layout.large_print && window_->Options().BoldGivens());
    Find<QCheckBox>("cbk_large")->click();
    // A count the design does not have is refused in red before any run.
    answers->setCurrentIndex(answers->findText(QStringLiteral("2")));
    QVERIFY(problem->isVisibleTo(window_.get()));
    QVERIFY2(problem->text().contains(QStringLiteral("4, 6, 9 or 12")),
             qPrintable(problem->text()));
    answers->setCurrentIndex(0);
    Find<QLineEdit>("ed_title")->clear();
    Find<QLineEdit>("ed_author")->clear();
    paper->setCurrentIndex(0);
    QVERIFY(!window_->Options().BookDesign());
  }

  void theBookPartMakesSectionsFrontMatterAndPlans() {
    Find<QComboBox>("cb_paper")
        ->setCurrentIndex(Find<QComboBox>("cb_paper")->findText(QStringLiteral("6 x 9 in")));
    // Two sections from the simple options, the second made Samurai, then moved first.
    level_radio(1)->click();
    Many(1)->click();
    Find<QPushButton>("btn_add_section")->click();
    Find<QPushButton>("btn_add_section")->click();
    auto* table = Find<QTableWidget>("tbl_sections");
    QCOMPARE(table->rowCount(), 2);
    qobject_cast<QComboBox*>(table->cellWidget(1, 0))->setCurrentIndex(1);
    qobject_cast<QSpinBox*>(table->cellWidget(1, 2))->setValue(3);
    QApplication::processEvents();
    table->item(1, 4)->setText(QStringLiteral("Samurai Warm-up"));
    table->selectRow(1);
    Find<QPushButton>("btn_section_up")->click();
    pages::BookOptions o = window_->Options();
    QCOMPARE(o.sections.size(), size_t{2});
    QVERIFY(o.sections[0].Samurai());
    QCOMPARE(o.sections[0].count, 3);
    QCOMPARE(o.sections[0].per_page, 1);
    QCOMPARE(QString::fromStdString(o.sections[0].name), QStringLiteral("Samurai Warm-up"));
    QVERIFY(!o.sections[1].Samurai());
    QCOMPARE(o.sections[1].level, 1);
    QCOMPARE(o.sections[1].per_page, 2);
    QCOMPARE(o.sections[1].count, 40);
    // Front matter and the title page's words.
    for (const char* box : {"cbk_front_title", "cbk_front_contents", "cbk_front_rules"}) {
      Find<QCheckBox>(box)->click();
    }
    Find<QLineEdit>("ed_title")->setText(QStringLiteral("Window Book"));
    Find<QLineEdit>("ed_subtitle")->setText(QStringLiteral("Made in the window"));
    Find<QLineEdit>("ed_isbn")->setText(QStringLiteral("978-0-306-40615-7"));
    o = window_->Options();
    QVERIFY(o.front.title && o.front.contents && o.front.rules && !o.front.copyright);
    QVERIFY(o.BookDesign());
    QVERIFY2(!Find<QLabel>("lbl_problem")->isVisibleTo(window_.get()),
             qPrintable(Find<QLabel>("lbl_problem")->text()));
    // The preview shows the title page and the contents.
    auto* preview = Find<QComboBox>("cb_preview");
    const QImage puzzle_page = window_->VisiblePreview()->pixmap().toImage();
    preview->setCurrentIndex(2);
    const QImage title_page = window_->VisiblePreview()->pixmap().toImage();
    preview->setCurrentIndex(3);
    const QImage contents_page = window_->VisiblePreview()->pixmap().toImage();
    QVERIFY(title_page != puzzle_page && contents_page != title_page);
    preview->setCurrentIndex(0);
    // A bad ISBN is refused in red before any run.
    Find<QLineEdit>("ed_isbn")->setText(QStringLiteral("978-0-306-40615-8"));
    QVERIFY(Find<QLabel>("lbl_problem")->isVisibleTo(window_.get()));
    QVERIFY(Find<QLabel>("lbl_problem")->text().contains(QStringLiteral("check digit")));
    Find<QLineEdit>("ed_isbn")->setText(QStringLiteral("978-0-306-40615-7"));

    // Save plan, change everything, open it again: the same book.
    dialogs_->plan_answer = dir_.filePath(QStringLiteral("window.toml"));
    Find<QPushButton>("btn_save_plan")->click();
    QVERIFY2(dialogs_->errors.isEmpty(), qPrintable(dialogs_->errors.join('\n')));
    const std::string saved = pages::PlanFileText(window_->Request(), "x.toml");
    table->selectRow(0);
    Find<QPushButton>("btn_remove_section")->click();
    Find<QCheckBox>("cbk_front_title")->click();
    Find<QComboBox>("cb_paper")->setCurrentIndex(0);
    QVERIFY(pages::PlanFileText(window_->Request(), "x.toml") != saved);
    Find<QPushButton>("btn_open_plan")->click();
    QVERIFY2(dialogs_->errors.isEmpty(), qPrintable(dialogs_->errors.join('\n')));
    QCOMPARE(pages::PlanFileText(window_->Request(), "x.toml"), saved);
    QCOMPARE(table->rowCount(), 2);
    // A bad plan is refused with its line and key.
    QFile bad(dir_.filePath(QStringLiteral("bad.toml")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("paper = \"6x9\"\nlevle = 2\n");
    bad.close();
    dialogs_->plan_answer = bad.fileName();
    Find<QPushButton>("btn_open_plan")->click();
    QCOMPARE(dialogs_->errors.size(), 1);
    QVERIFY2(dialogs_->errors.first().endsWith(QStringLiteral("bad.toml:2: unknown key 'levle'")),
             qPrintable(dialogs_->errors.first()));
    QCOMPARE(pages::PlanFileText(window_->Request(), "x.toml"), saved);
  }

  void variantSectionsOfferOnlyTheirLevelsAndLayouts() {
    Find<QComboBox>("cb_paper")
        ->setCurrentIndex(Find<QComboBox>("cb_paper")->findText(QStringLiteral("6 x 9 in")));
    level_radio(5)->click();
    Find<QPushButton>("btn_add_section")->click();
    auto* table = Find<QTableWidget>("tbl_sections");
    auto cell = [table](int column) {
      return qobject_cast<QComboBox*>(table->cellWidget(0, column));
    };
    // Made 4x4, an Extreme section becomes the kind's hardest level, Easy.
    cell(0)->setCurrentIndex(cell(0)->findText(QStringLiteral("4x4")));
    QApplication::processEvents();
    QCOMPARE(cell(1)->count(), 2);
    QCOMPARE(cell(1)->currentText(), QStringLiteral("Easy"));
    const auto* layouts = qobject_cast<QStandardItemModel*>(cell(3)->model());
    QVERIFY(!layouts->item(cell(3)->findText(QStringLiteral("1 + candidates")))->isEnabled());
    cell(3)->setCurrentIndex(cell(3)->findText(QStringLiteral("4")));
    pages::BookOptions o = window_->Options();
    QCOMPARE(o.sections.size(), size_t{1});
    QVERIFY(o.sections[0].kind == puzzle::PuzzleKind::kFour);
    QCOMPARE(o.sections[0].level, 1);
    QCOMPARE(o.sections[0].per_page, 4);
    QVERIFY2(!Find<QLabel>("lbl_problem")->isVisibleTo(window_.get()),
             qPrintable(Find<QLabel>("lbl_problem")->text()));
    // Jigsaw has all six levels; the level chosen is the level kept.
    cell(0)->setCurrentIndex(cell(0)->findText(QStringLiteral("Jigsaw")));
    QApplication::processEvents();
    QCOMPARE(cell(1)->count(), 6);
    cell(1)->setCurrentIndex(cell(1)->findText(QStringLiteral("Expert")));
    o = window_->Options();
    QVERIFY(o.sections[0].kind == puzzle::PuzzleKind::kJigsaw);
    QCOMPARE(o.sections[0].level, 4);
    QCOMPARE(QString::fromStdString(pages::PlanFileText(window_->Request(), "x.toml"))
                 .count(QStringLiteral("kind = 'jigsaw'")),
             1);
  }

  void alsoMakeACover() {
    Find<QComboBox>("cb_paper")
        ->setCurrentIndex(Find<QComboBox>("cb_paper")->findText(QStringLiteral("6 x 9 in")));
    Find<QSpinBox>("UpDown1")->setValue(60);
    auto* problem = Find<QLabel>("lbl_problem");
    Find<QCheckBox>("cbk_cover")->click();
    QVERIFY(problem->isVisibleTo(window_.get()));
    QVERIFY2(problem->text().contains(QStringLiteral("Print-ready")), qPrintable(problem->text()));
    Find<QCheckBox>("cbk_printready")->click();
    QVERIFY2(!problem->isVisibleTo(window_.get()), qPrintable(problem->text()));
    Find<QComboBox>("cb_theme")->setCurrentIndex(2);
    Find<QPlainTextEdit>("ed_blurb")->setPlainText(QStringLiteral("Sixty puzzles for the road."));
    // The preview shows the cover: wider than tall, back, spine and front side by side.
    const QImage page = window_->VisiblePreview()->pixmap().toImage();
    Find<QComboBox>("cb_preview")->setCurrentIndex(4);
    const QImage cover = window_->VisiblePreview()->pixmap().toImage();
    QVERIFY(cover != page);
    // A blurb too long for the back is refused before any run.
    QString longer;
    for (int i = 0; i < 400; ++i) longer += QStringLiteral("puzzles ");
    Find<QPlainTextEdit>("ed_blurb")->setPlainText(longer);
    QVERIFY(problem->text().contains(QStringLiteral("blurb")));
    Find<QPlainTextEdit>("ed_blurb")->setPlainText(QStringLiteral("Sixty puzzles for the road."));
    // The run makes the cover beside the book.
    dialogs_->save_answer = dir_.filePath(QStringLiteral("road"));
    Find<QPushButton>("BitBtn2")->click();
    QVERIFY2(dialogs_->errors.isEmpty(), qPrintable(dialogs_->errors.join('\n')));
    QFile pdf(dir_.filePath(QStringLiteral("road-cover.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF-1.3"));
    QVERIFY(bytes.contains("/TrimBox"));
    QVERIFY(QFile::exists(dir_.filePath(QStringLiteral("road.pdf"))));
  }

  void enterStartsCreateNow() {
    dialogs_->save_answer.clear();  // the save dialog is cancelled
    auto* pages = Find<QSpinBox>("UpDown1");
    pages->setFocus();
    QTest::keyClick(pages, Qt::Key_Return);
    QCOMPARE(dialogs_->save_calls, 1);
    QTest::keyClick(Find<QComboBox>("cb_paper"), Qt::Key_Enter);
    QCOMPARE(dialogs_->save_calls, 2);
  }

  void optionCoupling() {
    auto* box = Find<QCheckBox>("cbk_candidates");
    box->click();
    QCOMPARE(Shown(), QStringLiteral("Imagea1c"));
    Many(1)->click();
    QVERIFY(!box->isChecked());
    QVERIFY(!box->isEnabled());
    QCOMPARE(Shown(), QStringLiteral("Image2"));
    Many(0)->click();
    QVERIFY(box->isEnabled());
    QVERIFY(!box->isChecked());
    QCOMPARE(Shown(), QStringLiteral("Image1"));
    Many(2)->click();
    QCOMPARE(Shown(), QStringLiteral("Image4"));
    auto* tabs = Find<QTabWidget>("PageControl1");
    tabs->setCurrentIndex(1);
    QCOMPARE(Shown(), QStringLiteral("Image5"));
    QVERIFY(Find<QRadioButton>("RadioButton1")->isChecked());
    tabs->setCurrentIndex(0);
    QCOMPARE(Shown(), QStringLiteral("Image4"));
    QCOMPARE(VisiblePictures(), 1);
  }

  void cancellingTheSaveDialog() {
    dialogs_->save_answer.clear();
    Find<QPushButton>("BitBtn2")->click();
    QCOMPARE(dialogs_->save_calls, 1);
    QVERIFY(!Find<QGroupBox>("gpb")->isVisibleTo(window_.get()));
  }

  void decliningTheOverwritePrompt() {
    QString file = dir_.filePath(QStringLiteral("existing.pdf"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("keep");
    f.close();
    dialogs_->save_answer = file;
    dialogs_->confirm = false;
    Find<QPushButton>("BitBtn2")->click();
    QCOMPARE(dialogs_->confirm_calls, 1);
    QVERIFY(!Find<QGroupBox>("gpb")->isVisibleTo(window_.get()));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep"));
  }

  void aWholeRun_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("perPage");
    QTest::newRow("standard") << 0 << 2;
    QTest::newRow("samurai") << 1 << 0;
  }

  void aWholeRun() {
    QFETCH(int, tab);
    QFETCH(int, perPage);
    Find<QSpinBox>("UpDown1")->setValue(2);
    Many(perPage)->click();
    Find<QTabWidget>("PageControl1")->setCurrentIndex(tab);
    dialogs_->save_answer = dir_.filePath(QStringLiteral("book"));  // ".pdf" is added
    bool checked = false;
    dialogs_->on_completion = [&] {
      // While the completion dialog is open the box reads "Done" at 100.
      QCOMPARE(Find<QGroupBox>("gpb")->title(), QStringLiteral("Done"));
      QCOMPARE(Find<QProgressBar>("pb")->value(), 100);
      QVERIFY(Find<QGroupBox>("gpb")->isVisibleTo(window_.get()));
      QVERIFY(!Find<QPushButton>("BitBtn2")->isEnabled());
      QVERIFY(QFile::exists(dir_.filePath(QStringLiteral("book.pdf"))));
      checked = true;
    };
    Find<QPushButton>("BitBtn2")->click();
    QCOMPARE(dialogs_->completions, 1);
    QVERIFY(checked);
    QVERIFY(dialogs_->errors.isEmpty());
    QVERIFY(Find<QPushButton>("BitBtn2")->isEnabled());
    QVERIFY(!window_->Running());
    QFile pdf(dir_.filePath(QStringLiteral("book.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.readAll().startsWith("%PDF-1.3"));
  }

  void closingWaitsForTheRun() {
    Find<QSpinBox>("UpDown1")->setValue(1);
    dialogs_->save_answer = dir_.filePath(QStringLiteral("closing.pdf"));
    bool still_open = false;
    dialogs_->on_completion = [&] {
      // "Quit" is disabled during a run, and closing the window waits for its end.
      QVERIFY(!Find<QPushButton>("Button3")->isEnabled());
      window_->close();
      still_open = window_->isVisible();
    };
    Find<QPushButton>("BitBtn2")->click();
    QVERIFY(still_open);
    QVERIFY(!window_->isVisible());
  }

  void badNamesAreRefusedBeforeAnyWork_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("says");
    QTest::newRow("missing folder")
        << QStringLiteral("no-such-folder/book.pdf") << QStringLiteral("no-such-folder");
    QTest::newRow("a folder") << QString() << QStringLiteral("is a folder");
    QTest::newRow("trailing slash") << QStringLiteral("sub/") << QStringLiteral("ends in");
  }

  void badNamesAreRefusedBeforeAnyWork() {
    QFETCH(QString, name);
    QFETCH(QString, says);
    dialogs_->save_answer = name.isEmpty() ? dir_.path() : dir_.filePath(name);
    Find<QSpinBox>("UpDown1")->setValue(1);
    Find<QPushButton>("BitBtn2")->click();
    QCOMPARE(dialogs_->errors.size(), 1);
    QVERIFY2(dialogs_->errors[0].contains(says), qPrintable(dialogs_->errors[0]));
    QCOMPARE(dialogs_->completions, 0);
    QCOMPARE(dialogs_->confirm_calls, 0);
    QVERIFY(!Find<QGroupBox>("gpb")->isVisibleTo(window_.get()));
    QVERIFY(Find<QPushButton>("BitBtn2")->isEnabled());
    QVERIFY(!window_->Running());
  }

  void aFailedRunSaysSo() {
    // A full disk, made with a file-size limit: the PDF cannot be written.
    dialogs_->save_answer = dir_.filePath(QStringLiteral("full.pdf"));
    Find<QSpinBox>("UpDown1")->setValue(200);
    {
      testing::FileSizeLimit full_disk(64 * 1024);
      Find<QPushButton>("BitBtn2")->click();
    }
    QCOMPARE(dialogs_->errors.size(), 1);
    QCOMPARE(dialogs_->completions, 0);
    QCOMPARE(Find<QGroupBox>("gpb")->title(), QStringLiteral("Failed: the book was not made"));
    QCOMPARE(Find<QProgressBar>("pb")->value(), 0);
    QVERIFY(Find<QPushButton>("BitBtn2")->isEnabled());
    QVERIFY(Find<QPushButton>("BitBtn2")->hasFocus() || !window_->isActiveWindow());
    QVERIFY(!QFile::exists(dialogs_->save_answer));
  }

  void aFailedStartUpDisablesCreateNow() {
    // The private folder cannot be made: its parent is a file.
    QString blocker = dir_.filePath(QStringLiteral("not-a-folder"));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", blocker.toUtf8());
    auto dialogs = std::make_unique<FakeDialogs>();
    FakeDialogs* said = dialogs.get();
    TForm1 window(std::move(dialogs));
    qunsetenv("TMPDIR");
    QCOMPARE(said->errors.size(), 1);
    QVERIFY2(said->errors[0].contains(QStringLiteral("not-a-folder")), qPrintable(said->errors[0]));
    QCOMPARE(window.StartupError(), said->errors[0]);
    auto* create = window.findChild<QPushButton*>(QStringLiteral("BitBtn2"));
    QVERIFY(!create->isEnabled());
    window.BitBtn2Click();
    QCOMPARE(said->save_calls, 0);
    QCOMPARE(said->errors.size(), 1);
  }

  void desktopRequests() {
    Find<QPushButton>("Button4")->click();
    QCOMPARE(dialogs_->opened.size(), 1);
    QCOMPARE(dialogs_->opened[0], QUrl(QStringLiteral("https://www.tessaly.example")));
    QList<QUrl> opened;
    Tfrmwc done(nullptr, QStringLiteral("/home/me/books/book.pdf"),
                [&](const QUrl& url) { opened << url; });
    QCOMPARE(done.windowTitle(), QStringLiteral("Quorvel"));
    QVERIFY(done.minimumSize().width() >= 299 && done.minimumSize().height() >= 108);
    QVERIFY(done.findChild<QLabel*>(QStringLiteral("Label1"))->text() ==
            QStringLiteral("Completed !!!"));
    done.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    done.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened[0], QUrl::fromLocalFile(QStringLiteral("/home/me/books")));
    QCOMPARE(opened[1], QUrl::fromLocalFile(QStringLiteral("/home/me/books/book.pdf")));
    QCOMPARE(Tfrmwc::FolderOf(QStringLiteral("/book.pdf")), QStringLiteral("/"));
    // When the desktop has no handler, a message shows what could not be opened.
    dialogs_->open_works = false;
    Find<QPushButton>("Button4")->click();
    QCOMPARE(dialogs_->not_opened, QStringList{QStringLiteral("https://www.tessaly.example")});
    OpenOrSay(*dialogs_, window_.get(), QUrl::fromLocalFile(QStringLiteral("/home/me/b.pdf")));
    QCOMPARE(dialogs_->not_opened.last(), QStringLiteral("/home/me/b.pdf"));
    Find<QPushButton>("Button3")->click();
    QVERIFY(!window_->isVisible());
  }
};

}  // namespace quorvel::app

QTEST_MAIN(quorvel::app::AppTest)
#include "app_test.moc"
