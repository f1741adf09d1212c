#include "pages/plan_file.h"

#include <toml++/toml.h>

#include <cstdio>
#include <filesystem>
#include <limits>
#include <sstream>

#include "pages/book.h"
#include "pages/cover.h"
#include "pages/paper.h"

namespace quorvel::pages {
namespace {

namespace fs = std::filesystem;

// A problem at a place of the file, thrown to the reader's edge.
struct PlanError {
  std::string message;
};

class Reader {
 public:
  Reader(std::string file, std::string folder)
      : file_(std::move(file)), folder_(std::move(folder)) {}

  [[noreturn]] void Fail(const toml::source_region& at, const std::string& message) const {
    throw PlanError{file_ + ":" + std::to_string(at.begin.line) + ": " + message};
  }

  bool Bool(const toml::node& node, const std::string& key) const {
    if (const auto* value = node.as_boolean()) return value->get();
    Fail(node.source(), "'" + key + "' must be true or false");
  }
  int64_t Integer(const toml::node& node, const std::string& key, int64_t low, int64_t high) const {
    const auto* value = node.as_integer();
    if (!value || value->get() < low || value->get() > high) {
      Fail(node.source(), "'" + key + "' must be a whole number from " + std::to_string(low) +
                              " to " + std::to_string(high));
    }
    return value->get();
  }
  std::string String(const toml::node& node, const std::string& key) const {
    if (const auto* value = node.as_string()) return value->get();
    Fail(node.source(), "'" + key + "' must be a text in quotes");
  }
  std::string NonEmpty(const toml::node& node, const std::string& key) const {
    std::string text = String(node, key);
    if (text.empty()) Fail(node.source(), "'" + key + "' must not be empty");
    return text;
  }
  // A path of the file, relative to its folder.
  std::string Path(const toml::node& node, const std::string& key) const {
    fs::path path = NonEmpty(node, key);
    if (path.is_relative() && !folder_.empty()) path = fs::path(folder_) / path;
    return path.lexically_normal().string();
  }
  int Level(const toml::node& node, const std::string& key) const {
    if (const auto* number = node.as_integer())
      return static_cast<int>(Integer(*number, key, 0, 5));
    const auto* text = node.as_string();
    std::optional<int> level = text ? ParseLevel(text->get()) : std::nullopt;
    if (!level) Fail(node.source(), std::string("'") + key + "' must be " + kLevelNames);
    return *level;
  }

