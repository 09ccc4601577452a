// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/SheetHistory.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;

namespace Ui {
class MarkDialog;
}

// 批改: a sheet found by its code (typed, or read from a photo's QR code), its questions as ticks for
// the wrong ones (or their numbers typed), saved into the history. Made for a pile of papers: after a
// save the code field is empty and has the focus again, so each pupil takes a code, a few numbers and
// Enter.
class MarkDialog : public QDialog {
    Q_OBJECT

public:
    // The history (null: none to mark in); the picture to scan, chosen by the user (empty: cancelled).
    MarkDialog(std::function<SheetHistory *()> history, std::function<QString()> choosePicture,
               QWidget *parent = nullptr);
    ~MarkDialog() override;

    // Looks the code up and shows its questions; false, with the reason shown, when it is no sheet's.
    bool openSheet(const QString &code);
    // Reads the photo's QR code and opens its sheet.
    void scanPicture();
    // Saves the ticks as the sheet's marks.
    bool save();
    QList<QCheckBox *> ticks() const { return ticks_; }

private:
    void showTicks(int count);
    void ticksFromText();
    void textFromTicks();

    std::unique_ptr<Ui::MarkDialog> ui_;
    std::function<SheetHistory *()> history_;
    std::function<QString()> choosePicture_;
    QString code_;
    QList<QCheckBox *> ticks_;
    bool syncing_ = false;
};
