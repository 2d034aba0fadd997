// Runs a program with no terminal at all: in a session of its own, so that
// it has no controlling terminal and /dev/tty cannot be opened, with its
// standard input, output and error on pipes.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kippfeld::e2e {

struct DetachedOptions {
  // Set in the program's environment on top of the test's own.
  std::vector<std::pair<std::string, std::string>> environment;
  // When not empty, standard output goes to this file (such as /dev/full)
  // instead of a pipe.
  std::string outputFile;
  int deadlineMs = 10'000;
};

struct DetachedRun {
  bool exited = false;  // false: still running at the deadline, then killed
  int status = 0;       // the wait status
  std::string output;
  std::string error;
};

DetachedRun RunDetached(const std::string& program, const std::vector<std::string>& arguments,
                        const DetachedOptions& options = {});

}  // namespace kippfeld::e2e
