// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCoreApplication;

// Qt's own Chinese texts (the Yes and No of the questions, the text fields' context menus), whatever
// the system's language: the whole program speaks Chinese. False when the translation files are not
// installed (Debian's qt6-translations-l10n has them).
bool installChineseTranslations(QCoreApplication &app);
