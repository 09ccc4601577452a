// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/office/LibreOfficeTarget.h"

#include "bank/AtomicFile.h"
#include "documents/office/LibreOfficeTargetImpl.h"

#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/style/ParagraphAdjust.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace tessaly_uno;

namespace {

// Page margins are in 1/100 mm.
sal_Int32 hundredthsOfMillimetre(int points) {
    return static_cast<sal_Int32>(qRound(points * 2540.0 / 72.0));
}

// Chinese text takes the Asian properties; the Western and Complex ones go beside them so digits and
// Latin letters match.
const char16_t *const WeightNames[] = {u"CharWeight", u"CharWeightAsian", u"CharWeightComplex"};
const char16_t *const FontNames[] = {u"CharFontName", u"CharFontNameAsian", u"CharFontNameComplex"};
const char16_t *const HeightNames[] = {u"CharHeight", u"CharHeightAsian", u"CharHeightComplex"};

} // namespace

LibreOfficeTarget::LibreOfficeTarget(std::shared_ptr<OfficeConnection> office, Method method)
    : d_(std::make_unique<Impl>()) {
    d_->office = std::move(office);
    d_->method = method;
}

LibreOfficeTarget::~LibreOfficeTarget() = default;

void LibreOfficeTarget::setWaitHooks(WaitHooks hooks) {
    d_->hooks = std::move(hooks);
}

namespace {

// Runs one step against the office; a failure is remembered and ends all further calls.
template <typename F>
void guarded(LibreOfficeTarget::Impl &d, const std::function<void(const QString &)> &fail, F &&step) {
    if (d.broken)
        return;
    try {
        step();
    } catch (const css::uno::Exception &e) {
        d.broken = true;
        fail(describe(e));
    }
}

} // namespace

#define GUARDED(...)                                                                                         \
    guarded(                                                                                                 \
        *d_, [this](const QString &m) { recordFailure(m); }, [&] { __VA_ARGS__; })

namespace {

void setOnCursor(LibreOfficeTarget::Impl &d, const rtl::OUString &name, const Any &value) {
    Reference<css::beans::XPropertySet>(d.cursor, UNO_QUERY_THROW)->setPropertyValue(name, value);
}

// Sends what the batched method holds back: first the properties (one call), then the text.
void flush(LibreOfficeTarget::Impl &d, bool withText = true) {
    if (!d.pendingProperties.empty()) {
        Sequence<rtl::OUString> names(static_cast<sal_Int32>(d.pendingProperties.size()));
        Sequence<Any> values(names.getLength());
        sal_Int32 i = 0;
        // std::map keeps the names sorted, as setPropertyValues asks.
        for (const auto &[name, value] : d.pendingProperties) {
            names.getArray()[i] = name;
            values.getArray()[i] = value;
            ++i;
        }
        d.pendingProperties.clear();
        Reference<css::beans::XMultiPropertySet>(d.cursor, UNO_QUERY_THROW)->setPropertyValues(names, values);
    }
    if (withText && !d.pendingText.isEmpty()) {
        d.text->insertString(d.range, toUno(d.pendingText), false);
        d.pendingText.clear();
    }
}

void setCharacterProperties(LibreOfficeTarget::Impl &d, const char16_t *const (&names)[3], const Any &value) {
    if (d.method == LibreOfficeTarget::Method::TypePlain) {
        for (const char16_t *name : names)
            setOnCursor(d, ou(name), value);
        return;
    }
    // A property change applies to the text typed after it: what is waiting goes out first.
    if (!d.pendingText.isEmpty())
        flush(d);
    for (const char16_t *name : names)
        d.pendingProperties[ou(name)] = value;
}

Reference<css::frame::XModel> modelOf(const LibreOfficeTarget::Impl &d) {
    return Reference<css::frame::XModel>(d.document, UNO_QUERY_THROW);
}

Reference<css::lang::XComponent> loadHidden(LibreOfficeTarget::Impl &d, const rtl::OUString &url,
                                            bool asTemplate) {
    const Reference<css::frame::XComponentLoader> loader(d.office->uno().desktop, UNO_QUERY_THROW);
    const Sequence<css::beans::PropertyValue> args =
        asTemplate ? properties({{u"Hidden", Any(true)}, {u"AsTemplate", Any(true)}})
                   : properties({{u"Hidden", Any(true)}});
    Reference<css::lang::XComponent> component = loader->loadComponentFromURL(url, ou(u"_blank"), 0, args);
    if (!component.is())
        throw css::uno::RuntimeException(ou(u"LibreOffice 没有打开新文档"));
    return component;
}

// Runs work on a thread of its own while this thread keeps calling idle() (a window's event loop); the
// office's answer may take seconds, the window must not. An exception of the work is thrown again here,
// so the caller's guard sees it as if the call had been made on this thread.
void runAside(const std::function<void()> &work, const std::function<void()> &idle) {
    std::exception_ptr error;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        done = true;
    });
    while (!done) {
        if (idle)
            idle();
        if (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    worker.join();
    if (error)
        std::rethrow_exception(error);
}

} // namespace

