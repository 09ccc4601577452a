// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The eleven texts a selection run hands to the worksheet writer.
struct WorksheetArgs {
    QString questionList;   // question texts joined by " "
    QString topicCodeList;  // topic codes joined by " "
    QString answerList;     // answer texts joined by " "
    QString difficultyList; // difficulty codes joined by " "
    QString lineSpacing;    // Text4
    QString columns;        // Text2
    QString fontSize;       // Text3
    QString fontName;       // Combo1
    QString quantity;       // Text1
    QString starFlag;       // value of Check18
    QString answerFlag;     // value of Check19
    QString sheetCode;      // the sheet's code in the history, printed after the date; empty: none
};
