#pragma once

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QString>

#include <functional>

class QWidget;
class TForm1;

// The picture tour of scripts/screens.sh ("kavelo --tour DIR"): once the window has read the
// controller, it takes the oscilloscope in each layout, opens each top menu and each of the window's
// dialogs in turn, and saves a picture of the screen around the window for every one of them into
// DIR (NN-name.png); then the program ends. The pictures show what a fitter sees, popups included.
class ScreenTour : public QObject {
public:
    ScreenTour(TForm1& window, const QString& folder, int startDelayMs);

    // Names of the pictures, in the order they are taken.
    QStringList names() const;

private:
    struct Step {
        QString name;
        std::function<QWidget*()> enter;  // shows what is pictured; returns its window (a menu, a dialog)
        std::function<void()> leave;
    };
    void next();
    void take();

    TForm1& window_;
    QString folder_;
    QList<Step> steps_;
    int at_ = -1;
    QWidget* shown_ = nullptr;
};
