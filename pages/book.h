// The book maker's pipeline: a book's plan, its puzzles, its pages drawn through the page
// templates as report items, the recording in the page-stream file, and the PDF made from it.
// The window, the command line and the tests all drive it, with the options as plain values.
#pragma once

#include <functional>
#include <string>

#include "pages/options.h"
#include "pages/paper.h"
#include "pages/plan.h"
#include "pages/sheet.h"
#include "pages/words.h"
#include "puzzle/banks.h"
#include "puzzle/samurai.h"
#include "puzzle/supply.h"
#include "quorvel/version.h"
#include "report/document.h"
#include "report/page_stream_writer.h"
#include "report/pdf_writer.h"

namespace quorvel::pages {

// The document information of every PDF.
inline constexpr const char* kMakerSite = "Tessaly";
inline constexpr const char* kKeywords = "printable sudoku,pdf sudoku,sudoku,sudoko";

// Caption of a level 0..5: "Very Easy Sudoku" .. "Extreme Sudoku".
std::string LevelCaption(int level);
// The title on every page and in a print-ready file: "Hard Sudoku by Quorvel Pro".
std::string BookTitle(int level);

// The year of a copyright line: the year of the PDF's creation date.
int CopyrightYear();

// The print name of the one variant all of a book's puzzles are, "Jigsaw Sudoku", or "" for a
// book of Standard or Samurai puzzles or of several kinds.
std::string OneVariantTitle(const BookOptions& o);

// Why a section cannot be made, or "".
std::string SectionProblem(const Section& section);

// Why a book cannot be made with `options` from `banks`, or "" when it can. The front ends ask
// before any work; the maker refuses such options too.
std::string OptionsProblem(const BookOptions& options, const puzzle::BankSet& banks);

// A puzzle of a book, by its number in the book.
struct PickedPuzzle {
  puzzle::PuzzleKind kind = puzzle::PuzzleKind::kStandard;
  int level = 0;  // 0..5
  // Standard and the variants: n x n characters each, "0" an empty cell of the puzzle.
  std::string puzzle, solution;
  // Jigsaw: the region of each cell, 81 characters "1".."9".
  std::string layout;
  // Samurai: the five grids as the Samurai store keeps them.
  puzzle::SamuraiGrids grids;
  // The bank lines it was made from: one, or one a Samurai grid in grid order.
  std::vector<puzzle::PuzzleSupply::Draw> lines;
};

class BookMaker {
 public:
  // `page_stream_file` is where the last run's recording is left; each run records into a new
  // file of its own beside it and gives it that name when the run ends.
  BookMaker(const puzzle::BankSet& banks, std::string page_stream_file);

  // Builds the whole book into `pdf_file`: its plan, its puzzles, every page through its
  // template, the recording and the PDF. Progress gets captions, positions 0..100 and chances
  // to repaint; `completed` runs once the PDF is written (the window shows its dialog there).
  void Build(const BookOptions& options, const std::string& pdf_file);
  // The same for a Standard or a Samurai book, whatever the options' kind.
  void BuildStandardPages(BookOptions options, const std::string& pdf_file);
  void BuildSamuraiPages(BookOptions options, const std::string& pdf_file);

  void SetProgress(report::Progress* progress);
  std::function<void()> completed;
  // When set, a build stops once the page stream is recorded and read back (into
  // LastRecording()) and writes no PDF; preview pictures are made this way.
  bool record_only = false;
  const std::vector<uint8_t>& LastRecording() const { return last_recording_; }
  // When above 0, pages are placed as in a book of this many pages (a preview of a book's first
  // page is built alone but keeps the whole book's margins).
  int layout_page_count = 0;
  // Files made with the book, such as its manifest and cover: each is written beside the PDF
  // and takes its name only once the PDF has taken its own, so that a failed run leaves
  // neither. Their texts are asked for in order once the PDF is written (Renderer().Written()
  // tells what it holds), before it takes its name.
  struct CompanionFile {
    std::string path;
    std::function<std::string(const BookMaker&)> text;
    // Made on a thread of its own while the book is executed and written, from the plan and
    // the puzzles alone (a cover): the book does not wait for it.
    bool early = false;
    // When set, an early text is finished here once the PDF is written (what it holds added).
    std::function<std::string(std::string text, const BookMaker&)> finish;
  };
  std::vector<CompanionFile> companions;
  // Called with the finished document just before it is executed; lets tests inspect it.
  std::function<void(report::TReportProject&)> before_execute;
  // Called as each stage of a run ends: "picks", "document", "execute", "close", "read back"
  // and "pdf"; a benchmark times the stages with it.
  std::function<void(const char* stage)> stage_ended;

  puzzle::PuzzleSupply& Supply() { return supply_; }
  // This maker's random source; a seed counter set here makes its books reproducible.
  puzzle::RandomSource& Random() { return random_; }
  const puzzle::SamuraiBatch& Samurai() const { return samurai_; }
  // The last run's puzzles, puzzle k at k - 1, and its plan.
  const std::vector<PickedPuzzle>& Picked() const { return picked_; }
  const BookPlan& Plan() const { return plan_; }
  const puzzle::BankSet& Banks() const { return supply_.Banks(); }
  report::TRenderPDF& Renderer() { return render_pdf_; }
  const report::TRenderPDF& Renderer() const { return render_pdf_; }
  const std::string& PageStreamFile() const { return page_stream_file_; }

 private:
  // Checks and takes the run's options (the layout and how the PDF is written) before any
  // work; options that cannot make a book throw std::invalid_argument.
  void StartRun(const BookOptions& options);
  // The run's puzzles: the Standard batch, or one Samurai puzzle a page.
  void PickPuzzles(const BookOptions& options);
  // A book-design run's puzzles, part by part, drawn as the classic book draws them.
  void PickBookPuzzles(const BookOptions& options);
  // A new project whose report "Report1" holds `pages` pages chained in print order.
  void StartReport(int pages);
  // Page `number` of the book, with its placement for the run's options.
  Sheet Page(int number);
  // Executes the report into the page-stream file, reads it back and renders the PDF.
  void ClosingSteps(const std::string& pdf_file, int second_position);
  void StageEnded(const char* stage) {
    if (stage_ended) stage_ended(stage);
  }

  puzzle::RandomSource random_;
  puzzle::PuzzleSupply supply_;
  puzzle::SamuraiBatch samurai_;
  report::TReportProject project_;
  report::TPageStreamWriter writer_;
  report::TRenderPDF render_pdf_;
  std::string page_stream_file_;
  BookOptions options_;  // of the run being built
  BookWords words_;      // its title, footer and author as printed
  BookPlan plan_;
  std::vector<PickedPuzzle> picked_;
  std::vector<uint8_t> last_recording_;
  report::Progress no_progress_;
  report::Progress* progress_ = &no_progress_;
};

}  // namespace quorvel::pages
