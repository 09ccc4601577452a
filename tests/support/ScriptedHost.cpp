// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScriptedHost.h"

using namespace Qt::Literals::StringLiterals;

void ScriptedHost::processEvents() {
    ++checkpoints;
    if (onEvents)
        onEvents(checkpoints);
}

int ScriptedHost::gradePosition() {
    ++gradeReads;
    return SettingsHost::gradePosition();
}

QString ScriptedHost::quantityText() {
    ++quantityReads;
    return SettingsHost::quantityText();
}

int ScriptedHost::check29() {
    ++repeatReads;
    return SettingsHost::check29();
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
