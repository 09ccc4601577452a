// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringList>

// The parts of a .docx around its document part: the package's lists, the page footer with its page
// numbers, the seal line's header, the settings. Each is made whole here so the document builder only
// says which it needs.
namespace docxparts {

// The relationship ids the document part refers to.
inline constexpr char FooterId[] = "rIdFooter";
inline constexpr char SealHeaderId[] = "rIdSeal";
inline constexpr char EmptyHeaderId[] = "rIdEmpty";

struct Needs {
    bool footer = false;
    bool footerTotal = true; // "（共 y 页）" after the number: one sheet to the file
    bool sealHeader = false;
    bool emptyHeader = false; // for the pages without the seal line
    bool evenAndOddHeaders = false;
    int pictures = 0; // the sheets' QR codes, word/media/qr1.png on
    // Whether the document part refers to any other part.
    bool any() const { return footer || sealHeader || emptyHeader || evenAndOddHeaders || pictures > 0; }
};

// The relationship id of the k-th picture (from 1).
QByteArray pictureId(int k);
// A picture of `sideEmu` square in the page's top right corner, in front of the text, as a run.
QByteArray cornerPicture(int k, int sideEmu, int topEmu);

QByteArray contentTypes(const Needs &needs);
QByteArray packageRelationships();
// word/_rels/document.xml.rels; empty when the document refers to nothing.
QByteArray documentRelationships(const Needs &needs);
// word/footer1.xml: "第 x 页（共 y 页）", centred, in 9 point 宋体.
QByteArray footer(bool withTotal);
// word/header1.xml: the seal line down the left edge of the page, a text box whose text runs from
// bottom to top: 学校/班级/姓名/学号 at the edge, the dotted line with 密、封、线, and 密封线内不要答题.
QByteArray sealHeader(int pageHeightTwips);
QByteArray emptyHeader();
QByteArray settings(const Needs &needs);

} // namespace docxparts
