// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/WorkAside.h"

#include <chrono>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace {

struct Aside {
    std::mutex lock;
    bool done = false;
    bool abandoned = false;
    std::exception_ptr error;
};

} // namespace

Waited waitAside(std::function<void()> work, const std::function<void()> &idle,
                 const std::function<bool()> &cancelled, std::function<void()> whenAbandoned) {
    auto state = std::make_shared<Aside>();
    std::thread([state, work = std::move(work), whenAbandoned = std::move(whenAbandoned)] {
        std::exception_ptr error;
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        bool abandoned = false;
        {
            const std::lock_guard<std::mutex> guard(state->lock);
            state->done = true;
            state->error = error;
            abandoned = state->abandoned;
        }
        if (abandoned && whenAbandoned)
            whenAbandoned();
    }).detach();
    for (;;) {
        {
            const std::lock_guard<std::mutex> guard(state->lock);
            if (state->done)
                break;
        }
        if (idle)
            idle();
        if (cancelled && cancelled()) {
            const std::lock_guard<std::mutex> guard(state->lock);
            if (!state->done) {
                state->abandoned = true;
                return Waited::Abandoned;
            }
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (state->error)
        std::rethrow_exception(state->error);
    return Waited::Done;
}
