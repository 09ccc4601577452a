// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SettingsHost.h"

#include <functional>

// A host whose event checkpoints run a script: the tests set the stop flag, change the grade or the
// repeat box at a chosen checkpoint, and count the checkpoints.
class ScriptedHost : public SettingsHost {
public:
    using SettingsHost::SettingsHost;

    // Called at every checkpoint with its number, counted from 1.
    std::function<void(int)> onEvents;
    int checkpoints = 0;
    int gradeReads = 0;
    int quantityReads = 0;
    int repeatReads = 0;
    QStringList trace; // "events", "grade", "startProgress", "endProgress", ...

    void yield() override;
    int gradePosition() override;
    int quantity() override;
    bool repeatsAllowed() override;
    void startProgress() override;
    void endProgress() override;
    void downloadBank() override;
};
