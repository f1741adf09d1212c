#include "pages/locations.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace quorvel::pages {
namespace {

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Whether `folder` is a folder itself (not a link to one) that this user owns and can use.
bool IsOwnFolder(const std::string& folder, struct stat& st) {
  return lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid();
}

// Whether the folder can hold this user's recordings: owned by the user, written by no one
// else, and open to the user.
bool IsUsableFolder(const std::string& folder) {
  struct stat st {};
  return IsOwnFolder(folder, st) && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
         access(folder.c_str(), W_OK | X_OK) == 0;
}

// A folder of the program's own: repaired to mode 0700 when it has another (a umask may have
// taken the owner's rights when it was made), then usable.
bool TakeOwnFolder(const std::string& folder) {
  struct stat st {};
  if (!IsOwnFolder(folder, st)) return false;
  if ((st.st_mode & 07777) != 0700 && chmod(folder.c_str(), 0700) != 0) return false;
  return access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

std::string PrivateTempFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') {
    std::string folder = WithoutTrailingSlashes(runtime);
    if (IsUsableFolder(folder)) return folder == "/" ? folder : folder + "/";
  }
  // A folder of the user's own in the temporary folder, under a fixed name, so that the last
  // run's recording is found there again.
  const char* tmp = std::getenv("TMPDIR");
  std::string base = tmp && tmp[0] == '/' ? WithoutTrailingSlashes(tmp) : "/tmp";
  if (base != "/") base += '/';
  const std::string name = "quorvel-" + std::to_string(getuid());
  const std::string fixed = base + name;
  if (TakeOwnFolder(fixed)) return fixed + "/";
  if (mkdir(fixed.c_str(), 0700) == 0) {
    if (TakeOwnFolder(fixed)) return fixed + "/";
  } else if (errno != EEXIST) {
    throw std::runtime_error("Cannot create the folder " + fixed + ": " + std::strerror(errno));
  }
  // The fixed name is someone else's (or no folder): no one can keep this user from recording,
  // so a folder of a name no one can take first is used instead, the one made earlier if any.
  if (DIR* dir = opendir(base.c_str())) {
    std::string found;
    while (const dirent* entry = readdir(dir)) {
      std::string entry_name = entry->d_name;
      if (entry_name.size() == name.size() + 7 && entry_name.rfind(name + "-", 0) == 0 &&
          TakeOwnFolder(base + entry_name)) {
        found = base + entry_name;
        break;
      }
    }
    closedir(dir);
    if (!found.empty()) return found + "/";
  }
  std::string pattern = fixed + "-XXXXXX";
  std::vector<char> made(pattern.begin(), pattern.end());
  made.push_back('\0');
  if (!mkdtemp(made.data())) {
    throw std::runtime_error("Cannot create a private folder in " + base + ": " +
                             std::strerror(errno));
  }
  if (!TakeOwnFolder(made.data())) {
    throw std::runtime_error(std::string("Cannot use the folder ") + made.data() + ": " +
                             std::strerror(errno));
  }
  return std::string(made.data()) + "/";
}

std::string PageStreamFilePath() { return PrivateTempFolder() + kPageStreamName; }

}  // namespace quorvel::pages
