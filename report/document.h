// The report document: a project holds reports, a report its pages, a page its text and line
// items. Owners free what they own; names are unique per owner, compared without case.
// Executing a report prints a copy of the project page by page through a TReportWriter.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "report/streams.h"
#include "report/types.h"
#include "report/writer.h"

namespace quorvel::report {

// A parent that accepts no children.
class EReportClass : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A name that another component of the same owner already carries.
class EComponentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TReport;
class TReportPage;
class TProjectManager;
class TReportControl;
class TReportComponent;

// Hashing and equality of names without regard to case, usable with string_view keys.
struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const noexcept;
};
struct NameEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept;
};

// Two lengths within this distance in inches count as equal.
constexpr double kLengthTolerance = 0.0001;

// The components of one owner by name, without regard to case: an open-addressing table of
// component pointers that reads the names from the components themselves.
class NameIndex {
 public:
  TReportComponent* Find(std::string_view name) const;
  // Adds `c` under its current name; returns the component already holding that name instead
  // (and adds nothing), or null.
  TReportComponent* Insert(TReportComponent* c);
  void Erase(const TReportComponent* c);
  void Clear();
  void Reserve(size_t n);

 private:
  size_t Slot(std::string_view name) const;
  void Grow(size_t capacity);

  std::vector<TReportComponent*> slots_;  // null: empty; Tombstone(): erased
  size_t live_ = 0, used_ = 0;
};

class TReportComponent {
 public:
  // Components come from per-size free lists: a book creates and frees a few hundred thousand
  // of them, twice over with the execution copy.
  static void* operator new(size_t size);
  static void operator delete(void* p, size_t size) noexcept;

  explicit TReportComponent(TReportComponent* owner);
  virtual ~TReportComponent();
  TReportComponent(const TReportComponent&) = delete;
  TReportComponent& operator=(const TReportComponent&) = delete;

  virtual const char* ClassName() const = 0;
  virtual bool AcceptsChildren() const { return false; }
  // This component as a positioned item, or null; cheaper than a cast on the printing path.
  virtual TReportControl* AsControl() { return nullptr; }
  const TReportControl* AsControl() const {
    return const_cast<TReportComponent*>(this)->AsControl();
  }
  // True for pages, reports and the project manager: CreateItem on them owns the item.
  virtual bool IsProjectItem() const { return false; }

  const std::string& Name() const { return name_; }
  // Applies a name, checking that no other component of the owner carries it.
  void SetName(std::string_view name);
  std::string FullName() const;
  TReportComponent* Owner() const { return owner_; }
  TReportComponent* Parent() const { return parent_; }

  // Removes the object from its old parent's child list and appends it to the new one's.
  // A parent that accepts no children throws EReportClass and the object stays detached.
  void SetParent(TReportComponent* parent);
  int ChildCount() const { return static_cast<int>(Children().size()); }
  TReportComponent* Child(int index) const { return Children().at(index); }
  const std::vector<TReportComponent*>& Children() const;

  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }

  // Components owned by this one, in creation order, and lookup by name (case ignored).
  const std::vector<TReportComponent*>& Components() const;
  TReportComponent* FindComponent(std::string_view name) const;
  // base + 1, 2, ... up to 9999: the first name no owned component carries.
  std::string FreeNameFor(const std::string& base);
  // Frees every owned component.
  void FreeComponents();

  TReportPage* Page();
  TReport* Report();

  virtual bool Finished() const;
  virtual void Print(TReportWriter& writer);

  // Persistent form: the properties of this class (children and owned components are written
  // by the project's save).
  virtual void SaveProperties(ByteWriter& out) const;
  virtual void LoadProperties(ByteReader& in);

  // Takes ownership of a component constructed with this one as its owner.
  void AddOwned(std::unique_ptr<TReportComponent> component);

 protected:
  void PrintChildren(TReportWriter& writer);

 private:
  friend class TProjectManager;
  friend class TReportPage;
  void ReleaseOwned(TReportComponent* component);

  std::string name_;
  TReportComponent* owner_ = nullptr;
  TReportComponent* parent_ = nullptr;
  bool visible_ = true;
  // What a component owns and the children it holds; made on first use, since most items
  // have neither.
  struct OwnedTable {
    std::vector<TReportComponent*> order;     // owning: freed by FreeComponents
    std::vector<TReportComponent*> children;  // printing order
    NameIndex names;
    std::unordered_map<std::string, int, NameHash, NameEqual> counters;  // base -> next number
  };
  OwnedTable& Owned();
  std::unique_ptr<OwnedTable> owned_;
};

