// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>

// One question of the user's own, as the editor and `tessaly add` make it, and its line in zbtk.txt.
namespace editorentry {

// The question box's text made one record field: tabs, spaces, ideographic spaces and CR LF pairs
// removed, in that order; then every lone CR or LF too (the loader would end the line there), and "|"
// written full-width as "｜" (it would split the record and shift grade, topic and answer).
QString cleanQuestion(QString text);
// The steps the same way, then + - * / = written full-width (＋ － × ÷ ＝).
QString cleanSteps(QString text);

struct NewQuestion {
    QString question; // cleaned
    QString steps;    // cleaned
    int grade = 1;    // 0..6
    bool olympiad = false;
    int slot = 0; // 1..40, 0 for no topic
    int difficulty = 0;
};

// textbook: 0 or k; olympiad: 99 or 40 + k.
int topicCode(bool olympiad, int slot);
// question|grade|topic|difficulty|steps##
QString recordLine(const NewQuestion &q);
// Why this question cannot be added, or an empty text when it can.
QString refusal(const NewQuestion &q);

// Appends the questions' lines to zbtk.txt in the folder: all of them or, on any failure, none (the
// file stays byte for byte). The message says why.
Status append(const QString &bankDir, const QList<NewQuestion> &questions);

} // namespace editorentry
