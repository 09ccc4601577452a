// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "generation/DocumentTarget.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

namespace docxparts {
struct Needs;
}

// The builder of every sheet: a .docx that Word, WPS and LibreOffice open alike, collected in memory.
// A delivery then takes the finished package: to a file (written under a temporary name and renamed,
// so a failure never leaves half a document), into the office, or into the documents folder. The page: the
// layout's paper and orientation; the heading in a section of one column, the questions in a continuous
// section of the layout's columns, with an at-least line spacing and the keep flags the writer sets.
class DocxTarget : public DocumentTarget {
public:
    DocxTarget();

    void newDocument() override;
    void setPageMargins(int points) override { edit().current.marginPoints = points; }
    void setBold(bool bold) override { edit().current.format.bold = bold; }
    void setFontName(const QString &name) override { edit().current.format.font = name; }
    void setFontSize(double points) override { edit().current.format.halfPoints = qRound(points * 2); }
    void setAlignment(Alignment alignment) override {
        edit().current.paragraphs.back().alignment = alignment;
    }
    void setPageLayout(const PageLayout &layout) override { edit().current.layout = layout; }
    void beginQuestions() override;
    void setKeep(bool withNext, bool together) override;
    void typeText(const QString &text) override;
    void typeWriteInBlank(const QString &open, const QString &close) override;
    void typeRuby(const QString &base, const QString &ruby) override;
    void lineBreak() override;
    void endParagraph() override;
    void nextSheet() override;
    void setSheetsOnOddPages(bool odd) override { edit().oddPages = odd; }
    void setPageNumbers(bool on) override { edit().current.pageNumbers = on; }
    void setSealLine(SealPages pages) override { edit().current.seal = pages; }
    void setEvenColumns(bool even) override { edit().current.evenColumns = even; }
    void setCornerCode(const QString &text) override { edit().current.cornerCode = text; }
    void insertTable(const QList<QStringList> &rows) override;
    void ruleToLineEnd() override;

    // The text the sheet began with (its title), for a file name.
    QString title() const;
    // Text as XML can hold it: a lone surrogate becomes U+FFFD, control characters (but tab, line
    // feed and carriage return) and U+FFFE, U+FFFF are dropped. *changes lists what was done.
    static QString xmlSafe(const QString &text, QStringList *changes);
    // The document part (word/document.xml) as it stands.
    QByteArray documentXml() const;
    // The whole package.
    Result<QByteArray> package() const;
    // Writes the package to a file (temporary name, then rename).
    Status saveTo(const QString &path) const;

private:
    struct Format {
        bool bold = false;
        QString font;
        int halfPoints = 21;  // 10.5 point, the usual default of Chinese documents
        int spacingTwips = 0; // room after each character: a gap that is no space to break at
        bool operator==(const Format &) const = default;
    };
    struct Run {
        enum class Kind : std::uint8_t { Text, Break, Tab, Ruby };
        Format format;
        QString text;
        Kind kind = Kind::Text; // a break or a tab stands in place of text
        QString ruby;           // the pinyin over the text of a Ruby run
    };
    struct Paragraph {
        Alignment alignment = Alignment::Left;
        std::vector<Run> runs;
        Format mark; // the paragraph mark keeps the formatting at the moment the paragraph ended
        bool keepNext = false;
        bool keepLines = false;
        bool question = false;    // in the questions' section
        bool ruled = false;       // has a tab stop at the column's end that draws a line to it
        QList<QStringList> table; // a table in place of the paragraph
    };

    bool writeDocumentXml(QByteArray *xml) const;
    static void writeTable(QByteArray &out, const QList<QStringList> &rows, const QByteArray &properties);
    // One character with this much room after it, in twentieths of a point.
    void typeWithRoomAfter(const QString &character, int twips);
    static QByteArray runProperties(const Format &format);

    struct Sheet {
        std::vector<Paragraph> paragraphs;
        Format format;
        int marginPoints = 72;
        PageLayout layout;
        qsizetype questionsFrom = -1; // the first question paragraph, -1 before beginQuestions()
        bool pageNumbers = false;
        SealPages seal = SealPages::None;
        bool evenColumns = false;
        QString cornerCode; // the QR code's text; empty: none
    };
    // What the sheet holds, shared by copies until one of them changes it: a delivery copies a finished
    // document of 100,000 questions to work on it aside, and that copy costs nothing.
    struct Content {
        std::vector<Sheet> finished;
        Sheet current;
        bool oddPages = false; // the whole document's: newDocument() keeps it
    };
    // Which parts around the document part the sheets need.
    docxparts::Needs partsNeeded() const;
    Content &edit();
    std::shared_ptr<Content> content_;
};
