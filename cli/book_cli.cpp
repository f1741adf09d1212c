#include "cli/book_cli.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <random>

#include "banks/builtin_banks.h"
#include "pages/book.h"
#include "pages/cover.h"
#include "pages/locations.h"
#include "pages/manifest.h"
#include "pages/output_name.h"
#include "pages/paper.h"
#include "pages/plan_file.h"
#include "puzzle/random.h"
#include "quorvel/version.h"
#include "report/embedded_font.h"
#include "report/pdf_writer.h"
#include "report/temporary_files.h"

namespace quorvel::cli {
namespace {

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

namespace {

// The plan file named on the command line, found before the options are parsed: its values are
// the defaults the command line's options override.
std::optional<std::string> PlanFileArgument(int argc, const char* const* argv) {
  std::optional<std::string> plan;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;
    if (arg == "--plan" && i + 1 < argc) {
      plan = argv[++i];
    } else if (arg.rfind("--plan=", 0) == 0) {
      plan = std::string(arg.substr(7));
    }
  }
  return plan;
}

std::string DesignName(pages::Design design) {
  switch (design) {
    case pages::Design::kBook:
      return "book";
    case pages::Design::kClassic:
      return "classic";
    default:
      return "";
  }
}

// The one line of a name that is no place for an output file, or that names a file already
// there without --force.
std::string OutputProblem(std::string& name, bool force, bool pdf) {
  std::string problem = pages::OutputNameProblem(name, pdf ? ".pdf" : "");
  if (!problem.empty()) return problem;
  if (pdf) name = report::WithExtension(name);
  if (pages::NameTaken(name) && !force) return name + " exists; use --force to overwrite it";
  return std::string();
}

}  // namespace

std::optional<CliOptions> Parse(int argc, const char* const* argv, std::ostream& out,
                                std::ostream& err, int& exit_code) {
  CliOptions options;
  pages::BookRequest& request = options.request;
  auto fail = [&](const std::string& message) {
    err << "quorvel-book: " << message << "\n";
    exit_code = 2;
    return std::nullopt;
  };
  // A plan file gives the defaults; what the command line says overrides them.
  const std::optional<std::string> plan_file = PlanFileArgument(argc, argv);
  if (plan_file) {
    if (std::string problem = pages::ReadPlanFile(*plan_file, request); !problem.empty()) {
      return fail(problem);
    }
  }
  pages::BookOptions& book = request.book;
  std::string level = pages::LevelName(book.puzzles.level);
  int per_page = book.layout.per_page;
  uint32_t seed = request.seed.value_or(0);
  std::vector<std::string> sections;
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
  bool samurai = book.Samurai();
  app.add_flag("--samurai", samurai, "Samurai Sudoku: five overlapping grids a page");
  app.add_option("--level", level, std::string("Sudoku level: ") + pages::kLevelNames)
      ->check(non_empty)
      ->default_str("very-easy");
  app.add_option("--pages", book.layout.pages, "Number of puzzle pages")
      ->check(non_empty)
      ->check(CLI::Range(1, 200))
      ->default_str("20");
  app.add_option("--per-page", per_page, "Puzzles per page (Standard Sudoku)")
      ->check(non_empty)
      ->check(CLI::IsMember({1, 2, 4}))
      ->default_str("1");
  app.add_flag("--candidates", book.layout.candidates,
               "Print the candidates of every empty cell (1 puzzle per page only)");
  auto* section_option =
      app.add_option(
             "--section", sections,
             "A part of the book (book design), repeated for each: KIND:LEVEL:COUNT[:LAYOUT], "
             "such as standard:easy:50:2, samurai:expert:20 or jigsaw:hard:30:2; KIND standard, "
             "samurai, x (X-Sudoku), jigsaw, 4x4 or 6x6 (children's grids: 4x4 very-easy and "
             "easy, 6x6 very-easy to hard), COUNT puzzles, LAYOUT 1, 1c (with candidates, "
             "Standard only), 2 or 4 a page")
          ->check(non_empty)
          ->take_all();
  std::string paper = pages::PaperName(book.layout.paper);
  app.add_option("--paper", paper,
                 std::string("Paper: ") + pages::kPaperForms +
                     "; pages other than the classic "
                     "Letter book keep the design, scaled inside margins with a gutter")
      ->check(non_empty)
      ->default_str("letter");
  app.add_flag("--print-ready", book.layout.print_ready,
               "For print-on-demand services: the font embedded, grey colours, PDF/X-1a");
  app.add_flag("--unique", book.puzzles.unique,
               "Every puzzle of the book different: no bank line is used twice");
  app.add_option("--title", book.layout.title,
                 "The title on every page and in the PDF (default: the level, \"Hard Sudoku by "
                 "...\"); shrunk to fit, down to 7 pt")
      ->check(CLI::Validator(
          [](std::string& value) {
            return value.empty() ? std::string("a book needs a title") : std::string();
          },
          "", "TITLE"));
  app.add_option("--footer", book.layout.footer,
                 "The footer on every page (default: the maker's address); shrunk to fit")
      ->check(non_empty);
  app.add_option("--author", book.layout.author, "The author the PDF and the title page name")
      ->check(non_empty);
  app.add_option("--subtitle", book.publication.subtitle, "The subtitle on the title page")
      ->check(non_empty);
  app.add_option("--publisher", book.publication.publisher,
                 "The publisher on the title and copyright pages")
      ->check(non_empty);
  app.add_option("--copyright", book.publication.copyright,
                 "The copyright holder (default: the author)")
      ->check(non_empty);
  app.add_option("--isbn", book.publication.isbn,
                 "The ISBN on the copyright page: 10 or 13 digits, hyphens allowed")
      ->check(non_empty);
  app.add_option("--edition", book.publication.edition,
                 "The edition on the copyright page, such as \"First edition\"")
      ->check(non_empty);
  std::string front_matter;
  auto* front_option =
      app.add_option("--front-matter", front_matter,
                     "Front matter (book design): any of title, copyright, rules, contents, "
                     "comma-separated, or all")
          ->check(non_empty);
  bool section_pages = book.front.section_pages;
  app.add_flag("--section-pages", section_pages,
               "An opener page naming each section before its puzzles (book design)");
  std::string design = DesignName(book.layout.design);
  app.add_option("--design", design,
                 "Page design: book (laid out for the paper, print-grade lines and type, page "
                 "numbers, answer links; the default on every paper but the classic Letter book "
                 "and for --print-ready) or classic (the Letter design, scaled on other papers)")
      ->check(non_empty);
  int answers_per_page = book.layout.answers_per_page;
  auto* answers_option =
      app.add_option("--answers-per-page", answers_per_page,
                     "Answers a page in the book design: 4, 6, 9 or 12 (default 6); Samurai 1, 2 "
                     "or 4 (default 2)")
          ->check(non_empty);
  app.add_flag("--bold-givens", book.layout.bold_givens, "Given digits in bold (book design)");
  app.add_flag("--large-print", book.layout.large_print,
               "Large print (book design): one puzzle a page, bold givens of 16 pt or more, a "
               "larger running head and page numbers, four answers a page");
  auto* seed_option =
      app.add_option("--seed", seed, "Make the book reproducible from this seed")->check(non_empty);
  app.add_flag("--force", options.force, "Overwrite existing output files");
  auto* output_option =
      app.add_option("-o,--output", request.output,
                     "Output PDF file (\".pdf\" is added unless the name ends in it); required "
                     "unless the plan file names it");
  app.add_option("--manifest", request.manifest,
                 "Also write the book as data (JSON): options, seed, pages, and every puzzle with "
                 "its solution and canonical form")
      ->check(non_empty);
  app.add_option("--exclude", request.exclude,
                 "Use no puzzle of these manifests (earlier volumes of a series); implies "
                 "--unique")
      ->check(non_empty)
      ->take_all();
  pages::CoverOptions& cover = request.cover;
  app.add_option("--cover", cover.file,
                 "Also make the book's full-wrap cover (back, spine, front, with bleed) as this "
                 "PDF; needs --print-ready")
      ->check(non_empty);
  std::string stock = pages::PaperStockName(cover.stock);
  auto* stock_option =
      app.add_option("--paper-stock", stock,
                     "The cover's paper: white (0.002252 in a page), cream (0.0025) or color "
                     "(0.002347), which set the spine")
          ->check(non_empty)
          ->default_str("white");
  double spine_width = cover.spine_width.value_or(0);
  auto* spine_option = app.add_option("--spine-width", spine_width,
                                      "The spine's width in inches, 0 to 2, for other services")
                           ->check(non_empty);
  app.add_option("--blurb", cover.blurb, "The text on the back cover")->check(non_empty);
  app.add_option("--cover-theme", cover.theme,
                 "The cover's colours: " + pages::CoverThemeNames() + " (default midnight)")
      ->check(non_empty);
  app.add_flag("--cover-guides", cover.guides,
               "Draw the trim, the spine folds, the safe areas and the barcode area on the "
               "cover, to check it by eye (not for printing)");
  app.add_option("--plan", options.plan_file,
                 "Read the book's options from this TOML plan file; options given here override "
                 "it")
      ->check(non_empty);
  app.add_option("--save-plan", options.save_plan,
                 "Also write the plan of this book (seed included) as a TOML file that makes it "
                 "again")
      ->check(non_empty);
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
  if (request.output.empty() && output_option->count() == 0) {
    return fail("--output is required unless the plan file names it (see --help)");
  }
  std::optional<int> item = pages::ParseLevel(level);
  if (!item) return fail("unknown level \"" + level + "\"; use " + pages::kLevelNames);
  book.puzzles.level = *item;
  book.layout.per_page = per_page;
  book.puzzles.kind = samurai ? puzzle::PuzzleKind::kSamurai : puzzle::PuzzleKind::kStandard;
  if (book.layout.candidates && per_page != 1) {
    return fail("--candidates needs 1 puzzle per page (--per-page 1)");
  }
  if (samurai && (per_page != 1 || book.layout.candidates)) {
    return fail("--samurai books have 1 puzzle per page and no candidates");
  }
  // Sections on the command line replace the plan file's.
  if (section_option->count() > 0) book.sections.clear();
  for (const std::string& text : sections) {
    std::string problem;
    std::optional<pages::Section> section = pages::ParseSection(text, problem);
    if (!section) return fail(problem);
    book.sections.push_back(*section);
  }
  if (front_option->count() > 0) {
    std::string problem;
    std::optional<pages::FrontMatter> front = pages::ParseFrontMatter(front_matter, problem);
    if (!front) return fail(problem);
    front->section_pages = book.front.section_pages;
    book.front = *front;
  }
  book.front.section_pages = section_pages;
  if (seed_option->count() > 0) request.seed = seed;

  std::optional<pages::Paper> size = pages::ParsePaper(paper);
  if (!size) return fail("unknown paper \"" + paper + "\"; use " + pages::kPaperForms);
  book.layout.paper = *size;
  if (design == "book") {
    book.layout.design = pages::Design::kBook;
  } else if (design == "classic") {
    book.layout.design = pages::Design::kClassic;
  } else if (!design.empty()) {
    return fail("unknown design \"" + design + "\"; use classic or book");
  }
  if (book.layout.design == pages::Design::kClassic) {
    if (!book.sections.empty()) return fail("--section needs the book design (--design book)");
    if (book.front.Any()) return fail("front matter needs the book design (--design book)");
  }
  if (answers_option->count() > 0) {
    if (!book.BookDesign()) {
      return fail("--answers-per-page needs the book design (--design book)");
    }
    book.layout.answers_per_page = answers_per_page;
  }
  if (!book.BookDesign()) {
    for (auto [set, flag] : {std::pair{book.layout.bold_givens, "--bold-givens"},
                             std::pair{book.layout.large_print, "--large-print"}}) {
      if (set) return fail(std::string(flag) + " needs the book design (--design book)");
    }
  }
  if (stock_option->count() > 0 || spine_option->count() > 0) {
    std::optional<pages::PaperStock> parsed = pages::ParsePaperStock(stock);
    if (!parsed) return fail("unknown paper stock \"" + stock + "\"; use white, cream or color");
    cover.stock = *parsed;
    if (spine_option->count() > 0) cover.spine_width = spine_width;
  }
  if (!cover.file.empty() && !book.layout.print_ready) {
    return fail("a cover is a print file: --cover needs --print-ready");
  }
  if (cover.file.empty()) {
    for (const char* name :
         {"--paper-stock", "--spine-width", "--blurb", "--cover-theme", "--cover-guides"}) {
      if (app.count(name) > 0) return fail(std::string(name) + " needs --cover");
    }
  }
  if (!request.exclude.empty()) {
    std::string problem;
    book.excluded = pages::ReadExcluded(request.exclude, problem);
    if (!book.excluded) return fail(problem);
  }
  if (std::string problem = pages::OptionsProblem(book, banks::BuiltInBanks()); !problem.empty()) {
    return fail(problem);
  }
  // The files the run writes: the PDF, and the manifest and the plan when asked for, each a
  // name of its own.
  if (std::string problem = OutputProblem(request.output, options.force, true); !problem.empty()) {
    return fail(problem);
  }
  std::vector<std::string> names = {request.output};
  if (!cover.file.empty()) {
    // The cover is a PDF too, named as the book is.
    if (std::string problem = OutputProblem(cover.file, options.force, true); !problem.empty()) {
      return fail("the cover: " + problem);
    }
    std::error_code ec;
    if (cover.file == request.output ||
        std::filesystem::equivalent(cover.file, request.output, ec)) {
      return fail("the cover cannot have the book's name, " + request.output);
    }
    if (std::string problem = pages::CoverProblem(book, cover, pages::BookPageCount(book));
        !problem.empty()) {
      return fail(problem);
    }
    names.push_back(cover.file);
  }
  for (std::string* name : {&request.manifest, &options.save_plan}) {
    if (name->empty()) continue;
    if (std::string problem = OutputProblem(*name, options.force, false); !problem.empty()) {
      return fail(problem);
    }
    for (const std::string& other : names) {
      std::error_code ec;
      if (*name == other || std::filesystem::equivalent(*name, other, ec)) {
        return fail(*name + " is named for two of the run's files");
      }
    }
    for (const std::string& excluded : request.exclude) {
      std::error_code ec;
      if (*name == excluded || std::filesystem::equivalent(*name, excluded, ec)) {
        return fail(*name + " is an excluded manifest; the run would overwrite it");
      }
    }
    names.push_back(*name);
  }
  std::string problem;
  report::SourceDateEpoch(&problem);
  if (!problem.empty()) return fail(problem);
  exit_code = 0;
  return options;
}

int Main(int argc, const char* const* argv, std::ostream& err) {
  int exit_code = 0;
  std::optional<CliOptions> options = Parse(argc, argv, std::cout, err, exit_code);
  if (!options) return exit_code;
  pages::BookRequest& request = options->request;
  std::string page_stream_file;
  try {
    page_stream_file = pages::PageStreamFilePath();
  } catch (const std::exception& e) {
    err << "quorvel-book: error: " << e.what() << "\n";
    return 1;
  }
  if (request.book.layout.print_ready) {
    try {
      report::FindPrintFont();
    } catch (const std::exception& e) {
      err << "quorvel-book: error: " << e.what() << "\n";
      return 1;
    }
    int pdf_pages = pages::BookPageCount(request.book);
    if (pdf_pages < 24) {
      err << "quorvel-book: warning: the book has " << pdf_pages
          << " pages; print-on-demand services need at least 24\n";
    }
  }
  // A saved plan makes the same book again: it needs the seed, chosen here when none is given.
  if (!options->save_plan.empty() && !request.seed) request.seed = std::random_device{}();
  // Ctrl-C and the other signals that end a run remove its temporary files and say so.
  const bool on_terminal = isatty(STDERR_FILENO);
  report::SetInterruptMessage(std::string(on_terminal ? "\n" : "") + "quorvel-book: interrupted; " +
                              (pages::NameTaken(request.output)
                                   ? request.output + " is as it was"
                                   : std::string("no book was written")) +
                              "\n");
  report::InstallInterruptCleanup();
  try {
    pages::BookMaker maker(banks::BuiltInBanks(), page_stream_file);
    if (request.seed) maker.Random().SetSeedCounter(puzzle::MakeSequenceCounter(*request.seed));
    // Without --force a file that appears under the name meanwhile is never replaced.
    maker.Renderer().ReplaceExisting = options->force;
    // The cover first: the print summary, in the manifest, tells what it holds.
    std::optional<pages::CoverFacts> cover_facts;
    std::optional<pages::PrintSummary> summary;
    if (!request.cover.file.empty()) {
      maker.companions.push_back({request.cover.file,
                                  [&request, &cover_facts](const pages::BookMaker& made) {
                                    pages::CoverFacts facts;
                                    std::string cover =
                                        pages::MakeCover(request.book, request.cover,
                                                         pages::CoverBookOf(made), &facts);
                                    cover_facts = facts;
                                    return cover;
                                  },
                                  true, nullptr});
    }
    auto summarize = [&](const pages::BookMaker& made) {
      summary = pages::SummaryOf(made.Renderer().Written(), cover_facts,
                                 request.cover.file.empty() ? nullptr : &request.cover);
    };
    if (!request.manifest.empty()) {
      // The puzzles are written out meanwhile; the summary joins them once the book is written.
      maker.companions.push_back(
          {request.manifest,
           [&request](const pages::BookMaker& made) { return pages::ManifestText(request, made); },
           true,
           [&request, &summary, summarize](std::string text, const pages::BookMaker& made) {
             if (!request.book.layout.print_ready) return text;
             summarize(made);
             return pages::WithSummary(std::move(text), *summary);
           }});
    }
    if (!options->save_plan.empty()) {
      const std::string plan = pages::PlanFileText(request, options->save_plan);
      maker.companions.push_back(
          {options->save_plan, [plan](const pages::BookMaker&) { return plan; }, false, nullptr});
    }
    std::optional<TerminalProgress> progress;
    if (on_terminal) {
      progress.emplace(err);
      maker.SetProgress(&*progress);
    }
    maker.Build(request.book, request.output);
    progress.reset();
    if (request.book.layout.print_ready) {
      if (!summary) summarize(maker);
      err << "quorvel-book: print summary of " << request.output << "\n";
      for (const std::string& line : summary->Lines()) err << "  " << line << "\n";
    }
  } catch (const std::exception& e) {
    err << "quorvel-book: error: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace quorvel::cli
