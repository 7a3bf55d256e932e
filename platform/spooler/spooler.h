// The print spooler of the stand-in: printers kept in the database under the root,
// the winspool functions the libraries call on them, and the ports that a job's
// bytes go to. Every call is one transaction, so that a settings UI in one process
// and a print job in another see one state.
//
// The information records keep the members the platform documents; the libraries
// read them by member. Variable parts (texts, the settings record) are packed into
// the caller's buffer after the fixed records, and the two-call size protocol holds
// throughout: a null or too small buffer gives FALSE, ERROR_INSUFFICIENT_BUFFER and
// the size needed in *pcbNeeded; the second call with that size fills it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/devmode.h"
#include "platform/base/error.h"
#include "platform/base/types.h"
#include "platform/registry/registry.h"  // the types of printer data values

using ACCESS_MASK = DWORD;

// Desired access of OpenPrinterW. Administration (changing the printer, its data
// and forms) needs one of the administer rights or a standard right that changes
// the printer's security.
constexpr ACCESS_MASK SERVER_ACCESS_ADMINISTER = 0x00000001;
constexpr ACCESS_MASK SERVER_ACCESS_ENUMERATE = 0x00000002;
constexpr ACCESS_MASK PRINTER_ACCESS_ADMINISTER = 0x00000004;
constexpr ACCESS_MASK PRINTER_ACCESS_USE = 0x00000008;
constexpr ACCESS_MASK JOB_ACCESS_ADMINISTER = 0x00000010;
constexpr ACCESS_MASK PRINTER_ACCESS_MANAGE_LIMITED = 0x00000040;
constexpr ACCESS_MASK STANDARD_RIGHTS_REQUIRED = 0x000F0000;
constexpr ACCESS_MASK SERVER_ALL_ACCESS = STANDARD_RIGHTS_REQUIRED | 0x3;   // 0xF0003
constexpr ACCESS_MASK PRINTER_ALL_ACCESS = STANDARD_RIGHTS_REQUIRED | 0xC;  // 0xF000C

// Printer attributes (PRINTER_INFO_2 Attributes, the registry's "Attributes").
constexpr DWORD PRINTER_ATTRIBUTE_QUEUED = 0x00000001;
constexpr DWORD PRINTER_ATTRIBUTE_DIRECT = 0x00000002;
constexpr DWORD PRINTER_ATTRIBUTE_DEFAULT = 0x00000004;
constexpr DWORD PRINTER_ATTRIBUTE_SHARED = 0x00000008;
constexpr DWORD PRINTER_ATTRIBUTE_NETWORK = 0x00000010;
constexpr DWORD PRINTER_ATTRIBUTE_HIDDEN = 0x00000020;
constexpr DWORD PRINTER_ATTRIBUTE_LOCAL = 0x00000040;
constexpr DWORD PRINTER_ATTRIBUTE_ENABLE_DEVQ = 0x00000080;
constexpr DWORD PRINTER_ATTRIBUTE_KEEPPRINTEDJOBS = 0x00000100;
constexpr DWORD PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST = 0x00000200;
constexpr DWORD PRINTER_ATTRIBUTE_WORK_OFFLINE = 0x00000400;
constexpr DWORD PRINTER_ATTRIBUTE_ENABLE_BIDI = 0x00000800;
constexpr DWORD PRINTER_ATTRIBUTE_RAW_ONLY = 0x00001000;
constexpr DWORD PRINTER_ATTRIBUTE_PUBLISHED = 0x00002000;

// Job status bits (JOB_INFO_2 Status).
constexpr DWORD JOB_STATUS_PAUSED = 0x00000001;
constexpr DWORD JOB_STATUS_ERROR = 0x00000002;
constexpr DWORD JOB_STATUS_DELETING = 0x00000004;
constexpr DWORD JOB_STATUS_SPOOLING = 0x00000008;
constexpr DWORD JOB_STATUS_PRINTING = 0x00000010;

