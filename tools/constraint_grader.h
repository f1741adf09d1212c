// Grading by technique on any grid geometry: the techniques a person uses, applied to the
// geometry's houses (rows, columns, regions of any shape, diagonals), easiest first and always
// restarting from the easiest, with the tier of the hardest one a solve needs: singles (S);
// locked candidates between houses that share three or more cells, naked and hidden pairs and
// triples (M); fish on rows and columns, quads, wings, skyscrapers, kites and simple colouring
// (T); chains (D). A puzzle they cannot finish is unsolved.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "puzzle/geometry.h"
#include "tools/grader.h"

namespace quorvel::tools {

struct ConstraintGrade {
  bool solved = false;
  Tier tier = Tier::Unsolved;  // the hardest tier used, when solved
  std::string solution;        // the digits reached ("0" where open)
  std::map<std::string, int> counts;
};

// Grades `puzzle` (n x n characters, "1".."n" givens, "0" or "." empty) on `geometry` with the
// techniques up to `max_tier`.
ConstraintGrade GradeOn(const puzzle::GridGeometry& geometry, std::string_view puzzle,
                        Tier max_tier = Tier::D);

}  // namespace quorvel::tools
