// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// Pinyin over a question's Chinese characters, as a primary-school textbook prints it: each character's
// reading in its word (the phrase dictionary, longest match first; a character alone takes its most
// usual reading), 一 and 不 changed before the syllable that follows (一共 yí gòng, 一天 yì tiān, 不对
// bú duì), and a table of the program's own corrections over both. Digits, signs and punctuation get
// none.
namespace pinyintext {

struct Piece {
    QString text;   // one character, or a run of text without pinyin
    QString pinyin; // empty: none
};

class Dictionary {
public:
    // The readings and phrases (pinyin.txt), the corrections (pinyin-overrides.txt) and the characters'
    // ranks (char-frequency.txt) from the program's data folders; the message says which is missing.
    static Result<std::shared_ptr<const Dictionary>> load();
    // The same from texts in that format, for tests.
    static std::shared_ptr<const Dictionary> fromTexts(const QString &readings, const QString &overrides,
                                                       const QString &ranks);

    // The pieces of a text: every Chinese character with its reading.
    QList<Piece> annotate(const QString &text) const;
    // Only the characters a pupil of the grade has not learnt yet (ranked beyond the grade's known
    // set, see knownCharacters) carry their reading; grade 0 counts as grade 1.
    QList<Piece> annotateHard(const QString &text, int grade) const;

    // How many of the most frequent characters a pupil knows by the end of the grade (1..6).
    static int knownCharacters(int grade);
    // The character's rank by frequency, from 1; 0 for one not ranked.
    int rankOf(QChar c) const { return ranks_.value(c, 0); }

private:
    void read(const QString &text, bool overriding);
    // A run of Chinese characters; `afterNumber`: a number stands right before it.
    QStringList readingsOf(const QString &text, bool afterNumber, QList<bool> &fixed) const;

    QHash<QChar, QString> chars_;       // the most usual reading
    QHash<QString, QStringList> words_; // a phrase's readings
    QHash<QString, QStringList> fixed_; // the corrections: never changed by the tone rules
    QHash<QChar, int> ranks_;
    int longest_ = 1;
};

bool isHan(QChar c);

} // namespace pinyintext
