// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// The short code printed on every sheet, by which its key can be had later: five characters of an
// alphabet without look-alikes (no 0, 1, I, O) and a check character (Luhn mod 32), so a mistyped code
// is refused rather than taken for another sheet. Shown as "K7Q2-9F".
namespace sheetcode {

// A new random code, formatted.
QString make();
// The code the user typed (any case, with or without the dash and blanks), formatted; nothing when it
// is no code or its check character does not match.
std::optional<QString> parse(const QString &typed);

} // namespace sheetcode
