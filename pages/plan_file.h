// Book plan files: a TOML file holding everything the command line can say of a book, its
// sections as [[section]] tables and its front matter as a [front_matter] table. Paths in a
// plan file are relative to the file's own folder.
#pragma once

#include <string>

#include "pages/request.h"

namespace quorvel::pages {

// Reads the plan file `path` into `request`: what it names replaces the request's values, the
// rest stays. Returns "" or one line naming the file, the line and the key
// ("book.toml:12: unknown key 'levle' in [[section]]").
std::string ReadPlanFile(const std::string& path, BookRequest& request);

// The plan file of `request`, to be saved as `path` (its paths written relative to that file's
// folder): the seed included, so that it makes the same book again.
std::string PlanFileText(const BookRequest& request, const std::string& path);

// The paper as a plan file and the command line name it: "letter", "a4", "6x9".
std::string PaperName(const Paper& paper);

}  // namespace quorvel::pages
