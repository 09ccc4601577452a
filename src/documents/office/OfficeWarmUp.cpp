// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/office/OfficeWarmUp.h"

#include "documents/office/OfficeConnection.h"
#include "documents/office/OfficeDelivery.h"
#include "documents/office/UnoSupport.h"

#include <QThread>
#include <mutex>
#include <thread>

using namespace tessaly_uno;

namespace officewarmup {

namespace {

struct Warm {
    QString pipe;
    bool done = false;
    std::shared_ptr<OfficeConnection> connection;
};

std::mutex &lock() {
    static std::mutex m;
    return m;
}

// Shared with the thread, which may outlive every caller.
std::shared_ptr<Warm> &current() {
    static std::shared_ptr<Warm> warm;
    return warm;
}

// One call over the pipe: a closed office or a broken bridge throws.
bool answers(OfficeConnection &office) {
    try {
        if (!office.uno().desktop.is())
            return false;
        office.uno().desktop->getCurrentComponent();
        return true;
    } catch (const css::uno::Exception &) {
        return false;
    }
}

} // namespace

void start(const OfficeOptions &options) {
    const std::lock_guard<std::mutex> guard(lock());
    if (current() && current()->pipe == options.effectivePipeName())
        return;
    auto warm = std::make_shared<Warm>();
    warm->pipe = options.effectivePipeName();
    current() = warm;
    OfficeOptions quiet = options;
    quiet.idle = nullptr; // no window's events on this thread
    std::thread([warm, quiet] {
        Result<std::shared_ptr<OfficeConnection>> office = OfficeConnection::connect(quiet);
        if (office)
            OfficeDelivery::warmUpWriter(office.value());
        const std::lock_guard<std::mutex> guard(lock());
        if (office)
            warm->connection = office.value();
        warm->done = true;
    }).detach();
}

std::shared_ptr<OfficeConnection> take(const OfficeOptions &options) {
    std::shared_ptr<Warm> warm;
    {
        const std::lock_guard<std::mutex> guard(lock());
        warm = current();
    }
    if (!warm || warm->pipe != options.effectivePipeName())
        return nullptr;
    for (;;) {
        {
            const std::lock_guard<std::mutex> guard(lock());
            if (warm->done)
                break;
        }
        if (options.idle)
            options.idle();
        QThread::msleep(10);
    }
    std::shared_ptr<OfficeConnection> connection;
    {
        const std::lock_guard<std::mutex> guard(lock());
        connection = warm->connection;
    }
    if (connection && answers(*connection))
        return connection;
    return nullptr;
}

} // namespace officewarmup
