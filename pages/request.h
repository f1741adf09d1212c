// A book request: everything a front end can ask of one run, as plain values. The command line
// and plan files fill it; a plan file written from it makes the same book again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pages/options.h"

namespace quorvel::pages {

struct BookRequest {
  BookOptions book;
  std::optional<uint32_t> seed;
  std::string output;    // the PDF
  std::string manifest;  // the book as data, when set
  // Manifests of earlier volumes whose puzzles the book must not use.
  std::vector<std::string> exclude;
  CoverOptions cover;
};

// The level names, "very-easy" .. "extreme", and the accepted forms in messages.
inline constexpr const char* kLevelNames =
    "very-easy, easy, standard, hard, expert, extreme or 0..5";
std::string LevelName(int level);
// "Very Easy Sudoku", "very-easy", "VERY_EASY" and "0" all name level 0.
std::optional<int> ParseLevel(std::string_view text);

// The layouts of a section: "1", "1c" (1 with candidates), "2", "4".
std::string SectionLayoutName(const Section& section);
// Sets the layout of `section` from `text`; false for anything else.
bool ParseLayout(std::string_view text, Section& section);
// The kinds of puzzle a section can hold: "standard", "samurai", "x", "jigsaw", "4x4", "6x6".
inline constexpr const char* kKindNames = "standard, samurai, x, jigsaw, 4x4 or 6x6";
std::string KindName(puzzle::PuzzleKind kind);
std::optional<puzzle::PuzzleKind> ParseKind(std::string_view text);

// A section from "KIND:LEVEL:COUNT[:LAYOUT]", such as "standard:easy:50:2"; nothing, with the
// problem, for a malformed one.
std::optional<Section> ParseSection(std::string_view text, std::string& problem);
// The same in that form.
std::string SectionText(const Section& section);

// The front matter from "title,copyright,rules,contents" (any of them, "all" for the four);
// nothing, with the problem, for an unknown part.
std::optional<FrontMatter> ParseFrontMatter(std::string_view text, std::string& problem);

}  // namespace quorvel::pages
