// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// How to reach LibreOffice: the pipe every run of the program shares, where to look for soffice
// when none answers, and how long to wait for one that was just started.
struct OfficeOptions {
    QString pipeName;       // empty: "tessaly_" + the user id
    QStringList searchDirs; // empty: UNO_PATH, PATH and the usual install folders
    bool headless = false;  // start the office without a display (servers, tests)
    QString profileDir;     // empty: the user's own LibreOffice profile
    int startTimeoutMs = 45000;
    // Called while waiting for a starting office, and while the office takes a worksheet, so a window
    // stays responsive.
    std::function<void()> idle;

    QString effectivePipeName() const;
    QStringList effectiveSearchDirs() const;
};

// The soffice program in the first of the folders that has one, or an empty text.
QString findSoffice(const QStringList &dirs);
