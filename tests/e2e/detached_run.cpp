#include "detached_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace kippfeld::e2e {

namespace {

long long NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
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
  if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0 || pipe2(error, O_CLOEXEC) != 0)
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
    for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
    execv(args[0], args.data());
    _exit(127);
  }
  close(input[0]);
  close(input[1]);  // standard input at its end from the start
  close(output[1]);
  close(error[1]);

  DetachedRun run;
  pollfd fds[2] = {{output[0], POLLIN, 0}, {error[0], POLLIN, 0}};
  std::string* texts[2] = {&run.output, &run.error};
  long long end = NowMs() + options.deadlineMs;
  int openPipes = 2;
  while (openPipes > 0) {
    long long left = end - NowMs();
    if (left <= 0) break;
    if (poll(fds, 2, static_cast<int>(left)) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char bytes[4096];
      ssize_t count = read(fds[i].fd, bytes, sizeof bytes);
      if (count > 0) {
        texts[i]->append(bytes, static_cast<std::size_t>(count));
      } else if (count == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --openPipes;
      }
    }
  }
  for (pollfd& fd : fds)
    if (fd.fd >= 0) close(fd.fd);

  // The pipes may close before the process has quite ended.
  while (!run.exited) {
    pid_t done = waitpid(pid, &run.status, WNOHANG);
    if (done == pid) {
      run.exited = true;
    } else if (NowMs() >= end) {
      kill(pid, SIGKILL);
      waitpid(pid, &run.status, 0);
      break;
    } else {
      usleep(5'000);
    }
  }
  return run;
}

}  // namespace kippfeld::e2e
