#include "cli/book_cli.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>

#include "banks/builtin_banks.h"
#include "pages/book.h"
#include "pages/locations.h"
#include "pages/output_name.h"
#include "pages/paper.h"
#include "puzzle/random.h"
#include "quorvel/version.h"
#include "report/embedded_font.h"
#include "report/pdf_writer.h"
#include "report/temporary_files.h"

namespace quorvel::cli {
namespace {

constexpr const char* kLevelNames = "very-easy, easy, standard, hard, expert, extreme or 0..5";

// "Very Easy Sudoku", "very-easy", "VERY_EASY" and "0" all name level item 0.
std::optional<int> LevelItem(std::string text) {
  std::string key;
  for (char ch : text) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    key.push_back(c == '-' || c == '_' ? ' ' : c);
  }
  if (key.size() > 7 && key.substr(key.size() - 7) == " sudoku") key.resize(key.size() - 7);
  static const char* const kKeys[] = {"very easy", "easy", "standard", "hard", "expert", "extreme"};
  for (int i = 0; i < 6; ++i) {
    if (key == kKeys[i] || key == std::to_string(i)) return i;
  }
  return std::nullopt;
}

// A bar on the terminal, redrawn at most every 50 ms and on every caption change.
class TerminalProgress : public report::Progress {
 public:
  explicit TerminalProgress(std::ostream& err) : err_(err) {}
  ~TerminalProgress() override {
    if (drawn_) err_ << "\n";
  }
  void SetCaption(const std::string& caption) override {
    if (caption != caption_) {
      caption_ = caption;
      Draw(true);
    }
  }
  void SetPosition(int position) override {
    position_ = position;
    Draw(position == 100);
  }

 private:
  void Draw(bool force) {
    auto now = std::chrono::steady_clock::now();
    if (!force && now - last_ < std::chrono::milliseconds(50)) return;
    last_ = now;
    // The line stays narrower than the terminal, so that a redraw never wraps: the caption is
    // cut first, then the bar.
    const int columns = TerminalColumns();
    const std::string percent = std::to_string(position_) + "% ";
    int width = std::clamp(columns - 1 - 3 - static_cast<int>(percent.size()), 0, 30);
    int room = columns - 1 - (width + 3 + static_cast<int>(percent.size()));
    std::string caption = caption_.substr(0, static_cast<size_t>(std::max(room, 0)));
    int filled = position_ * width / 100;
    err_ << "\r\x1b[K";
    if (room >= 0) {
      err_ << "[" << std::string(static_cast<size_t>(filled), '#')
           << std::string(static_cast<size_t>(width - filled), ' ') << "] " << percent;
    }
    err_ << caption << std::flush;
    drawn_ = true;
  }
  static int TerminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
  }

