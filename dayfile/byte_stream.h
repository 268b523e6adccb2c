// Byte sources and sinks, and the buffered reader and writer the converters
// use on them.
//
// A converter reads from a ByteSource and writes to a ByteSink, so the same
// code runs on files, on memory in tests and under a fuzzer. Both move data in
// large blocks, so the indirect call costs nothing per record.
#ifndef READZEMLO_DAYFILE_BYTE_STREAM_H_
#define READZEMLO_DAYFILE_BYTE_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace dayfile {

// Working memory is written before it is read, so it is not zeroed when
// made: zeroing would touch every page of buffers that a small file never
// reaches, and page faults are most of a short run's cost.
template <typename T>
struct UnzeroedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UnzeroedAllocator<U>;
  };
  UnzeroedAllocator() = default;
  template <typename U>
  UnzeroedAllocator(const UnzeroedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
using ByteBuffer = std::vector<uint8_t, UnzeroedAllocator<uint8_t>>;
using TextBuffer = std::vector<char, UnzeroedAllocator<char>>;

struct ByteSource {
  // Reads up to `size` bytes into `dst`: the count read, 0 at the end, or -1
  // on a read error.
  int64_t (*read)(void* context, uint8_t* dst, size_t size);
  void* context;
};

struct ByteSink {
  // Writes all `size` bytes; false when they could not be written.
  bool (*write)(void* context, const char* data, size_t size);
  void* context;
};

// A source over bytes in memory; `cursor` must outlive the source.
struct MemoryCursor {
  const uint8_t* data;
  size_t size;
  size_t position;
};
ByteSource MemorySource(MemoryCursor* cursor);

// A sink that appends to `text`, which must outlive the sink.
ByteSink StringSink(std::string* text);

// A source and a sink over an open stdio stream.
ByteSource FileSource(std::FILE* file);
ByteSink FileSink(std::FILE* file);

// Writes a whole string to a sink; false on failure.
bool WriteText(ByteSink sink, const std::string& text);

// Reads a source in blocks of up to `capacity` bytes. Once `at_end` is set
// the source is not read again; `failed` tells a read error from the end.
struct BlockReader {
  ByteSource source;
  uint8_t* buffer;
  size_t capacity;
  size_t begin;  // first unconsumed byte
  size_t end;    // one past the last buffered byte
  bool at_end;
  bool failed;
};

// Starts reading `source` into `buffer` (`capacity` bytes, at least 64).
void StartReader(BlockReader* reader, ByteSource source, uint8_t* buffer,
                 size_t capacity);

// Buffers up to `size` (<= capacity) bytes without consuming them and points
// `*bytes` at them. Returns the count buffered, below `size` only at the end.
size_t Peek(BlockReader* reader, size_t size, const uint8_t** bytes);

// Consumes up to `length` bytes, as one fread of that length would. The first
// `head_size` of them are copied to `head`; the rest of `head` is zero-filled
// when fewer came. Returns the count consumed, below `length` only at the end.
size_t ReadRecordSlowly(BlockReader* reader, size_t length, uint8_t* head,
                        size_t head_size);
inline size_t ReadRecord(BlockReader* reader, size_t length, uint8_t* head,
                         size_t head_size) {
  // The common case, inline in the converters' loops: a whole record of at
  // least the head's size is buffered.
  if (reader->end - reader->begin >= length && length >= head_size) {
    std::memcpy(head, reader->buffer + reader->begin, head_size);
    reader->begin += length;
    return length;
  }
  return ReadRecordSlowly(reader, length, head, head_size);
}

// Consumes up to `size` bytes into `dst`: first what is buffered, then
// straight from the source, without the buffer. Returns the count, below
// `size` only at the end (or on a read error, which sets `failed`).
size_t ReadBytes(BlockReader* reader, uint8_t* dst, size_t size);

// Starts a reader over `size` bytes already in `bytes`, which is all there
// is to read.
void StartReaderOver(BlockReader* reader, uint8_t* bytes, size_t size);

// Collects text in a buffer of `capacity` bytes and hands it to the sink in
// large writes. After a failed write, `failed` is set and nothing more is
// written.
struct TextWriter {
  ByteSink sink;
  char* buffer;
  size_t capacity;
  size_t used;
  bool failed;
};

void StartWriter(TextWriter* writer, ByteSink sink, char* buffer,
                 size_t capacity);

// Returns room for at least `size` (<= capacity) bytes at the end of the
// buffered text; fill it, then hand the new end to Commit.
char* Reserve(TextWriter* writer, size_t size);
inline void Commit(TextWriter* writer, char* end) {
  writer->used = static_cast<size_t>(end - writer->buffer);
}

// Appends bytes, flushing as needed.
void Append(TextWriter* writer, const char* data, size_t size);

// Writes out everything buffered; false if any write failed.
bool Flush(TextWriter* writer);

// How a conversion ended.
enum class ConvertResult {
  kDone,         // the whole input was converted
  kReadFailed,   // the source reported an error; the output is incomplete
  kWriteFailed,  // the sink refused bytes; the output is incomplete
};

// Flushes the writer and tells how the conversion over both ended.
ConvertResult FinishConversion(BlockReader* reader, TextWriter* writer);

}  // namespace dayfile

#endif  // READZEMLO_DAYFILE_BYTE_STREAM_H_
