// Where the program keeps its page-stream file: a folder private to the user.
#pragma once

#include <string>

namespace quorvel::pages {

inline constexpr const char* kPageStreamName = "tessalyquorvel.pgs";

// $XDG_RUNTIME_DIR when it is an absolute path to a folder of the user's own that no one else
// may write to; otherwise a folder of the user's own with mode 0700 under the system's
// temporary folder ($TMPDIR or /tmp): "quorvel-UID", made when missing and repaired to 0700,
// or, when another user or a file has that name, "quorvel-UID-XXXXXX", made once under a name
// no one can take first. Never a shared, world-writable folder, where another user could
// create or swap the file first. Ends with "/". Throws when no such folder can be made.
std::string PrivateTempFolder();

// PrivateTempFolder() + "tessalyquorvel.pgs".
std::string PageStreamFilePath();

}  // namespace quorvel::pages
