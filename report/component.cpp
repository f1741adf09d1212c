#include "report/component.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <unordered_map>

#include "report/arena.h"
#include "report/document_private.h"

namespace quorvel::report {

using internal::IsReservedName;

// --- TReportComponent ---------------------------------------------------------------------

namespace internal {

// Small tables come from the ordinary allocator: the few long-lived owners (the project's
// container and its manager) have small tables, and the arena can give its blocks back once
// the document's components and large tables are gone.
// Tables past the largest the arena keeps (1 MiB) come from the ordinary allocator too.
bool ArenaTable(size_t bytes) {
  return bytes >= (size_t{1} << Arena::kFirstTableShift) &&
         bytes <= (size_t{1} << Arena::kLastTableShift);
}

void* TakeTableMemory(size_t bytes) {
  if (!ArenaTable(bytes)) return ::operator new(bytes);
  return Arena::Current().Allocate(bytes);
}

void GiveTableMemory(void* p, size_t bytes) noexcept {
  if (!p) return;
  if (!ArenaTable(bytes)) {
    ::operator delete(p);
    return;
  }
  Arena::Deallocate(p, bytes);
}

}  // namespace internal

void* TReportComponent::operator new(size_t size) {
  if (size > Arena::kLargestSmall) return ::operator new(size);
  return Arena::Current().Allocate(size);
}

void TReportComponent::operator delete(void* p, size_t size) noexcept {
  if (!p) return;
  if (size > Arena::kLargestSmall) {
    ::operator delete(p);
    return;
  }
  Arena::Deallocate(p, size);
}

TReportComponent::TReportComponent(TReportComponent* owner) : owner_(owner) {}

Arena& ArenaOf(const TReportComponent& component) {
  // Pages make their items by the hundred: the answer is kept with what they own.
  if (component.owned_ && component.owned_->arena) return *component.owned_->arena;
  const TReportComponent* root = &component;
  while (root->Owner()) root = root->Owner();
  Arena* arena = const_cast<TReportComponent*>(root)->ProjectArena();
  if (!arena) return Arena::Current();
  if (component.owned_) component.owned_->arena = arena;
  return *arena;
}

TReportComponent::~TReportComponent() {
  FreeComponents();
  for (TReportComponent* child : Children()) child->parent_ = nullptr;
  if (parent_) parent_->owned_->RemoveChild(this);
  if (owner_) owner_->ReleaseOwned(this);
}

void TReportComponent::OwnedTable::SeparateChildren() {
  if (!children_are_owned) return;
  children.assign(order.begin(), order.begin() + static_cast<ptrdiff_t>(owned_children));
  children_are_owned = false;
  owned_children = 0;
}

void TReportComponent::OwnedTable::AppendChild(TReportComponent* c) {
  if (children_are_owned && owned_children < order.size() && order[owned_children] == c) {
    ++owned_children;
    return;
  }
  SeparateChildren();
  children.push_back(c);
}

void TReportComponent::OwnedTable::RemoveChild(TReportComponent* c) {
  SeparateChildren();
  children.erase(std::find(children.begin(), children.end(), c));
}

TReportComponent* TReportComponent::Child(int index) const {
  std::span<TReportComponent* const> children = Children();
  if (index < 0 || static_cast<size_t>(index) >= children.size()) {
    throw std::out_of_range("child " + std::to_string(index) + " of " +
                            std::to_string(children.size()));
  }
  return children[static_cast<size_t>(index)];
}

TReportComponent::OwnedTable& TReportComponent::Owned() {
  if (!owned_) owned_ = std::make_unique<OwnedTable>();
  return *owned_;
}

const ComponentList& TReportComponent::Components() const {
  static const ComponentList kNone;
  return owned_ ? owned_->order : kNone;
}

std::span<TReportComponent* const> TReportComponent::Children() const {
  if (!owned_) return {};
  return owned_->Children();
}

void TReportComponent::FreeComponents() {
  if (!owned_) return;
  ComponentList owned = std::move(owned_->order);
  owned_->order.clear();
  owned_->names.Clear();
  owned_->counters.clear();
  owned_->last_found = nullptr;
  // Detach first so that freeing many children never searches the lists one by one. Usually
  // the children are exactly the owned components, which needs no look at each child.
  if (owned_->children_are_owned) {
    // The children were the first owned components; any after them have other parents, and
    // leave their children lists as they are freed.
    for (size_t i = 0; i < owned_->owned_children; ++i) owned[i]->parent_ = nullptr;
    owned_->owned_children = 0;
  } else {
    ComponentList& children = owned_->children;
    children.erase(std::remove_if(children.begin(), children.end(),
                                  [this](TReportComponent* c) {
                                    if (c->owner_ != this) return false;
                                    c->parent_ = nullptr;
                                    return true;
                                  }),
                   children.end());
    if (children.empty()) {
      ComponentList().swap(children);
      owned_->children_are_owned = true;
    }
  }
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    TReportComponent* c = *it;
    c->owner_ = nullptr;
    delete c;
  }
}