class TReportContainer : public TReportComponent {
 public:
  using TReportComponent::TReportComponent;
  bool AcceptsChildren() const override { return true; }
};

class TProjectItem : public TReportContainer {
 public:
  using TReportContainer::TReportContainer;
  bool IsProjectItem() const override { return true; }
};

class TReportControl : public TReportComponent {
 public:
  using TReportComponent::TReportComponent;
  TReportControl* AsControl() override { return this; }

  double Left() const { return left_; }
  double Top() const { return top_; }
  virtual double Width() const { return width_; }
  virtual double Height() const { return height_; }
  void SetLeft(double v);
  void SetTop(double v);
  void SetWidth(double v);
  virtual void SetHeight(double v);

  TDisplayOn DisplayOn() const { return display_on_; }
  void SetDisplayOn(TDisplayOn v) { display_on_ = v; }
  int Anchor() const { return anchor_; }
  void SetAnchor(int v) { anchor_ = v; }
  int Mirror() const { return mirror_; }
  void SetMirror(int v) { mirror_ = v; }

  double AbsoluteLeft() const;
  double AbsoluteTop() const;
  double AbsoluteRight() const { return AbsoluteLeft() + Width(); }
  double AbsoluteBottom() const { return AbsoluteTop() + Height(); }

  void Print(TReportWriter& writer) override;
  virtual void PrintSelf(TReportWriter& /*writer*/) {}

  void SaveProperties(ByteWriter& out) const override;
  void LoadProperties(ByteReader& in) override;

 protected:
  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TDisplayOn display_on_ = doParent;
  int anchor_ = 0;
  int mirror_ = 0;
};

class TReportCustomText : public TReportControl {
 public:
  using TReportControl::TReportControl;

  const std::string& Text() const { return text_; }
  void SetText(std::string text) { text_ = std::move(text); }
  TReportFont& Font() { return font_; }
  const TReportFont& Font() const { return font_; }
  TPrintJustify FontJustify() const { return justify_; }
  void SetFontJustify(TPrintJustify v) { justify_ = v; }
  TColor Color() const { return font_.Color; }
  void SetColor(TColor c) { font_.Color = c; }

  void SaveProperties(ByteWriter& out) const override;
  void LoadProperties(ByteReader& in) override;

 protected:
  std::string text_;
  TReportFont font_;
  TPrintJustify justify_ = pjLeft;
};

class TReportText : public TReportCustomText {
 public:
  explicit TReportText(TReportComponent* owner);
  static constexpr const char* kClassName = "TReportText";
  const char* ClassName() const override { return kClassName; }

  // Not stored: the font size / 60 inch.
  double Height() const override;
  void SetHeight(double /*v*/) override {}
  bool Truncate() const { return truncate_; }
  void SetTruncate(bool v) { truncate_ = v; }
  int Rotation() const { return rotation_; }
  void SetRotation(int v) { rotation_ = v; }

  void PrintSelf(TReportWriter& writer) override;
  void SaveProperties(ByteWriter& out) const override;
  void LoadProperties(ByteReader& in) override;

 private:
  bool truncate_ = false;
  int rotation_ = 0;
};

class TReportGraphic : public TReportControl {
 public:
  using TReportControl::TReportControl;

