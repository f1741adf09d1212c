#include "pages/book.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <future>
#include <memory>
#include <optional>
#include <stdexcept>

#include "pages/request.h"
#include "pages/templates/book_design.h"
#include "pages/templates/front_matter.h"
#include "pages/templates/templates.h"
#include "pages/words.h"
#include "puzzle/variant.h"
#include "report/streams.h"

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

int CopyrightYear() {
  std::time_t now = std::time(nullptr);
  std::tm when{};
  if (std::optional<int64_t> fixed = report::SourceDateEpoch()) {
    now = static_cast<std::time_t>(*fixed);
    gmtime_r(&now, &when);
  } else {
    localtime_r(&now, &when);
  }
  return when.tm_year + 1900;
}

std::string BookTitle(int level) { return LevelCaption(level) + " by " + kProgramName; }

std::string OneVariantTitle(const BookOptions& o) {
  const std::vector<Section> parts = o.Parts();
  for (const Section& s : parts) {
    if (!puzzle::IsVariant(s.kind) || s.kind != parts.front().kind) return std::string();
  }
  return parts.empty() ? std::string() : puzzle::KindTitle(parts.front().kind);
}

std::string SectionProblem(const Section& s) {
  if (s.level < 0 || s.level > 5) return "level " + std::to_string(s.level) + " is not 0..5";
  if (s.count < 1) return "a section holds 1 puzzle or more, not " + std::to_string(s.count);
  if (puzzle::IsVariant(s.kind)) {
    if (!puzzle::HasLevel(s.kind, s.level)) {
      std::string levels;
      const std::vector<int> offered = puzzle::Levels(s.kind);
      for (size_t i = 0; i < offered.size(); ++i) {
        levels += i == 0 ? "" : i + 1 == offered.size() ? " and " : ", ";
        levels += LevelName(offered[i]);
      }
      return puzzle::KindTitle(s.kind) + " has no level " + LevelName(s.level) +
             "; its levels are " + levels;
    }
    if (s.candidates) return "candidates are printed for Standard puzzles only";
  }
  if (s.Samurai() && (s.per_page != 1 || s.candidates)) {
    return "a Samurai section has 1 puzzle a page, without candidates";
  }
  if (s.per_page != 1 && s.per_page != 2 && s.per_page != 4) {
    return "a page holds 1, 2 or 4 puzzles, not " + std::to_string(s.per_page);
  }
  if (s.candidates && s.per_page != 1) return "candidates are printed with 1 puzzle a page";
  if (s.Pages() > kMostSectionPages) {
    return "a section holds at most " + std::to_string(kMostSectionPages) +
           " pages of puzzles; this one needs " + std::to_string(s.Pages());
  }
  return std::string();
}

namespace {

// Why the banks cannot give every puzzle of the book a different bank line, or "".
std::string UniqueProblem(const BookOptions& options, const puzzle::BankSet& banks) {
  constexpr int kBanks = puzzle::BankSet::kAllBanks;
  const std::vector<Section> parts = options.Parts();
  int needed[kBanks] = {};
  const Section* part_of[kBanks] = {};  // a part that draws on the bank
  for (const Section& part : parts) {
    const int bank = puzzle::BankSet::IndexOf(part.kind, part.level);
    needed[bank] += part.Samurai() ? 5 * part.count : part.count;
    part_of[bank] = &part;
  }
  for (int bank = 0; bank < kBanks; ++bank) {
    if (needed[bank] == 0) continue;
    const int excluded = options.excluded ? options.excluded->per_bank[bank] : 0;
    const int most = static_cast<int>(banks.Bank(bank).size()) - excluded;
    if (needed[bank] <= most) continue;
    // Standard and Samurai sections draw on the same classic bank of their level.
    const Section& part = *part_of[bank];
    const std::string level = bank < puzzle::BankSet::kClassicBanks
                                  ? LevelCaption(part.level)
                                  : SectionName(Section{part.kind, part.level, 1, 1, false, {}});
    if (excluded > 0) {
      return "the banks have " + std::to_string(std::max(most, 0)) + " " + level +
             " puzzles left besides the " + std::to_string(excluded) +
             " excluded; this book needs " + std::to_string(needed[bank]);
    }
    return "a book of different puzzles can hold at most " + std::to_string(most) + " " + level +
           " puzzles; this one needs " + std::to_string(needed[bank]);
  }
  return std::string();
}

}  // namespace

