// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankCheck.h"
#include "bank/LoadHost.h"
#include "bank/QuestionBank.h"

#include <QString>
#include <QStringList>

// The lines of one file that a bank's author ought to mend: the first few, and how many in all.
struct FileProblems {
    QString fileName;
    QList<bankcheck::Problem> first;
    qsizetype total = 0;
};

// Where a load found the bank files and what it could not read.
struct LoadReport {
    bool downloadedBankMissing = false; // tk.txt was not there
    bool userBankPresent = false;       // zbtk.txt was there
    QStringList unreadable;             // messages for files that exist but could not be read
    bool stopped = false;               // the stop flag ended the reading
    QList<FileProblems> problems;       // where the host checks lines: files with such lines
};

// Fills a QuestionBank from tk.txt and zbtk.txt in a folder, keeping the lines of the host's grade.
class BankLoader {
public:
    static QString downloadedBankPath(const QString &dir);
    static QString userBankPath(const QString &dir);

    // Each file is read once, in pieces: the lines the run takes are kept, the problems (where the
    // host checks lines) found in the same pass.
    static LoadReport load(LoadHost &host, const QString &dir, QuestionBank &bank);

    // How many problems of a file the report keeps word for word.
    static constexpr int KeptProblems = 10;
};
