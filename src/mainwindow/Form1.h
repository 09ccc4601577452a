// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/TopicCounts.h"
#include "common/UserFiles.h"
#include "documents/SheetDelivery.h"
#include "download/BankDownload.h"
#include "download/DownloadHost.h"
#include "editor/Form3.h"
#include "generation/PageLayout.h"
#include "generation/SheetHost.h"
#include "history/SheetHistory.h"
#include "mainwindow/NoticeSink.h"
#include "mainwindow/Questions.h"
#include "mainwindow/RunState.h"
#include "service/SheetService.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <set>

class QCheckBox;
class QLineEdit;
class QNetworkAccessManager;
class QTimer;
class Module3;
class MarkDialog;
class ReportDialog;
class SectionsDialog;

namespace Ui {
class Form1;
}

// What the main window uses beyond its own controls; the tests put recording fakes here.
struct Form1Services {
    NoticeSink *notices = nullptr;                                          // default: the tray module
    Questions *questions = nullptr;                                         // default: message boxes
    std::function<std::unique_ptr<SheetOutputs>(NoticeSink &)> makeOutputs; // default: the delivery choice
    std::function<void()> endProgram;                                       // default: quit at once
    UserFiles files;                          // default: UserFiles::locate (bank, tessaly.ini, history)
    std::optional<DownloadSettings> download; // default: from tessaly.ini and the environment
    QString historyFile;                      // default: SheetHistory::defaultPath
    // The file to load (save: false) or save a plan in; empty when the user cancelled. Default: a
    // file dialog.
    std::function<QString(bool save)> choosePlanFile;
    // A file to open (save: false) or to save to, with the dialog's caption and filter; empty when the
    // user cancelled. Default: a file dialog.
    std::function<QString(const QString &caption, const QString &filter, bool save)> chooseFile;
    // The class of a list without a 班级 column; empty: cancelled. Default: an input dialog.
    std::function<QString()> askClassName;
};

// The main window: every setting of a worksheet, the topic boxes by grade and mode, the progress display
// and stop of a run, and the program's notices. It hosts the making of sheets: the core reads its
// controls through SheetHost's names at the moments it needs them and yields to its event loop.
class Form1 : public QWidget, public SheetHost, public DownloadHost {
    Q_OBJECT

public:
    using Services = Form1Services;
    static constexpr int MaximumQuantity = 100000;
    // More questions than this in one run are asked about first.
    static constexpr int LargeSheet = 2000;

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
    void editSections();         // Command9 "大题…"
    void planMenu();             // Command10 "细目表…": load, save the last sheet's, or clear
    void loadPlan();
    void saveLastSheetsPlan();
    void clearPlan();
    void showSections(); // LabelSections: what the sections make
    void classMenu();    // Command11 "班级…": lists, a sheet for each pupil, marking, review, report
    void importClassList();
    // The class whose pupils each get a sheet of the next runs (empty: none), and whether those are
    // review sheets.
    void chooseClass(const QString &className, bool review);
    QString chosenClass() const { return classChoice_; }
    void openMarking();
    void openReport();
    MarkDialog *markDialog() const;
    ReportDialog *reportDialog() const;
    void answerKeyByCode(); // Command7 "按卷号…"
    void restoreLastBank(); // Command8 "恢复上次题库"
    // The settings of the controls, as a sheet's record keeps them.
    SheetRequest request() override;
    // The last sheet made, for its key.
    const std::optional<SheetOutcome> &lastSheet() const { return lastSheet_; }
    Form3 *editor() const { return editor_; }

    QCheckBox *topicBox(int slot) const;
    Module3 *module3() const { return module3_; }
    NoticeSink &notices() const { return *notices_; }
    bool running() const { return running_; }
    bool downloading() const { return downloading_; }
    const DownloadOutcome &lastDownload() const { return lastDownload_; }
    QString caption() const;
    // 1 at 96 dpi; the factor the window's geometry grows by on a desktop with a larger font DPI.
    double desktopScale() const;

    RunState &runState() { return state_; }

    // SheetHost: the controls, read when the run asks.
    void yield() override;
    bool stopRequested() override { return state_.stopRequested(); }
    int gradePosition() override;
    void showNotice(const QString &text) override;
    void downloadBank() override;
    codes::QuestionMode mode() override;
    bool topicTicked(int slot) override;
    bool repeatsAllowed() override;
    int quantity() override;
    QString todayText() override;
    void startProgress() override;
    void endProgress() override;

    // DownloadHost
    bool confirm(const QString &question) override;
    void setStatus(const QString &text) override;
    void setButtonsEnabled(bool enabled) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startUp();
    void scaleToTheDesktop();
    void quantityFollowsColumns();
    void difficultyEcho();
    void onOlympiadMode();
    void onTextbookMode();
    void onEquationMode();
    void setCaptions(bool olympiad);
    void resetGrade();
    bool numericKeyPasses(QKeyEvent *event);
    bool isNumberField(const QObject *object) const;
    // The field has the focus and was typed in since it got it.
    bool beingTyped(const QLineEdit *field) const;
    void fitQuantity();
    // Keeps settings in tessaly.ini for the next start; when that fails, says that what (the user's
    // words for the setting) holds for this run only.
    void keepSettings(const QList<std::pair<QString, QVariant>> &values, const QString &what);
    // Each topic box's tooltip ends with how many questions the bank holds for it at the chosen grade.
    void updateTopicTips();
    // 恢复上次题库 can be pressed while there is a backup to restore.
    void updateRestore();

    std::unique_ptr<Ui::Form1> ui_;
    Services services_;
    Module3 *module3_;
    std::unique_ptr<Questions> ownQuestions_;
    NoticeSink *notices_;
    Questions *questions_;
    QTimer *timer1_;
    QTimer *timer2_;
    RunState state_;
    SheetService service_;
    QElapsedTimer lastEvents_;
    bool running_ = false;
    bool downloading_ = false;
    QNetworkAccessManager *network_;
    DownloadSettings downloadSettings_;
    DownloadOutcome lastDownload_;
    QPointer<Form3> editor_; // null once the user closed it
    std::set<const QLineEdit *> beingEdited_;
    bool realTarget_ = false;
    // The last sheet as the writer made it, for its key.
    std::optional<SheetOutcome> lastSheet_;
    // Makes the answer version of a sheet made earlier, with the settings it was made with.
    void typeAnswerKey(SheetRequest request, const DrawnSheet &sheet, const QString &today);
    // Runs work with the run's buttons off; clicks that came meanwhile are dropped.
    void whileRunning(const std::function<void()> &work);
    std::unique_ptr<TopicCounts> topicCounts_;
    std::unique_ptr<SheetHistory> history_;
    bool historyFailed_ = false; // said once, then sheets go on unrecorded
    SheetHistory *history();
    QHash<const QCheckBox *, QString> designTips_;
    // The paper and the print choices of the 纸张… dialog, kept in tessaly.ini; the other fields of the
    // layout come from the window's controls.
    SheetLayout printLayout_;
    bool compactKey_ = false;
    // The sheet's sections from the 大题… dialog; empty: one list of the window's choice.
    QList<SheetSection> sections_;
    bool numberPerSection_ = false;
    QList<PlanCell> plan_;     // the 细目表 every sheet follows; empty: none
    int difficultyBefore_ = 0; // the control's last step, to snap in the direction of a move
    QPointer<SectionsDialog> sectionsDialog_;
    QString classChoice_;
    bool reviewChoice_ = false;
    QPointer<MarkDialog> markDialog_;
    QPointer<ReportDialog> reportDialog_;
};
