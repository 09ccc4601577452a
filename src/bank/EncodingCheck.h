// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <vector>

// Lines of a bank file that decode in neither of the bank's encodings, and files whose lines are in
// two encodings (a UTF-8 line pasted into a GBK file, say), which no single reading shows right.
namespace encodingcheck {

struct LineFinding {
    int line; // 1-based
    QString message;
};

// A line's own encoding, as the file's lines are read one by one.
enum class Kind { Ascii, Utf8, Gb, Neither };
// From whether its bytes are valid UTF-8 and valid GB18030; a line valid in both is the one it reads
// better as.
Kind kindOf(QByteArrayView line, bool ascii, bool utf8, bool gb);

// The kinds of a file's lines, taken as they come; the findings once the whole file is seen.
class Tally {
public:
    void add(int line, Kind kind);
    QList<LineFinding> findings() const;

private:
    std::vector<int> neither_, utf8_, gb_;
};

} // namespace encodingcheck
