// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/LoadHost.h"
#include "bank/QuestionBank.h"

#include <QString>
#include <QStringList>

// Where a load found the bank files and what it could not read.
struct LoadReport {
    bool downloadedBankMissing = false; // tk.txt was not there
    bool userBankPresent = false;       // zbtk.txt was there
    QStringList unreadable;             // messages for files that exist but could not be read
    bool stopped = false;               // the stop flag ended the reading
};

// Fills a QuestionBank from tk.txt and zbtk.txt in a folder, keeping the lines of the host's grade.
class BankLoader {
public:
    static QString downloadedBankPath(const QString &dir);
    static QString userBankPath(const QString &dir);

    static LoadReport load(LoadHost &host, const QString &dir, QuestionBank &bank);

    // Adds the records of one decoded file text. Returns false when the stop flag ended it.
    static bool addLines(LoadHost &host, QString text, QuestionBank &bank);
};