void LibreOfficeTarget::newDocument() {
    if (d_->method == Method::LoadDocx) {
        d_->docx.newDocument();
        return;
    }
    GUARDED({
        d_->document = loadHidden(*d_, ou(u"private:factory/swriter"), false);
        d_->text = Reference<css::text::XTextDocument>(d_->document, UNO_QUERY_THROW)->getText();
        d_->cursor = d_->text->createTextCursor();
        d_->range = Reference<css::text::XTextRange>(d_->cursor, UNO_QUERY_THROW);
        if (d_->method == Method::TypeBatched) {
            modelOf(*d_)->lockControllers();
            d_->locked = true;
        }
    });
}

void LibreOfficeTarget::setPageMargins(int points) {
    if (d_->method == Method::LoadDocx) {
        d_->docx.setPageMargins(points);
        return;
    }
    GUARDED({
        // Margins belong to the page style that the text uses.
        rtl::OUString styleName;
        Reference<css::beans::XPropertySet>(d_->cursor, UNO_QUERY_THROW)
            ->getPropertyValue(ou(u"PageStyleName")) >>= styleName;
        const Reference<css::style::XStyleFamiliesSupplier> families(d_->document, UNO_QUERY_THROW);
        Reference<css::container::XNameAccess> pageStyles(
            families->getStyleFamilies()->getByName(ou(u"PageStyles")), UNO_QUERY_THROW);
        const Any margin(hundredthsOfMillimetre(points));
        if (d_->method == Method::TypeBatched) {
            Reference<css::beans::XMultiPropertySet> style(pageStyles->getByName(styleName), UNO_QUERY_THROW);
            Sequence<rtl::OUString> names(4);
            names.getArray()[0] = ou(u"BottomMargin");
            names.getArray()[1] = ou(u"LeftMargin");
            names.getArray()[2] = ou(u"RightMargin");
            names.getArray()[3] = ou(u"TopMargin");
            Sequence<Any> values(4);
            for (sal_Int32 i = 0; i < 4; ++i)
                values.getArray()[i] = margin;
            style->setPropertyValues(names, values);
        } else {
            Reference<css::beans::XPropertySet> style(pageStyles->getByName(styleName), UNO_QUERY_THROW);
            for (const char16_t *name : {u"TopMargin", u"BottomMargin", u"LeftMargin", u"RightMargin"})
                style->setPropertyValue(ou(name), margin);
        }
    });
}

void LibreOfficeTarget::setBold(bool bold) {
    if (d_->method == Method::LoadDocx) {
        d_->docx.setBold(bold);
        return;
    }
    GUARDED(setCharacterProperties(*d_, WeightNames,
                                   Any(bold ? css::awt::FontWeight::BOLD : css::awt::FontWeight::NORMAL)));
}

void LibreOfficeTarget::setFontName(const QString &name) {
    if (d_->method == Method::LoadDocx) {
        d_->docx.setFontName(name);
        return;
    }
    GUARDED(setCharacterProperties(*d_, FontNames, Any(toUno(name))));
}

void LibreOfficeTarget::setFontSize(double points) {
    if (d_->method == Method::LoadDocx) {
        d_->docx.setFontSize(points);
        return;
    }
    GUARDED(setCharacterProperties(*d_, HeightNames, Any(static_cast<float>(points))));
}

void LibreOfficeTarget::setAlignment(Alignment alignment) {
    if (d_->method == Method::LoadDocx) {
        d_->docx.setAlignment(alignment);
        return;
    }
    const Any adjust(static_cast<sal_Int16>(alignment == Alignment::Center
                                                ? css::style::ParagraphAdjust_CENTER
                                                : css::style::ParagraphAdjust_LEFT));
    GUARDED({
        // The paragraph that holds the cursor takes it; in the batched method it goes out with the next
        // call, which is always before the paragraph ends.
        if (d_->method == Method::TypePlain)
            setOnCursor(*d_, ou(u"ParaAdjust"), adjust);
        else
            d_->pendingProperties[ou(u"ParaAdjust")] = adjust;
    });
}

void LibreOfficeTarget::setPageLayout(const PageLayout &layout) {
    if (d_->method == Method::LoadDocx)
        d_->docx.setPageLayout(layout);
}

void LibreOfficeTarget::beginQuestions() {
    if (d_->method == Method::LoadDocx)
        d_->docx.beginQuestions();
}

void LibreOfficeTarget::setKeep(bool withNext, bool together) {
    if (d_->method == Method::LoadDocx)
        d_->docx.setKeep(withNext, together);
}

