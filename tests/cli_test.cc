// End-to-end tests: the built ReadZemlo binary, run in a fresh temporary
// directory, checked by its console text, exit status and files.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "dayfile/csv_table.h"
#include "gtest/gtest.h"
#include "tools/day_bytes.h"

namespace {

using daybytes::HdHeader;
using daybytes::HdRecord;
using daybytes::Packed;
using daybytes::PlainRecord;

const std::string kHeader = dayfile::kCsvHeader;
const std::string kUsage =
    "Usage: ReadZemlo day_file(*.day) or \nUsing default name:example.day\n";

// The binary under test: the native build, or the Windows build run by Wine
// when READZEMLO_WINDOWS_EXE names it.
const char* WindowsExe() {
  const char* exe = std::getenv("READZEMLO_WINDOWS_EXE");
  return exe != nullptr && *exe != '\0' ? exe : nullptr;
}

#define SKIP_UNDER_WINE(why) \
  if (WindowsExe() != nullptr) GTEST_SKIP() << why

// Console text as it reaches a pipe: on Windows every line ends in CR LF.
std::string Console(const std::string& text) {
  if (WindowsExe() == nullptr) return text;
  std::string lines;
  for (const char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  return lines;
}

struct Result {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or -1 if killed or timed out
  int signal = 0;   // the signal that ended the process, if one did
};

// How the binary is started, beyond its arguments.
struct Limits {
  long file_size = -1;      // RLIMIT_FSIZE in bytes, -1 for none
  bool closed_std = false;  // descriptors 0, 1 and 2 closed, as some
                            // schedulers start programs
  int out_pipe_size = 0;    // the console pipe's capacity, 0 for the default
  bool nohup = false;       // SIGHUP ignored from the start, as nohup does
};

// A started binary, with the read ends of its console pipes.
struct Child {
  pid_t pid = -1;
  int out_fd = -1;
  int err_fd = -1;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

off_t SizeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

// Waits until `path` holds at least `size` bytes, for at most ten seconds.
bool WaitForSize(const std::string& path, off_t size) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (SizeOf(path) < size) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

// Drains both pipes (a closed one is -1) until the child closes them, for at
// most ten seconds: a run that blocks fails the test instead of hanging it.
Result Collect(Child child) {
  Result r;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(10);
  struct pollfd fds[2] = {{child.out_fd, POLLIN, 0}, {child.err_fd, POLLIN, 0}};
  int open_fds = (child.out_fd >= 0) + (child.err_fd >= 0);
  while (open_fds > 0 && std::chrono::steady_clock::now() < deadline) {
    if (poll(fds, 2, 100) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buf[4096];
      const ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_fds;
      } else {
        (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
      }
    }
  }
  for (auto& f : fds) {
    if (f.fd >= 0) close(f.fd);
  }
  if (open_fds > 0) kill(child.pid, SIGKILL);
  int wstatus = 0;
  waitpid(child.pid, &wstatus, 0);
  r.status = (open_fds == 0 && WIFEXITED(wstatus)) ? WEXITSTATUS(wstatus) : -1;
  if (open_fds == 0 && WIFSIGNALED(wstatus)) r.signal = WTERMSIG(wstatus);
  return r;
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/readzemlo_cli_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    const std::string command = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const {
    WriteFile(Path(name), bytes);
  }
  std::string Read(const std::string& name) const {
    return ReadFile(Path(name));
  }

  // Starts the binary in the test's directory with standard input from
  // /dev/null. Signals keep the dispositions the test runner has.
  Child Start(const std::vector<std::string>& args, Limits limits = {}) const {
    int out_pipe[2], err_pipe[2];
    if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return {};
    if (limits.out_pipe_size > 0) {
      fcntl(out_pipe[1], F_SETPIPE_SZ, limits.out_pipe_size);
    }
    const pid_t pid = fork();
    if (pid == 0) {
      if (limits.closed_std) {
        // Wine's own start-up breaks ("Protocol error") when descriptor 0
        // is closed with another, before the program runs; it then gets
        // no standard output or error handle at all.
        const int first = WindowsExe() != nullptr ? 1 : 0;
        if (first == 1) dup2(open("/dev/null", O_RDONLY), 0);
        for (int fd = first; fd <= 2; ++fd) close(fd);
      } else {
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        const int null_fd = open("/dev/null", O_RDONLY);
        dup2(null_fd, 0);
      }
      for (const int fd :
           {out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) {
        if (fd > 2) close(fd);
      }
      if (chdir(dir_.c_str()) != 0) _exit(127);
      if (limits.nohup) signal(SIGHUP, SIG_IGN);
      if (limits.file_size >= 0) {
        struct rlimit rl = {static_cast<rlim_t>(limits.file_size),
                            static_cast<rlim_t>(limits.file_size)};
        setrlimit(RLIMIT_FSIZE, &rl);
      }
      std::vector<const char*> argv;
      if (WindowsExe() != nullptr) {
        argv = {"wine", WindowsExe()};
      } else {
        argv = {READZEMLO_BINARY};
      }
      for (const std::string& a : args) argv.push_back(a.c_str());
      argv.push_back(nullptr);
      execvp(argv[0], const_cast<char* const*>(argv.data()));
      _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    return {pid, out_pipe[0], err_pipe[0]};
  }

  Result Run(const std::vector<std::string>& args, Limits limits = {}) const {
    return Collect(Start(args, limits));
  }

  // Appends to `args` files whose console text ("name\n", "iFileLen:1\n")
  // comes to 4094 bytes: run with a 4096-byte console pipe that nobody
  // reads, the run then blocks on printing the next name of 3 or more
  // characters, and meanwhile reads the input after it ahead.
  void AddFillersOfThePipe(const std::string& prefix,
                           std::vector<std::string>* args) const;

  std::string dir_;
};

const std::string kRecordA = PlainRecord(20240102, 1005, 1100, 995, 1050, 2.5f, 100);
const std::string kRowA = "2024/01/02,10.05,11.00,9.95,10.50,3,100\r\n";
const std::string kRecordB = PlainRecord(20240103, 5, 105, 0, 4294967295u, 1e20f, -1);
const std::string kRowB =
    "2024/01/03,0.05,1.05,0.00,42949672.95,100000002004087730000,-1\r\n";

std::string SomeHdFile() {
  const uint32_t words[6] = {Packed(true, 3, 125), Packed(true, 2, 125),
                             Packed(false, 0, 125), Packed(false, 2, 5),
                             Packed(true, 1, 25), Packed(false, 3, 7)};
  return HdHeader(1, 48, 32) + std::string(32, '\0') +
         HdRecord(-20240102, words, 32);
}
const std::string kHdConsole = "RecordNum=1\nRecordStart=48\nRecordLen=32\n";
const std::string kHdRow = "-2024/-1/-2,0.13,1.25,125.00,500.00,3,7000\r\n";

TEST_F(CliTest, NoArgumentsAndNoDefaultFile) {
  const Result r = Run({});
  EXPECT_EQ(r.out, Console(kUsage));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(Exists(Path("exmaple.csv")));
}

TEST_F(CliTest, NoArgumentsConvertsTheDefaultFile) {
  Write("example.day", kRecordA + kRecordB);
  const Result r = Run({});
  EXPECT_EQ(r.out, Console(kUsage + "iFileLen:2\n"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Read("exmaple.csv"), kHeader + kRowA + kRowB);
}

TEST_F(CliTest, ConvertsLastArgumentFirstAndSkipsMissingInputs) {
  Write("a.day", kRecordA);
  Write("b.DAY", SomeHdFile());
  const Result r = Run({"a.day", "missing.day", "b.DAY"});
  EXPECT_EQ(r.out, Console("b.DAY\n" + kHdConsole + "missing.day\n" +
                       "can't open file missing.day\n" + "a.day\n" +
                       "iFileLen:1\n"));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Read("a.csv"), kHeader + kRowA);
  EXPECT_EQ(Read("b.csv"), kHeader + kHdRow);
  EXPECT_FALSE(Exists(Path("missing.csv")));
}

TEST_F(CliTest, EmptyInputGivesEmptyTable) {
  Write("empty.day", "");
  const Result r = Run({"empty.day"});
  EXPECT_EQ(r.out, Console("empty.day\n"));
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Exists(Path("empty.csv")));
  EXPECT_EQ(Read("empty.csv"), "");
}

TEST_F(CliTest, CsvInputIsRefused) {
  Write("first.day", kRecordA);
  Write("data.csv", "keep");
  const Result r = Run({"first.day", "data.csv"});
  EXPECT_EQ(r.out, Console("data.csv\n"));
  EXPECT_EQ(r.err, "Input and output filenames (data.csv) are the same.");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(Read("data.csv"), "keep");
  EXPECT_FALSE(Exists(Path("first.csv")));  // arguments to its left wait
}

TEST_F(CliTest, OutputThatCannotBeCreatedEndsTheRun) {
  Write("first.day", kRecordA);
  Write("z.day", kRecordA);
  ASSERT_EQ(mkdir(Path("z.csv").c_str(), 0755), 0);
  const Result r = Run({"first.day", "z.day"});
  EXPECT_EQ(r.out, Console("z.day\ncan't open file z.csv\n"));
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(Exists(Path("first.csv")));
}

TEST_F(CliTest, DefaultOutputThatCannotBeCreated) {
  Write("example.day", kRecordA);
  ASSERT_EQ(mkdir(Path("exmaple.csv").c_str(), 0755), 0);
  const Result r = Run({});
  EXPECT_EQ(r.out, Console(kUsage + "can't open file exmaple.csv\n"));
  EXPECT_EQ(r.status, 0);
}

// Inputs that are not regular files are refused at once, never read from:
// a FIFO would otherwise block the run.
TEST_F(CliTest, NonRegularInputsAreSkipped) {
  ASSERT_EQ(mkdir(Path("dir.day").c_str(), 0755), 0);
  Write("good.day", kRecordA);
  std::vector<std::string> args = {"good.day", "dir.day"};
  std::string expected_out = "dir.day\ncan't open file dir.day\n";
  // Wine itself opens a Unix FIFO with a blocking open(), so these two are
  // for the native build only.
  if (WindowsExe() == nullptr) {
    ASSERT_EQ(mkfifo(Path("pipe.day").c_str(), 0644), 0);
    args.insert(args.end(), {"pipe.day", "/dev/zero"});
    expected_out = "/dev/zero\ncan't open file /dev/zero\n"
                   "pipe.day\ncan't open file pipe.day\n" + expected_out;
  }
  const Result r = Run(args);
  EXPECT_EQ(r.out, Console(expected_out + "good.day\niFileLen:1\n"));
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(Exists(Path("dir.csv")));
  EXPECT_FALSE(Exists(Path("pipe.csv")));
  EXPECT_EQ(Read("good.csv"), kHeader + kRowA);
}

// An output name that reaches the input through a link must not truncate it.
TEST_F(CliTest, OutputThatIsTheInputIsRefused) {
  Write("sym.day", kRecordA);
  ASSERT_EQ(symlink("sym.day", Path("sym.csv").c_str()), 0);
  Write("hard.day", kRecordB);
  ASSERT_EQ(link(Path("hard.day").c_str(), Path("hard.csv").c_str()), 0);
  for (const char* name : {"sym", "hard"}) {
    const std::string input = std::string(name) + ".day";
    const std::string before = Read(input);
    const Result r = Run({input});
    EXPECT_EQ(r.out, Console(input + "\n"));
    EXPECT_EQ(r.err, "Input and output filenames (" + std::string(name) +
                         ".csv) are the same.");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Read(input), before);
  }
}

void CliTest::AddFillersOfThePipe(const std::string& prefix,
                                  std::vector<std::string>* args) const {
  size_t text = 0;
  for (int i = 0; text < 4094; ++i) {
    // Names of 184 characters, the last fewer, so the text comes to 4094.
    const size_t size = std::min<size_t>(184, 4094 - text - 12);
    const std::string stem = prefix + "f" + std::to_string(i) + "_";
    const std::string name =
        stem + std::string(size - 4 - stem.size(), 'n') + ".day";
    text += name.size() + 12;
    Write(name, kRecordA);
    args->push_back(name);
  }
}

// An input that is, through a link, the table the argument to its right
// makes is read as that table once written.
TEST_F(CliTest, InputThatIsTheTableMadeJustBefore) {
  SKIP_UNDER_WINE("the pipe-capacity trick needs a POSIX console pipe");
  const std::string made = kHeader + kRowA;  // what b.day makes
  for (const bool hard : {false, true}) {
    const std::string p = hard ? "h" : "s";
    // From an earlier run, the table is there with other bytes of its size.
    Write(p + "b.day", kRecordA);
    Write(p + "b.csv", std::string(made.size(), 'x'));
    ASSERT_EQ(hard ? link(Path(p + "b.csv").c_str(), Path(p + "t.day").c_str())
                   : symlink((p + "b.csv").c_str(), Path(p + "t.day").c_str()),
              0);
    std::vector<std::string> args = {p + "t.day", p + "b.day"};
    AddFillersOfThePipe(p, &args);
    Child child = Start(args, Limits{-1, false, 4096});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const Result r = Collect(child);
    ASSERT_EQ(r.status, 0) << p;
    ASSERT_EQ(Read(p + "b.csv"), made) << p;
    // What the table converts to, read from a copy by a run of its own.
    Write(p + "copy.day", made);
    ASSERT_EQ(Run({p + "copy.day"}).status, 0);
    EXPECT_EQ(Read(p + "t.csv"), Read(p + "copy.csv")) << p;
  }
}

// A day file that grows while the run works to its right (a feed appending
// the day's quote) is converted as it is at its turn.
TEST_F(CliTest, InputThatGrowsBeforeItsTurn) {
  SKIP_UNDER_WINE("the pipe-capacity trick needs a POSIX console pipe");
  Write("t.day", kRecordA);
  std::vector<std::string> args = {"t.day", "b.day"};
  Write("b.day", kRecordA);
  AddFillersOfThePipe("", &args);
  Child child = Start(args, Limits{-1, false, 4096});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  std::ofstream(Path("t.day"), std::ios::binary | std::ios::app) << kRecordB;
  const Result r = Collect(child);
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(Read("t.csv"), kHeader + kRowA + kRowB);
}

// A file-size limit is a POSIX one: it ends Wine itself by SIGXFSZ, and a
// Windows program never meets it.
#define SKIP_FILE_SIZE_LIMIT_UNDER_WINE() \
  SKIP_UNDER_WINE("SIGXFSZ ends Wine itself; Windows has no such limit")

TEST_F(CliTest, FailedWriteIsReportedAndRemoved) {
  SKIP_FILE_SIZE_LIMIT_UNDER_WINE();
  std::string big;
  for (int i = 0; i < 2000; ++i) big += kRecordA;
  Write("first.day", kRecordA);
  Write("big.day", big);
  const Result r = Run({"first.day", "big.day"}, Limits{10000});
  EXPECT_EQ(r.out,
            Console("big.day\niFileLen:2000\ncan't write file big.csv\n"));
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(Exists(Path("big.csv")));
  EXPECT_FALSE(Exists(Path("first.csv")));
}

// Through a link the write still fails, but the link is left alone and so
// is what it points to.
TEST_F(CliTest, FailedWriteThroughLinkKeepsTheLink) {
  Write("full.day", kRecordA);
  ASSERT_EQ(symlink("/dev/full", Path("full.csv").c_str()), 0);
  const Result r = Run({"full.day"});
  EXPECT_EQ(r.out,
            Console("full.day\niFileLen:1\ncan't write file full.csv\n"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Exists(Path("full.csv")));
  EXPECT_TRUE(Exists("/dev/full"));
}

// A sparse file past 4 GiB: its records are counted in 64 bits. The output
// is cut off early by a file size limit, which also shows the write failure
// after a long run.
TEST_F(CliTest, HugeInputIsCountedIn64Bits) {
  SKIP_FILE_SIZE_LIMIT_UNDER_WINE();
  const std::string name = Path("huge.day");
  Write("huge.day", "");
  ASSERT_EQ(truncate(name.c_str(), (int64_t{1} << 32) + 64), 0);
  const Result r = Run({"huge.day"}, Limits{1 << 20});
  EXPECT_EQ(r.out, Console("huge.day\niFileLen:134217730\n"
                           "can't write file huge.csv\n"));
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(Exists(Path("huge.csv")));
}

// Stopped from outside in the middle of a long file, by each signal a user,
// a scheduler or a closed terminal sends: no partial table stays behind, a
// table finished earlier in the run is whole, and the caller sees the signal.
TEST_F(CliTest, InterruptRemovesThePartialTable) {
  SKIP_UNDER_WINE("a POSIX signal; the Windows console has its own test");
  Write("small.day", kRecordA);
  Write("big.day", "");
  // Four million records of zeros, sparse: a table of 144 MB.
  ASSERT_EQ(truncate(Path("big.day").c_str(), off_t{4000000} * 32), 0);
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    Write("big.csv", "an older table");
    unlink(Path("small.csv").c_str());
    const Child child = Start({"big.day", "small.day"});
    ASSERT_TRUE(WaitForSize(Path("big.csv"), 4 << 20)) << sig;
    kill(child.pid, sig);
    const Result r = Collect(child);
    EXPECT_EQ(r.signal, sig);
    EXPECT_EQ(r.out, "small.day\niFileLen:1\nbig.day\niFileLen:4000000\n")
        << sig;
    EXPECT_FALSE(Exists(Path("big.csv"))) << sig;
    EXPECT_EQ(Read("small.csv"), kHeader + kRowA) << sig;
  }
}

// Under nohup, a closed terminal does not stop the run.
TEST_F(CliTest, HangupIgnoredFromTheStartStaysIgnored) {
  SKIP_UNDER_WINE("a POSIX signal");
  Write("big.day", "");
  ASSERT_EQ(truncate(Path("big.day").c_str(), off_t{1000000} * 32), 0);
  Limits nohup;
  nohup.nohup = true;
  const Child child = Start({"big.day"}, nohup);
  ASSERT_TRUE(WaitForSize(Path("big.csv"), 1 << 20));
  kill(child.pid, SIGHUP);
  const Result r = Collect(child);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(SizeOf(Path("big.csv")),
            static_cast<off_t>(kHeader.size() + 1000000 * 36));
}

// `ReadZemlo *.day | head -1`: the console goes away after its first byte,
// and every table is still written whole.
TEST_F(CliTest, ConsoleThatGoesAwayDoesNotStopTheRun) {
  std::vector<std::string> args;
  for (int i = 0; i < 400; ++i) {  // more console text than the pipe holds
    args.push_back("f" + std::to_string(1000 + i) + ".day");
    Write(args.back(), kRecordA);
  }
  Child child = Start(args, Limits{-1, false, 4096});
  char first;
  ASSERT_EQ(read(child.out_fd, &first, 1), 1);
  close(child.out_fd);
  child.out_fd = -1;
  const Result r = Collect(child);
  EXPECT_EQ(r.status, 0);
  for (int i = 0; i < 400; ++i) {
    EXPECT_EQ(Read("f" + std::to_string(1000 + i) + ".csv"), kHeader + kRowA)
        << i;
  }
}

// Started with no standard descriptors at all: the input and output must
// not take the console's numbers, or console text lands in the table.
TEST_F(CliTest, ClosedStandardDescriptors) {
  Write("a.day", kRecordA + kRecordB);
  const Result r = Run({"a.day"}, Limits{-1, true, 0});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Read("a.csv"), kHeader + kRowA + kRowB);
}

TEST_F(CliTest, LongNames) {
  const std::string name(200, 'n');
  ASSERT_EQ(mkdir(Path(name).c_str(), 0755), 0);
  const std::string input = name + "/" + name + ".day";
  Write(input, kRecordA);
  const Result r = Run({input});
  EXPECT_EQ(r.out, Console(input + "\niFileLen:1\n"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Read(name + "/" + name + ".csv"), kHeader + kRowA);
}

// A short file after a longer one is judged by its own bytes: three bytes
// "hd1" must not borrow ".0\0" from the hd1.0 file converted before it.
TEST_F(CliTest, ShortFileAfterLongerOne) {
  Write("short.day", "hd1");
  Write("long.day", SomeHdFile());
  const Result r = Run({"short.day", "long.day"});
  EXPECT_EQ(r.out,
            Console("long.day\n" + kHdConsole + "short.day\niFileLen:0\n"));
  EXPECT_EQ(Read("short.csv"),
            kHeader + "0323/69/68,0.00,0.00,0.00,0.00,0,0\r\n");
}

// Names in any script: found, converted beside the input, echoed intact.
TEST_F(CliTest, NamesOutsideAscii) {
  const std::string folder = "\xe8\x82\xa1\xe7\xa5\xa8";  // Chinese
  const std::string stem = "\xe6\x97\xa5\xe7\xba\xbf";
  ASSERT_EQ(mkdir(Path(folder).c_str(), 0755), 0);
  Write(folder + "/" + stem + ".day", kRecordA);
  const Result r = Run({folder + "/" + stem + ".day"});
  EXPECT_EQ(r.out, Console(folder + "/" + stem + ".day\niFileLen:1\n"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Read(folder + "/" + stem + ".csv"), kHeader + kRowA);
}

// Windows shells leave wildcards to the program.
TEST_F(CliTest, WildcardsAreExpandedOnWindows) {
  if (WindowsExe() == nullptr) GTEST_SKIP() << "POSIX shells expand them";
  Write("a.day", kRecordA);
  Write("B.DAY", kRecordB);  // letter case does not matter
  Write("other.txt", "not a day file");
  // Their short names end in .DAY too, but "*.day" means the long names.
  for (const char* name : {"c.dayz", "d.days", "longer name file.dayold"}) {
    Write(name, kRecordA);
  }
  const Result r = Run({"*.day"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Read("a.csv"), kHeader + kRowA);
  EXPECT_EQ(Read("B.csv"), kHeader + kRowB);
  for (const char* name : {"other", "c", "d", "longer name file"}) {
    EXPECT_FALSE(Exists(Path(std::string(name) + ".csv"))) << name;
  }
  const Result none = Run({"*.nothing"});
  EXPECT_EQ(none.out, Console("*.nothing\ncan't open file *.nothing\n"));
}

// On a case-insensitive file system A.CSV and a.csv are one file: the
// output of A.CSV would truncate it.
TEST_F(CliTest, CaseOnlyNameClashOnWindows) {
  if (WindowsExe() == nullptr) GTEST_SKIP() << "needs case-insensitive names";
  Write("a.csv", kRecordA);
  const Result r = Run({"A.CSV"});
  EXPECT_EQ(r.out, Console("A.CSV\n"));
  EXPECT_EQ(r.err, "Input and output filenames (A.csv) are the same.");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(Read("a.csv"), kRecordA);
}

// The bundled examples convert to the tables kept beside the tests.
TEST_F(CliTest, BundledExamples) {
  for (const char* name : {"example", "hd_example"}) {
    Write(std::string(name) + ".day",
          ReadFile(std::string(READZEMLO_EXAMPLES) + "/" + name + ".day"));
  }
  const Result r = Run({"example.day", "hd_example.day"});
  EXPECT_EQ(r.status, 0);
  for (const char* name : {"example", "hd_example"}) {
    EXPECT_EQ(Read(std::string(name) + ".csv"),
              ReadFile(std::string(READZEMLO_GOLDEN) + "/" + name + ".csv"))
        << name;
  }
}

// The binary without arguments on a pseudo-terminal, and what it printed.
struct Terminal {
  pid_t pid = -1;
  int master = -1;
  std::string seen;

  // Reads until `want` has been printed, the child closes the terminal, or
  // ten seconds pass; true when `want` came.
  bool ReadUntil(const std::string& want) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (seen.find(want) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
      struct pollfd p = {master, POLLIN, 0};
      if (poll(&p, 1, 100) > 0) {
        char buf[256];
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) break;
        seen.append(buf, static_cast<size_t>(n));
      }
    }
    return seen.find(want) != std::string::npos;
  }
  tcflag_t LocalModes() const {
    struct termios t;
    return tcgetattr(master, &t) == 0 ? t.c_lflag : 0;
  }
};

Terminal StartOnTerminal(const std::string& dir) {
  Terminal t;
  t.pid = forkpty(&t.master, nullptr, nullptr, nullptr);
  if (t.pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    execl(READZEMLO_BINARY, READZEMLO_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  return t;
}

// On a terminal the run waits for one key, needs no Enter, echoes nothing
// and leaves the terminal as it found it.
TEST_F(CliTest, KeyWaitOnTerminal) {
  SKIP_UNDER_WINE("a pseudo-terminal is no Windows console");
  Terminal t = StartOnTerminal(dir_);
  ASSERT_GE(t.pid, 0);
  ASSERT_TRUE(t.ReadUntil("Using default name:example.day")) << t.seen;
  // Still waiting: the key has not come yet.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  int wstatus = 0;
  EXPECT_EQ(waitpid(t.pid, &wstatus, WNOHANG), 0);
  EXPECT_EQ(t.LocalModes() & (ICANON | ECHO), 0u);
  ASSERT_EQ(write(t.master, "k", 1), 1);
  t.ReadUntil("never printed");  // drains until the child closes the pty
  ASSERT_EQ(waitpid(t.pid, &wstatus, 0), t.pid);
  EXPECT_TRUE(WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0);
  EXPECT_EQ(t.seen.find('k'), std::string::npos) << "the key was echoed";
  EXPECT_EQ(t.LocalModes() & (ICANON | ECHO), ICANON | ECHO);
  close(t.master);
}

// Killed while it waits for the key: the terminal gets its echo and line
// mode back.
TEST_F(CliTest, InterruptDuringKeyWaitRestoresTheTerminal) {
  SKIP_UNDER_WINE("a pseudo-terminal is no Windows console");
  Terminal t = StartOnTerminal(dir_);
  ASSERT_GE(t.pid, 0);
  ASSERT_TRUE(t.ReadUntil("Using default name:example.day")) << t.seen;
  // The settings change right after the text: wait for them, not a guess.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while ((t.LocalModes() & ECHO) != 0 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(t.LocalModes() & (ICANON | ECHO), 0u);
  kill(t.pid, SIGTERM);
  int wstatus = 0;
  ASSERT_EQ(waitpid(t.pid, &wstatus, 0), t.pid);
  EXPECT_TRUE(WIFSIGNALED(wstatus) && WTERMSIG(wstatus) == SIGTERM);
  EXPECT_EQ(t.LocalModes() & (ICANON | ECHO), ICANON | ECHO);
  close(t.master);
}

}  // namespace
