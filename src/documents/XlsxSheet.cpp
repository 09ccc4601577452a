// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/XlsxSheet.h"

#include "documents/DocxPackage.h"

#include <QXmlStreamWriter>

using namespace Qt::Literals::StringLiterals;

namespace xlsxsheet {

namespace {

constexpr auto MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr auto RelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr auto PackageRelNs = "http://schemas.openxmlformats.org/package/2006/relationships";

// XML 1.0 cannot carry most control characters nor a lone surrogate: they are left out.
QString xmlSafe(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (!c.isSurrogate() && (c.unicode() >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r') &&
                   c.unicode() != 0xFFFE && c.unicode() != 0xFFFF) {
            out += c;
        }
    }
    return out;
}

QString columnName(qsizetype index) {
    QString name;
    for (qsizetype n = index + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + static_cast<char16_t>((n - 1) % 26)));
    return name;
}

QByteArray xml(const std::function<void(QXmlStreamWriter &)> &body) {
    QByteArray bytes;
    QXmlStreamWriter w(&bytes);
    w.writeStartDocument(u"1.0"_s, true);
    body(w);
    w.writeEndDocument();
    return bytes;
}

QByteArray contentTypes() {
    return xml([](QXmlStreamWriter &w) {
        w.writeStartElement(u"Types"_s);
        w.writeDefaultNamespace(u"http://schemas.openxmlformats.org/package/2006/content-types"_s);
        const auto def = [&w](const QString &ext, const QString &type) {
            w.writeEmptyElement(u"Default"_s);
            w.writeAttribute(u"Extension"_s, ext);
            w.writeAttribute(u"ContentType"_s, type);
        };
        const auto over = [&w](const QString &part, const QString &type) {
            w.writeEmptyElement(u"Override"_s);
            w.writeAttribute(u"PartName"_s, part);
            w.writeAttribute(u"ContentType"_s, type);
        };
        def(u"rels"_s, u"application/vnd.openxmlformats-package.relationships+xml"_s);
        def(u"xml"_s, u"application/xml"_s);
        const QString ml = u"application/vnd.openxmlformats-officedocument.spreadsheetml."_s;
        over(u"/xl/workbook.xml"_s, ml + u"sheet.main+xml"_s);
        over(u"/xl/worksheets/sheet1.xml"_s, ml + u"worksheet+xml"_s);
        over(u"/xl/styles.xml"_s, ml + u"styles+xml"_s);
        w.writeEndElement();
    });
}

QByteArray relationships(const QList<std::pair<QString, QString>> &targets) {
    return xml([&targets](QXmlStreamWriter &w) {
        w.writeStartElement(u"Relationships"_s);
        w.writeDefaultNamespace(QString::fromLatin1(PackageRelNs));
        int id = 0;
        for (const auto &[type, target] : targets) {
            w.writeEmptyElement(u"Relationship"_s);
            w.writeAttribute(u"Id"_s, u"rId%1"_s.arg(++id));
            w.writeAttribute(
                u"Type"_s, u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"_s + type);
            w.writeAttribute(u"Target"_s, target);
        }
        w.writeEndElement();
    });
}

QByteArray workbookPart(const QString &sheetName) {
    return xml([&sheetName](QXmlStreamWriter &w) {
        w.writeStartElement(u"workbook"_s);
        w.writeDefaultNamespace(QString::fromLatin1(MainNs));
        w.writeNamespace(QString::fromLatin1(RelNs), u"r"_s);
        w.writeStartElement(u"sheets"_s);
        w.writeEmptyElement(u"sheet"_s);
        w.writeAttribute(u"name"_s, sheetName);
        w.writeAttribute(u"sheetId"_s, u"1"_s);
        w.writeAttribute(QString::fromLatin1(RelNs), u"id"_s, u"rId1"_s);
        w.writeEndElement();
        w.writeEndElement();
    });
}

// Cell formats: 0 plain, 1 the header (bold), 2 wrapped at the top of the cell.
QByteArray styles() {
    return xml([](QXmlStreamWriter &w) {
        w.writeStartElement(u"styleSheet"_s);
        w.writeDefaultNamespace(QString::fromLatin1(MainNs));
        w.writeStartElement(u"fonts"_s);
        w.writeAttribute(u"count"_s, u"2"_s);
        for (const bool bold : {false, true}) {
            w.writeStartElement(u"font"_s);
            if (bold)
                w.writeEmptyElement(u"b"_s);
            w.writeEmptyElement(u"sz"_s);
            w.writeAttribute(u"val"_s, u"11"_s);
            w.writeEmptyElement(u"name"_s);
            w.writeAttribute(u"val"_s, u"宋体"_s);
            w.writeEmptyElement(u"charset"_s);
            w.writeAttribute(u"val"_s, u"134"_s); // GB2312: the face's Chinese script
            w.writeEndElement();
        }
        w.writeEndElement();
        w.writeStartElement(u"fills"_s);
        w.writeAttribute(u"count"_s, u"2"_s);
        for (const QString &pattern : {u"none"_s, u"gray125"_s}) {
            w.writeStartElement(u"fill"_s);
            w.writeEmptyElement(u"patternFill"_s);
            w.writeAttribute(u"patternType"_s, pattern);
            w.writeEndElement();
        }
        w.writeEndElement();
        w.writeStartElement(u"borders"_s);
        w.writeAttribute(u"count"_s, u"1"_s);
        w.writeStartElement(u"border"_s);
        for (const QString &side : {u"left"_s, u"right"_s, u"top"_s, u"bottom"_s, u"diagonal"_s})
            w.writeEmptyElement(side);
        w.writeEndElement();
        w.writeEndElement();
        w.writeStartElement(u"cellStyleXfs"_s);
        w.writeAttribute(u"count"_s, u"1"_s);
        w.writeEmptyElement(u"xf"_s);
        for (const auto &[name, value] : {std::pair{u"numFmtId"_s, u"0"_s},
                                          {u"fontId"_s, u"0"_s},
                                          {u"fillId"_s, u"0"_s},
                                          {u"borderId"_s, u"0"_s}})
            w.writeAttribute(name, value);
        w.writeEndElement();
        w.writeStartElement(u"cellXfs"_s);
        w.writeAttribute(u"count"_s, u"3"_s);
        for (int xf = 0; xf < 3; ++xf) {
            w.writeStartElement(u"xf"_s);
            // Format 49 is "@", text: a cell typed into later stays text too.
            w.writeAttribute(u"numFmtId"_s, u"49"_s);
            w.writeAttribute(u"fontId"_s, xf == 1 ? u"1"_s : u"0"_s);
            w.writeAttribute(u"fillId"_s, u"0"_s);
            w.writeAttribute(u"borderId"_s, u"0"_s);
            w.writeAttribute(u"xfId"_s, u"0"_s);
            w.writeAttribute(u"applyNumberFormat"_s, u"1"_s);
            if (xf == 1)
                w.writeAttribute(u"applyFont"_s, u"1"_s);
            if (xf == 2) {
                w.writeAttribute(u"applyAlignment"_s, u"1"_s);
                w.writeEmptyElement(u"alignment"_s);
                w.writeAttribute(u"vertical"_s, u"top"_s);
                w.writeAttribute(u"wrapText"_s, u"1"_s);
            }
            w.writeEndElement();
        }
        w.writeEndElement();
        w.writeStartElement(u"cellStyles"_s);
        w.writeAttribute(u"count"_s, u"1"_s);
        w.writeEmptyElement(u"cellStyle"_s);
        w.writeAttribute(u"name"_s, u"Normal"_s);
        w.writeAttribute(u"xfId"_s, u"0"_s);
        w.writeAttribute(u"builtinId"_s, u"0"_s);
        w.writeEndElement();
        w.writeEndElement();
    });
}

QByteArray sheetPart(const QList<Column> &columns, const QList<QStringList> &rows) {
    return xml([&](QXmlStreamWriter &w) {
        w.writeStartElement(u"worksheet"_s);
        w.writeDefaultNamespace(QString::fromLatin1(MainNs));
        w.writeStartElement(u"sheetViews"_s);
        w.writeStartElement(u"sheetView"_s);
        w.writeAttribute(u"workbookViewId"_s, u"0"_s);
        w.writeEmptyElement(u"pane"_s); // the header stays in sight while the teacher scrolls
        w.writeAttribute(u"ySplit"_s, u"1"_s);
        w.writeAttribute(u"topLeftCell"_s, u"A2"_s);
        w.writeAttribute(u"activePane"_s, u"bottomLeft"_s);
        w.writeAttribute(u"state"_s, u"frozen"_s);
        w.writeEndElement();
        w.writeEndElement();
        w.writeStartElement(u"cols"_s);
        for (qsizetype c = 0; c < columns.size(); ++c) {
            w.writeEmptyElement(u"col"_s);
            w.writeAttribute(u"min"_s, QString::number(c + 1));
            w.writeAttribute(u"max"_s, QString::number(c + 1));
            w.writeAttribute(u"width"_s, QString::number(columns[c].width));
            w.writeAttribute(u"style"_s, columns[c].wrap ? u"2"_s : u"0"_s);
            w.writeAttribute(u"customWidth"_s, u"1"_s);
        }
        w.writeEndElement();
        w.writeStartElement(u"sheetData"_s);
        const auto row = [&](qsizetype r, const QStringList &cells, bool header) {
            w.writeStartElement(u"row"_s);
            w.writeAttribute(u"r"_s, QString::number(r + 1));
            for (qsizetype c = 0; c < cells.size(); ++c) {
                if (cells[c].isEmpty())
                    continue;
                w.writeStartElement(u"c"_s);
                w.writeAttribute(u"r"_s, columnName(c) + QString::number(r + 1));
                const bool wrap = !header && c < columns.size() && columns[c].wrap;
                w.writeAttribute(u"s"_s, header ? u"1"_s : wrap ? u"2"_s : u"0"_s);
                w.writeAttribute(u"t"_s, u"inlineStr"_s);
                w.writeStartElement(u"is"_s);
                w.writeStartElement(u"t"_s);
                const QString text = xmlSafe(cells[c]);
                if (text != text.trimmed())
                    w.writeAttribute(u"xml:space"_s, u"preserve"_s);
                w.writeCharacters(text);
                w.writeEndElement();
                w.writeEndElement();
                w.writeEndElement();
            }
            w.writeEndElement();
        };
        QStringList header;
        for (const Column &column : columns)
            header.append(column.header);
        row(0, header, true);
        for (qsizetype r = 0; r < rows.size(); ++r)
            row(r + 1, rows[r], false);
        w.writeEndElement();
        w.writeEndElement();
    });
}

} // namespace

Result<QByteArray> workbook(const QString &sheetName, const QList<Column> &columns,
                            const QList<QStringList> &rows) {
    return docxpackage::zip({
        {u"[Content_Types].xml"_s, contentTypes()},
        {u"_rels/.rels"_s, relationships({{u"officeDocument"_s, u"xl/workbook.xml"_s}})},
        {u"xl/workbook.xml"_s, workbookPart(sheetName)},
        {u"xl/_rels/workbook.xml.rels"_s,
         relationships({{u"worksheet"_s, u"worksheets/sheet1.xml"_s}, {u"styles"_s, u"styles.xml"_s}})},
        {u"xl/styles.xml"_s, styles()},
        {u"xl/worksheets/sheet1.xml"_s, sheetPart(columns, rows)},
    });
}

} // namespace xlsxsheet
