// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <memory>

class QRadioButton;

namespace Ui {
class Form3;
}

// The question bank editor: the user writes a question and its steps, classifies it by grade, mode,
// topic and difficulty, and adds it to zbtk.txt. Notices go out through noticeRequested, which the main
// window turns into its tray notices.
class Form3 : public QWidget {
    Q_OBJECT

public:
    explicit Form3(QString bankDir, QWidget *parent = nullptr);
    ~Form3() override;

    QRadioButton *topicOption(int slot) const;
    bool olympiadMode() const;
    // The slot of the selected topic option, 0 for none.
    int selectedSlot() const;

    void submit(); // Command1 "提交"

Q_SIGNALS:
    void noticeRequested(const QString &text);

private:
    void gradeClick();
    void modeClick(bool olympiad);

    std::unique_ptr<Ui::Form3> ui_;
    QString bankDir_;
};
