// The platform seam on POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "cli/platform.h"

namespace platform {
namespace {

FileIdentity IdentityOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

// Opens with O_NONBLOCK so that a FIFO without a peer cannot stall the run,
// then drops the flag for ordinary blocking I/O.
int OpenNonBlocking(const std::string& name, int flags) {
  int fd;
  do {
    fd = open(name.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  const int current = fcntl(fd, F_GETFL);
  if (current < 0 || fcntl(fd, F_SETFL, current & ~O_NONBLOCK) < 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Wraps a descriptor in an unbuffered stdio stream: reads and writes come in
// large blocks already, so a stdio buffer would only copy them. Closes the
// descriptor on failure.
std::FILE* StreamOf(int fd, const char* mode) {
  std::FILE* file = fdopen(fd, mode);
  if (file == nullptr) {
    close(fd);
    return nullptr;
  }
  std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

void WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // a closed console is no reason to stop converting
    done += static_cast<size_t>(n);
  }
}

}  // namespace

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool OpenInput(const std::string& name, InputFile* input) {
  const int fd = OpenNonBlocking(name, O_RDONLY);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return false;
  }
  std::FILE* file = StreamOf(fd, "rb");
  if (file == nullptr) return false;
  *input = {file, static_cast<uint64_t>(st.st_size), IdentityOf(st)};
  return true;
}

bool IsSameFile(const std::string& name, const FileIdentity& identity) {
  struct stat st;
  if (stat(name.c_str(), &st) != 0) return false;
  return IdentityOf(st) == identity;
}

std::FILE* CreateOutput(const std::string& name) {
  const int fd = OpenNonBlocking(name, O_WRONLY | O_CREAT | O_TRUNC);
  if (fd < 0) return nullptr;
  return StreamOf(fd, "wb");
}

void RemoveOutput(const std::string& name) {
  struct stat st;
  if (lstat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    unlink(name.c_str());
  }
}

void WriteOut(const std::string& text) { WriteAll(STDOUT_FILENO, text); }
void WriteErr(const std::string& text) { WriteAll(STDERR_FILENO, text); }

void WaitForKey() {
  if (!isatty(STDIN_FILENO)) return;  // scripts and pipes never wait
  struct termios saved;
  if (tcgetattr(STDIN_FILENO, &saved) != 0) return;
  struct termios raw = saved;
  // One key, no echo, no Enter needed; Ctrl-C counts as a key, as it does
  // for a console key read, so the settings are always put back.
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return;
  unsigned char key;
  while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
  }
  // TCSAFLUSH also drops the rest of a key that sends several bytes.
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
}

}  // namespace platform
