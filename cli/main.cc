// ReadZemlo: converts day files of stock quotations into CSV tables.
#include "cli/platform.h"
#include "cli/run.h"

int main(int argc, char** argv) {
  if (!platform::StartProcess()) return 1;
  return cli::RunReadZemlo(platform::Arguments(argc, argv));
}
