// The spooler's tables in the stand-in's database and the statements over them.
// Texts are stored as UTF-16 so that names come back exactly as written; the
// callers run these inside one WithDatabase/ReadDatabase transaction per call.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/spooler/spooler.h"

namespace platform::spool {

// A prepared statement that finalises itself. Bind indexes start at 1, columns at 0.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, std::u16string_view text);
  Statement& Bind(int index, std::int64_t value);
  // An empty vector binds NULL when `emptyIsNull`, else an empty blob.
  Statement& Bind(int index, const std::vector<unsigned char>& bytes, bool emptyIsNull = false);
  // True while there is a row to read.
  [[nodiscard]] bool Step();
  // Runs a statement that returns no rows; true when it completed.
  [[nodiscard]] bool Run();

  std::u16string Text(int column) const;
  std::int64_t Int(int column) const;
  std::vector<unsigned char> Blob(int column) const;

 private:
  sqlite3_stmt* statement_ = nullptr;
  bool ok_ = true;
};

// Printers.
std::optional<PrinterRecord> LoadPrinter(sqlite3* db, std::u16string_view name);
std::vector<PrinterRecord> LoadPrinters(sqlite3* db);
[[nodiscard]] bool InsertPrinter(sqlite3* db, const PrinterRecord& printer);
// Writes every stored member of an existing printer; false when there is none.
[[nodiscard]] bool StorePrinter(sqlite3* db, const PrinterRecord& printer);
[[nodiscard]] bool DeletePrinterRow(sqlite3* db, std::u16string_view name);
DWORD CountJobs(sqlite3* db, std::u16string_view printer);

// Printer data.
std::optional<PrinterDataValue> LoadPrinterData(sqlite3* db, std::u16string_view printer,
                                                std::u16string_view name);
std::vector<PrinterDataValue> LoadAllPrinterData(sqlite3* db, std::u16string_view printer);
[[nodiscard]] bool StorePrinterData(sqlite3* db, std::u16string_view printer,
                                    const PrinterDataValue& value);
// True when a value was there and is gone.
[[nodiscard]] bool DeletePrinterDataRow(sqlite3* db, std::u16string_view printer,
                                        std::u16string_view name);

// Jobs. A job also carries the settings record it was started with (may be empty).
struct StoredJob {
  JobRecord job;
  std::vector<unsigned char> devMode;
};
std::optional<StoredJob> LoadJob(sqlite3* db, DWORD id);
std::vector<JobRecord> LoadJobs(sqlite3* db, std::u16string_view printer);
// The new job's identifier, 0 on failure.
DWORD InsertJob(sqlite3* db, const StoredJob& job);
[[nodiscard]] bool StoreJobProgress(sqlite3* db, DWORD id, DWORD status, DWORD pages);
[[nodiscard]] bool DeleteJobRow(sqlite3* db, DWORD id);

// Forms, in the order they were added.
std::optional<FormRecord> LoadForm(sqlite3* db, std::u16string_view name);
std::vector<FormRecord> LoadForms(sqlite3* db);
[[nodiscard]] bool InsertForm(sqlite3* db, const FormRecord& form);
[[nodiscard]] bool DeleteFormRow(sqlite3* db, std::u16string_view name);

}  // namespace platform::spool
