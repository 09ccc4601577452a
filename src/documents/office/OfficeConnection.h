// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "documents/office/OfficeOptions.h"

#include <memory>

namespace tessaly_uno {
struct Connection;
}

// A connection to a running LibreOffice over the per-user pipe. When none answers, soffice is started
// (detached, with null input and output) and the pipe polled until a deadline. If the user already runs
// LibreOffice, the started soffice hands the request to that office and exits, and our documents open
// there; such an office is never ended by us.
class OfficeConnection {
public:
    static Result<std::shared_ptr<OfficeConnection>> connect(const OfficeOptions &options);
    ~OfficeConnection();

    // The office process this connection started and that still runs, or 0.
    qint64 startedProcess() const;
    // Ends the office if this connection started it (and it did not hand over to another office).
    void endOfficeIfStartedHere();

    tessaly_uno::Connection &uno() { return *uno_; }

private:
    OfficeConnection();
    std::unique_ptr<tessaly_uno::Connection> uno_;
    qint64 pid_ = 0;
};
