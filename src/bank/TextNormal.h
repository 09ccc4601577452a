// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// The one place that says which blanks and signs a text loses, each variant named for its use.
namespace textnormal {

// No ASCII space: a drawn question, answer or difficulty as a sheet records it, and the key by which
// fresh questions know a question again (the records of earlier versions were made this way, so the
// key must stay exactly this).
QString withoutSpaces(QStringView text);
// A 64-bit hash of text fed one 16-bit unit at a time: FNV-1a, then a final mix so that the low bits a
// hash table uses spread well. A fixed function: the history keeps such keys.
class TextHash {
public:
    void add(char16_t unit) { h_ = (h_ ^ unit) * 1099511628211ULL; }
    quint64 value() const {
        quint64 x = h_;
        x ^= x >> 33;
        x *= 0xff51afd7ed558ccdULL;
        x ^= x >> 33;
        return x;
    }

private:
    quint64 h_ = 14695981039346656037ULL;
};
// A TextHash of withoutSpaces(text), made without the copy: the key the fresh-question look-up and the
// history share (two texts that differ only by spaces get one key).
quint64 spacelessKey(QStringView text);
// No space, tab, ideographic space or line break of any kind: a question as the bank keeps it and as a
// sheet prints it (a break inside a record would split it in two).
QString withoutBlanks(QString text);
// withoutBlanks, and the fields' separator "|" typed by a user kept as the full-width "｜": what the
// editor and the import append.
QString forRecord(QString text);
// The ASCII signs + - * / = as the bank writes them: ＋ － × ÷ ＝.
QString fullWidthSigns(QString text);

} // namespace textnormal
