// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/SettingsHost.h"

#include "generation/PageLayout.h"

#include <QDate>
#include <QLocale>

void SettingsHost::downloadBank() {
    if (download_)
        download_();
}

QString SettingsHost::todayText() {
    if (!today_.isEmpty())
        return today_;
    return sheetDate(QDate::currentDate());
}

void SettingsHost::endProgress() {
    progressRunning_ = false;
    state_.jmz = 0;
    state_.imz = 0;
}