  TColor PenColor() const { return pen_color_; }
  void SetPenColor(TColor c) { pen_color_ = c; }
  TPenStyle LineStyle() const { return line_style_; }
  void SetLineStyle(TPenStyle s) { line_style_ = s; }
  TPenMode PenMode() const { return pen_mode_; }
  double LineWidth() const { return line_width_; }
  // A width above 1 or a type other than pixels makes a non-solid line solid.
  void SetLineWidth(double w);
  TLineWidthType LineWidthType() const { return line_width_type_; }
  void SetLineWidthType(TLineWidthType t);

  void SaveProperties(ByteWriter& out) const override;
  void LoadProperties(ByteReader& in) override;

 protected:
  // Sends the pen for this item's line width, or a cleared pen for width 0.
  void SelectPen(TReportWriter& writer) const;

 private:
  void SolidifyIfWide();

  TColor pen_color_ = 0;
  TPenStyle line_style_ = psSolid;
  TPenMode pen_mode_ = pmCopy;
  double line_width_ = 1.0;
  TLineWidthType line_width_type_ = wtPixels;
};

class TReportLine : public TReportGraphic {
 public:
  explicit TReportLine(TReportComponent* owner);
  static constexpr const char* kClassName = "TReportLine";
  const char* ClassName() const override { return kClassName; }
  bool NESW() const { return nesw_; }
  void SetNESW(bool v) { nesw_ = v; }

  void PrintSelf(TReportWriter& writer) override;
  void SaveProperties(ByteWriter& out) const override;
  void LoadProperties(ByteReader& in) override;

 private:
  bool nesw_ = false;
};

class TReportHLine : public TReportLine {
 public:
  explicit TReportHLine(TReportComponent* owner);
  static constexpr const char* kClassName = "TReportHLine";
  const char* ClassName() const override { return kClassName; }
};

class TReportVLine : public TReportLine {
 public:
  explicit TReportVLine(TReportComponent* owner);
  static constexpr const char* kClassName = "TReportVLine";
  const char* ClassName() const override { return kClassName; }
};

class TReportPage : public TProjectItem {
 public:
  using TProjectItem::TProjectItem;
  const char* ClassName() const override { return "TReportPage"; }

  // Prints a copy of this page and its items, made now and freed after: execution never
  // changes the document.
  void PrintCopy(TReportWriter& writer) const;

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
  std::string goto_name_;  // full name of the goto page while a copy is loaded
  std::vector<Bounds> initial_bounds_;
  bool bounds_taken_ = false;
};

class TReport : public TProjectItem {
 public:
  using TProjectItem::TProjectItem;
  const char* ClassName() const override { return "TReport"; }

  // Creates a page named Page<n> with the next free number, owned by and parented to this
  // report, and adds it to the loaded pages. FirstPage and page links stay as they are.
  TReportPage* AddPage();

  TReportPage* FirstPage() const { return first_page_; }
  void SetFirstPage(TReportPage* p) { first_page_ = p; }
  std::vector<TReportPage*>& PageList() { return page_list_; }
  const std::vector<TReportPage*>& Pages() const { return pages_; }
  int MaxPages() const { return max_pages_; }
  void SetMaxPages(int v) { max_pages_ = v; }
  int Copies() const { return copies_; }
  void SetCopies(int v) { copies_ = v; }
  bool Collate() const { return collate_; }
  void SetCollate(bool v) { collate_ = v; }
  int Duplex() const { return duplex_; }
  void SetDuplex(int v) { duplex_ = v; }
  int Resolution() const { return resolution_; }
  void SetResolution(int v) { resolution_ = v; }
  const std::string& Printer() const { return printer_; }
  void SetPrinter(std::string v) { printer_ = std::move(v); }
  bool AlwaysGenerate() const { return always_generate_; }
  void SetAlwaysGenerate(bool v) { always_generate_ = v; }

  // Prints the pages through the writer: the page set-up of the first page, then the page loop.
  void SendPageSetup(TReportWriter& writer);
  void PrintPages(TReportWriter& writer);

