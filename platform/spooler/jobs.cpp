// Jobs: a document started on a printer handle, its pages and bytes, the job
// list that GetJobW reads, and the test capture and write faults.
#include <algorithm>
#include <cstring>

#include "platform/base/error.h"
#include "platform/base/system.h"
#include "platform/base/text.h"
#include "platform/files/paths.h"
#include "platform/registry/database.h"
#include "platform/spooler/handles.h"
#include "platform/spooler/pack.h"
#include "platform/spooler/store.h"

namespace platform::spool {

namespace {

// Jobs captured in memory while the capture is on.
std::mutex captureLock;
bool capturing = false;
std::vector<test::CapturedJob>& Captured() {
  static auto* jobs = new std::vector<test::CapturedJob>;
  return *jobs;
}

// The armed write fault: the call that fails and how.
std::mutex faultLock;
DWORD faultCountdown = 0;
DWORD faultError = 0;
DWORD faultWritten = 0;

// The captured job `id` (caller holds captureLock); null once the capture was reset.
test::CapturedJob* FindCaptured(DWORD id) {
  for (test::CapturedJob& job : Captured()) {
    if (job.id == id) return &job;
  }
  return nullptr;
}

// Keeps a job's bytes in the capture list instead of sending them anywhere.
class CaptureSink : public PortSink {
 public:
  explicit CaptureSink(DWORD id) : id_(id) {}
  bool Write(const unsigned char* bytes, std::size_t size, std::size_t* sent,
             PortFailure*) override {
    std::lock_guard<std::mutex> guard(captureLock);
    if (test::CapturedJob* job = FindCaptured(id_)) {
      job->bytes.insert(job->bytes.end(), bytes, bytes + size);
    }
    *sent = size;
    return true;
  }
  bool Finish(PortFailure*) override {
    Mark(&test::CapturedJob::ended);
    return true;
  }
  void Abort() override { Mark(&test::CapturedJob::aborted); }

 private:
  void Mark(bool test::CapturedJob::*flag) {
    std::lock_guard<std::mutex> guard(captureLock);
    if (test::CapturedJob* job = FindCaptured(id_)) job->*flag = true;
  }
  DWORD id_;
};

// The capture sink for a new job, or null when the capture is off.
std::unique_ptr<PortSink> CaptureJob(DWORD id, const std::u16string& printer,
                                     const std::u16string& document) {
  std::lock_guard<std::mutex> guard(captureLock);
  if (!capturing) return nullptr;
  Captured().push_back(test::CapturedJob{id, printer, document, {}, false, false});
  return std::make_unique<CaptureSink>(id);
}

// Counts a WritePrinter call down to the armed fault; true when this call is it.
bool TakeFault(DWORD* error, DWORD* written) {
  std::lock_guard<std::mutex> guard(faultLock);
  if (faultCountdown == 0 || --faultCountdown != 0) return false;
  *error = faultError;
  *written = faultWritten;
  return true;
}

std::u16string CurrentUser() {
  WCHAR name[UNLEN + 1];
  DWORD size = UNLEN + 1;
  if (!GetUserNameW(name, &size)) return u"UNKNOWN";
  return std::u16string(WideView(name, UNLEN));
}

std::u16string ComputerName() {
  WCHAR name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return {};
  return u"\\\\" + std::u16string(WideView(name, MAX_COMPUTERNAME_LENGTH));
}

DWORD InsertNewJob(const JobRecord& job, const std::vector<unsigned char>& devMode) {
  DWORD id = 0;
  WithDatabase([&](sqlite3* db) {
    if (!LoadPrinter(db, job.printer)) return false;
    id = InsertJob(db, StoredJob{job, devMode});
    return id != 0;
  });
  return id;
}

JobRecord NewJob(const PrinterRecord& printer, std::u16string_view document,
                 std::u16string_view owner, std::u16string_view datatype) {
  JobRecord job;
  job.printer = printer.name;
  job.document = document;
  job.owner = owner;
  job.machine = ComputerName();
  job.datatype = datatype.empty() ? printer.datatype : std::u16string(datatype);
  job.status = JOB_STATUS_PRINTING;
  GetSystemTime(&job.submitted);
  return job;
}

// Where the job's bytes go: the document's output file, else the printer's port.
bool JobPort(const PrinterRecord& printer, const DOC_INFO_1W& doc, PortAddress* address,
             PortFailure* failure) {
  std::u16string_view output = WideView(doc.pOutputFile);
  if (!output.empty()) {
    address->kind = PortKind::kFile;
    address->path = NativePath(output);
    address->namespacePath = output[0] != u'/';
    return true;
  }
  std::string why;
  if (ParsePortName(printer.portName, address, &why)) return true;
  *failure = {ERROR_INVALID_PARAMETER, why};
  return false;
}

void RemoveJobRow(DWORD id) {
  WithDatabase([&](sqlite3* db) { return DeleteJobRow(db, id); });
}

// The handle whose job is open, locked, or null with the last error set.
std::shared_ptr<PrinterHandle> FindJobHandle(HANDLE hPrinter, std::unique_lock<std::mutex>* lock) {
  auto handle = FindHandle(hPrinter);
  if (!handle) return nullptr;
  *lock = std::unique_lock<std::mutex>(handle->lock);
  if (!handle->job) {
    SetLastError(ERROR_SPL_NO_STARTDOC);
    return nullptr;
  }
  return handle;
}

BOOL PackJob(const StoredJob& stored, const PrinterRecord& printer, DWORD position,
             const OpenJob* open, LPBYTE buffer, DWORD cbBuf, LPDWORD needed) {
  const JobRecord& j = stored.job;
  return PackRecords<JOB_INFO_2W>(1, buffer, cbBuf, needed, [&](Packer& pack) {
    JOB_INFO_2W info{};
    info.pDevMode = static_cast<LPDEVMODEW>(pack.Bytes(stored.devMode));
    info.JobId = j.id;
    info.pPrinterName = pack.String(printer.name);
    info.pMachineName = pack.String(j.machine);
    info.pUserName = pack.String(j.owner);
    info.pDocument = pack.String(j.document);
    info.pNotifyName = pack.String(j.owner);
    info.pDatatype = pack.String(j.datatype);
    info.pPrintProcessor = pack.String(u"winprint");
    info.pParameters = pack.String(u"");
    info.pDriverName = pack.String(printer.driver.name);
    info.Status = j.status;
    info.Priority = 1;
    info.Position = position;
    info.TotalPages = j.totalPages;
    info.Submitted = j.submitted;
    if (open) {
      info.Size = static_cast<DWORD>(std::min<std::uint64_t>(open->size, 0xFFFFFFFFu));
      info.PagesPrinted = open->pages;
    }
    pack.Put(0, info);
  });
}

}  // namespace

void DropJob(PrinterHandle& handle) {
  if (!handle.job) return;
  handle.job->sink->Abort();
  RemoveJobRow(handle.job->id);
  handle.job.reset();
}

}  // namespace platform::spool