  std::ostream& err_;
  std::string caption_;
  int position_ = 0;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace

std::optional<CliOptions> Parse(int argc, const char* const* argv, std::ostream& out,
                                std::ostream& err, int& exit_code) {
  CliOptions options;
  std::string level = "very-easy";
  int per_page = 1;
  uint32_t seed = 0;
  // An empty value ("--seed ''") is refused like any other bad value.
  const CLI::Validator non_empty(
      [](std::string& value) {
        return value.empty() ? std::string("an empty value") : std::string();
      },
      "", "NONEMPTY");
  CLI::App app{"Makes a printable Sudoku book as a PDF file: puzzle pages, then answer pages.",
               "quorvel-book"};
  app.footer(
      "Exit status: 0 the book is made, 1 the run failed (an existing file is left as it was), "
      "2 bad input (nothing is touched), 128+n stopped by signal n (its temporary files "
      "removed).");
  app.set_version_flag("--version", std::string("quorvel-book (") + kProgramName + ") " + kVersion,
                       "Print the program's name and version and exit");
  bool samurai = false;
  app.add_flag("--samurai", samurai, "Samurai Sudoku: five overlapping grids a page");
  app.add_option("--level", level, std::string("Sudoku level: ") + kLevelNames)
      ->check(non_empty)
      ->default_str("very-easy");
  app.add_option("--pages", options.book.layout.pages, "Number of puzzle pages")
      ->check(non_empty)
      ->check(CLI::Range(1, 200))
      ->default_str("20");
  app.add_option("--per-page", per_page, "Puzzles per page (Standard Sudoku)")
      ->check(non_empty)
      ->check(CLI::IsMember({1, 2, 4}))
      ->default_str("1");
  app.add_flag("--candidates", options.book.layout.candidates,
               "Print the candidates of every empty cell (1 puzzle per page only)");
  std::string paper = "letter";
  app.add_option("--paper", paper,
                 std::string("Paper: ") + pages::kPaperForms +
                     "; pages other than the classic "
                     "Letter book keep the design, scaled inside margins with a gutter")
      ->check(non_empty)
      ->default_str("letter");
  app.add_flag("--print-ready", options.book.layout.print_ready,
               "For print-on-demand services: the font embedded, grey colours, PDF/X-1a");
  app.add_flag("--unique", options.book.puzzles.unique,
               "Every puzzle of the book different: no bank line is used twice");
  app.add_option("--title", options.book.layout.title,
                 "The title on every page and in the PDF (default: the level, \"Hard Sudoku by "
                 "...\"); shrunk to fit, down to 7 pt")
      ->check(CLI::Validator(
          [](std::string& value) {
            return value.empty() ? std::string("a book needs a title") : std::string();
          },
          "", "TITLE"));
  app.add_option("--footer", options.book.layout.footer,
                 "The footer on every page (default: the maker's address); shrunk to fit")
      ->check(non_empty);
  app.add_option("--author", options.book.layout.author, "The author the PDF names")
      ->check(non_empty);
  std::string design;
  app.add_option("--design", design,
                 "Page design: book (laid out for the paper, print-grade lines and type, page "
                 "numbers, answer links; the default on every paper but the classic Letter book "
                 "and for --print-ready) or classic (the Letter design, scaled on other papers)")
      ->check(non_empty);
  int answers_per_page = 0;
  auto* answers_option =
      app.add_option("--answers-per-page", answers_per_page,
                     "Answers a page in the book design: 4, 6, 9 or 12 (default 6); Samurai 1, 2 "
                     "or 4 (default 2)")
          ->check(non_empty);
  app.add_flag("--bold-givens", options.book.layout.bold_givens,
               "Given digits in bold (book design)");
  app.add_flag("--large-print", options.book.layout.large_print,
               "Large print (book design): one puzzle a page, bold givens of 16 pt or more, a "
               "larger running head and page numbers, four answers a page");
  auto* seed_option =
      app.add_option("--seed", seed, "Make the book reproducible from this seed")->check(non_empty);
  app.add_flag("--force", options.force, "Overwrite an existing output file");
  app.add_option("-o,--output", options.output,
                 "Output PDF file (\".pdf\" is added unless the name ends in it)")
      ->required();
  auto fail = [&](const std::string& message) {
    err << "quorvel-book: " << message << "\n";
    exit_code = 2;
    return std::nullopt;
  };
  // --help and --version fail when what they print cannot be written.
  auto print = [&](const CLI::Error& e, const char* what) {
    exit_code = app.exit(e, out, err);
    out.flush();
    if (!out) {
      err << "quorvel-book: cannot write the " << what << ": " << std::strerror(errno) << "\n";
      exit_code = 1;
    }
    return std::nullopt;
  };
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return print(e, "help");
  } catch (const CLI::CallForVersion& e) {
    return print(e, "version");
  } catch (const CLI::ParseError& e) {
    std::string message = e.what();
    for (char& c : message) {
      if (c == '\n') c = ' ';
    }
    return fail(message + " (see --help)");
  }
  std::optional<int> item = LevelItem(level);
  if (!item) return fail("unknown level \"" + level + "\"; use " + kLevelNames);
  options.book.puzzles.level = *item;
  options.book.layout.per_page = per_page;
  if (samurai) options.book.puzzles.kind = puzzle::PuzzleKind::kSamurai;
  if (options.book.layout.candidates && per_page != 1) {
    return fail("--candidates needs 1 puzzle per page (--per-page 1)");
  }
  if (samurai && (per_page != 1 || options.book.layout.candidates)) {
    return fail("--samurai books have 1 puzzle per page and no candidates");
  }
  if (seed_option->count() > 0) options.seed = seed;

