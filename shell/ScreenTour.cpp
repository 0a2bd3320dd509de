#include "shell/ScreenTour.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QTimer>
#include <QtGui/QGuiApplication>
#include <QtGui/QPixmap>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>

#include "settings/NamedSettings.h"
#include "settings/SettingsPages.h"
#include "shell/MainMenu.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"

namespace {

// Time for a step to be laid out and painted before its picture.
constexpr int kSettle = 900;

}  // namespace

ScreenTour::ScreenTour(TForm1& window, const QString& folder, int startDelayMs)
    : QObject(&window), window_(window), folder_(folder)
{
    TForm1* w = &window_;
    // The oscilloscope in each of its three layouts.
    for (int layout = 1; layout <= 3; ++layout)
        steps_.append({QStringLiteral("scope-layout%1").arg(layout),
                       [w, layout]() -> QWidget* {
                           w->SpeedButton1Click(TabRows::Oscilloscope);
                           w->BitBtnOsc01Click(9 + layout);
                           return nullptr;
                       },
                       [] {}});
    // Each top menu, dropped down from the menu bar.
    MainMenu* m = window_.menus();
    const QList<QMenu*> menus = {m->MenuFile(), m->MenuConn(),  m->MenuElm(), m->MenuLang(),
                                 m->MenuView(), m->MenuColor(), m->MenuDoc(), m->MenuAdmin()};
    for (QMenu* menu : menus) {
        if (!menu || !menu->menuAction()->isVisible()) continue;
        steps_.append({QStringLiteral("menu-") + menu->objectName(),
                       [w, menu]() -> QWidget* {
                           w->SpeedButton1Click(TabRows::Settings);
                           w->menuBar()->setActiveAction(menu->menuAction());
                           return menu;
                       },
                       [menu] { menu->hide(); }});
    }
    // The dialogs: from the Device menu, the readings selection, the settings editor's detail
    // dialogs, the manual.
    const auto dialog = [this, w](const QString& name, std::function<void()> open) {
        steps_.append({name,
                       [w, open]() -> QWidget* {
                           w->SpeedButton1Click(TabRows::Settings);
                           open();
                           QWidget* modal = QApplication::activeModalWidget();
                           return modal ? modal : QApplication::activeWindow();
                       },
                       [this] {
                           if (shown_ && shown_ != &window_) shown_->close();
                       }});
    };
    dialog(QStringLiteral("dialog-device-info"), [w] { w->MenuFileInfoClick(); });
    dialog(QStringLiteral("dialog-service"), [w] { w->MenuFileServisClick(); });
    dialog(QStringLiteral("dialog-readings-selection"), [w] { w->BtnParamListClick(); });
    dialog(QStringLiteral("dialog-injector-corrections"),
           [w] { w->NastawyDetail(SettingsPages::kInjectorCorrections, 0); });
    dialog(QStringLiteral("dialog-nozzle-calculator"),
           [w] { w->NastawyDetail(SettingsPages::kInjectorCorrections, 1); });
    dialog(QStringLiteral("dialog-injector-assignment"),
           [w] { w->NastawyDetail(0, NamedSettings::kPetrolInjectionType); });
    dialog(QStringLiteral("dialog-level-sensor"), [w] { w->NastawyDetail(0, NamedSettings::kLevelSensor); });
    dialog(QStringLiteral("dialog-fast-switching"), [w] { w->NastawyDetail(0, NamedSettings::kFasterSwitching); });
    dialog(QStringLiteral("dialog-pressure-protection"),
           [w] { w->NastawyDetail(0, NamedSettings::kMinimumGasPressure); });
    dialog(QStringLiteral("dialog-switch-signal"), [w] { w->NastawyDetail(0, NamedSettings::kSwitchingSignal); });
    dialog(QStringLiteral("dialog-manual"), [w] { w->MenuDocManClick(); });

    QDir().mkpath(folder_);
    QTimer::singleShot(startDelayMs, this, [this] { next(); });
}

QStringList ScreenTour::names() const
{
    QStringList list;
    for (const Step& s : steps_) list << s.name;
    return list;
}

void ScreenTour::next()
{
    if (at_ >= 0 && at_ < steps_.size()) steps_[at_].leave();
    shown_ = nullptr;
    if (++at_ >= steps_.size()) {
        QCoreApplication::quit();
        return;
    }
    shown_ = steps_[at_].enter();
    QTimer::singleShot(kSettle, this, [this] { take(); });
}

// The screen around the window and whatever the step opened over or beside it.
void ScreenTour::take()
{
    QRect area = window_.frameGeometry();
    if (shown_ && shown_->isVisible()) area |= shown_->frameGeometry();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area &= screen->geometry();
        const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        shot.save(QDir(folder_).filePath(
            QStringLiteral("%1-%2.png").arg(at_ + 20, 2, 10, QLatin1Char('0')).arg(steps_[at_].name)));
    }
    next();
}