namespace platform {

DWORD AddJob(std::u16string_view printer, std::u16string_view document, std::u16string_view owner) {
  std::optional<PrinterRecord> found = FindPrinter(printer);
  if (!found) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return 0;
  }
  DWORD id = spool::InsertNewJob(spool::NewJob(*found, document, owner, {}), {});
  if (id == 0) SetLastError(ERROR_GEN_FAILURE);
  return id;
}

bool RemoveJob(DWORD id) {
  if (WithDatabase([&](sqlite3* db) { return spool::DeleteJobRow(db, id); })) return true;
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

std::vector<JobRecord> ListJobs(std::u16string_view printer) {
  std::vector<JobRecord> jobs;
  ReadDatabase([&](sqlite3* db) {
    jobs = spool::LoadJobs(db, printer);
    return true;
  });
  return jobs;
}

std::string PortErrorText(HANDLE printer) {
  auto handle = spool::FindHandle(printer);
  if (!handle) return {};
  std::lock_guard<std::mutex> guard(handle->lock);
  return handle->portError;
}

}  // namespace platform

namespace platform::test {

void CapturePrinterOutput(bool on) {
  std::lock_guard<std::mutex> guard(spool::captureLock);
  spool::capturing = on;
  if (!on) spool::Captured().clear();
}

std::vector<CapturedJob> CapturedJobs() {
  std::lock_guard<std::mutex> guard(spool::captureLock);
  return spool::Captured();
}

void InjectWriteFault(DWORD n, DWORD error, DWORD written) {
  std::lock_guard<std::mutex> guard(spool::faultLock);
  spool::faultCountdown = n;
  spool::faultError = error;
  spool::faultWritten = written;
}

}  // namespace platform::test

