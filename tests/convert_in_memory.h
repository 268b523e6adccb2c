// Runs the day file conversion on bytes in memory, for the unit tests and
// the fuzzer.
#ifndef READZEMLO_TESTS_CONVERT_IN_MEMORY_H_
#define READZEMLO_TESTS_CONVERT_IN_MEMORY_H_

#include <string>
#include <thread>

#include "dayfile/day_file.h"

namespace testing_support {

struct Converted {
  std::string console;
  std::string csv;
  dayfile::ConvertResult result;
};

// Converts `bytes` with `buffers`, which a run reuses from file to file.
inline Converted ConvertBytes(const std::string& bytes,
                              dayfile::ConvertBuffers* buffers) {
  Converted out;
  dayfile::MemoryCursor cursor{
      reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0};
  out.result = dayfile::ConvertDayFile(
      dayfile::MemorySource(&cursor), bytes.size(),
      dayfile::StringSink(&out.csv), dayfile::StringSink(&out.console),
      buffers);
  return out;
}

inline Converted ConvertBytes(const std::string& bytes) {
  dayfile::ConvertBuffers buffers = dayfile::MakeConvertBuffers();
  return ConvertBytes(bytes, &buffers);
}

// Second threads for the lanes, from the standard library.
inline dayfile::ThreadStarter StdThreads() {
  auto start = [](void (*run)(void*), void* arg, void** thread) {
    *thread = new std::thread(run, arg);
    return true;
  };
  auto join = [](void* thread) {
    auto* t = static_cast<std::thread*>(thread);
    t->join();
    delete t;
  };
  return {start, join};
}

}  // namespace testing_support

#endif  // READZEMLO_TESTS_CONVERT_IN_MEMORY_H_
