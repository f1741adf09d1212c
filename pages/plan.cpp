#include "pages/plan.h"

#include <algorithm>
#include <stdexcept>

#include "pages/book.h"
#include "puzzle/variant.h"

namespace quorvel::pages {

std::vector<Section> BookOptions::Parts() const {
  if (!sections.empty()) return sections;
  Section part;
  part.kind = puzzles.kind;
  part.level = puzzles.level;
  part.per_page = Samurai() || (BookDesign() && layout.large_print) ? 1 : layout.per_page;
  part.candidates = !Samurai() && layout.candidates && part.per_page == 1;
  part.count = part.per_page * layout.pages;
  return {part};
}

int BookOptions::AnswersPerPage(bool samurai) const {
  if (!BookDesign()) return samurai ? 1 : 4;
  bool standard_parts = !Samurai();
  if (!sections.empty()) {
    standard_parts = std::any_of(sections.begin(), sections.end(),
                                 [](const Section& s) { return !s.Samurai(); });
  }
  if (layout.answers_per_page > 0 && (!samurai || !standard_parts)) return layout.answers_per_page;
  if (layout.large_print) return 4;
  return samurai ? 2 : 6;
}

std::string SectionName(const Section& section) {
  if (!section.name.empty()) return section.name;
  std::string caption = LevelCaption(section.level);
  if (section.kind == puzzle::PuzzleKind::kStandard) return caption;
  // "Hard Sudoku" becomes "Hard Samurai Sudoku", "Hard X-Sudoku", "Hard Jigsaw Sudoku".
  return caption.substr(0, caption.size() - 6) + puzzle::KindTitle(section.kind);
}

const PlannedSection& BookPlan::SectionOf(int number) const {
  for (const PlannedSection& s : sections) {
    if (number >= s.first && number <= s.Last()) return s;
  }
  throw std::out_of_range("puzzle " + std::to_string(number) + " is not in the book");
}

int BookPlan::AnswerPage(int number) const {
  const PlannedSection& s = SectionOf(number);
  return s.first_answer_page + (number - s.first) / s.answers_per_page;
}

int BookPlan::PuzzlePage(int number) const {
  const PlannedSection& s = SectionOf(number);
  return s.first_page + (number - s.first) / s.section.per_page;
}

BookPlan PlanBook(const BookOptions& options) {
  BookPlan plan;
  auto add = [&plan](PageSpec spec) {
    spec.number = plan.TotalPages() + 1;
    plan.pages.push_back(spec);
  };
  auto page = [&add](PageKind kind, int section = 0) {
    PageSpec spec{kind, 0, 0, 0, 1};
    spec.section = section;
    add(spec);
  };
  // The next page a right-hand one, a blank page before it when needed.
  auto right_hand = [&plan, &page] {
    if (plan.TotalPages() % 2 == 1) page(PageKind::kBlank);
  };
  const std::vector<Section> parts = options.Parts();
  const bool book = options.BookDesign();
  const FrontMatter front = book ? options.front : FrontMatter{};
  if (front.title) page(PageKind::kTitle);
  if (front.copyright) page(PageKind::kCopyright);
  if (front.contents) {
    right_hand();
    page(PageKind::kContents);
  }
  if (front.rules) {
    page(PageKind::kRules);
    if (std::any_of(parts.begin(), parts.end(), [](const Section& s) { return s.Samurai(); })) {
      page(PageKind::kSamuraiRules);
    }
    for (puzzle::PuzzleKind kind : puzzle::VariantKinds()) {
      if (std::none_of(parts.begin(), parts.end(),
                       [kind](const Section& s) { return s.kind == kind; })) {
        continue;
      }
      PageSpec spec{PageKind::kVariantRules, 0, static_cast<int>(kind), 0, 1};
      add(spec);
    }
  }
  int puzzle_pages = 0, answer_pages = 0;
  int first = 1;
  for (const Section& part : parts) {
    PlannedSection planned{part, SectionName(part), first};
    planned.answers_per_page = options.AnswersPerPage(part.Samurai());
    puzzle_pages += part.Pages();
    answer_pages += (part.count + planned.answers_per_page - 1) / planned.answers_per_page;
    first += part.count;
    plan.sections.push_back(planned);
  }
  plan.puzzles = first - 1;
  int step = 0;
  for (size_t i = 0; i < plan.sections.size(); ++i) {
    PlannedSection& s = plan.sections[i];
    const int section = static_cast<int>(i);
    if (front.section_pages) {
      right_hand();
      page(PageKind::kSectionOpener, section);
    }
    s.first_page = plan.TotalPages() + 1;
    const PageKind kind =
        s.section.Samurai() ? PageKind::kSamuraiPuzzle : PageKind::kStandardPuzzles;
    const int U = s.section.per_page;
    for (int q = 0; q < s.section.Pages(); ++q) {
      PageSpec spec{kind,
                    0,
                    s.first + U * q,
                    std::min(U, s.section.count - U * q),
                    U,
                    s.section.candidates,
                    ++step,
                    puzzle_pages};
      spec.section = section;
      add(spec);
    }
  }
  step = 0;
  for (size_t i = 0; i < plan.sections.size(); ++i) {
    PlannedSection& s = plan.sections[i];
    s.first_answer_page = plan.TotalPages() + 1;
    const PageKind kind =
        s.section.Samurai() ? PageKind::kSamuraiAnswer : PageKind::kStandardAnswers;
    const int per = s.answers_per_page;
    for (int from = 0; from < s.section.count; from += per) {
      PageSpec spec{kind, 0,     s.first + from, std::min(per, s.section.count - from),
                    per,  false, ++step,         answer_pages};
      spec.section = static_cast<int>(i);
      add(spec);
    }
  }
  plan.answers_per_page = plan.sections.front().answers_per_page;
  plan.first_answer_page = plan.sections.front().first_answer_page;
  // A printed book has whole leaves.
  if (book && options.layout.print_ready && plan.TotalPages() % 2 == 1) page(PageKind::kBlank);
  return plan;
}

}  // namespace quorvel::pages
