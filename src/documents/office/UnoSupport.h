// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// UNO headers and small conversions, for the files of this folder only: nothing outside it includes
// a UNO header.

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include <QString>
#include <initializer_list>
#include <utility>

namespace tessaly_uno {

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

inline rtl::OUString ou(const char16_t *text) {
    return rtl::OUString(reinterpret_cast<const sal_Unicode *>(text));
}

inline rtl::OUString toUno(const QString &text) {
    return rtl::OUString(reinterpret_cast<const sal_Unicode *>(text.utf16()),
                         static_cast<sal_Int32>(text.size()));
}

inline QString fromUno(const rtl::OUString &text) {
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text.getStr()), text.getLength());
}

inline Sequence<css::beans::PropertyValue>
properties(std::initializer_list<std::pair<const char16_t *, Any>> list) {
    Sequence<css::beans::PropertyValue> result(static_cast<sal_Int32>(list.size()));
    css::beans::PropertyValue *out = result.getArray();
    for (const auto &[name, value] : list) {
        out->Name = ou(name);
        out->Value = value;
        ++out;
    }
    return result;
}

// A file path as the file URL the office wants.
rtl::OUString fileUrl(const QString &path);

// Closes a document the office may have closed already (the user, or the office ending).
void closeQuietly(const Reference<css::lang::XComponent> &document);

// A one-line description of a UNO exception for the user.
QString describe(const css::uno::Exception &e);

// The remote side of a connection.
struct Connection {
    Reference<css::uno::XComponentContext> context;
    Reference<css::frame::XDesktop2> desktop;
};

} // namespace tessaly_uno
