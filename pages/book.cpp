#include "pages/book.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>

#include "pages/templates/book_design.h"
#include "pages/templates/templates.h"
#include "pages/words.h"

namespace quorvel::pages {
namespace {

using report::TReportPage;

constexpr const char* kLevelCaptions[] = {"Very Easy Sudoku", "Easy Sudoku",   "Standard Sudoku",
                                          "Hard Sudoku",      "Expert Sudoku", "Extreme Sudoku"};

// A run's own recording: a new file with a unique name beside the page-stream file, so that
// runs at the same time never read each other's pages. It is written, read back and mapped
// through the one descriptor it was made with, never opened again by name. When the run ends,
// whether it finished or failed part-way, what it recorded takes the page-stream file's name.
class RunRecording {
 public:
  explicit RunRecording(const std::string& page_stream_file) : final_(page_stream_file) {
    file_.emplace(final_, false);
  }
  ~RunRecording() {
    struct stat st {};
    if (fstat(file_->Descriptor(), &st) == 0 && st.st_size > 0) file_->MoveTo(final_, true);
  }
  RunRecording(const RunRecording&) = delete;
  RunRecording& operator=(const RunRecording&) = delete;

  // A stream writing the recording; closing it leaves the recording's own descriptor open.
  std::unique_ptr<report::FileStream> Writer() const {
    int fd = dup(file_->Descriptor());
    std::FILE* file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (!file) {
      if (fd >= 0) close(fd);
      throw report::FileError("Cannot write file \"" + file_->Path() + "\". " +
                              std::strerror(errno));
    }
    return std::make_unique<report::FileStream>(file, file_->Path());
  }
  int Descriptor() const { return file_->Descriptor(); }
  // The name the recording has once the run ends.
  const std::string& FinalName() const { return final_; }

