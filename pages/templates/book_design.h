// What the book design refuses before any work: answer counts it does not have, and counts
// whose digits would print under 7 pt on the paper.
#pragma once

#include <string>

#include "pages/options.h"

namespace quorvel::pages {

// "" when a book of `total_pages` pages can be made with these options in its design.
std::string BookDesignProblem(const BookOptions& options, int total_pages);

}  // namespace quorvel::pages
