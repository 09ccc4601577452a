// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "editor/EditorEntry.h"

#include <QList>
#include <QString>
#include <QStringList>

// Questions from a CSV file as a spreadsheet program saves it (UTF-8 with or without a byte-order mark,
// or GB18030; quoted fields with commas, quotes and line breaks inside). The header row names the
// columns, in Chinese or English, in any order: 题目/question, 计算步骤/steps, 范围/grade, 专题/topic,
// 难度/difficulty, and optionally 题型/mode. Every row is checked before anything is written.
namespace questionimport {

struct Outcome {
    QList<editorentry::NewQuestion> questions; // cleaned, in file order
    QStringList problems; // "第N行：why", one for each bad row (N counts the header as 1)
};

// A failure only when the file cannot be read or is no CSV at all; bad rows are listed in problems.
Result<Outcome> read(const QString &path);
Result<Outcome> parse(const QByteArray &bytes);
// The same checks over a table already cut into rows (a spreadsheet's sheet, a document's table): the
// first row is the header.
Result<Outcome> fromRows(QList<QStringList> rows);
// Whether the file is a spreadsheet or a document, read through the office (.xlsx, .xls, .ods, .docx,
// .doc, .odt), rather than a CSV file.
bool readsThroughOffice(const QString &path);

} // namespace questionimport
