// Building and executing the largest document, 400 pages of about 410 items, into a page
// stream in memory; the peak resident memory of the process is reported as a counter.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "report/document.h"
#include "report/page_stream_writer.h"
#include "report/pdf_writer.h"

namespace {

using namespace quorvel::report;

void Build(TReportProject& project) {
  project.NewProject();
  TReport* report = project.ProjectManager().Reports()[0];
  for (int i = 1; i < 400; ++i) report->AddPage();
  for (int i = 0; i < 400; ++i) {
    TReportPage* page = report->Pages()[i];
    if (i + 1 < 400) page->SetGotoPage(report->Pages()[i + 1]);
    page->SetWasteFit(true);
    for (int s = 0; s < 4; ++s) {
      auto* h = CreateItem<TReportText>(*page, "TitleText");
      h->SetText("Sudoku #" + std::to_string(4 * i + s + 1)), h->SetLeft(0.5), h->SetTop(1.2);
      h->Font().Size = 18;
      for (int k = 1; k <= 10; ++k) {
        auto* l = CreateItem<TReportHLine>(*page);
        l->SetLeft(0.5), l->SetWidth(3.6), l->SetLineWidth(k % 3 == 1 ? 10 : 5);
        l->SetTop(1.59 + (k - 1) * 0.4);
        auto* v = CreateItem<TReportVLine>(*page);
        v->SetTop(1.59), v->SetHeight(3.6), v->SetLineWidth(k % 3 == 1 ? 10 : 5);
        v->SetLeft(0.5 + (k - 1) * 0.4);
      }
      for (int c = 0; c < 81; ++c) {
        auto* t = CreateItem<TReportText>(*page, "TitleText");
        t->SetLeft(0.2 + (c / 9) * 0.4), t->SetTop(1.62 + (c % 9) * 0.4), t->Font().Size = 18;
        t->SetFontJustify(pjCenter), t->SetText(c % 3 ? "" : std::to_string(c % 9 + 1));
      }
    }
    auto* f = CreateItem<TReportText>(*page, "TitleText");
    f->SetText("www.tessaly.example"), f->SetLeft(6.3), f->SetTop(9.7), f->Font().Size = 12;
  }
}

// Builds the document and executes it into a writer, returning the recording.
std::vector<uint8_t> Record() {
  TPageStreamWriter writer;
  TReportProject project;
  project.SetEngine(&writer);
  Build(project);
  project.ExecuteReport("Report1");
  project.CloseProject();
  return writer.Recording();
}

void SetPeak(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_BuildAndExecute400Pages(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) bytes = Record().size();
  state.counters["stream_MB"] = static_cast<double>(bytes) / 1e6;
  SetPeak(state);
}
BENCHMARK(BM_BuildAndExecute400Pages)->Unit(benchmark::kMillisecond);

void BM_Render400Pages(benchmark::State& state) {
  std::vector<uint8_t> recording = Record();
  for (auto _ : state) {
    TRenderPDF pdf;
    MemoryStream out;
    pdf.Render(recording.data(), recording.size(), out);
    benchmark::DoNotOptimize(out.bytes().data());
  }
  SetPeak(state);
}
BENCHMARK(BM_Render400Pages)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
