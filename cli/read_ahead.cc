// The read-ahead thread: opens, reads and converts, into memory only.
#include "cli/read_ahead.h"

namespace cli {
namespace {

// Appends to a string up to kReadAheadRowBytes, then refuses.
bool AppendCapped(void* context, const char* data, size_t size) {
  auto* text = static_cast<std::string*>(context);
  if (size > kReadAheadRowBytes - text->size()) return false;
  text->append(data, size);
  return true;
}

// Makes `table` from input `name` with `buffers`; any trouble (a name that
// is not a regular file or does not open, a large file, a read error) leaves
// it not whole, for the run to meet at the input's turn as it always would.
void Prepare(const std::string& name, dayfile::ConvertBuffers* buffers,
             PreparedTable* table) {
  table->whole = false;
  table->console.clear();
  table->rows.clear();
  platform::InputFile input;
  if (!platform::IsRegularFile(name) || !platform::OpenInput(name, &input)) {
    return;
  }
  table->identity = input.identity;
  table->size = input.size;
  if (input.size <= kReadAheadInputBytes) {
    table->whole =
        dayfile::ConvertDayFile(
            dayfile::FileSource(input.file), input.size,
            dayfile::ByteSink{AppendCapped, &table->rows},
            dayfile::StringSink(&table->console),
            buffers) == dayfile::ConvertResult::kDone;
  }
  platform::CloseInput(&input);
}

void RunReadAhead(void* arg) {
  auto* ahead = static_cast<ReadAhead*>(arg);
  std::unique_lock<std::mutex> lock(ahead->mutex);
  for (;;) {
    ahead->changed.wait(lock, [&] { return ahead->asked || ahead->stop; });
    if (ahead->stop) return;
    ahead->asked = false;
    const std::string name = ahead->name;
    PreparedTable* table = &ahead->tables[ahead->filling];
    // The run touches neither the name nor this table until `done`.
    lock.unlock();
    Prepare(name, &ahead->buffers, table);
    lock.lock();
    ahead->done = true;
    ahead->busy = false;
    ahead->changed.notify_all();
  }
}

}  // namespace

bool StartReadAhead(ReadAhead* ahead) {
  ahead->buffers = dayfile::MakeConvertBuffers();
  ahead->running =
      platform::StartThread(RunReadAhead, ahead, &ahead->thread);
  return ahead->running;
}

void AskReadAhead(ReadAhead* ahead, const std::string& name) {
  std::lock_guard<std::mutex> lock(ahead->mutex);
  ahead->name = name;
  ahead->asked = true;
  ahead->busy = true;
  ahead->done = false;
  ahead->changed.notify_all();
}

const PreparedTable* TakeReadAhead(ReadAhead* ahead) {
  std::unique_lock<std::mutex> lock(ahead->mutex);
  ahead->changed.wait(lock, [&] { return ahead->done; });
  ahead->done = false;
  const PreparedTable* made = &ahead->tables[ahead->filling];
  ahead->filling ^= 1;
  return made;
}

void StopReadAhead(ReadAhead* ahead) {
  if (!ahead->running) return;
  {
    std::unique_lock<std::mutex> lock(ahead->mutex);
    // A table being made is finished first: the thread holds an open input.
    ahead->changed.wait(lock, [&] { return !ahead->busy; });
    ahead->stop = true;
    ahead->changed.notify_all();
  }
  platform::JoinThread(ahead->thread);
  ahead->running = false;
}

bool StandsFor(const PreparedTable& table, const platform::InputFile& input,
               const std::string& made_before) {
  return table.whole && table.identity == input.identity &&
         table.size == input.size &&
         (made_before.empty() ||
          !platform::IsSameFile(made_before, input.identity));
}

}  // namespace cli
