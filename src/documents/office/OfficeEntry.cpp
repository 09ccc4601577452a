// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/office/OfficeEntry.h"

#include "documents/WorkAside.h"
#include "documents/office/OfficeConnection.h"
#include "documents/office/OfficeDelivery.h"
#include "documents/office/OfficeTable.h"
#include "documents/office/OfficeWarmUp.h"

#include <optional>

namespace {

// Reaches the office on a thread of its own (a cold start takes seconds, a busy office may not answer at
// once) while this thread runs options.idle: a window never waits inside a call to the office.
Result<std::shared_ptr<OfficeConnection>> connectAside(const OfficeOptions &options) {
    if (!options.idle)
        return OfficeConnection::connect(options);
    OfficeOptions quiet = options;
    quiet.idle = nullptr; // the window's events run on the window's thread only
    auto connected = std::make_shared<std::optional<Result<std::shared_ptr<OfficeConnection>>>>();
    waitAside([quiet, connected] { *connected = OfficeConnection::connect(quiet); }, options.idle);
    return std::move(**connected);
}

// The connection the window made while the user was choosing, when the office still answers it, else a
// new one.
Result<std::unique_ptr<SheetDelivery>> delivery(const OfficeOptions &settings, const OfficeEntry::Wish &wish,
                                                bool warm) {
    OfficeOptions options = settings;
    options.idle = wish.idle;
    std::shared_ptr<OfficeConnection> office = warm ? officewarmup::take(options) : nullptr;
    if (!office) {
        Result<std::shared_ptr<OfficeConnection>> connected = connectAside(options);
        if (!connected)
            return Result<std::unique_ptr<SheetDelivery>>::failure(connected.error());
        office = connected.value();
    }
    return Result<std::unique_ptr<SheetDelivery>>::success(std::make_unique<OfficeDelivery>(
        office, OfficeDelivery::Options{wish.headless, wish.idle, wish.cancelled, wish.mayRaise}));
}

const OfficeEntry entry{OfficeEntryVersion, &officewarmup::start, &officewarmup::endIfUnused, &delivery,
                        &officetable::read};

} // namespace

namespace officeentry {
const OfficeEntry *linked() {
    return &entry;
}
} // namespace officeentry
