#include "app/book_part.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStyle>

#include "pages/book.h"
#include "puzzle/variant.h"

namespace quorvel::app {
namespace {

// The layouts of a section as the table offers them, and what each means.
struct LayoutChoice {
  const char* caption;
  int per_page;
  bool candidates;
};
constexpr LayoutChoice kLayouts[] = {
    {"1", 1, false}, {"1 + candidates", 1, true}, {"2", 2, false}, {"4", 4, false}};

// The kinds a section can be, in the order the table lists them, with their captions.
struct KindChoice {
  puzzle::PuzzleKind kind;
  const char* caption;
};
constexpr KindChoice kKinds[] = {
    {puzzle::PuzzleKind::kStandard, "Standard"}, {puzzle::PuzzleKind::kSamurai, "Samurai"},
    {puzzle::PuzzleKind::kX, "X-Sudoku"},        {puzzle::PuzzleKind::kJigsaw, "Jigsaw"},
    {puzzle::PuzzleKind::kSix, "6x6"},           {puzzle::PuzzleKind::kFour, "4x4"}};

int LayoutIndex(const pages::Section& s) {
  for (int i = 0; i < 4; ++i) {
    if (kLayouts[i].per_page == s.per_page && kLayouts[i].candidates == s.candidates) return i;
  }
  return 0;
}

}  // namespace

BookPart::BookPart(QWidget* parent) : QGroupBox(QStringLiteral("Book"), parent) {
  setObjectName(QStringLiteral("bookpart"));
  auto line_edit = [this](const char* name, const char* placeholder) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setPlaceholderText(QString::fromLatin1(placeholder));
    connect(edit, &QLineEdit::textChanged, this, [this](const QString&) { emit changed(); });
    return edit;
  };
  ed_subtitle = line_edit("ed_subtitle", "none");
  ed_publisher = line_edit("ed_publisher", "none");
  ed_copyright = line_edit("ed_copyright", "the author");
  ed_isbn = line_edit("ed_isbn", "none");
  ed_edition = line_edit("ed_edition", "none");
  auto check = [this](const char* name, const char* caption) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), this);
    box->setObjectName(QString::fromLatin1(name));
    connect(box, &QCheckBox::toggled, this, [this](bool) { emit changed(); });
    return box;
  };
  cbk_front_title = check("cbk_front_title", "Title page");
  cbk_front_copyright = check("cbk_front_copyright", "Copyright page");
  cbk_front_rules = check("cbk_front_rules", "How to play");
  cbk_front_contents = check("cbk_front_contents", "Contents");
  cbk_section_pages = check("cbk_section_pages", "Section pages");

  tbl_sections = new QTableWidget(0, 5, this);
  tbl_sections->setObjectName(QStringLiteral("tbl_sections"));
  tbl_sections->setHorizontalHeaderLabels({QStringLiteral("Kind"), QStringLiteral("Level"),
                                           QStringLiteral("Puzzles"), QStringLiteral("A page"),
                                           QStringLiteral("Name")});
  tbl_sections->horizontalHeader()->setStretchLastSection(true);
  tbl_sections->verticalHeader()->hide();
  tbl_sections->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  tbl_sections->verticalHeader()->setDefaultSectionSize(tbl_sections->fontMetrics().height() + 14);
  tbl_sections->setSelectionBehavior(QAbstractItemView::SelectRows);
  tbl_sections->setSelectionMode(QAbstractItemView::SingleSelection);
  tbl_sections->setMinimumHeight(5 * (tbl_sections->fontMetrics().height() + 14));
  tbl_sections->setToolTip(QStringLiteral(
      "The book's sections in order; without any, the options on the left make one section."));
  connect(tbl_sections, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (item->column() != 4 || item->row() >= static_cast<int>(sections_.size())) return;
    sections_[static_cast<size_t>(item->row())].name = item->text().trimmed().toStdString();
    emit changed();
  });
  auto button = [this](const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption), this);
    b->setObjectName(QString::fromLatin1(name));
    return b;
  };
  btn_add_section = button("btn_add_section", "&Add");
  btn_remove_section = button("btn_remove_section", "&Remove");
  btn_section_up = button("btn_section_up", "&Up");
  btn_section_down = button("btn_section_down", "Do&wn");
  btn_open_plan = button("btn_open_plan", "&Open plan...");
  btn_save_plan = button("btn_save_plan", "&Save plan...");
  connect(btn_add_section, &QPushButton::clicked, this, [this] { emit addRequested(); });
  connect(btn_remove_section, &QPushButton::clicked, this, [this] {
    const int row = ChosenRow();
    if (row < 0) return;
    sections_.erase(sections_.begin() + row);
    ShowSections();
    tbl_sections->selectRow(std::min(row, static_cast<int>(sections_.size()) - 1));
    emit changed();
  });
  connect(btn_section_up, &QPushButton::clicked, this, [this] { Move(-1); });
  connect(btn_section_down, &QPushButton::clicked, this, [this] { Move(1); });
  connect(btn_open_plan, &QPushButton::clicked, this, [this] { emit openPlanRequested(); });
  connect(btn_save_plan, &QPushButton::clicked, this, [this] { emit savePlanRequested(); });

  auto* layout = new QGridLayout(this);
  int row = 0;
  for (auto [caption, edit] : {std::pair{"Su&btitle:", ed_subtitle},
                               {"Pub&lisher:", ed_publisher},
                               {"&Copyright:", ed_copyright},
                               {"&ISBN:", ed_isbn},
                               {"&Edition:", ed_edition}}) {
    auto* label = new QLabel(QString::fromLatin1(caption), this);
    label->setBuddy(edit);
    layout->addWidget(label, row, 0);
    layout->addWidget(edit, row++, 1, 1, 3);
  }
  layout->addWidget(cbk_front_title, row, 0, 1, 2);
  layout->addWidget(cbk_front_copyright, row++, 2, 1, 2);
  layout->addWidget(cbk_front_rules, row, 0, 1, 2);
  layout->addWidget(cbk_front_contents, row++, 2, 1, 2);
  layout->addWidget(cbk_section_pages, row++, 0, 1, 2);
  auto* sections_label = new QLabel(QStringLiteral("Sections:"), this);
  sections_label->setBuddy(tbl_sections);
  layout->addWidget(sections_label, row++, 0, 1, 4);
  layout->addWidget(tbl_sections, row++, 0, 1, 4);
  layout->addWidget(btn_add_section, row, 0);
  layout->addWidget(btn_remove_section, row, 1);
  layout->addWidget(btn_section_up, row, 2);
  layout->addWidget(btn_section_down, row++, 3);
  layout->addWidget(btn_open_plan, row, 0, 1, 2);
  layout->addWidget(btn_save_plan, row++, 2, 1, 2);
  layout->setColumnStretch(1, 1);
  layout->setColumnStretch(3, 1);
  ShowSections();
}