void TReportComponent::AddOwned(std::unique_ptr<TReportComponent> component) {
  Owned().order.push_back(component.release());
}

int& TReportComponent::OwnedTable::CounterFor(std::string_view base) {
  // Items of one class usually come in runs: the counter used last is tried first.
  if (last_counter < counters.size() && counters[last_counter].base.view() == base) {
    return counters[last_counter].next;
  }
  for (size_t i = 0; i < counters.size(); ++i) {
    if (SameName(counters[i].base.view(), base)) {
      last_counter = i;
      return counters[i].next;
    }
  }
  last_counter = counters.size();
  counters.push_back({ShortString(base), 1});
  return counters.back().next;
}

namespace {
constexpr int kMostNumbered = 9999;

// The decimal digits of 1..kMostNumbered into `out`; returns their count.
size_t Digits(int number, char* out) {
  char reversed[8];
  size_t n = 0;
  do {
    reversed[n++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number > 0);
  for (size_t i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
  return n;
}
}  // namespace

void TReportComponent::AddOwnedWithFreeName(std::unique_ptr<TReportComponent> component,
                                            std::string_view base) {
  OwnedTable& table = Owned();
  char buffer[64];
  if (base.size() + 4 > sizeof buffer) {
    // A base this long takes the general way.
    std::string name = FreeNameFor(base);
    TReportComponent* c = component.get();
    AddOwned(std::move(component));
    c->SetName(name);
    return;
  }
  TReportComponent* c = component.release();
  table.order.push_back(c);
  const size_t position = table.order.size() - 1;
  std::memcpy(buffer, base.data(), base.size());
  NameHasher base_hash;
  base_hash.Add(base);
  // A name of letters and a number is never a reserved word: each candidate is tried with one
  // search that also registers it.
  int& next = table.CounterFor(base);
  for (int n = next; n <= kMostNumbered; ++n) {
    const size_t digits = Digits(n, buffer + base.size());
    c->name_ = std::string_view(buffer, base.size() + digits);
    NameHasher hash = base_hash;
    hash.Add(std::string_view(buffer + base.size(), digits));
    if (!table.names.Insert(position, table.order, hash.Hash32())) {
      next = n + 1;
      return;
    }
  }
  // All taken: the last candidate collides.
  c->name_.clear();
  throw EComponentError("A component named " + std::string(base) + std::to_string(kMostNumbered) +
                        " already exists");
}

void TReportComponent::ReleaseOwned(TReportComponent* component) {
  if (!owned_) return;
  if (owned_->last_found == component) owned_->last_found = nullptr;
  auto it = std::find(owned_->order.begin(), owned_->order.end(), component);
  if (it != owned_->order.end()) {
    const size_t position = static_cast<size_t>(it - owned_->order.begin());
    // A child among the first owned components has left the children already, which made
    // them a list of their own; this keeps them right even if it had not.
    if (owned_->children_are_owned && position < owned_->owned_children) {
      owned_->SeparateChildren();
    }
    owned_->names.EraseAt(position, owned_->order, /*leaving=*/true);
    owned_->order.erase(it);
  }
  owned_->counters.clear();
}

size_t TReportComponent::PositionInOwner() const {
  const ComponentList& order = owner_->Owned().order;
  if (!order.empty() && order.back() == this) return order.size() - 1;
  auto it = std::find(order.begin(), order.end(), this);
  if (it == order.end()) throw std::logic_error("a component is missing from its owner's list");
  return static_cast<size_t>(it - order.begin());
}

void TReportComponent::SetName(std::string_view name) {
  if (name == name_.view()) return;
  if (IsReservedName(name)) return;
  if (!owner_) {
    name_ = name;
    return;
  }
  OwnedTable& table = owner_->Owned();
  const size_t position = PositionInOwner();
  if (name_.empty()) {
    // A first name: one search both checks for a collision and registers it.
    name_ = name;
    if (table.names.Insert(position, table.order)) {
      name_.clear();
      throw EComponentError("A component named " + std::string(name) + " already exists");
    }
    return;
  }
  if (!name.empty()) {
    TReportComponent* other = table.names.Find(name, table.order);
    if (other && other != this) {
      throw EComponentError("A component named " + std::string(name) + " already exists");
    }
  }
  table.names.EraseAt(position, table.order, /*leaving=*/false);
  // A freed name may be lower than a counter: search from 1 again.
  table.counters.clear();
  name_ = name;
  if (!name_.empty()) table.names.Insert(position, table.order);
}

std::string TReportComponent::FullName() const {
  if (!owner_ || !owner_->owner_ || dynamic_cast<const TProjectManager*>(owner_)) {
    return name_.str();
  }
  return owner_->FullName() + "." + name_.str();
}

void TReportComponent::SetParent(TReportComponent* parent) {
  if (parent == parent_) return;
  if (parent_) {
    parent_->owned_->RemoveChild(this);
    parent_ = nullptr;
  }
  if (!parent) return;
  if (!parent->AcceptsChildren()) {
    throw EReportClass(std::string("Class cannot accept children classes: \"") +
                       parent->ClassName() + "\"");
  }
  parent->Owned().AppendChild(this);
  parent_ = parent;
}

TReportComponent* TReportComponent::FindComponent(std::string_view name) const {
  if (!owned_) return nullptr;
  // Names are unique per owner, so a component that still carries the name is the answer.
  if (owned_->last_found && SameName(owned_->last_found->Name(), name)) return owned_->last_found;
  TReportComponent* found = owned_->names.Find(name, owned_->order);
  if (found) owned_->last_found = found;
  return found;
}

std::string TReportComponent::FreeNameFor(std::string_view base) {
  int& next = Owned().CounterFor(base);
  for (int n = next; n <= kMostNumbered; ++n) {
    std::string candidate(base);
    candidate += std::to_string(n);
    if (!FindComponent(candidate)) {
      // Callers apply the name they get, so the search goes on after it next time.
      next = n + 1;
      return candidate;
    }
  }
  // All taken: the last candidate is applied and collides.
  return std::string(base) + std::to_string(kMostNumbered);
}

TReportPage* TReportComponent::Page() {
  for (TReportComponent* c = this; c; c = c->parent_) {
    if (auto* page = dynamic_cast<TReportPage*>(c)) return page;
  }
  return nullptr;
}

TReport* TReportComponent::Report() {
  for (TReportComponent* c = this; c; c = c->parent_) {
    if (auto* report = dynamic_cast<TReport*>(c)) return report;
  }
  return nullptr;
}

bool TReportComponent::Finished() const {
  return std::all_of(Children().begin(), Children().end(),
                     [](const TReportComponent* c) { return c->Finished(); });
}

void TReportComponent::Print(TReportWriter& writer) { PrintChildren(writer); }

void TReportComponent::PrintChildren(TReportWriter& writer) {
  for (TReportComponent* child : Children()) child->Print(writer);
}

void TReportComponent::SaveProperties(ByteWriter& out) const { out.U8(visible_ ? 1 : 0); }

void TReportComponent::LoadProperties(ByteReader& in) { visible_ = in.U8() != 0; }

}  // namespace quorvel::report
