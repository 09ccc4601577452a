// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SelectionHost.h"
#include "generation/WorksheetSettings.h"

#include <QStringList>
#include <functional>

// A host that answers every question of a run from fixed settings: the command line's host, and the
// base of the tests' scripted hosts.
class SettingsHost : public SelectionHost {
public:
    explicit SettingsHost(WorksheetSettings settings = {})
        : settings_(std::move(settings)) {}

    WorksheetSettings &settings() { return settings_; }
    const QStringList &notices() const { return notices_; }
    // Called for the missing-bank download; nothing happens without one.
    void setDownload(std::function<void()> download) { download_ = std::move(download); }
    // Fixes the date after the title (the default is today's, in the system's short format).
    void setToday(QString today) { today_ = std::move(today); }
    bool progressRunning() const { return progressRunning_; }

    int gradePosition() override { return settings_.grade; }
    void processEvents() override {}
    void showNotice(const QString &text) override { notices_.append(text); }
    void downloadBank() override;

    bool option1() override { return settings_.mode == codes::QuestionMode::Olympiad; }
    bool option2() override { return settings_.mode == codes::QuestionMode::Estimation; }
    bool option4() override { return settings_.mode == codes::QuestionMode::Equation; }
    int check18() override { return settings_.stars ? 1 : 0; }
    QString combo6Text() override { return settings_.blankLines; }
    RunState &runState() override { return state_; }
    QString todayText() override;
    QString paperText() override { return settings_.paper; }
    bool landscape() override { return settings_.landscape; }
    void endProgress() override;

    bool olympiadMode() override { return option1(); }
    int topicBoxValue(int slot) override { return settings_.topicBoxes[static_cast<size_t>(slot)]; }
    int check29() override { return settings_.repeats ? 1 : 0; }
    QString quantityText() override { return settings_.quantity; }
    QString lineSpacingText() override { return settings_.lineSpacing; }
    QString columnsText() override { return settings_.columns; }
    QString fontSizeText() override { return settings_.fontSize; }
    QString fontNameText() override { return settings_.fontName; }
    int check19() override { return settings_.answers ? 1 : 0; }
    void startProgress() override { progressRunning_ = true; }

protected:
    WorksheetSettings settings_;
    RunState state_;
    QStringList notices_;
    std::function<void()> download_;
    QString today_;
    bool progressRunning_ = false;
};
