// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/PinyinText.h"

#include "common/DataFolders.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace pinyintext {

namespace {

// The tone of a syllable with its mark: 1..4, 0 for the neutral tone.
int toneOf(const QString &syllable) {
    static const QString marks[4] = {u"āēīōūǖ"_s, u"áéíóúǘ"_s, u"ǎěǐǒǔǚ"_s, u"àèìòùǜ"_s};
    for (QChar c : syllable)
        for (int t = 0; t < 4; ++t)
            if (marks[t].contains(c))
                return t + 1;
    return 0;
}

QString withoutTone(const QString &syllable) {
    static const QString marked = u"āáǎàēéěèīíǐìōóǒòūúǔùǖǘǚǜ"_s;
    static const QString plain = u"aaaaeeeeiiiioooouuuuüüüü"_s;
    QString out = syllable;
    for (QChar &c : out)
        if (const qsizetype at = marked.indexOf(c); at >= 0)
            c = plain[at];
    return out;
}

bool isNumeral(QChar c) {
    return QStringView(u"零〇一二三四五六七八九十百千万两第").contains(c) || c.isDigit();
}

Result<QString> readFile(const QString &name) {
    const QString path = datafolders::find(name);
    if (path.isEmpty())
        return Result<QString>::failure(u"找不到拼音数据 %1"_s.arg(name));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QString>::failure(u"无法读取拼音数据 %1：%2"_s.arg(path, file.errorString()));
    return Result<QString>::success(QString::fromUtf8(file.readAll()));
}

} // namespace

bool isHan(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || u == 0x3007;
}

int Dictionary::knownCharacters(int grade) {
    // The characters a pupil reads by the end of each grade, as the curriculum counts them (1,600 by
    // the end of grade 2, 2,500 by grade 4, 3,000 by grade 6), grade 1 the first textbook's 700.
    static constexpr int known[] = {700, 700, 1600, 2100, 2500, 2800, 3000};
    return known[std::clamp(grade, 0, 6)];
}

void Dictionary::read(const QString &text, bool overriding) {
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0)
            continue;
        const QString word = line.first(tab).trimmed().toString();
        const QStringList readings =
            line.sliced(tab + 1).trimmed().toString().split(u' ', Qt::SkipEmptyParts);
        if (readings.isEmpty())
            continue;
        if (word.size() == 1 && !overriding) {
            chars_.insert(word.front(), readings.front());
            continue;
        }
        if (readings.size() != word.size())
            continue;
        (overriding ? fixed_ : words_).insert(word, readings);
        longest_ = std::max(longest_, static_cast<int>(word.size()));
    }
}

Result<std::shared_ptr<const Dictionary>> Dictionary::load() {
    using Loaded = Result<std::shared_ptr<const Dictionary>>;
    const Result<QString> readings = readFile(u"pinyin.txt"_s);
    if (!readings)
        return Loaded::failure(readings.error());
    const Result<QString> overrides = readFile(u"pinyin-overrides.txt"_s);
    if (!overrides)
        return Loaded::failure(overrides.error());
    const Result<QString> ranks = readFile(u"char-frequency.txt"_s);
    if (!ranks)
        return Loaded::failure(ranks.error());
    return Loaded::success(fromTexts(readings.value(), overrides.value(), ranks.value()));
}

std::shared_ptr<const Dictionary> Dictionary::fromTexts(const QString &readings, const QString &overrides,
                                                        const QString &ranks) {
    auto d = std::make_shared<Dictionary>();
    d->read(readings, false);
    d->read(overrides, true);
    int rank = 0;
    for (QStringView line : QStringView(ranks).split(u'\n'))
        if (!line.isEmpty() && !line.startsWith(u'#'))
            d->ranks_.insert(line.front(), ++rank);
    return d;
}

