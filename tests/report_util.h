// Documents made for the report tests.
#pragma once

#include "report/document.h"

namespace quorvel::testing {

// Starts a new project whose report holds `pages` pages chained in print order.
inline report::TReport* NewChainedReport(report::TReportProject& project, int pages) {
  project.NewProject();
  report::TReport* report = project.ProjectManager().Reports()[0];
  for (int i = 1; i < pages; ++i) report->AddPage();
  for (int i = 0; i + 1 < pages; ++i) report->Pages()[i]->SetGotoPage(report->Pages()[i + 1]);
  return report;
}

}  // namespace quorvel::testing
