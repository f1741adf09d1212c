// The PDF writer's page, shared by the code that fills pages and the code that writes the file.
#pragma once

#include <string>
#include <string_view>

#include "report/pdf_writer.h"

namespace quorvel::report {

// One page: its size, content and graphics-state memory.
struct TRenderPDF::Page {
  double width = 8.5, height = 11.0;
  // The content while the page is made; then `stored`, kept with the others until the file is
  // written, and the string goes on to the next page.
  std::string content;
  std::string_view stored;
  TColor text_color = 0, stroke_color = 0, fill_color = 0x00FFFFFF;
  bool text_written = false, stroke_written = false, fill_written = false;
  bool dash_written = false, width_written = false;
  TColor text_value = 0, stroke_value = 0, fill_value = 0;
  TPenStyle dash_value = psSolid;
  double width_value = 0;
};

}  // namespace quorvel::report
