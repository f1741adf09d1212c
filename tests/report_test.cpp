#include <gtest/gtest.h>

#include <map>

#include "call_log.h"
#include "report/document.h"

namespace quorvel::report {
namespace {

// A writer that logs every call as a line of text.
class LogWriter : public TReportWriter, public testing::CallLog {
 public:
  int executes = 0;

  void Execute(const std::function<void()>& before, const std::function<void()>& print) override {
    ++executes;
    before();
    print();
  }
  void SelectFont(const TReportFont& f) override { Add("font", f.Name.str(), f.Size); }
  void SetFontRotation(int) override {}
  void SetTextLineTop(double top) override { Add("top", top); }
  void PrintLeft(std::string_view t, double x) override { Add("left", t, x); }
  void PrintCenter(std::string_view t, double x) override { Add("center", t, x); }
  void PrintRight(std::string_view t, double x) override { Add("right", t, x); }
  void PrintBlock(std::string_view t, double x, double w) override { Add("block", t, x, w); }
  void SetPen(TColor, TPenStyle style, TPenMode, int width) override {
    Add("pen", static_cast<int>(style), width);
  }
  void MoveTo(double x, double y) override { Add("move", x, y); }
  void LineTo(double x, double y) override { Add("line", x, y); }
  void NewPage() override { calls.push_back("newpage"); }
  void SetOrientation(TOrientation) override {}
  void SetPaperSize(int, double, double) override {}
  void SetCopies(int) override {}
  void SetAllowMode(TAllowMode) override {}
  double TextWidth(std::string_view t) override { return 0.1 * static_cast<double>(t.size()); }
  double MarginLeft() const override { return 0; }
  double MarginTop() const override { return 0; }
  double MarginRight() const override { return 0; }
  double MarginBottom() const override { return 0; }
  double PageWidth() const override { return 8.5; }
  double PageHeight() const override { return 11; }
  double UnitsFactor() const override { return units; }
  void SetUnitsFactor(double f) override { units = f; }
  double units = 25.4;
};

TEST(Document, NewProjectHoldsReport1WithPage1) {
  TReportProject project;
  project.NewProject();
  TProjectManager& pm = project.ProjectManager();
  ASSERT_EQ(pm.Reports().size(), 1u);
  auto* report = dynamic_cast<TReport*>(pm.FindByFullName("Report1"));
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(pm.FileName(), "Project1.rpj");
  EXPECT_EQ(report->FirstPage(), pm.FindByFullName("report1.page1"));
  EXPECT_EQ(report->FirstPage()->Name(), "Page1");
  EXPECT_EQ(pm.FindByFullName("Report1.Page2"), nullptr);
  EXPECT_EQ(pm.FindByFullName("Report9.Page1"), nullptr);

  TReportPage* p2 = report->AddPage();
  TReportPage* p3 = report->AddPage();
  EXPECT_EQ(p2->Name(), "Page2");
  EXPECT_EQ(p3->Name(), "Page3");
  EXPECT_EQ(report->FirstPage()->Name(), "Page1");
  EXPECT_EQ(p2->GotoPage(), nullptr);
  EXPECT_EQ(pm.FindByFullName("REPORT1.PAGE3"), p3);

  // A second NewProject starts over.
  project.NewProject();
  EXPECT_EQ(project.ProjectManager().FindByFullName("Report1.Page2"), nullptr);
  project.CloseProject();
  EXPECT_EQ(project.ProjectManager().FindByFullName("Report1"), nullptr);
}

TEST(Document, ItemNamesPerPage) {
  TReportProject project;
  project.NewProject();
  TReport* report = project.ProjectManager().Reports()[0];
  TReportPage* p1 = report->FirstPage();
  TReportPage* p2 = report->AddPage();
  std::vector<std::string> names;
  for (int i = 0; i < 3; ++i) names.emplace_back(CreateItem<TReportText>(*p1, "TitleText")->Name());
  for (int i = 0; i < 2; ++i) names.emplace_back(CreateItem<TReportHLine>(*p1)->Name());
  names.emplace_back(CreateItem<TReportVLine>(*p1)->Name());
  names.emplace_back(CreateItem<TReportText>(*p2, "TitleText")->Name());
  names.emplace_back(CreateItem<TReportHLine>(*p2)->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"TitleText", "Text1", "Text2", "HLine1", "HLine2",
                                             "VLine1", "TitleText", "HLine1"}));
  // A taken number is skipped, compared without case.
  CreateItem<TReportText>(*p2, "text1");
  EXPECT_EQ(CreateItem<TReportText>(*p2)->Name(), "Text2");
  // Reserved words are not applied.
  EXPECT_EQ(CreateItem<TReportText>(*p2, "end")->Name(), "");
  TReportText* t = CreateItem<TReportText>(*p2);
  t->SetName("Implementation");
  EXPECT_EQ(t->Name(), "Text3");
  EXPECT_THROW(t->SetName("HLINE1"), EComponentError);
  try {
    t->SetName("TitleText");
    FAIL() << "a taken name was accepted";
  } catch (const EComponentError& e) {
    EXPECT_STREQ(e.what(), "A component named TitleText already exists");
  }
  EXPECT_EQ(p1->ChildCount(), 6);
  EXPECT_EQ(p1->Child(3)->Name(), "HLine1");
}

