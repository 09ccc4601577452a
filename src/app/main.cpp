// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AddCommand.h"
#include "app/CheckCommand.h"
#include "app/ClassCommands.h"
#include "app/DownloadCommand.h"
#include "app/ExportCommand.h"
#include "app/GenerateCommand.h"
#include "app/GenerateOptions.h"
#include "app/HistoryCommands.h"
#include "common/ModuleFolders.h"
#include "common/UserFiles.h"
#include "history/SheetHistory.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QTextStream>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

// The folders the user's files are in, for the help text, so a user can find the bank to edit it.
QString fileLocations(const UserFiles &files) {
    const QString history = SheetHistory::defaultPath(files);
    return u"文件位置%1：\n  题库（tk.txt、zbtk.txt）：%2\n  设置（tessaly.ini）：%3\n  出卷记录：%4\n\n"_s
        .arg(files.portable ? u"（便携：程序文件夹）"_s : QString(), QDir::toNativeSeparators(files.bankDir),
             QDir::toNativeSeparators(files.settingsFile), QDir::toNativeSeparators(history));
}

// The first start of an installed program: the user's bank folder is made and given the sample bank.
// A command told to use another bank folder leaves the user's folder alone.
void prepareDefaultFolders(const UserFiles &files, const QStringList &arguments, QTextStream &err) {
    for (QString argument : arguments) {
        while (argument.startsWith(u'-'))
            argument.remove(0, 1);
        if (argument == u"bank-dir"_s || argument.startsWith(u"bank-dir="_s))
            return;
    }
    const Result<FirstStart> prepared =
        prepareUserFiles(files, installedSampleBank(QCoreApplication::applicationDirPath()));
    if (!prepared)
        err << u"提示："_s << prepared.error() << Qt::endl;
    else if (prepared.value().sampleCopied)
        err << u"提示：已把示例题库复制到 %1"_s.arg(QDir::toNativeSeparators(files.bankDir)) << Qt::endl;
}

QString usage(const UserFiles &files) {
    return u"Tessaly：小学数学解决问题练习卷\n\n"
           u"  tessaly                      打开主窗口\n"
           u"  tessaly generate [选项]      不开窗口，直接生成试卷\n"
           u"  tessaly download [选项]      不开窗口，下载最新题库\n"
           u"  tessaly add [选项]           把自己的题目加入本地题库（或用 --from 从 CSV、Excel、Word "
           u"表格导入）\n"
           u"  tessaly export --output F    把题库导出为 CSV 或 Excel 表格\n"
           u"  tessaly check [选项]         检查题库并列出题量\n"
           u"  tessaly key 卷号 --output F  以前某份试卷的答案版（sheet：试卷本身；history：出卷记录）\n"
           u"  tessaly class import 名单.csv 导入班级名单（list：列出）\n"
           u"  tessaly mark 卷号 --wrong 3,7 记下批改（做错的题号）\n"
           u"  tessaly report 班级 --output F 班级的错题报告（PDF 或 PNG）\n"
           u"  tessaly --help               显示本说明（--version：版本）\n\n"_s +
           fileLocations(files) + GenerateOptions::helpText() + u"\n"_s + downloadHelpText() + u"\n"_s +
           addHelpText() + u"\n"_s + exportHelpText() + u"\n"_s + checkHelpText() + u"\n"_s +
           historyHelpText() + u"\n"_s + classHelpText() + u"\n"_s + markHelpText();
}

// The window is a module of its own, so the commands never load the widgets, the desktop's bus or the
// office: they start in a few milliseconds.
// A module's main, which makes the application object itself: the window, or the report's drawing.
// One function of a module, found where the modules are; null (and the reason told) when it is not.
// The module stays loaded until the program ends.
QFunctionPointer moduleFunction(const QString &module, const char *function, const QString &what,
                                QTextStream &err) {
    const QString path = modulefolders::find(module);
    if (path.isEmpty()) {
        err << u"找不到本程序的%1 %2（在 %3 中）"_s.arg(what, module,
                                                        modulefolders::candidates().join(u"、"_s))
            << Qt::endl;
        return nullptr;
    }
    static QLibrary library;
    library.setFileName(path);
    const QFunctionPointer found = library.resolve(function);
    if (!found)
        err << u"无法载入%1：%2"_s.arg(what, library.errorString()) << Qt::endl;
    return found;
}

