// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/NoticePanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QStyle>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

NoticePanel::NoticePanel(QWidget *parent)
    : QFrame(parent)
    , icon_(new QLabel(this))
    , title_(new QLabel(this))
    , text_(new QLabel(this))
    , hideTimer_(new QTimer(this)) {
    setObjectName(u"NoticePanel"_s);
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setStyleSheet(u"#NoticePanel { background: #fffbe6; border: 1px solid #d4b106; border-radius: 4px; }"_s);
    icon_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(24, 24));
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    text_->setWordWrap(true);
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setHorizontalSpacing(6);
    // The text column takes the width; the icon's column stays as narrow as the icon.
    layout->setColumnStretch(1, 1);
    layout->addWidget(icon_, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(title_, 0, 1);
    layout->addWidget(text_, 1, 1);
    hideTimer_->setSingleShot(true);
    hideTimer_->setInterval(8000);
    connect(hideTimer_, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

void NoticePanel::showNotice(const QString &text, const QString &title) {
    title_->setText(title);
    text_->setText(text);
    const int width = std::min(340, parentWidget()->width() - 16);
    resize(width, heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height());
    move(parentWidget()->width() - width - 8, 8);
    show();
    raise();
    hideTimer_->start();
}

QString NoticePanel::text() const {
    return text_->text();
}
QString NoticePanel::title() const {
    return title_->text();
}

void NoticePanel::mousePressEvent(QMouseEvent *event) {
    Q_UNUSED(event);
    hide();
}
