// A renderer that records every call as a line of text, for replay tests.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "report/renderer.h"

namespace quorvel::testing {

class RecordingRenderer : public report::TRenderer {
 public:
  std::vector<std::string> calls;

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
  void PrintCenter(std::string_view t, double x, double y) override {
    Add("PrintCenter", t, x, y);
  }
  void PrintRight(std::string_view t, double x, double y) override { Add("PrintRight", t, x, y); }
  void PrintBlock(std::string_view t, double x, double y, double w) override {
    Add("PrintBlock", t, x, y, w);
  }
  void MoveTo(double x, double y) override { Add("MoveTo", x, y); }
  void LineTo(double x, double y) override { Add("LineTo", x, y); }

  // The calls whose name starts with `prefix`.
  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& c : calls) {
      if (c.rfind(prefix, 0) == 0) out.push_back(c);
    }
    return out;
  }

 private:
  template <class... A>
  void Add(const char* op, const A&... args) {
    std::ostringstream s;
    s << op;
    ((s << ' ' << args), ...);
    calls.push_back(s.str());
  }
};

}  // namespace quorvel::testing
