// End-to-end: the real quorvel-book stopped by signals, raced by other runs and by killed runs'
// leftovers; the old book and both folders are checked after each.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "e2e_util.h"

extern char** environ;

namespace quorvel {
namespace {

// The names of the temporary files in `folder` (a run's pid is in each).
std::vector<std::string> Temporaries(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name.find(".qv") != std::string::npos) found.push_back(name);
  }
  return found;
}

class Hardening : public E2E {
 protected:
  // Starts quorvel-book with every signal at its default, as from an interactive shell, and
  // the file-size limit `fsize` (0: none). Its stderr goes to err.txt in the test's folder.
  // With `gate`, the child waits until the gate's write end is closed, so that runs start
  // together.
  pid_t Start(const std::vector<std::string>& args, rlim_t fsize = 0, int gate = -1,
              int gate_writer = -1) {
    std::vector<std::string> argv_text = {QUORVEL_BOOK};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string env_runtime = "XDG_RUNTIME_DIR=" + (dir_ / "run").string();
    std::vector<char*> env = {env_runtime.data(), nullptr};
    pid_t pid = fork();
    if (pid == 0) {
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      for (int s : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) signal(s, SIG_DFL);
      if (fsize > 0) {
        rlimit limit{fsize, fsize};
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      FILE* err = std::fopen((dir_ / "err.txt").c_str(), "a");
      if (err) dup2(fileno(err), STDERR_FILENO);
      if (gate >= 0) {
        close(gate_writer);
        char byte;
        while (read(gate, &byte, 1) < 0 && errno == EINTR) {
        }
      }
      execve(argv[0], argv.data(), env.data());
      _exit(127);
    }
    return pid;
  }
  // Waits for the file to appear in the folder whose name holds `marker`; false when the
  // run ended first.
  bool AwaitTemporary(pid_t pid, const fs::path& folder, const std::string& marker) {
    for (int i = 0; i < 20000; ++i) {
      for (const std::string& name : Temporaries(folder)) {
        if (name.find(marker) != std::string::npos) return true;
      }
      int status;
      if (waitpid(pid, &status, WNOHANG) == pid) return false;
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return false;
  }
  std::string Err() {
    std::string err = FileBytes(Path("err.txt"));
    fs::remove(Path("err.txt"));
    return err;
  }
};

TEST_F(Hardening, InterruptedRunsKeepTheOldBookAndLeaveNothing) {
  const std::string book = Path("book.pdf");
  ASSERT_EQ(Book("--pages 1 --seed 3 -o " + book).status, 0);
  const std::string before = FileBytes(book);
  const std::vector<std::string> args = {"--samurai", "--pages", "200", "--force", "-o", book};
  struct Case {
    int signal;
    const char* when;  // the temporary file that is there when the signal comes
  };
  for (const Case& c :
       {Case{SIGINT, "tessalyquorvel"}, Case{SIGINT, ".book.pdf"}, Case{SIGTERM, "tessalyquorvel"},
        Case{SIGTERM, ".book.pdf"}, Case{SIGHUP, ".book.pdf"}}) {
    SCOPED_TRACE(std::string(strsignal(c.signal)) + " with " + c.when);
    bool caught = false;
    int status = 0;
    // A fast machine may finish before the file is seen; a few tries catch it.
    for (int attempt = 0; attempt < 5 && !caught; ++attempt) {
      pid_t pid = Start(args);
      fs::path folder = std::string(c.when) == ".book.pdf" ? dir_ : dir_ / "run";
      caught = AwaitTemporary(pid, folder, c.when);
      if (caught) kill(pid, c.signal);
      waitpid(pid, &status, 0);
      if (!caught) std::ofstream(book, std::ios::binary) << before;  // the run made its book
    }
    ASSERT_TRUE(caught) << "the run always ended before it could be interrupted";
    // The process ends by the signal, as the shell and the caller expect (status 128 + n).
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;
    EXPECT_NE(Err().find("quorvel-book: interrupted; " + book + " is as it was"), std::string::npos)
        << Err();
    EXPECT_EQ(FileBytes(book), before);
    EXPECT_EQ(Temporaries(dir_), std::vector<std::string>());
    EXPECT_EQ(Temporaries(dir_ / "run"), std::vector<std::string>());
  }

  // A file-size limit (a full disk for this process) ends the run with SIGXFSZ: exit 153.
  pid_t pid = Start({"--pages", "200", "--per-page", "4", "--force", "-o", book}, 1 << 20);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGXFSZ) << status;
  EXPECT_EQ(FileBytes(book), before);
  EXPECT_EQ(Temporaries(dir_), std::vector<std::string>());
  EXPECT_EQ(Temporaries(dir_ / "run"), std::vector<std::string>());
}

TEST_F(Hardening, TheNextRunRemovesWhatAKilledRunLeft) {
  const std::string book = Path("book.pdf");
  bool caught = false;
  for (int attempt = 0; attempt < 5 && !caught; ++attempt) {
    pid_t pid = Start({"--samurai", "--pages", "200", "--force", "-o", book});
    caught = AwaitTemporary(pid, dir_, ".book.pdf");
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  ASSERT_TRUE(caught);
  ASSERT_EQ(Temporaries(dir_).size(), 1u);
  ASSERT_EQ(Temporaries(dir_ / "run").size(), 1u);
  // Files a later run must leave: a name of a running run (this test's pid), a name not made
  // by the program, and (as root) another user's file.
  const std::string live = ".x.pdf.qv" + std::to_string(getpid()) + ".AbCdEf";
  std::ofstream(Path(live)) << "a running run's";
  std::ofstream(Path(".x.pdf.qvnot-a-pid.AbCdEf")) << "not ours";
  const std::string others = ".y.pdf.qv999999999.AbCdEf";
  std::ofstream(Path(others)) << "another user's";
  const bool as_root = getuid() == 0 && chown(Path(others).c_str(), 4242, 4242) == 0;

  ASSERT_EQ(Book("--pages 1 --force -o " + book).status, 0);
  std::vector<std::string> left = Temporaries(dir_);
  std::sort(left.begin(), left.end());
  std::vector<std::string> kept = {live, ".x.pdf.qvnot-a-pid.AbCdEf"};
  if (as_root) kept.push_back(others);
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(left, kept);
  EXPECT_EQ(Temporaries(dir_ / "run"), std::vector<std::string>());
  EXPECT_EQ(Shell("qpdf --check " + book).status, 0);
}

TEST_F(Hardening, TenRunsIntoOneNewNameMakeOneBook) {
  const std::string book = Path("new.pdf");
  std::vector<pid_t> runs;
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  for (int i = 0; i < 10; ++i) {
    runs.push_back(Start({"--samurai", "--pages", "60", "--seed", std::to_string(i), "-o", book}, 0,
                         gate[0], gate[1]));
  }
  // All ten are waiting: they start at once, each finding the name free.
  close(gate[0]);
  close(gate[1]);
  int made = 0, failed = 0;
  for (pid_t pid : runs) {
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) ++made;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 1) ++failed;
  }
  EXPECT_EQ(made, 1);
  EXPECT_EQ(failed, 9);
  EXPECT_EQ(Shell("qpdf --check " + book).status, 0);
  EXPECT_EQ(Words(book).size(), 120u);
  EXPECT_EQ(Temporaries(dir_), std::vector<std::string>());
}

