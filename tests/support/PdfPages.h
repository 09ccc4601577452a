// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

// A PDF's text as poppler finds it: pages, and on each the words with where they stand (points, from
// the page's top left). Read with pdftotext -bbox, so the tests see the printed page.
struct PdfWord {
    QString text;
    QRectF box;
};

struct PdfPage {
    QSizeF size;
    QList<PdfWord> words;
};

// The pages of the file; empty with *error set when pdftotext fails.
QList<PdfPage> readPdfPages(const QString &pdf, QString *error);
