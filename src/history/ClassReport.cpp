// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/ClassReport.h"

#include "bank/CodeTables.h"

#include <QHash>
#include <QMap>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace classreport {

QString topicName(int code) {
    if (code >= 1 && code <= codes::TopicSlotCount)
        return codes::textbookTopicNames().at(code - 1);
    if (code > codes::OlympiadCodeOffset && code <= 2 * codes::TopicSlotCount)
        return u"奥数·"_s + codes::olympiadTopicNames().at(code - codes::OlympiadCodeOffset - 1);
    return code == codes::UnclassifiedOlympiadCode ? u"奥数·"_s + codes::unclassifiedName()
                                                   : codes::unclassifiedName();
}

ClassReport make(const QString &className, const QList<SheetPupil> &pupils, const QList<MarkedItem> &marks) {
    ClassReport report;
    report.className = className;
    // The latest mark of each question of each sheet: a mark corrected later counts once, as corrected.
    QHash<QString, MarkedItem> latest;
    for (const MarkedItem &m : marks) {
        const QString key = m.code + u'#' + QString::number(m.position);
        const auto found = latest.constFind(key);
        if (found == latest.cend() || found->marked <= m.marked)
            latest.insert(key, m);
    }
    QMap<std::pair<int, int>, ClassReport::Cell> cells;
    QHash<qint64, QMap<int, std::pair<int, int>>> perPupil; // pupil → topic → (asked, wrong)
    for (const MarkedItem &m : std::as_const(latest)) {
        const int topic = m.topicCode.toInt();
        const int difficulty = std::clamp(codes::difficultyLevel(m.difficulty).value_or(0), 0, 5);
        ClassReport::Cell &cell = cells[{topic, difficulty}];
        cell.topicCode = topic;
        cell.topic = topicName(topic);
        cell.difficulty = difficulty;
        ++cell.asked;
        cell.wrong += m.correct ? 0 : 1;
        ++report.asked;
        report.wrong += m.correct ? 0 : 1;
        auto &[asked, wrong] = perPupil[m.pupilId][topic];
        ++asked;
        wrong += m.correct ? 0 : 1;
    }
    report.cells = cells.values();
    for (const SheetPupil &p : pupils) {
        ClassReport::PupilTopics row{p, 0, 0, {}};
        QList<std::pair<double, int>> weak;
        const QMap<int, std::pair<int, int>> topics = perPupil.value(p.id);
        for (auto it = topics.cbegin(); it != topics.cend(); ++it) {
            const auto [asked, wrong] = it.value();
            row.asked += asked;
            row.wrong += wrong;
            if (wrong >= 2 && 3 * wrong >= asked)
                weak.append({double(wrong) / asked, it.key()});
        }
        std::stable_sort(weak.begin(), weak.end(),
                         [](const auto &a, const auto &b) { return a.first > b.first; });
        for (const auto &[share, topic] : weak)
            row.practise.append(topicName(topic));
        report.pupils.append(row);
    }
    return report;
}

QString text(const ClassReport &r) {
    QString out = u"%1：共批改 %2 道题，错 %3 道\n\n专题\t难度\t批改\t错\t错误率\n"_s.arg(r.className)
                      .arg(r.asked)
                      .arg(r.wrong);
    for (const ClassReport::Cell &c : r.cells)
        out += u"%1\t%2\t%3\t%4\t%5%\n"_s.arg(c.topic, codes::difficultyNames().value(c.difficulty))
                   .arg(c.asked)
                   .arg(c.wrong)
                   .arg(qRound(c.wrongShare() * 100));
    out += u"\n学生\t批改\t错\t要多练的专题\n"_s;
    for (const ClassReport::PupilTopics &p : r.pupils)
        out += u"%1\t%2\t%3\t%4\n"_s.arg(p.pupil.name)
                   .arg(p.asked)
                   .arg(p.wrong)
                   .arg(p.practise.isEmpty() ? u"—"_s : p.practise.join(u"、"_s));
    return out;
}

} // namespace classreport

QList<ClassReport::Cell> ClassReport::byTopic() const {
    QMap<int, Cell> topics;
    for (const Cell &c : cells) {
        Cell &t = topics[c.topicCode];
        t.topicCode = c.topicCode;
        t.topic = c.topic;
        t.asked += c.asked;
        t.wrong += c.wrong;
    }
    QList<Cell> sorted = topics.values();
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Cell &a, const Cell &b) { return a.wrongShare() > b.wrongShare(); });
    return sorted;
}
