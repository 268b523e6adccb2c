// The conversion run: names, opens, converts and closes, and reports.
#include "cli/run.h"

#include "cli/output_name.h"
#include "cli/platform.h"
#include "cli/read_ahead.h"
#include "dayfile/day_file.h"

namespace cli {
namespace {

bool WriteConsole(void*, const char* data, size_t size) {
  platform::WriteOut(std::string(data, size));
  return true;
}

void Print(const std::string& text) { platform::WriteOut(text); }

void RefuseSameName(const std::string& output) {
  platform::WriteErr("Input and output filenames (" + output +
                     ") are the same.");
}

enum class Next {
  kGoOn,  // on to the next argument
  kFail,  // end the run with exit status 1
};

// Converts the open `input` into a table named `output_name`, which it
// creates, writes and closes; the caller closes the input. `must_create`
// says whether an output that cannot be created ends the run. A `prepared`
// table, made ahead from this very input, is written instead of converting.
Next ConvertInto(const std::string& input_name, platform::InputFile* input,
                 const std::string& output_name, bool must_create,
                 const PreparedTable* prepared,
                 dayfile::ConvertBuffers* buffers) {
  // A link, a second hard link or a case-folded name may make the output the
  // input itself: creating it would truncate the day file being read.
  if (platform::IsSameFile(output_name, input->identity)) {
    RefuseSameName(output_name);
    return Next::kFail;
  }
  std::FILE* output = platform::CreateOutput(output_name);
  if (output == nullptr) {
    Print("can't open file " + output_name + "\n");
    return must_create ? Next::kFail : Next::kGoOn;
  }
  dayfile::ConvertResult result;
  if (prepared != nullptr) {
    // What the conversion would print, then its rows, as it would.
    if (!prepared->console.empty()) Print(prepared->console);
    result = dayfile::WriteText(dayfile::FileSink(output), prepared->rows)
                 ? dayfile::ConvertResult::kDone
                 : dayfile::ConvertResult::kWriteFailed;
  } else {
    result = dayfile::ConvertDayFile(
        dayfile::FileSource(input->file), input->size,
        dayfile::FileSink(output), dayfile::ByteSink{WriteConsole, nullptr},
        buffers);
  }
  const bool closed = platform::CloseOutput(output);
  if (result == dayfile::ConvertResult::kReadFailed) {
    Print("can't read file " + input_name + "\n");
  } else if (result == dayfile::ConvertResult::kWriteFailed || !closed) {
    Print("can't write file " + output_name + "\n");
  } else {
    platform::KeepOutput();
    return Next::kGoOn;
  }
  // A half-written table must not pass for a whole one.
  platform::RemoveOutput();
  return Next::kFail;
}

int ConvertDefaultFile(dayfile::ConvertBuffers* buffers) {
  platform::InputFile input;
  if (!platform::OpenInput(kDefaultInput, &input)) return 0;
  const Next next = ConvertInto(kDefaultInput, &input, kDefaultOutput,
                                /*must_create=*/false, nullptr, buffers);
  platform::CloseInput(&input);
  return next == Next::kFail ? 1 : 0;
}

// Converts args[n] for n from the last to 1; `ahead` (if not null) makes
// each next table meanwhile.
int ConvertEach(const std::vector<std::string>& args, ReadAhead* ahead,
                dayfile::ConvertBuffers* buffers) {
  if (ahead != nullptr) AskReadAhead(ahead, args.back());
  // The table made in the step before, while this step's input was read
  // ahead: if the input is that table, what was read ahead is stale.
  std::string made_before;
  for (size_t n = args.size() - 1; n >= 1; --n) {
    const PreparedTable* prepared = nullptr;
    if (ahead != nullptr) {
      prepared = TakeReadAhead(ahead);
      if (n > 1) AskReadAhead(ahead, args[n - 1]);
    }
    const std::string& input_name = args[n];
    Print(input_name + "\n");
    std::string output_name = input_name;
    if (!ChangeExtension(&output_name, "csv")) {
      RefuseSameName(output_name);
      return 1;
    }
    platform::InputFile input;
    if (!platform::OpenInput(input_name, &input)) {
      Print("can't open file " + input_name + "\n");
      made_before.clear();
      continue;
    }
    if (prepared != nullptr && !StandsFor(*prepared, input, made_before)) {
      prepared = nullptr;
    }
    const Next next = ConvertInto(input_name, &input, output_name,
                                  /*must_create=*/true, prepared, buffers);
    platform::CloseInput(&input);
    if (next == Next::kFail) return 1;
    made_before = output_name;
  }
  return 0;
}

}  // namespace

int RunReadZemlo(const std::vector<std::string>& args) {
  dayfile::ConvertBuffers buffers = dayfile::MakeConvertBuffers();
  const bool two_processors = platform::UsableProcessors() > 1;
  // Lanes, and their memory, only where a second processor can run one.
  if (two_processors) {
    buffers.lanes = dayfile::MakeLaneBuffers(dayfile::kLaneChunkBytes);
    buffers.lanes.threads = {platform::StartThread, platform::JoinThread};
  }
  if (args.size() < 2) {
    Print("Usage: ReadZemlo day_file(*.day) or \n");
    Print("Using default name:example.day\n");
    platform::WaitForKey();
    return ConvertDefaultFile(&buffers);
  }
  // With a second processor, each next input is read and converted while
  // the table before it is written.
  ReadAhead ahead;
  const bool reading_ahead =
      two_processors && args.size() > 2 && StartReadAhead(&ahead);
  const int status =
      ConvertEach(args, reading_ahead ? &ahead : nullptr, &buffers);
  StopReadAhead(&ahead);
  return status;
}

}  // namespace cli
