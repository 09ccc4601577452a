// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The one way the program tells the user about events: a notice with a title and an icon kind
// (1 = information). The caller never waits for it; a later notice replaces an earlier one.
class NoticeSink {
public:
    virtual ~NoticeSink() = default;
    virtual void ShowNotice(const QString &text, const QString &title, int iconKind) = 0;
};
