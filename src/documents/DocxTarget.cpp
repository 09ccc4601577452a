// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/DocxTarget.h"

#include "documents/DocxPackage.h"
#include "documents/DocxParts.h"
#include "documents/QrPicture.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Between columns: one centimetre, in twips. Margins are given in points (1 point = 20 twips).
constexpr int ColumnGapTwips = 567;

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
    Sheet &sheet = edit().current;
    sheet = Sheet{};
    sheet.paragraphs.emplace_back();
}

void DocxTarget::nextSheet() {
    Content &c = edit();
    c.finished.push_back(std::move(c.current));
    newDocument();
}

void DocxTarget::beginQuestions() {
    Sheet &sheet = edit().current;
    sheet.questionsFrom = static_cast<qsizetype>(sheet.paragraphs.size()) - 1;
    sheet.paragraphs.back().question = true;
}

void DocxTarget::setKeep(bool withNext, bool together) {
    Paragraph &p = edit().current.paragraphs.back();
    p.keepNext = withNext;
    p.keepLines = together;
}

void DocxTarget::insertTable(const QList<QStringList> &rows) {
    QList<QStringList> safe;
    for (const QStringList &row : rows) {
        QStringList cells;
        for (const QString &cell : row) {
            QStringList changes;
            cells.append(xmlSafe(cell, &changes));
        }
        safe.append(cells);
    }
    Sheet &sheet = edit().current;
    sheet.paragraphs.back().table = safe;
    sheet.paragraphs.back().mark = sheet.format;
    const Alignment alignment = sheet.paragraphs.back().alignment;
    sheet.paragraphs.emplace_back();
    sheet.paragraphs.back().alignment = alignment;
}

void DocxTarget::ruleToLineEnd() {
    Sheet &sheet = edit().current;
    sheet.paragraphs.back().ruled = true;
    sheet.paragraphs.back().runs.push_back(Run{sheet.format, QString(), Run::Kind::Tab, QString()});
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
    Sheet &sheet = edit().current;
    std::vector<Run> &runs = sheet.paragraphs.back().runs;
    if (!runs.empty() && runs.back().kind == Run::Kind::Text && runs.back().format == sheet.format)
        runs.back().text += text;
    else
        runs.push_back(Run{sheet.format, text, Run::Kind::Text, QString()});
}

void DocxTarget::typeRuby(const QString &base, const QString &ruby) {
    QStringList changes;
    const QString text = xmlSafe(base, &changes), over = xmlSafe(ruby, &changes);
    if (text.isEmpty())
        return;
    Sheet &sheet = edit().current;
    sheet.paragraphs.back().runs.push_back(Run{sheet.format, text, Run::Kind::Ruby, over});
}

void DocxTarget::typeWriteInBlank(const QString &open, const QString &close) {
    // As wide as the eight spaces in the usual Song face, half an em each.
    typeWithRoomAfter(open, content_->current.format.halfPoints * 10 * WriteInBlankSpaces / 2);
    typeText(close);
}

void DocxTarget::typeWithRoomAfter(const QString &character, int twips) {
    const Format usual = edit().current.format;
    edit().current.format.spacingTwips = twips;
    typeText(character);
    edit().current.format = usual;
}

void DocxTarget::lineBreak() {
    Sheet &sheet = edit().current;
    sheet.paragraphs.back().runs.push_back(Run{sheet.format, QString(), Run::Kind::Break, QString()});
}

