// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/FallbackTarget.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

FallbackTarget::FallbackTarget(std::unique_ptr<DocumentTarget> primary, QString unreachable, QString folder,
                               Notify notify, OpenFile open)
    : primary_(std::move(primary))
    , unreachable_(std::move(unreachable))
    , folder_(std::move(folder))
    , notify_(std::move(notify))
    , open_(std::move(open)) {}

// Every operation goes to the .docx and, while it works, to the word processor.
#define BOTH(call)                                                                                           \
    do {                                                                                                     \
        docx_.call;                                                                                          \
        if (primaryWorks())                                                                                  \
            primary_->call;                                                                                  \
    } while (false)

void FallbackTarget::newDocument() {
    BOTH(newDocument());
}
void FallbackTarget::setPageMargins(int points) {
    BOTH(setPageMargins(points));
}
void FallbackTarget::setBold(bool bold) {
    BOTH(setBold(bold));
}
void FallbackTarget::setFontName(const QString &name) {
    BOTH(setFontName(name));
}
void FallbackTarget::setFontSize(double points) {
    BOTH(setFontSize(points));
}
void FallbackTarget::setAlignment(Alignment alignment) {
    BOTH(setAlignment(alignment));
}
void FallbackTarget::endParagraph() {
    BOTH(endParagraph());
}
void FallbackTarget::setPageLayout(const PageLayout &layout) {
    BOTH(setPageLayout(layout));
}
void FallbackTarget::beginQuestions() {
    BOTH(beginQuestions());
}
void FallbackTarget::setKeep(bool withNext, bool together) {
    BOTH(setKeep(withNext, together));
}

void FallbackTarget::typeText(const QString &text) {
    if (title_.isEmpty())
        title_ = text; // the writer types the title first
    BOTH(typeText(text));
}

#undef BOTH

QString FallbackTarget::defaultFolder() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return documents + u"/Tessaly"_s;
}

QString FallbackTarget::fileNameFor(const QString &folder, const QString &title, const QDateTime &when) {
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

bool FallbackTarget::openWithDefaultApplication(const QString &path) {
    return QProcess::startDetached(u"xdg-open"_s, {path});
}

void FallbackTarget::show() {
    if (primaryWorks())
        primary_->show();
    if (primaryWorks())
        return;

    QString reason = unreachable_;
    if (primary_)
        reason = primary_->failure();
    const bool asked = !primary_ && unreachable_.isEmpty();

    if (!QDir().mkpath(folder_)) {
        const QString message = u"试卷无法保存：无法创建文件夹 %1"_s.arg(QDir::toNativeSeparators(folder_));
        recordFailure(message);
        notify_(message);
        return;
    }
    const QString path = QDir(folder_).filePath(fileNameFor(folder_, title_, QDateTime::currentDateTime()));
    const Status written = docx_.saveTo(path);
    if (!written) {
        recordFailure(written.error());
        notify_(u"试卷无法保存：%1"_s.arg(written.error()));
        return;
    }
    savedPath_ = path;
    const QString where = QDir::toNativeSeparators(path);
    if (asked)
        notify_(u"试卷已保存为：%1"_s.arg(where));
    else if (primary_)
        notify_(u"文字处理软件在输入试卷时出错（%1），完整的试卷已保存为：%2"_s.arg(reason, where));
    else
        notify_(u"没有可用的文字处理软件（%1），试卷已保存为：%2"_s.arg(reason, where));
    if (open_)
        open_(path);
}
