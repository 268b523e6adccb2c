// Byte sources and sinks, and block-buffered reading and writing over them.
#include "dayfile/byte_stream.h"

#include <algorithm>
#include <cstring>

namespace dayfile {
namespace {

int64_t ReadMemory(void* context, uint8_t* dst, size_t size) {
  auto* cursor = static_cast<MemoryCursor*>(context);
  const size_t n = std::min(size, cursor->size - cursor->position);
  if (n != 0) std::memcpy(dst, cursor->data + cursor->position, n);
  cursor->position += n;
  return static_cast<int64_t>(n);
}

bool WriteString(void* context, const char* data, size_t size) {
  static_cast<std::string*>(context)->append(data, size);
  return true;
}

int64_t ReadFile(void* context, uint8_t* dst, size_t size) {
  auto* file = static_cast<std::FILE*>(context);
  const size_t n = std::fread(dst, 1, size, file);
  if (n == 0 && std::ferror(file)) return -1;
  return static_cast<int64_t>(n);
}

bool WriteFile(void* context, const char* data, size_t size) {
  return std::fwrite(data, 1, size, static_cast<std::FILE*>(context)) == size;
}

// One read of up to `room` bytes into `dst`: the count read, 0 when the
// source has ended (at_end set, and failed on a read error).
size_t ReadOnce(BlockReader* reader, uint8_t* dst, size_t room) {
  const int64_t n = reader->source.read(reader->source.context, dst, room);
  if (n > 0) return static_cast<size_t>(n);
  reader->at_end = true;
  reader->failed = n < 0;
  return 0;
}

// Moves the unconsumed bytes to the front and reads until `size` bytes are
// buffered, the buffer is full, or the source ends.
void Fill(BlockReader* reader, size_t size) {
  if (reader->begin != 0) {
    const size_t held = reader->end - reader->begin;
    std::memmove(reader->buffer, reader->buffer + reader->begin, held);
    reader->begin = 0;
    reader->end = held;
  }
  while (!reader->at_end && reader->end < size) {
    reader->end += ReadOnce(reader, reader->buffer + reader->end,
                            reader->capacity - reader->end);
  }
}

}  // namespace

ByteSource MemorySource(MemoryCursor* cursor) { return {ReadMemory, cursor}; }
ByteSink StringSink(std::string* text) { return {WriteString, text}; }
ByteSource FileSource(std::FILE* file) { return {ReadFile, file}; }
ByteSink FileSink(std::FILE* file) { return {WriteFile, file}; }

bool WriteText(ByteSink sink, const std::string& text) {
  return sink.write(sink.context, text.data(), text.size());
}

void StartReader(BlockReader* reader, ByteSource source, uint8_t* buffer,
                 size_t capacity) {
  *reader = {source, buffer, capacity, 0, 0, false, false};
}

size_t Peek(BlockReader* reader, size_t size, const uint8_t** bytes) {
  if (reader->end - reader->begin < size) Fill(reader, size);
  *bytes = reader->buffer + reader->begin;
  return std::min(size, reader->end - reader->begin);
}

size_t ReadRecordSlowly(BlockReader* reader, size_t length, uint8_t* head,
                        size_t head_size) {
  size_t held = reader->end - reader->begin;
  if (held >= length) {  // the common case: the whole record is buffered
    const uint8_t* record = reader->buffer + reader->begin;
    reader->begin += length;
    if (length >= head_size) {
      std::memcpy(head, record, head_size);
    } else {
      std::memcpy(head, record, length);
      std::memset(head + length, 0, head_size - length);
    }
    return length;
  }
  // The record crosses a block boundary, or the source ends inside it.
  size_t consumed = 0;
  while (consumed < length) {
    if (reader->begin == reader->end) {
      if (reader->at_end) break;
      Fill(reader, 1);
      continue;
    }
    held = std::min(reader->end - reader->begin, length - consumed);
    if (consumed < head_size) {
      const size_t n = std::min(held, head_size - consumed);
      std::memcpy(head + consumed, reader->buffer + reader->begin, n);
    }
    reader->begin += held;
    consumed += held;
  }
  if (consumed < head_size) {
    std::memset(head + consumed, 0, head_size - consumed);
  }
  return consumed;
}

size_t ReadBytes(BlockReader* reader, uint8_t* dst, size_t size) {
  size_t got = std::min(size, reader->end - reader->begin);
  if (got != 0) std::memcpy(dst, reader->buffer + reader->begin, got);
  reader->begin += got;
  while (got < size && !reader->at_end) {
    got += ReadOnce(reader, dst + got, size - got);
  }
  return got;
}

namespace {
int64_t ReadNothing(void*, uint8_t*, size_t) { return 0; }
}  // namespace

void StartReaderOver(BlockReader* reader, uint8_t* bytes, size_t size) {
  *reader = {ByteSource{ReadNothing, nullptr}, bytes, size, 0, size, true,
             false};
}

void StartWriter(TextWriter* writer, ByteSink sink, char* buffer,
                 size_t capacity) {
  *writer = {sink, buffer, capacity, 0, false};
}

bool Flush(TextWriter* writer) {
  if (!writer->failed && writer->used != 0 &&
      !writer->sink.write(writer->sink.context, writer->buffer,
                          writer->used)) {
    writer->failed = true;
  }
  writer->used = 0;
  return !writer->failed;
}

char* Reserve(TextWriter* writer, size_t size) {
  if (writer->capacity - writer->used < size) Flush(writer);
  return writer->buffer + writer->used;
}

void Append(TextWriter* writer, const char* data, size_t size) {
  while (size != 0) {
    if (writer->used == writer->capacity) Flush(writer);
    const size_t n = std::min(size, writer->capacity - writer->used);
    std::memcpy(writer->buffer + writer->used, data, n);
    writer->used += n;
    data += n;
    size -= n;
  }
}

ConvertResult FinishConversion(BlockReader* reader, TextWriter* writer) {
  if (!Flush(writer)) return ConvertResult::kWriteFailed;
  if (reader->failed) return ConvertResult::kReadFailed;
  return ConvertResult::kDone;
}

}  // namespace dayfile
