// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/BankDownload.h"

#include "bank/BankLoader.h"
#include "bank/BankRecord.h"
#include "bank/BankText.h"
#include "common/AtomicFile.h"
#include "download/PageText.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcessEnvironment>
#include <QSettings>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

DownloadSettings DownloadSettings::read(const QString &settingsFile) {
    DownloadSettings s;
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    s.server = env.contains(u"TESSALY_DOWNLOAD_SERVER"_s)
                   ? env.value(u"TESSALY_DOWNLOAD_SERVER"_s)
                   : QSettings(settingsFile, QSettings::IniFormat).value(u"download/server"_s).toString();
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

QString BankDownload::backupPath(const QString &bankDir) {
    return BankLoader::downloadedBankPath(bankDir) + u".bak"_s;
}

namespace {

Result<QByteArray> readWhole(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QByteArray>::failure(
            u"无法读取 %1：%2"_s.arg(QDir::toNativeSeparators(path), file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<QByteArray>::failure(
            u"无法读取 %1：%2"_s.arg(QDir::toNativeSeparators(path), file.errorString()));
    return Result<QByteArray>::success(std::move(bytes));
}

Status writeWhole(const QString &path, const QByteArray &bytes) {
    return writeFileAtomically(path, bytes);
}

// The file as it is now, under the backup's name: a second name for the same file where the file system
// allows it (no copy, no space), else a copy; either way put in place by one rename.
Status keepAsBackup(const QString &path, const QString &backup) {
    const QByteArray from = QFile::encodeName(path), temporary = QFile::encodeName(backup + u".part"_s);
    ::unlink(temporary.constData());
    if (::linkat(AT_FDCWD, from.constData(), AT_FDCWD, temporary.constData(), AT_SYMLINK_FOLLOW) == 0) {
        if (::rename(temporary.constData(), QFile::encodeName(backup).constData()) == 0)
            return succeeded();
        const int error = errno;
        ::unlink(temporary.constData());
        return Status::failure(systemErrorText(error));
    }
    const Result<QByteArray> bytes = readWhole(path);
    if (!bytes)
        return Status::failure(bytes.error());
    return writeWhole(backup, bytes.value());
}

} // namespace

Status BankDownload::restoreBackup(const QString &bankDir) {
    QLockFile lock(lockFile(bankDir));
    if (!lock.tryLock(0))
        return Status::failure(u"另一个下载正在更新这个文件夹的题库"_s);
    const QString bank = BankLoader::downloadedBankPath(bankDir), backup = backupPath(bankDir);
    if (!QFileInfo::exists(backup))
        return Status::failure(u"没有上次的题库可以恢复"_s);
    const Result<QByteArray> before = readWhole(backup);
    if (!before)
        return Status::failure(before.error());
    std::optional<QByteArray> current;
    if (QFileInfo::exists(bank)) {
        Result<QByteArray> now = readWhole(bank);
        if (!now)
            return Status::failure(now.error());
        current = std::move(now).value();
    }
    // The bank first: if the backup cannot then be written, the old backup is still the old bank.
    if (Status restored = writeWhole(bank, before.value()); !restored)
        return restored;
    if (current)
        if (Status kept = writeWhole(backup, *current); !kept)
            return Status::failure(u"题库已恢复，但被替换的题库没能保存为备份：%1"_s.arg(kept.error()));
    return succeeded();
}

QString BankDownload::lockFile(const QString &bankDir) {
    return bankDir + u"/.tessaly-download.lock"_s;
}

QString BankDownload::statusText(int grade, PageFault fault) const {
    const QString g = QString::number(grade);
    switch (fault) {
    case PageFault::None:
        return g + u"年级题库下载成功，正在下载"_s + QString::number(grade + 1) + u"年级题库……"_s;
    case PageFault::TooLarge:
        return g + u"年级题库页面过大（超过%1MB），已停止接收，下载不成功！"_s.arg(settings_.pageLimitBytes /
                                                                                   (qint64{1024} * 1024));
    case PageFault::Incomplete:
        return g + u"年级题库页面没有完整收到（连接中断），下载不成功！"_s;
    case PageFault::BadEncoding:
        return g + u"年级题库页面的文字编码有误，下载不成功！"_s;
    case PageFault::Network:
    case PageFault::Stopped:
    case PageFault::NotABank:
        break;
    }
    return u"网络连接失败，"_s + g + u"年级题库下载不成功！"_s;
}

BankDownload::Page BankDownload::fetchPage(DownloadHost &host, int grade) {
    const QUrl url = settings_.pageUrl(grade);
    if (!url.isValid())
        return {{}, PageFault::Network}; // no server set: as if it could not be reached
    QNetworkRequest request(url);
    request.setTransferTimeout(settings_.pageTimeoutMs);
    // Plain bytes, so the received length can be held against the declared one.
    request.setRawHeader("Accept-Encoding", "identity");
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(network_.get(request),
                                                                    [](QNetworkReply *r) {
                                                                        r->abort();
                                                                        r->deleteLater();
                                                                    });
    // Qt keeps at most this much unread; the loop below drains it, so memory stays bounded.
    reply->setReadBufferSize(qint64{1024} * 1024);
    // Wait for the page, letting events run; the stop click ends the wait at once, and a page that has
    // not answered in time counts as not usable.
    QByteArray body;
    QDeadlineTimer deadline(settings_.pageTimeoutMs);
    for (;;) {
        host.yield();
        body += reply->readAll();
        if (body.size() > settings_.pageLimitBytes)
            return {{}, PageFault::TooLarge};
        if (host.stopRequested())
            return {{}, PageFault::Stopped};
        if (reply->isFinished())
            break;
        if (deadline.hasExpired())
            return {{}, PageFault::Network};
        QThread::msleep(2); // no busy spin while the page is on its way
    }
    body += reply->readAll();
    if (body.size() > settings_.pageLimitBytes)
        return {{}, PageFault::TooLarge};
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400)
        return {{}, PageFault::Network};
    if (reply->error() != QNetworkReply::NoError)
        return {{}, body.isEmpty() ? PageFault::Network : PageFault::Incomplete};
    const QVariant declared = reply->header(QNetworkRequest::ContentLengthHeader);
    if (declared.isValid() && reply->rawHeader("Content-Encoding").isEmpty() &&
        declared.toLongLong() != body.size())
        return {{}, PageFault::Incomplete};

    bool clean = true;
    QString text = pagetext::bodyContent(
        pagetext::decode(body, reply->header(QNetworkRequest::ContentTypeHeader).toString(), &clean));
    if (!pagetext::usable(text))
        return {{}, PageFault::NotABank};
    if (!clean)
        return {{}, PageFault::BadEncoding};
    return {std::move(text), PageFault::None};
}

bool BankDownload::joinIntoBank(const QByteArray pieces[7], const bool usable[7], QString *failure) {
    // The grades that failed keep their records from the bank as it was.
    QByteArray kept[7];
    bool anyFailed = false;
    for (int g = 1; g <= 6; ++g)
        anyFailed = anyFailed || !usable[g];
    const QString bankPath = BankLoader::downloadedBankPath(bankDir_);
    if (anyFailed && QFileInfo::exists(bankPath)) {
        const Result<QString> old = banktext::readFile(bankPath);
        if (!old) {
            // Writing now would lose the failed grades' questions: better no new bank at all.
            *failure = u"%1；下载不成功的年级原有的题目无法保留"_s.arg(old.error());
            return false;
        }
        banktext::forEachLine(old.value(), [&](QStringView line) {
            const int g = bankrecord::parse(line).grade;
            if (g >= 1 && g <= 6 && !usable[g]) {
                kept[g] += banktext::encode(line);
                kept[g] += "\r\n";
            }
        });
    }

    AtomicFile bank(bankPath);
    Status step = bank.open();
    for (int g = 1; step && g <= 6; ++g)
        step = bank.write(usable[g] ? pieces[g] : kept[g]);
    // Once the new bank is whole, the old one becomes the backup, so a download that brought the wrong
    // bank can be taken back; no backup, no new bank.
    if (step && QFileInfo::exists(bankPath))
        if (const Status backedUp = keepAsBackup(bankPath, backupPath(bankDir_)); !backedUp) {
            bank.cancel();
            *failure = u"原来的题库无法保存为备份（%1）"_s.arg(backedUp.error());
            return false;
        }
    if (step)
        step = bank.commit();
    if (!step) {
        *failure = step.error();
        return false;
    }
    return true;
}

DownloadOutcome BankDownload::run(DownloadHost &host) {
    DownloadOutcome outcome;
    host.setButtonsEnabled(false);
    outcome.confirmed = host.confirm(u"题库已经准备完毕，确认下载？"_s);
    if (!outcome.confirmed) {
        host.showNotice(u"下载任务结束！"_s);
    } else {
        QLockFile lock(lockFile(bankDir_));
        if (lock.tryLock(0)) {
            download(host, outcome);
        } else {
            outcome.failure =
                lock.error() == QLockFile::LockFailedError
                    ? u"另一个下载正在更新这个文件夹的题库"_s
                    : u"无法在题库文件夹 %1 中建立锁文件"_s.arg(QDir::toNativeSeparators(bankDir_));
            host.showNotice(u"下载没有开始：%1，原来的题库没有改动。"_s.arg(outcome.failure));
        }
    }
    host.setButtonsEnabled(true);
    return outcome;
}

void BankDownload::download(DownloadHost &host, DownloadOutcome &outcome) {
    host.setStatus(u"正在下载题库中，估计需要1分钟，请等待......"_s);
    QByteArray pieces[7];
    bool usable[7] = {};
    for (int g = 1; g <= 6 && !outcome.stopped; ++g) {
        const Page page = fetchPage(host, g);
        if (page.fault == PageFault::Stopped) {
            outcome.stopped = true;
            break;
        }
        PageFault fault = page.fault;
        const QString text = fault == PageFault::None ? pagetext::normalised(page.text) : QString();
        if (fault == PageFault::None && !pagetext::complete(text))
            fault = PageFault::Incomplete;
        host.setStatus(statusText(g, fault));
        if (fault != PageFault::None) {
            outcome.failedGrades.append(g);
            continue;
        }
        // One record a line, the piece after the last "##" too, as the grade's file always had it.
        for (const QString &record : pagetext::records(text)) {
            host.yield();
            if (host.stopRequested()) {
                outcome.stopped = true;
                break;
            }
            pieces[g] += banktext::encode(record);
            pieces[g] += "\r\n";
        }
        usable[g] = !outcome.stopped;
        if (usable[g])
            ++outcome.usableGrades;
    }
    host.setStatus(QString());

    const QString folder = QDir::toNativeSeparators(bankDir_);
    if (outcome.stopped) {
        host.showNotice(u"下载已停止，原来的题库没有改动。"_s);
        return;
    }
    if (outcome.usableGrades == 0) {
        host.showNotice(u"下载失败：六个年级的题库都没有下载成功，原来的题库没有改动。"_s);
        return;
    }
    outcome.bankWritten = joinIntoBank(pieces, usable, &outcome.failure);
    if (!outcome.bankWritten) {
        host.showNotice(u"题库无法写入%1（%2），原来的题库没有改动。"_s.arg(folder, outcome.failure));
        return;
    }
    if (outcome.failedGrades.isEmpty()) {
        host.showNotice(u"下载任务结束！"_s);
        return;
    }
    QStringList grades;
    for (int g : outcome.failedGrades)
        grades.append(QString::number(g));
    host.showNotice(
        u"下载任务结束！%1年级题库下载不成功，这些年级保留原来的题目。"_s.arg(grades.join(u'、')));
}
