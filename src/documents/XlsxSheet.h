// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A workbook of one sheet of text cells (.xlsx, Office Open XML SpreadsheetML), as Excel, WPS and
// LibreOffice Calc open it: the first row bold and frozen, long columns wrapped. Every cell is text, so a
// difficulty "★★" or a grade "3" comes back as it went.
namespace xlsxsheet {

struct Column {
    QString header;
    double width = 12; // in characters of the default font
    bool wrap = false;
};

Result<QByteArray> workbook(const QString &sheetName, const QList<Column> &columns,
                            const QList<QStringList> &rows);

} // namespace xlsxsheet
