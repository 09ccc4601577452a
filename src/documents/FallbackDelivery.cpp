// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/FallbackDelivery.h"

#include "documents/WorkAside.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <optional>

using namespace Qt::Literals::StringLiterals;

Result<QString> FileDelivery::deliver(const DocxTarget &sheet, const QString &path) {
    if (path.isEmpty())
        return Result<QString>::failure(u"没有给出试卷要写入的文件"_s);
    if (const Status written = sheet.saveTo(path); !written)
        return Result<QString>::failure(written.error());
    return Result<QString>::success(path);
}

FallbackDelivery::FallbackDelivery(std::unique_ptr<SheetDelivery> primary, QString unreachable,
                                   QString folder, Notify notify, OpenFile open,
                                   std::function<bool()> stopped, std::function<void()> idle)
    : primary_(std::move(primary))
    , unreachable_(std::move(unreachable))
    , folder_(std::move(folder))
    , notify_(std::move(notify))
    , open_(std::move(open))
    , stopped_(std::move(stopped))
    , idle_(std::move(idle)) {}

QString FallbackDelivery::defaultFolder() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return documents + u"/Tessaly"_s;
}

QString FallbackDelivery::fileNameFor(const QString &folder, const QString &title, const QDateTime &when) {
    QString base = title.trimmed();
    for (QChar bad : {u'/', u'\\', u':', u'*', u'?', u'"', u'<', u'>', u'|'})
        base.replace(bad, u'_');
    if (base.isEmpty())
        base = u"Tessaly"_s;
    base += when.toString(u"_yyyyMMdd_HHmmss"_s);
    QString name = base + u".docx"_s;
    for (int n = 2; QFileInfo::exists(QDir(folder).filePath(name)); ++n)
        name = base + u"_"_s + QString::number(n) + u".docx"_s;
    return name;
}

bool FallbackDelivery::openWithDefaultApplication(const QString &path) {
    return QProcess::startDetached(u"xdg-open"_s, {path});
}

void FallbackDelivery::finish() {
    if (primary_)
        primary_->finish();
}

namespace {

// Packed and written on a thread of its own while the window's events run: the copy of the sheet costs
// nothing (it shares the content), and the save is waited for to its end, since a stop must not leave
// half a file.
Status save(const DocxTarget &sheet, const QString &file, const std::function<void()> &idle) {
    if (!idle)
        return sheet.saveTo(file);
    auto copy = std::make_shared<const DocxTarget>(sheet);
    auto written = std::make_shared<std::optional<Status>>();
    waitAside([copy, file, written] { *written = copy->saveTo(file); }, idle);
    return std::move(**written);
}

} // namespace

Result<QString> FallbackDelivery::deliver(const DocxTarget &sheet, const QString &path) {
    QString reason = unreachable_;
    if (primary_) {
        Result<QString> shown = primary_->deliver(sheet, path);
        if (shown || (stopped_ && stopped_()))
            return shown;
        reason = shown.error();
        // A word processor that failed once is not tried again for the sheets that follow.
        primary_.reset();
        unreachable_ = reason;
        failedWhileTyping_ = true;
    }
    const bool asked = unreachable_.isEmpty();

    if (!QDir().mkpath(folder_)) {
        const QString message = u"试卷无法保存：无法创建文件夹 %1"_s.arg(QDir::toNativeSeparators(folder_));
        notify_(message);
        return Result<QString>::failure(message);
    }
    const QString file =
        QDir(folder_).filePath(fileNameFor(folder_, sheet.title(), QDateTime::currentDateTime()));
    if (const Status written = save(sheet, file, idle_); !written) {
        notify_(u"试卷无法保存：%1"_s.arg(written.error()));
        return Result<QString>::failure(written.error());
    }
    const QString where = QDir::toNativeSeparators(file);
    if (asked)
        notify_(u"试卷已保存为：%1"_s.arg(where));
    else if (failedWhileTyping_)
        notify_(u"文字处理软件在输入试卷时出错（%1），完整的试卷已保存为：%2"_s.arg(reason, where));
    else
        notify_(u"没有可用的文字处理软件（%1），试卷已保存为：%2"_s.arg(reason, where));
    if (open_)
        open_(file);
    return Result<QString>::success(file);
}
