// A list of calls as lines of text ("move 1 2"), for fakes that record what they are asked.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace quorvel::testing {

class CallLog {
 public:
  std::vector<std::string> calls;

  // The calls whose text starts with `prefix`.
  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& c : calls) {
      if (c.rfind(prefix, 0) == 0) out.push_back(c);
    }
    return out;
  }

 protected:
  template <class... A>
  void Add(const char* op, const A&... args) {
    std::ostringstream s;
    s << op;
    ((s << ' ' << args), ...);
    calls.push_back(s.str());
  }
};

}  // namespace quorvel::testing
