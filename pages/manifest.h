// The manifest: a book as data (the program, its options and seed, its page count, and every
// puzzle with its section, kind, level, pages, puzzle and solution strings and canonical form),
// and the excluded puzzles that earlier volumes' manifests give.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pages/book.h"
#include "pages/print_summary.h"
#include "pages/request.h"

namespace quorvel::pages {

// The manifest of the book `maker` has just built for `request`, as JSON text.
// With a print summary (of a print-ready book) when given.
std::string ManifestText(const BookRequest& request, const BookMaker& maker,
                         const PrintSummary* summary = nullptr);

// `manifest` (as ManifestText made it) with the print summary added.
std::string WithSummary(std::string manifest, const PrintSummary& summary);

// The canonical forms of every puzzle (and every Samurai grid) in the manifests `files`, or
// nothing, with one line naming the file that is not a manifest of this program and why.
std::shared_ptr<const ExcludedPuzzles> ReadExcluded(const std::vector<std::string>& files,
                                                    std::string& problem);

}  // namespace quorvel::pages
