// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/CodeTables.h"
#include "common/RunControl.h"
#include "generation/DocumentTarget.h"
#include "generation/SheetModel.h"

#include <QString>

// Types one worksheet, or its answer version, into a document: the title with the date and the code,
// the name line, then the numbered questions with their marks, answers and blank lines. It yields
// before every question and every paragraph end and, asked to stop, ends where it is.
class DocumentWriter {
public:
    static void write(RunControl &control, DocumentTarget &target, const SheetRequest &request,
                      const DrawnSheet &sheet, const QString &today);

    static QString title(codes::QuestionMode mode, bool answerVersion);
    static QString nameLine();
    // The question as it is printed: blanks removed, empty brackets widened, mode texts added.
    static QString preparedQuestion(QString question, bool estimation, bool equation);
};
