// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SheetModel.h"
#include "history/SheetHistory.h"

#include <QList>
#include <QString>
#include <QStringList>

// What a class's marks say: per topic and difficulty the share of wrong answers, and per pupil the
// topics to practise. Each question of a sheet counts by its latest mark.
struct ClassReport {
    struct Cell {
        int topicCode = 0;
        QString topic; // the topic's name, "求和" or "奥数·和差"
        int difficulty = 0;
        int asked = 0; // marked answers
        int wrong = 0;
        double wrongShare() const { return asked > 0 ? double(wrong) / asked : 0; }
    };
    struct PupilTopics {
        SheetPupil pupil;
        int asked = 0, wrong = 0;
        QStringList practise; // the topics the pupil got wrong most, the worst first
    };
    QString className;
    QList<Cell> cells; // by topic code, then difficulty
    QList<PupilTopics> pupils;
    int asked = 0, wrong = 0;

    // The topics' wrong shares over all difficulties, the worst first: the chart's and the notice's order.
    QList<Cell> byTopic() const;
};

namespace classreport {

// The topic's name as a report prints it.
QString topicName(int topicCode);
// A topic is one to practise where at least a third of its marked answers, and two or more, were wrong.
ClassReport make(const QString &className, const QList<SheetPupil> &pupils, const QList<MarkedItem> &marks);
// The table as text, for the command line: one line a topic and difficulty, then the pupils.
QString text(const ClassReport &report);

} // namespace classreport
