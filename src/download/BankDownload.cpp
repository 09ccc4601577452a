#include "download/BankDownload.h"

#include "bank/BankLoader.h"
#include "bank/BankText.h"
#include "download/PageText.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcessEnvironment>
#include <QSaveFile>
#include <QSettings>
#include <QThread>
#include <memory>

using namespace Qt::Literals::StringLiterals;

DownloadSettings DownloadSettings::read(const QString &programDir) {
    DownloadSettings s;
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    s.server = env.contains(u"TESSALY_DOWNLOAD_SERVER"_s)
                   ? env.value(u"TESSALY_DOWNLOAD_SERVER"_s)
                   : QSettings(programDir + u"/tessaly.ini"_s, QSettings::IniFormat)
                         .value(u"download/server"_s)
                         .toString();
    s.server = s.server.trimmed();
    while (s.server.endsWith(u'/'))
        s.server.chop(1);
    return s;
}

QUrl DownloadSettings::pageUrl(int grade) const {
    return server.isEmpty() ? QUrl() : QUrl(server + u"/xx/"_s + QString::number(grade) + u"nj.asp"_s);
}

QUrl DownloadSettings::startPageUrl() const {
    return server.isEmpty() ? QUrl() : QUrl(server + u"/xx/orveltk.asp?id=20160808"_s);
}

void requestStartPage(QNetworkAccessManager &network, const DownloadSettings &settings) {
    const QUrl url = settings.startPageUrl();
    if (!url.isValid())
        return;
    QNetworkReply *reply = network.get(QNetworkRequest(url));
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
}

BankDownload::BankDownload(QNetworkAccessManager &network, DownloadSettings settings, QString bankDir)
    : network_(network)
    , settings_(std::move(settings))
    , bankDir_(std::move(bankDir)) {}

QString BankDownload::temporaryFile(const QString &bankDir, int grade) {
    return bankDir + u"/"_s + QString::number(grade) + u"nj.tmp"_s;
}

QString BankDownload::fetchPage(DownloadHost &host, int grade) {
    const QUrl url = settings_.pageUrl(grade);
    if (!url.isValid())
        return {}; // no server set: as if it could not be reached
    QNetworkRequest request(url);
    request.setTransferTimeout(settings_.pageTimeoutMs);
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(network_.get(request),
                                                                    [](QNetworkReply *r) {
                                                                        r->abort();
                                                                        r->deleteLater();
                                                                    });
    // Wait for the page, letting events run; the stop click ends the wait at once, and a page that has
    // not answered in time counts as not usable.
    QDeadlineTimer deadline(settings_.pageTimeoutMs);
    while (!reply->isFinished()) {
        host.processEvents();
        if (host.stopRequested() || deadline.hasExpired())
            return {};
        if (!reply->isFinished())
            QThread::msleep(2); // no busy spin while the page is on its way
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status >= 400)
        return {};
    QString text = pagetext::bodyContent(
        pagetext::decode(reply->readAll(), reply->header(QNetworkRequest::ContentTypeHeader).toString()));
    if (text.isNull())
        text = u""_s;
    return text;
}

bool BankDownload::writeTemporary(DownloadHost &host, int grade, const QStringList &records,
                                  QString *failure) {
    QFile file(temporaryFile(bankDir_, grade));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *failure = file.errorString();
        return false;
    }
    for (const QString &record : records) {
        host.processEvents();
        QByteArray line = banktext::encode(record);
        line.append("\r\n");
        if (file.write(line) != line.size()) {
            *failure = file.errorString();
            return false;
        }
    }
    if (!file.flush()) {
        *failure = file.errorString();
        return false;
    }
    return true;
}

bool BankDownload::joinIntoBank(const bool usable[7], QString *failure) {
    // The grades that failed keep their records from the bank as it was.
    QByteArray kept[7];
    bool anyFailed = false;
    for (int g = 1; g <= 6; ++g)
        anyFailed = anyFailed || !usable[g];
    const QString bankPath = BankLoader::downloadedBankPath(bankDir_);
    if (anyFailed && QFile::exists(bankPath)) {
        const Result<QString> old = banktext::readFile(bankPath);
        if (old) {
            banktext::forEachLine(old.value(), [&](QStringView line) {
                QStringView grade;
                bool hasGrade = false;
                BankLoader::parseLine(line, &grade, &hasGrade);
                const int g = hasGrade ? grade.trimmed().toInt() : 0;
                if (g >= 1 && g <= 6 && !usable[g]) {
                    kept[g] += banktext::encode(line);
                    kept[g] += "\r\n";
                }
            });
        }
    }

    QSaveFile bank(bankPath);
    if (!bank.open(QIODevice::WriteOnly)) {
        *failure = bank.errorString();
        return false;
    }
    for (int g = 1; g <= 6; ++g) {
        QByteArray part = kept[g];
        if (usable[g]) {
            QFile piece(temporaryFile(bankDir_, g));
            if (!piece.open(QIODevice::ReadOnly)) {
                bank.cancelWriting();
                *failure = piece.errorString();
                return false;
            }
            part = piece.readAll();
        }
        if (bank.write(part) != part.size()) {
            *failure = bank.errorString();
            bank.cancelWriting();
            return false;
        }
    }
    // The rename happens here, after the whole join: never a half-written bank.
    if (!bank.commit()) {
        *failure = bank.errorString();
        return false;
    }
    return true;
}

DownloadOutcome BankDownload::run(DownloadHost &host) {
    DownloadOutcome outcome;
    host.setButtonsEnabled(false);
    outcome.confirmed = host.confirm(u"题库已经准备完毕，确认下载？"_s);
    if (outcome.confirmed) {
        host.setStatus(u"正在下载题库中，估计需要1分钟，请等待......"_s);
        bool usable[7] = {};
        QString failure;
        for (int g = 1; g <= 6; ++g) {
            const QString page = fetchPage(host, g);
            if (page.isNull() || !pagetext::usable(page)) {
                host.setStatus(u"网络连接失败，"_s + QString::number(g) + u"年级题库下载不成功！"_s);
                continue;
            }
            host.setStatus(QString::number(g) + u"年级题库下载成功，正在下载"_s + QString::number(g + 1) +
                           u"年级题库……"_s);
            usable[g] = writeTemporary(host, g, pagetext::records(pagetext::normalised(page)), &failure);
            if (usable[g])
                ++outcome.usableGrades;
        }
        host.setStatus(QString());
        const QString pieceFailure = failure;
        failure.clear();
        if (outcome.usableGrades > 0)
            outcome.bankWritten = joinIntoBank(usable, &failure);
        for (int g = 1; g <= 6; ++g)
            QFile::remove(temporaryFile(bankDir_, g));
        const QString folder = QDir::toNativeSeparators(bankDir_);
        if (!outcome.bankWritten && !(failure.isEmpty() && pieceFailure.isEmpty())) {
            outcome.failure = failure.isEmpty() ? pieceFailure : failure;
            host.showNotice(u"题库无法写入%1（%2），原来的题库没有改动。"_s.arg(folder, outcome.failure));
        } else if (!pieceFailure.isEmpty()) {
            outcome.failure = pieceFailure;
            host.showNotice(
                u"部分年级的题库无法写入%1（%2），这些年级保留原来的题目。"_s.arg(folder, pieceFailure));
        }
    }
    host.showNotice(u"下载任务结束！"_s);
    host.setButtonsEnabled(true);
    return outcome;
}
