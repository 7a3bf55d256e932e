// The process-wide table of kernel handles.
#include "platform/base/handles.h"

#include <mutex>
#include <unordered_map>
#include <utility>

#include "platform/base/error.h"

namespace platform {

namespace {

struct Entry {
  HandleKind kind;
  std::shared_ptr<HandleObject> object;
};

struct Table {
  std::mutex lock;
  std::unordered_map<std::uintptr_t, Entry> entries;
  std::uintptr_t next = 1;
};

Table& Handles() {
  static Table* table = new Table;  // outlives static destructors that close handles
  return *table;
}

// Values run 4, 8, 12, ... and stay below 2^31 so that an HFILE holds them.
constexpr std::uintptr_t kLastSerial = (std::uintptr_t{1} << 29) - 1;

}  // namespace

HANDLE CreateHandle(HandleKind kind, std::shared_ptr<HandleObject> object) {
  if (!object) return nullptr;
  Table& table = Handles();
  std::lock_guard<std::mutex> guard(table.lock);
  if (table.next > kLastSerial) {
    SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    return nullptr;
  }
  std::uintptr_t value = table.next++ << 2;
  table.entries.emplace(value, Entry{kind, std::move(object)});
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<HandleObject> LookupHandleObject(HANDLE handle, HandleKind kind) {
  Table& table = Handles();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.entries.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == table.entries.end() || it->second.kind != kind) return nullptr;
  return it->second.object;
}

bool ReleaseHandle(HANDLE handle, const HandleKind* kind) {
  std::shared_ptr<HandleObject> object;  // destroyed after the table is unlocked
  Table& table = Handles();
  {
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.entries.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == table.entries.end()) return false;
    if (kind != nullptr && it->second.kind != *kind) return false;
    object = std::move(it->second.object);
    table.entries.erase(it);
  }
  return true;
}

namespace test {
std::size_t OpenHandleCount() {
  Table& table = Handles();
  std::lock_guard<std::mutex> guard(table.lock);
  return table.entries.size();
}
}  // namespace test

}  // namespace platform

QXAPI BOOL CloseHandle(HANDLE object) {
  if (object == platform::CurrentProcessPseudoHandle()) return TRUE;
  if (!platform::ReleaseHandle(object)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
