// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "documents/SheetDelivery.h"
#include "documents/office/OfficeOptions.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// LibreOffice's libraries are large and only a sheet for the office needs them, so the program reaches
// the office through a module of its own (libtessaly-office.so), loaded the first time a sheet or the
// warm-up asks for it: `tessaly --help`, `check`, `add` and a .docx never load them.
struct OfficeEntry {
    // How a delivery into the office behaves (see OfficeDelivery).
    struct Wish {
        bool headless = false;
        std::function<void()> idle;
        std::function<bool()> cancelled;
        std::function<bool()> mayRaise;
    };
    int version;
    void (*warmUp)(const OfficeOptions &options);
    void (*endWarmIfUnused)();
    // A delivery into the office: the warm connection when `warm` and the office still answers it,
    // else a new connection (made on a thread of its own while wish.idle runs).
    Result<std::unique_ptr<SheetDelivery>> (*delivery)(const OfficeOptions &options, const Wish &wish,
                                                       bool warm);
    // The first sheet of a spreadsheet or the first table of a document, cell by cell (OfficeTable.h).
    Result<QList<QStringList>> (*table)(const OfficeOptions &options, const QString &path);
};

// Raised whenever the entry's shape changes, so an old module is never called.
constexpr int OfficeEntryVersion = 2;

namespace officemodule {

// The office module's entry, loaded once: beside the program (a build or portable folder), in the
// installed module folder, or from TESSALY_MODULE_DIR. Null, with *why set, when there is none.
const OfficeEntry *entry(QString *why = nullptr);
// The entry when it is loaded (or linked) already; never loads the module.
const OfficeEntry *entryIfLoaded();
// The first sheet or table of the file through the office (loaded for it), or why that cannot be.
Result<QList<QStringList>> readTable(const OfficeOptions &options, const QString &path);
// The entry of an office linked into the program itself (tests and benchmarks): used instead of a module.
void useLinked(const OfficeEntry *linked);

} // namespace officemodule
