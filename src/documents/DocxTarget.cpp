// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/DocxTarget.h"

#include "documents/DocxPackage.h"

using namespace Qt::Literals::StringLiterals;

namespace {

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

DocxTarget::DocxTarget()
    : content_(std::make_shared<Content>()) {
    newDocument();
}

DocxTarget::Content &DocxTarget::edit() {
    // A copy made for a delivery still reads the content: this one gets its own before it changes.
    if (content_.use_count() > 1)
        content_ = std::make_shared<Content>(*content_);
    return *content_;
}

void DocxTarget::newDocument() {
    Content &c = edit();
    c.paragraphs.clear();
    c.paragraphs.emplace_back();
    c.format = Format{};
    c.marginPoints = 72;
    c.layout = PageLayout{};
    c.questionsFrom = -1;
}

void DocxTarget::nextSheet() {
    Content &c = edit();
    c.finished.push_back(Sheet{std::move(c.paragraphs), c.format, c.marginPoints, c.layout, c.questionsFrom});
    newDocument();
}

void DocxTarget::beginQuestions() {
    Content &c = edit();
    c.questionsFrom = static_cast<qsizetype>(c.paragraphs.size()) - 1;
    c.paragraphs.back().question = true;
}

void DocxTarget::setKeep(bool withNext, bool together) {
    Content &c = edit();
    c.paragraphs.back().keepNext = withNext;
    c.paragraphs.back().keepLines = together;
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
    Content &c = edit();
    std::vector<Run> &runs = c.paragraphs.back().runs;
    if (!runs.empty() && !runs.back().lineBreak && runs.back().format == c.format)
        runs.back().text += text;
    else
        runs.push_back(Run{c.format, text});
}

void DocxTarget::typeWriteInBlank(const QString &open, const QString &close) {
    // As wide as the eight spaces in the usual Song face, half an em each.
    typeWithRoomAfter(open, content_->format.halfPoints * 10 * WriteInBlankSpaces / 2);
    typeText(close);
}

void DocxTarget::typeWithRoomAfter(const QString &character, int twips) {
    Content &c = edit();
    const Format usual = c.format;
    c.format.spacingTwips = twips;
    typeText(character);
    c.format = usual;
}

void DocxTarget::lineBreak() {
    Content &c = edit();
    c.paragraphs.back().runs.push_back(Run{c.format, QString(), true});
}

void DocxTarget::endParagraph() {
    Content &c = edit();
    c.paragraphs.back().mark = c.format;
    // A new paragraph keeps the alignment of the one before, as in a word processor after Enter.
    const Alignment alignment = c.paragraphs.back().alignment;
    const bool question = c.paragraphs.back().question;
    c.paragraphs.emplace_back();
    c.paragraphs.back().alignment = alignment;
    c.paragraphs.back().question = question;
}

QByteArray DocxTarget::documentXml() const {
    QByteArray xml;
    writeDocumentXml(&xml);
    return xml;
}

namespace {

// Appends UTF-8 straight into the part's bytes, escaped for XML text (or, in an attribute, its value):
// the document part of a long sheet is written in one go, with no stream or buffer between.
void appendEscaped(QByteArray &out, QStringView text, bool attribute) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            switch (c) {
            case u'&':
                out += "&amp;";
                break;
            case u'<':
                out += "&lt;";
                break;
            case u'>':
                out += "&gt;";
                break;
            case u'"':
                out += "&quot;";
                break;
            case u'\t':
            case u'\n':
            case u'\r':
                if (attribute) {
                    out += c == u'\t' ? "&#9;" : c == u'\n' ? "&#10;" : "&#13;";
                    break;
                }
                [[fallthrough]];
            default:
                out += static_cast<char>(c);
            }
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            // Pairs only: the text went through xmlSafe.
            const char32_t u = QChar::surrogateToUcs4(c, text[++i].unicode());
            out += static_cast<char>(0xF0 | (u >> 18));
            out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

// One attribute: ` w:name="value"`.
void attribute(QByteArray &out, const char *name, QStringView value) {
    out += " w:";
    out += name;
    out += "=\"";
    appendEscaped(out, value, true);
    out += '"';
}
void attribute(QByteArray &out, const char *name, int value) {
    out += " w:";
    out += name;
    out += "=\"";
    out += QByteArray::number(value);
    out += '"';
}

} // namespace

QByteArray DocxTarget::runProperties(const Format &f) {
    // Run properties in schema order: rFonts, b, bCs, spacing, sz, szCs, lang.
    QByteArray out = "<w:rPr>";
    if (!f.font.isEmpty()) {
        out += "<w:rFonts";
        attribute(out, "ascii", f.font);
        attribute(out, "hAnsi", f.font);
        attribute(out, "eastAsia", f.font);
        out += " w:hint=\"eastAsia\"/>";
    }
    if (f.bold)
        out += "<w:b/><w:bCs/>";
    if (f.spacingTwips != 0) {
        out += "<w:spacing";
        attribute(out, "val", f.spacingTwips);
        out += "/>";
    }
    out += "<w:sz";
    attribute(out, "val", f.halfPoints);
    out += "/><w:szCs";
    attribute(out, "val", f.halfPoints);
    out += "/><w:lang w:eastAsia=\"zh-CN\"/></w:rPr>";
    return out;
}

bool DocxTarget::writeDocumentXml(QByteArray *xml) const {
    const Content &c = *content_;
    QByteArray &out = *xml;
    out.clear();
    // About what the text needs, so the part grows without copies on the way.
    qsizetype chars = 0;
    const auto count = [&chars](const std::vector<Paragraph> &paragraphs) {
        for (const Paragraph &p : paragraphs)
            for (const Run &run : p.runs)
                chars += run.text.size() * 3 + 400;
    };
    for (const Sheet &sheet : c.finished)
        count(sheet.paragraphs);
    count(c.paragraphs);
    out.reserve(chars + 4096);

    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
           "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>";

    // A run's properties repeat all over a sheet: each distinct set is made once.
    std::vector<std::pair<Format, QByteArray>> made;
    const auto properties = [&made](const Format &f) -> const QByteArray & {
        for (const auto &[format, bytes] : made)
            if (format == f)
                return bytes;
        made.emplace_back(f, runProperties(f));
        return made.back().second;
    };

    bool firstSheet = true;
    const auto writeSheet = [&](const std::vector<Paragraph> &paragraphs, const Format &format,
                                int marginPoints, const PageLayout &layout, qsizetype questionsFrom,
                                bool last) {
        // The section that opens this sheet starts on an odd page, for two-sided printing.
        bool oddStart = c.oddPages && !firstSheet;
        firstSheet = false;
        // A section of its own for the heading (one column) when the questions flow in columns: its
        // properties stand in the last heading paragraph, and the questions' section follows on the same
        // page.
        const bool twoSections =
            questionsFrom > 0 && questionsFrom < static_cast<qsizetype>(paragraphs.size());
        const auto writeSection = [&out, &layout, &marginPoints, &oddStart](int columns, bool continuous) {
            out += "<w:sectPr>";
            if (continuous)
                out += "<w:type w:val=\"continuous\"/>";
            else if (oddStart)
                out += "<w:type w:val=\"oddPage\"/>";
            oddStart = false;
            out += "<w:pgSz";
            attribute(out, "w", layout.widthTwips());
            attribute(out, "h", layout.heightTwips());
            if (layout.landscape)
                out += " w:orient=\"landscape\"";
            out += "/><w:pgMar";
            const int margin = marginPoints * 20;
            attribute(out, "top", margin);
            attribute(out, "right", margin);
            attribute(out, "bottom", margin);
            attribute(out, "left", margin);
            out += " w:header=\"851\" w:footer=\"992\" w:gutter=\"0\"/><w:cols";
            attribute(out, "num", columns);
            attribute(out, "space", ColumnGapTwips);
            out += "/></w:sectPr>";
        };
        const auto sectionEnd = [&out, &writeSection](int columns, bool continuous) {
            out += "<w:p><w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"20\" w:lineRule=\"exact\"/>"
                   "<w:rPr><w:sz w:val=\"2\"/></w:rPr>";
            writeSection(columns, continuous);
            out += "</w:pPr></w:p>";
        };

        const int columns = twoSections || questionsFrom == 0 ? layout.columns : 1;
        for (std::size_t i = 0; i < paragraphs.size(); ++i) {
            const Paragraph &p = paragraphs[i];
            // The last paragraph was never ended; its mark has the formatting current now.
            const Format &mark = i + 1 == paragraphs.size() ? format : p.mark;
            // Paragraph properties in schema order: keepNext, keepLines, spacing, jc, rPr, sectPr.
            out += "<w:p><w:pPr>";
            if (p.keepNext)
                out += "<w:keepNext/>";
            if (p.keepLines)
                out += "<w:keepLines/>";
            if (p.question && layout.lineSpacing > 0) {
                // At least this much: a large font still gets the room it needs.
                out += "<w:spacing";
                attribute(out, "line", qRound(layout.lineSpacing * 20));
                out += " w:lineRule=\"atLeast\"/>";
            }
            out += p.alignment == Alignment::Center ? "<w:jc w:val=\"center\"/>" : "<w:jc w:val=\"left\"/>";
            out += properties(mark);
            out += "</w:pPr>";
            for (const Run &run : p.runs) {
                out += "<w:r>";
                out += properties(run.format);
                if (run.lineBreak) {
                    out += "<w:br/></w:r>";
                    continue;
                }
                out += "<w:t xml:space=\"preserve\">";
                appendEscaped(out, run.text, false);
                out += "</w:t></w:r>";
            }
            out += "</w:p>";
            // The heading's section ends in a paragraph of its own, a point high: LibreOffice turns an
            // empty section-end paragraph into the break alone, Word shows it as a line; either way the
            // sheet's own paragraphs stay as the writer made them.
            if (twoSections && static_cast<qsizetype>(i) + 1 == questionsFrom)
                sectionEnd(1, false);
        }

        // The questions' section: the body's own at the end of the document, so that nothing follows
        // the last question to spill onto a page of its own; for a sheet with more after it, in a
        // paragraph of its own (the next sheet's heading section then starts a new page). The last
        // page's columns are left to fill one after the other: LibreOffice evens out the columns of a
        // section ended by a continuous break, but then splits the questions kept whole.
        if (last)
            writeSection(columns, twoSections);
        else
            sectionEnd(columns, twoSections);
    };
    for (const Sheet &sheet : c.finished)
        writeSheet(sheet.paragraphs, sheet.format, sheet.marginPoints, sheet.layout, sheet.questionsFrom,
                   false);
    writeSheet(c.paragraphs, c.format, c.marginPoints, c.layout, c.questionsFrom, true);

    out += "</w:body></w:document>\n";
    return true;
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
    const Content &c = *content_;
    const std::vector<Paragraph> &first = c.finished.empty() ? c.paragraphs : c.finished.front().paragraphs;
    if (first.empty() || first.front().runs.empty())
        return {};
    return first.front().runs.front().text;
}
