// Output names from input names.
#include "cli/output_name.h"

namespace cli {

bool ChangeExtension(std::string* name, const std::string& extension) {
  bool same = false;
  const size_t dot = name->rfind('.');
  if (dot != std::string::npos) {
    same = name->compare(dot + 1, std::string::npos, extension) == 0;
    name->resize(dot);
  }
  name->append(".").append(extension);
  return !same;
}

}  // namespace cli