TEST(Document, NamesSurviveRenamesFreesAndGrowth) {
  // Many items, renamed and freed in between, checked against a plain map of live names.
  TReportProject project;
  project.NewProject();
  TReportPage* page = project.ProjectManager().Reports()[0]->FirstPage();
  std::map<std::string, TReportText*> live;
  std::vector<TReportText*> items;
  std::vector<TReportText*> unnamed;
  for (int i = 0; i < 600; ++i) {
    TReportText* t = CreateItem<TReportText>(*page, "TitleText");
    items.push_back(t);
    live[LowerName(t->Name())] = t;
    // Now and then an item whose requested name is reserved, which stays unnamed.
    if (i % 50 == 0) unnamed.push_back(CreateItem<TReportText>(*page, "End"));
  }
  for (TReportText* t : unnamed) {
    EXPECT_EQ(t->Name(), "");
    delete t;
  }
  for (int i = 0; i < 600; i += 3) {
    live.erase(LowerName(items[i]->Name()));
    delete items[i];  // freeing removes it from its owner and parent
    items[i] = nullptr;
  }
  for (int i = 1; i < 600; i += 7) {
    if (!items[i]) continue;
    live.erase(LowerName(items[i]->Name()));
    items[i]->SetName("Renamed" + std::to_string(i));
    live[LowerName(items[i]->Name())] = items[i];
  }
  items[2]->SetName(LowerName(items[2]->Name()));  // the same name in other letter case
  for (const auto& [name, item] : live) {
    EXPECT_EQ(page->FindComponent(name), item) << name;
  }
  EXPECT_EQ(page->FindComponent("Text3"), nullptr);  // freed: items[3] was Text3
  // A component just found, then renamed or freed, is not found by its old name.
  ASSERT_EQ(page->FindComponent("text5"), items[5]);
  items[5]->SetName("Moved");
  EXPECT_EQ(page->FindComponent("Text5"), nullptr);
  EXPECT_EQ(page->FindComponent("MOVED"), items[5]);
  live.erase("text5");
  delete items[5];
  items[5] = nullptr;
  EXPECT_EQ(page->FindComponent("Moved"), nullptr);
  EXPECT_EQ(page->FindComponent("RENAMED8"), items[8]);
  // Freed and renamed numbers are free again, the lowest first: Text1 was renamed.
  EXPECT_EQ(CreateItem<TReportText>(*page)->Name(), "Text1");
  EXPECT_EQ(CreateItem<TReportText>(*page)->Name(), "Text3");
  EXPECT_EQ(page->ChildCount(), static_cast<int>(live.size()) + 2);
}

