// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/TargetChoice.h"

#include "generation/DocumentWriter.h"

#include <QProcessEnvironment>
#include <QSettings>

#ifdef TESSALY_HAVE_LIBREOFFICE
#include "documents/office/LibreOfficeTarget.h"
#include "documents/office/OfficeConnection.h"
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

bool libreOfficeSupported() {
#ifdef TESSALY_HAVE_LIBREOFFICE
    return true;
#else
    return false;
#endif
}

void warmUpOffice(const TargetSettings &settings) {
#ifdef TESSALY_HAVE_LIBREOFFICE
    if (settings.kind != TargetSettings::Kind::Docx)
        officewarmup::start(settings.office);
#else
    Q_UNUSED(settings);
#endif
}

WorksheetTarget chooseTarget(const TargetSettings &settings, FallbackTarget::Notify notify,
                             FallbackTarget::OpenFile open) {
    WorksheetTarget result;
    const QString folder = settings.folder.isEmpty() ? FallbackTarget::defaultFolder() : settings.folder;
    std::unique_ptr<DocumentTarget> primary;
    QString unreachable;
    if (settings.kind != TargetSettings::Kind::Docx) {
#ifdef TESSALY_HAVE_LIBREOFFICE
        // The connection the window made while the user was choosing, when the office still answers it.
        Result<std::shared_ptr<OfficeConnection>> office =
            [&]() -> Result<std::shared_ptr<OfficeConnection>> {
            if (std::shared_ptr<OfficeConnection> warm = officewarmup::take(settings.office))
                return Result<std::shared_ptr<OfficeConnection>>::success(warm);
            return OfficeConnection::connect(settings.office);
        }();
        if (office) {
            result.office = office.value();
            auto target = std::make_unique<LibreOfficeTarget>(result.office);
            target->setWaitHooks({settings.office.idle});
            primary = std::move(target);
        } else {
            unreachable = office.error();
        }
#else
        unreachable = u"本程序未带 LibreOffice 支持"_s;
#endif
    }
    result.target = std::make_unique<FallbackTarget>(std::move(primary), unreachable, folder,
                                                     std::move(notify), std::move(open));
    return result;
}

Status typeIntoLibreOffice(const TargetSettings &settings, WriterHost &host,
                           const QList<OfficeSheet> &sheets) {
#ifdef TESSALY_HAVE_LIBREOFFICE
    Result<std::shared_ptr<OfficeConnection>> office = OfficeConnection::connect(settings.office);
    if (!office)
        return Status::failure(u"无法使用 LibreOffice：%1"_s.arg(office.error()));
    Status status = succeeded();
    for (const OfficeSheet &sheet : sheets) {
        LibreOfficeTarget target(office.value());
        DocumentWriter::write(host, target, *sheet.args);
        if (target.failed()) {
            status = Status::failure(u"LibreOffice 在输入试卷时出错：%1"_s.arg(target.failure()));
            break;
        }
        if (!sheet.exportPath.isEmpty()) {
            status = target.exportTo(sheet.exportPath);
            if (!status)
                break;
        }
        if (settings.office.headless)
            target.closeDocument();
    }
    if (settings.office.headless)
        office.value()->endOfficeIfStartedHere();
    return status;
#else
    Q_UNUSED(settings);
    Q_UNUSED(host);
    Q_UNUSED(sheets);
    return Status::failure(u"本程序未带 LibreOffice 支持"_s);
#endif
}
