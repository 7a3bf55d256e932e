// Everything the print system offers the libraries: include this one header.
#pragma once

#include "platform/base/codepage.h"
#include "platform/base/devmode.h"
#include "platform/base/error.h"
#include "platform/base/memory.h"
#include "platform/base/sync.h"
#include "platform/base/system.h"
#include "platform/base/text.h"
#include "platform/base/types.h"
#include "platform/engine/ddi.h"
#include "platform/files/files.h"
#include "platform/files/folders.h"
#include "platform/files/paths.h"
#include "platform/files/profile.h"
#include "platform/modules/modules.h"
#include "platform/registry/registry.h"
#include "platform/ui/messagebox.h"
