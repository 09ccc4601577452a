// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/DocumentTarget.h"
#include "generation/WorksheetArgs.h"
#include "generation/WriterHost.h"

#include <QString>
#include <QStringList>

// Types one worksheet, or its answer version, into a document: the title with the date, the name line,
// then the numbered questions with their marks, answers and blank lines. It ends the run's progress
// display when it is done, also after a stop.
class DocumentWriter {
public:
    // What the question mode buttons say, tested in this order.
    enum class Mode { Olympiad, Estimation, Equation, Plain };

    static void write(WriterHost &host, DocumentTarget &target, const WorksheetArgs &args);

    static Mode modeOf(WriterHost &host);
    static QString title(Mode mode, bool answerVersion);
    static QString nameLine();
    // The question as it is printed: blanks removed, empty brackets widened, mode texts added.
    static QString preparedQuestion(QString question, bool estimation, bool equation);
    // "[★]" .. "[★★★★★]" for 1..5; empty for 0 and for anything else.
    static QString difficultyMark(QStringView difficulty);
    // Splits a space-joined list; an empty text has no elements.
    static QStringList splitList(const QString &list);
};
