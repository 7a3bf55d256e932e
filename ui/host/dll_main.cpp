// Entry point the loader calls when the settings UI library is attached to or
// detached from a process, and the library's resource table.
#include "platform/platform.h"
#include "resources/module_resources.h"
#include "settings/resource_module.h"
#include "ui/host/description_holder.h"
#include "ui/host/host_state.h"

// What FindResourceW and LoadStringW serve for this library's module handle.
QX_EXPORT const QX_RESOURCE_TABLE* QxModuleResources() { return resources::ModuleResources(); }

QX_EXPORT BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  // The description parser names East Asian fonts from this library's font
  // metric records.
  if (reason == DLL_PROCESS_ATTACH) {
    settings::SetResourceModule(instance);
    ui::SetLibraryModule(instance);
  }
  if (reason == DLL_PROCESS_DETACH) ui::FreeKeptDescription();
  return TRUE;
}
