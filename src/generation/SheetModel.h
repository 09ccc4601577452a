// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/CodeTables.h"
#include "generation/PageLayout.h"

#include <QList>
#include <QSet>
#include <QString>
#include <array>

// How a sheet is laid out and typed. Numbers are numbers here: the window and the command line turn
// their texts into these once, by the rules of PageLayout and numberValue.
struct SheetLayout {
    PageLayout::Paper paper = PageLayout::Paper::A4;
    bool landscape = false;
    int columns = 2;         // 1..10
    double lineSpacing = 30; // points, an at-least spacing; 0 leaves the word processor's own
    double fontSize = 11;    // the questions' size in points; 0 leaves the document's size
    QString fontName = QStringLiteral("宋体");
    int blankLines = 2; // working space after each question

    // What the working space is: empty lines, lines ruled to write on, or empty lines ending in an
    // answer line "答：____".
    enum class WorkingSpace { Blank, Ruled, AnswerLine };
    WorkingSpace workingSpace = WorkingSpace::Blank;
    // The line under the title: the usual 姓名/座号/情况, or a school's 姓名/班级/学号/得分.
    enum class InfoLine { Original, School };
    InfoLine infoLine = InfoLine::Original;
    QString titleLine;        // the teacher's own line above the title (school, class, unit); empty: none
    bool pageNumbers = false; // "第 x 页（共 y 页）" at the foot of every page
    // The seal line down the left edge, with 学校/班级/姓名/学号 inside it.
    enum class SealLine { None, FirstPage, OddPages, EveryPage };
    SealLine sealLine = SealLine::None;
    bool scoreTable = false; // 题号 一 二 … 总分 / 得分 / 评卷人 under the heading
    bool qrCode = true;      // a sheet with a code carries it as a QR code in its top right corner
    // Pinyin over the questions' Chinese characters: none, all of them, or only those the grade has
    // not learnt yet (生字).
    enum class Pinyin { None, All, Hard };
    Pinyin pinyin = Pinyin::None;

    PageLayout pageLayout() const;
    // The size field's text as the word processor takes it: a positive number, else 0 (none set).
    static double fontSizeFrom(const QString &text);
    // The blank-lines list's text: its whole number, never below zero.
    static int blankLinesFrom(const QString &text);
};

using TopicSlots = std::array<bool, codes::TopicSlotCount + 1>;

// One part of a sheet of several (大题): its own mode, topics and count, and its points.
struct SheetSection {
    QString title; // after the number "一、"; empty: the names of its topics
    codes::QuestionMode mode = codes::QuestionMode::Calculation;
    TopicSlots topics{};
    int quantity = 10;
    int points = 0; // each question's points; 0: none, or the section's total alone
    int total = 0;  // the section's points when given as a whole; 0: points × questions

    // The points of the whole section as its heading says them (0: none).
    int sectionPoints(qsizetype questions) const;
    QSet<int> topicCodes() const;
    bool anyTopic() const;
    bool operator==(const SheetSection &) const = default;
};

// One cell of a plan (双向细目表): so many questions of one topic at a difficulty or a range of them.
struct PlanCell {
    int slot = 0; // the topic's box in the sheet's mode list, 0 for 未归类题
    int difficultyFrom = 0;
    int difficultyTo = 5;
    int count = 1;
    int points = 0; // each question's points; 0: none
    bool operator==(const PlanCell &) const = default;
};

// A pupil of a class list, as a sheet made for the pupil prints it.
struct SheetPupil {
    qint64 id = 0; // in the history; 0: none
    QString className, name, number;
    bool operator==(const SheetPupil &) const = default;
};

// What the user asked for: which questions, how many, how they print, and how many sheets.
struct SheetRequest {
    using TopicSlots = ::TopicSlots;

    int grade = 0; // 0 = every grade
    codes::QuestionMode mode = codes::QuestionMode::Calculation;
    // The ticked topic boxes: index 0 is 未归类题, 1..40 the slots of the mode's list.
    TopicSlots topics{};
    bool repeats = false;
    int quantity = 24;
    SheetLayout layout;
    bool stars = true;
    bool answers = false; // the answer version
    int freshDays = 0;    // leave out the questions of the sheets of the last days (0: none)
    int copies = 1;       // sheets with no question shared between them where the bank allows
    bool oneFile = false; // the copies in one document, each from a new page
    bool duplex = false;  // one file printed on both sides: each copy from an odd page
    // A sheet of several parts; empty: one list of the mode, topics and quantity above.
    QList<SheetSection> sections;
    bool numberPerSection = false; // questions numbered 1、2、… again in each section
    int points = 0;                // without sections: each question's points (0: none)
    bool compactKey = false;       // the key as one page of 参考答案 (number, answer, points)
    // Only questions of these difficulties (0 = 基础题 .. 5); -1 for both: every difficulty.
    int difficultyFrom = -1;
    int difficultyTo = -1;
    bool byDifficulty() const { return difficultyFrom >= 0 && difficultyTo >= difficultyFrom; }
    // A plan the sheet follows cell by cell, in order (the topics and the quantity above then do not
    // count); empty: none.
    QList<PlanCell> plan;
    // The pupil the sheet is for (the information line prints the name); none: a blank line to fill in.
    SheetPupil pupil;
    // "★★", "基础题至★" for the notices; empty when the draw takes every difficulty.
    QString difficultyText() const;
    // The sentence for a sheet shorter than asked (no final stop): names the difficulty where the draw
    // kept to one.
    QString shortSheetText(qsizetype drawn) const;

    SheetRequest() { topics = defaultTopics(grade, mode); }

    // The questions asked for: the quantity, or the sections' counts together.
    int wantedQuantity() const;
    // The topic codes of the ticked boxes in the mode's list.
    QSet<int> topicCodes() const;
    bool anyTopic() const;

    // The boxes the main window leaves ticked after choosing this mode and then this grade, with
    // 未归类题; where that leaves no topic ticked (奥数 at grades 2 to 6), all forty.
    static TopicSlots defaultTopics(int grade, codes::QuestionMode mode);
};

// One drawn question with what the sheet and its key print of it. Blanks are already gone from the
// texts (see textnormal::withoutSpaces), as the sheet's record keeps them.
struct SheetItem {
    QString question;
    int topicCode = 0;
    QString answer;
    QString difficulty; // as the bank writes it; the mark comes from its value
    int section = 0;    // its part of a sheet of several, from 0
    int cell = -1;      // the plan's cell it was drawn for; -1: none
};

// A sheet as drawn: its items in order, and the code printed on it (empty: none).
struct DrawnSheet {
    QList<SheetItem> items;
    QString code;
};