  void Top(const toml::table& table, BookRequest& r) const {
    BookOptions& b = r.book;
    for (auto&& [key_name, node] : table) {
      const std::string key(key_name.str());
      if (key == "section") {
        Sections(node, r);
      } else if (key == "front_matter") {
        Front(node, b.front);
      } else if (key == "samurai") {
        b.puzzles.kind =
            Bool(node, key) ? puzzle::PuzzleKind::kSamurai : puzzle::PuzzleKind::kStandard;
      } else if (key == "level") {
        b.puzzles.level = Level(node, key);
      } else if (key == "pages") {
        b.layout.pages = static_cast<int>(Integer(node, key, 1, 200));
      } else if (key == "per_page") {
        const int64_t n = Integer(node, key, 1, 4);
        if (n == 3) Fail(node.source(), "'per_page' must be 1, 2 or 4");
        b.layout.per_page = static_cast<int>(n);
      } else if (key == "candidates") {
        b.layout.candidates = Bool(node, key);
      } else if (key == "paper") {
        std::optional<Paper> paper = ParsePaper(String(node, key));
        if (!paper) Fail(node.source(), std::string("'paper' must be ") + kPaperForms);
        b.layout.paper = *paper;
      } else if (key == "print_ready") {
        b.layout.print_ready = Bool(node, key);
      } else if (key == "unique") {
        b.puzzles.unique = Bool(node, key);
      } else if (key == "title") {
        b.layout.title = NonEmpty(node, key);
      } else if (key == "footer") {
        b.layout.footer = NonEmpty(node, key);
      } else if (key == "author") {
        b.layout.author = NonEmpty(node, key);
      } else if (key == "subtitle") {
        b.publication.subtitle = NonEmpty(node, key);
      } else if (key == "publisher") {
        b.publication.publisher = NonEmpty(node, key);
      } else if (key == "copyright") {
        b.publication.copyright = NonEmpty(node, key);
      } else if (key == "isbn") {
        b.publication.isbn = NonEmpty(node, key);
      } else if (key == "edition") {
        b.publication.edition = NonEmpty(node, key);
      } else if (key == "design") {
        const std::string design = String(node, key);
        if (design == "book") {
          b.layout.design = Design::kBook;
        } else if (design == "classic") {
          b.layout.design = Design::kClassic;
        } else {
          Fail(node.source(), "'design' must be \"book\" or \"classic\"");
        }
      } else if (key == "answers_per_page") {
        b.layout.answers_per_page = static_cast<int>(Integer(node, key, 1, 12));
      } else if (key == "bold_givens") {
        b.layout.bold_givens = Bool(node, key);
      } else if (key == "large_print") {
        b.layout.large_print = Bool(node, key);
      } else if (key == "seed") {
        r.seed = static_cast<uint32_t>(Integer(node, key, 0, std::numeric_limits<uint32_t>::max()));
      } else if (key == "output") {
        r.output = Path(node, key);
      } else if (key == "manifest") {
        r.manifest = Path(node, key);
      } else if (key == "exclude") {
        const auto* files = node.as_array();
        if (!files) Fail(node.source(), "'exclude' must be a list of manifest files");
        r.exclude.clear();
        for (const toml::node& file : *files) r.exclude.push_back(Path(file, key));
      } else if (key == "cover") {
        r.cover.file = Path(node, key);
      } else if (key == "paper_stock") {
        std::optional<PaperStock> stock = ParsePaperStock(String(node, key));
        if (!stock) Fail(node.source(), "'paper_stock' must be \"white\", \"cream\" or \"color\"");
        r.cover.stock = *stock;
      } else if (key == "spine_width") {
        const double width = node.is_integer() ? static_cast<double>(node.as_integer()->get())
                             : node.is_floating_point() ? node.as_floating_point()->get()
                                                        : -1;
        if (!(width >= 0 && width <= 2)) {
          Fail(node.source(), "'spine_width' must be a number of inches from 0 to 2");
        }
        r.cover.spine_width = width;
      } else if (key == "blurb") {
        r.cover.blurb = NonEmpty(node, key);
      } else if (key == "cover_theme") {
        r.cover.theme = NonEmpty(node, key);
      } else if (key == "cover_guides") {
        r.cover.guides = Bool(node, key);
      } else {
        Fail(key_name.source(), "unknown key '" + key + "'");
      }
    }
  }

  void Sections(const toml::node& node, BookRequest& r) const {
    const auto* tables = node.as_array();
    if (!tables || !tables->is_array_of_tables()) {
      Fail(node.source(), "'section' must be [[section]] tables");
    }
    r.book.sections.clear();
    for (const toml::node& entry : *tables) {
      const toml::table& table = *entry.as_table();
      Section s;
      bool level = false, count = false;
      for (auto&& [key_name, value] : table) {
        const std::string key(key_name.str());
        if (key == "kind") {
          std::optional<puzzle::PuzzleKind> kind = ParseKind(String(value, key));
          if (!kind) Fail(value.source(), std::string("'kind' must be one of ") + kKindNames);
          s.kind = *kind;
        } else if (key == "level") {
          s.level = Level(value, key);
          level = true;
        } else if (key == "count") {
          s.count = static_cast<int>(Integer(value, key, 1, 800));
          count = true;
        } else if (key == "layout") {
          std::string layout =
              value.is_integer() ? std::to_string(value.as_integer()->get()) : String(value, key);
          if (!ParseLayout(layout, s)) Fail(value.source(), "'layout' must be 1, \"1c\", 2 or 4");
        } else if (key == "name") {
          s.name = NonEmpty(value, key);
        } else {
          Fail(key_name.source(), "unknown key '" + key + "' in [[section]]");
        }
      }
      if (!level || !count) {
        Fail(table.source(),
             std::string("a [[section]] needs its '") + (level ? "count" : "level") + "'");
      }
      if (std::string problem = SectionProblem(s); !problem.empty()) Fail(table.source(), problem);
      r.book.sections.push_back(s);
    }
  }

  void Front(const toml::node& node, FrontMatter& front) const {
    const auto* table = node.as_table();
    if (!table) Fail(node.source(), "'front_matter' must be a [front_matter] table");
    for (auto&& [key_name, value] : *table) {
      const std::string key(key_name.str());
      bool* part = key == "title"           ? &front.title
                   : key == "copyright"     ? &front.copyright
                   : key == "rules"         ? &front.rules
                   : key == "contents"      ? &front.contents
                   : key == "section_pages" ? &front.section_pages
                                            : nullptr;
      if (!part) Fail(key_name.source(), "unknown key '" + key + "' in [front_matter]");
      *part = Bool(value, key);
    }
  }

