// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

// How a page holds the worksheet: the paper and its orientation, the columns the questions flow in,
// and the least line spacing of the question lines. The writer decides what the sheet says; the
// targets lay it out this way.
struct PageLayout {
    enum class Paper { A4, A3, B4, B5, K16, K8 };
    Paper paper = Paper::A4;
    bool landscape = false;
    int columns = 1;
    double lineSpacing = 0; // points, an at-least spacing; 0 leaves the word processor's own

    // "A4", "A3", "B4", "B5", "16K", "8K".
    static QString paperName(Paper paper);
    static const QStringList &paperNames();
    static std::optional<Paper> paperFromName(const QString &name);
    // The sheet as it lies, in twips (1/1440 inch): width and height swapped for landscape.
    int widthTwips() const;
    int heightTwips() const;

    // From the window's texts: columns 1..10 (anything else one column), line spacing in points
    // (a text that is no number leaves the default spacing).
    static int columnsFrom(const QString &text);
    static double lineSpacingFrom(const QString &text);
};

// The date after the title: the system's short date where the system speaks Chinese, the Chinese short
// form (2026/12/8) everywhere else, never an English month name on a Chinese sheet.
QString sheetDate(const QDate &date, const QLocale &system = QLocale::system());
