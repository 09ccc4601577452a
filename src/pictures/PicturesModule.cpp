// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PicturesModule.h"

#include "common/ModuleFolders.h"

#include <QLibrary>

using namespace Qt::Literals::StringLiterals;

namespace picturesmodule {

const PicturesEntry *entry(QString *why) {
    struct Loaded {
        const PicturesEntry *entry = nullptr;
        QString why;
    };
    static const Loaded loaded = [] {
        Loaded result;
        const QString path = modulefolders::find(u"libtessaly-pictures.so"_s);
        if (path.isEmpty()) {
            result.why = u"找不到本程序的图片模块 libtessaly-pictures.so（在 %1 中）"_s.arg(
                modulefolders::candidates().join(u"、"_s));
            return result;
        }
        static QLibrary library;
        library.setFileName(path);
        using EntryFunction = const PicturesEntry *(*)();
        const auto function = reinterpret_cast<EntryFunction>(library.resolve("tessaly_pictures_entry"));
        if (!function) {
            result.why = u"无法载入图片模块：%1"_s.arg(library.errorString());
            return result;
        }
        const PicturesEntry *e = function();
        if (!e || e->version != PicturesEntryVersion) {
            result.why = u"图片模块 %1 与本程序的版本不符"_s.arg(path);
            return result;
        }
        result.entry = e;
        return result;
    }();
    if (!loaded.entry && why)
        *why = loaded.why;
    return loaded.entry;
}

} // namespace picturesmodule
