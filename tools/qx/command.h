// The table of qx subcommands. Each command adds its options to its own
// sub-application and hands back the function that runs it.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

namespace qx {

// Runs a parsed command; the result is the process's exit status.
using CommandRun = std::function<int()>;

struct Command {
  const char* name;
  const char* summary;
  CommandRun (*setup)(CLI::App& sub);
};

// Commands, one per file (command_<name>.cpp).
CommandRun SetupPrinterCommand(CLI::App& sub);
CommandRun SetupDescCommand(CLI::App& sub);
CommandRun SetupSettingsCommand(CLI::App& sub);
CommandRun SetupPrintCommand(CLI::App& sub);
CommandRun SetupViewCommand(CLI::App& sub);
CommandRun SetupBinderCommand(CLI::App& sub);

// Prints "qx: <message>" on standard error and returns the usage exit status.
int Fail(const std::string& message);
constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;

}  // namespace qx
