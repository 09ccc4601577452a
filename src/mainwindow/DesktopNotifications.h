// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The desktop's notification service (freedesktop notifications over the desktop user's D-Bus), for
// desktops that show notices but have no tray.
class DesktopNotifications {
public:
    // A service answers on the desktop user's D-Bus now.
    static bool available();
    // Sends the notice without waiting for the answer.
    static void notify(const QString &title, const QString &text);
};
