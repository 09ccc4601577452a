// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

// The same question twice in a bank: exactly, or once blanks are removed and full-width digits,
// letters and signs are read as their half-width forms.
namespace duplicatecheck {

// The form two questions are compared in.
QString comparable(QStringView question);

// 64-bit hashes of a question and of its comparable form (without making that form), so a large bank
// is searched for duplicates without a copy of every question; equal hashes are only candidates.
std::uint64_t exactHash(QStringView question);
std::uint64_t comparableHash(QStringView question);

} // namespace duplicatecheck