QStringList Dictionary::readingsOf(const QString &text, bool afterNumber, QList<bool> &fixed) const {
    // Longest match first, the corrections before the dictionary's phrases.
    QStringList out(text.size());
    fixed = QList<bool>(text.size(), false);
    for (qsizetype i = 0; i < text.size();) {
        bool matched = false;
        for (qsizetype n = std::min<qsizetype>(longest_, text.size() - i); n >= 2 && !matched; --n) {
            const QString word = text.sliced(i, n);
            for (const auto *table : {&fixed_, &words_}) {
                const auto found = table->constFind(word);
                if (found == table->cend())
                    continue;
                for (qsizetype k = 0; k < n; ++k) {
                    out[i + k] = found->at(k);
                    fixed[i + k] = table == &fixed_;
                }
                i += n;
                matched = true;
                break;
            }
        }
        if (matched)
            continue;
        const auto single = fixed_.constFind(text.sliced(i, 1));
        out[i] = single != fixed_.cend() ? single->front() : chars_.value(text[i]);
        fixed[i] = single != fixed_.cend();
        ++i;
    }
    // A measure word after a number reads as one (9只鸟 zhī, 一行 háng, 三种 zhǒng), not as the word
    // of the same character (只有 zhǐ, 行走 xíng).
    static const QHash<QChar, QString> measures = {
        {u'只', u"zhī"_s}, {u'行', u"háng"_s}, {u'种', u"zhǒng"_s}};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto measure = measures.constFind(text[i]);
        if (measure == measures.cend() || fixed[i])
            continue;
        if (i == 0 ? afterNumber : QStringView(u"几两每一二三四五六七八九十百千万").contains(text[i - 1]))
            out[i] = *measure;
    }
    // The light syllables a word ends in: the suffixes 们 and 么, 子 after another character (桃子 táo
    // zi; the corrections keep 分子 fēn zǐ), and the second of a family word said twice (妈妈 mā ma).
    static const QString kin = u"妈爸哥姐弟妹奶爷叔婶姑舅姥宝"_s;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (fixed[i] || fixed[i - 1])
            continue;
        const QChar c = text[i];
        if (c == u'们' || c == u'么' || c == u'子' || (c == text[i - 1] && kin.contains(c)))
            out[i] = withoutTone(out[i]);
    }
    // 一 and 不 take the tone the syllable after them asks for, where no correction says otherwise.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (fixed[i] || (text[i] != u'一' && text[i] != u'不'))
            continue;
        const bool last = i + 1 >= text.size() || !isHan(text[i + 1]);
        // The next syllable's own tone: a neutral one (几个 jǐ ge) counts as its character's.
        int next = last ? 0 : toneOf(out[i + 1]);
        if (!last && next == 0)
            next = toneOf(chars_.value(text[i + 1]));
        if (text[i] == u'不') {
            out[i] = next == 4 ? u"bú"_s : u"bù"_s;
            continue;
        }
        // 一 as a number keeps its tone: alone, at the end, after 第 or another numeral, before a
        // numeral that is no 百 千 万.
        const bool number = last || (i > 0 && isNumeral(text[i - 1])) ||
                            (isNumeral(text[i + 1]) && !QStringView(u"百千万").contains(text[i + 1]));
        out[i] = number ? u"yī"_s : next == 4 ? u"yí"_s : u"yì"_s;
    }
    return out;
}

QList<Piece> Dictionary::annotate(const QString &text) const {
    return annotateHard(text, -1);
}

QList<Piece> Dictionary::annotateHard(const QString &text, int grade) const {
    QList<Piece> pieces;
    const int known = grade < 0 ? 0 : knownCharacters(grade);
    for (qsizetype i = 0; i < text.size();) {
        if (!isHan(text[i])) {
            qsizetype j = i;
            while (j < text.size() && !isHan(text[j]))
                ++j;
            pieces.append({text.sliced(i, j - i), QString()});
            i = j;
            continue;
        }
        // A run of Chinese characters read as one: the words reach across it.
        qsizetype j = i;
        while (j < text.size() && isHan(text[j]))
            ++j;
        const QString run = text.sliced(i, j - i);
        QList<bool> fixed;
        const bool afterNumber =
            i > 0 && (text[i - 1].isDigit() || text[i - 1] == u'）' || text[i - 1] == u')');
        const QStringList readings = readingsOf(run, afterNumber, fixed);
        for (qsizetype k = 0; k < run.size(); ++k) {
            const int rank = rankOf(run[k]);
            const bool shown = grade < 0 || rank == 0 || rank > known;
            pieces.append({run.sliced(k, 1), shown ? readings[k] : QString()});
        }
        i = j;
    }
    return pieces;
}

} // namespace pinyintext
