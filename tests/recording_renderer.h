// A renderer that records every call as a line of text, for replay tests.
#pragma once

#include <string>
#include <vector>

#include "call_log.h"
#include "report/renderer.h"

namespace quorvel::testing {

class RecordingRenderer : public report::TRenderer, public CallLog {
 public:
  void BeginDocument() override { calls.push_back("BeginDocument"); }
  void BeginPage() override { Add("BeginPage", PaperWidth, PaperHeight); }
  void EndPage() override { calls.push_back("EndPage"); }
  void EndDocument() override { calls.push_back("EndDocument"); }
  void FontChanged(const report::RenderFont& f) override {
    Add("FontChanged", f.name, f.size, f.color, f.bold, f.italic);
  }
  void PenChanged(const report::RenderPen& p) override {
    Add("PenChanged", p.color, static_cast<int>(p.style), PenWidth * 600);
  }
  void BrushChanged(const report::RenderBrush&) override { calls.push_back("BrushChanged"); }
  void PrintLeft(std::string_view t, double x, double y) override { Add("PrintLeft", t, x, y); }
  void PrintCenter(std::string_view t, double x, double y) override { Add("PrintCenter", t, x, y); }
  void PrintRight(std::string_view t, double x, double y) override { Add("PrintRight", t, x, y); }
  void PrintBlock(std::string_view t, double x, double y, double w) override {
    Add("PrintBlock", t, x, y, w);
  }
  void MoveTo(double x, double y) override { Add("MoveTo", x, y); }
  void LineTo(double x, double y) override { Add("LineTo", x, y); }
};

}  // namespace quorvel::testing
