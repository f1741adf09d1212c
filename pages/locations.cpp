#include "pages/locations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace quorvel::pages {

std::string PrivateTempFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) {
    std::string folder = runtime;
    if (folder.back() != '/') folder += '/';
    return folder;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string base = tmp && *tmp ? tmp : "/tmp";
  if (base.back() != '/') base += '/';
  std::string folder = base + "quorvel-" + std::to_string(getuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    throw std::runtime_error("Cannot create the folder " + folder + ": " + std::strerror(errno));
  }
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0) {
    throw std::runtime_error("Cannot read the folder " + folder + ": " + std::strerror(errno));
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 0077) != 0) {
    throw std::runtime_error("The folder " + folder +
                             " is not a private folder of this user; remove it and try again");
  }
  return folder + "/";
}

std::string PageStreamFilePath() { return PrivateTempFolder() + kPageStreamName; }

}  // namespace quorvel::pages