void BookPart::Fill(pages::BookOptions& o) const {
  o.sections = sections_;
  o.front.title = cbk_front_title->isChecked();
  o.front.copyright = cbk_front_copyright->isChecked();
  o.front.rules = cbk_front_rules->isChecked();
  o.front.contents = cbk_front_contents->isChecked();
  o.front.section_pages = cbk_section_pages->isChecked();
  o.publication.subtitle = ed_subtitle->text().trimmed().toStdString();
  o.publication.publisher = ed_publisher->text().trimmed().toStdString();
  o.publication.copyright = ed_copyright->text().trimmed().toStdString();
  o.publication.isbn = ed_isbn->text().trimmed().toStdString();
  o.publication.edition = ed_edition->text().trimmed().toStdString();
}

void BookPart::Show(const pages::BookOptions& o) {
  {
    const QSignalBlocker block(this);
    cbk_front_title->setChecked(o.front.title);
    cbk_front_copyright->setChecked(o.front.copyright);
    cbk_front_rules->setChecked(o.front.rules);
    cbk_front_contents->setChecked(o.front.contents);
    cbk_section_pages->setChecked(o.front.section_pages);
    ed_subtitle->setText(QString::fromStdString(o.publication.subtitle));
    ed_publisher->setText(QString::fromStdString(o.publication.publisher));
    ed_copyright->setText(QString::fromStdString(o.publication.copyright));
    ed_isbn->setText(QString::fromStdString(o.publication.isbn));
    ed_edition->setText(QString::fromStdString(o.publication.edition));
    sections_ = o.sections;
    ShowSections();
  }
  emit changed();
}

void BookPart::AddSection(const pages::Section& like) {
  const int row = ChosenRow();
  const auto at = row < 0 ? sections_.end() : sections_.begin() + row + 1;
  const int added = static_cast<int>(at - sections_.begin());
  sections_.insert(at, like);
  ShowSections();
  tbl_sections->selectRow(added);
  emit changed();
}

int BookPart::ChosenRow() const {
  const QList<QTableWidgetSelectionRange> ranges = tbl_sections->selectedRanges();
  return ranges.isEmpty() ? -1 : ranges.first().topRow();
}

