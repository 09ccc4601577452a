// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SheetHost.h"

#include <QStringList>
#include <functional>

// A host that answers every question of a run from a fixed request: the command line's host, the one
// that makes a past sheet again, and the base of the tests' scripted hosts.
class SettingsHost : public SheetHost {
public:
    explicit SettingsHost(SheetRequest request = {})
        : request_(std::move(request)) {}

    SheetRequest &settings() { return request_; }
    const QStringList &notices() const { return notices_; }
    // Called for the missing-bank download; nothing happens without one.
    void setDownload(std::function<void()> download) { download_ = std::move(download); }
    // Fixes the date after the title (the default is today's, in the system's short format).
    void setToday(QString today) { today_ = std::move(today); }
    bool progressRunning() const { return progressRunning_; }
    void requestStop(bool stop = true) { stop_ = stop; }

    // RunControl and LoadHost
    void yield() override {}
    bool stopRequested() override { return stop_; }
    int gradePosition() override { return request_.grade; }
    void showNotice(const QString &text) override { notices_.append(text); }
    void downloadBank() override;

    // SheetHost
    codes::QuestionMode mode() override { return request_.mode; }
    bool topicTicked(int slot) override { return request_.topics[static_cast<size_t>(slot)]; }
    bool repeatsAllowed() override { return request_.repeats; }
    int quantity() override { return request_.quantity; }
    SheetRequest request() override { return request_; }
    QString todayText() override;
    void startProgress() override { progressRunning_ = true; }
    void endProgress() override { progressRunning_ = false; }

protected:
    SheetRequest request_;
    QStringList notices_;
    std::function<void()> download_;
    QString today_;
    bool progressRunning_ = false;
    bool stop_ = false;
};
