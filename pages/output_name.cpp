#include "pages/output_name.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "report/streams.h"
#include "report/temporary_files.h"

namespace quorvel::pages {

std::string OutputNameProblem(const std::string& name, std::string_view extension) {
  namespace fs = std::filesystem;
  if (name.empty()) return "the output file name is empty";
  if (name.back() == '/') return "the output name " + name + " ends in \"/\"; name a file";
  std::error_code ec;
  if (fs::is_directory(name, ec)) return name + " is a folder; name a file";
  std::string file = report::WithExtension(name, extension);
  if (fs::is_directory(file, ec)) return file + " is a folder; name a file";
  if (file.size() >= PATH_MAX) {
    return "the output name is too long: " + std::to_string(file.size()) + " bytes, at most " +
           std::to_string(PATH_MAX - 1);
  }
  fs::path path(file);
  fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  if (!fs::is_directory(folder, ec)) return "the folder " + folder.string() + " does not exist";
  const std::string base = path.filename().string();
  const size_t limit = report::NameLimit(folder.string());
  if (base.size() > limit) {
    return "the file name " + base.substr(0, 40) +
           "... is too long: " + std::to_string(base.size()) + " bytes, at most " +
           std::to_string(limit) + " in " + folder.string();
  }
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    return "the folder " + folder.string() + " cannot be written";
  }
  if (fs::exists(path, ec) && access(path.c_str(), W_OK) != 0) {
    return file + " is read-only";
  }
  return std::string();
}

bool NameTaken(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace quorvel::pages
