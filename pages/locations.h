// Where the program keeps its page-stream file: a folder private to the user.
#pragma once

#include <string>

namespace quorvel::pages {

inline constexpr const char* kPageStreamName = "tessalyquorvel.pgs";

// $XDG_RUNTIME_DIR when it is set, otherwise a folder of the user's own with mode 0700 under
// the system's temporary folder (created when missing). Never a shared, world-writable folder,
// where another user could create or link the file first. Ends with "/". Throws when the
// folder exists but belongs to someone else or is open to others.
std::string PrivateTempFolder();

// PrivateTempFolder() + "tessalyquorvel.pgs".
std::string PageStreamFilePath();

}  // namespace quorvel::pages
