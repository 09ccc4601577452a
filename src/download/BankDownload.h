#pragma once

#include "download/DownloadHost.h"

#include <QString>
#include <QUrl>

class QNetworkAccessManager;

// Where the bank comes from: the server's base address, from tessaly.ini beside the program (key
// download/server) or the environment (TESSALY_DOWNLOAD_SERVER); empty when none is set.
struct DownloadSettings {
    QString server;
    int pageTimeoutMs = 30000;
    static DownloadSettings read(const QString &programDir);
    // The page of grade g: base + "/xx/" + g + "nj.asp".
    QUrl pageUrl(int grade) const;
    // The page the window opens at start-up; its reply is not used.
    QUrl startPageUrl() const;
};

struct DownloadOutcome {
    bool confirmed = false;
    int usableGrades = 0;
    bool bankWritten = false;
    QString failure; // why tk.txt could not be written, for the user
};

// Replaces tk.txt with a fresh bank from the server, grade by grade. Only its own temporary files
// 1nj.tmp to 6nj.tmp are joined and deleted; tk.txt is replaced in one rename after the join; a grade
// whose page was not usable keeps the records it had; and when no page was usable tk.txt stays as it was.
class BankDownload {
public:
    BankDownload(QNetworkAccessManager &network, DownloadSettings settings, QString bankDir);

    DownloadOutcome run(DownloadHost &host);

    static QString temporaryFile(const QString &bankDir, int grade);

private:
    // The page's text, or a null text when the page was not usable in time (or the wait was stopped).
    QString fetchPage(DownloadHost &host, int grade);
    bool writeTemporary(DownloadHost &host, int grade, const QStringList &records, QString *failure);
    bool joinIntoBank(const bool usable[7], QString *failure);

    QNetworkAccessManager &network_;
    DownloadSettings settings_;
    QString bankDir_;
};

// Asks for the start page without waiting; the reply is dropped. Nothing is sent without a server.
void requestStartPage(QNetworkAccessManager &network, const DownloadSettings &settings);
