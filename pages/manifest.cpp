#include "pages/manifest.h"

#include <fstream>
#include <toml++/toml.h>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "pages/plan_file.h"
#include "quorvel/version.h"

namespace quorvel::pages {
namespace {

using nlohmann::json;

constexpr int kManifestFormat = 1;

// A Samurai grid as the store keeps it (digits the givens, letters the empty cells with their
// solution digits) as a puzzle and a solution string.
std::pair<std::string, std::string> GridStrings(const std::string& grid) {
  std::string puzzle, solution;
  for (char c : grid) {
    const bool empty = c >= 'A' && c <= 'I';
    puzzle.push_back(empty ? '0' : c);
    solution.push_back(empty ? static_cast<char>('1' + (c - 'A')) : c);
  }
  return {puzzle, solution};
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
                  {"bank", puzzle::GetBankLevel(p.level)},
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
        auto [puzzle, solution] = GridStrings(p.grids[g]);
        grids.push_back({{"puzzle", puzzle}, {"solution", solution}, {"canonical", form(g)}});
      }
      entry["grids"] = std::move(grids);
    } else {
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
  if (summary) {
    const report::TRenderPDF::Measured& i = summary->interior;
    json rules = json::array();
    for (const PrintSummary::Rule& r : summary->rules) rules.push_back({{"rule", r.rule}, {"met", r.met}});
    json colour = json::array();
    if (i.grey) colour.push_back("DeviceGray");
    if (i.rgb) colour.push_back("DeviceRGB");
    json printed = {{"trim", {i.width, i.height}},
                    {"pages", i.pages},
                    {"binding_clearance", i.binding_clearance},
                    {"inside_margin", summary->inside_margin},
                    {"thinnest_line", i.thinnest_line},
                    {"smallest_text", i.smallest_text},
                    {"fonts", i.fonts},
                    {"fonts_embedded", i.fonts_embedded},
                    {"colour_spaces", colour},
                    {"rules", rules}};
    if (summary->cover) {
      const CoverFacts& c = *summary->cover;
      printed["cover"] = {{"size", {c.width, c.height}},   {"spine", c.spine},
                          {"stock", summary->stock},       {"spine_text", c.spine_text},
                          {"barcode_clear", c.barcode_clear}, {"text_safe", c.text_safe},
                          {"thinnest_line", c.thinnest_line}, {"smallest_text", c.smallest_text},
                          {"colour_spaces", json::array({"DeviceCMYK"})}};
    }
    manifest["print_summary"] = std::move(printed);
  }
  return manifest.dump(1) + "\n";
}

std::shared_ptr<const ExcludedPuzzles> ReadExcluded(const std::vector<std::string>& files,
                                                    std::string& problem) {
  auto excluded = std::make_shared<ExcludedPuzzles>();
  std::set<std::string> per_bank[5];
  for (const std::string& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    if (!in || !(text << in.rdbuf())) {
      problem = file + ": cannot read the manifest";
      return nullptr;
    }
    const std::string not_ours = file + " is not a manifest of this program: ";
    json manifest;
    try {
      // Only the puzzles' banks and canonical forms are read: their strings are left out.
      manifest = json::parse(text.str(), [](int, json::parse_event_t event, json& value) {
        return event != json::parse_event_t::key ||
               (value != "puzzle" && value != "solution" && value != "options");
      });
    } catch (const json::exception&) {
      problem = not_ours + "it is not JSON";
      return nullptr;
    }
    if (!manifest.is_object() || manifest.value("program", json()) != kProgramName ||
        !manifest.contains("puzzles") || !manifest["puzzles"].is_array()) {
      problem = not_ours + "it has no \"program\": \"" + kProgramName + "\" and puzzles";
      return nullptr;
    }
    if (manifest.value("manifest", 0) != kManifestFormat) {
      problem = not_ours + "its format is not " + std::to_string(kManifestFormat);
      return nullptr;
    }
    try {
      for (const json& entry : manifest["puzzles"]) {
        const int bank = entry.at("bank").get<int>() - 1;
        if (bank < 0 || bank > 4) throw std::out_of_range("bank");
        auto add = [&](const json& holder) {
          std::string form = holder.at("canonical").get<std::string>();
          if (form.size() != 81) throw std::out_of_range("canonical");
          per_bank[bank].insert(form);
          excluded->forms.insert(std::move(form));
        };
        if (entry.contains("grids")) {
          for (const json& grid : entry.at("grids")) add(grid);
        } else {
          add(entry);
        }
      }
    } catch (const std::exception&) {
      problem = not_ours + "a puzzle has no bank level 1 to 5 or no canonical form";
      return nullptr;
    }
  }
  for (int bank = 0; bank < 5; ++bank) {
    excluded->per_bank[bank] = static_cast<int>(per_bank[bank].size());
  }
  return excluded;
}

}  // namespace quorvel::pages
