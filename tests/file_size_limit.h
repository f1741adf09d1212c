// A full disk without root: a file-size limit on this process, with SIGXFSZ ignored so that a
// write past the limit fails with an error instead of ending the process. Undone on scope exit.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace quorvel::testing {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &saved_action_);
    getrlimit(RLIMIT_FSIZE, &saved_limit_);
    rlimit small = saved_limit_;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_limit_);
    sigaction(SIGXFSZ, &saved_action_, nullptr);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  struct sigaction saved_action_ {};
  rlimit saved_limit_{};
};

}  // namespace quorvel::testing
