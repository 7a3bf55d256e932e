// Conversion of settings records between the sizes the spooler stores and the
// driver's own defaults, as the spooler asks through DrvConvertDevMode.
#pragma once

#include "platform/platform.h"

// The conversions the spooler asks for.
constexpr DWORD CDM_CONVERT = 1;         // between the current sizes
constexpr DWORD CDM_CONVERT351 = 2;      // to the old 188-byte form
constexpr DWORD CDM_DRIVER_DEFAULT = 4;  // the driver's defaults for the printer

// The old form: 188 public bytes and the first 44 bytes of the private block.
constexpr WORD kOldPublicSize = 188;
constexpr WORD kOldPrivateSize = 44;
constexpr WORD kOldDriverVersion = 0x350;
constexpr WORD kOldSpecVersion = 0x320;

// Converts `input` into `output`. `*size` holds the bytes `output` has and
// receives the bytes the conversion needs (on success and on
// ERROR_INSUFFICIENT_BUFFER). FALSE with the last error set on failure.
QX_EXPORT BOOL WINAPI DrvConvertDevMode(WCHAR* printerName, DEVMODEW* input, DEVMODEW* output,
                                        LONG* size, DWORD mode);