void BookPart::Move(int by) {
  const int row = ChosenRow(), to = row + by;
  if (row < 0 || to < 0 || to >= static_cast<int>(sections_.size())) return;
  std::swap(sections_[static_cast<size_t>(row)], sections_[static_cast<size_t>(to)]);
  ShowSections();
  tbl_sections->selectRow(to);
  emit changed();
}

void BookPart::ShowSections() {
  const QSignalBlocker block(tbl_sections);
  tbl_sections->setRowCount(static_cast<int>(sections_.size()));
  for (int row = 0; row < static_cast<int>(sections_.size()); ++row) {
    const pages::Section& s = sections_[static_cast<size_t>(row)];
    auto* kind = new QComboBox;
    for (const KindChoice& choice : kKinds) {
      kind->addItem(QString::fromLatin1(choice.caption));
      if (choice.kind == s.kind) kind->setCurrentIndex(kind->count() - 1);
    }
    // Only the levels the kind offers: the children's grids have fewer.
    auto* level = new QComboBox;
    for (int i = 0; i < 6; ++i) {
      if (puzzle::IsVariant(s.kind) && !puzzle::HasLevel(s.kind, i)) continue;
      const std::string caption = pages::LevelCaption(i);
      level->addItem(QString::fromStdString(caption.substr(0, caption.size() - 7)), i);
      if (i == s.level) level->setCurrentIndex(level->count() - 1);
    }
    auto* count = new QSpinBox;
    count->setRange(1, 800);
    count->setValue(s.count);
    auto* layout = new QComboBox;
    for (const LayoutChoice& choice : kLayouts) {
      layout->addItem(QString::fromLatin1(choice.caption));
      // Candidates are printed for Standard puzzles only.
      if (choice.candidates && s.kind != puzzle::PuzzleKind::kStandard) {
        qobject_cast<QStandardItemModel*>(layout->model())
            ->item(layout->count() - 1)
            ->setEnabled(false);
      }
    }
    layout->setCurrentIndex(LayoutIndex(s));
    // A Samurai page holds one puzzle.
    layout->setEnabled(!s.Samurai());
    tbl_sections->setCellWidget(row, 0, kind);
    tbl_sections->setCellWidget(row, 1, level);
    tbl_sections->setCellWidget(row, 2, count);
    tbl_sections->setCellWidget(row, 3, layout);
    tbl_sections->setItem(row, 4, new QTableWidgetItem(QString::fromStdString(s.name)));
    auto section = [this, row]() -> pages::Section& { return sections_[static_cast<size_t>(row)]; };
    connect(kind, &QComboBox::currentIndexChanged, this, [this, section](int index) {
      pages::Section& chosen = section();
      chosen.kind = kKinds[index].kind;
      if (chosen.kind != puzzle::PuzzleKind::kStandard) chosen.candidates = false;
      if (chosen.Samurai()) chosen.per_page = 1;
      // A level the kind lacks becomes the kind's hardest.
      if (puzzle::IsVariant(chosen.kind) && !puzzle::HasLevel(chosen.kind, chosen.level)) {
        chosen.level = puzzle::Levels(chosen.kind).back();
      }
      // The row is shown anew once this box's signal is over: it is one of the row's widgets.
      QMetaObject::invokeMethod(
          this, [this] { ShowSections(); }, Qt::QueuedConnection);
      emit changed();
    });
    connect(level, &QComboBox::currentIndexChanged, this, [this, section, level](int index) {
      section().level = level->itemData(index).toInt();
      emit changed();
    });
    connect(count, &QSpinBox::valueChanged, this, [this, section](int value) {
      section().count = value;
      emit changed();
    });
    connect(layout, &QComboBox::currentIndexChanged, this, [this, section](int index) {
      section().per_page = kLayouts[index].per_page;
      section().candidates = kLayouts[index].candidates;
      emit changed();
    });
  }
  // Every column as wide as its widest choice, the name's with room for a few words.
  int width = 2 * tbl_sections->frameWidth();
  for (int column = 0; column < 4; ++column) {
    tbl_sections->resizeColumnToContents(column);
    width += tbl_sections->columnWidth(column);
  }
  const int name = tbl_sections->fontMetrics().horizontalAdvance(QStringLiteral("Harder Puzzles"));
  tbl_sections->setMinimumWidth(width + name +
                                tbl_sections->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  const bool any = !sections_.empty();
  btn_remove_section->setEnabled(any);
  btn_section_up->setEnabled(sections_.size() > 1);
  btn_section_down->setEnabled(sections_.size() > 1);
}

}  // namespace quorvel::app
