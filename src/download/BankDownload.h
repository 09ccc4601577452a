// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include "download/DownloadHost.h"

#include <QString>
#include <QUrl>

class QNetworkAccessManager;

// Where the bank comes from: the server's base address, from tessaly.ini beside the program (key
// download/server) or the environment (TESSALY_DOWNLOAD_SERVER); empty when none is set.
struct DownloadSettings {
    QString server;
    int pageTimeoutMs = 30000;
    // Far above any real grade page; a page past it is refused, so memory stays bounded.
    qint64 pageLimitBytes = qint64{64} * 1024 * 1024;
    // From tessaly.ini ([download] server), overridden by TESSALY_DOWNLOAD_SERVER.
    static DownloadSettings read(const QString &settingsFile);
    // The page of grade g: base + "/xx/" + g + "nj.asp".
    QUrl pageUrl(int grade) const;
    // The page the window opens at start-up; its reply is not used.
    QUrl startPageUrl() const;
};

struct DownloadOutcome {
    bool confirmed = false;
    int usableGrades = 0;
    bool bankWritten = false;
    bool stopped = false;    // the stop flag ended the download; nothing was changed
    QList<int> failedGrades; // grades whose page was not usable
    QString failure;         // why tk.txt could not be written (or another download held it), for the user
};

// Replaces tk.txt with a fresh bank from the server, grade by grade. The grades are kept in memory (no
// temporary files of fixed names that a symlink could redirect, none left behind by an interruption);
// tk.txt is replaced in one atomic write after the join; a grade whose page was not usable keeps the
// records it had, and when those cannot be read from the old tk.txt, or no page was usable, or the run
// was stopped, tk.txt stays as it was. A lock file beside the bank keeps two downloads apart.
class BankDownload {
public:
    BankDownload(QNetworkAccessManager &network, DownloadSettings settings, QString bankDir);

    DownloadOutcome run(DownloadHost &host);

    static QString lockFile(const QString &bankDir);
    // The bank as it was before the last download replaced it (one generation).
    static QString backupPath(const QString &bankDir);
    // Puts the backup back as tk.txt; the bank it replaces becomes the backup, so a second restore
    // undoes the first. Both files stay as they were when it fails.
    static Status restoreBackup(const QString &bankDir);

    // Why a page was not taken.
    enum class PageFault { None, Network, Stopped, TooLarge, Incomplete, BadEncoding, NotABank };
    struct Page {
        QString text; // the body's content, decoded
        PageFault fault = PageFault::None;
    };
    // The status text for grade g's page.
    QString statusText(int grade, PageFault fault) const;

private:
    Page fetchPage(DownloadHost &host, int grade);
    bool joinIntoBank(const QByteArray pieces[7], const bool usable[7], QString *failure);
    void download(DownloadHost &host, DownloadOutcome &outcome);

    QNetworkAccessManager &network_;
    DownloadSettings settings_;
    QString bankDir_;
};

// Asks for the start page without waiting; the reply is dropped. Nothing is sent without a server.
void requestStartPage(QNetworkAccessManager &network, const DownloadSettings &settings);
