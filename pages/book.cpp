#include "pages/book.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>

#include "report/large_memory.h"

namespace quorvel::pages {
namespace {

using report::CreateItem;
using report::TReportHLine;
using report::TReportPage;
using report::TReportText;
using report::TReportVLine;

constexpr const char* kLevelCaptions[] = {"Very Easy Sudoku", "Easy Sudoku",   "Standard Sudoku",
                                          "Hard Sudoku",      "Expert Sudoku", "Extreme Sudoku"};

int RuleWidth(int k) { return (k == 1 || k == 4 || k == 7 || k == 10) ? 10 : 5; }

// A left-justified text: Text, Left, Top, size, name "Arial".
void AddText(const Sheet& sheet, const std::string& text, double left, double top, int size) {
  TReportText* t = CreateItem<TReportText>(sheet.page, "TitleText");
  t->SetText(text);
  t->SetLeft(sheet.X(left));
  t->SetTop(sheet.Y(top));
  t->Font().Size = sheet.Size(size);
  t->Font().Name = "Arial";
}

// A centred cell text: Left, Top, size, pjCenter, Text, Width 1.0.
void AddCell(const Sheet& sheet, double left, double top, int size, const std::string& text) {
  TReportText* t = CreateItem<TReportText>(sheet.page, "TitleText");
  t->SetLeft(sheet.X(left));
  t->SetTop(sheet.Y(top));
  t->Font().Size = sheet.Size(size);
  t->SetFontJustify(report::pjCenter);
  t->SetText(text);
  t->SetWidth(sheet.Length(1.0));
}

void AddHLine(const Sheet& sheet, double left, double width, int line_width, double top) {
  TReportHLine* h = CreateItem<TReportHLine>(sheet.page);
  h->SetLeft(sheet.X(left));
  h->SetWidth(sheet.Length(width));
  h->SetLineWidth(sheet.Length(line_width));
  h->SetTop(sheet.Y(top));
}

void AddVLine(const Sheet& sheet, double top, double height, int line_width, double left) {
  TReportVLine* v = CreateItem<TReportVLine>(sheet.page);
  v->SetTop(sheet.Y(top));
  v->SetHeight(sheet.Length(height));
  v->SetLineWidth(sheet.Length(line_width));
  v->SetLeft(sheet.X(left));
}

// The cell (i, j) of an 81-character string: character 9(i - 1) + j; "" for "0" or past the end.
std::string CellOf(const std::string& s, int i, int j) {
  size_t pos = static_cast<size_t>(9 * (i - 1) + j - 1);
  if (pos >= s.size() || s[pos] == '0') return std::string();
  return std::string(1, s[pos]);
}

// One 9 x 9 grid: ten horizontal rules, ten vertical rules, then 81 cell texts column by column.
// Cell (i, j) sits at ((i - 1) c + text_x0, (j - 1) c + text_y0).
struct Block {
  double c, x0, y0, text_x0, text_y0;
  int size;
};

template <class CellText>
void AddBlock(const Sheet& page, const Block& b, CellText&& cell_text) {
  for (int k = 1; k <= 10; ++k) AddHLine(page, b.x0, 9 * b.c, RuleWidth(k), b.y0 + (k - 1) * b.c);
  for (int k = 1; k <= 10; ++k) AddVLine(page, b.y0, 9 * b.c, RuleWidth(k), b.x0 + (k - 1) * b.c);
  for (int i = 1; i <= 9; ++i) {
    for (int j = 1; j <= 9; ++j) {
      auto [size, text] = cell_text(i, j);
      AddCell(page, (i - 1) * b.c + b.text_x0, (j - 1) * b.c + b.text_y0, size, text);
    }
  }
}

// The four slots of the four-puzzle and answer layouts: heading (left, top) and block.
struct Slot {
  double heading_left, heading_top;
  Block block;
};
constexpr Slot kSlots[4] = {
    {0.5, 1.2, {0.4, 0.5, 1.59, 0.2, 1.62, 18}},
    {4.5, 1.2, {0.4, 4.5, 1.59, 4.2, 1.62, 18}},
    {0.5, 5.6, {0.4, 0.5, 5.99, 0.2, 6.02, 18}},
    {4.5, 5.6, {0.4, 4.5, 5.99, 4.2, 6.02, 18}},
};

// A run's own recording: a new file with a unique name beside the page-stream file, so that
// runs at the same time never read each other's pages. It is written, read back and mapped
// through the one descriptor it was made with, never opened again by name. When the run ends,
// whether it finished or failed part-way, what it recorded takes the page-stream file's name.
class RunRecording {
 public:
  explicit RunRecording(const std::string& page_stream_file) : final_(page_stream_file) {
    size_t slash = final_.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string() : final_.substr(0, slash + 1);
    report::RemoveStaleTemporaryFiles(folder);
    file_.emplace(folder, final_.substr(folder.size()), final_);
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

std::string Heading(int number) { return "Sudoku #" + std::to_string(number); }

// Samurai layout: cell side, grid offsets in cells (column, row) by grid number 1..5.
constexpr double kU = 0.35;
struct Offset {
  int co, ro;
};
constexpr Offset kGridOffset[6] = {{0, 0}, {6, 6}, {0, 0}, {12, 0}, {0, 12}, {12, 12}};

}  // namespace

std::string LevelCaption(int level_item) {
  if (level_item < 0 || level_item > 5) {
    throw std::out_of_range("level item " + std::to_string(level_item) + " is not 0..5");
  }
  return kLevelCaptions[level_item];
}

std::string BookTitle(int level_item) { return LevelCaption(level_item) + " by " + kProgramName; }

std::string RunOptionsProblem(const puzzle::RunOptions& options, const puzzle::BankSet& banks) {
  if (options.level_item < 0 || options.level_item > 5) {
    return "level item " + std::to_string(options.level_item) + " is not 0..5";
  }
  if (options.pages < 1 || options.pages > 200) {
    return "a book has 1 to 200 pages, not " + std::to_string(options.pages);
  }
  if (options.per_page_item < 0 || options.per_page_item > 2) {
    return "puzzles-per-page item " + std::to_string(options.per_page_item) + " is not 0..2";
  }
  if (!(options.paper_width >= kMinPaperWidth && options.paper_width <= kMaxPaperWidth &&
        options.paper_height >= kMinPaperHeight && options.paper_height <= kMaxPaperHeight)) {
    return std::string("the paper must be ") + kPaperForms;
  }
  if (std::string problem = PaperProblem(options); !problem.empty()) return problem;
  if (options.unique) {
    const int bank = puzzle::GetBankLevel(options.level_item) - 1;
    const int needed = options.samurai
                           ? 5 * options.pages
                           : options.pages * puzzle::GetPuzzlesPerPage(options.per_page_item);
    const int most = static_cast<int>(banks.Bank(bank).size());
    if (needed > most) {
      return "a book of different puzzles can hold at most " + std::to_string(most) + " " +
             LevelCaption(options.level_item) + " puzzles; this one needs " +
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

void BookMaker::StartRun(const puzzle::RunOptions& options) {
  if (std::string problem = RunOptionsProblem(options, supply_.Banks()); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  options_ = options;
  render_pdf_.PrintReady = options.print_ready;
  render_pdf_.DocInfo.Title.clear();
  if (options.print_ready) {
    // Before any work: a book that cannot embed its font is not made at all.
    render_pdf_.PrintFontFile = report::FindPrintFont();
    render_pdf_.DocInfo.Title = BookTitle(options.level_item);
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
  if (!IsClassicBook(options_)) {
    // The page is recorded at its real size.
    page->SetPageWidth(options_.paper_width);
    page->SetPageHeight(options_.paper_height);
  }
  return Sheet{*page, PlacementOf(options_, number, layout_page_count)};
}

void BookMaker::BuildStandardPages(const puzzle::RunOptions& options, const std::string& pdf_file) {
  StartRun(options);
  supply_.FillBatch(options);
  StageEnded("picks");
  const int P = options.pages;
  const int U = puzzle::GetPuzzlesPerPage(options.per_page_item);
  const int n = U * P;
  const int A = (n + 3) / 4;
  StartReport(P + A);
  const std::string title = BookTitle(options.level_item);
  const bool candidates = options.candidates && U == 1;
  auto puzzle_progress = [&](int q) {
    progress_->SetPosition(q * 40 / P);
    progress_->SetCaption("Create Sudoku Puzzles,Please wait");
    progress_->ProcessEvents();
  };
  auto puzzle_cells = [&](int size) {
    return [this, size](int i, int j) {
      return std::pair<int, std::string>(size, supply_.GetCellText(i, j));
    };
  };

  if (U == 1) {
    for (int q = 1; q <= P; ++q) {
      Sheet page = Page(q);
      puzzle_progress(q);
      AddText(page, title, 5.1, 0.6, 12);
      AddText(page, Heading(q), 3.18, 1.4, 28);
      supply_.tm = supply_.Puzzle(q);
      AddBlock(page, {0.84, 0.5, 1.99, 0.46, 2.19, 25}, [&](int i, int j) {
        std::string text = supply_.GetCellText(i, j);
        if (!candidates || !text.empty()) return std::pair<int, std::string>(25, text);
        puzzle::TQJ& grid = supply_.Grid();
        grid.LoadPuzzle(supply_.tm);
        return std::pair<int, std::string>(12, grid.GetCandidates(i, j));
      });
      AddText(page, kMakerAddress, 6.24, 9.56, 12);
    }
  } else if (U == 2) {
    for (int q = 1; q <= P; ++q) {
      Sheet first = Page(q);
      puzzle_progress(q);
      supply_.tm = supply_.Puzzle(2 * q - 1);
      AddText(first, title, 5.1, 0.6, 12);
      AddText(first, Heading(2 * q - 1), 3.5, 1.0, 18);
      AddBlock(first, {0.48, 2.0, 1.39, 1.75, 1.42, 20}, puzzle_cells(20));
      supply_.tm = supply_.Puzzle(2 * q);
      Sheet page = Page(q);
      AddText(page, Heading(2 * q), 3.5, 5.9, 18);
      AddBlock(page, {0.48, 2.0, 6.29, 1.75, 6.35, 20}, puzzle_cells(20));
      // This footer sets its position and size before its text.
      TReportText* footer = CreateItem<TReportText>(page.page, "TitleText");
      footer->SetLeft(page.X(3.3));
      footer->SetTop(page.Y(10.62));
      footer->Font().Size = page.Size(12);
      footer->SetText(kMakerAddress);
      footer->Font().Name = "Arial";
    }
  } else {
    for (int s = 1; s <= 4; ++s) {
      const Slot& slot = kSlots[s - 1];
      for (int q = 1; q <= P; ++q) {
        Sheet page = Page(q);
        if (s == 1) {
          puzzle_progress(q);
          AddText(page, title, 5.1, 0.6, 12);
        }
        int number = 4 * (q - 1) + s;
        AddText(page, Heading(number), slot.heading_left, slot.heading_top, 18);
        supply_.tm = supply_.Puzzle(number);
        AddBlock(page, slot.block, puzzle_cells(18));
        if (s == 4) AddText(page, kMakerAddress, 6.3, 9.7, 12);
      }
    }
  }

  // Answer pages: four solutions a page, whatever the puzzle layout.
  for (int s = 1; s <= 4; ++s) {
    const Slot& slot = kSlots[s - 1];
    for (int a = 1; a <= A; ++a) {
      Sheet page = Page(P + a);
      if (s == 1) {
        progress_->SetCaption("Create Answers - " + std::to_string(a) + "/" + std::to_string(A));
        progress_->SetPosition(40 + a * 40 / A);
        progress_->ProcessEvents();
        AddText(page, title, 5.1, 0.6, 12);
        AddText(page, "Answers", 0.5, 0.6, 18);
      }
      int number = 4 * (a - 1) + s;
      AddText(page, Heading(number), slot.heading_left, slot.heading_top, 18);
      const std::string& solution =
          number <= puzzle::PuzzleSupply::kBatchSlots ? supply_.Solution(number) : std::string();
      AddBlock(page, slot.block, [&](int i, int j) {
        return std::pair<int, std::string>(18, CellOf(solution, i, j));
      });
      if (s == 4) AddText(page, kMakerAddress, 6.3, 9.7, 12);
    }
  }
  progress_->SetCaption("Save file to disk,Please wait");
  progress_->SetPosition(80);
  progress_->ProcessEvents();
  ClosingSteps(pdf_file, 80);
}

void BookMaker::BuildSamuraiPages(const puzzle::RunOptions& options, const std::string& pdf_file) {
  const int N = options.pages;
  if (N < 1 || N > puzzle::SamuraiBatch::kPages) {
    throw std::out_of_range("a Samurai book has 1 to 200 pages, not " + std::to_string(N));
  }
  StartRun(options);
  StartReport(2 * N);
  supply_.SetUniqueDraws(options.unique);
  for (int k = 1; k <= N; ++k) {
    int level = puzzle::GetBankLevel(options.level_item);
    samurai_.Store(k, puzzle::AssembleSamurai(supply_, level));
  }
  StageEnded("picks");
  progress_->SetPosition(10);
  progress_->SetCaption("Create Sudoku Puzzles,Please wait");
  const std::string title = BookTitle(options.level_item);

  auto grid_lines = [&](const Sheet& page) {
    // Horizontal lines: top-left, top-right, centre, bottom-left, bottom-right.
    static constexpr int kHOrder[5] = {2, 3, 1, 4, 5};
    // Vertical lines: top-left, bottom-left, centre, top-right, bottom-right.
    static constexpr int kVOrder[5] = {2, 4, 1, 3, 5};
    for (int i = 1; i <= 10; ++i) {
      for (int g : kHOrder) {
        const Offset& o = kGridOffset[g];
        AddHLine(page, 0.5 + o.co * kU, 9 * kU, RuleWidth(i), 2.29 + (o.ro + i - 1) * kU);
      }
    }
    for (int j = 1; j <= 10; ++j) {
      for (int g : kVOrder) {
        const Offset& o = kGridOffset[g];
        AddVLine(page, 2.29 + o.ro * kU, 9 * kU, RuleWidth(j), 0.5 + (o.co + j - 1) * kU);
      }
    }
  };
  auto digits = [&](const Sheet& page, int k, bool answers) {
    // Grids top-left, top-right, bottom-left, bottom-right, centre; shared boxes print once
    // from the grid named in the exclusions (the bottom-left box from both).
    static constexpr int kOrder[5] = {2, 3, 4, 5, 1};
    for (int p = 1; p <= 9; ++p) {
      for (int c = 1; c <= 9; ++c) {
        for (int g : kOrder) {
          bool skip = (g == 2 && p >= 7 && c >= 7) || (g == 5 && p <= 3 && c <= 3) ||
                      (g == 1 && p <= 3 && c >= 7);
          if (skip) continue;
          const Offset& o = kGridOffset[g];
          std::string text = answers ? puzzle::SamuraiAnswerCell(samurai_, k, g, c, p)
                                     : puzzle::SamuraiPuzzleCell(samurai_, k, g, c, p);
          AddCell(page, (o.co + c - 1) * kU + 0.19, (o.ro + p - 1) * kU + 2.28, 20, text);
        }
      }
    }
  };

  for (int k = 1; k <= N; ++k) {
    progress_->ProcessEvents();
    progress_->SetCaption("Create Sudoku Pages - " + std::to_string(k) + "/" + std::to_string(N));
    progress_->SetPosition(k * 30 / N + 10);
    progress_->Repaint();
    Sheet page = Page(k);
    AddText(page, title, 5.1, 0.6, 12);
    AddText(page, Heading(k), 3.25, 1.4, 28);
    grid_lines(page);
    digits(page, k, false);
    AddText(page, kMakerAddress, 6.2, 9.65, 12);
  }
  for (int k = 1; k <= N; ++k) {
    progress_->ProcessEvents();
    progress_->SetCaption("Create Answers - " + std::to_string(k) + "/" + std::to_string(N));
    progress_->SetPosition(k * 30 / N + 40);
    progress_->Repaint();
    Sheet page = Page(N + k);
    AddText(page, title, 5.1, 0.6, 12);
    AddText(page, "Answers", 0.5, 0.6, 18);
    AddText(page, Heading(k), 3.25, 1.4, 28);
    grid_lines(page);
    digits(page, k, true);
    AddText(page, kMakerAddress, 6.2, 9.65, 12);
  }
  progress_->SetCaption("Save file to disk,Please wait");
  progress_->SetPosition(70);
  progress_->Repaint();
  ClosingSteps(pdf_file, 85);
}

void BookMaker::ClosingSteps(const std::string& pdf_file, int second_position) {
  StageEnded("document");
  // Memory kept between freeing the document and writing the PDF goes back when the run ends.
  struct GiveBackKept {
    ~GiveBackKept() { report::ReleaseKeptLarge(); }
  } give_back_kept;
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
