// The name of a conversion's output: the input's name with its last
// extension replaced.
#ifndef READZEMLO_CLI_OUTPUT_NAME_H_
#define READZEMLO_CLI_OUTPUT_NAME_H_

#include <string>

namespace cli {

// Cuts `name` at its last "." (directory parts included) and appends "." and
// `extension`; a name without "." just gets them appended. Returns false when
// the old extension equals `extension` byte for byte, so the output name is
// the input's own; `name` then holds that name.
bool ChangeExtension(std::string* name, const std::string& extension);

}  // namespace cli

#endif  // READZEMLO_CLI_OUTPUT_NAME_H_
