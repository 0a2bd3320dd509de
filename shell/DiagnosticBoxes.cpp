#include "shell/DiagnosticBoxes.h"

#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QTextEdit>

#include "base/TextTable.h"
#include "link/Tsterownik.h"
#include "scope/Toscyloskop.h"
#include "shell/LivePanels.h"
#include "shell/WindowParts.h"
#include "ui/Theme.h"

namespace {

// Event codes of a live frame that go into the history: a fuel switch, an adaptation begun or done.
constexpr uint8_t kEventFuelSwitch = 0xF0;
constexpr uint8_t kEventAdaptation = 0xF3;
constexpr uint8_t kEventAdaptationDone = 0xF4;
// Live status byte 1: the errors shown are the stored ones.
constexpr uint8_t kStoredErrors = 0x10;

// A box with its title above it.
QTextEdit* makeBox(const char* name, QWidget* parent, QWidget*& panel, QLabel*& title)
{
    panel = new QWidget(parent);
    panel->setObjectName(QLatin1String(name));
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);
    title = WindowParts::makeTitle(panel);
    auto* box = new QTextEdit(panel);
    box->setReadOnly(true);
    v->addWidget(title);
    v->addWidget(box, 1);
    return box;
}

}  // namespace

DiagnosticBoxes::DiagnosticBoxes(TSterownik& link, QWidget* workArea, QWidget* strip) : QObject(workArea), link_(link)
{
    errors_ = makeBox("PanelBledy", workArea, errorsPanel_, errorsTitle_);
    history_ = makeBox("PanelInfo", strip, historyPanel_, historyTitle_);
}

void DiagnosticBoxes::relabel()
{
    errorsTitle_->setText(QLatin1Char(' ') + TextById(1232) + QLatin1Char(' '));
    historyTitle_->setText(QLatin1Char(' ') + TextById(1234) + QLatin1Char(' '));
}

void DiagnosticBoxes::applyColours(const ThemePalette& palette)
{
    for (QTextEdit* e : {errors_, history_})
        WindowParts::setColours(e, QPalette::Base, palette.field, QPalette::Text, palette.text);
    for (QLabel* title : {errorsTitle_, historyTitle_})
        WindowParts::setColours(title, QPalette::Window, palette.background, QPalette::WindowText, palette.title);
}

void DiagnosticBoxes::ShowErrors(const LiveFrame& list)
{
    const bool stored = link_.liveStatus[1] & kStoredErrors;
    const QStringList lines =
        LivePanels::errorLines(list.data(), list.size(), stored, [](int id) { return TextById(id); });
    errors_->clear();
    for (const QString& line : lines) errors_->append(line);
}

void DiagnosticBoxes::addHistoryLine(const LiveFrame& frame)
{
    QString what;
    if (frame.eventCode() == kEventFuelSwitch) {
        const int id = LivePanels::fuelSwitchTextId(frame.eventValue());
        if (id) what = TextById(id);
    } else if (frame.eventCode() == kEventAdaptation || frame.eventCode() == kEventAdaptationDone) {
        what = TextById(3810);
    } else {
        return;
    }
    const QString time = timeText ? timeText() : TScope::TimeText(0);
    history_->append(LivePanels::historyLine(time, what));
}
