#include "pages/request.h"

#include <cctype>
#include <charconv>

#include "pages/book.h"
#include "puzzle/variant.h"

namespace quorvel::pages {
namespace {

constexpr const char* kLevelKeys[] = {"very-easy", "easy", "standard", "hard", "expert", "extreme"};

std::string Lower(std::string_view text) {
  std::string out;
  for (char ch : text)
    out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(ch))));
  return out;
}

std::vector<std::string_view> Split(std::string_view text, char by) {
  std::vector<std::string_view> parts;
  size_t at = 0;
  for (;;) {
    size_t end = text.find(by, at);
    parts.push_back(text.substr(at, end == std::string_view::npos ? end : end - at));
    if (end == std::string_view::npos) return parts;
    at = end + 1;
  }
}

}  // namespace

std::string LevelName(int level) { return kLevelKeys[level]; }

std::optional<int> ParseLevel(std::string_view text) {
  std::string key;
  for (char c : Lower(text)) key.push_back(c == ' ' || c == '_' ? '-' : c);
  if (key.size() > 7 && key.substr(key.size() - 7) == "-sudoku") key.resize(key.size() - 7);
  for (int i = 0; i < 6; ++i) {
    if (key == kLevelKeys[i] || key == std::to_string(i)) return i;
  }
  return std::nullopt;
}

std::string SectionLayoutName(const Section& s) {
  return std::to_string(s.per_page) + (s.candidates ? "c" : "");
}

bool ParseLayout(std::string_view text, Section& s) {
  const std::string key = Lower(text);
  if (key == "1" || key == "1c" || key == "2" || key == "4") {
    s.per_page = key[0] - '0';
    s.candidates = key == "1c";
    return true;
  }
  return false;
}

std::string KindName(puzzle::PuzzleKind kind) { return puzzle::KindKey(kind); }

std::optional<puzzle::PuzzleKind> ParseKind(std::string_view text) {
  return puzzle::KindFromKey(Lower(text));
}

std::optional<Section> ParseSection(std::string_view text, std::string& problem) {
  const std::vector<std::string_view> parts = Split(text, ':');
  const std::string quoted = "section \"" + std::string(text) + "\"";
  if (parts.size() < 3 || parts.size() > 4) {
    problem = quoted + " is not KIND:LEVEL:COUNT[:LAYOUT], such as standard:easy:50:2";
    return std::nullopt;
  }
  Section s;
  std::optional<puzzle::PuzzleKind> kind = ParseKind(parts[0]);
  if (!kind) {
    problem = quoted + ": unknown kind \"" + std::string(parts[0]) + "\"; use " + kKindNames;
    return std::nullopt;
  }
  s.kind = *kind;
  std::optional<int> level = ParseLevel(parts[1]);
  if (!level) {
    problem = quoted + ": unknown level \"" + std::string(parts[1]) + "\"; use " + kLevelNames;
    return std::nullopt;
  }
  s.level = *level;
  const std::string_view count = parts[2];
  auto [end, ec] = std::from_chars(count.data(), count.data() + count.size(), s.count);
  if (ec != std::errc() || end != count.data() + count.size() || s.count < 1) {
    problem = quoted + ": the count must be a whole number of puzzles, 1 or more";
    return std::nullopt;
  }
  if (parts.size() == 4 && !ParseLayout(parts[3], s)) {
    problem = quoted + ": unknown layout \"" + std::string(parts[3]) + "\"; use 1, 1c, 2 or 4";
    return std::nullopt;
  }
  if (std::string why = SectionProblem(s); !why.empty()) {
    problem = quoted + ": " + why;
    return std::nullopt;
  }
  return s;
}

std::string SectionText(const Section& s) {
  return KindName(s.kind) + ":" + LevelName(s.level) + ":" + std::to_string(s.count) + ":" +
         SectionLayoutName(s);
}

std::optional<FrontMatter> ParseFrontMatter(std::string_view text, std::string& problem) {
  FrontMatter front;
  for (std::string_view part : Split(text, ',')) {
    const std::string key = Lower(part);
    if (key == "title") {
      front.title = true;
    } else if (key == "copyright") {
      front.copyright = true;
    } else if (key == "rules") {
      front.rules = true;
    } else if (key == "contents") {
      front.contents = true;
    } else if (key == "all") {
      front.title = front.copyright = front.rules = front.contents = true;
    } else {
      problem = "unknown front matter \"" + std::string(part) +
                "\"; use title, copyright, rules, contents or all";
      return std::nullopt;
    }
  }
  return front;
}

}  // namespace quorvel::pages
