// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// The fixed code tables of the question bank: grades, difficulties, the two topic lists and the
// forty topic slots of the main window. Every window and the command line take them from here.
namespace codes {

constexpr int GradeCount = 7; // 0 = all grades, 1..6
constexpr int TopicSlotCount = 40;
constexpr int UnclassifiedTextbookCode = 0;
constexpr int UnclassifiedOlympiadCode = 99;
constexpr int OlympiadCodeOffset = 40;

// "小学阶段综合", "一年级" .. "六年级"; the index is the grade code.
const QStringList &gradeNames();
// "基础题", "★" .. "★★★★★"; the index is the difficulty code.
const QStringList &difficultyNames();
// Topic k (1..40) of each list, at index k - 1.
const QStringList &textbookTopicNames();
const QStringList &olympiadTopicNames();
// The caption of the unclassified box, "未归类题".
QString unclassifiedName();

// The mark before a question: "[★]" .. "[★★★★★]" for difficulty 1..5, empty for 0 and anything
// else; the text form reads the bank's field by the loader's number rule ("3.0" is three stars).
QString difficultyMark(int difficulty);
QString difficultyMark(QStringView difficulty);
// A bank's difficulty field as the marks, the draw and a sheet's make-up read it: its whole value by the
// loader's number rule ("3.0" is 3, a text that is no number 0), none for a fraction.
std::optional<int> difficultyLevel(QStringView difficulty);
// A difficulty as the user names it: 0..5, "基础题" or a row of one to five ★.
std::optional<int> difficultyFromName(const QString &name);
// The difficulty control's echo: "[基础]" for 0, else the question mark.
QString difficultyChoiceMark(int difficulty);

enum class QuestionMode { Olympiad, Estimation, Calculation, Equation };

// "奥数", "估算", "列式计算", "解方程".
QString modeName(QuestionMode mode);
// A mode by its name, or by its English name in any case (olympiad, estimation, calculation, equation).
std::optional<QuestionMode> modeFromName(const QString &name);
bool usesOlympiadList(QuestionMode mode);

// The topic code of slot k in the list of the given mode (k or 40 + k), and the unclassified code.
int topicCode(int slot, bool olympiad);
int unclassifiedCode(bool olympiad);
// The slot that holds a topic code in the given list: 1..40, 0 for the unclassified code, -1 for a code
// that belongs to no box of that list.
int slotOfTopicCode(int code, bool olympiad);

// Grade rules of the topic boxes.
// The lowest grade (1..6) at which a textbook box is enabled; grade 0 enables every box.
int textbookMinimumGrade(int slot);
// The twelve geometry boxes, which the equation mode keeps disabled.
bool isGeometrySlot(int slot);
// The three olympiad boxes enabled at grade 1 ("和差", "容斥原理", "逻辑推理").
bool olympiadEnabledAtGradeOne(int slot);

// Whether the grade handler enables a box for this grade and mode. std::nullopt means the handler
// leaves the box's enabled state as it was (olympiad mode at grades 2 to 6).
std::optional<bool> slotEnabledForGrade(int slot, int grade, QuestionMode mode);
// The editor's grade rule: textbook options by the same grade table; the olympiad list enables every
// option at grade 0 and leaves them as they are (std::nullopt) at grades 1 to 6.
std::optional<bool> editorSlotEnabledForGrade(int slot, int grade, bool olympiad);
// Whether the grade handler ends by ticking "全选" (so every enabled box is ticked).
bool gradeSelectsAll(int grade, QuestionMode mode);

} // namespace codes
