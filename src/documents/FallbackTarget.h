// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "documents/DocxTarget.h"
#include "generation/DocumentTarget.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

// Sends the worksheet to the word processor and keeps a .docx of it in memory at the same time. When
// no word processor answered, or one failed while the worksheet was typed, the .docx of the whole
// worksheet is saved to the documents folder, the user is told where, and the file is opened with the
// system's default application: the worksheet never ends in silence.
class FallbackTarget : public DocumentTarget {
public:
    using Notify = std::function<void(const QString &)>;
    using OpenFile = std::function<bool(const QString &)>;

    // primary may be null: then unreachable says why (empty when the .docx was asked for).
    FallbackTarget(std::unique_ptr<DocumentTarget> primary, QString unreachable, QString folder,
                   Notify notify, OpenFile open);

    void newDocument() override;
    void setPageMargins(int points) override;
    void setBold(bool bold) override;
    void setFontName(const QString &name) override;
    void setFontSize(double points) override;
    void setAlignment(Alignment alignment) override;
    void setPageLayout(const PageLayout &layout) override;
    void beginQuestions() override;
    void setKeep(bool withNext, bool together) override;
    void typeText(const QString &text) override;
    void endParagraph() override;
    void show() override;

    DocumentTarget *primary() const { return primary_.get(); }
    // Where the .docx went, once show() has had to save it.
    const QString &savedPath() const { return savedPath_; }

    // A file name from the title and the time, not yet taken in the folder.
    static QString fileNameFor(const QString &folder, const QString &title, const QDateTime &when);
    // The documents folder's subfolder for the program.
    static QString defaultFolder();
    // Opens a file with the desktop's default application.
    static bool openWithDefaultApplication(const QString &path);

private:
    bool primaryWorks() const { return primary_ && !primary_->failed(); }

    std::unique_ptr<DocumentTarget> primary_;
    QString unreachable_;
    QString folder_;
    Notify notify_;
    OpenFile open_;
    DocxTarget docx_{QString()};
    QString title_;
    QString savedPath_;
};
