#include "dialogs/Unitprog.h"

#include <QtWidgets/QLabel>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QVBoxLayout>

#include "ui/Theme.h"

TFormProg::TFormProg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormProg"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(640, 200);
    QFont f = font();
    f.setBold(true);
    setFont(f);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(24, 24, 24, 24);
    Label1 = new QLabel(this);
    Label1->setAlignment(Qt::AlignCenter);
    Label2 = new QLabel(QStringLiteral("0%"), this);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    v->addStretch(1);
    v->addWidget(Label1);
    v->addStretch(1);
    v->addWidget(Label2);
    v->addWidget(ProgressBar1);
    v->addStretch(1);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, [this] { done(QDialog::Rejected); });
}

void TFormProg::Start(const ThemePalette& palette, const QString& title, const QString& text)
{
    QPalette p = this->palette();
    p.setColor(QPalette::Window, palette.background);
    p.setColor(QPalette::WindowText, palette.dialogText);
    setPalette(p);
    setWindowTitle(QStringLiteral("KAVELO - ") + title);
    Label1->setText(text);
    Label2->setText(QStringLiteral("0%"));
    ProgressBar1->setValue(0);
    if (parentWidget()) move(parentWidget()->frameGeometry().center() - rect().center());
    Timer1.start(kFirstWait);
    setModal(true);
    show();
}

void TFormProg::Run(const ThemePalette& palette, const QString& title, const QString& text)
{
    Start(palette, title, text);
    exec();
}

void TFormProg::BlockAcknowledged(int counter)
{
    if (!isVisible()) return;
    Timer1.start(kNextWait);
    const int percent = counter * 100 / 224;
    ProgressBar1->setValue(percent);
    Label2->setText(QString::number(percent) + QLatin1Char('%'));
    if (counter >= 224) done(QDialog::Accepted);
}

void TFormProg::done(int result)
{
    Timer1.stop();
    QDialog::done(result);
}
