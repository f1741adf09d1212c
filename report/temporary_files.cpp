#include "report/temporary_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include "report/streams.h"

namespace quorvel::report {
namespace {

// The files to remove when a signal ends the process. A handler may run at any moment on any
// thread, so the table is fixed, its paths copied in, and each slot's state an atomic: 0 free,
// 1 being filled, 2 a file to remove.
struct Slot {
  std::atomic<int> state{0};
  char path[PATH_MAX];
};
constexpr int kSlots = 16;
Slot g_slots[kSlots];

char g_message[1024];
std::atomic<size_t> g_message_size{0};

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};
struct sigaction g_old_actions[NSIG];

int Register(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = 0;
    if (g_slots[i].state.compare_exchange_strong(expected, 1)) {
      std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
      g_slots[i].state.store(2);
      return i;
    }
  }
  return -1;  // more files at once than the table holds: that one is not removed on a signal
}

void Unregister(int slot) {
  if (slot >= 0) g_slots[slot].state.store(0);
}

// Only async-signal-safe calls from here on.
void OnSignal(int signal_number) {
  for (Slot& slot : g_slots) {
    if (slot.state.load() == 2) unlink(slot.path);
  }
  size_t size = g_message_size.load();
  if (size > 0) {
    ssize_t ignored = write(STDERR_FILENO, g_message, size);
    (void)ignored;
  }
  sigaction(signal_number, &g_old_actions[signal_number], nullptr);
  // The default action of SIGXFSZ writes a core file, which a full disk does not call for.
  if (signal_number != SIGXFSZ && g_old_actions[signal_number].sa_handler == SIG_DFL) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal_number);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(signal_number);
  }
  _exit(128 + signal_number);
}

constexpr std::string_view kMarker = ".qv";
constexpr size_t kUniqueLength = 6;

// The pid in a name made by TemporaryFile, or 0 when the name is not one.
pid_t PidOfName(std::string_view name) {
  if (name.size() < kMarker.size() + 3 + kUniqueLength) return 0;
  std::string_view unique = name.substr(name.size() - kUniqueLength);
  for (char c : unique) {
    bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!alnum) return 0;
  }
  name.remove_suffix(kUniqueLength);
  if (name.back() != '.') return 0;
  name.remove_suffix(1);
  size_t digits = 0;
  while (digits < name.size() && digits < 10 && name[name.size() - 1 - digits] >= '0' &&
         name[name.size() - 1 - digits] <= '9') {
    ++digits;
  }
  if (digits == 0 || name.size() - digits < kMarker.size()) return 0;
  if (name.substr(name.size() - digits - kMarker.size(), kMarker.size()) != kMarker) return 0;
  long long pid = std::stoll(std::string(name.substr(name.size() - digits)));
  return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

// `prefix` cut so that it and `suffix_size` bytes fit in `limit`, at a character boundary.
std::string Shortened(std::string_view prefix, size_t suffix_size, size_t limit) {
  size_t room = limit > suffix_size ? limit - suffix_size : 0;
  if (prefix.size() <= room) return std::string(prefix);
  size_t cut = room;
  while (cut > 0 && (static_cast<unsigned char>(prefix[cut]) & 0xC0) == 0x80) --cut;
  return std::string(prefix.substr(0, cut));
}

}  // namespace

size_t NameLimit(const std::string& folder) {
  long limit = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  return limit > 0 ? static_cast<size_t>(limit) : 255;
}

TemporaryFile::TemporaryFile(const std::string& path, bool hidden) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string prefix = (hidden ? "." : "") + path.substr(folder.size());
  // What killed runs left in this folder goes before this run adds its own.
  RemoveStaleTemporaryFiles(folder);
  const std::string suffix = std::string(kMarker) + std::to_string(getpid()) + ".";
  std::string pattern = folder +
                        Shortened(prefix, suffix.size() + kUniqueLength, NameLimit(folder)) +
                        suffix + std::string(kUniqueLength, 'X');
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  {
    // A signal between making the file and noting it would leave the file behind.
    sigset_t block, saved;
    sigemptyset(&block);
    for (int s : kSignals) sigaddset(&block, s);
    pthread_sigmask(SIG_BLOCK, &block, &saved);
    fd_ = mkostemp(name.data(), O_CLOEXEC);
    const int error = errno;
    if (fd_ >= 0) slot_ = Register(name.data());
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    if (fd_ < 0) {
      throw FileError("Cannot create file \"" + path + "\". " + std::strerror(error));
    }
  }
  path_ = name.data();
  // The lock tells a later run that this file's run is still there.
  flock(fd_, LOCK_EX | LOCK_NB);
}

TemporaryFile::~TemporaryFile() {
  Remove();
  if (fd_ >= 0) close(fd_);
}

int TemporaryFile::ReleaseDescriptor() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

bool TemporaryFile::MoveTo(const std::string& target, bool replace) {
  if (!owned_) {
    errno = ENOENT;
    return false;
  }
  bool moved;
  if (replace) {
    moved = std::rename(path_.c_str(), target.c_str()) == 0;
  } else {
    moved = renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
    if (!moved && (errno == EINVAL || errno == ENOSYS)) {
      // A file system without that kind of rename: a new link fails as well when the name is
      // taken.
      moved = link(path_.c_str(), target.c_str()) == 0;
      if (moved) unlink(path_.c_str());
    }
  }
  if (!moved) return false;
  owned_ = false;
  Unregister(slot_);
  slot_ = -1;
  return true;
}

void TemporaryFile::Remove() {
  if (!owned_) return;
  owned_ = false;
  unlink(path_.c_str());
  Unregister(slot_);
  slot_ = -1;
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  const uid_t me = getuid();
  const pid_t self = getpid();
  const int dir_fd = dirfd(dir);
  while (const dirent* entry = readdir(dir)) {
    const pid_t pid = PidOfName(entry->d_name);
    if (pid == 0 || pid == self) continue;
    if (kill(pid, 0) == 0 || errno != ESRCH) continue;  // its run may still be there
    struct stat st {};
    if (fstatat(dir_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(st.st_mode) || st.st_uid != me) continue;
    int fd = openat(dir_fd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    // The file opened is the one looked at (not one put in its place since), and no run in
    // another process space of the machine still holds it.
    struct stat opened {};
    if (fstat(fd, &opened) == 0 && opened.st_ino == st.st_ino && opened.st_dev == st.st_dev &&
        flock(fd, LOCK_EX | LOCK_NB) == 0) {
      unlinkat(dir_fd, entry->d_name, 0);
    }
    close(fd);
  }
  closedir(dir);
}

void InstallInterruptCleanup() {
  static std::atomic<bool> installed{false};
  if (installed.exchange(true)) return;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int s : kSignals) sigaddset(&action.sa_mask, s);
  for (int s : kSignals) {
    struct sigaction old {};
    if (sigaction(s, nullptr, &old) != 0) continue;
    // A signal the process was told to ignore (nohup) stays ignored.
    if (old.sa_handler == SIG_IGN) continue;
    g_old_actions[s] = old;
    sigaction(s, &action, nullptr);
  }
}

void SetInterruptMessage(std::string_view message) {
  g_message_size.store(0);
  size_t size = std::min(message.size(), sizeof g_message);
  std::memcpy(g_message, message.data(), size);
  g_message_size.store(size);
}

}  // namespace quorvel::report