DWORD StartDocPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo) {
  using namespace platform::spool;
  auto handle = FindHandle(hPrinter);
  if (!handle) return 0;
  if (Level != 1) {
    SetLastError(ERROR_INVALID_LEVEL);
    return 0;
  }
  if (pDocInfo == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DOC_INFO_1W doc;
  std::memcpy(&doc, pDocInfo, sizeof doc);
  std::lock_guard<std::mutex> guard(handle->lock);
  if (handle->job) {
    SetLastError(ERROR_INVALID_PRINTER_STATE);
    return 0;
  }
  std::optional<platform::PrinterRecord> printer = LoadHandlePrinter(*handle);
  if (!printer) return 0;
  PortAddress address;
  PortFailure failure;
  if (!JobPort(*printer, doc, &address, &failure)) {
    handle->portError = failure.text;
    SetLastError(failure.error);
    return 0;
  }
  std::u16string datatype(platform::WideView(doc.pDatatype));
  if (datatype.empty()) datatype = handle->datatype;
  platform::JobRecord job =
      NewJob(*printer, platform::WideView(doc.pDocName), CurrentUser(), datatype);
  const std::vector<unsigned char>& devMode =
      handle->devMode.empty() ? printer->devMode : handle->devMode;
  job.id = InsertNewJob(job, devMode);
  if (job.id == 0) {
    SetLastError(ERROR_GEN_FAILURE);
    return 0;
  }
  std::unique_ptr<PortSink> sink = CaptureJob(job.id, printer->name, job.document);
  if (!sink) sink = OpenPort(address, &failure);
  if (!sink) {
    RemoveJobRow(job.id);
    handle->portError = failure.text;
    SetLastError(failure.error);
    return 0;
  }
  handle->job = std::make_unique<OpenJob>();
  handle->job->id = job.id;
  handle->job->sink = std::move(sink);
  handle->portError.clear();
  return job.id;
}

BOOL StartPagePrinter(HANDLE hPrinter) {
  std::unique_lock<std::mutex> lock;
  auto handle = platform::spool::FindJobHandle(hPrinter, &lock);
  if (!handle) return FALSE;
  handle->job->inPage = true;
  return TRUE;
}

BOOL EndPagePrinter(HANDLE hPrinter) {
  std::unique_lock<std::mutex> lock;
  auto handle = platform::spool::FindJobHandle(hPrinter, &lock);
  if (!handle) return FALSE;
  platform::spool::OpenJob& job = *handle->job;
  job.inPage = false;
  ++job.pages;
  platform::WithDatabase([&](sqlite3* db) {
    return platform::spool::StoreJobProgress(db, job.id, JOB_STATUS_PRINTING, job.pages);
  });
  return TRUE;
}

BOOL EndDocPrinter(HANDLE hPrinter) {
  std::unique_lock<std::mutex> lock;
  auto handle = platform::spool::FindJobHandle(hPrinter, &lock);
  if (!handle) return FALSE;
  platform::spool::PortFailure failure;
  bool finished = handle->job->sink->Finish(&failure);
  platform::spool::RemoveJobRow(handle->job->id);
  handle->job.reset();
  if (finished) return TRUE;
  handle->portError = failure.text;
  SetLastError(failure.error);
  return FALSE;
}

BOOL AbortPrinter(HANDLE hPrinter) {
  std::unique_lock<std::mutex> lock;
  auto handle = platform::spool::FindJobHandle(hPrinter, &lock);
  if (!handle) return FALSE;
  platform::spool::DropJob(*handle);
  return TRUE;
}

BOOL WritePrinter(HANDLE hPrinter, LPCVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  using namespace platform::spool;
  if (pcWritten == nullptr || (pBuf == nullptr && cbBuf != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pcWritten = 0;
  std::unique_lock<std::mutex> lock;
  auto handle = FindJobHandle(hPrinter, &lock);
  if (!handle) return FALSE;
  std::size_t size = cbBuf;
  DWORD injectedError = 0;
  DWORD injectedWritten = 0;
  if (TakeFault(&injectedError, &injectedWritten)) {
    if (injectedError != 0) {
      handle->portError = "write fault injected by a test";
      SetLastError(injectedError);
      return FALSE;
    }
    size = std::min<std::size_t>(size, injectedWritten);
  }
  std::size_t sent = 0;
  PortFailure failure;
  bool ok =
      handle->job->sink->Write(static_cast<const unsigned char*>(pBuf), size, &sent, &failure);
  handle->job->size += sent;
  *pcWritten = static_cast<DWORD>(sent);
  if (ok) return TRUE;
  handle->portError = failure.text;
  SetLastError(failure.error);
  return FALSE;
}

BOOL GetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf,
             LPDWORD pcbNeeded) {
  using namespace platform::spool;
  auto handle = FindHandle(hPrinter);
  if (!handle) return FALSE;
  if (Level != 2) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  std::optional<StoredJob> job;
  std::optional<platform::PrinterRecord> printer;
  DWORD position = 0;
  platform::ReadDatabase([&](sqlite3* db) {
    printer = LoadPrinter(db, handle->printer);
    job = LoadJob(db, JobId);
    if (!printer || !job || !platform::EqualsIgnoreCase(job->job.printer, printer->name)) {
      return true;
    }
    std::vector<platform::JobRecord> queue = LoadJobs(db, printer->name);
    for (std::size_t i = 0; i < queue.size(); ++i) {
      if (queue[i].id == JobId) position = static_cast<DWORD>(i + 1);
    }
    return true;
  });
  if (!printer) {
    SetLastError(ERROR_PRINTER_DELETED);
    return FALSE;
  }
  if (position == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(handle->lock);
  const OpenJob* open = handle->job && handle->job->id == JobId ? handle->job.get() : nullptr;
  return PackJob(*job, *printer, position, open, pJob, cbBuf, pcbNeeded);
}
