#include "pages/manifest.h"

#include <toml++/toml.h>

#include <cctype>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <unordered_set>

#include "pages/plan_file.h"
#include "puzzle/canonical.h"
#include "puzzle/variant.h"
#include "quorvel/version.h"

namespace quorvel::pages {
namespace {

using nlohmann::json;

constexpr int kManifestFormat = 1;

// A puzzle's bank among its kind's, from 1: the classic bank level 1..5 for Standard and
// Samurai puzzles, 1..5 for the 9 x 9 variants, 1..4 for 6 x 6 and 1..2 for 4 x 4.
int PuzzleBank(puzzle::PuzzleKind kind, int level) {
  return puzzle::IsVariant(kind) ? puzzle::BankOf(kind, level) + 1 : puzzle::GetBankLevel(level);
}

}  // namespace

namespace {

json SummaryJson(const PrintSummary& summary) {
  const report::TRenderPDF::Measured& i = summary.interior;
  json rules = json::array();
  for (const PrintSummary::Rule& r : summary.rules)
    rules.push_back({{"rule", r.rule}, {"met", r.met}});
  json colour = json::array();
  if (i.grey) colour.push_back("DeviceGray");
  if (i.rgb) colour.push_back("DeviceRGB");
  json printed = {{"trim", {i.width, i.height}},
                  {"pages", i.pages},
                  {"binding_clearance", i.binding_clearance},
                  {"inside_margin", summary.inside_margin},
                  {"thinnest_line", i.thinnest_line},
                  {"smallest_text", i.smallest_text},
                  {"fonts", i.fonts},
                  {"fonts_embedded", i.fonts_embedded},
                  {"colour_spaces", colour},
                  {"rules", rules}};
  if (summary.cover) {
    const CoverFacts& c = *summary.cover;
    printed["cover"] = {{"size", {c.width, c.height}},
                        {"spine", c.spine},
                        {"stock", summary.stock},
                        {"spine_text", c.spine_text},
                        {"barcode_clear", c.barcode_clear},
                        {"text_safe", c.text_safe},
                        {"thinnest_line", c.thinnest_line},
                        {"smallest_text", c.smallest_text},
                        {"colour_spaces", json::array({"DeviceCMYK"})}};
  }
  return printed;
}

}  // namespace

std::string ManifestText(const BookRequest& request, const BookMaker& maker,
                         const PrintSummary* summary) {
  const BookPlan& plan = maker.Plan();
  json options = json::object();
  {
    // The options as a plan file holds them, without the paths of this run.
    BookRequest plain = request;
    plain.output.clear(), plain.manifest.clear(), plain.exclude.clear(), plain.cover.file.clear();
    toml::table table = toml::parse(PlanFileText(plain, "plan.toml"));
    std::ostringstream text;
    text << toml::json_formatter{table};
    options = json::parse(text.str());
  }
  json sections = json::array();
  for (const PlannedSection& s : plan.sections) {
    sections.push_back({{"name", s.name},
                        {"kind", KindName(s.section.kind)},
                        {"level", LevelName(s.section.level)},
                        {"count", s.section.count},
                        {"layout", SectionLayoutName(s.section)},
                        {"first_puzzle", s.first},
                        {"first_page", s.first_page},
                        {"first_answer_page", s.first_answer_page}});
  }
  json puzzles = json::array();
  const std::vector<PickedPuzzle>& picked = maker.Picked();
  for (int number = 1; number <= static_cast<int>(picked.size()); ++number) {
    const PickedPuzzle& p = picked[static_cast<size_t>(number - 1)];
    const PlannedSection& s = plan.SectionOf(number);
    json entry = {{"number", number},
                  {"section", &s - plan.sections.data() + 1},
                  {"kind", KindName(p.kind)},
                  {"level", LevelName(p.level)},
                  {"bank", PuzzleBank(p.kind, p.level)},
                  {"page", plan.PuzzlePage(number)},
                  {"answer_page", plan.AnswerPage(number)}};
    // The canonical form of a scrambled puzzle is its bank line's.
    auto form = [&](size_t k) {
      const puzzle::PuzzleSupply::Draw& line = p.lines.at(k);
      return maker.Banks().Form(line.bank, line.line);
    };
    if (p.kind == puzzle::PuzzleKind::kSamurai) {
      json grids = json::array();
      for (size_t g = 0; g < p.grids.size(); ++g) {
        const puzzle::LineStrings grid = puzzle::SplitLine(p.grids[g]);
        grids.push_back(
            {{"puzzle", grid.puzzle}, {"solution", grid.solution}, {"canonical", form(g)}});
      }
      entry["grids"] = std::move(grids);
    } else {
      if (puzzle::IsVariant(p.kind)) {
        entry["variant"] = puzzle::KindTitle(p.kind);
        entry["size"] = puzzle::GridSize(p.kind);
        if (!p.layout.empty()) entry["layout"] = p.layout;
      }
      entry["puzzle"] = p.puzzle;
      entry["solution"] = p.solution;
      entry["canonical"] = form(0);
    }
    puzzles.push_back(std::move(entry));
  }
  json manifest = {{"program", kProgramName},
                   {"manifest", kManifestFormat},
                   {"version", kVersion},
                   {"options", options},
                   {"seed", request.seed ? json(*request.seed) : json(nullptr)},
                   {"pages", plan.TotalPages()},
                   {"sections", sections},
                   {"puzzles", puzzles}};
  if (summary) manifest["print_summary"] = SummaryJson(*summary);
  return manifest.dump(1) + "\n";
}

namespace {

// The puzzles of one manifest: each canonical form with its bank, or why the file is refused.
struct ManifestForms {
  std::vector<std::pair<int, std::string>> forms;
  std::string problem;
};

// Reads a manifest's program, format and puzzles' banks and forms as the parser meets them,
// without building the document.
class FormsReader : public nlohmann::json_sax<json> {
 public:
  std::string program;
  int64_t format = 0;
  bool puzzles = false, bad_puzzle = false;
  std::vector<std::pair<int, std::string>> forms;

  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t v) override { return Number(v); }
  bool number_unsigned(number_unsigned_t v) override {
    return Number(static_cast<int64_t>(std::min<number_unsigned_t>(v, 1u << 30)));
  }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t& v) override {
    if (depth_ == 1 && key_ == "program") program = v;
    if (depth_ == 3 && in_puzzles_ && key_ == "kind") kind_ = v;
    if (key_ == "canonical" && (depth_ == 3 || (depth_ == 5 && in_grids_))) {
      pending_.push_back(std::move(v));
    }
    return true;
  }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override {
    ++depth_;
    if (depth_ == 3 && in_puzzles_) bank_ = 0, kind_.clear(), pending_.clear();
    return true;
  }
  bool end_object() override {
    if (depth_ == 3 && in_puzzles_) {
      // A puzzle without a kind is a Standard or Samurai one, as manifests before variants
      // had them.
      const std::optional<puzzle::PuzzleKind> kind =
          kind_.empty() ? puzzle::PuzzleKind::kStandard : puzzle::KindFromKey(kind_);
      if (!kind || pending_.empty()) {
        bad_puzzle = true;
      } else if (puzzle::IsVariant(*kind)) {
        const int n = puzzle::GridSize(*kind), cells = n * n;
        const size_t length =
            static_cast<size_t>(*kind == puzzle::PuzzleKind::kJigsaw ? 2 * cells + 1 : cells);
        if (bank_ < 1 || bank_ > puzzle::BankCount(*kind) || pending_.size() != 1 ||
            pending_[0].size() != length) {
          bad_puzzle = true;
        } else {
          forms.emplace_back(puzzle::BankSet::kClassicBanks +
                                 puzzle::VariantBankIndex(*kind, static_cast<int>(bank_) - 1),
                             kind_ + ":" + pending_[0]);
        }
      } else {
        if (bank_ < 1 || bank_ > 5) bad_puzzle = true;
        for (std::string& form : pending_) {
          if (form.size() != 81) bad_puzzle = true;
          forms.emplace_back(static_cast<int>(bank_) - 1, std::move(form));
        }
      }
      pending_.clear();
    }
    --depth_;
    return true;
  }
  bool start_array(std::size_t) override {
    ++depth_;
    if (depth_ == 2 && key_ == "puzzles") in_puzzles_ = puzzles = true;
    if (depth_ == 4 && in_puzzles_ && key_ == "grids") in_grids_ = true;
    return true;
  }
  bool end_array() override {
    if (depth_ == 2) in_puzzles_ = false;
    if (depth_ == 4) in_grids_ = false;
    --depth_;
    return true;
  }
  bool key(string_t& k) override {
    key_ = k;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  bool Number(int64_t v) {
    if (depth_ == 1 && key_ == "manifest") format = v;
    if (depth_ == 3 && in_puzzles_ && key_ == "bank") bank_ = v;
    return true;
  }
  int depth_ = 0;
  std::string key_;
  bool in_puzzles_ = false, in_grids_ = false;
  int64_t bank_ = 0;
  std::string kind_;
  std::vector<std::string> pending_;
};

ManifestForms ReadForms(const std::string& file) {
  ManifestForms read;
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  std::string bytes;
  if (in) {
    bytes.resize(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  if (!in) {
    read.problem = file + ": cannot read the manifest";
    return read;
  }
  const std::string not_ours = file + " is not a manifest of this program: ";
  FormsReader reader;
  if (!json::sax_parse(bytes.data(), bytes.data() + bytes.size(), &reader)) {
    read.problem = not_ours + "it is not JSON";
    return read;
  }
  if (reader.program != kProgramName || !reader.puzzles) {
    read.problem = not_ours + "it has no \"program\": \"" + kProgramName + "\" and puzzles";
    return read;
  }
  if (reader.format != kManifestFormat) {
    read.problem = not_ours + "its format is not " + std::to_string(kManifestFormat);
    return read;
  }
  if (reader.bad_puzzle) {
    read.problem = not_ours + "a puzzle has no kind and bank of this program or no canonical form";
    return read;
  }
  read.forms = std::move(reader.forms);
  return read;
}

}  // namespace

std::string WithSummary(std::string manifest, const PrintSummary& summary) {
  // The manifest is one object: the summary becomes its last member.
  size_t end = manifest.rfind('}');
  if (end == std::string::npos) return manifest;
  while (end > 0 && std::isspace(static_cast<unsigned char>(manifest[end - 1]))) --end;
  manifest.insert(end, ",\n \"print_summary\": " + SummaryJson(summary).dump(1));
  return manifest;
}

std::shared_ptr<const ExcludedPuzzles> ReadExcluded(const std::vector<std::string>& files,
                                                    std::string& problem) {
  auto excluded = std::make_shared<ExcludedPuzzles>();
  std::unordered_set<std::string> per_bank[puzzle::BankSet::kAllBanks];
  for (const std::string& file : files) {
    ManifestForms read = ReadForms(file);
    if (!read.problem.empty()) {
      problem = read.problem;
      return nullptr;
    }
    for (auto& [bank, form] : read.forms) {
      per_bank[bank].insert(form);
      excluded->forms.insert(std::move(form));
    }
  }
  for (int bank = 0; bank < puzzle::BankSet::kAllBanks; ++bank) {
    excluded->per_bank[bank] = static_cast<int>(per_bank[bank].size());
  }
  return excluded;
}

}  // namespace quorvel::pages
