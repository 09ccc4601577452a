// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QString>

// Where the user's own files live: the bank (tk.txt, zbtk.txt), tessaly.ini and the sheet history.
// A program folder that can be written and already holds a bank or a tessaly.ini keeps everything
// beside the program (the portable way: a copy on a USB stick carries its bank along). Otherwise the
// bank and the history go to the per-user data folder and tessaly.ini to the per-user config folder,
// since an installed program's folder (/usr/bin) is not the user's to write.
struct UserFiles {
    QString bankDir;      // tk.txt and zbtk.txt
    QString settingsFile; // tessaly.ini
    QString dataDir;      // the sheet history
    bool portable = false;

    // The decision alone; nothing is created.
    static UserFiles locate(const QString &programDir);
    // Everything in one folder (a portable program folder, or a test's).
    static UserFiles inFolder(const QString &dir);
};

// Where an installed program finds the sample bank: <prefix>/share/tessaly beside <prefix>/bin, else
// the system data folders. Empty when there is none.
QString installedSampleBank(const QString &programDir);

// Makes the bank folder and, when it holds no bank at all (the first start), copies the sample bank
// into it as tk.txt. The copy is atomic; a failure leaves no half file and says why.
struct FirstStart {
    bool sampleCopied = false;
};
Result<FirstStart> prepareUserFiles(const UserFiles &files, const QString &sampleBank);