TEST_F(Hardening, ForceWritesThroughALink) {
  fs::create_directories(dir_ / "real");
  std::ofstream(dir_ / "real" / "target.pdf") << "old";
  fs::create_symlink("real/target.pdf", dir_ / "link.pdf");
  fs::create_symlink(dir_ / "nowhere.pdf", dir_ / "dangling.pdf");
  // Without --force a link is an existing file, even one leading nowhere.
  for (const char* name : {"link.pdf", "dangling.pdf"}) {
    Result r = Book("--pages 1 -o " + Path(name));
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("--force"), std::string::npos) << r.out;
  }
  EXPECT_FALSE(fs::exists(dir_ / "nowhere.pdf"));
  ASSERT_EQ(Book("--pages 1 --force -o " + Path("link.pdf")).status, 0);
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.pdf"));
  EXPECT_EQ(Shell("qpdf --check " + (dir_ / "real" / "target.pdf").string()).status, 0);
  EXPECT_EQ(Temporaries(dir_ / "real"), std::vector<std::string>());
}

TEST_F(Hardening, ProgressNeverWiderThanTheTerminal) {
  Result r = Shell("XDG_RUNTIME_DIR=" + (dir_ / "run").string() +
                   " script -qec 'stty cols 45; " QUORVEL_BOOK " --pages 3 -o " + Path("n.pdf") +
                   "' /dev/null");
  ASSERT_EQ(r.status, 0) << r.out;
  int draws = 0;
  size_t at = 0;
  while ((at = r.out.find("\r\x1b[K", at)) != std::string::npos) {
    at += 4;
    size_t end = r.out.find_first_of("\r\n", at);
    std::string line = r.out.substr(at, end == std::string::npos ? end : end - at);
    EXPECT_LT(line.size(), 45u) << line;
    ++draws;
  }
  EXPECT_GT(draws, 3);
  EXPECT_NE(r.out.find("100% Done"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace quorvel
