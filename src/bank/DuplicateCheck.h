// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// The same question twice in a bank: exactly, or once blanks are removed and full-width digits,
// letters and signs are read as their half-width forms.
namespace duplicatecheck {

// The form two questions are compared in.
QString comparable(QStringView question);

} // namespace duplicatecheck
