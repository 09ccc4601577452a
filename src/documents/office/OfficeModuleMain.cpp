// SPDX-License-Identifier: GPL-3.0-or-later
// The one symbol the office module shows: the program finds the office through it.
#include "documents/office/OfficeEntry.h"

extern "C" __attribute__((visibility("default"))) const OfficeEntry *tessaly_office_entry() {
    return officeentry::linked();
}
