// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "common/UserFiles.h"
#include "documents/DeliveryChoice.h"
#include "generation/SheetModel.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// The options of `tessaly generate`, checked and turned into worksheet settings.
struct GenerateOptions {
    UserFiles files; // tessaly.ini, the default bank folder and the history
    QString bankDir;
    SheetRequest settings; // copies, one file and fresh days included
    std::optional<std::uint64_t> seed;
    QString output;
    QString answerKey;
    // docx: write files; libreoffice: type into LibreOffice (and export by the output's extension).
    TargetSettings::Kind target = TargetSettings::Kind::Docx;
    bool headless = false;
    QString history;   // the history file; empty: SheetHistory::defaultPath
    QString className; // one sheet for each pupil of this class
    QString review;    // review sheets for this pupil (name or number) or class

    // Parses the arguments after "generate". A failure's message is one line naming the option and the
    // values it accepts.
    static Result<GenerateOptions> parse(const QStringList &arguments, const UserFiles &files);
    static QString helpText();
};

class QCommandLineOption;
class QCommandLineParser;
// One line an option, name and value aligned, for the help texts of the commands.
QString optionHelpLines(const QList<QCommandLineOption> &options);
// The parser's complaint in Chinese, with the options the command accepts.
QString parserErrorText(const QCommandLineParser &parser, const QList<QCommandLineOption> &options);
