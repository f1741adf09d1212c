// A report page: its paper, its place in the print order (GotoPage), and printing itself and
// its items without changing them.
#pragma once

#include <string>
#include <vector>

#include "report/component.h"

namespace quorvel::report {

class TReportPage : public TProjectItem {
 public:
  using TProjectItem::TProjectItem;
  const char* ClassName() const override { return "TReportPage"; }

  // Prints this page as execution does: its items clipped to the printable area when WasteFit
  // is set, and afterwards exactly as they were, so that execution never changes the document.
  void PrintUnchanged(TReportWriter& writer);

  double PageWidth() const { return page_width_; }
  double PageHeight() const { return page_height_; }
  // A size of at least 0.0001 is stored and makes the paper custom (256); smaller is ignored.
  void SetPageWidth(double v);
  void SetPageHeight(double v);
  int PaperSize() const { return paper_size_; }
  void SetPaperSize(int v) { paper_size_ = v; }
  TOrientation Orientation() const { return orientation_; }
  // A change to or from landscape swaps the page width and height.
  void SetOrientation(TOrientation v);
  int Bin() const { return bin_; }
  void SetBin(int v) { bin_ = v; }
  const std::string& BinCustom() const { return bin_custom_; }
  void SetBinCustom(std::string v) { bin_custom_ = std::move(v); }
  TGotoMode GotoMode() const { return goto_mode_; }
  void SetGotoMode(TGotoMode v) { goto_mode_ = v; }
  TReportPage* GotoPage() const { return goto_page_; }
  void SetGotoPage(TReportPage* p) { goto_page_ = p; }
  bool WasteFit() const { return waste_fit_; }
  void SetWasteFit(bool v) { waste_fit_ = v; }
  int GridLines() const { return grid_lines_; }
  void SetGridLines(int v) { grid_lines_ = v; }
  double GridSpacing() const { return grid_spacing_; }
  void SetGridSpacing(double v) { grid_spacing_ = v; }

  void Print(TReportWriter& writer) override;
  void SaveProperties(ByteWriter& out) const override;
  void LoadProperties(ByteReader& in) override;

 private:
  friend class TProjectManager;
  // Prints the items in order, each allowed everywhere unless it says otherwise.
  void PrintItems(TReportWriter& writer);
  struct Bounds {
    TReportControl* item;
    double left, top, width, height;
  };

  double page_width_ = 8.5;
  double page_height_ = 11.0;
  int paper_size_ = -1;
  TOrientation orientation_ = poDefault;
  int bin_ = -1;
  std::string bin_custom_;
  TGotoMode goto_mode_ = gmGotoDone;
  TReportPage* goto_page_ = nullptr;
  bool waste_fit_ = false;
  int grid_lines_ = 5;
  double grid_spacing_ = 0.1;
  std::string goto_name_;  // full name of the goto page while a saved project is loaded
  std::vector<Bounds> initial_bounds_;
  bool bounds_taken_ = false;
};

}  // namespace quorvel::report
