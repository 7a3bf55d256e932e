// Critical sections over recursive mutexes; the once-guard over one global lock.
#include "platform/base/sync.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

struct OnceState {
  std::atomic<int> state{0};  // 0 not run, 1 running, 2 done
  BOOL result = FALSE;
  void* context = nullptr;
};

std::mutex onceLock;
std::condition_variable onceDone;

}  // namespace

QXAPI void InitializeCriticalSection(CRITICAL_SECTION* section) {
  section->impl = new std::recursive_mutex;
}

QXAPI void DeleteCriticalSection(CRITICAL_SECTION* section) {
  delete static_cast<std::recursive_mutex*>(section->impl);
  section->impl = nullptr;
}

QXAPI void EnterCriticalSection(CRITICAL_SECTION* section) {
  static_cast<std::recursive_mutex*>(section->impl)->lock();
}

QXAPI BOOL TryEnterCriticalSection(CRITICAL_SECTION* section) {
  return static_cast<std::recursive_mutex*>(section->impl)->try_lock() ? TRUE : FALSE;
}

QXAPI void LeaveCriticalSection(CRITICAL_SECTION* section) {
  static_cast<std::recursive_mutex*>(section->impl)->unlock();
}

QXAPI BOOL InitOnceExecuteOnce(INIT_ONCE* once, PINIT_ONCE_FN fn, void* parameter, void** context) {
  std::unique_lock<std::mutex> guard(onceLock);
  if (once->impl == nullptr) once->impl = new OnceState;  // one per guard, never freed
  auto* state = static_cast<OnceState*>(once->impl);
  while (state->state == 1) onceDone.wait(guard);
  if (state->state == 0) {
    state->state = 1;
    guard.unlock();
    void* ctx = nullptr;
    BOOL ok = fn(once, parameter, &ctx);
    guard.lock();
    state->result = ok;
    state->context = ctx;
    // A failed callback leaves the guard unrun, so the next caller tries again.
    state->state = ok ? 2 : 0;
    onceDone.notify_all();
    if (context) *context = ctx;
    return ok;
  }
  if (context) *context = state->context;
  return state->result;
}

QXAPI DWORD GetCurrentThreadId() {
  return static_cast<DWORD>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
}
QXAPI DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }
QXAPI void Sleep(DWORD milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
QXAPI DWORD GetTickCount() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
