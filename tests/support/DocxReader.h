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
    QString text() const;
};

struct Document {
    QList<Paragraph> paragraphs;
    QStringList margins; // top, right, bottom, left in twips
    QStringList texts() const;
};

// The names of the package's parts, or std::nullopt when the bytes are no zip archive.
std::optional<QStringList> partNames(const QByteArray &package);
std::optional<QByteArray> part(const QByteArray &package, const QString &name);
std::optional<Document> parse(const QByteArray &documentXml);

} // namespace docxreader
