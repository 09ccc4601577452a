// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/DocxTarget.h"

#include "documents/DocxPackage.h"

#include <QXmlStreamWriter>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString W = u"http://schemas.openxmlformats.org/wordprocessingml/2006/main"_s;

// Between columns: one centimetre, in twips. Margins are given in points (1 point = 20 twips).
constexpr int ColumnGapTwips = 567;

QByteArray contentTypes() {
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
        "</Types>");
}

QByteArray packageRelationships() {
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"word/document.xml\"/>"
        "</Relationships>");
}

} // namespace

DocxTarget::DocxTarget() {
    newDocument();
}

void DocxTarget::newDocument() {
    paragraphs_.clear();
    paragraphs_.emplace_back();
    format_ = Format{};
    marginPoints_ = 72;
    layout_ = PageLayout{};
    questionsFrom_ = -1;
}

void DocxTarget::nextSheet() {
    finished_.push_back(Sheet{std::move(paragraphs_), format_, marginPoints_, layout_, questionsFrom_});
    newDocument();
}

void DocxTarget::beginQuestions() {
    questionsFrom_ = static_cast<qsizetype>(paragraphs_.size()) - 1;
    paragraphs_.back().question = true;
}

void DocxTarget::setKeep(bool withNext, bool together) {
    paragraphs_.back().keepNext = withNext;
    paragraphs_.back().keepLines = together;
}

QString DocxTarget::xmlSafe(const QString &text, QStringList *changes) {
    QString safe;
    safe.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            safe += text[i];
            safe += text[++i];
        } else if (QChar::isSurrogate(c)) {
            safe += QChar(QChar::ReplacementCharacter);
            changes->append(
                u"不成对的代理码元 U+%1 换成了 U+FFFD"_s.arg(int(c), 4, 16, QChar(u'0')).toUpper());
        } else if ((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF) {
            changes->append(u"去掉了文档无法容纳的字符 U+%1"_s.arg(int(c), 4, 16, QChar(u'0')).toUpper());
        } else {
            safe += text[i];
        }
    }
    return safe;
}

void DocxTarget::typeText(const QString &input) {
    if (input.isEmpty())
        return;
    QStringList changes;
    const QString text = xmlSafe(input, &changes);
    for (const QString &change : changes)
        recordWarning(u"%1（在“%2”中）"_s.arg(change, QString(text).left(20)));
    if (text.isEmpty())
        return;
    std::vector<Run> &runs = paragraphs_.back().runs;
    if (!runs.empty() && runs.back().format == format_)
        runs.back().text += text;
    else
        runs.push_back(Run{format_, text});
}

void DocxTarget::endParagraph() {
    paragraphs_.back().mark = format_;
    // A new paragraph keeps the alignment of the one before, as in a word processor after Enter.
    const Alignment alignment = paragraphs_.back().alignment;
    const bool question = paragraphs_.back().question;
    paragraphs_.emplace_back();
    paragraphs_.back().alignment = alignment;
    paragraphs_.back().question = question;
}

QByteArray DocxTarget::documentXml() const {
    QByteArray xml;
    writeDocumentXml(&xml);
    return xml;
}

