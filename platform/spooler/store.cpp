// The spooler's tables: printers, their data, jobs and the forms database.
#include "platform/spooler/store.h"

#include "platform/registry/database.h"

namespace platform::spool {

namespace {

// Printer data, jobs and the registry view follow their printer; names compare
// without regard to case, as the platform compares printer and value names.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS spool_printers(
  name TEXT PRIMARY KEY COLLATE NOCASE,
  server TEXT NOT NULL, share TEXT NOT NULL, port TEXT NOT NULL,
  comment TEXT NOT NULL, location TEXT NOT NULL, datatype TEXT NOT NULL,
  attributes INTEGER NOT NULL, status INTEGER NOT NULL, devmode BLOB,
  may_change INTEGER NOT NULL,
  driver_name TEXT NOT NULL, environment TEXT NOT NULL, driver_version INTEGER NOT NULL,
  driver_path TEXT NOT NULL, data_file TEXT NOT NULL, config_file TEXT NOT NULL,
  object_guid TEXT NOT NULL, directory_updates INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS spool_printer_data(
  printer TEXT NOT NULL COLLATE NOCASE
    REFERENCES spool_printers(name) ON DELETE CASCADE ON UPDATE CASCADE,
  name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL,
  PRIMARY KEY(printer, name));
CREATE TABLE IF NOT EXISTS spool_jobs(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  printer TEXT NOT NULL COLLATE NOCASE
    REFERENCES spool_printers(name) ON DELETE CASCADE ON UPDATE CASCADE,
  document TEXT NOT NULL, owner TEXT NOT NULL, machine TEXT NOT NULL,
  datatype TEXT NOT NULL, status INTEGER NOT NULL, pages INTEGER NOT NULL,
  submitted BLOB NOT NULL, devmode BLOB);
CREATE TABLE IF NOT EXISTS spool_forms(
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL UNIQUE COLLATE NOCASE, flags INTEGER NOT NULL,
  width INTEGER NOT NULL, height INTEGER NOT NULL,
  area_left INTEGER NOT NULL, area_top INTEGER NOT NULL,
  area_right INTEGER NOT NULL, area_bottom INTEGER NOT NULL);
)sql";

const bool kSchemaRegistered = (RegisterSchema(kSchema), true);

constexpr const char* kPrinterColumns =
    "name, server, share, port, comment, location, datatype, attributes, status, devmode, "
    "may_change, driver_name, environment, driver_version, driver_path, data_file, "
    "config_file, object_guid, directory_updates";

PrinterRecord ReadPrinter(const Statement& s) {
  PrinterRecord p;
  p.name = s.Text(0);
  p.serverName = s.Text(1);
  p.shareName = s.Text(2);
  p.portName = s.Text(3);
  p.comment = s.Text(4);
  p.location = s.Text(5);
  p.datatype = s.Text(6);
  p.attributes = static_cast<DWORD>(s.Int(7));
  p.status = static_cast<DWORD>(s.Int(8));
  p.devMode = s.Blob(9);
  p.userMayChange = s.Int(10) != 0;
  p.driver.name = s.Text(11);
  p.driver.environment = s.Text(12);
  p.driver.version = static_cast<DWORD>(s.Int(13));
  p.driver.driverPath = s.Text(14);
  p.driver.dataFile = s.Text(15);
  p.driver.configFile = s.Text(16);
  p.objectGuid = s.Text(17);
  p.directoryUpdates = static_cast<DWORD>(s.Int(18));
  return p;
}

// Binds the members in kPrinterColumns order, from index 1.
void BindPrinter(Statement& s, const PrinterRecord& p) {
  s.Bind(1, p.name).Bind(2, p.serverName).Bind(3, p.shareName).Bind(4, p.portName);
  s.Bind(5, p.comment).Bind(6, p.location).Bind(7, p.datatype);
  s.Bind(8, std::int64_t{p.attributes}).Bind(9, std::int64_t{p.status});
  s.Bind(10, p.devMode, true).Bind(11, std::int64_t{p.userMayChange ? 1 : 0});
  s.Bind(12, p.driver.name).Bind(13, p.driver.environment);
  s.Bind(14, std::int64_t{p.driver.version}).Bind(15, p.driver.driverPath);
  s.Bind(16, p.driver.dataFile).Bind(17, p.driver.configFile);
  s.Bind(18, p.objectGuid).Bind(19, std::int64_t{p.directoryUpdates});
}

// SYSTEMTIME as eight little-endian 16-bit words, in member order.
std::vector<unsigned char> PackTime(const SYSTEMTIME& t) {
  const WORD words[8] = {t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
                         t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
  std::vector<unsigned char> bytes(16);
  for (int i = 0; i < 8; ++i) {
    bytes[2 * i] = static_cast<unsigned char>(words[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<unsigned char>(words[i] >> 8);
  }
  return bytes;
}

SYSTEMTIME UnpackTime(const std::vector<unsigned char>& bytes) {
  WORD words[8] = {};
  for (std::size_t i = 0; i < 8 && 2 * i + 1 < bytes.size(); ++i) {
    words[i] = static_cast<WORD>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return SYSTEMTIME{words[0], words[1], words[2], words[3], words[4], words[5], words[6], words[7]};
}

JobRecord ReadJob(const Statement& s) {
  JobRecord j;
  j.id = static_cast<DWORD>(s.Int(0));
  j.printer = s.Text(1);
  j.document = s.Text(2);
  j.owner = s.Text(3);
  j.machine = s.Text(4);
  j.datatype = s.Text(5);
  j.status = static_cast<DWORD>(s.Int(6));
  j.totalPages = static_cast<DWORD>(s.Int(7));
  j.submitted = UnpackTime(s.Blob(8));
  return j;
}

constexpr const char* kJobColumns =
    "id, printer, document, owner, machine, datatype, status, pages, submitted, devmode";

FormRecord ReadForm(const Statement& s) {
  FormRecord f;
  f.name = s.Text(0);
  f.flags = static_cast<DWORD>(s.Int(1));
  f.size = SIZEL{static_cast<LONG>(s.Int(2)), static_cast<LONG>(s.Int(3))};
  f.imageableArea = RECTL{static_cast<LONG>(s.Int(4)), static_cast<LONG>(s.Int(5)),
                          static_cast<LONG>(s.Int(6)), static_cast<LONG>(s.Int(7))};
  return f;
}

constexpr const char* kFormColumns =
    "name, flags, width, height, area_left, area_top, area_right, area_bottom";

std::string Sql(const char* head, const char* columns, const char* tail) {
  return std::string(head) + columns + tail;
}

}  // namespace

Statement::Statement(sqlite3* db, const char* sql) {
  (void)kSchemaRegistered;
  if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement_);
    statement_ = nullptr;
  }
}

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement& Statement::Bind(int index, std::u16string_view text) {
  static const char16_t kEmpty[] = u"";
  const void* data = text.empty() ? kEmpty : text.data();
  if (statement_ &&
      sqlite3_bind_text16(statement_, index, data, static_cast<int>(text.size() * sizeof(char16_t)),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
    ok_ = false;
  }
  return *this;
}

Statement& Statement::Bind(int index, std::int64_t value) {
  if (statement_ && sqlite3_bind_int64(statement_, index, value) != SQLITE_OK) ok_ = false;
  return *this;
}

Statement& Statement::Bind(int index, const std::vector<unsigned char>& bytes, bool emptyIsNull) {
  if (!statement_) return *this;
  int rc = SQLITE_OK;
  if (bytes.empty()) {
    rc = emptyIsNull ? sqlite3_bind_null(statement_, index)
                     : sqlite3_bind_zeroblob(statement_, index, 0);
  } else {
    rc = sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()),
                           SQLITE_TRANSIENT);
  }
  if (rc != SQLITE_OK) ok_ = false;
  return *this;
}

bool Statement::Step() { return statement_ && ok_ && sqlite3_step(statement_) == SQLITE_ROW; }

bool Statement::Run() { return statement_ && ok_ && sqlite3_step(statement_) == SQLITE_DONE; }

std::u16string Statement::Text(int column) const {
  const void* text = sqlite3_column_text16(statement_, column);
  int bytes = sqlite3_column_bytes16(statement_, column);
  if (text == nullptr || bytes <= 0) return {};
  return std::u16string(static_cast<const char16_t*>(text),
                        static_cast<std::size_t>(bytes) / sizeof(char16_t));
}

std::int64_t Statement::Int(int column) const { return sqlite3_column_int64(statement_, column); }

std::vector<unsigned char> Statement::Blob(int column) const {
  const void* data = sqlite3_column_blob(statement_, column);
  int bytes = sqlite3_column_bytes(statement_, column);
  if (data == nullptr || bytes <= 0) return {};
  const auto* first = static_cast<const unsigned char*>(data);
  return std::vector<unsigned char>(first, first + bytes);
}

std::optional<PrinterRecord> LoadPrinter(sqlite3* db, std::u16string_view name) {
  Statement s(db, Sql("SELECT ", kPrinterColumns, " FROM spool_printers WHERE name = ?").c_str());
  s.Bind(1, name);
  if (!s.Step()) return std::nullopt;
  return ReadPrinter(s);
}

std::vector<PrinterRecord> LoadPrinters(sqlite3* db) {
  Statement s(db, Sql("SELECT ", kPrinterColumns, " FROM spool_printers ORDER BY name").c_str());
  std::vector<PrinterRecord> printers;
  while (s.Step()) printers.push_back(ReadPrinter(s));
  return printers;
}

bool InsertPrinter(sqlite3* db, const PrinterRecord& printer) {
  Statement s(db, Sql("INSERT INTO spool_printers(", kPrinterColumns,
                      ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)")
                      .c_str());
  BindPrinter(s, printer);
  return s.Run();
}

bool StorePrinter(sqlite3* db, const PrinterRecord& printer) {
  Statement s(db,
              "UPDATE spool_printers SET name = ?1, server = ?2, share = ?3, port = ?4, "
              "comment = ?5, location = ?6, datatype = ?7, attributes = ?8, status = ?9, "
              "devmode = ?10, may_change = ?11, driver_name = ?12, environment = ?13, "
              "driver_version = ?14, driver_path = ?15, data_file = ?16, config_file = ?17, "
              "object_guid = ?18, directory_updates = ?19 WHERE name = ?1");
  BindPrinter(s, printer);
  return s.Run() && sqlite3_changes(db) == 1;
}

bool DeletePrinterRow(sqlite3* db, std::u16string_view name) {
  Statement s(db, "DELETE FROM spool_printers WHERE name = ?");
  s.Bind(1, name);
  return s.Run() && sqlite3_changes(db) == 1;
}

DWORD CountJobs(sqlite3* db, std::u16string_view printer) {
  Statement s(db, "SELECT COUNT(*) FROM spool_jobs WHERE printer = ?");
  s.Bind(1, printer);
  return s.Step() ? static_cast<DWORD>(s.Int(0)) : 0;
}

std::optional<PrinterDataValue> LoadPrinterData(sqlite3* db, std::u16string_view printer,
                                                std::u16string_view name) {
  Statement s(db, "SELECT name, type, data FROM spool_printer_data WHERE printer = ? AND name = ?");
  s.Bind(1, printer).Bind(2, name);
  if (!s.Step()) return std::nullopt;
  return PrinterDataValue{s.Text(0), static_cast<DWORD>(s.Int(1)), s.Blob(2)};
}

std::vector<PrinterDataValue> LoadAllPrinterData(sqlite3* db, std::u16string_view printer) {
  Statement s(db,
              "SELECT name, type, data FROM spool_printer_data WHERE printer = ? ORDER BY name");
  s.Bind(1, printer);
  std::vector<PrinterDataValue> values;
  while (s.Step()) values.push_back({s.Text(0), static_cast<DWORD>(s.Int(1)), s.Blob(2)});
  return values;
}

bool StorePrinterData(sqlite3* db, std::u16string_view printer, const PrinterDataValue& value) {
  // The name keeps the case of its first writer, as a registry value does.
  Statement s(db,
              "INSERT INTO spool_printer_data(printer, name, type, data) VALUES (?,?,?,?) "
              "ON CONFLICT(printer, name) DO UPDATE SET type = excluded.type, "
              "data = excluded.data");
  s.Bind(1, printer).Bind(2, value.name).Bind(3, std::int64_t{value.type}).Bind(4, value.bytes);
  return s.Run();
}

bool DeletePrinterDataRow(sqlite3* db, std::u16string_view printer, std::u16string_view name) {
  Statement s(db, "DELETE FROM spool_printer_data WHERE printer = ? AND name = ?");
  s.Bind(1, printer).Bind(2, name);
  return s.Run() && sqlite3_changes(db) == 1;
}

std::optional<StoredJob> LoadJob(sqlite3* db, DWORD id) {
  Statement s(db, Sql("SELECT ", kJobColumns, " FROM spool_jobs WHERE id = ?").c_str());
  s.Bind(1, std::int64_t{id});
  if (!s.Step()) return std::nullopt;
  return StoredJob{ReadJob(s), s.Blob(9)};
}

std::vector<JobRecord> LoadJobs(sqlite3* db, std::u16string_view printer) {
  Statement s(
      db, Sql("SELECT ", kJobColumns, " FROM spool_jobs WHERE printer = ? ORDER BY id").c_str());
  s.Bind(1, printer);
  std::vector<JobRecord> jobs;
  while (s.Step()) jobs.push_back(ReadJob(s));
  return jobs;
}

DWORD InsertJob(sqlite3* db, const StoredJob& stored) {
  const JobRecord& j = stored.job;
  Statement s(db,
              "INSERT INTO spool_jobs(printer, document, owner, machine, datatype, status, "
              "pages, submitted, devmode) VALUES (?,?,?,?,?,?,?,?,?)");
  s.Bind(1, j.printer).Bind(2, j.document).Bind(3, j.owner).Bind(4, j.machine);
  s.Bind(5, j.datatype).Bind(6, std::int64_t{j.status}).Bind(7, std::int64_t{j.totalPages});
  s.Bind(8, PackTime(j.submitted)).Bind(9, stored.devMode, true);
  if (!s.Run()) return 0;
  return static_cast<DWORD>(sqlite3_last_insert_rowid(db));
}

bool StoreJobProgress(sqlite3* db, DWORD id, DWORD status, DWORD pages) {
  Statement s(db, "UPDATE spool_jobs SET status = ?, pages = ? WHERE id = ?");
  s.Bind(1, std::int64_t{status}).Bind(2, std::int64_t{pages}).Bind(3, std::int64_t{id});
  return s.Run();
}

bool DeleteJobRow(sqlite3* db, DWORD id) {
  Statement s(db, "DELETE FROM spool_jobs WHERE id = ?");
  s.Bind(1, std::int64_t{id});
  return s.Run() && sqlite3_changes(db) == 1;
}

std::optional<FormRecord> LoadForm(sqlite3* db, std::u16string_view name) {
  Statement s(db, Sql("SELECT ", kFormColumns, " FROM spool_forms WHERE name = ?").c_str());
  s.Bind(1, name);
  if (!s.Step()) return std::nullopt;
  return ReadForm(s);
}

std::vector<FormRecord> LoadForms(sqlite3* db) {
  Statement s(db, Sql("SELECT ", kFormColumns, " FROM spool_forms ORDER BY id").c_str());
  std::vector<FormRecord> forms;
  while (s.Step()) forms.push_back(ReadForm(s));
  return forms;
}

bool InsertForm(sqlite3* db, const FormRecord& f) {
  Statement s(db,
              Sql("INSERT INTO spool_forms(", kFormColumns, ") VALUES (?,?,?,?,?,?,?,?)").c_str());
  s.Bind(1, f.name).Bind(2, std::int64_t{f.flags});
  s.Bind(3, std::int64_t{f.size.cx}).Bind(4, std::int64_t{f.size.cy});
  s.Bind(5, std::int64_t{f.imageableArea.left}).Bind(6, std::int64_t{f.imageableArea.top});
  s.Bind(7, std::int64_t{f.imageableArea.right}).Bind(8, std::int64_t{f.imageableArea.bottom});
  return s.Run();
}

bool DeleteFormRow(sqlite3* db, std::u16string_view name) {
  Statement s(db, "DELETE FROM spool_forms WHERE name = ?");
  s.Bind(1, name);
  return s.Run() && sqlite3_changes(db) == 1;
}

}  // namespace platform::spool
