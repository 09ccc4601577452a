// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Reads a .docx back for the tests: the parts of the package and the paragraphs of its document part.
namespace docxreader {

struct Run {
    QString text;
    bool bold = false;
    QString font;  // w:eastAsia of w:rFonts
    QString latin; // w:ascii of w:rFonts
    int halfPoints = 0;
};

struct Paragraph {
    QString alignment; // w:jc
    QList<Run> runs;
    int markHalfPoints = 0; // the paragraph mark's size, which sets an empty line's height
    bool keepNext = false, keepLines = false;
    int lineTwips = 0; // w:spacing w:line
    QString lineRule;  // w:spacing w:lineRule
    int columns = 0;   // the section this paragraph belongs to: its w:cols num (1 when not given)
    QString text() const;
};

struct Section {
    int widthTwips = 0, heightTwips = 0;
    QString orientation; // w:orient, empty for portrait
    int columns = 1;
    int columnGapTwips = 0;
    QString type; // w:type, empty for a new page
    QStringList margins;
};

struct Document {
    // The sheet's paragraphs; a paragraph that only ends a section (no runs, a w:sectPr) is not one.
    QList<Paragraph> paragraphs;
    QList<Section> sections; // in document order, the body's own last
    QStringList margins;     // of the last section: top, right, bottom, left in twips
    QStringList texts() const;
};

// The names of the package's parts, or std::nullopt when the bytes are no zip archive.
std::optional<QStringList> partNames(const QByteArray &package);
std::optional<QByteArray> part(const QByteArray &package, const QString &name);
std::optional<Document> parse(const QByteArray &documentXml);

} // namespace docxreader
