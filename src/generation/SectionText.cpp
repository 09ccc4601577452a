// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/SectionText.h"

#include "bank/CodeTables.h"

using namespace Qt::Literals::StringLiterals;

namespace sectiontext {

namespace {

using Parsed = Result<SheetSection>;

Result<int> number(const QString &key, const QString &value, int low, int high) {
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    if (!ok || n < low || n > high)
        return Result<int>::failure(u"--section：%1=“%2”无效，应为 %3 到 %4 的整数"_s.arg(
            key, value, QString::number(low), QString::number(high)));
    return Result<int>::success(n);
}

} // namespace

Result<SheetSection> parse(const QString &text, int grade, codes::QuestionMode mode,
                           const TopicNames &names) {
    SheetSection section;
    section.mode = mode;
    QString topics;
    bool topicsGiven = false;
    for (const QString &part : text.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype equals = part.indexOf(u'=');
        const QString key = part.left(equals).trimmed().toLower();
        const QString value = equals < 0 ? QString() : part.sliced(equals + 1).trimmed();
        if (equals < 0 || value.isEmpty())
            return Parsed::failure(u"--section：“%1”缺少取值（应为 名称=取值）"_s.arg(part.trimmed()));
        if (key == u"mode"_s) {
            const std::optional<codes::QuestionMode> m = codes::modeFromName(value);
            if (!m)
                return Parsed::failure(
                    u"--section：mode=“%1”无效，应为 奥数、估算、列式计算、解方程"_s.arg(value));
            section.mode = *m;
        } else if (key == u"topics"_s) {
            topics = value;
            topicsGiven = true;
        } else if (key == u"count"_s) {
            const Result<int> n = number(key, value, 1, 100000);
            if (!n)
                return Parsed::failure(n.error());
            section.quantity = n.value();
        } else if (key == u"points"_s) {
            const Result<int> n = number(key, value, 0, 1000);
            if (!n)
                return Parsed::failure(n.error());
            section.points = n.value();
        } else if (key == u"total"_s) {
            const Result<int> n = number(key, value, 0, 10000);
            if (!n)
                return Parsed::failure(n.error());
            section.total = n.value();
        } else if (key == u"title"_s) {
            section.title = value;
        } else {
            return Parsed::failure(
                u"--section：未知的“%1”，可用 topics、count、points、total、title、mode"_s.arg(key));
        }
    }
    // The topics are read in the section's own mode, whichever order the parts came in.
    section.topics = SheetRequest::defaultTopics(grade, section.mode);
    if (topicsGiven) {
        section.topics.fill(false);
        const bool olympiad = codes::usesOlympiadList(section.mode);
        for (const QString &raw : topics.split(u',', Qt::SkipEmptyParts)) {
            const QString item = raw.trimmed();
            const std::optional<int> found = topicSlot(item, olympiad, names);
            if (!found)
                return Parsed::failure(
                    u"--section：未知专题“%1”，应为 1 到 40、%2题型的专题名称或 unclassified/未归类题"_s.arg(
                        item, codes::modeName(section.mode)));
            section.topics[static_cast<size_t>(*found)] = true;
        }
    }
    if (!section.anyTopic())
        return Parsed::failure(u"--section：至少要给出一个专题"_s);
    return Parsed::success(section);
}

std::optional<int> topicSlot(const QString &text, bool olympiad, const TopicNames &names) {
    const QString item = text.trimmed();
    bool ok = false;
    const int slot = item.toInt(&ok);
    if (ok)
        return slot >= 1 && slot <= codes::TopicSlotCount ? std::optional<int>(slot) : std::nullopt;
    if (item == u"u"_s || item.toLower() == u"unclassified"_s || item == codes::unclassifiedName())
        return 0;
    return names ? names(item, olympiad) : std::nullopt;
}

QString write(const SheetSection &section) {
    QStringList topics;
    for (int slot = 0; slot <= codes::TopicSlotCount; ++slot)
        if (section.topics[static_cast<size_t>(slot)])
            topics.append(slot == 0 ? u"u"_s : QString::number(slot));
    QStringList parts{u"mode="_s + codes::modeName(section.mode), u"topics="_s + topics.join(u','),
                      u"count="_s + QString::number(section.quantity)};
    if (section.points > 0)
        parts.append(u"points="_s + QString::number(section.points));
    if (section.total > 0)
        parts.append(u"total="_s + QString::number(section.total));
    // A title's own ';' would end it: it stands last and takes the rest.
    if (!section.title.isEmpty())
        parts.append(u"title="_s + QString(section.title).replace(u';', u'；'));
    return parts.join(u';');
}

} // namespace sectiontext
