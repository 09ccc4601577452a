// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "documents/office/OfficeOptions.h"

#include <memory>

class OfficeConnection;

// Reaching LibreOffice ahead of the first worksheet: a cold office takes seconds to start, which the
// window spends better while the user is still choosing. One connection is made on a thread of its
// own and kept for the worksheets that follow.
namespace officewarmup {

// Starts reaching the office through these options, unless that is already under way; returns at once.
// Nothing is shown to the user, whatever happens.
void start(const OfficeOptions &options);
// The warm connection for the options' pipe: waits for one on its way (calling options.idle), and checks
// that the office still answers. Null when there is none, it failed, or the office has gone since.
std::shared_ptr<OfficeConnection> take(const OfficeOptions &options);
// At the program's end: ends the office the warm-up started when it holds no document (none of our
// sheets, nothing the user opened in it). An office the user started is never ended.
void endIfUnused();

} // namespace officewarmup
