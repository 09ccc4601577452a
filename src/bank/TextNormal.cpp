// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/TextNormal.h"

namespace textnormal {

QString withoutSpaces(QStringView text) {
    if (!text.contains(u' '))
        return text.toString(); // the usual case: one copy, no scan by character
    QString result;
    result.reserve(text.size());
    for (QChar c : text)
        if (c != u' ')
            result += c;
    return result;
}

quint64 spacelessKey(QStringView text) {
    TextHash hash;
    for (QChar c : text)
        if (c != u' ')
            hash.add(c.unicode());
    return hash.value();
}

QString withoutBlanks(QString text) {
    text.remove(u'\t');
    text.remove(u' ');
    text.remove(QChar(0x3000));
    text.remove(u'\r');
    text.remove(u'\n');
    return text;
}

QString forRecord(QString text) {
    text = withoutBlanks(std::move(text));
    text.replace(u'|', u'｜');
    return text;
}

QString fullWidthSigns(QString text) {
    text.replace(u'+', u'＋');
    text.replace(u'-', u'－');
    text.replace(u'*', u'×');
    text.replace(u'/', u'÷');
    text.replace(u'=', u'＝');
    return text;
}

} // namespace textnormal
