#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <unordered_map>

#include "report/arena.h"
#include "report/document.h"
#include "report/document_private.h"

namespace quorvel::report {

using internal::ClassBaseName;
using internal::CodeOf;
using internal::CodeOfClass;
using internal::IsReservedName;
using internal::kPage;
using internal::kReport;
using internal::MakeComponent;

namespace internal {

const char* const kReservedNames[] = {"IMPORT", "CONST",    "TYPE",
                                      "VAR",    "FUNCTION", "IMPLEMENTATION",
                                      "END",    "CREATION", "DESTRUCTION"};

bool IsReservedName(std::string_view name) {
  for (const char* r : kReservedNames) {
    if (SameName(name, r)) return true;
  }
  return false;
}

// "Text" for TReportText: without the leading T and a leading "Report".
std::string ClassBaseName(std::string_view class_name) {
  std::string_view base = class_name;
  if (!base.empty() && (base[0] == 'T' || base[0] == 't')) base.remove_prefix(1);
  if (base.size() >= 6 && SameName(base.substr(0, 6), "report")) base.remove_prefix(6);
  return std::string(base);
}

uint8_t CodeOfClass(std::string_view name) {
  if (name == TReportText::kClassName) return kText;
  if (name == TReportHLine::kClassName) return kHLine;
  if (name == TReportVLine::kClassName) return kVLine;
  if (name == TReportLine::kClassName) return kLine;
  if (name == "TReportPage") return kPage;
  if (name == "TReport") return kReport;
  throw EReportClass("Class not registered: \"" + std::string(name) + "\"");
}

std::unique_ptr<TReportComponent> MakeComponent(uint8_t code, TReportComponent* owner) {
  switch (code) {
    case kText:
      return std::make_unique<TReportText>(owner);
    case kHLine:
      return std::make_unique<TReportHLine>(owner);
    case kVLine:
      return std::make_unique<TReportVLine>(owner);
    case kLine:
      return std::make_unique<TReportLine>(owner);
    case kPage:
      return std::make_unique<TReportPage>(owner);
    case kReport:
      return std::make_unique<TReport>(owner);
  }
  throw EReportClass("Class not registered: code " + std::to_string(code));
}

}  // namespace internal

std::vector<uint8_t> TProjectManager::Save() const {
  // About 80 bytes a component: reserving once spares the copies of a growing buffer. The
  // reports' pages and their items make the estimate; deeper levels are not worth a visit.
  size_t estimate = 1;
  for (const TReportComponent* report : Components()) {
    for (const TReportComponent* page : report->Components()) {
      estimate += 1 + page->Components().size();
    }
  }
  std::vector<uint8_t> bytes;
  bytes.reserve(96 * estimate);
  ByteWriter out(bytes);
  out.String(file_name_);
  out.I32(units_);
  out.F64(units_factor_);
  out.String(active_report_ ? active_report_->Name() : std::string());
  std::function<void(const TReportComponent&)> save = [&](const TReportComponent& c) {
    out.U8(CodeOf(c));
    out.String(c.Name());
    bool parent_is_owner = c.Parent() == c.Owner();
    out.U8(parent_is_owner ? 1 : 0);
    if (!parent_is_owner) out.String(c.Parent() ? c.Parent()->FullName() : std::string());
    c.SaveProperties(out);
    out.I32(static_cast<int32_t>(c.Components().size()));
    for (const TReportComponent* owned : c.Components()) save(*owned);
  };
  out.I32(static_cast<int32_t>(Components().size()));
  for (const TReportComponent* c : Components()) save(*c);
  return bytes;
}

void TProjectManager::Load(const std::vector<uint8_t>& bytes) {
  Clear();
  Arena::Scope in_project(ArenaOf(*this));
  ByteReader in(bytes);
  file_name_ = in.String();
  units_ = in.I32();
  units_factor_ = in.F64();
  std::string active = in.String();
  std::vector<std::pair<TReportComponent*, std::string>> other_parents;
  std::function<void(TReportComponent&)> load = [&](TReportComponent& owner) {
    uint8_t code = in.U8();
    std::string_view name = in.StringView();
    bool parent_is_owner = in.U8() != 0;
    std::string parent_name = parent_is_owner ? std::string() : in.String();
    std::unique_ptr<TReportComponent> made = MakeComponent(code, &owner);
    TReportComponent* c = made.get();
    owner.AddOwned(std::move(made));
    c->SetName(name);
    if (parent_is_owner) {
      c->SetParent(&owner);
    } else if (!parent_name.empty()) {
      other_parents.emplace_back(c, parent_name);
    }
    c->LoadProperties(in);
    if (code == kReport) {
      if (&owner == this) reports_.push_back(static_cast<TReport*>(c));
    } else if (code == kPage) {
      auto* page = static_cast<TReportPage*>(c);
      if (auto* r = dynamic_cast<TReport*>(&owner)) {
        r->pages_.push_back(page);
      } else if (&owner == this) {
        global_pages_.push_back(page);
      }
    }
    int32_t n = in.I32();
    if (n < 0) throw StreamReadError("Bad component count", in.Position());
    if (n > 0) {
      c->Owned().names.Reserve(static_cast<size_t>(n));
      c->Owned().order.reserve(static_cast<size_t>(n));
    }
    for (int32_t i = 0; i < n; ++i) load(*c);
  };
  int32_t n = in.I32();
  if (n < 0) throw StreamReadError("Bad component count", in.Position());
  for (int32_t i = 0; i < n; ++i) load(*this);
  // Resolve the links by name once every object exists.
  for (auto& [c, parent_name] : other_parents) {
    if (TReportComponent* p = FindByFullName(parent_name)) c->SetParent(p);
  }
  active_report_ = active.empty() ? nullptr : dynamic_cast<TReport*>(FindComponent(active));
  for (TReport* report : reports_) {
    report->first_page_ =
        dynamic_cast<TReportPage*>(report->FindComponent(report->first_page_name_));
    report->page_list_.clear();
    for (const std::string& name : report->page_list_names_) {
      size_t dot = name.find('.');
      report->page_list_.push_back(dynamic_cast<TReportPage*>(
          report->FindComponent(dot == std::string::npos ? name : name.substr(dot + 1))));
    }
    for (TReportPage* page : report->pages_) {
      if (page->goto_name_.empty()) continue;
      size_t dot = page->goto_name_.find('.');
      std::string owner = page->goto_name_.substr(0, dot);
      TReportComponent* holder = FindComponent(owner);
      page->goto_page_ =
          holder && dot != std::string::npos
              ? dynamic_cast<TReportPage*>(holder->FindComponent(page->goto_name_.substr(dot + 1)))
              : nullptr;
    }
  }
}

}  // namespace quorvel::report
