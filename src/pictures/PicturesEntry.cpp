// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures module's one visible symbol.
#include "pictures/PicturesModule.h"
#include "pictures/SheetScan.h"

extern "C" Q_DECL_EXPORT const PicturesEntry *tessaly_pictures_entry() {
    static const PicturesEntry entry{PicturesEntryVersion, &sheetscan::scan};
    return &entry;
}
