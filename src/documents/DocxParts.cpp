// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/DocxParts.h"

namespace docxparts {

namespace {

constexpr char XmlHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr char WordNamespace[] = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

QByteArray relationship(const char *id, const char *type, const char *target) {
    return QByteArray("<Relationship Id=\"") + id +
           "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/" + type +
           "\" Target=\"" + target + "\"/>";
}

// A run of 宋体 at this size, in half points.
QByteArray run(const QByteArray &utf8, int halfPoints) {
    const QByteArray size = QByteArray::number(halfPoints);
    return "<w:r><w:rPr><w:rFonts w:ascii=\"宋体\" w:hAnsi=\"宋体\" w:eastAsia=\"宋体\" w:hint=\"eastAsia\"/>"
           "<w:sz w:val=\"" +
           size + "\"/><w:szCs w:val=\"" + size +
           "\"/><w:lang w:eastAsia=\"zh-CN\"/></w:rPr><w:t xml:space=\"preserve\">" + utf8 + "</w:t></w:r>";
}

QByteArray field(const char *instruction, int halfPoints) {
    return QByteArray("<w:fldSimple w:instr=\" ") + instruction + " \">" + run("1", halfPoints) +
           "</w:fldSimple>";
}

} // namespace

QByteArray contentTypes(const Needs &needs) {
    QByteArray out =
        QByteArray(XmlHead) +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+"
        "xml\"/>";
    const auto part = [&out](const char *name, const char *type) {
        out += QByteArray("<Override PartName=\"/word/") + name +
               "\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml." + type +
               "+xml\"/>";
    };
    if (needs.footer)
        part("footer1.xml", "footer");
    if (needs.sealHeader)
        part("header1.xml", "header");
    if (needs.emptyHeader)
        part("header2.xml", "header");
    if (needs.evenAndOddHeaders)
        part("settings.xml", "settings");
    if (needs.pictures > 0)
        out += "<Default Extension=\"png\" ContentType=\"image/png\"/>";
    return out + "</Types>";
}

QByteArray packageRelationships() {
    return QByteArray(XmlHead) +
           "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
           relationship("rId1", "officeDocument", "word/document.xml") + "</Relationships>";
}

QByteArray documentRelationships(const Needs &needs) {
    if (!needs.any())
        return {};
    QByteArray out = QByteArray(XmlHead) +
                     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    if (needs.footer)
        out += relationship(FooterId, "footer", "footer1.xml");
    if (needs.sealHeader)
        out += relationship(SealHeaderId, "header", "header1.xml");
    if (needs.emptyHeader)
        out += relationship(EmptyHeaderId, "header", "header2.xml");
    if (needs.evenAndOddHeaders)
        out += relationship("rIdSettings", "settings", "settings.xml");
    for (int k = 1; k <= needs.pictures; ++k) {
        const QByteArray target = QByteArray("media/qr") + QByteArray::number(k) + ".png";
        out += relationship(pictureId(k).constData(), "image", target.constData());
    }
    return out + "</Relationships>";
}

QByteArray pictureId(int k) {
    return "rIdQr" + QByteArray::number(k);
}

QByteArray cornerPicture(int k, int sideEmu, int topEmu) {
    const QByteArray side = QByteArray::number(sideEmu), name = "qr" + QByteArray::number(k) + ".png";
    // Anchored to the page, right-aligned with the margin and a little below the paper's top edge, in
    // front of the text without moving it: the heading stays where it always was.
    return "<w:r><w:drawing><wp:anchor distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\" simplePos=\"0\" "
           "relativeHeight=\"251659264\" behindDoc=\"0\" locked=\"0\" layoutInCell=\"1\" allowOverlap=\"1\">"
           "<wp:simplePos x=\"0\" y=\"0\"/>"
           "<wp:positionH relativeFrom=\"margin\"><wp:align>right</wp:align></wp:positionH>"
           "<wp:positionV relativeFrom=\"page\"><wp:posOffset>" +
           QByteArray::number(topEmu) +
           "</wp:posOffset></wp:positionV>"
           "<wp:extent cx=\"" +
           side + "\" cy=\"" + side +
           "\"/><wp:effectExtent l=\"0\" t=\"0\" r=\"0\" b=\"0\"/><wp:wrapNone/>"
           "<wp:docPr id=\"" +
           QByteArray::number(1000 + k) +
           "\" name=\"卷号二维码\"/><wp:cNvGraphicFramePr><a:graphicFrameLocks noChangeAspect=\"1\"/>"
           "</wp:cNvGraphicFramePr><a:graphic><a:graphicData "
           "uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><pic:pic><pic:nvPicPr>"
           "<pic:cNvPr id=\"0\" name=\"" +
           name + "\"/><pic:cNvPicPr/></pic:nvPicPr><pic:blipFill><a:blip r:embed=\"" + pictureId(k) +
           "\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill><pic:spPr><a:xfrm><a:off x=\"0\" "
           "y=\"0\"/><a:ext cx=\"" +
           side + "\" cy=\"" + side +
           "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr></pic:pic>"
           "</a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>";
}

QByteArray footer(bool withTotal) {
    constexpr int Size = 18; // 9 point
    QByteArray out = QByteArray(XmlHead) + "<w:ftr " + WordNamespace +
                     "><w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr>" + run("第 ", Size) + field("PAGE", Size);
    if (withTotal)
        out += run(" 页（共 ", Size) + field("NUMPAGES", Size) + run(" 页）", Size);
    else
        out += run(" 页", Size);
    return out + "</w:p></w:ftr>";
}

QByteArray sealHeader(int pageHeightTwips) {
    constexpr int Size = 18;
    // The box stands in the left margin's outer part, from the top margin to the bottom one; its text
    // turned to run up the page, so its first line lies at the paper's edge.
    const QByteArray height = QByteArray::number((pageHeightTwips - 2 * 1000) / 20);
    const QByteArray fields = "学校：____________　班级：__________　姓名：__________　学号：__________";
    const QByteArray line = "…………………………密…………………………封…………………………线…………………………";
    QByteArray out =
        QByteArray(XmlHead) + "<w:hdr " + WordNamespace +
        " xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:office:office\">"
        "<w:p><w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"20\" w:lineRule=\"exact\"/>"
        "<w:rPr><w:sz w:val=\"2\"/></w:rPr></w:pPr><w:r><w:pict>"
        "<v:shapetype id=\"_x0000_t202\" coordsize=\"21600,21600\" o:spt=\"202\" "
        "path=\"m,l,21600r21600,l21600,xe\"><v:stroke joinstyle=\"miter\"/>"
        "<v:path gradientshapeok=\"t\" o:connecttype=\"rect\"/></v:shapetype>"
        "<v:shape id=\"SealLine\" o:spid=\"_x0000_s1025\" type=\"#_x0000_t202\" "
        "style=\"position:absolute;margin-left:10pt;margin-top:50pt;width:54pt;height:" +
        height +
        "pt;z-index:251659264;mso-position-horizontal-relative:page;"
        "mso-position-vertical-relative:page\" filled=\"f\" stroked=\"f\">"
        "<v:textbox style=\"layout-flow:vertical;mso-layout-flow-alt:bottom-to-top\" "
        "inset=\"0,0,0,0\"><w:txbxContent>";
    for (const QByteArray &text : {fields, line, QByteArray("密封线内不要答题")})
        out += "<w:p><w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"340\" w:lineRule=\"exact\"/>"
               "<w:jc w:val=\"center\"/></w:pPr>" +
               run(text, Size) + "</w:p>";
    return out + "</w:txbxContent></v:textbox></v:shape></w:pict></w:r></w:p></w:hdr>";
}

QByteArray emptyHeader() {
    return QByteArray(XmlHead) + "<w:hdr " + WordNamespace + "><w:p/></w:hdr>";
}

QByteArray settings(const Needs &needs) {
    QByteArray out = QByteArray(XmlHead) + "<w:settings " + WordNamespace + ">";
    if (needs.evenAndOddHeaders)
        out += "<w:evenAndOddHeaders/>";
    return out + "</w:settings>";
}

} // namespace docxparts
