// Everything the print system offers the libraries: include this one header.
#pragma once

#include "platform/base/devmode.h"
#include "platform/base/error.h"
#include "platform/base/memory.h"
#include "platform/base/sync.h"
#include "platform/base/text.h"
#include "platform/base/types.h"
#include "platform/files/paths.h"
#include "platform/modules/modules.h"
