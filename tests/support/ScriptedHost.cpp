// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScriptedHost.h"

using namespace Qt::Literals::StringLiterals;

void ScriptedHost::yield() {
    ++checkpoints;
    if (onEvents)
        onEvents(checkpoints);
}

int ScriptedHost::gradePosition() {
    ++gradeReads;
    return SettingsHost::gradePosition();
}

int ScriptedHost::quantity() {
    ++quantityReads;
    return SettingsHost::quantity();
}

bool ScriptedHost::repeatsAllowed() {
    ++repeatReads;
    return SettingsHost::repeatsAllowed();
}

void ScriptedHost::startProgress() {
    trace.append(u"startProgress"_s);
    SettingsHost::startProgress();
}

void ScriptedHost::endProgress() {
    trace.append(u"endProgress"_s);
    SettingsHost::endProgress();
}

void ScriptedHost::downloadBank() {
    trace.append(u"download"_s);
    SettingsHost::downloadBank();
}
