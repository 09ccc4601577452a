// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/DeliveryChoice.h"

#include "documents/WorkAside.h"

#include <QProcessEnvironment>
#include <QSettings>
#include <memory>
#include <optional>

#ifdef TESSALY_HAVE_LIBREOFFICE
#include "documents/office/OfficeConnection.h"
#include "documents/office/OfficeDelivery.h"
#include "documents/office/OfficeWarmUp.h"
#endif

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
#ifdef TESSALY_HAVE_LIBREOFFICE
    if (settings.kind != TargetSettings::Kind::Docx)
        officewarmup::start(settings.office);
#else
    Q_UNUSED(settings);
#endif
}

void endWarmOfficeIfUnused() {
#ifdef TESSALY_HAVE_LIBREOFFICE
    officewarmup::endIfUnused();
#endif
}

namespace {

using Outputs = Result<std::unique_ptr<SheetOutputs>>;

Outputs outputsOf(std::unique_ptr<SheetDelivery> delivery) {
    return Outputs::success(std::make_unique<DocxOutputs>(std::move(delivery)));
}

#ifdef TESSALY_HAVE_LIBREOFFICE
// Reaches the office on a thread of its own (a cold start takes seconds, a busy office may not answer at
// once) while this thread runs options.idle: a window never waits inside a call to the office.
Result<std::shared_ptr<OfficeConnection>> connectAside(const OfficeOptions &options) {
    if (!options.idle)
        return OfficeConnection::connect(options);
    OfficeOptions quiet = options;
    quiet.idle = nullptr; // the window's events run on the window's thread only
    auto connected = std::make_shared<std::optional<Result<std::shared_ptr<OfficeConnection>>>>();
    waitAside([quiet, connected] { *connected = OfficeConnection::connect(quiet); }, options.idle);
    return std::move(**connected);
}
#endif

// The office for the sheets: the connection the window made while the user was choosing, when the
// office still answers it, else a new one. The delivery, or why there is none.
Result<std::unique_ptr<SheetDelivery>> officeDelivery(const TargetSettings &settings,
                                                      const DeliveryWish &wish, bool warm) {
#ifdef TESSALY_HAVE_LIBREOFFICE
    OfficeOptions options = settings.office;
    options.idle = wish.idle;
    std::shared_ptr<OfficeConnection> office = warm ? officewarmup::take(options) : nullptr;
    if (!office) {
        Result<std::shared_ptr<OfficeConnection>> connected = connectAside(options);
        if (!connected)
            return Result<std::unique_ptr<SheetDelivery>>::failure(connected.error());
        office = connected.value();
    }
    return Result<std::unique_ptr<SheetDelivery>>::success(std::make_unique<OfficeDelivery>(
        office, OfficeDelivery::Options{wish.headless, wish.idle, wish.cancelled, wish.mayRaise}));
#else
    Q_UNUSED(settings);
    Q_UNUSED(wish);
    Q_UNUSED(warm);
    return Result<std::unique_ptr<SheetDelivery>>::failure(u"本程序未带 LibreOffice 支持"_s);
#endif
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
                                                        wish.open, wish.cancelled));
}
