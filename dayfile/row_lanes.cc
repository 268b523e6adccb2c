// Two lanes taking chunks of rows in turn.
#include "dayfile/row_lanes.h"

#include <condition_variable>
#include <mutex>

#include "dayfile/csv_table.h"

namespace dayfile {
namespace {

// What the lanes share. Chunk c is read when `read_turn` is c and written
// when `write_turn` is c; lane L takes chunks L, L + 2, L + 4, ...
struct Lanes {
  BlockReader* reader;
  const RowLayout* layout;
  ByteSink sink;
  size_t chunk_bytes;
  LaneBuffers* buffers;
  std::mutex mutex;
  std::condition_variable turned;
  uint64_t read_turn = 0;
  uint64_t write_turn = 0;
  bool input_ended = false;  // the chunk read last was the final one
  bool write_failed = false;
};

// One lane's sink: waits for its chunk's turn, then writes to the real sink.
struct LaneSink {
  Lanes* lanes;
  uint64_t chunk;
};

bool WriteInTurn(void* context, const char* data, size_t size) {
  auto* own = static_cast<LaneSink*>(context);
  Lanes* lanes = own->lanes;
  std::unique_lock<std::mutex> lock(lanes->mutex);
  lanes->turned.wait(lock, [&] { return lanes->write_turn == own->chunk; });
  if (lanes->write_failed) return false;
  // Only the lane whose turn it is writes, so the lock need not be held
  // while it does: the other lane may take its read turn meanwhile.
  lock.unlock();
  const bool written = lanes->sink.write(lanes->sink.context, data, size);
  lock.lock();
  if (!written) lanes->write_failed = true;
  return written;
}

void RunLane(Lanes* lanes, int lane) {
  ByteBuffer& input = lanes->buffers->input[lane];
  TextBuffer& output = lanes->buffers->output[lane];
  for (uint64_t chunk = static_cast<uint64_t>(lane);; chunk += 2) {
    size_t got;
    {
      std::unique_lock<std::mutex> lock(lanes->mutex);
      lanes->turned.wait(lock, [&] { return lanes->read_turn == chunk; });
      if (lanes->input_ended || lanes->write_failed) {
        // No chunk from here on: the other lane, waiting for the next read
        // turn, sees that too. The write turn is left to the lane that
        // still writes the chunk before.
        lanes->read_turn = chunk + 1;
        lanes->turned.notify_all();
        return;
      }
      // As for writes: the turn, not the lock, keeps the reads in order.
      lock.unlock();
      got = ReadBytes(lanes->reader, input.data(), lanes->chunk_bytes);
      lock.lock();
      if (got < lanes->chunk_bytes) lanes->input_ended = true;
      lanes->read_turn = chunk + 1;
      lanes->turned.notify_all();
    }
    BlockReader rows;
    StartReaderOver(&rows, input.data(), got);
    LaneSink own{lanes, chunk};
    TextWriter writer;
    StartWriter(&writer, ByteSink{WriteInTurn, &own}, output.data(),
                output.size());
    lanes->layout->write_rows(&rows, lanes->layout->record_len, &writer);
    Flush(&writer);
    {
      // Waits for the turn even when the chunk gave no row, then passes it.
      std::unique_lock<std::mutex> lock(lanes->mutex);
      lanes->turned.wait(lock, [&] { return lanes->write_turn == chunk; });
      lanes->write_turn = chunk + 1;
      lanes->turned.notify_all();
    }
  }
}

void RunSecondLane(void* lanes) { RunLane(static_cast<Lanes*>(lanes), 1); }

}  // namespace

LaneBuffers MakeLaneBuffers(size_t chunk_bytes) {
  LaneBuffers buffers;
  buffers.threads = {nullptr, nullptr};
  for (int lane = 0; lane < 2; ++lane) {
    buffers.input[lane].resize(chunk_bytes);
    // Room for the rows of a chunk of 32-byte records, most of them; a
    // chunk of longer rows writes them in more than one piece.
    buffers.output[lane].resize(chunk_bytes * 2 + kMaxRowSize);
  }
  return buffers;
}

void WriteRowsInLanes(BlockReader* reader, const RowLayout& layout,
                      uint64_t remaining, TextWriter* writer,
                      LaneBuffers* lanes) {
  if (lanes == nullptr) {
    layout.write_rows(reader, layout.record_len, writer);
    return;
  }
  // Whole records only: a chunk of a layout's rows is as many records as
  // the lane's input holds.
  const size_t chunk_bytes =
      layout.record_len == 0
          ? 0
          : lanes->input[0].size() / layout.record_len * layout.record_len;
  const bool worth_it = lanes->threads.start != nullptr && chunk_bytes != 0 &&
                        remaining > chunk_bytes;
  // Whatever went before the rows (the header line) goes out first.
  if (!worth_it || !Flush(writer)) {
    layout.write_rows(reader, layout.record_len, writer);
    return;
  }
  Lanes shared;
  shared.reader = reader;
  shared.layout = &layout;
  shared.sink = writer->sink;
  shared.chunk_bytes = chunk_bytes;
  shared.buffers = lanes;
  void* thread = nullptr;
  const bool two = lanes->threads.start(RunSecondLane, &shared, &thread);
  if (!two) {
    layout.write_rows(reader, layout.record_len, writer);
    return;
  }
  RunLane(&shared, 0);
  lanes->threads.join(thread);
  if (shared.write_failed) writer->failed = true;
}

}  // namespace dayfile
