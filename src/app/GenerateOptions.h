#pragma once

#include "bank/Result.h"
#include "generation/WorksheetSettings.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// The options of `tessaly generate`, checked and turned into worksheet settings.
struct GenerateOptions {
    QString bankDir;
    WorksheetSettings settings;
    std::optional<std::uint64_t> seed;
    QString output;
    QString answerKey;

    // Parses the arguments after "generate". A failure's message is one line naming the option and the
    // values it accepts. defaultBankDir is the program's folder.
    static Result<GenerateOptions> parse(const QStringList &arguments, const QString &defaultBankDir);
    static QString helpText();
};
