// The version record every library of the driver carries.
#pragma once

#include "platform/base/types.h"

namespace resources {
struct DriverVersion {
  WORD major;
  WORD minor;
  WORD build;
  WORD revision;
  const char16_t* text;
};
extern const DriverVersion kDriverVersion;
}  // namespace resources
