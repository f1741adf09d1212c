// Grading by technique on any grid geometry: the techniques a person uses, applied to the
// geometry's houses (rows, columns, regions of any shape, diagonals), easiest first and always
// restarting from the easiest, with the tier of the hardest one a solve needs. So far the
// first two tiers: singles (S), and locked candidates between houses that share three or more
// cells with naked and hidden pairs and triples (M); a puzzle they cannot finish is left to the
// harder tiers.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "puzzle/geometry.h"
#include "tools/grader.h"

namespace quorvel::tools {

struct ConstraintGrade {
  bool solved = false;
  Tier tier = Tier::Unsolved;  // S or M when solved
  std::string solution;        // the digits reached ("0" where open)
  std::map<std::string, int> counts;
};

// Grades `puzzle` (n x n characters, "1".."n" givens, "0" or "." empty) on `geometry`.
ConstraintGrade GradeOn(const puzzle::GridGeometry& geometry, std::string_view puzzle);

}  // namespace quorvel::tools