bool DocxTarget::writeDocumentXml(QByteArray *xml) const {
    QXmlStreamWriter w(xml);
    w.setAutoFormatting(false);
    w.writeStartDocument(u"1.0"_s, true);
    w.writeNamespace(W, u"w"_s);
    w.writeStartElement(W, u"document"_s);
    w.writeStartElement(W, u"body"_s);

    // Run properties in schema order: rFonts, b, bCs, sz, szCs, lang.
    const auto writeFormat = [&w](const Format &f) {
        w.writeStartElement(W, u"rPr"_s);
        if (!f.font.isEmpty()) {
            w.writeEmptyElement(W, u"rFonts"_s);
            w.writeAttribute(W, u"ascii"_s, f.font);
            w.writeAttribute(W, u"hAnsi"_s, f.font);
            w.writeAttribute(W, u"eastAsia"_s, f.font);
            w.writeAttribute(W, u"hint"_s, u"eastAsia"_s);
        }
        if (f.bold) {
            w.writeEmptyElement(W, u"b"_s);
            w.writeEmptyElement(W, u"bCs"_s);
        }
        w.writeEmptyElement(W, u"sz"_s);
        w.writeAttribute(W, u"val"_s, QString::number(f.halfPoints));
        w.writeEmptyElement(W, u"szCs"_s);
        w.writeAttribute(W, u"val"_s, QString::number(f.halfPoints));
        w.writeEmptyElement(W, u"lang"_s);
        w.writeAttribute(W, u"eastAsia"_s, u"zh-CN"_s);
        w.writeEndElement();
    };

    const auto writeSheet = [&](const std::vector<Paragraph> &paragraphs, const Format &format,
                                int marginPoints, const PageLayout &layout, qsizetype questionsFrom,
                                bool last) {
        // A section of its own for the heading (one column) when the questions flow in columns: its
        // properties stand in the last heading paragraph, and the questions' section follows on the same
        // page.
        const bool twoSections =
            questionsFrom > 0 && questionsFrom < static_cast<qsizetype>(paragraphs.size());
        const auto writeSection = [&w, &layout, &marginPoints](int columns, bool continuous) {
            w.writeStartElement(W, u"sectPr"_s);
            if (continuous) {
                w.writeEmptyElement(W, u"type"_s);
                w.writeAttribute(W, u"val"_s, u"continuous"_s);
            }
            w.writeEmptyElement(W, u"pgSz"_s);
            w.writeAttribute(W, u"w"_s, QString::number(layout.widthTwips()));
            w.writeAttribute(W, u"h"_s, QString::number(layout.heightTwips()));
            if (layout.landscape)
                w.writeAttribute(W, u"orient"_s, u"landscape"_s);
            const QString margin = QString::number(marginPoints * 20);
            w.writeEmptyElement(W, u"pgMar"_s);
            w.writeAttribute(W, u"top"_s, margin);
            w.writeAttribute(W, u"right"_s, margin);
            w.writeAttribute(W, u"bottom"_s, margin);
            w.writeAttribute(W, u"left"_s, margin);
            w.writeAttribute(W, u"header"_s, u"851"_s);
            w.writeAttribute(W, u"footer"_s, u"992"_s);
            w.writeAttribute(W, u"gutter"_s, u"0"_s);
            w.writeEmptyElement(W, u"cols"_s);
            w.writeAttribute(W, u"num"_s, QString::number(columns));
            w.writeAttribute(W, u"space"_s, QString::number(ColumnGapTwips));
            w.writeEndElement(); // sectPr
        };
        const auto sectionEnd = [&w, &writeSection](int columns, bool continuous) {
            w.writeStartElement(W, u"p"_s);
            w.writeStartElement(W, u"pPr"_s);
            w.writeEmptyElement(W, u"spacing"_s);
            w.writeAttribute(W, u"before"_s, u"0"_s);
            w.writeAttribute(W, u"after"_s, u"0"_s);
            w.writeAttribute(W, u"line"_s, u"20"_s);
            w.writeAttribute(W, u"lineRule"_s, u"exact"_s);
            w.writeStartElement(W, u"rPr"_s);
            w.writeEmptyElement(W, u"sz"_s);
            w.writeAttribute(W, u"val"_s, u"2"_s);
            w.writeEndElement(); // rPr
            writeSection(columns, continuous);
            w.writeEndElement(); // pPr
            w.writeEndElement(); // p
        };

        for (std::size_t i = 0; i < paragraphs.size(); ++i) {
            const Paragraph &p = paragraphs[i];
            // The last paragraph was never ended; its mark has the formatting current now.
            const Format mark = i + 1 == paragraphs.size() ? format : p.mark;
            w.writeStartElement(W, u"p"_s);
            // Paragraph properties in schema order: keepNext, keepLines, spacing, jc, rPr, sectPr.
            w.writeStartElement(W, u"pPr"_s);
            if (p.keepNext)
                w.writeEmptyElement(W, u"keepNext"_s);
            if (p.keepLines)
                w.writeEmptyElement(W, u"keepLines"_s);
            if (p.question && layout.lineSpacing > 0) {
                // At least this much: a large font still gets the room it needs.
                w.writeEmptyElement(W, u"spacing"_s);
                w.writeAttribute(W, u"line"_s, QString::number(qRound(layout.lineSpacing * 20)));
                w.writeAttribute(W, u"lineRule"_s, u"atLeast"_s);
            }
            w.writeEmptyElement(W, u"jc"_s);
            w.writeAttribute(W, u"val"_s, p.alignment == Alignment::Center ? u"center"_s : u"left"_s);
            writeFormat(mark);
            w.writeEndElement(); // pPr
            for (const Run &run : p.runs) {
                w.writeStartElement(W, u"r"_s);
                writeFormat(run.format);
                w.writeStartElement(W, u"t"_s);
                w.writeAttribute(u"xml:space"_s, u"preserve"_s);
                w.writeCharacters(run.text);
                w.writeEndElement(); // t
                w.writeEndElement(); // r
            }
            w.writeEndElement(); // p
            // The heading's section ends in a paragraph of its own, a point high: LibreOffice turns an
            // empty section-end paragraph into the break alone, Word shows it as a line; either way the
            // sheet's own paragraphs stay as the writer made them.
            if (twoSections && static_cast<qsizetype>(i) + 1 == questionsFrom)
                sectionEnd(1, false);
        }

        // The questions' section: the body's own at the end of the document; for a sheet with more after
        // it, in a paragraph of its own (the next sheet's heading section then starts a new page).
        if (last)
            writeSection(twoSections || questionsFrom == 0 ? layout.columns : 1, twoSections);
        else
            sectionEnd(twoSections || questionsFrom == 0 ? layout.columns : 1, twoSections);
    };
    for (const Sheet &sheet : finished_)
        writeSheet(sheet.paragraphs, sheet.format, sheet.marginPoints, sheet.layout, sheet.questionsFrom,
                   false);
    writeSheet(paragraphs_, format_, marginPoints_, layout_, questionsFrom_, true);

    w.writeEndElement(); // body
    w.writeEndElement(); // document
    w.writeEndDocument();
    return !w.hasError();
}

Result<QByteArray> DocxTarget::package() const {
    QByteArray xml;
    if (!writeDocumentXml(&xml))
        return Result<QByteArray>::failure(u"试卷的文档内容无法写成 XML"_s);
    return docxpackage::zip({
        {u"[Content_Types].xml"_s, contentTypes()},
        {u"_rels/.rels"_s, packageRelationships()},
        {u"word/document.xml"_s, xml},
    });
}

Status DocxTarget::saveTo(const QString &path) const {
    const Result<QByteArray> zipped = package();
    if (!zipped)
        return Status::failure(zipped.error());
    return docxpackage::writeAtomically(path, zipped.value());
}

QString DocxTarget::title() const {
    const std::vector<Paragraph> &first = finished_.empty() ? paragraphs_ : finished_.front().paragraphs;
    if (first.empty() || first.front().runs.empty())
        return {};
    return first.front().runs.front().text;
}