// FORM_INFO_1 Flags.
constexpr DWORD FORM_USER = 0x00000000;
constexpr DWORD FORM_BUILTIN = 0x00000001;
constexpr DWORD FORM_PRINTER = 0x00000002;

// PRINTER_INFO_7 dwAction: publishing the printer in the directory.
constexpr DWORD DSPRINT_PUBLISH = 0x00000001;
constexpr DWORD DSPRINT_UPDATE = 0x00000002;
constexpr DWORD DSPRINT_UNPUBLISH = 0x00000004;
constexpr DWORD DSPRINT_REPUBLISH = 0x00000008;
constexpr DWORD DSPRINT_PENDING = 0x80000000;

// WritePrinter, StartPagePrinter ... on a handle without a started document.
constexpr DWORD ERROR_SPL_NO_STARTDOC = 3004;

struct PRINTER_INFO_1W {
  DWORD Flags;
  LPWSTR pDescription;  // "name,driver,location"
  LPWSTR pName;
  LPWSTR pComment;
};

struct PRINTER_INFO_2W {
  LPWSTR pServerName;  // null for a local printer; "\\server" for a connection
  LPWSTR pPrinterName;
  LPWSTR pShareName;
  LPWSTR pPortName;
  LPWSTR pDriverName;
  LPWSTR pComment;
  LPWSTR pLocation;
  LPDEVMODEW pDevMode;  // the stored default settings record (any size), or null
  LPWSTR pSepFile;
  LPWSTR pPrintProcessor;
  LPWSTR pDatatype;
  LPWSTR pParameters;
  PVOID pSecurityDescriptor;
  DWORD Attributes;
  DWORD Priority;
  DWORD DefaultPriority;
  DWORD StartTime;
  DWORD UntilTime;
  DWORD Status;
  DWORD cJobs;
  DWORD AveragePPM;
};

struct PRINTER_INFO_7W {
  LPWSTR pszObjectGUID;  // null while the printer is not published
  DWORD dwAction;
};

struct DRIVER_INFO_1W {
  LPWSTR pName;
};

struct DRIVER_INFO_2W {
  DWORD cVersion;
  LPWSTR pName;
  LPWSTR pEnvironment;
  LPWSTR pDriverPath;  // the render library
  LPWSTR pDataFile;    // the printer description
  LPWSTR pConfigFile;  // the settings UI library
};

struct JOB_INFO_2W {
  DWORD JobId;
  LPWSTR pPrinterName;
  LPWSTR pMachineName;
  LPWSTR pUserName;
  LPWSTR pDocument;
  LPWSTR pNotifyName;
  LPWSTR pDatatype;
  LPWSTR pPrintProcessor;
  LPWSTR pParameters;
  LPWSTR pDriverName;
  LPDEVMODEW pDevMode;
  LPWSTR pStatus;
  PVOID pSecurityDescriptor;
  DWORD Status;
  DWORD Priority;
  DWORD Position;
  DWORD StartTime;
  DWORD UntilTime;
  DWORD TotalPages;
  DWORD Size;
  SYSTEMTIME Submitted;
  DWORD Time;
  DWORD PagesPrinted;
};

// Sizes and the imageable area in micrometres.
struct FORM_INFO_1W {
  DWORD Flags;
  LPWSTR pName;
  SIZEL Size;
  RECTL ImageableArea;
};

struct PRINTER_DEFAULTSW {
  LPWSTR pDatatype;
  LPDEVMODEW pDevMode;
  ACCESS_MASK DesiredAccess;
};

struct DOC_INFO_1W {
  LPWSTR pDocName;
  LPWSTR pOutputFile;  // when set, the job goes to this file instead of the port
  LPWSTR pDatatype;
};

