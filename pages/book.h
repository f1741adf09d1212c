// The book maker: builds a Standard or Samurai book as report pages of text and line items,
// records them into the page-stream file and renders that into the PDF file. The window, the
// command line and the tests all drive it, with the run options as plain values.
#pragma once

#include <cmath>
#include <functional>
#include <string>

#include "pages/paper.h"
#include "puzzle/banks.h"
#include "puzzle/options.h"
#include "puzzle/samurai.h"
#include "puzzle/supply.h"
#include "quorvel/version.h"
#include "report/document.h"
#include "report/page_stream_writer.h"
#include "report/pdf_writer.h"

namespace quorvel::pages {

// The footer printed on every page, and the document information of every PDF.
inline constexpr const char* kMakerAddress = "www.tessaly.example";
inline constexpr const char* kMakerSite = "Tessaly";
inline constexpr const char* kKeywords = "printable sudoku,pdf sudoku,sudoku,sudoko";

// Caption of a level choice 0..5: "Very Easy Sudoku" .. "Extreme Sudoku".
std::string LevelCaption(int level_item);
// The title on every page and in a print-ready file: "Hard Sudoku by Quorvel Pro".
std::string BookTitle(int level_item);

// Why a book cannot be made with `options` from `banks`, or "" when it can. The front ends ask
// before any work; the builders refuse such options too.
std::string RunOptionsProblem(const puzzle::RunOptions& options, const puzzle::BankSet& banks);

// A page being built, and where the Letter design goes on it: positions, lengths, line widths
// and font sizes of the design pass through here.
struct Sheet {
  report::TReportPage& page;
  Placement at;
  double X(double x) const { return at.Identity() ? x : at.left + at.scale * x; }
  double Y(double y) const { return at.Identity() ? y : at.top + at.scale * y; }
  double Length(double v) const { return at.Identity() ? v : at.scale * v; }
  // Sizes stay whole points.
  int Size(int points) const {
    return at.Identity() ? points : static_cast<int>(std::lround(points * at.scale));
  }
};

class BookMaker {
 public:
  // `page_stream_file` is where the last run's recording is left; each run records into a new
  // file of its own beside it and gives it that name when the run ends.
  BookMaker(const puzzle::BankSet& banks, std::string page_stream_file);

  // Builds the whole book into `pdf_file`. Progress gets captions, positions 0..100 and chances
  // to repaint; `completed` runs once the PDF is written (the window shows its dialog there).
  void BuildStandardPages(const puzzle::RunOptions& options, const std::string& pdf_file);
  void BuildSamuraiPages(const puzzle::RunOptions& options, const std::string& pdf_file);

  void SetProgress(report::Progress* progress);
  std::function<void()> completed;
  // When set, a build stops once the page stream is recorded and read back (into
  // LastRecording()) and writes no PDF; preview pictures are made this way.
  bool record_only = false;
  const std::vector<uint8_t>& LastRecording() const { return last_recording_; }
  // When above 0, pages are placed as in a book of this many pages (a preview of a book's first
  // page is built alone but keeps the whole book's margins).
  int layout_page_count = 0;
  // Called with the finished document just before it is executed; lets tests inspect it.
  std::function<void(report::TReportProject&)> before_execute;
  // Called as each stage of a run ends: "picks", "document", "execute", "close", "read back"
  // and "pdf"; a benchmark times the stages with it.
  std::function<void(const char* stage)> stage_ended;

  puzzle::PuzzleSupply& Supply() { return supply_; }
  // This maker's random source; a seed counter set here makes its books reproducible.
  puzzle::RandomSource& Random() { return random_; }
  const puzzle::SamuraiBatch& Samurai() const { return samurai_; }
  report::TRenderPDF& Renderer() { return render_pdf_; }
  const std::string& PageStreamFile() const { return page_stream_file_; }

 private:
  // Checks and takes the run's options (the layout and how the PDF is written) before any
  // work; options that cannot make a book throw std::invalid_argument.
  void StartRun(const puzzle::RunOptions& options);
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
  puzzle::RunOptions options_;  // of the run being built
  std::vector<uint8_t> last_recording_;
  report::Progress no_progress_;
  report::Progress* progress_ = &no_progress_;
};

}  // namespace quorvel::pages
