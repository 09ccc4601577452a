// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/PageLayout.h"

#include "bank/NumberValue.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

struct PaperSize {
    PageLayout::Paper paper;
    const char16_t *name;
    double widthMm, heightMm; // portrait
};

// B4 and B5 as Chinese offices print them (the JIS sizes that Word and WPS call B4 and B5); 16K and 8K
// the common Chinese sizes.
constexpr PaperSize Sizes[] = {
    {PageLayout::Paper::A4, u"A4", 210, 297},   {PageLayout::Paper::A3, u"A3", 297, 420},
    {PageLayout::Paper::B4, u"B4", 257, 364},   {PageLayout::Paper::B5, u"B5", 182, 257},
    {PageLayout::Paper::K16, u"16K", 195, 270}, {PageLayout::Paper::K8, u"8K", 270, 390},
};

const PaperSize &sizeOf(PageLayout::Paper paper) {
    for (const PaperSize &s : Sizes)
        if (s.paper == paper)
            return s;
    return Sizes[0];
}

int twips(double millimetres) {
    return static_cast<int>(std::lround(millimetres / 25.4 * 1440));
}

} // namespace

QString PageLayout::paperName(Paper paper) {
    return QString::fromUtf16(sizeOf(paper).name);
}

const QStringList &PageLayout::paperNames() {
    static const QStringList names = [] {
        QStringList n;
        for (const PaperSize &s : Sizes)
            n.append(QString::fromUtf16(s.name));
        return n;
    }();
    return names;
}

std::optional<PageLayout::Paper> PageLayout::paperFromName(const QString &name) {
    const QString wanted = name.trimmed().toUpper();
    for (const PaperSize &s : Sizes)
        if (QString::fromUtf16(s.name) == wanted)
            return s.paper;
    return std::nullopt;
}

int PageLayout::widthTwips() const {
    const PaperSize &s = sizeOf(paper);
    return twips(landscape ? s.heightMm : s.widthMm);
}

int PageLayout::heightTwips() const {
    const PaperSize &s = sizeOf(paper);
    return twips(landscape ? s.widthMm : s.heightMm);
}

int PageLayout::columnsFrom(const QString &text) {
    const double columns = numberValue(text);
    return columns >= 1 && columns <= 10 ? static_cast<int>(columns) : 1;
}

double PageLayout::lineSpacingFrom(const QString &text) {
    const double points = numberValue(text);
    return std::isfinite(points) && points > 0 && points <= 1584 ? points : 0;
}

QString sheetDate(const QDate &date, const QLocale &system) {
    if (system.language() == QLocale::Chinese)
        return system.toString(date, QLocale::ShortFormat);
    return u"%1/%2/%3"_s.arg(date.year()).arg(date.month()).arg(date.day());
}
