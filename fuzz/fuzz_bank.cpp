// SPDX-License-Identifier: GPL-3.0-or-later
// A bank file's bytes as any user's tk.txt or zbtk.txt may hold them: decoding (UTF-8 or GB18030, either
// guessed), the reading of a file in pieces, the split into lines and records, the loading into a bank
// at every grade, the check of the records and the arithmetic of their worked answers.
#include "bank/ArithmeticCheck.h"
#include "bank/BankCheck.h"
#include "bank/BankLoader.h"
#include "bank/BankRecord.h"
#include "bank/BankText.h"
#include "bank/QuestionTemplate.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

class FuzzHost : public LoadHost {
public:
    int grade = 0;
    int gradePosition() override { return grade; }
    void yield() override {}
    bool stopRequested() override { return false; }
    bool checksLines() const override { return true; }
    void showNotice(const QString &) override {}
    void downloadBank() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // The loader reads files in pieces: the input is the bank file of a folder of this process's own.
    static const QTemporaryDir folder;
    {
        QFile file(folder.filePath(QStringLiteral("tk.txt")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return 0;
    }
    FuzzHost host;
    host.grade = size % 7;
    QuestionBank bank;
    (void)BankLoader::load(host, folder.path(), bank);
    // Every line the load kept is where the load says it is: its text reads again from the file.
    for (qsizetype i = 0; i < bank.size(); ++i)
        if (!bank.text(i))
            std::abort();
    banktext::LineDecoder decoder;
    QString scratch;
    (void)decoder.utf8(bytes, scratch);
    (void)decoder.gb18030(bytes, scratch);
    const std::optional<QString> text = banktext::decode(bytes);
    if (!text)
        return 0;
    for (const bankcheck::Problem &problem : bankcheck::problems(*text))
        (void)bankcheck::describe(QStringLiteral("tk.txt"), problem);
    banktext::forEachLine(*text, [](QStringView line) {
        const BankRecord parsed = bankrecord::parse(line);
        (void)bankrecord::problems(parsed);
        (void)arithmeticcheck::mistakes(parsed.record.answerText);
        if (QuestionTemplate::defines(parsed.record.questionText)) {
            std::mt19937_64 random(1);
            const QuestionTemplate t =
                QuestionTemplate::parse(parsed.record.questionText, parsed.record.answerText);
            (void)t.instantiate(random, {}, 50);
        }
    });
    return 0;
}