std::string OptionsProblem(const BookOptions& options, const puzzle::BankSet& banks) {
  const PageOptions& layout = options.layout;
  if (options.layout.design == Design::kClassic) {
    if (!options.sections.empty()) return "sections need the book design";
    if (options.front.Any()) return "front matter needs the book design";
  }
  if (options.sections.empty()) {
    if (options.puzzles.level < 0 || options.puzzles.level > 5) {
      return "level " + std::to_string(options.puzzles.level) + " is not 0..5";
    }
    if (layout.pages < 1 || layout.pages > 200) {
      return "a book has 1 to 200 pages, not " + std::to_string(layout.pages);
    }
    if (layout.per_page != 1 && layout.per_page != 2 && layout.per_page != 4) {
      return "a page holds 1, 2 or 4 puzzles, not " + std::to_string(layout.per_page);
    }
  }
  for (size_t i = 0; i < options.sections.size(); ++i) {
    if (std::string problem = SectionProblem(options.sections[i]); !problem.empty()) {
      return "section " + std::to_string(i + 1) + ": " + problem;
    }
  }
  if (!(layout.paper.width >= kMinPaperWidth && layout.paper.width <= kMaxPaperWidth &&
        layout.paper.height >= kMinPaperHeight && layout.paper.height <= kMaxPaperHeight)) {
    return std::string("the paper must be ") + kPaperForms;
  }
  const BookPlan plan = PlanBook(options);
  if (plan.TotalPages() > kMostBookPages) {
    return "a book has at most " + std::to_string(kMostBookPages) + " pages; this one has " +
           std::to_string(plan.TotalPages());
  }
  if (options.BookDesign()) {
    if (std::string problem = BookDesignProblem(options, plan.TotalPages()); !problem.empty()) {
      return problem;
    }
  } else {
    if (std::string problem = BookDesignProblem(options, 0); !problem.empty()) return problem;
    if (std::string problem = PaperProblem(options); !problem.empty()) return problem;
  }
  if (std::string problem = WordsProblem(options); !problem.empty()) return problem;
  if (options.BookDesign()) {
    if (std::string problem = FrontMatterProblem(options, plan, WordsOf(options));
        !problem.empty()) {
      return problem;
    }
  }
  if (options.Unique()) return UniqueProblem(options, banks);
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
  if (options_.publication.year == 0) options_.publication.year = CopyrightYear();
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
  const bool copyright = options.BookDesign() && options.front.copyright;  // its "©"
  bool any_accented = copyright || accented(words.title.text) || accented(words.footer.text);
  if (options.BookDesign()) {
    for (const std::string* text :
         {&words.subtitle, &words.publisher, &words.holder, &words.edition, &words.author}) {
      any_accented = any_accented || accented(*text);
    }
    for (const Section& part : options.sections) any_accented = any_accented || accented(part.name);
  }
  render_pdf_.FontEncoding = any_accented ? report::feWinAnsiEncoding : report::fePDFDocEncoding;
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

namespace {

// Excluded puzzles for the draws of one run.
struct Exclusion {
  Exclusion(puzzle::PuzzleSupply& supply, const BookOptions& options) : supply(supply) {
    supply.SetExcluded(options.excluded ? &options.excluded->forms : nullptr);
  }
  ~Exclusion() { supply.SetExcluded(nullptr); }
  Exclusion(const Exclusion&) = delete;
  Exclusion& operator=(const Exclusion&) = delete;
  puzzle::PuzzleSupply& supply;
};

}  // namespace

void BookMaker::PickPuzzles(const BookOptions& options) {
  const int pages = options.layout.pages;
  Exclusion exclusion(supply_, options);
  picked_.clear();
  if (!options.Samurai()) {
    const int count = pages * options.layout.per_page;
    supply_.FillBatch(options.puzzles.level, count, options.Unique());
    const auto& draws = supply_.Draws();
    for (int k = 1; k <= count; ++k) {
      picked_.push_back({options.puzzles.kind,
                         options.puzzles.level,
                         supply_.Puzzle(k),
                         supply_.Solution(k),
                         {},
                         {},
                         {draws.at(static_cast<size_t>(k - 1))}});
    }
    return;
  }
  supply_.SetUniqueDraws(options.Unique());
  for (int k = 1; k <= pages; ++k) {
    int level = puzzle::GetBankLevel(options.puzzles.level);
    supply_.ClearDraws();
    const puzzle::SamuraiGrids grids = puzzle::AssembleSamurai(supply_, level);
    samurai_.Store(k, grids);
    picked_.push_back(
        {options.puzzles.kind, options.puzzles.level, {}, {}, {}, grids, supply_.Draws()});
  }
}

void BookMaker::PickBookPuzzles(const BookOptions& options) {
  picked_.clear();
  supply_.SetUniqueDraws(options.Unique());
  Exclusion exclusion(supply_, options);
  for (const Section& part : options.Parts()) {
    const int bank_level = puzzle::GetBankLevel(part.level);
    for (int k = 0; k < part.count; ++k) {
      PickedPuzzle& p = picked_.emplace_back();
      p.kind = part.kind;
      p.level = part.level;
      supply_.ClearDraws();
      if (part.Samurai()) {
        p.grids = puzzle::AssembleSamurai(supply_, bank_level);
      } else if (puzzle::IsVariant(part.kind)) {
        puzzle::VariantPuzzle v = supply_.PickVariant(part.kind, part.level);
        p.puzzle = std::move(v.puzzle);
        p.solution = std::move(v.solution);
        p.layout = std::move(v.layout);
      } else {
        supply_.LevelPick(bank_level);
        p.puzzle = supply_.Grid().PuzzleString();
        p.solution = supply_.Grid().GetSolution();
      }
      p.lines = supply_.Draws();
    }
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
  plan_ = PlanBook(options);
  const BookPlan& plan = plan_;
  if (options.BookDesign()) {
    PickBookPuzzles(options);
  } else {
    PickPuzzles(options);
  }
  StageEnded("picks");
  StartReport(plan.TotalPages());
  const bool samurai = options.Samurai();
  if (samurai) {
    progress_->SetPosition(10);
    progress_->SetCaption("Create Sudoku Puzzles,Please wait");
  }
  const int layout_pages = layout_page_count > 0 ? layout_page_count : plan.TotalPages();
  TemplateContext context{supply_,  samurai_, words_,       *progress_,
                          options_, plan,     layout_pages, picked_};
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
  // Companions that need only the plan and the puzzles are made meanwhile.
  std::vector<std::future<std::string>> early(companions.size());
  if (!record_only) {
    for (size_t i = 0; i < companions.size(); ++i) {
      if (companions[i].early) {
        early[i] = std::async(std::launch::async, companions[i].text, std::cref(*this));
      }
    }
  }
  // However the run ends, no thread outlives it.
  struct Join {
    std::vector<std::future<std::string>>& futures;
    ~Join() {
      for (auto& f : futures) {
        if (f.valid()) f.wait();
      }
    }
  } join{early};
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
  // The companions are made once the PDF is written (they may tell what it holds) and before
  // it takes its name; they take theirs after it.
  std::vector<std::unique_ptr<report::AtomicFileStream>> written;
  render_pdf_.BeforeCommit = [&] {
    for (size_t i = 0; i < companions.size(); ++i) {
      written.push_back(std::make_unique<report::AtomicFileStream>(companions[i].path,
                                                                   render_pdf_.ReplaceExisting));
      std::string text = early[i].valid() ? early[i].get() : companions[i].text(*this);
      if (companions[i].finish) text = companions[i].finish(std::move(text), *this);
      written.back()->Write(text.data(), text.size());
    }
  };
  struct Forget {
    report::TRenderPDF& pdf;
    ~Forget() { pdf.BeforeCommit = nullptr; }
  } forget{render_pdf_};
  render_pdf_.SourceName = recording.FinalName();
  render_pdf_.RenderStream(recorded.data(), recorded.size(), pdf_file);
  for (auto& file : written) file->Commit();
  StageEnded("pdf");
  progress_->SetPosition(100);
  progress_->SetCaption("Done");
  if (completed) completed();
}

}  // namespace quorvel::pages
