// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/EntryValues.h"

#include "bank/CodeTables.h"
#include "bank/TextNormal.h"

using namespace Qt::Literals::StringLiterals;

namespace entryvalues {

namespace {

std::optional<int> integerIn(const QString &text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= low && value <= high ? std::optional<int>(value) : std::nullopt;
}

} // namespace

std::optional<int> grade(const QString &input) {
    const QString text = input.trimmed();
    if (const std::optional<int> number = integerIn(text, 0, codes::GradeCount - 1))
        return number;
    const qsizetype index = codes::gradeNames().indexOf(text);
    return index >= 0 ? std::optional<int>(static_cast<int>(index)) : std::nullopt;
}

std::optional<bool> olympiad(const QString &input) {
    const QString text = input.trimmed().toLower();
    if (text == u"奥数"_s || text == u"olympiad"_s)
        return true;
    for (const QString &textbook : {u"列式计算"_s, u"估算"_s, u"解方程"_s, u"textbook"_s, u"calculation"_s,
                                    u"estimation"_s, u"equation"_s})
        if (text == textbook)
            return false;
    return std::nullopt;
}

std::optional<int> topicSlot(const QString &input, bool olympiad) {
    const QString text = textnormal::withoutBlanks(input.trimmed());
    if (text.isEmpty() || text == codes::unclassifiedName() ||
        text.compare(u"unclassified"_s, Qt::CaseInsensitive) == 0)
        return 0;
    if (const std::optional<int> number = integerIn(text, 0, codes::TopicSlotCount))
        return number;
    const QStringList &names = olympiad ? codes::olympiadTopicNames() : codes::textbookTopicNames();
    for (qsizetype i = 0; i < names.size(); ++i)
        if (textnormal::withoutBlanks(names[i]) == text)
            return static_cast<int>(i) + 1;
    return std::nullopt;
}

std::optional<int> difficulty(const QString &input) {
    return codes::difficultyFromName(input);
}

} // namespace entryvalues
