// The print summary of a print-ready book: what its files hold, measured as they were written
// (trim, pages, the nearest mark to the binding, the thinnest line, the smallest text, fonts and
// colour spaces, the cover's size and spine), and which of the print services' rules they meet.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pages/cover.h"
#include "report/pdf_writer.h"

namespace quorvel::pages {

struct PrintSummary {
  report::TRenderPDF::Measured interior;
  double inside_margin = 0;  // what the services ask for this page count, inches
  std::optional<CoverFacts> cover;
  std::string stock;  // of the cover's spine, or "given" for --spine-width
  // Each rule: what it asks and whether the files meet it.
  struct Rule {
    std::string rule;
    bool met;
  };
  std::vector<Rule> rules;
  // The summary as lines of text for a terminal.
  std::vector<std::string> Lines() const;
};

PrintSummary SummaryOf(const report::TRenderPDF::Measured& interior,
                       const std::optional<CoverFacts>& cover, const CoverOptions* options);

}  // namespace quorvel::pages
