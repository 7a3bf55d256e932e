// qx: dispatches the subcommands from one table.
#include <cstdio>
#include <map>
#include <string>

#include "tools/qx/command.h"

namespace qx {

namespace {

// clang-format off
const Command kCommands[] = {
    {"print",    "print a document through the driver",                  SetupPrintCommand},
    {"printer",  "add, list, show, change and remove printers",          SetupPrinterCommand},
    {"view",     "render a stream's pages to PNG or list what it holds",  SetupViewCommand},
    {"desc",     "show a printer description as the driver loads it",    SetupDescCommand},
    {"settings", "make, show, change, merge and check settings records", SetupSettingsCommand},
    {"binder",   "show what a job-binder file holds",                    SetupBinderCommand},
};
// clang-format on

bool IsCommand(const std::string& name) {
  for (const Command& c : kCommands) {
    if (name == c.name) return true;
  }
  return false;
}

}  // namespace

int Fail(const std::string& message) {
  std::fprintf(stderr, "qx: %s\n", message.c_str());
  return kExitFailure;
}

int Main(int argc, char** argv) {
  CLI::App app{"qx: print, preview and inspect jobs of the KX-GL/2 printer driver", "qx"};
  app.set_version_flag("--version", std::string("qx ") + QX_VERSION);
  app.require_subcommand(1);
  std::map<const CLI::App*, CommandRun> runs;
  for (const Command& c : kCommands) {
    CLI::App* sub = app.add_subcommand(c.name, c.summary);
    runs[sub] = c.setup(*sub);
  }
  if (argc > 1 && argv[1][0] != '-' && !IsCommand(argv[1])) {
    std::fprintf(stderr, "qx: unknown command '%s' (see qx --help)\n", argv[1]);
    return kExitUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "qx: %s (see qx --help)\n", e.what());
    return kExitUsage;
  }
  for (const CLI::App* sub : app.get_subcommands()) {
    auto run = runs.find(sub);
    if (run != runs.end()) return run->second();
  }
  return kExitUsage;
}

}  // namespace qx

int main(int argc, char** argv) { return qx::Main(argc, argv); }
