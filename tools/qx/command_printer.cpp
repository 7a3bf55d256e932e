// qx printer: manage the printers of the stand-in spooler.
#include "tools/qx/command.h"

namespace qx {

CommandRun SetupPrinterCommand(CLI::App& sub) {
  sub.require_subcommand(1);
  sub.add_subcommand("list", "list the printers");
  return [] { return Fail("printer: the spooler is not built yet"); };
}

}  // namespace qx
