// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/QuestionBank.h"

void QuestionBank::clear() {
    records_.clear();
    texts_.clear();
}

QStringView QuestionBank::keepText(QString text) {
    // A QString's characters do not move when the QString object itself is moved, so views taken
    // from the stored copy stay valid while the vector grows.
    texts_.push_back(std::move(text));
    return QStringView(texts_.back());
}
