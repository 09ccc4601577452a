// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/TopicCounts.h"
#include "common/UserFiles.h"
#include "download/BankDownload.h"
#include "download/DownloadHost.h"
#include "editor/Form3.h"
#include "generation/DocumentTarget.h"
#include "generation/PageLayout.h"
#include "generation/SelectionHost.h"
#include "generation/SelectionRun.h"
#include "generation/WorksheetArgs.h"
#include "generation/WorksheetSettings.h"
#include "history/SheetHistory.h"
#include "mainwindow/NoticeSink.h"
#include "mainwindow/Questions.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QCheckBox;
class QLineEdit;
class QNetworkAccessManager;
class QTimer;
class Module3;

namespace Ui {
class Form1;
}

// What the main window uses beyond its own controls; the tests put recording fakes here.
struct Form1Services {
    NoticeSink *notices = nullptr;                                           // default: the tray module
    Questions *questions = nullptr;                                          // default: message boxes
    std::function<std::unique_ptr<DocumentTarget>(NoticeSink &)> makeTarget; // default: the target choice
    std::function<void()> endProgram;                                        // default: quit at once
    UserFiles files;                          // default: UserFiles::locate (bank, tessaly.ini, history)
    std::optional<DownloadSettings> download; // default: from tessaly.ini and the environment
    QString historyFile;                      // default: SheetHistory::defaultPath
};

// The main window: every setting of a worksheet, the topic boxes by grade and mode, the progress display
// and stop of a run, and the program's notices. It is the host of the selection run and of the writer:
// they read its controls at the moments they need them and yield to its event loop at their checkpoints.
class Form1 : public QWidget, public SelectionHost, public DownloadHost {
    Q_OBJECT

public:
    using Services = Form1Services;
    static constexpr int TypingPauseMs = 1500;
    static constexpr int MaximumQuantity = 100000;

    explicit Form1(Form1Services services = Form1Services(), QWidget *parent = nullptr);
    ~Form1() override;

    // Handlers, public so that the tests can drive them as the timers and clicks do.
    void settingsCheck(); // Timer1, every 500 ms
    void progressTick();  // Timer2, every 10 ms during a run
    void stopAction();    // a click on Label11
    void runFromButton(); // Command1 "题库选题"
    void ApplyGradeTopics();
    void SelectAllTopics();
    void downloadFromButton();   // Command3 "下载题库"
    void openEditor();           // Command4 "编"
    void answerKeyOfLastSheet(); // Command5 "本卷答案"
    void pageSettings();         // Command6 "纸张…"
    void answerKeyByCode();      // Command7 "按卷号…"
    // The settings of the controls, as a sheet's record keeps them.
    WorksheetSettings currentSettings();
    Form3 *editor() const { return editor_; }

    QCheckBox *topicBox(int slot) const;
    Module3 *module3() const { return module3_; }
    NoticeSink &notices() const { return *notices_; }
    bool running() const { return running_; }
    bool downloading() const { return downloading_; }
    const DownloadOutcome &lastDownload() const { return lastDownload_; }
    DocumentTarget *lastTarget() const { return lastTarget_.get(); }
    QString caption() const;

    // SelectionHost: the controls, read when the run asks.
    RunState &runState() override { return state_; }
    int gradePosition() override;
    void processEvents() override;
    void showNotice(const QString &text) override;
    void downloadBank() override;
    bool option1() override;
    bool option2() override;
    bool option4() override;
    int check18() override;
    QString combo6Text() override;
    QString todayText() override;
    void endProgress() override;
    bool olympiadMode() override { return option1(); }
    int topicBoxValue(int slot) override;
    int check29() override;
    QString quantityText() override;
    QString lineSpacingText() override;
    QString columnsText() override;
    QString fontSizeText() override;
    QString fontNameText() override;
    int check19() override;
    QString paperText() override;
    bool landscape() override;
    void startProgress() override;
    bool stopRequested() override { return state_.stopRequested(); }

    // DownloadHost
    bool confirm(const QString &question) override;
    void setStatus(const QString &text) override;
    void setButtonsEnabled(bool enabled) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startUp();
    void quantityFollowsColumns();
    void difficultyEcho();
    void onOlympiadMode();
    void onTextbookMode();
    void onEquationMode();
    void setCaptions(bool olympiad);
    void resetGrade();
    bool numericKeyPasses(QKeyEvent *event);
    bool isNumberField(const QObject *object) const;
    // The field has the focus and was typed in during the last TypingPauseMs.
    bool beingTyped(const QLineEdit *field) const;
    void fitQuantity();
    // Keeps settings in tessaly.ini for the next start; when that fails, says that what (the user's
    // words for the setting) holds for this run only.
    void keepSettings(const QList<std::pair<QString, QVariant>> &values, const QString &what);
    // Each topic box's tooltip ends with how many questions the bank holds for it at the chosen grade.
    void updateTopicTips();

    std::unique_ptr<Ui::Form1> ui_;
    Services services_;
    Module3 *module3_;
    std::unique_ptr<Questions> ownQuestions_;
    NoticeSink *notices_;
    Questions *questions_;
    QTimer *timer1_;
    QTimer *timer2_;
    RunState state_;
    SelectionRun run_;
    std::unique_ptr<DocumentTarget> lastTarget_;
    QElapsedTimer lastEvents_;
    bool running_ = false;
    bool downloading_ = false;
    QNetworkAccessManager *network_;
    DownloadSettings downloadSettings_;
    DownloadOutcome lastDownload_;
    QPointer<Form3> editor_; // null once the user closed it
    std::map<const QLineEdit *, QElapsedTimer> lastTyped_;
    bool realTarget_ = false;
    // The last sheet as the writer made it: its lists and the settings it was made with, for its key.
    struct LastSheet {
        WorksheetArgs args;
        WorksheetSettings settings;
    };
    std::optional<LastSheet> lastSheet_;
    // Types the answer version of a sheet made earlier, with the settings it was made with.
    void typeAnswerKey(const WorksheetSettings &settings, WorksheetArgs args, const QString &today);
    std::unique_ptr<TopicCounts> topicCounts_;
    std::unique_ptr<SheetHistory> history_;
    bool historyFailed_ = false; // said once, then sheets go on unrecorded
    SheetHistory *history();
    QHash<const QCheckBox *, QString> designTips_;
    PageLayout::Paper paper_ = PageLayout::Paper::A4;
    bool landscape_ = false;
};
