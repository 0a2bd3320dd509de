#include "dialogs/Unitadmin.h"

#include <QtCore/QEvent>
#include <QtGui/QFontDatabase>
#include <QtGui/QTextCharFormat>
#include <QtGui/QTextCursor>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QVBoxLayout>

TFormAdmin::TFormAdmin(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAdmin"));
    setWindowTitle(QStringLiteral("FormAdmin"));
    // A tool window stays above the main window it belongs to; it is not held above everything, so a
    // modal dialog (a file dialog, an error box) opened meanwhile comes up over it and can be answered.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    resize(kClientWidth, kClientHeight);
    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAcceptRichText(false);
    RichEdit1->setLineWrapMode(QTextEdit::NoWrap);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font(QStringLiteral("Lucida Console"), 8);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(8);
    }
    RichEdit1->setFont(font);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(RichEdit1);
    RichEdit1->viewport()->installEventFilter(this);
}

void TFormAdmin::AddLine(const QString& text, TColor colour)
{
    if (!isVisible()) return;
    QTextCursor cursor(RichEdit1->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(QColor::fromRgb(colour));
    if (!RichEdit1->document()->isEmpty()) cursor.insertBlock();
    cursor.insertText(text, format);
    RichEdit1Change();
}

void TFormAdmin::RichEdit1Change()
{
    QScrollBar* bar = RichEdit1->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void TFormAdmin::RichEdit1DblClick() { RichEdit1->clear(); }

void TFormAdmin::showCentredOn(QWidget* owner)
{
    if (owner) move(owner->geometry().center() - QPoint(width() / 2, height() / 2));
    show();
}

bool TFormAdmin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == RichEdit1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        RichEdit1DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
