// Playing a job into a printer's driver through the engine: opens a device
// context on the printer, makes each call of the job on it, and tells whether
// the job reached the printer's port (or the output file).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/jobscript/job_calls.h"

namespace jobscript {

struct PlayOptions {
  std::u16string printer;
  // The whole settings record the job starts from and resets change (the
  // printer's defaults); `changed` says whether the job's own settings changed
  // it, so that the device context opens with it instead of the driver's own.
  std::vector<unsigned char> settings;
  bool changed = false;
  // Native path of a file the job is written to instead of the printer's port.
  std::string outputFile;
  // Told at each page start (page from 1, of the job's page count).
  std::function<void(int page, int pages)> progress;
  // Lines for the user: escape results, calls the driver refused.
  std::function<void(const Origin& origin, const std::string& text)> note;
};

struct PlayResult {
  bool reached = false;  // the whole job went to its destination
  Origin failedAt;       // the call that stopped the job (line 0: opening or the port)
  std::string error;
  int refused = 0;  // drawing calls the driver (and the engine) refused
};

PlayResult PlayJob(const Job& job, const PlayOptions& options);

}  // namespace jobscript