TEST(Document, ChildListsFollowMovesAndFrees) {
  TReportProject project;
  project.NewProject();
  TReport* report = project.ProjectManager().Reports()[0];
  TReportPage* p1 = report->FirstPage();
  TReportPage* p2 = report->AddPage();
  auto names = [](const TReportComponent& c) {
    std::vector<std::string> out;
    for (const TReportComponent* child : c.Children()) out.emplace_back(child->Name());
    return out;
  };
  using Names = std::vector<std::string>;
  TReportText* a = CreateItem<TReportText>(*p1);
  TReportText* b = CreateItem<TReportText>(*p1);
  CreateItem<TReportText>(*p1);
  CreateItem<TReportHLine>(*p2);
  EXPECT_EQ(names(*p1), (Names{"Text1", "Text2", "Text3"}));
  a->SetParent(p2);  // still owned by page 1
  EXPECT_EQ(names(*p1), (Names{"Text2", "Text3"}));
  EXPECT_EQ(names(*p2), (Names{"HLine1", "Text1"}));
  EXPECT_EQ(p2->Child(1), a);
  EXPECT_THROW(p2->Child(2), std::out_of_range);
  EXPECT_THROW(p2->Child(-1), std::out_of_range);
  delete b;
  EXPECT_EQ(names(*p1), (Names{"Text3"}));
  CreateItem<TReportText>(*p1);  // the free number 2 again
  EXPECT_EQ(names(*p1), (Names{"Text3", "Text2"}));
  // Freeing page 1's items takes the one printed on page 2 out of page 2's list too.
  p1->FreeComponents();
  EXPECT_EQ(p1->ChildCount(), 0);
  EXPECT_EQ(names(*p2), (Names{"HLine1"}));
  CreateItem<TReportText>(*p1);
  EXPECT_EQ(names(*p1), (Names{"Text1"}));
}

TEST(Document, ItemsThatRefuseChildren) {
  TReportProject project;
  project.NewProject();
  TReportPage* page = project.ProjectManager().Reports()[0]->FirstPage();
  TReportText* text = CreateItem<TReportText>(*page, "TitleText");
  try {
    CreateItem<TReportHLine>(*text);
    FAIL();
  } catch (const EReportClass& e) {
    EXPECT_STREQ(e.what(), "Class cannot accept children classes: \"TReportText\"");
  }
  EXPECT_EQ(text->ChildCount(), 0);
}

TEST(Document, DefaultsAndTolerance) {
  TReportProject project;
  project.NewProject();
  TReportPage* page = project.ProjectManager().Reports()[0]->FirstPage();
  EXPECT_DOUBLE_EQ(page->PageWidth(), 8.5);
  EXPECT_DOUBLE_EQ(page->PageHeight(), 11.0);
  EXPECT_EQ(page->PaperSize(), -1);
  auto* text = CreateItem<TReportText>(*page, "TitleText");
  auto* h = CreateItem<TReportHLine>(*page);
  auto* v = CreateItem<TReportVLine>(*page);
  EXPECT_EQ(text->Left(), 0);
  EXPECT_EQ(text->Top(), 0);
  EXPECT_EQ(text->Width(), 1.0);
  EXPECT_EQ(text->Font().Name, "Arial");
  EXPECT_EQ(text->Font().Size, 10);
  EXPECT_EQ(text->Font().Pitch, fpDefault);
  EXPECT_EQ(text->Font().Charset, 1);
  EXPECT_EQ(text->FontJustify(), pjLeft);
  text->Font().Size = 12;
  EXPECT_DOUBLE_EQ(text->Height(), 0.2);
  EXPECT_EQ(h->Width(), 1.0);
  EXPECT_EQ(h->Height(), 0.0);
  EXPECT_EQ(v->Width(), 0.0);
  EXPECT_EQ(v->Height(), 1.0);
  EXPECT_EQ(h->LineWidthType(), wtPixels);
  EXPECT_EQ(h->LineWidth(), 1.0);

  text->SetLeft(2.0);
  text->SetLeft(2.00005);
  EXPECT_EQ(text->Left(), 2.0);
  text->SetLeft(2.0002);
  EXPECT_EQ(text->Left(), 2.0002);

  h->SetLineStyle(psDot);
  h->SetLineWidth(1.0);
  EXPECT_EQ(h->LineStyle(), psDot);
  h->SetLineWidth(2.0);
  EXPECT_EQ(h->LineStyle(), psSolid);

  page->SetPageWidth(0.00001);
  EXPECT_EQ(page->PaperSize(), -1);
  page->SetPageWidth(8.0);
  EXPECT_EQ(page->PaperSize(), 256);
  page->SetOrientation(poLandScape);
  EXPECT_DOUBLE_EQ(page->PageWidth(), 11.0);
  EXPECT_DOUBLE_EQ(page->PageHeight(), 8.0);
}

class ExecuteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    project.SetEngine(&writer);
    project.NewProject();
    report = project.ProjectManager().Reports()[0];
  }
  TReportPage* Page(int n) {
    return static_cast<TReportPage*>(
        project.ProjectManager().FindByFullName("Report1.Page" + std::to_string(n)));
  }
  TReportProject project;
  LogWriter writer;
  TReport* report = nullptr;
};

