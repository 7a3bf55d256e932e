// The forms database: one list of named paper sizes for the machine (user forms,
// printer forms), sizes and imageable areas in micrometres.
#include <cstring>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/registry/database.h"
#include "platform/spooler/handles.h"
#include "platform/spooler/pack.h"
#include "platform/spooler/store.h"

namespace platform::spool {

namespace {

FORM_INFO_1W PackForm(Packer& pack, const FormRecord& form) {
  return FORM_INFO_1W{form.flags, pack.String(form.name), form.size, form.imageableArea};
}

// The error of a form that cannot be stored, or ERROR_SUCCESS.
DWORD CheckForm(const FormRecord& form) {
  if (form.name.empty()) return ERROR_INVALID_FORM_NAME;
  if (form.flags != FORM_USER && form.flags != FORM_PRINTER && form.flags != FORM_BUILTIN) {
    return ERROR_INVALID_PARAMETER;
  }
  const RECTL& a = form.imageableArea;
  if (form.size.cx <= 0 || form.size.cy <= 0 || a.left > a.right || a.top > a.bottom) {
    return ERROR_INVALID_FORM_SIZE;
  }
  return ERROR_SUCCESS;
}

DWORD InsertCheckedForm(sqlite3* db, const FormRecord& form) {
  if (DWORD error = CheckForm(form); error != ERROR_SUCCESS) return error;
  if (LoadForm(db, form.name)) return ERROR_FILE_EXISTS;
  return InsertForm(db, form) ? ERROR_SUCCESS : ERROR_GEN_FAILURE;
}

}  // namespace

}  // namespace platform::spool

namespace platform {

bool AddForm(const FormRecord& form) {
  DWORD error = ERROR_SUCCESS;
  bool ok = WithDatabase([&](sqlite3* db) {
    error = spool::InsertCheckedForm(db, form);
    return error == ERROR_SUCCESS;
  });
  if (ok) return true;
  SetLastError(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
  return false;
}

std::vector<FormRecord> ListForms() {
  std::vector<FormRecord> forms;
  ReadDatabase([&](sqlite3* db) {
    forms = spool::LoadForms(db);
    return true;
  });
  return forms;
}

}  // namespace platform

BOOL EnumFormsW(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded,
                LPDWORD pcReturned) {
  using namespace platform::spool;
  if (!FindHandle(hPrinter)) return FALSE;
  if (Level != 1) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  if (pcReturned == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pcReturned = 0;
  std::vector<platform::FormRecord> forms = platform::ListForms();
  BOOL ok = PackRecords<FORM_INFO_1W>(forms.size(), pForm, cbBuf, pcbNeeded, [&](Packer& pack) {
    for (std::size_t i = 0; i < forms.size(); ++i) pack.Put(i, PackForm(pack, forms[i]));
  });
  if (ok) *pcReturned = static_cast<DWORD>(forms.size());
  return ok;
}

BOOL GetFormW(HANDLE hPrinter, LPCWSTR pFormName, DWORD Level, LPBYTE pForm, DWORD cbBuf,
              LPDWORD pcbNeeded) {
  using namespace platform::spool;
  if (!FindHandle(hPrinter)) return FALSE;
  if (Level != 1) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  std::optional<platform::FormRecord> form;
  platform::ReadDatabase([&](sqlite3* db) {
    form = LoadForm(db, platform::WideView(pFormName));
    return true;
  });
  if (!form) {
    SetLastError(ERROR_INVALID_FORM_NAME);
    return FALSE;
  }
  return PackRecords<FORM_INFO_1W>(1, pForm, cbBuf, pcbNeeded,
                                   [&](Packer& pack) { pack.Put(0, PackForm(pack, *form)); });
}

BOOL AddFormW(HANDLE hPrinter, DWORD Level, LPBYTE pForm) {
  using namespace platform::spool;
  auto handle = FindHandle(hPrinter);
  if (!handle) return FALSE;
  if (Level != 1) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  if (pForm == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FORM_INFO_1W info;
  std::memcpy(&info, pForm, sizeof info);
  // Built-in forms come with the system; callers add only user and printer forms.
  if (info.Flags == FORM_BUILTIN) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  platform::FormRecord form{std::u16string(platform::WideView(info.pName)), info.Flags, info.Size,
                            info.ImageableArea};
  DWORD error = ChangeHandlePrinter(
      *handle, [&](sqlite3* db, platform::PrinterRecord&) { return InsertCheckedForm(db, form); });
  return error == ERROR_SUCCESS ? TRUE : FALSE;
}

BOOL DeleteFormW(HANDLE hPrinter, LPCWSTR pFormName) {
  using namespace platform::spool;
  auto handle = FindHandle(hPrinter);
  if (!handle) return FALSE;
  std::u16string_view name = platform::WideView(pFormName);
  DWORD error = ChangeHandlePrinter(*handle, [&](sqlite3* db, platform::PrinterRecord&) {
    std::optional<platform::FormRecord> form = LoadForm(db, name);
    if (!form) return ERROR_INVALID_FORM_NAME;
    if (form->flags == FORM_BUILTIN) return ERROR_INVALID_PARAMETER;
    return DeleteFormRow(db, name) ? ERROR_SUCCESS : ERROR_GEN_FAILURE;
  });
  return error == ERROR_SUCCESS ? TRUE : FALSE;
}
