// Feeds arbitrary bytes through the page-stream reader into the PDF writer, in memory. Any
// crash, hang or output out of proportion to the input is a finding.
#include <cstdint>
#include <cstdlib>
#include <exception>

#include "report/pdf_writer.h"

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
  return 0;
}
