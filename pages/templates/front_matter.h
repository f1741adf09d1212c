// What the front matter prints and refuses: the contents' entries and the copyright line.
#pragma once

#include <string>
#include <vector>

#include "pages/plan.h"
#include "pages/words.h"

namespace quorvel::pages {

// A line of the contents: a name in the fonts' encoding and its page.
struct ContentsEntry {
  std::string name;
  int page;
};
// The how-to-play page, each section where its puzzles start, and where the answers start.
std::vector<ContentsEntry> ContentsOf(const BookPlan& plan);
// The entries' size: the largest up to 11 pt at which `entries` fit `height` inches; 0 when
// they do not fit at 7 pt.
inline constexpr int kContentsSize = 11;
int ContentsSize(int entries, double height);
// A contents line: the name and dots up to the page number, which stands right-aligned.
std::string ContentsLine(const std::string& name, int page, int size, double width);

// "Copyright © YEAR HOLDER".
std::string CopyrightLine(const BookWords& words, int year);

// Why the front matter cannot print these words, or "".
std::string FrontMatterProblem(const BookOptions& options, const BookPlan& plan,
                               const BookWords& words);

}  // namespace quorvel::pages
