// The conversion run: names, opens, converts and closes, and reports.
#include "cli/run.h"

#include "cli/output_name.h"
#include "cli/platform.h"
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
// says whether an output that cannot be created ends the run.
Next ConvertInto(const std::string& input_name, platform::InputFile* input,
                 const std::string& output_name, bool must_create,
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
  const dayfile::ConvertResult result = dayfile::ConvertDayFile(
      dayfile::FileSource(input->file), input->size,
      dayfile::FileSink(output), dayfile::ByteSink{WriteConsole, nullptr},
      buffers);
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
                                /*must_create=*/false, buffers);
  platform::CloseInput(&input);
  return next == Next::kFail ? 1 : 0;
}

}  // namespace

int RunReadZemlo(const std::vector<std::string>& args) {
  dayfile::ConvertBuffers buffers = dayfile::MakeConvertBuffers();
  // Lanes, and their memory, only where a second processor can run one.
  if (platform::UsableProcessors() > 1) {
    buffers.lanes = dayfile::MakeLaneBuffers(dayfile::kLaneChunkBytes);
    buffers.lanes.threads = {platform::StartThread, platform::JoinThread};
  }
  if (args.size() < 2) {
    Print("Usage: ReadZemlo day_file(*.day) or \n");
    Print("Using default name:example.day\n");
    platform::WaitForKey();
    return ConvertDefaultFile(&buffers);
  }
  for (size_t n = args.size() - 1; n >= 1; --n) {
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
      continue;
    }
    const Next next = ConvertInto(input_name, &input, output_name,
                                  /*must_create=*/true, &buffers);
    platform::CloseInput(&input);
    if (next == Next::kFail) return 1;
  }
  return 0;
}

}  // namespace cli
