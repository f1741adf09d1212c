// The temporary files of a run: created under unique names, locked by the run that made them,
// removed on every way a run can end short of SIGKILL (an exception, SIGINT, SIGTERM, SIGHUP,
// SIGXFSZ), and found and removed by a later run when their run was killed after all.
//
// A temporary file is named PREFIX ".qv" PID "." XXXXXX. The prefix is shortened when the name
// would not fit the folder's limit; the user's own names are never shortened.
#pragma once

#include <string>
#include <string_view>

namespace quorvel::report {

class TemporaryFile {
 public:
  // Creates a new file beside `path` (in its folder, its name starting with path's own name,
  // after a "." when `hidden`), open for reading and writing to its owner only and locked for as
  // long as this object holds it. What killed runs left in that folder is removed first. Throws
  // FileError naming `path` when it cannot.
  TemporaryFile(const std::string& path, bool hidden);
  // Removes the file unless it was moved into place.
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int Descriptor() const { return fd_; }
  const std::string& Path() const { return path_; }
  // Gives up the descriptor (for a stream that closes it); the file stays locked until that
  // descriptor is closed, and the name stays this object's to move or remove.
  int ReleaseDescriptor();
  // Gives the file the name `target`: over an existing file when `replace`, otherwise only while
  // that name is free (a name taken meanwhile, a dangling link included, fails with errno EEXIST
  // and leaves both files as they were). Returns false with errno set when the file could not
  // be moved; it is then still this object's.
  bool MoveTo(const std::string& target, bool replace);
  // Removes the file now.
  void Remove();

 private:
  std::string path_;
  int fd_ = -1;
  int slot_ = -1;  // in the table of files a signal removes
  bool owned_ = true;
};

// Removes from `folder` the temporary files of this user that runs which have ended left behind:
// files named as TemporaryFile names them, whose run is no longer there and whose lock is free.
// Files of other users and files of running runs are left alone. Errors are ignored.
void RemoveStaleTemporaryFiles(const std::string& folder);

// The longest file name the folder `folder` takes ("" for the working folder).
size_t NameLimit(const std::string& folder);

// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGXFSZ (those the process does not
// ignore) that remove every temporary file of the process, write the interrupt message on
// stderr, restore the old disposition and end the process with status 128 + the signal.
void InstallInterruptCleanup();
// The line written on an interruption (with its newline); empty writes nothing.
void SetInterruptMessage(std::string_view message);

}  // namespace quorvel::report
