// A book's full-wrap cover for print-on-demand services: back, spine and front on one page with
// a bleed on every side, its size worked out from the trim, the page count and the paper
// stock, its words in the safe areas, the barcode area left empty, colours in CMYK.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pages/book.h"
#include "report/single_page_pdf.h"

namespace quorvel::pages {

// The paper's thickness a page, inches: 0.002252 white, 0.0025 cream, 0.002347 premium colour.
double SpinePerPage(PaperStock stock);
// "white", "cream", "color".
std::optional<PaperStock> ParsePaperStock(std::string_view name);
std::string PaperStockName(PaperStock stock);

// A cover's colours: the ground it stands on and an accent, and whether each carries white
// text (else black).
struct CoverTheme {
  const char* name;
  report::Cmyk ground, accent;
  bool white_on_ground, white_on_accent;
};
const std::vector<CoverTheme>& CoverThemes();
// "classic, midnight, ...", for messages.
std::string CoverThemeNames();
// The contrast ratio of text in `text` on `ground` (1 to 21), from the colours' lightness.
double Contrast(const report::Cmyk& text, const report::Cmyk& ground);

// Where everything of a cover goes, inches from the top-left corner of its page.
struct CoverGeometry {
  static constexpr double kBleed = 0.125, kSafe = 0.25, kSpineSafe = 0.0625;
  static constexpr int kSpineTextPages = 79;
  double trim_width = 6, trim_height = 9, spine = 0;
  int pages = 0;

  double Width() const { return 2 * kBleed + 2 * trim_width + spine; }
  double Height() const { return 2 * kBleed + trim_height; }
  report::Rect Page() const { return {0, 0, Width(), Height()}; }
  report::Rect Trim() const { return {kBleed, kBleed, 2 * trim_width + spine, trim_height}; }
  report::Rect Back() const { return {kBleed, kBleed, trim_width, trim_height}; }
  report::Rect Spine() const { return {kBleed + trim_width, kBleed, spine, trim_height}; }
  report::Rect Front() const {
    return {kBleed + trim_width + spine, kBleed, trim_width, trim_height};
  }
  static report::Rect Inset(const report::Rect& r, double across, double down) {
    return {r.left + across, r.top + down, r.width - 2 * across, r.height - 2 * down};
  }
  report::Rect BackSafe() const { return Inset(Back(), kSafe, kSafe); }
  report::Rect FrontSafe() const { return Inset(Front(), kSafe, kSafe); }
  report::Rect SpineSafe() const { return Inset(Spine(), kSpineSafe, kSafe); }
  // 2 x 1.2 in, 0.25 in above the trim's foot and 0.25 in left of the spine.
  report::Rect Barcode() const {
    return {kBleed + trim_width - kSafe - 2.0, kBleed + trim_height - kSafe - 1.2, 2.0, 1.2};
  }
  bool SpineText() const { return pages >= kSpineTextPages; }
};

CoverGeometry CoverGeometryOf(const BookOptions& book, const CoverOptions& cover, int pages);

// Why the cover of this book cannot be made, or "": an unknown theme, a spine width out of
// range, a title that does not fit the front at 14 pt, a blurb longer than the back's room.
std::string CoverProblem(const BookOptions& book, const CoverOptions& cover, int pages);

// What a cover holds, measured from what was drawn.
struct CoverFacts {
  double width = 0, height = 0, spine = 0;
  bool spine_text = false;
  double thinnest_line = 0, smallest_text = 0;
  bool cmyk = false;
  bool barcode_clear = false;  // no mark in the barcode area
  bool text_safe = false;      // every text inside its safe area
};

// The book a cover is made for: its page and puzzle counts, and its puzzles (the first two
// are drawn).
struct CoverBook {
  int pages = 0, puzzles = 0;
  const std::vector<PickedPuzzle>* picked = nullptr;
};
// That of the book `maker` has just built.
CoverBook CoverBookOf(const BookMaker& maker);

// The cover's PDF; what it holds in `facts`, and what it draws in `drawing`, when given.
std::string MakeCover(const BookOptions& book, const CoverOptions& cover, const CoverBook& made,
                      CoverFacts* facts = nullptr,
                      std::vector<report::SinglePagePdf::Op>* drawing = nullptr);

}  // namespace quorvel::pages
