#include "shell/SidePanel.h"

#include <QtCore/QEvent>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QToolButton>

#include "base/TextTable.h"
#include "shell/WindowParts.h"
#include "ui/PanelSplitter.h"
#include "ui/Theme.h"

namespace {

// The right panel's title: "Readings".
constexpr int kReadingsTitle = 1230;

}  // namespace

SidePanel::SidePanel(Side side, QWidget* neighbour, QWidget* parent) : QWidget(parent)
{
    const bool left = side == Side::Left;
    const QString name = left ? QStringLiteral("Left") : QStringLiteral("Right");
    setObjectName(QStringLiteral("Panel") + name);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    body_ = new QWidget(this);
    body_->setObjectName(QStringLiteral("Panel%1Body").arg(name));
    bodyLayout_ = new QVBoxLayout(body_);

    hide_ = new QToolButton(body_);
    hide_->setObjectName(left ? QStringLiteral("BtnUkryjLewy") : QStringLiteral("BtnUkryjPrawy"));
    hide_->setText(left ? QStringLiteral("<") : QStringLiteral(">"));
    hide_->setToolTip(left ? QStringLiteral("[L]") : QStringLiteral("[R]"));
    hide_->setFocusPolicy(Qt::NoFocus);
    connect(hide_, &QToolButton::clicked, this, [this] { Q_EMIT collapseRequested(true); });
    if (left) {
        bodyLayout_->setContentsMargins(0, 0, 0, 0);
        bodyLayout_->addWidget(hide_, 0, Qt::AlignRight);
    } else {
        bodyLayout_->setContentsMargins(2, 0, 0, 0);
        bodyLayout_->setSpacing(2);
        auto* head = new QHBoxLayout;
        title_ = addTitle();
        titleButton_ = new QToolButton(title_);
        titleButton_->setObjectName(QStringLiteral("BtnParamList"));
        titleButton_->setText(QStringLiteral("V"));
        titleButton_->setFocusPolicy(Qt::NoFocus);
        title_->installEventFilter(this);
        head->addWidget(title_, 1);
        head->addWidget(hide_);
        bodyLayout_->addLayout(head);
    }

    handle_ = new QToolButton(this);
    handle_->setObjectName(QStringLiteral("Panel%1Show").arg(name));
    handle_->setText(left ? QStringLiteral(">") : QStringLiteral("<"));
    handle_->setFixedWidth(kCollapsedWidth);
    handle_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    handle_->setFocusPolicy(Qt::NoFocus);
    handle_->setAutoFillBackground(true);
    handle_->hide();
    connect(handle_, &QToolButton::clicked, this, [this] { Q_EMIT collapseRequested(false); });
    row->addWidget(body_, 1);
    row->addWidget(handle_, 1);

    bar_ = new PanelSplitter(this, neighbour, left, parent);
    bar_->setObjectName(QStringLiteral("Splitter") + name);
}

bool SidePanel::eventFilter(QObject* watched, QEvent* event)
{
    // The title's button is a square at its right end.
    if (watched == title_ && event->type() == QEvent::Resize) {
        const int h = title_->height();
        titleButton_->setGeometry(title_->width() - h, 0, h, h);
    }
    return QWidget::eventFilter(watched, event);
}

QLabel* SidePanel::addTitle()
{
    titles_ << WindowParts::makeTitle(body_);
    return titles_.back();
}

void SidePanel::setCollapsed(bool collapsed)
{
    collapsed_ = collapsed;
    body_->setVisible(!collapsed);
    handle_->setVisible(collapsed);
    bar_->setLocked(collapsed);
    if (collapsed) setFixedWidth(kCollapsedWidth);
}

void SidePanel::setOpenWidth(int openWidth) { setFixedWidth(collapsed_ ? kCollapsedWidth : openWidth); }

void SidePanel::setShown(bool shown)
{
    setVisible(shown);
    bar_->setVisible(shown);
}

void SidePanel::relabel()
{
    if (title_) title_->setText(TextById(kReadingsTitle));
}

void SidePanel::applyColours(const ThemePalette& palette)
{
    WindowParts::setColours(handle_, QPalette::Button, palette.bar, QPalette::ButtonText, palette.text);
    WindowParts::setColours(handle_, QPalette::Window, palette.bar, QPalette::WindowText, palette.text);
    WindowParts::setColours(bar_, QPalette::Window, palette.bar, QPalette::WindowText, palette.text);
    for (QLabel* title : titles_)
        WindowParts::setColours(title, QPalette::Window, palette.background, QPalette::WindowText, palette.title);
}