TEST_F(ExecuteTest, ChainOrderSkipsAnUnlinkedPage) {
  for (int i = 0; i < 3; ++i) report->AddPage();
  for (int n = 1; n <= 4; ++n) {
    auto* t = CreateItem<TReportText>(*Page(n), "TitleText");
    t->SetText("page " + std::to_string(n));
  }
  Page(1)->SetGotoPage(Page(2));
  Page(2)->SetGotoPage(Page(3));
  project.ExecuteReport("report1");
  EXPECT_EQ(writer.Only("left"),
            (std::vector<std::string>{"left page 1 0", "left page 2 0", "left page 3 0"}));
  EXPECT_EQ(writer.Only("newpage").size(), 2u);
  EXPECT_EQ(writer.units, 25.4);  // restored after the run

  writer.calls.clear();
  project.ExecuteReport("NoSuchReport");
  EXPECT_TRUE(writer.calls.empty());
  EXPECT_EQ(writer.executes, 1);
}

TEST_F(ExecuteTest, MaxPagesAndGotoModes) {
  report->AddPage();
  CreateItem<TReportText>(*Page(1), "TitleText")->SetText("a");
  Page(1)->SetGotoPage(Page(1));  // a loop ends only through MaxPages
  report->SetMaxPages(3);
  project.ExecuteReport("Report1");
  EXPECT_EQ(writer.Only("left").size(), 3u);

  writer.calls.clear();
  report->SetMaxPages(0);
  Page(1)->SetGotoPage(Page(2));
  Page(1)->SetGotoMode(gmGotoNotDone);  // finished pages end the chain
  project.ExecuteReport("Report1");
  EXPECT_EQ(writer.Only("left").size(), 1u);

  writer.calls.clear();
  Page(1)->SetGotoMode(gmGotoDone);
  report->PageList() = {Page(2), Page(1)};
  CreateItem<TReportText>(*Page(2), "TitleText")->SetText("b");
  project.ExecuteReport("Report1");
  // The page list: page 2, then page 1 and its chain to page 2 again.
  EXPECT_EQ(writer.Only("left"), (std::vector<std::string>{"left b 0", "left a 0", "left b 0"}));
}

TEST_F(ExecuteTest, LinesTextsAndClipping) {
  TReportPage* page = Page(1);
  auto* h = CreateItem<TReportHLine>(*page);
  h->SetLeft(0.5), h->SetTop(2.0), h->SetWidth(7.0), h->SetLineWidth(10);
  auto* v = CreateItem<TReportVLine>(*page);
  v->SetTop(2.0), v->SetLeft(0.5), v->SetHeight(7.0), v->SetLineWidth(5);
  auto* n = CreateItem<TReportLine>(*page);
  n->SetLeft(1), n->SetTop(1), n->SetNESW(true);
  n->SetLineWidthType(wtPoints);
  n->SetLineWidth(1.5);
  auto* none = CreateItem<TReportHLine>(*page);
  none->SetLineWidth(0);
  none->SetLeft(1), none->SetTop(1);
  auto* c = CreateItem<TReportText>(*page, "TitleText");
  c->SetLeft(1.0), c->SetFontJustify(pjCenter), c->SetText("5");
  auto* wide = CreateItem<TReportText>(*page, "TitleText");
  wide->SetLeft(1.0), wide->SetText("a long heading wider than one inch");
  auto* tabs = CreateItem<TReportText>(*page, "TitleText");
  tabs->SetLeft(1.0), tabs->SetText("ab\tc");
  auto* r = CreateItem<TReportText>(*page, "TitleText");
  r->SetLeft(1.0), r->SetFontJustify(pjRight), r->SetText("r");
  auto* trunc = CreateItem<TReportText>(*page, "TitleText");
  trunc->SetLeft(1.0), trunc->SetTruncate(true), trunc->SetText("abcdefghijklmno");
  auto* edge = CreateItem<TReportHLine>(*page);
  edge->SetLeft(-0.5), edge->SetTop(3.0), edge->SetWidth(9.5);
  page->SetWasteFit(true);
  const std::vector<uint8_t> before = project.ProjectManager().Save();

  project.ExecuteReport("Report1");
  std::vector<std::string> want = {"pen 0 10",   "move 0.5 2", "line 7.5 2",   "pen 0 5",
                                   "move 0.5 2", "line 0.5 9", "pen 0 -10208", "move 1 2",
                                   "line 2 1",   "pen 5 0",    "move 1 1",     "line 2 1"};
  std::vector<std::string> got;
  for (const std::string& s : writer.calls) {
    if (s.rfind("pen", 0) == 0 || s.rfind("move", 0) == 0 || s.rfind("line", 0) == 0) {
      got.push_back(s);
    }
  }
  ASSERT_GE(got.size(), want.size() + 3);
  EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + 12), want);
  // The edge line is clipped 0.01 inch inside the page.
  EXPECT_EQ(got[got.size() - 2], "move 0.01 3");
  EXPECT_EQ(got.back(), "line 8.49 3");
  EXPECT_EQ(writer.Only("center"), std::vector<std::string>{"center 5 1.5"});
  EXPECT_EQ(writer.Only("right"), std::vector<std::string>{"right r 2"});
  std::vector<std::string> lefts = writer.Only("left");
  EXPECT_EQ(lefts[0], "left a long heading wider than one inch 1");
  EXPECT_EQ(lefts[1], "left ab 1");
  EXPECT_EQ(lefts[2], "left c 1.5");
  EXPECT_EQ(lefts[3], "left abcdefghij 1");
  // The document itself is not clipped: every item has its bounds back.
  EXPECT_EQ(edge->Left(), -0.5);
  EXPECT_EQ(edge->Width(), 9.5);
  EXPECT_EQ(project.ProjectManager().Save(), before);

  // A page printed twice prints the same both times.
  writer.calls.clear();
  project.ExecuteReport("Report1");
  std::vector<std::string> again = writer.Only("left");
  EXPECT_EQ(again, lefts);
  EXPECT_EQ(project.ProjectManager().Save(), before);
}

