// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DocxReader.h"

#include <QXmlStreamReader>
#include <memory>
#include <zip.h>

using namespace Qt::Literals::StringLiterals;

namespace docxreader {

namespace {

using Archive = std::unique_ptr<zip_t, decltype(&zip_discard)>;

Archive open(const QByteArray &package) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source =
        zip_source_buffer_create(package.constData(), static_cast<zip_uint64_t>(package.size()), 0, &error);
    if (!source)
        return Archive(nullptr, &zip_discard);
    zip_t *archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive)
        zip_source_free(source);
    return Archive(archive, &zip_discard);
}

const QString W = u"http://schemas.openxmlformats.org/wordprocessingml/2006/main"_s;

} // namespace

QString Paragraph::text() const {
    QString result;
    for (const Run &r : runs)
        result += r.text;
    return result;
}

QStringList Document::texts() const {
    QStringList result;
    for (const Paragraph &p : paragraphs)
        result.append(p.text());
    return result;
}

std::optional<QStringList> partNames(const QByteArray &package) {
    Archive archive = open(package);
    if (!archive)
        return std::nullopt;
    QStringList names;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i)
        names.append(QString::fromUtf8(zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0)));
    return names;
}

std::optional<QByteArray> part(const QByteArray &package, const QString &name) {
    Archive archive = open(package);
    if (!archive)
        return std::nullopt;
    zip_stat_t stat;
    if (zip_stat(archive.get(), name.toUtf8().constData(), 0, &stat) < 0)
        return std::nullopt;
    zip_file_t *file = zip_fopen(archive.get(), name.toUtf8().constData(), 0);
    if (!file)
        return std::nullopt;
    QByteArray bytes(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
    const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
    zip_fclose(file);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
        return std::nullopt;
    return bytes;
}

std::optional<Document> parse(const QByteArray &documentXml) {
    Document doc;
    QXmlStreamReader xml(documentXml);
    Paragraph paragraph;
    Run run;
    Section section;
    bool inRun = false, inParagraphProperties = false, endsSection = false;
    qsizetype sectionStart = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.namespaceUri() == W) {
            const QStringView name = xml.name();
            const QXmlStreamAttributes a = xml.attributes();
            if (name == u"p"_s) {
                paragraph = Paragraph{};
                endsSection = false;
            } else if (name == u"pPr"_s) {
                inParagraphProperties = true;
            } else if (name == u"jc"_s) {
                paragraph.alignment = a.value(W, u"val"_s).toString();
            } else if (name == u"keepNext"_s) {
                paragraph.keepNext = true;
            } else if (name == u"keepLines"_s) {
                paragraph.keepLines = true;
            } else if (name == u"spacing"_s && inParagraphProperties) {
                paragraph.lineTwips = a.value(W, u"line"_s).toInt();
                paragraph.lineRule = a.value(W, u"lineRule"_s).toString();
            } else if (name == u"r"_s) {
                run = Run{};
                inRun = true;
            } else if (name == u"rFonts"_s && inRun) {
                run.font = a.value(W, u"eastAsia"_s).toString();
                run.latin = a.value(W, u"ascii"_s).toString();
            } else if (name == u"b"_s && inRun) {
                run.bold = a.value(W, u"val"_s) != u"0"_s;
            } else if (name == u"sz"_s) {
                const int size = a.value(W, u"val"_s).toInt();
                if (inRun)
                    run.halfPoints = size;
                else if (inParagraphProperties)
                    paragraph.markHalfPoints = size;
            } else if (name == u"t"_s && inRun) {
                run.text += xml.readElementText();
            } else if (name == u"br"_s && inRun) {
                run.text += u'\n'; // a line break within the paragraph
            } else if (name == u"sectPr"_s) {
                section = Section{};
                endsSection = inParagraphProperties;
            } else if (name == u"type"_s) {
                section.type = a.value(W, u"val"_s).toString();
            } else if (name == u"pgSz"_s) {
                section.widthTwips = a.value(W, u"w"_s).toInt();
                section.heightTwips = a.value(W, u"h"_s).toInt();
                section.orientation = a.value(W, u"orient"_s).toString();
            } else if (name == u"cols"_s) {
                section.columns = a.hasAttribute(W, u"num"_s) ? a.value(W, u"num"_s).toInt() : 1;
                section.columnGapTwips = a.value(W, u"space"_s).toInt();
            } else if (name == u"pgMar"_s) {
                for (const char16_t *side : {u"top", u"right", u"bottom", u"left"})
                    section.margins.append(a.value(W, QString::fromUtf16(side)).toString());
            }
        } else if (xml.isEndElement() && xml.namespaceUri() == W) {
            if (xml.name() == u"r"_s) {
                paragraph.runs.append(run);
                inRun = false;
            } else if (xml.name() == u"pPr"_s) {
                inParagraphProperties = false;
            } else if (xml.name() == u"sectPr"_s) {
                doc.sections.append(section);
                // The paragraphs since the last section's end belong to this one.
                for (qsizetype i = sectionStart; i < doc.paragraphs.size(); ++i)
                    doc.paragraphs[i].columns = section.columns;
                if (endsSection && !paragraph.runs.isEmpty())
                    paragraph.columns = section.columns;
                sectionStart = doc.paragraphs.size() + (endsSection && !paragraph.runs.isEmpty() ? 1 : 0);
            } else if (xml.name() == u"p"_s) {
                if (!(endsSection && paragraph.runs.isEmpty()))
                    doc.paragraphs.append(paragraph);
            }
        }
    }
    if (xml.hasError() || doc.sections.isEmpty())
        return std::nullopt;
    doc.margins = doc.sections.last().margins;
    return doc;
}

} // namespace docxreader
