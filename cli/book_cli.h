// The command-line book maker: option parsing and checks, progress on a terminal, the run.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "pages/request.h"

namespace quorvel::cli {

struct CliOptions {
  pages::BookRequest request;
  std::string plan_file;  // the plan file read, if any
  std::string save_plan;  // where the run's plan is saved, if asked
  bool force = false;
};

// Parses and checks the arguments. On bad input returns nothing and writes one line naming
// the problem to `err`; `exit_code` is then 2 (or 0 for --help, with the help on `out`).
std::optional<CliOptions> Parse(int argc, const char* const* argv, std::ostream& out,
                                std::ostream& err, int& exit_code);

// Runs the book maker; returns the process exit code.
int Main(int argc, const char* const* argv, std::ostream& err);
inline int Main(int argc, char** argv, std::ostream& err) {
  return Main(argc, const_cast<const char* const*>(argv), err);
}

}  // namespace quorvel::cli
