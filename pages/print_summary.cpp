#include "pages/print_summary.h"

#include <cstdio>

#include "pages/paper.h"

namespace quorvel::pages {
namespace {

std::string Format(const char* format, double a, double b = 0, double c = 0) {
  char buf[160];
  std::snprintf(buf, sizeof buf, format, a, b, c);
  return buf;
}

}  // namespace

PrintSummary SummaryOf(const report::TRenderPDF::Measured& interior,
                       const std::optional<CoverFacts>& cover, const CoverOptions* options) {
  PrintSummary s;
  s.interior = interior;
  s.cover = cover;
  s.inside_margin = InsideMargin(interior.pages);
  if (options) s.stock = options->spine_width ? "given" : PaperStockName(options->stock);
  auto rule = [&s](std::string text, bool met) { s.rules.push_back({std::move(text), met}); };
  rule("at least 24 pages", interior.pages >= 24);
  rule("an even page count", interior.pages % 2 == 0);
  rule(Format("inside margin of %.3f in for this page count", s.inside_margin),
       interior.binding_clearance >= s.inside_margin - 0.005);
  rule("lines of 0.75 pt or more", interior.thinnest_line == 0 || interior.thinnest_line >= 0.75);
  rule("text of 7 pt or more", interior.smallest_text >= kSmallestTextPoints);
  rule("every font embedded", interior.fonts_embedded);
  rule("grey colours only, no RGB", !interior.rgb);
  if (cover) {
    rule("cover text on the spine only from 79 pages",
         cover->spine_text == (interior.pages >= CoverGeometry::kSpineTextPages));
    rule("cover text inside the safe areas", cover->text_safe);
    rule("cover barcode area empty", cover->barcode_clear);
    rule("cover in CMYK, fonts embedded", cover->cmyk);
  }
  return s;
}

std::vector<std::string> PrintSummary::Lines() const {
  std::vector<std::string> lines;
  const report::TRenderPDF::Measured& i = interior;
  lines.push_back(Format("trim %g x %g in, %g pages", i.width, i.height, i.pages));
  lines.push_back(Format("nearest mark to the binding %.3f in (gutter needed %.3f in)",
                         i.binding_clearance, inside_margin));
  lines.push_back(
      Format("thinnest line %.2f pt, smallest text %g pt", i.thinnest_line, i.smallest_text));
  std::string fonts;
  for (const std::string& f : i.fonts) {
    if (fonts.find(f) == std::string::npos) fonts += (fonts.empty() ? "" : ", ") + f;
  }
  lines.push_back("fonts " + (fonts.empty() ? std::string("none") : fonts) +
                  (i.fonts_embedded ? ", embedded" : ", not embedded"));
  lines.push_back(std::string("colour spaces ") + (i.grey ? "DeviceGray" : "") +
                  (i.grey && i.rgb ? ", " : "") + (i.rgb ? "DeviceRGB" : ""));
  if (cover) {
    lines.push_back(
        Format("cover %.3f x %.3f in, spine %.3f in", cover->width, cover->height, cover->spine) +
        " (" + stock + ")" + (cover->spine_text ? ", spine text" : ", no spine text") +
        ", colour space DeviceCMYK");
  }
  for (const Rule& r : rules) lines.push_back((r.met ? "meets: " : "FAILS: ") + r.rule);
  return lines;
}

}  // namespace quorvel::pages