// A writer that fails at its first line.
class FailingWriter : public LogWriter {
 public:
  void LineTo(double, double) override { throw std::runtime_error("disk full"); }
};

TEST(Execute, AFailedRunLeavesTheDocumentAsItWas) {
  TReportProject project;
  FailingWriter writer;
  project.SetEngine(&writer);
  project.NewProject();
  auto* page = static_cast<TReportPage*>(project.ProjectManager().FindByFullName("Report1.Page1"));
  page->SetWasteFit(true);
  auto* edge = CreateItem<TReportHLine>(*page);
  edge->SetLeft(-0.5), edge->SetTop(3.0), edge->SetWidth(9.5);
  const std::vector<uint8_t> before = project.ProjectManager().Save();
  EXPECT_THROW(project.ExecuteReport("Report1"), std::runtime_error);
  EXPECT_EQ(edge->Left(), -0.5);
  EXPECT_EQ(project.ProjectManager().Save(), before);
}

TEST_F(ExecuteTest, CopyCarriesPropertiesAndLinks) {
  report->AddPage();
  TReportPage* p2 = Page(2);
  p2->SetWasteFit(true);
  p2->SetBinCustom("tray");
  Page(1)->SetGotoPage(p2);
  auto* t = CreateItem<TReportText>(*p2, "TitleText");
  t->SetText("x");
  t->Font().Size = 25;
  t->Font().Style = fsBold | fsItalic;
  t->Font().Color = 0x123456;
  t->SetRotation(90);
  t->SetTruncate(true);
  std::vector<uint8_t> saved = project.ProjectManager().Save();
  Arena arena;
  TProjectContainer container(arena);
  auto owner = std::make_unique<TProjectManager>(&container);
  TProjectManager* copy = owner.get();
  container.AddOwned(std::move(owner));
  copy->Load(saved);
  EXPECT_EQ(copy->Save(), saved);
  auto* cp2 = static_cast<TReportPage*>(copy->FindByFullName("Report1.Page2"));
  auto* cp1 = static_cast<TReportPage*>(copy->FindByFullName("Report1.Page1"));
  EXPECT_EQ(cp1->GotoPage(), cp2);
  EXPECT_EQ(copy->Reports()[0]->FirstPage(), cp1);
  auto* ct = static_cast<TReportText*>(cp2->Child(0));
  EXPECT_EQ(ct->Font(), t->Font());
  EXPECT_EQ(ct->Rotation(), 90);
}

}  // namespace
}  // namespace quorvel::report
