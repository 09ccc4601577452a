// SPDX-License-Identifier: GPL-3.0-or-later
// A bank file's bytes as any user's tk.txt or zbtk.txt may hold them: decoding (UTF-8 or GB18030, either
// guessed), the split into lines and records, the loading into a bank at every grade, the check of the
// records and the arithmetic of their worked answers.
#include "bank/ArithmeticCheck.h"
#include "bank/BankCheck.h"
#include "bank/BankLoader.h"
#include "bank/BankRecord.h"
#include "bank/BankText.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace {

class FuzzHost : public LoadHost {
public:
    int grade = 0;
    int gradePosition() override { return grade; }
    void yield() override {}
    bool stopRequested() override { return false; }
    void showNotice(const QString &) override {}
    void downloadBank() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QString> text = banktext::decode(bytes);
    if (!text)
        return 0;
    FuzzHost host;
    host.grade = size % 7;
    QuestionBank bank;
    BankLoader::addLines(host, *text, bank);
    for (const bankcheck::Problem &problem : bankcheck::problems(*text))
        (void)bankcheck::describe(QStringLiteral("tk.txt"), problem);
    banktext::forEachLine(*text, [](QStringView line) {
        const BankRecord parsed = bankrecord::parse(line);
        (void)bankrecord::problems(parsed);
        (void)arithmeticcheck::mistakes(parsed.record.answerText);
    });
    return 0;
}