 private:
  std::string final_;
  std::optional<report::TemporaryFile> file_;
};

}  // namespace

std::string LevelCaption(int level) {
  if (level < 0 || level > 5) {
    throw std::out_of_range("level " + std::to_string(level) + " is not 0..5");
  }
  return kLevelCaptions[level];
}

std::string BookTitle(int level) { return LevelCaption(level) + " by " + kProgramName; }

std::string OptionsProblem(const BookOptions& options, const puzzle::BankSet& banks) {
  const PageOptions& layout = options.layout;
  if (options.puzzles.level < 0 || options.puzzles.level > 5) {
    return "level " + std::to_string(options.puzzles.level) + " is not 0..5";
  }
  if (layout.pages < 1 || layout.pages > 200) {
    return "a book has 1 to 200 pages, not " + std::to_string(layout.pages);
  }
  if (layout.per_page != 1 && layout.per_page != 2 && layout.per_page != 4) {
    return "a page holds 1, 2 or 4 puzzles, not " + std::to_string(layout.per_page);
  }
  if (!(layout.paper.width >= kMinPaperWidth && layout.paper.width <= kMaxPaperWidth &&
        layout.paper.height >= kMinPaperHeight && layout.paper.height <= kMaxPaperHeight)) {
    return std::string("the paper must be ") + kPaperForms;
  }
  if (options.BookDesign()) {
    if (std::string problem = BookDesignProblem(options, PlanBook(options).TotalPages());
        !problem.empty()) {
      return problem;
    }
  } else {
    if (std::string problem = BookDesignProblem(options, 0); !problem.empty()) return problem;
    if (std::string problem = PaperProblem(options); !problem.empty()) return problem;
  }
  if (std::string problem = WordsProblem(options); !problem.empty()) return problem;
  if (options.puzzles.unique) {
    const int bank = puzzle::GetBankLevel(options.puzzles.level) - 1;
    const int needed = options.Samurai() ? 5 * layout.pages : layout.pages * layout.per_page;
    const int most = static_cast<int>(banks.Bank(bank).size());
    if (needed > most) {
      return "a book of different puzzles can hold at most " + std::to_string(most) + " " +
             LevelCaption(options.puzzles.level) + " puzzles; this one needs " +
             std::to_string(needed);
    }
  }
  return std::string();
}

BookMaker::BookMaker(const puzzle::BankSet& banks, std::string page_stream_file)
    : supply_(banks, random_), page_stream_file_(std::move(page_stream_file)) {
  project_.SetEngine(&writer_);
  // Each run's recording goes straight to its file, so that it never sits in memory beside the
  // whole document; it is read back once the document is freed.
  writer_.StreamMode = report::smUser;
  writer_.Copies = 2;
  render_pdf_.EmbedFonts = true;
  render_pdf_.FontEncoding = report::fePDFDocEncoding;
  render_pdf_.DocInfo.KeyWords = kKeywords;
  render_pdf_.DocInfo.Creator = kMakerAddress;
  render_pdf_.DocInfo.Producer = kMakerSite;
}

void BookMaker::SetProgress(report::Progress* progress) {
  progress_ = progress ? progress : &no_progress_;
  writer_.Yield = progress;
}

void BookMaker::StartRun(const BookOptions& options) {
  if (std::string problem = OptionsProblem(options, supply_.Banks()); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  options_ = options;
  render_pdf_.PrintReady = options.layout.print_ready;
  words_ = WordsOf(options);
  const BookWords& words = words_;
  // The classic book's fonts name PDFDocEncoding, which no reader maps above 127 for a font:
  // the publisher's accented letters need the Windows encoding the widths are given in.
  auto accented = [](const std::string& text) {
    for (char c : text) {
      if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
  };
  render_pdf_.FontEncoding = accented(words.title.text) || accented(words.footer.text)
                                 ? report::feWinAnsiEncoding
                                 : report::fePDFDocEncoding;
  render_pdf_.DocInfo.Title = options.layout.title.empty() ? std::string() : words.title.text;
  render_pdf_.DocInfo.Author = words.author;
  // The book design always embeds its font.
  render_pdf_.EmbedFont = options.BookDesign();
  render_pdf_.PrintBoldFontFile.clear();
  if (options.layout.print_ready || options.BookDesign()) {
    // Before any work: a book that cannot embed its font is not made at all.
    render_pdf_.PrintFontFile = report::FindPrintFont();
    if (options.BoldGivens()) render_pdf_.PrintBoldFontFile = report::FindPrintBoldFont();
    if (render_pdf_.DocInfo.Title.empty()) render_pdf_.DocInfo.Title = words.title.text;
  }
}

void BookMaker::PickPuzzles(const BookOptions& options) {
  const int pages = options.layout.pages;
  if (!options.Samurai()) {
    supply_.FillBatch(options.puzzles.level, pages * options.layout.per_page,
                      options.puzzles.unique);
    return;
  }
  supply_.SetUniqueDraws(options.puzzles.unique);
  for (int k = 1; k <= pages; ++k) {
    int level = puzzle::GetBankLevel(options.puzzles.level);
    samurai_.Store(k, puzzle::AssembleSamurai(supply_, level));
  }
}

void BookMaker::StartReport(int pages) {
  project_.NewProject();
  auto* report =
      dynamic_cast<report::TReport*>(project_.ProjectManager().FindByFullName("Report1"));
  for (int i = 1; i <= pages - 1; ++i) report->AddPage();
  // Chain the pages in print order; the last one ends the chain.
  for (int q = 1; q <= pages - 1; ++q) {
    auto* from = dynamic_cast<TReportPage*>(
        project_.ProjectManager().FindByFullName("Report1.Page" + std::to_string(q)));
    auto* to = dynamic_cast<TReportPage*>(
        project_.ProjectManager().FindByFullName("Report1.Page" + std::to_string(q + 1)));
    from->SetGotoPage(to);
  }
}

Sheet BookMaker::Page(int number) {
  auto* page = dynamic_cast<TReportPage*>(
      project_.ProjectManager().FindByFullName("Report1.Page" + std::to_string(number)));
  if (!page) throw std::logic_error("Report1.Page" + std::to_string(number) + " is missing");
  page->SetWasteFit(true);
  if (!IsClassicBook(options_) || options_.BookDesign()) {
    // The page is recorded at its real size.
    page->SetPageWidth(options_.layout.paper.width);
    page->SetPageHeight(options_.layout.paper.height);
  }
  // The book design lays its pages out in their own inches.
  if (options_.BookDesign()) return Sheet{*page, Placement{}};
  return Sheet{*page, PlacementOf(options_, number, layout_page_count)};
}

void BookMaker::Build(const BookOptions& options, const std::string& pdf_file) {
  StartRun(options);
  const BookPlan plan = PlanBook(options);
  PickPuzzles(options);
  StageEnded("picks");
  StartReport(plan.TotalPages());
  const bool samurai = options.Samurai();
  if (samurai) {
    progress_->SetPosition(10);
    progress_->SetCaption("Create Sudoku Puzzles,Please wait");
  }
  const int layout_pages = layout_page_count > 0 ? layout_page_count : plan.TotalPages();
  TemplateContext context{supply_, samurai_, words_, *progress_, options, plan, layout_pages};
  const Design design = options.BookDesign() ? Design::kBook : Design::kClassic;
  for (const PageSpec& spec : plan.pages)
    TemplateFor(spec.kind, design)(Page(spec.number), spec, context);
  progress_->SetCaption("Save file to disk,Please wait");
  if (samurai) {
    progress_->SetPosition(70);
    progress_->Repaint();
  } else {
    progress_->SetPosition(80);
    progress_->ProcessEvents();
  }
  ClosingSteps(pdf_file, samurai ? 85 : 80);
}

void BookMaker::BuildStandardPages(BookOptions options, const std::string& pdf_file) {
  options.puzzles.kind = puzzle::PuzzleKind::kStandard;
  Build(options, pdf_file);
}

void BookMaker::BuildSamuraiPages(BookOptions options, const std::string& pdf_file) {
  options.puzzles.kind = puzzle::PuzzleKind::kSamurai;
  Build(options, pdf_file);
}

void BookMaker::ClosingSteps(const std::string& pdf_file, int second_position) {
  StageEnded("document");
  if (before_execute) before_execute(project_);
  RunRecording recording(page_stream_file_);
  {
    std::unique_ptr<report::FileStream> stream = recording.Writer();
    writer_.Stream = stream.get();
    struct Detach {
      report::TPageStreamWriter& writer;
      ~Detach() { writer.Stream = nullptr; }
    } detach{writer_};
    project_.ExecuteReport("Report1");
    stream->Close();
  }
  StageEnded("execute");
  project_.CloseProject();
  StageEnded("close");
  if (record_only) {
    last_recording_ = report::ReadWholeFile(recording.Descriptor(), recording.FinalName());
    StageEnded("read back");
    return;
  }
  // The PDF is made from the recording where the system holds it, without a copy.
  last_recording_.clear();
  report::MappedFile recorded(recording.Descriptor(), recording.FinalName());
  StageEnded("read back");
  progress_->SetPosition(second_position);
  progress_->Repaint();
  render_pdf_.SourceName = recording.FinalName();
  render_pdf_.RenderStream(recorded.data(), recorded.size(), pdf_file);
  StageEnded("pdf");
  progress_->SetPosition(100);
  progress_->SetCaption("Done");
  if (completed) completed();
}

}  // namespace quorvel::pages
