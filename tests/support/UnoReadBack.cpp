// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/UnoReadBack.h"

#include "documents/office/OfficeDeliveryImpl.h"

#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>

using namespace Qt::Literals::StringLiterals;
using namespace tessaly_uno;

namespace unoreadback {

namespace {

template <typename T> T value(const Reference<css::beans::XPropertySet> &props, const char16_t *name) {
    T v{};
    props->getPropertyValue(ou(name)) >>= v;
    return v;
}

} // namespace

std::optional<Document> read(OfficeDelivery &delivery, QString *error) {
    const OfficeDelivery::Impl &d = delivery.impl();
    try {
        Document doc;
        const Reference<css::text::XTextDocument> textDocument(d.document, UNO_QUERY_THROW);
        const Reference<css::container::XEnumerationAccess> paragraphs(textDocument->getText(),
                                                                       UNO_QUERY_THROW);
        const Reference<css::container::XEnumeration> pe = paragraphs->createEnumeration();
        while (pe->hasMoreElements()) {
            Paragraph p;
            const Reference<css::text::XTextRange> range(pe->nextElement(), UNO_QUERY_THROW);
            p.text = fromUno(range->getString());
            const Reference<css::beans::XPropertySet> pprops(range, UNO_QUERY_THROW);
            p.adjust = value<sal_Int16>(pprops, u"ParaAdjust");
            const Reference<css::container::XEnumeration> portions =
                Reference<css::container::XEnumerationAccess>(range, UNO_QUERY_THROW)->createEnumeration();
            while (portions->hasMoreElements()) {
                const Reference<css::text::XTextRange> portion(portions->nextElement(), UNO_QUERY_THROW);
                const Reference<css::beans::XPropertySet> props(portion, UNO_QUERY_THROW);
                Portion r;
                r.text = fromUno(portion->getString());
                r.weight = value<float>(props, u"CharWeightAsian");
                r.height = value<float>(props, u"CharHeightAsian");
                r.asianFont = fromUno(value<rtl::OUString>(props, u"CharFontNameAsian"));
                r.westernFont = fromUno(value<rtl::OUString>(props, u"CharFontName"));
                p.portions.append(r);
            }
            doc.paragraphs.append(p);
        }

        const Reference<css::text::XTextRange> start = textDocument->getText()->getStart();
        const rtl::OUString styleName = value<rtl::OUString>(
            Reference<css::beans::XPropertySet>(start, UNO_QUERY_THROW), u"PageStyleName");
        const Reference<css::container::XNameAccess> pageStyles(
            Reference<css::style::XStyleFamiliesSupplier>(d.document, UNO_QUERY_THROW)
                ->getStyleFamilies()
                ->getByName(ou(u"PageStyles")),
            UNO_QUERY_THROW);
        const Reference<css::beans::XPropertySet> style(pageStyles->getByName(styleName), UNO_QUERY_THROW);
        doc.topMargin = value<sal_Int32>(style, u"TopMargin");
        doc.bottomMargin = value<sal_Int32>(style, u"BottomMargin");
        doc.leftMargin = value<sal_Int32>(style, u"LeftMargin");
        doc.rightMargin = value<sal_Int32>(style, u"RightMargin");

        const Reference<css::frame::XModel> model(d.document, UNO_QUERY_THROW);
        doc.location = fromUno(model->getURL());
        doc.modified = Reference<css::util::XModifiable>(d.document, UNO_QUERY_THROW)->isModified();
        const Reference<css::awt::XWindow2> window(
            model->getCurrentController()->getFrame()->getContainerWindow(), UNO_QUERY);
        doc.windowVisible = window.is() && window->isVisible();
        return doc;
    } catch (const css::uno::Exception &e) {
        if (error)
            *error = describe(e);
        return std::nullopt;
    }
}

bool convert(OfficeConnection &office, const QString &from, const QString &inFilter, const QString &inOptions,
             const QString &to, const QString &outFilter, QString *error) {
    try {
        const Reference<css::frame::XComponentLoader> loader(office.uno().desktop, UNO_QUERY_THROW);
        const Reference<css::lang::XComponent> document =
            loader->loadComponentFromURL(fileUrl(from), ou(u"_blank"), 0,
                                         properties({{u"Hidden", Any(true)},
                                                     {u"FilterName", Any(toUno(inFilter))},
                                                     {u"FilterOptions", Any(toUno(inOptions))}}));
        if (!document.is()) {
            if (error)
                *error = u"the office did not open "_s + from;
            return false;
        }
        Reference<css::frame::XStorable>(document, UNO_QUERY_THROW)
            ->storeToURL(fileUrl(to), properties({{u"FilterName", Any(toUno(outFilter))}}));
        Reference<css::util::XCloseable>(document, UNO_QUERY_THROW)->close(true);
        return true;
    } catch (const css::uno::Exception &e) {
        if (error)
            *error = describe(e);
        return false;
    }
}

int openDocuments(OfficeConnection &office) {
    try {
        const Reference<css::container::XEnumeration> all =
            office.uno().desktop->getComponents()->createEnumeration();
        int count = 0;
        for (; all->hasMoreElements(); all->nextElement())
            ++count;
        return count;
    } catch (const css::uno::Exception &) {
        return -1;
    }
}

} // namespace unoreadback
