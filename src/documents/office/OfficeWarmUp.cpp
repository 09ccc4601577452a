// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/office/OfficeWarmUp.h"

#include "documents/WorkAside.h"
#include "documents/office/OfficeConnection.h"
#include "documents/office/OfficeDelivery.h"
#include "documents/office/UnoSupport.h"

#include <QDeadlineTimer>
#include <QThread>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>

#include <atomic>
#include <functional>
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

// Asks the office on a thread of its own, so a busy office (laying out a long sheet) never holds the
// caller's thread: the caller's idle() runs meanwhile, and after the deadline the answer is `otherwise`.
bool askAside(const std::shared_ptr<OfficeConnection> &office, bool (*question)(OfficeConnection &),
              const std::function<void()> &idle, int deadlineMs, bool otherwise) {
    auto answer = std::make_shared<std::atomic<bool>>(otherwise);
    const QDeadlineTimer deadline(deadlineMs);
    const Waited waited = waitAside([answer, office, question] { *answer = question(*office); }, idle,
                                    [&deadline] { return deadline.hasExpired(); });
    return waited == Waited::Done ? answer->load() : otherwise;
}

// Whether the office shows no document at all: none of ours, none the user opened in it.
bool holdsNoDocument(OfficeConnection &office) {
    try {
        if (!office.uno().desktop.is())
            return false;
        const Reference<css::container::XEnumerationAccess> components =
            office.uno().desktop->getComponents();
        return components.is() && !components->createEnumeration()->hasMoreElements();
    } catch (const css::uno::Exception &) {
        return false;
    }
}

// The warm-up's connection once its thread is done (or the deadline passed: then whatever it has),
// with idle() between the looks.
std::shared_ptr<OfficeConnection> waitForWarmUp(const std::shared_ptr<Warm> &warm,
                                                const std::function<void()> &idle,
                                                const QDeadlineTimer &deadline) {
    for (;;) {
        {
            const std::lock_guard<std::mutex> guard(lock());
            if (warm->done || deadline.hasExpired())
                return warm->connection;
        }
        if (idle)
            idle();
        QThread::msleep(10);
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
    std::shared_ptr<OfficeConnection> connection =
        waitForWarmUp(warm, options.idle, QDeadlineTimer(QDeadlineTimer::Forever));
    // An office busy with a long sheet may take minutes to answer: the window does not wait for it.
    if (connection && askAside(connection, &answers, options.idle, 5000, false))
        return connection;
    return nullptr;
}

void endIfUnused() {
    std::shared_ptr<Warm> warm;
    {
        const std::lock_guard<std::mutex> guard(lock());
        warm = current();
    }
    if (!warm)
        return;
    // A warm-up still on its way (the program ends seconds after it opened) has started an office that
    // would be left behind: its connection is waited for, within the office's start time.
    const std::shared_ptr<OfficeConnection> connection = waitForWarmUp(warm, nullptr, QDeadlineTimer(45000));
    // Only an office this program started, and only while it holds no document at all; the user's own
    // office, or ours with a sheet still open, stays.
    if (!connection || connection->startedProcess() == 0)
        return;
    if (askAside(connection, &holdsNoDocument, nullptr, 3000, false))
        connection->endOfficeIfStartedHere();
}

} // namespace officewarmup
