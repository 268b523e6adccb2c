// The platform seam on POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <new>

#include "cli/platform.h"

namespace platform {
namespace {

// The interrupts that remove the pending output before the process ends.
constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// What the interrupt handler may have to undo. The name and identity change
// only while the interrupts are blocked, so the handler never sees them half
// written and never needs to allocate; the flags are single stores.
struct PendingOutput {
  std::string name;
  dev_t device;
  ino_t inode;
};
PendingOutput g_output;
volatile sig_atomic_t g_output_pending = 0;
struct termios g_saved_terminal;
volatile sig_atomic_t g_terminal_changed = 0;

// Holds back the interrupts for the life of the object.
struct InterruptsBlocked {
  sigset_t saved;
  InterruptsBlocked() {
    sigset_t set;
    sigemptyset(&set);
    for (const int sig : kInterrupts) sigaddset(&set, sig);
    sigprocmask(SIG_BLOCK, &set, &saved);
  }
  ~InterruptsBlocked() { sigprocmask(SIG_SETMASK, &saved, nullptr); }
};

// Unlinks the pending output if its name is still that very regular file,
// not a link to it nor whatever replaced it. Async-signal-safe.
void UnlinkPendingOutput() {
  struct stat st;
  if (lstat(g_output.name.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      st.st_dev == g_output.device && st.st_ino == g_output.inode) {
    unlink(g_output.name.c_str());
  }
}

// Undoes what a run in progress leaves behind, then ends the process by the
// same signal with its default action, so the caller sees how it ended.
extern "C" void OnInterrupt(int sig) {
  if (g_output_pending) UnlinkPendingOutput();
  if (g_terminal_changed) {
    tcsetattr(STDIN_FILENO, TCSANOW, &g_saved_terminal);
  }
  signal(sig, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
  _exit(128 + sig);  // not reached
}

// Opens /dev/null on each closed standard descriptor: otherwise the next
// file opened takes its number, and console text would land in it.
bool FillStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    const int null_fd = open("/dev/null", O_RDWR);  // the lowest free: fd
    if (null_fd != fd) return false;
  }
  return true;
}

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

bool StartProcess() {
  if (!FillStandardDescriptors()) return false;
  // A reader that goes away, or a file-size limit, makes the write fail
  // instead, and the run reports and cleans up as for any failed write.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (const int sig : kInterrupts) sigaddset(&action.sa_mask, sig);
  for (const int sig : kInterrupts) {
    struct sigaction old;
    // One ignored from the start (nohup, a background job) stays ignored.
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) {
      continue;
    }
    sigaction(sig, &action, nullptr);
  }
  return true;
}

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

bool IsRegularFile(const std::string& name) {
  struct stat st;
  return stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsSameFile(const std::string& name, const FileIdentity& identity) {
  struct stat st;
  if (stat(name.c_str(), &st) != 0) return false;
  return IdentityOf(st) == identity;
}

std::FILE* CreateOutput(const std::string& name) {
  // The name is ready, and the interrupts wait, before the file is made.
  InterruptsBlocked blocked;
  g_output.name = name;
  const int fd = OpenNonBlocking(name, O_WRONLY | O_CREAT | O_TRUNC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    close(fd);
    return nullptr;
  }
  g_output.device = st.st_dev;
  g_output.inode = st.st_ino;
  g_output_pending = 1;
  return StreamOf(fd, "wb");
}

bool CloseOutput(std::FILE* output) {
  const bool flushed = std::fflush(output) == 0;
  return std::fclose(output) == 0 && flushed;
}

void KeepOutput() { g_output_pending = 0; }

void RemoveOutput() {
  InterruptsBlocked blocked;
  if (g_output_pending) UnlinkPendingOutput();
  g_output_pending = 0;
}

namespace {

struct Thread {
  pthread_t id;
  void (*run)(void*);
  void* arg;
};

extern "C" void* RunThread(void* thread) {
  auto* t = static_cast<Thread*>(thread);
  t->run(t->arg);
  return nullptr;
}

}  // namespace

int UsableProcessors() {
#if defined(CPU_COUNT)
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
#endif
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}

bool StartThread(void (*run)(void*), void* arg, void** thread) {
  auto* t = new (std::nothrow) Thread{pthread_t(), run, arg};
  if (t == nullptr) return false;
  // The new thread starts with the interrupts blocked, so their handler
  // always runs on the main thread.
  InterruptsBlocked blocked;
  if (pthread_create(&t->id, nullptr, RunThread, t) != 0) {
    delete t;
    return false;
  }
  *thread = t;
  return true;
}

void JoinThread(void* thread) {
  auto* t = static_cast<Thread*>(thread);
  pthread_join(t->id, nullptr);
  delete t;
}

void WriteOut(const std::string& text) { WriteAll(STDOUT_FILENO, text); }
void WriteErr(const std::string& text) { WriteAll(STDERR_FILENO, text); }

void WaitForKey() {
  if (!isatty(STDIN_FILENO)) return;  // scripts and pipes never wait
  struct termios saved;
  if (tcgetattr(STDIN_FILENO, &saved) != 0) return;
  g_saved_terminal = saved;
  g_terminal_changed = 1;  // an interrupt from here on puts it back
  struct termios raw = saved;
  // One key, no echo, no Enter needed; Ctrl-C counts as a key, as it does
  // for a console key read, so the settings are always put back.
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) {
    g_terminal_changed = 0;
    return;
  }
  unsigned char key;
  while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
  }
  // TCSAFLUSH also drops the rest of a key that sends several bytes.
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  g_terminal_changed = 0;
}

}  // namespace platform