void LibreOfficeTarget::typeText(const QString &text) {
    if (d_->method == Method::LoadDocx) {
        d_->docx.typeText(text);
        return;
    }
    GUARDED({
        if (d_->method == Method::TypePlain) {
            d_->text->insertString(d_->range, toUno(text), false);
        } else {
            if (!d_->pendingProperties.empty())
                flush(*d_, false);
            d_->pendingText += text;
        }
    });
}

void LibreOfficeTarget::endParagraph() {
    if (d_->method == Method::LoadDocx) {
        d_->docx.endParagraph();
        return;
    }
    GUARDED({
        if (d_->method == Method::TypeBatched)
            flush(*d_);
        d_->text->insertControlCharacter(d_->range, css::text::ControlCharacter::PARAGRAPH_BREAK, false);
    });
}

void LibreOfficeTarget::show() {
    if (d_->method == Method::LoadDocx) {
        // The office reads the file during the call; loading it as a template gives a new, untitled
        // document, so nothing points back at the temporary file. Building the package and the load run
        // on a thread of their own: a sheet of 100,000 questions keeps the office busy for minutes, and
        // the window must keep drawing and take its clicks meanwhile. (Loading in parts, inserted one
        // after another, was tried and measured: Writer lays the whole document out again after every
        // insert, and a 10,000-question sheet took twice as long.)
        QTemporaryDir dir;
        if (!dir.isValid()) {
            recordFailure(u"无法创建临时文件夹"_s);
            return;
        }
        const QString path = dir.filePath(u"worksheet.docx"_s);
        const auto load = [&] {
            const Status saved = d_->docx.saveTo(path);
            if (!saved)
                throw css::uno::RuntimeException(toUno(saved.error()));
            d_->document = loadHidden(*d_, fileUrl(path), true);
        };
        GUARDED(runAside(load, d_->hooks.idle));
    } else {
        GUARDED({
            if (d_->method == Method::TypeBatched)
                flush(*d_);
            if (d_->locked) {
                modelOf(*d_)->unlockControllers();
                d_->locked = false;
            }
        });
    }
    // Showing a long document lays it out: that waits aside too.
    const auto showFrame = [this] {
        const Reference<css::frame::XFrame> frame = modelOf(*d_)->getCurrentController()->getFrame();
        const Reference<css::awt::XWindow> window = frame->getContainerWindow();
        window->setVisible(true);
        if (const Reference<css::awt::XTopWindow> top{window, UNO_QUERY}; top.is())
            top->toFront();
        frame->activate();
    };
    GUARDED(runAside(showFrame, d_->hooks.idle));
}

Status LibreOfficeTarget::exportTo(const QString &path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const char16_t *filter = suffix == u"pdf"_s    ? u"writer_pdf_Export"
                             : suffix == u"odt"_s  ? u"writer8"
                             : suffix == u"docx"_s ? u"MS Word 2007 XML"
                                                   : nullptr;
    if (!filter)
        return Status::failure(u"不支持的文件类型：%1（可用 .pdf、.odt、.docx）"_s.arg(path));
    if (!d_->document.is())
        return Status::failure(u"没有可导出的文档"_s);
    const QFileInfo target(path);
    const QString partial = target.absolutePath() + u"/."_s + target.fileName() + u".part"_s;
    try {
        Reference<css::frame::XStorable>(d_->document, UNO_QUERY_THROW)
            ->storeToURL(fileUrl(partial), properties({{u"FilterName", Any(ou(filter))}}));
    } catch (const css::uno::Exception &e) {
        QFile::remove(partial);
        return Status::failure(u"无法导出 %1：%2"_s.arg(path, describe(e)));
    }
    // One rename over the old file: it stays whole until the new one is complete (never removed first).
    if (::rename(QFile::encodeName(partial).constData(),
                 QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        const int error = errno;
        QFile::remove(partial);
        return Status::failure(u"无法写入文件 %1：%2"_s.arg(path, systemErrorText(error)));
    }
    return succeeded();
}

void LibreOfficeTarget::closeDocument() {
    try {
        if (const Reference<css::util::XCloseable> closeable{d_->document, UNO_QUERY}; closeable.is())
            closeable->close(true);
    } catch (const css::uno::Exception &) {
        // Already gone.
    }
    // The references stay: any further call meets the disposed document and fails like it would if
    // the user had closed it.
}

void LibreOfficeTarget::warmUpWriter(const std::shared_ptr<OfficeConnection> &office) {
    LibreOfficeTarget target(office, Method::LoadDocx);
    target.newDocument();
    target.setFontName(u"宋体"_s);
    target.typeText(u"Tessaly练习"_s);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"warm.docx"_s);
    if (!dir.isValid() || !target.d_->docx.saveTo(path))
        return;
    try {
        target.d_->document = loadHidden(*target.d_, fileUrl(path), true);
    } catch (const css::uno::Exception &) {
        return; // the first sheet pays then, nothing worse
    }
    target.closeDocument();
}
