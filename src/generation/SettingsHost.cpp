// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/SettingsHost.h"

#include <QDate>

void SettingsHost::downloadBank() {
    if (download_)
        download_();
}

QString SettingsHost::todayText() {
    if (!today_.isEmpty())
        return today_;
    return sheetDate(QDate::currentDate());
}
