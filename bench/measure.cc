// measure: runs one command and prints its wall time in seconds and its
// peak resident set size in KiB. Forked from this small process rather than
// from the benchmark's Python, so the peak is the command's own.
//
//   measure [-o FILE] COMMAND [ARG...]   (-o sends the command's stdout to FILE)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  int first = 1;
  const char* output = "/dev/null";
  if (argc > 2 && std::strcmp(argv[1], "-o") == 0) {
    output = argv[2];
    first = 3;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: measure [-o FILE] COMMAND [ARG...]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int null_fd = open("/dev/null", O_RDONLY);
    if (fd < 0 || null_fd < 0) _exit(127);
    dup2(fd, 1);
    dup2(null_fd, 0);
    execvp(argv[first], argv + first);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return 1;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  std::printf("%.6f %ld\n", seconds, usage.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