int runModuleMain(const QString &module, const char *function, const QString &what, int argc, char **argv) {
    QTextStream err(stderr);
    using ModuleMain = int (*)(int, char **);
    const auto run = reinterpret_cast<ModuleMain>(moduleFunction(module, function, what, err));
    return run ? run(argc, argv) : 1;
}

int openMainWindow(int argc, char **argv) {
    return runModuleMain(u"libtessaly-window.so"_s, "tessaly_window_main", u"窗口模块"_s, argc, argv);
}

} // namespace

int main(int argc, char **argv) {
    if (argc <= 1)
        return openMainWindow(argc, argv);
    // The report draws a chart, a graphics widget: its module makes a QApplication in place of ours.
    if (std::strcmp(argv[1], "report") == 0)
        return runModuleMain(u"libtessaly-pictures.so"_s, "tessaly_report_main", u"图片模块"_s, argc, argv);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"Tessaly"_s);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QStringList args = app.arguments().mid(1);
    const UserFiles files = UserFiles::locate(QCoreApplication::applicationDirPath());
    if (args.first() == u"--version"_s) {
        out << u"Tessaly %1.%2.%3"_s.arg(TESSALY_VERSION_MAJOR)
                   .arg(TESSALY_VERSION_MINOR)
                   .arg(TESSALY_VERSION_REVISION)
            << Qt::endl;
        return 0;
    }
    if (args.first() == u"--help"_s || args.first() == u"-h"_s) {
        out << usage(files);
        return 0;
    }
    const QStringList commands{u"generate"_s, u"download"_s, u"add"_s,   u"check"_s,
                               u"key"_s,      u"sheet"_s,    u"export"_s};
    if (commands.contains(args.first()) && !args.contains(u"--help"_s))
        prepareDefaultFolders(files, args, err);
    if (args.first() == u"generate"_s) {
        const QStringList rest = args.mid(1);
        if (rest.contains(u"--help"_s)) {
            out << GenerateOptions::helpText();
            return 0;
        }
        const Result<GenerateOptions> options = GenerateOptions::parse(rest, files);
        if (!options) {
            err << u"tessaly generate："_s << options.error() << Qt::endl;
            return 2;
        }
        return runGenerate(options.value(), out, err);
    }
    if (args.first() == u"download"_s) {
        const QStringList rest = args.mid(1);
        if (rest.contains(u"--help"_s)) {
            out << downloadHelpText();
            return 0;
        }
        const auto run = reinterpret_cast<DownloadCommandEntry>(
            moduleFunction(u"libtessaly-download.so"_s, DownloadCommandSymbol, u"下载模块"_s, err));
        if (!run)
            return 1;
        QTextStream in(stdin);
        return run(rest, files, in, out, err);
    }
    if (args.first() == u"add"_s) {
        const QStringList rest = args.mid(1);
        if (rest.contains(u"--help"_s)) {
            out << addHelpText();
            return 0;
        }
        return runAddCommand(rest, files, out, err);
    }
    if (args.first() == u"export"_s) {
        const QStringList rest = args.mid(1);
        if (rest.contains(u"--help"_s)) {
            out << exportHelpText();
            return 0;
        }
        return runExportCommand(rest, files, out, err);
    }
    if (args.first() == u"key"_s || args.first() == u"sheet"_s || args.first() == u"history"_s) {
        const QStringList rest = args.mid(1);
        if (rest.contains(u"--help"_s)) {
            out << historyHelpText();
            return 0;
        }
        if (args.first() == u"history"_s)
            return runHistoryCommand(rest, files, out, err);
        return runKeyCommand(rest, files, args.first() == u"key"_s, out, err);
    }
    if (args.first() == u"class"_s || args.first() == u"mark"_s) {
        const QStringList rest = args.mid(1);
        const bool isClass = args.first() == u"class"_s;
        if (rest.contains(u"--help"_s)) {
            out << (isClass ? classHelpText() : markHelpText());
            return 0;
        }
        return isClass ? runClassCommand(rest, files, out, err) : runMarkCommand(rest, files, out, err);
    }
    if (args.first() == u"check"_s) {
        const QStringList rest = args.mid(1);
        if (rest.contains(u"--help"_s)) {
            out << checkHelpText();
            return 0;
        }
        return runCheckCommand(rest, files, out, err);
    }
    err << u"未知的命令“%1”；用 tessaly --help 查看用法"_s.arg(args.first()) << Qt::endl;
    return 2;
}
