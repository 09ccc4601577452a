// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the benchmark programs: a synthetic worksheet and the median of repeated timings.

#include "generation/DocumentWriter.h"
#include "generation/SheetModel.h"

#include <QStringList>
#include <algorithm>
#include <vector>

inline DrawnSheet syntheticWorksheet(int count) {
    using namespace Qt::Literals::StringLiterals;
    DrawnSheet sheet;
    for (int i = 0; i < count; ++i)
        sheet.items.append({u"小明有%1个苹果，妈妈又给了他8个，小明现在一共有多少个苹果？"_s.arg(i), 1,
                            u"%1＋8＝%2（个）"_s.arg(i).arg(i + 8), QString::number(i % 6)});
    return sheet;
}

// The writer on the default request (宋体 11, two blank lines), as a sheet of the window's defaults.
inline void writeSheet(RunControl &control, DocumentTarget &target, const DrawnSheet &sheet) {
    DocumentWriter::write(control, target, SheetRequest{}, sheet, QStringLiteral("2026/12/8"));
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
