// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DownloadCommand.h"

#include "app/GenerateOptions.h"

using namespace Qt::Literals::StringLiterals;

QList<QCommandLineOption> downloadOptions() {
    return {
        QCommandLineOption(
            u"server"_s,
            u"下载服务器的地址（默认取 tessaly.ini 的 download/server 或环境变量 TESSALY_DOWNLOAD_SERVER）"_s,
            u"URL"_s),
        QCommandLineOption(u"bank-dir"_s,
                           u"写入 tk.txt 的文件夹，默认为用户的题库文件夹（tessaly --help 列出）"_s,
                           u"DIR"_s),
        QCommandLineOption(u"yes"_s, u"不询问，直接下载"_s)};
}

QString downloadHelpText() {
    return u"用法：tessaly download [选项]\n从下载服务器取回六个年级的题库，重建 tk.txt。\n\n选项：\n"_s +
           optionHelpLines(downloadOptions());
}
