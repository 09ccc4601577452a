// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

// The value of the leading number of a text: leading blanks are skipped and reading stops at the
// first character that cannot continue the number, so "3" is 3, " 12abc" is 12, "2.5" is 2.5 and
// "", "abc" are 0. Settings fields and bank fields are read this way.
double numberValue(QStringView text);

// The whole part of numberValue(), as used for quantities, blank lines and codes. Values beyond the
// range of int are clamped.
int integerValue(QStringView text);
