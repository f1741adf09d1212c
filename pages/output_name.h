// The output-name rules the front ends share: which names a book may be written to, and what
// an existing file of that name is.
#pragma once

#include <string>
#include <string_view>

namespace quorvel::pages {

// Why a book cannot be written to `name` (before WithExtension), or "" when it can: an empty
// name, a name ending in "/", an existing folder, a missing or unwritable folder, an existing
// file that cannot be written, or a name too long for its folder's file system. Whether an
// existing file may be replaced at all is the caller's question.
std::string OutputNameProblem(const std::string& name, std::string_view extension = ".pdf");

// Whether something has the name `path`: a file, a folder, or a link, even one that leads
// nowhere (replacing it would lose the link).
bool NameTaken(const std::string& path);

}  // namespace quorvel::pages