void DocxTarget::endParagraph() {
    Sheet &sheet = edit().current;
    sheet.paragraphs.back().mark = sheet.format;
    // A new paragraph keeps the alignment of the one before, as in a word processor after Enter.
    const Alignment alignment = sheet.paragraphs.back().alignment;
    const bool question = sheet.paragraphs.back().question;
    sheet.paragraphs.emplace_back();
    sheet.paragraphs.back().alignment = alignment;
    sheet.paragraphs.back().question = question;
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

docxparts::Needs DocxTarget::partsNeeded() const {
    const Content &c = *content_;
    docxparts::Needs needs;
    const auto look = [&needs](const Sheet &sheet) {
        needs.footer = needs.footer || sheet.pageNumbers;
        if (sheet.seal != SealPages::None)
            needs.sealHeader = true;
        if (sheet.seal == SealPages::First || sheet.seal == SealPages::Odd)
            needs.emptyHeader = true;
        if (sheet.seal == SealPages::Odd)
            needs.evenAndOddHeaders = true;
        if (!sheet.cornerCode.isEmpty())
            ++needs.pictures;
    };
    for (const Sheet &sheet : c.finished)
        look(sheet);
    look(c.current);
    // Several sheets in one file: NUMPAGES would count them all, so each page says only its number.
    needs.footerTotal = c.finished.empty();
    return needs;
}

namespace {

// Where a ruled line ends: the column's right edge, a little inside it.
int columnWidthTwips(const PageLayout &layout, int marginTwips, int gutterTwips) {
    const int columns = std::max(1, layout.columns);
    const int text = layout.widthTwips() - 2 * marginTwips - gutterTwips - (columns - 1) * ColumnGapTwips;
    return std::max(720, text / columns - 20);
}

// Room for the seal line in the left margin.
constexpr int SealGutterTwips = 600;

} // namespace

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
    count(c.current.paragraphs);
    out.reserve(chars + 4096);

    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
           "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    const docxparts::Needs needs = partsNeeded();
    if (needs.any())
        out += " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
    if (needs.pictures > 0)
        out += " xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\""
               " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
               " xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"";
    out += "><w:body>";
    int picture = 0;

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
    const auto writeSheet = [&](const Sheet &sheet, bool last) {
        const std::vector<Paragraph> &paragraphs = sheet.paragraphs;
        const PageLayout &layout = sheet.layout;
        // The section that opens this sheet starts on an odd page, for two-sided printing, and counts
        // its pages from one.
        bool sheetStart = true;
        const bool oddStart = c.oddPages && !firstSheet;
        const bool countFromOne = sheet.pageNumbers && !firstSheet;
        firstSheet = false;
        const int gutter = sheet.seal != SealPages::None ? SealGutterTwips : 0;
        // A section of its own for the heading (one column) when the questions flow in columns: its
        // properties stand in the last heading paragraph, and the questions' section follows on the same
        // page.
        const qsizetype questionsFrom = sheet.questionsFrom;
        const bool twoSections =
            questionsFrom > 0 && questionsFrom < static_cast<qsizetype>(paragraphs.size());
        const auto writeSection = [&](int columns, bool continuous) {
            out += "<w:sectPr>";
            // Headers and footers first; every section names them, so none falls back on another's.
            if (sheet.seal != SealPages::None) {
                const auto reference = [&out](const char *type, const char *id) {
                    out += "<w:headerReference w:type=\"";
                    out += type;
                    out += "\" r:id=\"";
                    out += id;
                    out += "\"/>";
                };
                switch (sheet.seal) {
                case SealPages::First:
                    reference("default", docxparts::EmptyHeaderId);
                    reference("first", docxparts::SealHeaderId);
                    break;
                case SealPages::Odd:
                    reference("even", docxparts::EmptyHeaderId);
                    reference("default", docxparts::SealHeaderId);
                    break;
                default:
                    reference("default", docxparts::SealHeaderId);
                }
            }
            if (sheet.pageNumbers) {
                // The same footer on the first and the even pages where those have headers of their own.
                const auto footer = [&out](const char *type) {
                    out += "<w:footerReference w:type=\"";
                    out += type;
                    out += "\" r:id=\"";
                    out += docxparts::FooterId;
                    out += "\"/>";
                };
                if (sheet.seal == SealPages::Odd)
                    footer("even");
                footer("default");
                if (sheet.seal == SealPages::First)
                    footer("first");
            }
            if (continuous)
                out += "<w:type w:val=\"continuous\"/>";
            else if (oddStart && sheetStart)
                out += "<w:type w:val=\"oddPage\"/>";
            out += "<w:pgSz";
            attribute(out, "w", layout.widthTwips());
            attribute(out, "h", layout.heightTwips());
            if (layout.landscape)
                out += " w:orient=\"landscape\"";
            out += "/><w:pgMar";
            const int margin = sheet.marginPoints * 20;
            attribute(out, "top", margin);
            attribute(out, "right", margin);
            attribute(out, "bottom", margin);
            attribute(out, "left", margin);
            // The page number and the seal's header inside the margins; the usual distances otherwise.
            if (sheet.pageNumbers || sheet.seal != SealPages::None)
                out += " w:header=\"400\" w:footer=\"400\"";
            else
                out += " w:header=\"851\" w:footer=\"992\"";
            attribute(out, "gutter", gutter);
            out += "/>";
            if (countFromOne && sheetStart)
                out += "<w:pgNumType w:start=\"1\"/>";
            out += "<w:cols";
            attribute(out, "num", columns);
            // Two pages side by side on one sheet of A3 or 8K: a line between the halves with the pages'
            // numbers.
            if (sheet.pageNumbers && columns == 2 && layout.landscape &&
                (layout.paper == PageLayout::Paper::A3 || layout.paper == PageLayout::Paper::K8))
                out += " w:sep=\"1\"";
            attribute(out, "space", ColumnGapTwips);
            out += "/>";
            if (sheet.seal == SealPages::First)
                out += "<w:titlePg/>";
            out += "</w:sectPr>";
            sheetStart = false;
        };
        const auto sectionEnd = [&out, &writeSection](int columns, bool continuous) {
            out += "<w:p><w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"20\" w:lineRule=\"exact\"/>"
                   "<w:rPr><w:sz w:val=\"2\"/></w:rPr>";
            writeSection(columns, continuous);
            out += "</w:pPr></w:p>";
        };

        const int columns = twoSections || questionsFrom == 0 ? layout.columns : 1;
        const int ruleAt = columnWidthTwips(layout, sheet.marginPoints * 20, gutter);
        for (std::size_t i = 0; i < paragraphs.size(); ++i) {
            const Paragraph &p = paragraphs[i];
            if (!p.table.isEmpty()) {
                writeTable(out, p.table, properties(p.mark));
                continue;
            }
            // The last paragraph was never ended; its mark has the formatting current now.
            const Format &mark = i + 1 == paragraphs.size() ? sheet.format : p.mark;
            // Paragraph properties in schema order: keepNext, keepLines, tabs, spacing, jc, rPr, sectPr.
            out += "<w:p><w:pPr>";
            if (p.keepNext)
                out += "<w:keepNext/>";
            if (p.keepLines)
                out += "<w:keepLines/>";
            if (p.ruled) {
                out += "<w:tabs><w:tab w:val=\"right\" w:leader=\"underscore\"";
                attribute(out, "pos", ruleAt);
                out += "/></w:tabs>";
            }
            if (p.question && layout.lineSpacing > 0) {
                // At least this much: a large font still gets the room it needs.
                out += "<w:spacing";
                attribute(out, "line", qRound(layout.lineSpacing * 20));
                out += " w:lineRule=\"atLeast\"/>";
            }
            out += p.alignment == Alignment::Center ? "<w:jc w:val=\"center\"/>" : "<w:jc w:val=\"left\"/>";
            out += properties(mark);
            out += "</w:pPr>";
            if (i == 0 && !sheet.cornerCode.isEmpty()) {
                // Within the top margin: as large as it leaves room for, at most 1.6 cm.
                constexpr int EmuPerPoint = 12700;
                const int top = 4 * EmuPerPoint;
                const int side = std::clamp(sheet.marginPoints * EmuPerPoint - 2 * top, 18 * EmuPerPoint,
                                            45 * EmuPerPoint);
                out += docxparts::cornerPicture(++picture, side, top);
            }
            for (const Run &run : p.runs) {
                out += "<w:r>";
                out += properties(run.format);
                if (run.kind == Run::Kind::Break) {
                    out += "<w:br/></w:r>";
                    continue;
                }
                if (run.kind == Run::Kind::Tab) {
                    out += "<w:tab/></w:r>";
                    continue;
                }
                if (run.kind == Run::Kind::Ruby) {
                    // The pinyin at half the character's size, raised by the character's size: a
                    // textbook's line of pinyin over each character.
                    const int overHalfPoints = std::max(2, run.format.halfPoints * 3 / 5);
                    const QByteArray base = QByteArray::number(run.format.halfPoints);
                    const QByteArray small = QByteArray::number(overHalfPoints);
                    Format over = run.format;
                    over.halfPoints = overHalfPoints;
                    over.spacingTwips = 0;
                    // The word processor widens a character to its pinyin; a no-break space on either
                    // side of the syllable keeps the syllables of a word apart.
                    out += "<w:ruby><w:rubyPr><w:rubyAlign w:val=\"center\"/><w:hps w:val=\"" + small +
                           "\"/><w:hpsRaise w:val=\"" + base + "\"/><w:hpsBaseText w:val=\"" + base +
                           "\"/><w:lid w:val=\"zh-CN\"/></w:rubyPr><w:rt><w:r>";
                    out += properties(over);
                    out += "<w:t xml:space=\"preserve\">";
                    appendEscaped(out, QString(u"\u00A0"_s + run.ruby + u"\u00A0"_s), false);
                    out += "</w:t></w:r></w:rt><w:rubyBase><w:r>";
                    out += properties(run.format);
                    out += "<w:t xml:space=\"preserve\">";
                    appendEscaped(out, run.text, false);
                    out += "</w:t></w:r></w:rubyBase></w:ruby></w:r>";
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
        if (!last)
            sectionEnd(columns, twoSections);
        else if (sheet.evenColumns && columns > 1) {
            // A continuous break after the columns evens them out; a section of one column ends the
            // document.
            sectionEnd(columns, twoSections);
            writeSection(1, true);
        } else
            writeSection(columns, twoSections);
    };
    for (const Sheet &sheet : c.finished)
        writeSheet(sheet, false);
    writeSheet(c.current, true);

    out += "</w:body></w:document>\n";
    return true;
}

void DocxTarget::writeTable(QByteArray &out, const QList<QStringList> &rows, const QByteArray &properties) {
    qsizetype columns = 0;
    for (const QStringList &row : rows)
        columns = std::max(columns, row.size());
    if (columns == 0)
        return;
    // The label column a little wider; every cell tall enough to write a mark in.
    constexpr int CellTwips = 850, LabelTwips = 1100;
    out += "<w:tbl><w:tblPr><w:jc w:val=\"center\"/><w:tblBorders>";
    for (const char *edge : {"top", "left", "bottom", "right", "insideH", "insideV"}) {
        out += "<w:";
        out += edge;
        out += " w:val=\"single\" w:sz=\"6\" w:space=\"0\" w:color=\"000000\"/>";
    }
    out += "</w:tblBorders><w:tblLayout w:type=\"fixed\"/></w:tblPr><w:tblGrid>";
    for (qsizetype c = 0; c < columns; ++c) {
        out += "<w:gridCol";
        attribute(out, "w", c == 0 ? LabelTwips : CellTwips);
        out += "/>";
    }
    out += "</w:tblGrid>";
    for (const QStringList &row : rows) {
        out += "<w:tr><w:trPr><w:trHeight w:val=\"520\"/></w:trPr>";
        for (qsizetype c = 0; c < columns; ++c) {
            out += "<w:tc><w:tcPr><w:tcW";
            attribute(out, "w", c == 0 ? LabelTwips : CellTwips);
            out +=
                " w:type=\"dxa\"/><w:vAlign w:val=\"center\"/></w:tcPr><w:p><w:pPr><w:jc w:val=\"center\"/>";
            out += properties;
            out += "</w:pPr>";
            const QString cell = row.value(c);
            if (!cell.isEmpty()) {
                out += "<w:r>";
                out += properties;
                out += "<w:t xml:space=\"preserve\">";
                appendEscaped(out, cell, false);
                out += "</w:t></w:r>";
            }
            out += "</w:p></w:tc>";
        }
        out += "</w:tr>";
    }
    out += "</w:tbl>";
}

Result<QByteArray> DocxTarget::package() const {
    QByteArray xml;
    if (!writeDocumentXml(&xml))
        return Result<QByteArray>::failure(u"试卷的文档内容无法写成 XML"_s);
    const docxparts::Needs needs = partsNeeded();
    QList<docxpackage::Part> parts{
        {u"[Content_Types].xml"_s, docxparts::contentTypes(needs)},
        {u"_rels/.rels"_s, docxparts::packageRelationships()},
        {u"word/document.xml"_s, xml},
    };
    if (const QByteArray rels = docxparts::documentRelationships(needs); !rels.isEmpty())
        parts.append({u"word/_rels/document.xml.rels"_s, rels});
    if (needs.footer)
        parts.append({u"word/footer1.xml"_s, docxparts::footer(needs.footerTotal)});
    if (needs.sealHeader)
        parts.append({u"word/header1.xml"_s, docxparts::sealHeader(content_->current.layout.heightTwips())});
    if (needs.emptyHeader)
        parts.append({u"word/header2.xml"_s, docxparts::emptyHeader()});
    if (needs.evenAndOddHeaders)
        parts.append({u"word/settings.xml"_s, docxparts::settings(needs)});
    // Each QR code's picture, in the order of the sheets that carry one.
    int picture = 0;
    const auto pictureOf = [&](const Sheet &sheet) -> bool {
        if (sheet.cornerCode.isEmpty())
            return true;
        const std::optional<QByteArray> png = qrpicture::png(sheet.cornerCode);
        if (!png)
            return false;
        parts.append({u"word/media/qr%1.png"_s.arg(++picture), *png});
        return true;
    };
    for (const Sheet &sheet : content_->finished)
        if (!pictureOf(sheet))
            return Result<QByteArray>::failure(u"卷号的二维码无法生成"_s);
    if (!pictureOf(content_->current))
        return Result<QByteArray>::failure(u"卷号的二维码无法生成"_s);
    return docxpackage::zip(parts);
}

Status DocxTarget::saveTo(const QString &path) const {
    const Result<QByteArray> zipped = package();
    if (!zipped)
        return Status::failure(zipped.error());
    return docxpackage::writeAtomically(path, zipped.value());
}

QString DocxTarget::title() const {
    const Content &c = *content_;
    const std::vector<Paragraph> &first =
        c.finished.empty() ? c.current.paragraphs : c.finished.front().paragraphs;
    // The first paragraph with text: the teacher's own line may stand above the title.
    for (const Paragraph &p : first)
        if (!p.runs.empty() && p.table.isEmpty())
            return p.runs.front().text;
    return {};
}