using PRINTER_INFO_1 = PRINTER_INFO_1W;
using PRINTER_INFO_2 = PRINTER_INFO_2W;
using PRINTER_INFO_7 = PRINTER_INFO_7W;
using DRIVER_INFO_1 = DRIVER_INFO_1W;
using DRIVER_INFO_2 = DRIVER_INFO_2W;
using JOB_INFO_2 = JOB_INFO_2W;
using FORM_INFO_1 = FORM_INFO_1W;
using PRINTER_DEFAULTS = PRINTER_DEFAULTSW;
using DOC_INFO_1 = DOC_INFO_1W;
using PPRINTER_INFO_2W = PRINTER_INFO_2W*;
using PDRIVER_INFO_2W = DRIVER_INFO_2W*;
using PJOB_INFO_2W = JOB_INFO_2W*;
using PFORM_INFO_1W = FORM_INFO_1W*;
using LPPRINTER_DEFAULTSW = PRINTER_DEFAULTSW*;

// Opens a printer by name (without regard to case). With a desired access that
// administers the printer, a user who may not change it gets ERROR_ACCESS_DENIED;
// an unknown printer gives ERROR_INVALID_PRINTER_NAME. Without defaults (or with
// desired access 0) the handle may change the printer whenever the user may. The
// defaults' settings record and data type become those of jobs on this handle.
QXAPI BOOL OpenPrinterW(LPCWSTR pPrinterName, HANDLE* phPrinter, PRINTER_DEFAULTSW* pDefault);
// Closes a handle; a job still open on it is aborted.
QXAPI BOOL ClosePrinter(HANDLE hPrinter);

// Levels 1, 2 and 7; another level gives ERROR_INVALID_LEVEL.
QXAPI BOOL GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf,
                       LPDWORD pcbNeeded);
// Level 7 only (publish, update, unpublish), on a handle that may change the printer.
QXAPI BOOL SetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command);

// Printer data: values stored byte for byte with their type. The result is an
// error code: ERROR_FILE_NOT_FOUND for a missing value, ERROR_MORE_DATA when nSize
// is below the value's size (*pcbNeeded and *pType are set in both the success and
// the ERROR_MORE_DATA case).
QXAPI DWORD GetPrinterDataW(HANDLE hPrinter, LPCWSTR pValueName, LPDWORD pType, LPBYTE pData,
                            DWORD nSize, LPDWORD pcbNeeded);
// ERROR_ACCESS_DENIED unless the handle may change the printer.
QXAPI DWORD SetPrinterDataW(HANDLE hPrinter, LPCWSTR pValueName, DWORD Type, const BYTE* pData,
                            DWORD cbData);
QXAPI DWORD DeletePrinterDataW(HANDLE hPrinter, LPCWSTR pValueName);

// Levels 1 and 2 for the environment "Windows x64" (null means that one).
QXAPI BOOL GetPrinterDriverW(HANDLE hPrinter, LPCWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                             DWORD cbBuf, LPDWORD pcbNeeded);
// The driver folder of the Windows namespace ("C:\WINDOWS\system32\spool\drivers\x64")
// as a terminated text; sizes in bytes. The driver's files are in its version
// folder "3" below it. The folder is created when it does not exist.
QXAPI BOOL GetPrinterDriverDirectoryW(LPCWSTR pName, LPCWSTR pEnvironment, DWORD Level,
                                      LPBYTE pDriverDirectory, DWORD cbBuf, LPDWORD pcbNeeded);

// Level 2 of a job of the handle's printer; an unknown job gives ERROR_INVALID_PARAMETER.
QXAPI BOOL GetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf,
                   LPDWORD pcbNeeded);

// The forms database (one for the machine). Level 1.
QXAPI BOOL EnumFormsW(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded,
                      LPDWORD pcReturned);
// ERROR_INVALID_FORM_NAME for an unknown form.
QXAPI BOOL GetFormW(HANDLE hPrinter, LPCWSTR pFormName, DWORD Level, LPBYTE pForm, DWORD cbBuf,
                    LPDWORD pcbNeeded);
