// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AddCommand.h"
#include "app/CheckCommand.h"
#include "app/DownloadCommand.h"
#include "app/GenerateCommand.h"
#include "app/GenerateOptions.h"
#include "app/HistoryCommands.h"
#include "mainwindow/Form1.h"
#include "mainwindow/Translations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

QString usage() {
    return u"Tessaly：小学数学解决问题练习卷\n\n"
           u"  tessaly                      打开主窗口\n"
           u"  tessaly generate [选项]      不开窗口，直接生成试卷\n"
           u"  tessaly download [选项]      不开窗口，下载最新题库\n"
           u"  tessaly add [选项]           把自己的题目加入本地题库（或用 --from 从 CSV 导入）\n"
           u"  tessaly check [选项]         检查题库并列出题量\n"
           u"  tessaly key 卷号 --output F  以前某份试卷的答案版（sheet：试卷本身；history：出卷记录）\n"
           u"  tessaly --help               显示本说明\n\n"_s +
           GenerateOptions::helpText() + u"\n"_s + downloadHelpText() + u"\n"_s + addHelpText() + u"\n"_s +
           checkHelpText();
}

int openMainWindow(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Tessaly"_s);
    // No display name: the desktop would add it to every window's title ("… — Tessaly"), and each
    // window's caption is to be exactly its caption.
    installChineseTranslations(app);
    QApplication::setWindowIcon(QIcon(u":/images/tessaly.png"_s));
    Form1 window;
    window.show();
    return app.exec();
}

} // namespace

int main(int argc, char **argv) {
    if (argc <= 1)
        return openMainWindow(argc, argv);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"Tessaly"_s);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QStringList args = app.arguments().mid(1);
    if (args.first() == u"--help"_s || args.first() == u"-h"_s) {
        out << usage();
        return 0;
    }
    if (args.first() == u"generate"_s) {
        const QStringList rest = args.mid(1);
        if (rest.contains(u"--help"_s)) {
            out << GenerateOptions::helpText();
            return 0;
        }
        const Result<GenerateOptions> options =
            GenerateOptions::parse(rest, QCoreApplication::applicationDirPath());
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
        QTextStream in(stdin);
        return runDownloadCommand(rest, QCoreApplication::applicationDirPath(), in, out, err);
    }
    if (args.first() == u"add"_s) {
        const QStringList rest = args.mid(1);
        if (rest.contains(u"--help"_s)) {
            out << addHelpText();
            return 0;
        }
        return runAddCommand(rest, QCoreApplication::applicationDirPath(), out, err);
    }
    if (args.first() == u"key"_s || args.first() == u"sheet"_s || args.first() == u"history"_s) {
        const QStringList rest = args.mid(1);
        if (rest.contains(u"--help"_s)) {
            out << historyHelpText();
            return 0;
        }
        if (args.first() == u"history"_s)
            return runHistoryCommand(rest, QCoreApplication::applicationDirPath(), out, err);
        return runKeyCommand(rest, QCoreApplication::applicationDirPath(), args.first() == u"key"_s, out,
                             err);
    }
    if (args.first() == u"check"_s) {
        const QStringList rest = args.mid(1);
        if (rest.contains(u"--help"_s)) {
            out << checkHelpText();
            return 0;
        }
        return runCheckCommand(rest, QCoreApplication::applicationDirPath(), out, err);
    }
    err << u"未知的命令“%1”；用 tessaly --help 查看用法"_s.arg(args.first()) << Qt::endl;
    return 2;
}
