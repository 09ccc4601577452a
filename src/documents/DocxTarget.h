// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "generation/DocumentTarget.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Builds the worksheet as a .docx file that Word, WPS and LibreOffice open alike. The operations
// collect paragraphs in memory; show() writes the file, to a temporary name beside it that is then
// renamed, so a failure never leaves half a document. The page: the layout's paper and orientation; the
// heading in a section of one column, the questions in a continuous section of the layout's columns,
// with an at-least line spacing and the keep flags the writer sets.
class DocxTarget : public DocumentTarget {
public:
    explicit DocxTarget(QString path);

    void newDocument() override;
    void setPageMargins(int points) override { marginPoints_ = points; }
    void setBold(bool bold) override { format_.bold = bold; }
    void setFontName(const QString &name) override { format_.font = name; }
    void setFontSize(double points) override { format_.halfPoints = qRound(points * 2); }
    void setAlignment(Alignment alignment) override { paragraphs_.back().alignment = alignment; }
    void setPageLayout(const PageLayout &layout) override { layout_ = layout; }
    void beginQuestions() override;
    void setKeep(bool withNext, bool together) override;
    void typeText(const QString &text) override;
    void endParagraph() override;
    void show() override;

    const QString &path() const { return path_; }
    // What typeText() had to change so the document stays well-formed XML, for the user to read.
    const QStringList &warnings() const { return warnings_; }
    // Text as XML can hold it: a lone surrogate becomes U+FFFD, control characters (but tab, line
    // feed and carriage return) and U+FFFE, U+FFFF are dropped. *changes lists what was done.
    static QString xmlSafe(const QString &text, QStringList *changes);
    // The document part (word/document.xml) as it stands.
    QByteArray documentXml() const;
    // The whole package, as show() writes it.
    Result<QByteArray> package() const;
    // Keeps the sheet written so far and starts another in the same document, on a new page: several
    // sheets in one file. The next newDocument() begins the new sheet; show() writes them all.
    void keepSheetAndStartAnother();
    // Writes the package to a file (temporary name, then rename), whatever path() says.
    Status saveTo(const QString &path) const;

private:
    struct Format {
        bool bold = false;
        QString font;
        int halfPoints = 21; // 10.5 point, the usual default of Chinese documents
        bool operator==(const Format &) const = default;
    };
    struct Run {
        Format format;
        QString text;
    };
    struct Paragraph {
        Alignment alignment = Alignment::Left;
        std::vector<Run> runs;
        Format mark; // the paragraph mark keeps the formatting at the moment the paragraph ended
        bool keepNext = false;
        bool keepLines = false;
        bool question = false; // in the questions' section
    };

    bool writeDocumentXml(QByteArray *xml) const;

    struct Sheet {
        std::vector<Paragraph> paragraphs;
        Format format;
        int marginPoints;
        PageLayout layout;
        qsizetype questionsFrom;
    };
    std::vector<Sheet> finished_;

    QString path_;
    QStringList warnings_;
    int marginPoints_ = 72;
    PageLayout layout_;
    qsizetype questionsFrom_ = -1; // the first question paragraph, -1 before beginQuestions()
    Format format_;
    std::vector<Paragraph> paragraphs_;
};
