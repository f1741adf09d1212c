#include "report/project.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <unordered_map>

#include "report/document_private.h"

namespace quorvel::report {

// --- Reports ------------------------------------------------------------------------------

TReportPage* TReport::AddPage() {
  Arena::Scope in_project(ArenaOf(*this));
  auto page = std::make_unique<TReportPage>(this);
  TReportPage* raw = page.get();
  std::string name = FreeNameFor("Page");
  AddOwned(std::move(page));
  raw->SetName(name);
  raw->SetParent(this);
  pages_.push_back(raw);
  if (auto* manager = dynamic_cast<TProjectManager*>(Owner())) manager->SetChanged(true);
  return raw;
}

void TReport::SendPageSetup(TReportWriter& writer) {
  TReportPage* page = first_page_;
  if (!page_list_.empty()) page = page_list_.front();
  if (copies_ > 0) writer.SetCopies(copies_);
  if (!page) return;
  if (page->PaperSize() == 256) {
    writer.SetPaperSize(256, page->PageWidth(), page->PageHeight());
  } else if (page->PaperSize() != -1) {
    writer.SetPaperSize(page->PaperSize(), 0, 0);
  }
  if (page->Orientation() != poDefault) writer.SetOrientation(page->Orientation());
}

void TReport::PrintPages(TReportWriter& writer) {
  TReportPage* current = page_list_.empty() ? first_page_ : nullptr;
  size_t list_index = 0;
  std::vector<TReportPage*> stack;
  int printed = 0;
  for (;;) {
    if (!current) {
      if (!stack.empty()) {
        current = stack.back();
        stack.pop_back();
      } else if (list_index < page_list_.size()) {
        current = page_list_[list_index++];
      } else {
        return;
      }
      if (!current) return;
    }
    if (printed > 0) {
      if (current->Orientation() != poDefault) writer.SetOrientation(current->Orientation());
      writer.NewPage();
    }
    current->PrintUnchanged(writer);
    ++printed;
    bool finished = current->Finished();
    TReportPage* next = nullptr;
    switch (current->GotoMode()) {
      case gmGotoDone:
        next = finished ? current->GotoPage() : current;
        break;
      case gmGotoNotDone:
        next = finished ? nullptr : current->GotoPage();
        break;
      case gmCallEach:
        if (current->GotoPage()) {
          if (!finished) stack.push_back(current);
          next = current->GotoPage();
        } else {
          next = finished ? nullptr : current;
        }
        break;
    }
    if (max_pages_ >= 1 && printed >= max_pages_) return;
    current = next;
  }
}

void TReport::SaveProperties(ByteWriter& out) const {
  TProjectItem::SaveProperties(out);
  out.String(first_page_ ? first_page_->Name() : std::string());
  out.I32(static_cast<int32_t>(page_list_.size()));
  for (const TReportPage* p : page_list_) out.String(p ? p->FullName() : std::string());
  out.I32(max_pages_);
  out.I32(copies_);
  out.U8(collate_ ? 1 : 0);
  out.I32(duplex_);
  out.I32(resolution_);
  out.String(printer_);
  out.U8(always_generate_ ? 1 : 0);
}

void TReport::LoadProperties(ByteReader& in) {
  TProjectItem::LoadProperties(in);
  first_page_name_ = in.String();
  int32_t n = in.I32();
  if (n < 0) throw StreamReadError("Bad page list length", in.Position());
  page_list_names_.clear();
  for (int32_t i = 0; i < n; ++i) page_list_names_.push_back(in.String());
  max_pages_ = in.I32();
  copies_ = in.I32();
  collate_ = in.U8() != 0;
  duplex_ = in.I32();
  resolution_ = in.I32();
  printer_ = in.String();
  always_generate_ = in.U8() != 0;
}

// --- Project manager ----------------------------------------------------------------------

void TProjectManager::Clear() {
  active_report_ = nullptr;
  reports_.clear();
  global_pages_.clear();
  FreeComponents();
}

TReport* TProjectManager::AddReport() {
  Arena::Scope in_project(ArenaOf(*this));
  auto report = std::make_unique<TReport>(this);
  TReport* raw = report.get();
  std::string name = FreeNameFor("Report");
  AddOwned(std::move(report));
  raw->SetName(name);
  raw->SetParent(this);
  reports_.push_back(raw);
  return raw;
}

void TProjectManager::MakeNew() {
  file_name_ = "Project1.rpj";
  TReport* report = AddReport();
  active_report_ = report;
  report->SetFirstPage(report->AddPage());
  changed_ = false;
  saved_ = false;
}

TReportComponent* TProjectManager::FindByFullName(std::string_view full_name) const {
  size_t dot = full_name.find('.');
  if (dot == std::string_view::npos) return FindComponent(full_name);
  std::string_view owner_name = full_name.substr(0, dot);
  std::string_view rest = full_name.substr(dot + 1);
  const TReportComponent* owner = nullptr;
  if (active_report_) {
    // Names are unique among a report's components, so its page of that name is the match.
    owner = dynamic_cast<const TReportPage*>(active_report_->FindComponent(owner_name));
  }
  if (!owner) {
    for (const TReportComponent* child : Children()) {
      if (SameName(child->Name(), owner_name)) {
        owner = child;
        break;
      }
    }
  }
  if (!owner) return nullptr;
  if (TReportComponent* found = owner->FindComponent(rest)) return found;
  return FindComponent(rest);
}

// --- Project ------------------------------------------------------------------------------

TReportProject::TReportProject() : container_(arena_) {
  auto manager = std::make_unique<TProjectManager>(&container_);
  manager_ = manager.get();
  container_.AddOwned(std::move(manager));
  manager_->SetParent(&container_);
}

TReportProject::~TReportProject() { CloseProject(); }

void TReportProject::SetProjectFile(std::string name) {
  if (!name.empty() && name.find('.') == std::string::npos) name += ".rpj";
  project_file_ = std::move(name);
}

void TReportProject::NewProject() {
  if (open_) manager_->Clear();
  manager_->MakeNew();
  open_ = true;
}

void TReportProject::OpenProject() {
  if (open_) return;
  // Projects are only ever made with NewProject here; there is no stored copy to load.
  throw FileError("The following reporting project does not exist:\n\"" + project_file_ + "\"");
}

void TReportProject::CloseProject() {
  if (!open_) return;
  manager_->Clear();
  open_ = false;
}

bool TReportProject::SelectReport(std::string_view name) {
  OpenProject();
  for (TReport* report : manager_->Reports()) {
    if (SameName(report->Name(), name)) {
      manager_->SetActiveReport(report);
      return true;
    }
  }
  return false;
}

void TReportProject::ExecuteReport(std::string_view name) {
  if (!SelectReport(name)) return;
  if (!engine_) throw std::logic_error("The report project has no engine");
  // Clipping never changes the document: each page gives its items back their bounds after
  // printing them.
  TReport* report = manager_->ActiveReport();
  if (!report) return;
  double saved_units = engine_->UnitsFactor();
  engine_->SetUnitsFactor(1.0);
  try {
    engine_->Execute([&] { report->SendPageSetup(*engine_); },
                     [&] { report->PrintPages(*engine_); });
  } catch (...) {
    engine_->SetUnitsFactor(saved_units);
    throw;
  }
  engine_->SetUnitsFactor(saved_units);
}

}  // namespace quorvel::report
