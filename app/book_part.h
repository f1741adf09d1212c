// The window's "Book" part: the title and copyright pages' words, the front matter, and the
// book's sections (kind, level, count, layout and name of each), with "Open plan..." and
// "Save plan...". Without sections the window's simple options make the book's one part.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <vector>

#include "pages/request.h"

namespace quorvel::app {

class BookPart : public QGroupBox {
  Q_OBJECT
 public:
  explicit BookPart(QWidget* parent);

  // Writes what the part says into `o`: sections, front matter, the publication's words.
  void Fill(pages::BookOptions& o) const;
  // Shows what `o` says.
  void Show(const pages::BookOptions& o);
  // The sections shown, in order.
  const std::vector<pages::Section>& Sections() const { return sections_; }
  // Adds a section like `like` (the window's simple options) after the chosen one.
  void AddSection(const pages::Section& like);

 signals:
  void changed();
  void addRequested();
  void openPlanRequested();
  void savePlanRequested();

 private:
  void ShowSections();
  void Move(int by);
  int ChosenRow() const;

  std::vector<pages::Section> sections_;
  QLineEdit *ed_subtitle, *ed_publisher, *ed_copyright, *ed_isbn, *ed_edition;
  QCheckBox *cbk_front_title, *cbk_front_copyright, *cbk_front_rules, *cbk_front_contents,
      *cbk_section_pages;
  QTableWidget* tbl_sections;
  QPushButton *btn_add_section, *btn_remove_section, *btn_section_up, *btn_section_down;
  QPushButton *btn_open_plan, *btn_save_plan;
};

}  // namespace quorvel::app