// Adds a user or printer form (ERROR_FILE_EXISTS when the name is taken).
QXAPI BOOL AddFormW(HANDLE hPrinter, DWORD Level, LPBYTE pForm);
// Built-in forms cannot be deleted (ERROR_INVALID_PARAMETER); an unknown name gives
// ERROR_INVALID_FORM_NAME. Changing forms needs a handle that may change the printer.
QXAPI BOOL DeleteFormW(HANDLE hPrinter, LPCWSTR pFormName);

// A job: StartDocPrinterW (level 1) returns the new job's identifier (0 on failure);
// its bytes go through WritePrinter to the printer's port (or the document's output
// file); EndDocPrinter finishes the job, AbortPrinter drops it. A job is listed
// (GetJobW) from its start to its end.
QXAPI DWORD StartDocPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo);
QXAPI BOOL StartPagePrinter(HANDLE hPrinter);
QXAPI BOOL EndPagePrinter(HANDLE hPrinter);
QXAPI BOOL EndDocPrinter(HANDLE hPrinter);
QXAPI BOOL AbortPrinter(HANDLE hPrinter);
// Writes the bytes of the job; *pcWritten says how many went out. A refused or
// broken connection, an unwritable file or an injected fault gives FALSE and a
// last error: ERROR_CONNECTION_REFUSED, ERROR_BAD_NETPATH (unknown host),
// ERROR_TIMEOUT, ERROR_BROKEN_PIPE (connection lost), ERROR_DISK_FULL,
// ERROR_WRITE_FAULT; ERROR_SPL_NO_STARTDOC without a started document.
QXAPI BOOL WritePrinter(HANDLE hPrinter, LPCVOID pBuf, DWORD cbBuf, LPDWORD pcWritten);

// The spooler's impersonation (also exported by the module "spoolss.dll"): while a
// thread has reverted to the spooler's own identity, it may change every printer.
// RevertToPrinterSelf returns the token that ImpersonatePrinterClient takes back.
QXAPI HANDLE RevertToPrinterSelf();
QXAPI BOOL ImpersonatePrinterClient(HANDLE hToken);

