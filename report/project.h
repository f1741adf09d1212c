// Reports, the project manager that holds them, and the project: NewProject, CloseProject and
// ExecuteReport, which prints a report's pages in their chain order through a TReportWriter.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "report/arena.h"
#include "report/component.h"
#include "report/page.h"

namespace quorvel::report {

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
  // The manager lives as long as its project, outside the component pool, so that the pool is
  // empty, and gives its memory back, whenever no project is open.
  static void* operator new(size_t size) { return ::operator new(size); }
  static void operator delete(void* p) noexcept { ::operator delete(p); }

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
  explicit TProjectContainer(Arena& arena) : TReportContainer(nullptr), arena_(arena) {}
  const char* ClassName() const override { return "TProjectContainer"; }
  Arena* ProjectArena() override { return &arena_; }

 private:
  Arena& arena_;
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
  // The document's memory: it outlives every component, and gives its blocks back when the
  // project closes.
  Arena arena_;
  TProjectContainer container_;
  TProjectManager* manager_;
  TReportWriter* engine_ = nullptr;
  std::string project_file_;
  bool open_ = false;
};

}  // namespace quorvel::report
