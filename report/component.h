// Report components: ownership (an owner frees what it owns), unique names per owner, the
// child lists that printing follows, and the persistent form of their properties. Component
// memory comes from a pool private to component.cpp.
#pragma once

#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "report/name_index.h"
#include "report/short_string.h"
#include "report/streams.h"
#include "report/table_allocator.h"
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
class Arena;

// The arena the components and tables of `component`'s project come from (the current one when
// it belongs to no project); make new components of it inside an Arena::Scope of it.
Arena& ArenaOf(const TReportComponent& component);

// Two lengths within this distance in inches count as equal.
constexpr double kLengthTolerance = 0.0001;

class TReportComponent {
 public:
  // Components come from their project's arena (see ArenaOf): a book creates and frees a few
  // hundred thousand of them.
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
  // The arena of the project whose root this is; null for every other component.
  virtual Arena* ProjectArena() { return nullptr; }

  std::string_view Name() const { return name_.view(); }
  // Applies a name, checking that no other component of the owner carries it.
  void SetName(std::string_view name);
  std::string FullName() const;
  TReportComponent* Owner() const { return owner_; }
  TReportComponent* Parent() const { return parent_; }

  // Removes the object from its old parent's child list and appends it to the new one's.
  // A parent that accepts no children throws EReportClass and the object stays detached.
  void SetParent(TReportComponent* parent);
  int ChildCount() const { return static_cast<int>(Children().size()); }
  // Throws std::out_of_range for an index outside 0..ChildCount() - 1.
  TReportComponent* Child(int index) const;
  std::span<TReportComponent* const> Children() const;

  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }

  // Components owned by this one, in creation order, and lookup by name (case ignored).
  const ComponentList& Components() const;
  TReportComponent* FindComponent(std::string_view name) const;
  // base + 1, 2, ... up to 9999: the first name no owned component carries.
  std::string FreeNameFor(std::string_view base);
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
  // The same, naming it base + the first free number, as FreeNameFor and SetName would.
  void AddOwnedWithFreeName(std::unique_ptr<TReportComponent> component, std::string_view base);

 protected:
  void PrintChildren(TReportWriter& writer);

 private:
  friend class TProjectManager;
  friend class TReportPage;
  friend Arena& ArenaOf(const TReportComponent& component);
  void ReleaseOwned(TReportComponent* component);
  // Where this component stands in its owner's list.
  size_t PositionInOwner() const;

  ShortString name_;
  TReportComponent* owner_ = nullptr;
  TReportComponent* parent_ = nullptr;
  // What a component owns and the children it holds; made on first use, since most items
  // have neither.
  struct OwnedTable {
    ComponentList order;  // owning: freed by FreeComponents
    // The children in printing order. Nearly always they are the first of the owned
    // components, in the same order (a page's items): then only their count is kept, and a
    // list of their own is made when they part ways.
    size_t owned_children = 0;
    bool children_are_owned = true;
    ComponentList children;  // when !children_are_owned
    std::span<TReportComponent* const> Children() const {
      if (children_are_owned) return {order.data(), owned_children};
      return {children.data(), children.size()};
    }
    void AppendChild(TReportComponent* c);
    void RemoveChild(TReportComponent* c);
    void SeparateChildren();
    NameIndex names;
    // Per name base ("Text", "Page"), the number to try first for the next free name.
    struct Counter {
      ShortString base;
      int next;
    };
    std::vector<Counter> counters;
    size_t last_counter = 0;
    // The component the last search by name found: pages ask for the same taken name ("the
    // title's name, or the next free one") for each of their items. Forgotten when it leaves.
    TReportComponent* last_found = nullptr;
    // The project's arena, found once for the components this one makes.
    Arena* arena = nullptr;
    int& CounterFor(std::string_view base);
  };
  OwnedTable& Owned();
  std::unique_ptr<OwnedTable> owned_;
  // Last, so that a derived class's small members can use the padding after it: a book holds
  // some 160,000 components.
  bool visible_ = true;
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

}  // namespace quorvel::report
