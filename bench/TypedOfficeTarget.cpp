// SPDX-License-Identifier: GPL-3.0-or-later
#include "TypedOfficeTarget.h"

#include "documents/office/OfficeDeliveryImpl.h"

#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/style/ParagraphAdjust.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <map>

using namespace Qt::Literals::StringLiterals;
using namespace tessaly_uno;

struct TypedOfficeTarget::Impl {
    std::shared_ptr<OfficeConnection> office;
    Batching batching = Batching::Batched;
    Reference<css::lang::XComponent> document;
    Reference<css::text::XText> text;
    Reference<css::text::XTextRange> range; // the cursor, as the text wants it
    Reference<css::text::XTextCursor> cursor;
    bool locked = false;
    bool broken = false;
    // Batched: properties and text not yet sent, in the order they must go.
    std::map<rtl::OUString, Any> pendingProperties;
    QString pendingText;
};

namespace {

// Page margins are in 1/100 mm.
sal_Int32 hundredthsOfMillimetre(int points) {
    return static_cast<sal_Int32>(qRound(points * 2540.0 / 72.0));
}

// Chinese text takes the Asian properties; the Western and Complex ones go beside them.
const char16_t *const WeightNames[] = {u"CharWeight", u"CharWeightAsian", u"CharWeightComplex"};
const char16_t *const FontNames[] = {u"CharFontName", u"CharFontNameAsian", u"CharFontNameComplex"};
const char16_t *const HeightNames[] = {u"CharHeight", u"CharHeightAsian", u"CharHeightComplex"};

void setOnCursor(TypedOfficeTarget::Impl &d, const rtl::OUString &name, const Any &value) {
    Reference<css::beans::XPropertySet>(d.cursor, UNO_QUERY_THROW)->setPropertyValue(name, value);
}

// Sends what the batched way holds back: first the properties (one call), then the text.
void flush(TypedOfficeTarget::Impl &d, bool withText = true) {
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

void setCharacterProperties(TypedOfficeTarget::Impl &d, const char16_t *const (&names)[3], const Any &value) {
    if (d.batching == TypedOfficeTarget::Batching::Plain) {
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

} // namespace

TypedOfficeTarget::TypedOfficeTarget(std::shared_ptr<OfficeConnection> office, Batching batching)
    : d_(std::make_unique<Impl>()) {
    d_->office = std::move(office);
    d_->batching = batching;
}

TypedOfficeTarget::~TypedOfficeTarget() = default;

// Runs one step against the office; the first failure is recorded and ends all further calls.
#define GUARDED(...)                                                                                         \
    do {                                                                                                     \
        if (d_->broken)                                                                                      \
            break;                                                                                           \
        try {                                                                                                \
            __VA_ARGS__;                                                                                     \
        } catch (const css::uno::Exception &e) {                                                             \
            d_->broken = true;                                                                               \
            recordFailure(describe(e));                                                                      \
        }                                                                                                    \
    } while (false)

void TypedOfficeTarget::newDocument() {
    GUARDED({
        d_->document = loadHiddenDocument(*d_->office, ou(u"private:factory/swriter"), false);
        d_->text = Reference<css::text::XTextDocument>(d_->document, UNO_QUERY_THROW)->getText();
        d_->cursor = d_->text->createTextCursor();
        d_->range = Reference<css::text::XTextRange>(d_->cursor, UNO_QUERY_THROW);
        if (d_->batching == Batching::Batched) {
            Reference<css::frame::XModel>(d_->document, UNO_QUERY_THROW)->lockControllers();
            d_->locked = true;
        }
    });
}

void TypedOfficeTarget::setPageMargins(int points) {
    GUARDED({
        // Margins belong to the page style that the text uses.
        rtl::OUString styleName;
        Reference<css::beans::XPropertySet>(d_->cursor, UNO_QUERY_THROW)
            ->getPropertyValue(ou(u"PageStyleName")) >>= styleName;
        const Reference<css::style::XStyleFamiliesSupplier> families(d_->document, UNO_QUERY_THROW);
        Reference<css::container::XNameAccess> pageStyles(
            families->getStyleFamilies()->getByName(ou(u"PageStyles")), UNO_QUERY_THROW);
        const Any margin(hundredthsOfMillimetre(points));
        Reference<css::beans::XPropertySet> style(pageStyles->getByName(styleName), UNO_QUERY_THROW);
        for (const char16_t *name : {u"TopMargin", u"BottomMargin", u"LeftMargin", u"RightMargin"})
            style->setPropertyValue(ou(name), margin);
    });
}

void TypedOfficeTarget::setBold(bool bold) {
    GUARDED(setCharacterProperties(*d_, WeightNames,
                                   Any(bold ? css::awt::FontWeight::BOLD : css::awt::FontWeight::NORMAL)));
}

void TypedOfficeTarget::setFontName(const QString &name) {
    GUARDED(setCharacterProperties(*d_, FontNames, Any(toUno(name))));
}

void TypedOfficeTarget::setFontSize(double points) {
    GUARDED(setCharacterProperties(*d_, HeightNames, Any(static_cast<float>(points))));
}

void TypedOfficeTarget::setAlignment(Alignment alignment) {
    const Any adjust(static_cast<sal_Int16>(alignment == Alignment::Center
                                                ? css::style::ParagraphAdjust_CENTER
                                                : css::style::ParagraphAdjust_LEFT));
    GUARDED({
        // The paragraph that holds the cursor takes it; batched, it goes out with the next call, which is
        // always before the paragraph ends.
        if (d_->batching == Batching::Plain)
            setOnCursor(*d_, ou(u"ParaAdjust"), adjust);
        else
            d_->pendingProperties[ou(u"ParaAdjust")] = adjust;
    });
}

void TypedOfficeTarget::typeText(const QString &text) {
    GUARDED({
        if (d_->batching == Batching::Plain) {
            d_->text->insertString(d_->range, toUno(text), false);
        } else {
            if (!d_->pendingProperties.empty())
                flush(*d_, false);
            d_->pendingText += text;
        }
    });
}

void TypedOfficeTarget::endParagraph() {
    GUARDED({
        if (d_->batching == Batching::Batched)
            flush(*d_);
        d_->text->insertControlCharacter(d_->range, css::text::ControlCharacter::PARAGRAPH_BREAK, false);
    });
}

void TypedOfficeTarget::show() {
    GUARDED({
        if (d_->batching == Batching::Batched)
            flush(*d_);
        if (d_->locked) {
            Reference<css::frame::XModel>(d_->document, UNO_QUERY_THROW)->unlockControllers();
            d_->locked = false;
        }
        showDocumentFrame(d_->document);
    });
}

void TypedOfficeTarget::closeDocument() {
    try {
        if (const Reference<css::util::XCloseable> closeable{d_->document, UNO_QUERY}; closeable.is())
            closeable->close(true);
    } catch (const css::uno::Exception &) {
        // Already gone.
    }
}