  void SaveProperties(ByteWriter& out) const override;
  void LoadProperties(ByteReader& in) override;

 private:
  friend class TProjectManager;
  TReportPage* first_page_ = nullptr;
  std::vector<TReportPage*> page_list_;
  std::vector<TReportPage*> pages_;
  int max_pages_ = 0;
  int copies_ = 0;
  bool collate_ = false;
  int duplex_ = 0;
  int resolution_ = 0;
  std::string printer_;
  bool always_generate_ = false;
  std::string first_page_name_;
  std::vector<std::string> page_list_names_;
};

class TProjectManager : public TProjectItem {
 public:
  explicit TProjectManager(TReportComponent* owner) : TProjectItem(owner) {}
  const char* ClassName() const override { return "TProjectManager"; }

  const std::vector<TReport*>& Reports() const { return reports_; }
  TReport* ActiveReport() const { return active_report_; }
  void SetActiveReport(TReport* r) { active_report_ = r; }
  const std::string& FileName() const { return file_name_; }
  bool Saved() const { return saved_; }
  bool Changed() const { return changed_; }
  void SetChanged(bool v) { changed_ = v; }
  int Units() const { return units_; }
  double UnitsFactor() const { return units_factor_; }

  // Frees every report, global page and data object.
  void Clear();
  // The fresh project: one report named Report<n> with one page, its first page.
  void MakeNew();
  TReport* AddReport();
  // "Report1" or "Report1.Page3"; none (nullptr) when the owner or the object is missing.
  TReportComponent* FindByFullName(std::string_view full_name) const;

  // The persistent form of the whole project, and reading it back into an empty manager.
  std::vector<uint8_t> Save() const;
  void Load(const std::vector<uint8_t>& bytes);

 private:
  std::vector<TReport*> reports_;
  std::vector<TReportPage*> global_pages_;
  TReport* active_report_ = nullptr;
  std::string file_name_;
  bool saved_ = false;
  bool changed_ = false;
  int units_ = 0;
  double units_factor_ = 1.0;
};

// The internal container that owns a project's manager.
class TProjectContainer : public TReportContainer {
 public:
  TProjectContainer() : TReportContainer(nullptr) {}
  const char* ClassName() const override { return "TProjectContainer"; }
};

class TReportProject {
 public:
  TReportProject();
  ~TReportProject();

  TProjectManager& ProjectManager() { return *manager_; }
  TReportWriter* Engine() const { return engine_; }
  void SetEngine(TReportWriter* engine) { engine_ = engine; }
  const std::string& ProjectFile() const { return project_file_; }
  // A name without "." gets ".rpj".
  void SetProjectFile(std::string name);
  bool IsOpen() const { return open_; }

  void NewProject();
  // Opens a project that is not open; this program opens projects only through NewProject.
  void OpenProject();
  void CloseProject();
  bool SelectReport(std::string_view name);
  // Executes the named report on Engine(); an unknown name does nothing.
  void ExecuteReport(std::string_view name);

 private:
  TProjectContainer container_;
  TProjectManager* manager_;
  TReportWriter* engine_ = nullptr;
  std::string project_file_;
  bool open_ = false;
};

// Creates an item of class T on `on` with an optional requested name; the item is owned by
// `on` when it is a page, report or project manager, else by its owner, and is a child of `on`.
TReportControl* CreateItem(TReportComponent& on, std::string_view class_name,
                           std::string_view requested_name = {}, double left = 0, double top = 0,
                           double width = 0, double height = 0);

template <class T>
T* CreateItem(TReportComponent& on, std::string_view requested_name = {}) {
  return static_cast<T*>(CreateItem(on, T::kClassName, requested_name));
}

// Lower-case copy for name comparisons, and a comparison that ignores case.
std::string LowerName(std::string_view s);
bool SameName(std::string_view a, std::string_view b);

}  // namespace quorvel::report