 private:
  std::string file_, folder_;
};

}  // namespace

std::string PaperName(const Paper& paper) {
  if (paper.width == 8.5 && paper.height == 11.0) return "letter";
  char name[48];
  std::snprintf(name, sizeof name, "%gx%g", paper.width, paper.height);
  return name;
}

std::string ReadPlanFile(const std::string& path, BookRequest& request) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    return path + ": " + (fs::exists(path, ec) ? "not a plan file" : "no such file");
  }
  toml::table table;
  try {
    table = toml::parse_file(path);
  } catch (const toml::parse_error& e) {
    return path + ":" + std::to_string(e.source().begin.line) +
           ": not TOML: " + std::string(e.description());
  }
  BookRequest read = request;
  try {
    Reader(path, fs::path(path).parent_path().string()).Top(table, read);
  } catch (const PlanError& e) {
    return e.message;
  }
  request = std::move(read);
  return std::string();
}

std::string PlanFileText(const BookRequest& r, const std::string& path) {
  const fs::path folder = fs::absolute(fs::path(path)).parent_path();
  auto relative = [&](const std::string& file) {
    std::error_code ec;
    fs::path rel = fs::relative(fs::absolute(file), folder, ec);
    return ec || rel.empty() ? fs::absolute(file).string() : rel.string();
  };
  const BookOptions& b = r.book;
  toml::table t;
  auto text = [&t](const char* key, const std::string& value) {
    if (!value.empty()) t.insert(key, value);
  };
  if (b.sections.empty()) {
    if (b.Samurai()) t.insert("samurai", true);
    t.insert("level", LevelName(b.puzzles.level));
    t.insert("pages", b.layout.pages);
    if (!b.Samurai()) t.insert("per_page", b.layout.per_page);
    if (b.layout.candidates) t.insert("candidates", true);
  } else {
    toml::array sections;
    for (const Section& s : b.sections) {
      toml::table entry{{"kind", KindName(s.kind)},
                        {"level", LevelName(s.level)},
                        {"count", s.count},
                        {"layout", SectionLayoutName(s)}};
      if (!s.name.empty()) entry.insert("name", s.name);
      sections.push_back(std::move(entry));
    }
    t.insert("section", std::move(sections));
  }
  t.insert("paper", PaperName(b.layout.paper));
  if (b.layout.print_ready) t.insert("print_ready", true);
  if (b.puzzles.unique) t.insert("unique", true);
  if (b.layout.design != Design::kByPaper) {
    t.insert("design", b.layout.design == Design::kBook ? "book" : "classic");
  }
  if (b.layout.answers_per_page > 0) t.insert("answers_per_page", b.layout.answers_per_page);
  if (b.layout.bold_givens) t.insert("bold_givens", true);
  if (b.layout.large_print) t.insert("large_print", true);
  text("title", b.layout.title);
  text("footer", b.layout.footer);
  text("author", b.layout.author);
  text("subtitle", b.publication.subtitle);
  text("publisher", b.publication.publisher);
  text("copyright", b.publication.copyright);
  text("isbn", b.publication.isbn);
  text("edition", b.publication.edition);
  if (r.seed) t.insert("seed", static_cast<int64_t>(*r.seed));
  if (!r.output.empty()) t.insert("output", relative(r.output));
  if (!r.manifest.empty()) t.insert("manifest", relative(r.manifest));
  if (!r.exclude.empty()) {
    toml::array files;
    for (const std::string& file : r.exclude) files.push_back(relative(file));
    t.insert("exclude", std::move(files));
  }
  const CoverOptions& cover = r.cover;
  if (!cover.file.empty()) t.insert("cover", relative(cover.file));
  if (cover.stock != PaperStock::kWhite) t.insert("paper_stock", PaperStockName(cover.stock));
  if (cover.spine_width) t.insert("spine_width", *cover.spine_width);
  text("blurb", cover.blurb);
  if (cover.theme != CoverOptions{}.theme) t.insert("cover_theme", cover.theme);
  if (cover.guides) t.insert("cover_guides", true);
  if (b.front.Any()) {
    toml::table front;
    for (auto [key, on] : {std::pair{"title", b.front.title},
                           {"copyright", b.front.copyright},
                           {"rules", b.front.rules},
                           {"contents", b.front.contents},
                           {"section_pages", b.front.section_pages}}) {
      if (on) front.insert(key, true);
    }
    t.insert("front_matter", std::move(front));
  }
  std::ostringstream out;
  out << "# A book plan: quorvel-book --plan FILE makes this book again.\n\n" << t << "\n";
  return out.str();
}

}  // namespace quorvel::pages
