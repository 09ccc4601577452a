// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/CodeTables.h"

#include "bank/NumberValue.h"

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace codes {

namespace {

// Lowest grade of each textbook slot. Note the irregular steps: "归一" (slot 18) comes at grade 3
// while "路程" (slot 17) waits for grade 4, and "异分加减" (slot 33) comes at grade 5.
constexpr std::array<int, TopicSlotCount> MinimumGrades = {1, 1, 1, 1, 1, 2, 2, 2, 3, 3, 3, 3, 3, 3,
                                                           3, 3, 4, 3, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5,
                                                           5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6};

constexpr std::array<int, 12> GeometrySlots = {13, 16, 25, 26, 27, 28, 30, 31, 32, 37, 39, 40};
constexpr std::array<int, 3> OlympiadGradeOneSlots = {9, 15, 40};

bool validSlot(int slot) {
    return slot >= 1 && slot <= TopicSlotCount;
}

} // namespace

const QStringList &gradeNames() {
    static const QStringList names = {u"小学阶段综合"_s, u"一年级"_s, u"二年级"_s, u"三年级"_s,
                                      u"四年级"_s,       u"五年级"_s, u"六年级"_s};
    return names;
}

const QStringList &difficultyNames() {
    static const QStringList names = {u"基础题"_s, u"★"_s, u"★★"_s, u"★★★"_s, u"★★★★"_s, u"★★★★★"_s};
    return names;
}

const QStringList &textbookTopicNames() {
    static const QStringList names = {
        u"求和"_s,     u"求差"_s,     u"比多"_s,     u"比少"_s,     u"能够"_s,     u"份总"_s,
        u"除余"_s,     u"平均"_s,     u"倍数"_s,     u"时间"_s,     u"连乘"_s,     u"连除"_s,
        u"方形周长"_s, u"同分加减"_s, u"小数加减"_s, u"方形面积"_s, u"路程"_s,     u"归一"_s,
        u"归总"_s,     u"简便"_s,     u"差倍"_s,     u"和倍"_s,     u"价钱"_s,     u"相遇"_s,
        u"三角面积"_s, u"平四面积"_s, u"梯形面积"_s, u"多边面积"_s, u"因数倍数"_s, u"方体棱长"_s,
        u"方体面积"_s, u"方体体积"_s, u"异分加减"_s, u"分数乘法"_s, u"分数除法"_s, u"比和比例"_s,
        u"圆的问题"_s, u"百分打折"_s, u"圆柱问题"_s, u"圆锥问题"_s};
    return names;
}

const QStringList &olympiadTopicNames() {
    static const QStringList names = {
        u"平均"_s,     u"余数"_s,     u"运算"_s,     u"填数"_s,     u"周期"_s,     u"枚举"_s,
        u"置换"_s,     u"盈亏"_s,     u"和差"_s,     u"和倍"_s,     u"差倍"_s,     u"倍数"_s,
        u"错中求解"_s, u"奇偶整除"_s, u"容斥原理"_s, u"归一归总"_s, u"相遇"_s,     u"追及"_s,
        u"火车"_s,     u"流水"_s,     u"工程"_s,     u"浓度"_s,     u"百分"_s,     u"时间"_s,
        u"巧求周长"_s, u"巧算面积"_s, u"表 面 积"_s, u"体积容积"_s, u"圆与扇形"_s, u"立体图形"_s,
        u"因数倍数"_s, u"比和比例"_s, u"逆推解题"_s, u"假设解题"_s, u"转化解题"_s, u"牛 吃 草"_s,
        u"植树问题"_s, u"抽屉原理"_s, u"对策策略"_s, u"逻辑推理"_s};
    return names;
}

QString unclassifiedName() {
    return u"未归类题"_s;
}

QString difficultyMark(int difficulty) {
    if (difficulty < 1 || difficulty > 5)
        return {};
    return u"["_s + QString(difficulty, QChar(0x2605)) + u"]"_s;
}

QString difficultyMark(QStringView difficulty) {
    const std::optional<int> level = difficultyLevel(difficulty);
    return level ? difficultyMark(*level) : QString();
}

std::optional<int> difficultyLevel(QStringView difficulty) {
    const double value = numberValue(difficulty);
    return value == static_cast<int>(value) ? std::optional<int>(static_cast<int>(value)) : std::nullopt;
}

std::optional<int> difficultyFromName(const QString &name) {
    const QString text = name.trimmed();
    bool ok = false;
    const int number = text.toInt(&ok);
    if (ok)
        return number >= 0 && number <= 5 ? std::optional<int>(number) : std::nullopt;
    const qsizetype index = difficultyNames().indexOf(text);
    return index >= 0 ? std::optional<int>(static_cast<int>(index)) : std::nullopt;
}

QString difficultyChoiceMark(int difficulty) {
    return difficulty == 0 ? u"[基础]"_s : difficultyMark(difficulty);
}

QString modeName(QuestionMode mode) {
    switch (mode) {
    case QuestionMode::Olympiad:
        return u"奥数"_s;
    case QuestionMode::Estimation:
        return u"估算"_s;
    case QuestionMode::Calculation:
        return u"列式计算"_s;
    case QuestionMode::Equation:
        return u"解方程"_s;
    }
    return {};
}

std::optional<QuestionMode> modeFromName(const QString &name) {
    static const char16_t *const English[] = {u"olympiad", u"estimation", u"calculation", u"equation"};
    const QuestionMode modes[] = {QuestionMode::Olympiad, QuestionMode::Estimation, QuestionMode::Calculation,
                                  QuestionMode::Equation};
    for (int i = 0; i < 4; ++i)
        if (modeName(modes[i]) == name || name.compare(QStringView(English[i]), Qt::CaseInsensitive) == 0)
            return modes[i];
    return std::nullopt;
}

bool usesOlympiadList(QuestionMode mode) {
    return mode == QuestionMode::Olympiad;
}

int topicCode(int slot, bool olympiad) {
    Q_ASSERT(validSlot(slot));
    return olympiad ? OlympiadCodeOffset + slot : slot;
}

int unclassifiedCode(bool olympiad) {
    return olympiad ? UnclassifiedOlympiadCode : UnclassifiedTextbookCode;
}

int slotOfTopicCode(int code, bool olympiad) {
    if (code == unclassifiedCode(olympiad))
        return 0;
    const int slot = olympiad ? code - OlympiadCodeOffset : code;
    return validSlot(slot) ? slot : -1;
}

int textbookMinimumGrade(int slot) {
    Q_ASSERT(validSlot(slot));
    return MinimumGrades[slot - 1];
}

bool isGeometrySlot(int slot) {
    for (int g : GeometrySlots)
        if (g == slot)
            return true;
    return false;
}

bool olympiadEnabledAtGradeOne(int slot) {
    for (int s : OlympiadGradeOneSlots)
        if (s == slot)
            return true;
    return false;
}

std::optional<bool> slotEnabledForGrade(int slot, int grade, QuestionMode mode) {
    if (grade < 0 || grade >= GradeCount)
        return std::nullopt;
    if (mode == QuestionMode::Olympiad) {
        if (grade == 0)
            return true;
        if (grade == 1)
            return olympiadEnabledAtGradeOne(slot);
        return std::nullopt;
    }
    const bool byGrade = grade == 0 || textbookMinimumGrade(slot) <= grade;
    if (mode == QuestionMode::Equation && isGeometrySlot(slot))
        return false;
    return byGrade;
}

std::optional<bool> editorSlotEnabledForGrade(int slot, int grade, bool olympiad) {
    if (grade < 0 || grade >= GradeCount)
        return std::nullopt;
    if (olympiad)
        return grade == 0 ? std::optional<bool>(true) : std::nullopt;
    return grade == 0 || textbookMinimumGrade(slot) <= grade;
}

bool gradeSelectsAll(int grade, QuestionMode mode) {
    if (grade < 0 || grade >= GradeCount)
        return false;
    return mode != QuestionMode::Olympiad || grade <= 1;
}

} // namespace codes
