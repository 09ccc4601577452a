// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/DeliveryChoice.h"

#include "documents/OfficeModule.h"

#include <QProcessEnvironment>
#include <QSettings>
#include <memory>
#include <optional>

using namespace Qt::Literals::StringLiterals;

std::optional<TargetSettings::Kind> TargetSettings::kindFromName(const QString &name) {
    const QString n = name.trimmed().toLower();
    if (n == u"auto"_s || n == u"automatic"_s)
        return Kind::Automatic;
    if (n == u"libreoffice"_s)
        return Kind::LibreOffice;
    if (n == u"docx"_s)
        return Kind::Docx;
    return std::nullopt;
}

TargetSettings TargetSettings::read(const QString &settingsFile) {
    TargetSettings s;
    const QSettings ini(settingsFile, QSettings::IniFormat);
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const auto setting = [&](const QString &key, const QString &variable) {
        return env.contains(variable) ? env.value(variable) : ini.value(key).toString();
    };
    s.kind = kindFromName(setting(u"document/target"_s, u"TESSALY_TARGET"_s)).value_or(Kind::Automatic);
    s.folder = setting(u"document/folder"_s, u"TESSALY_DOCUMENTS_DIR"_s);
    s.office.pipeName = setting(u"office/pipe"_s, u"TESSALY_OFFICE_PIPE"_s);
    s.office.profileDir = setting(u"office/profile"_s, u"TESSALY_OFFICE_PROFILE"_s);
    const QString search = setting(u"office/search"_s, u"TESSALY_OFFICE_SEARCH"_s);
    if (!search.isEmpty())
        s.office.searchDirs = search.split(u':', Qt::SkipEmptyParts);
    return s;
}

void warmUpOffice(const TargetSettings &settings) {
    if (settings.kind == TargetSettings::Kind::Docx)
        return;
    if (const OfficeEntry *office = officemodule::entry())
        office->warmUp(settings.office);
}

void endWarmOfficeIfUnused() {
    // Nothing to end when the office module was never needed (and it is not loaded for that).
    if (const OfficeEntry *office = officemodule::entryIfLoaded())
        office->endWarmIfUnused();
}

namespace {

using Outputs = Result<std::unique_ptr<SheetOutputs>>;

Outputs outputsOf(std::unique_ptr<SheetDelivery> delivery) {
    return Outputs::success(std::make_unique<DocxOutputs>(std::move(delivery)));
}

// The office for the sheets, or why there is none.
Result<std::unique_ptr<SheetDelivery>> officeDelivery(const TargetSettings &settings,
                                                      const DeliveryWish &wish, bool warm) {
    QString why;
    const OfficeEntry *office = officemodule::entry(&why);
    if (!office)
        return Result<std::unique_ptr<SheetDelivery>>::failure(why);
    return office->delivery(settings.office, {wish.headless, wish.idle, wish.cancelled, wish.mayRaise}, warm);
}

} // namespace

Outputs chooseOutputs(const TargetSettings &settings, const DeliveryWish &wish) {
    if (!wish.window) {
        if (settings.kind == TargetSettings::Kind::Docx)
            return outputsOf(std::make_unique<FileDelivery>());
        Result<std::unique_ptr<SheetDelivery>> office = officeDelivery(settings, wish, false);
        if (!office)
            return Outputs::failure(u"无法使用 LibreOffice：%1"_s.arg(office.error()));
        return outputsOf(std::move(office).value());
    }
    const QString folder = settings.folder.isEmpty() ? FallbackDelivery::defaultFolder() : settings.folder;
    std::unique_ptr<SheetDelivery> primary;
    QString unreachable;
    if (settings.kind != TargetSettings::Kind::Docx) {
        Result<std::unique_ptr<SheetDelivery>> office = officeDelivery(settings, wish, true);
        if (office)
            primary = std::move(office).value();
        else
            unreachable = office.error();
    }
    return outputsOf(std::make_unique<FallbackDelivery>(std::move(primary), unreachable, folder, wish.notify,
                                                        wish.open, wish.cancelled, wish.idle));
}
