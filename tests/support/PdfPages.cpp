// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PdfPages.h"

#include <QProcess>
#include <QXmlStreamReader>

using namespace Qt::Literals::StringLiterals;

namespace {

QRectF boxOf(const QXmlStreamAttributes &a) {
    const double x0 = a.value(u"xMin"_s).toDouble(), y0 = a.value(u"yMin"_s).toDouble();
    return {x0, y0, a.value(u"xMax"_s).toDouble() - x0, a.value(u"yMax"_s).toDouble() - y0};
}

} // namespace

QList<PdfPage> readPdfPages(const QString &pdf, QString *error) {
    QProcess text;
    text.start(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
    if (!text.waitForFinished(60000) || text.exitStatus() != QProcess::NormalExit || text.exitCode() != 0) {
        *error = u"pdftotext failed: "_s + QString::fromLocal8Bit(text.readAllStandardError());
        return {};
    }
    QList<PdfPage> pages;
    QXmlStreamReader xml(text.readAllStandardOutput());
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"page") {
            pages.append(PdfPage{{xml.attributes().value(u"width"_s).toDouble(),
                                  xml.attributes().value(u"height"_s).toDouble()},
                                 {}});
        } else if (xml.name() == u"word" && !pages.isEmpty()) {
            const QRectF box = boxOf(xml.attributes());
            pages.last().words.append(PdfWord{xml.readElementText(), box});
        }
    }
    if (xml.hasError()) {
        *error = u"pdftotext's layout could not be read: "_s + xml.errorString();
        return {};
    }
    return pages;
}
