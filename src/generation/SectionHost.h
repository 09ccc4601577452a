// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SheetHost.h"

// The host of one part of a sheet of several: its mode, topics and count are the section's, fixed for
// the draw; everything else (the grade, the repeat choice, a stop, the progress display) is the
// sheet's host's.
class SectionHost : public SheetHost {
public:
    SectionHost(SheetHost &sheet, const SheetSection &section)
        : sheet_(sheet)
        , section_(section) {}

    void yield() override { sheet_.yield(); }
    bool stopRequested() override { return sheet_.stopRequested(); }
    int gradePosition() override { return sheet_.gradePosition(); }
    void showNotice(const QString &text) override { sheet_.showNotice(text); }
    void downloadBank() override { sheet_.downloadBank(); }
    bool checksLines() const override { return sheet_.checksLines(); }
    codes::QuestionMode mode() override { return section_.mode; }
    bool topicTicked(int slot) override {
        return slot >= 0 && slot <= codes::TopicSlotCount && section_.topics[static_cast<size_t>(slot)];
    }
    bool repeatsAllowed() override { return sheet_.repeatsAllowed(); }
    int quantity() override { return section_.quantity; }
    SheetRequest request() override { return sheet_.request(); }
    QString todayText() override { return sheet_.todayText(); }
    void startProgress() override { sheet_.startProgress(); }
    void endProgress() override { sheet_.endProgress(); }

private:
    SheetHost &sheet_;
    const SheetSection &section_;
};
