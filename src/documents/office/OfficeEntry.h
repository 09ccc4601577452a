// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "documents/OfficeModule.h"

// The office's entry as this build links it; the module exports it as tessaly_office_entry.
namespace officeentry {
const OfficeEntry *linked();
}
