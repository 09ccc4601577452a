// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/CodeTables.h"
#include "common/Result.h"
#include "common/RunControl.h"
#include "generation/DocumentTarget.h"
#include "generation/SheetModel.h"

#include <QString>

// Types one worksheet, or its answer version, into a document: the teacher's line, the title with the
// date, the full score and the code, the name line and the score table, then the numbered questions
// (under their sections' headings) with their marks, answers, points and working space. It yields
// before every question and every paragraph end and, asked to stop, ends where it is.
class DocumentWriter {
public:
    static void write(RunControl &control, DocumentTarget &target, const SheetRequest &request,
                      const DrawnSheet &sheet, const QString &today);

    static QString title(codes::QuestionMode mode, bool answerVersion);
    static QString nameLine();
    // The information line of a school's test: 姓名/班级/学号/得分.
    static QString schoolInfoLine();
    // The text of the QR code in the sheet's corner: "TESSALY:K7Q2-9F", with ":学号" on a pupil's
    // sheet; and the code in a scanned text (none: the text is no sheet's).
    static QString cornerCodeText(const QString &code, const QString &pupilNumber);
    static std::optional<QString> codeInCornerText(const QString &scanned);
    // The sheet's code among the texts of a picture's QR codes, or what to tell the user.
    static Result<QString> codeInScan(const QStringList &texts);
    // Either line with a pupil's name, class and number printed in it.
    static QString pupilLine(const SheetPupil &pupil, SheetLayout::InfoLine line);
    // The key as one page of 参考答案: each question's number, answer and points, under the sections'
    // headings.
    static void writeCompactKey(RunControl &control, DocumentTarget &target, const SheetRequest &request,
                                const DrawnSheet &sheet, const QString &today);
    // The question as it is printed: blanks removed, empty brackets widened, mode texts added.
    static QString preparedQuestion(QString question, bool estimation, bool equation);
};
