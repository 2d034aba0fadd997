#include "detached_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "pty_session.h"

namespace kippfeld::e2e {

namespace {

long long NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

// What is in the pipe now. Once the program has ended, that is all it
// wrote; whatever it started and left running may hold the pipe open still.
std::string ReadWhatIsThere(int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  std::string text;
  char bytes[4096];
  for (;;) {
    ssize_t count = read(fd, bytes, sizeof bytes);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return text;
    text.append(bytes, static_cast<std::size_t>(count));
  }
}

}  // namespace

DetachedRun RunDetached(const std::string& program, const std::vector<std::string>& arguments,
                        const DetachedOptions& options) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);

  int input[2], output[2], error[2];
  if (!PipeClosedOnExec(input) || !PipeClosedOnExec(output) || !PipeClosedOnExec(error))
    throw std::runtime_error("pipe failed");
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    setsid();
    dup2(input[0], 0);
    int outputFd = output[1];
    if (!options.outputFile.empty()) outputFd = open(options.outputFile.c_str(), O_WRONLY);
    dup2(outputFd, 1);
    dup2(error[1], 2);
    // The program's words in English, whatever the language of whoever runs
    // the tests, unless the test says otherwise.
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
    for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
    execv(args[0], args.data());
    _exit(127);
  }
  close(input[0]);
  close(input[1]);  // standard input at its end from the start
  close(output[1]);
  close(error[1]);

  DetachedRun run;
  long long end = NowMs() + options.deadlineMs;
  while (!(run.exited = waitpid(pid, &run.status, WNOHANG) == pid) && NowMs() < end) usleep(5'000);
  if (!run.exited) {
    kill(pid, SIGKILL);
    waitpid(pid, &run.status, 0);
  }
  // What the program writes here (a usage text at most) fits in the pipes'
  // buffers, so it can end without anyone reading them.
  run.output = ReadWhatIsThere(output[0]);
  run.error = ReadWhatIsThere(error[0]);
  close(output[0]);
  close(error[0]);
  return run;
}

}  // namespace kippfeld::e2e
