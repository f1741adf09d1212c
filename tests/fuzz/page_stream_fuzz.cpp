// Feeds arbitrary bytes through the page-stream reader into the PDF writer, in memory. Any
// crash, hang, output out of proportion to the input, or output that is not a well-formed PDF
// is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "report/pdf_writer.h"
#include "tests/pdf_syntax.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::report::TRenderPDF pdf;
  pdf.CreationDate = [] { return std::string("20000101000000"); };
  quorvel::report::MemoryStream out;
  try {
    pdf.Render(data, size, out);
  } catch (const std::exception&) {
  }
  // The PDF grows with the recording: a few hundred bytes of output per input byte at most.
  if (out.bytes().size() > 8192 + 400 * size) std::abort();
  if (!out.bytes().empty()) {
    std::string file(out.bytes().begin(), out.bytes().end());
    std::string problem = quorvel::testing::PdfSyntaxProblem(file);
    if (!problem.empty()) {
      std::fprintf(stderr, "malformed PDF: %s\n", problem.c_str());
      std::abort();
    }
  }
  return 0;
}