namespace platform {

// The driver of a printer as GetPrinterDriverW level 2 reports it. Paths are
// namespace paths ("C:\WINDOWS\system32\spool\drivers\x64\3\QX48GL64.DLL").
struct PrinterDriver {
  std::u16string name;
  std::u16string environment = u"Windows x64";
  DWORD version = 3;
  std::u16string driverPath;
  std::u16string dataFile;
  std::u16string configFile;
};

// A printer as the stand-in stores it.
struct PrinterRecord {
  std::u16string name;
  std::u16string serverName;  // empty: local printer; else "\\server": a connection
  std::u16string shareName;
  // "file:PATH" (native or namespace path), "-" (standard output) or
  // "socket://HOST:PORT" (raw TCP, as printers take on port 9100).
  std::u16string portName;
  std::u16string comment;
  std::u16string location;
  std::u16string datatype = u"RAW";
  DWORD attributes = PRINTER_ATTRIBUTE_LOCAL;
  DWORD status = 0;
  // The stored default settings record, kept as bytes of any size (empty: none).
  std::vector<unsigned char> devMode;
  // Whether the current user may change the printer (its data, forms, settings).
  bool userMayChange = true;
  PrinterDriver driver;
  // Read only: the directory object while published, and how many times the
  // printer was published or updated (SetPrinterW level 7).
  std::u16string objectGuid;
  DWORD directoryUpdates = 0;
};

struct PrinterDataValue {
  std::u16string name;
  DWORD type = 0;
  std::vector<unsigned char> bytes;
};

struct JobRecord {
  DWORD id = 0;
  std::u16string printer;
  std::u16string document;
  std::u16string owner;
  std::u16string machine;
  std::u16string datatype = u"RAW";
  DWORD status = 0;
  DWORD totalPages = 0;
  SYSTEMTIME submitted{};
};

struct FormRecord {
  std::u16string name;
  DWORD flags = FORM_USER;
  SIZEL size{};
  RECTL imageableArea{};
};

// These functions are for tools and tests: they change the stored state without
// the access rules of the winspool functions. Each sets the last error on failure.

// Adds a printer (ERROR_PRINTER_ALREADY_EXISTS, ERROR_INVALID_PRINTER_NAME for an
// empty name or one with a comma, ERROR_INVALID_PARAMETER for a bad port name).
[[nodiscard]] bool AddPrinter(const PrinterRecord& printer);
// Removes a printer with its data and jobs (ERROR_INVALID_PRINTER_NAME when unknown).
[[nodiscard]] bool RemovePrinter(std::u16string_view name);
// Replaces what is stored for the printer `printer.name` (not its data, jobs or
// directory state).
[[nodiscard]] bool UpdatePrinter(const PrinterRecord& printer);
std::optional<PrinterRecord> FindPrinter(std::u16string_view name);
std::vector<PrinterRecord> ListPrinters();
[[nodiscard]] bool SetUserMayChange(std::u16string_view printer, bool mayChange);
[[nodiscard]] bool SetPrinterDevMode(std::u16string_view printer,
                                     const std::vector<unsigned char>& devMode);

std::vector<PrinterDataValue> ListPrinterData(std::u16string_view printer);
[[nodiscard]] bool SetPrinterData(std::u16string_view printer, const PrinterDataValue& value);
[[nodiscard]] bool DeletePrinterData(std::u16string_view printer, std::u16string_view name);

// Adds a job to a printer's list (as a job in progress elsewhere would be) and
// returns its identifier, 0 on failure.
DWORD AddJob(std::u16string_view printer, std::u16string_view document, std::u16string_view owner);
[[nodiscard]] bool RemoveJob(DWORD id);
std::vector<JobRecord> ListJobs(std::u16string_view printer);

[[nodiscard]] bool AddForm(const FormRecord& form);
std::vector<FormRecord> ListForms();

// Checks a port name; on failure `why` says what is wrong with it.
[[nodiscard]] bool CheckPortName(std::u16string_view port, std::string* why);

// The driver folder and its version folder "3" as namespace paths.
std::u16string DriverDirectory();
std::u16string DriverVersionDirectory();

// Installs a driver for `descriptionFile` (a native path): copies the description
// into the driver's version folder and links the libraries QX48GL64, QX48UI64 and
// QX48UM64 (".so" files of `libraryFolder`, a native folder) into it under their
// names, so that LoadLibraryW finds them by the driver's paths and the render
// library finds the spool filter beside itself. Fills `driver` (its name is left
// as it was). `why` says what failed; nothing is left half-copied.
[[nodiscard]] bool InstallDriverFiles(const std::string& descriptionFile,
                                      const std::string& libraryFolder, PrinterDriver* driver,
                                      std::string* why);

// The text of the last port failure of a printer handle ("cannot connect to
// 10.0.0.5:9100: connection refused"), empty when there was none.
std::string PortErrorText(HANDLE printer);

}  // namespace platform

namespace platform::test {

// The bytes of one job while the capture is on.
struct CapturedJob {
  DWORD id = 0;
  std::u16string printer;
  std::u16string document;
  std::vector<unsigned char> bytes;
  bool ended = false;    // EndDocPrinter was called
  bool aborted = false;  // AbortPrinter or ClosePrinter dropped it
};

// From now on (on) every job of this process keeps its bytes in memory instead of
// sending them to its port. Turning it off forgets what was captured.
void CapturePrinterOutput(bool on);
std::vector<CapturedJob> CapturedJobs();

// The n-th WritePrinter call of this process from now (1 is the next one) fails
// with `error`; with error 0 it writes only the first `written` bytes and still
// succeeds (a short write). n 0 clears the fault.
void InjectWriteFault(DWORD n, DWORD error, DWORD written = 0);

// Timeouts of the socket port in milliseconds (connect, and each wait for the
// printer to take more bytes). Defaults: 10 s to connect, 5 min per write, since
// a plotter stops reading while it draws. 0 restores a default.
void SetSocketTimeouts(DWORD connectMs, DWORD writeMs);

}  // namespace platform::test