  std::optional<pages::Paper> size = pages::ParsePaper(paper);
  if (!size) return fail("unknown paper \"" + paper + "\"; use " + pages::kPaperForms);
  options.book.layout.paper = *size;
  if (design == "book") {
    options.book.layout.design = pages::Design::kBook;
  } else if (design == "classic") {
    options.book.layout.design = pages::Design::kClassic;
  } else if (!design.empty()) {
    return fail("unknown design \"" + design + "\"; use classic or book");
  }
  if (answers_option->count() > 0) {
    if (!options.book.BookDesign()) {
      return fail("--answers-per-page needs the book design (--design book)");
    }
    options.book.layout.answers_per_page = answers_per_page;
  }
  if (!options.book.BookDesign()) {
    for (auto [set, flag] : {std::pair{options.book.layout.bold_givens, "--bold-givens"},
                             std::pair{options.book.layout.large_print, "--large-print"}}) {
      if (set) return fail(std::string(flag) + " needs the book design (--design book)");
    }
  }
  if (std::string problem = pages::OptionsProblem(options.book, banks::BuiltInBanks());
      !problem.empty()) {
    return fail(problem);
  }
  std::string problem = pages::OutputNameProblem(options.output);
  if (!problem.empty()) return fail(problem);
  options.output = report::WithExtension(options.output);
  if (pages::NameTaken(options.output) && !options.force) {
    return fail(options.output + " exists; use --force to overwrite it");
  }
  report::SourceDateEpoch(&problem);
  if (!problem.empty()) return fail(problem);
  exit_code = 0;
  return options;
}

int Main(int argc, const char* const* argv, std::ostream& err) {
  int exit_code = 0;
  std::optional<CliOptions> options = Parse(argc, argv, std::cout, err, exit_code);
  if (!options) return exit_code;
  std::string page_stream_file;
  try {
    page_stream_file = pages::PageStreamFilePath();
  } catch (const std::exception& e) {
    err << "quorvel-book: error: " << e.what() << "\n";
    return 1;
  }
  if (options->book.layout.print_ready) {
    try {
      report::FindPrintFont();
    } catch (const std::exception& e) {
      err << "quorvel-book: error: " << e.what() << "\n";
      return 1;
    }
    int pdf_pages = pages::BookPageCount(options->book);
    if (pdf_pages < 24) {
      err << "quorvel-book: warning: the book has " << pdf_pages
          << " pages; print-on-demand services need at least 24\n";
    }
  }
  // Ctrl-C and the other signals that end a run remove its temporary files and say so.
  const bool on_terminal = isatty(STDERR_FILENO);
  report::SetInterruptMessage(std::string(on_terminal ? "\n" : "") + "quorvel-book: interrupted; " +
                              (pages::NameTaken(options->output)
                                   ? options->output + " is as it was"
                                   : std::string("no book was written")) +
                              "\n");
  report::InstallInterruptCleanup();
  try {
    pages::BookMaker maker(banks::BuiltInBanks(), page_stream_file);
    if (options->seed) maker.Random().SetSeedCounter(puzzle::MakeSequenceCounter(*options->seed));
    // Without --force a file that appears under the name meanwhile is never replaced.
    maker.Renderer().ReplaceExisting = options->force;
    std::optional<TerminalProgress> progress;
    if (on_terminal) {
      progress.emplace(err);
      maker.SetProgress(&*progress);
    }
    maker.Build(options->book, options->output);
  } catch (const std::exception& e) {
    err << "quorvel-book: error: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace quorvel::cli
