// Where one book's time goes: each stage's wall time, minor page faults and the process's peak
// memory when it ends, for the largest Standard or Samurai book, made once in a fresh process
// (what a user's run pays). Run it on an otherwise idle machine.
// Usage: stages standard|samurai [pages] [--print-ready]
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "banks/builtin_banks.h"
#include "pages/book.h"
#include "pages/locations.h"

namespace {

long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// Peak resident memory so far, in KiB.
long PeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using Clock = std::chrono::steady_clock;
  const bool samurai = argc > 1 && std::strcmp(argv[1], "samurai") == 0;
  quorvel::pages::BookOptions options;
  if (samurai) options.puzzles.kind = quorvel::puzzle::PuzzleKind::kSamurai;
  options.layout.pages = argc > 2 ? std::atoi(argv[2]) : 200;
  options.puzzles.level = 5;
  options.layout.per_page = samurai ? 1 : 4;
  options.layout.print_ready = argc > 3 && std::strcmp(argv[3], "--print-ready") == 0;

  char dir[] = "/tmp/quorvel-stages.XXXXXX";
  if (!mkdtemp(dir)) return 1;
  const std::string pdf = std::string(dir) + "/book.pdf";
  const std::string stream = std::string(dir) + "/book.pgs";

  std::printf("%ld cores; %s, %d pages%s\n", sysconf(_SC_NPROCESSORS_ONLN),
              samurai ? "Samurai" : "Standard, 4 a page", options.layout.pages,
              options.layout.print_ready ? ", print-ready" : "");
  std::printf("%-10s %8s %8s %10s\n", "stage", "ms", "faults", "peak MB");
  Clock::time_point last = Clock::now();
  const Clock::time_point start = last;
  long faults = MinorFaults();
  auto report = [&](const char* stage) {
    Clock::time_point now = Clock::now();
    long now_faults = MinorFaults();
    std::printf("%-10s %8.1f %8ld %10.1f\n", stage,
                std::chrono::duration<double, std::milli>(now - last).count(), now_faults - faults,
                PeakKiB() / 1024.0);
    last = now;
    faults = now_faults;
  };
  {
    quorvel::pages::BookMaker maker(quorvel::banks::BuiltInBanks(), stream);
    maker.Random().SetSeedCounter(quorvel::puzzle::MakeSequenceCounter(1));
    report("start");
    maker.stage_ended = report;
    maker.Build(options, pdf);
    last = Clock::now();
  }
  report("free");
  std::printf("%-10s %8.1f\n", "total",
              std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  std::remove(pdf.c_str());
  std::remove(stream.c_str());
  rmdir(dir);
  return 0;
}
