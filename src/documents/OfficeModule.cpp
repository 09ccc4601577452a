// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/OfficeModule.h"

#include "common/ModuleFolders.h"

#include <QLibrary>

using namespace Qt::Literals::StringLiterals;

namespace officemodule {

namespace {

const OfficeEntry *linkedEntry = nullptr;

struct Loaded {
    const OfficeEntry *entry = nullptr;
    QString why;
};

Loaded load() {
    Loaded result;
    const QString path = modulefolders::find(u"libtessaly-office.so"_s);
    if (path.isEmpty()) {
        result.why = u"找不到本程序的 LibreOffice 模块 libtessaly-office.so（在 %1 中）"_s.arg(
            modulefolders::candidates().join(u"、"_s));
        return result;
    }
    // Kept loaded for the rest of the run: the office's objects live in it.
    static QLibrary library;
    library.setFileName(path);
    using EntryFunction = const OfficeEntry *(*)();
    const auto function = reinterpret_cast<EntryFunction>(library.resolve("tessaly_office_entry"));
    if (!function) {
        // Most often the office's own libraries are missing: LibreOffice is not installed.
        result.why =
            u"无法载入 LibreOffice 模块（LibreOffice 可能没有安装）：%1"_s.arg(library.errorString());
        return result;
    }
    const OfficeEntry *entry = function();
    if (!entry || entry->version != OfficeEntryVersion) {
        result.why = u"LibreOffice 模块 %1 与本程序的版本不符"_s.arg(path);
        return result;
    }
    result.entry = entry;
    return result;
}

bool tried = false;

const Loaded &once() {
    static const Loaded loaded = load();
    tried = true;
    return loaded;
}

} // namespace

const OfficeEntry *entry(QString *why) {
    if (linkedEntry)
        return linkedEntry;
    const Loaded &loaded = once();
    if (!loaded.entry && why)
        *why = loaded.why;
    return loaded.entry;
}

const OfficeEntry *entryIfLoaded() {
    if (linkedEntry)
        return linkedEntry;
    return tried ? once().entry : nullptr;
}

Result<QList<QStringList>> readTable(const OfficeOptions &options, const QString &path) {
    QString why;
    const OfficeEntry *office = entry(&why);
    if (!office)
        return Result<QList<QStringList>>::failure(u"表格和文档要经 LibreOffice 读取，但%1"_s.arg(why));
    return office->table(options, path);
}

void useLinked(const OfficeEntry *linked) {
    linkedEntry = linked;
}

} // namespace officemodule
