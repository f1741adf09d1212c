// Inputs kept from fuzzing the page-stream reader and PDF writer: each must replay without a
// crash, and the PDF made from it is well formed and stays in proportion to the input.
#include <gtest/gtest.h>

#include <filesystem>

#include "report/pdf_writer.h"
#include "tests/pdf_syntax.h"

namespace quorvel::report {
namespace {

TEST(FuzzRegressions, ReplayWithoutCrashing) {
  int cases = 0;
  for (const auto& entry : std::filesystem::directory_iterator(QUORVEL_FUZZ_CASES)) {
    std::vector<uint8_t> data = ReadWholeFile(entry.path().string());
    TRenderPDF pdf;
    pdf.CreationDate = [] { return std::string("20000101000000"); };
    MemoryStream out;
    try {
      pdf.Render(data.data(), data.size(), out);
    } catch (const std::exception&) {
    }
    EXPECT_LE(out.bytes().size(), 8192 + 400 * data.size()) << entry.path();
    if (!out.bytes().empty()) {
      std::string file(out.bytes().begin(), out.bytes().end());
      EXPECT_EQ(testing::PdfSyntaxProblem(file), "") << entry.path();
    }
    ++cases;
  }
  EXPECT_GT(cases, 0);
}

}  // namespace
}  // namespace quorvel::report
