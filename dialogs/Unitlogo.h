#pragma once

#include <QtGui/QImage>
#include <QtWidgets/QDialog>

class QLabel;

// The splash window: the program's 700 x 482 picture on the theme background, without a border.
class TFormLogo : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPictureWidth = 700;
    static constexpr int kPictureHeight = 482;

    explicit TFormLogo(QWidget* parent = nullptr);

    // Paints the background, draws the picture and shows the window modally without waiting,
    // centred on `owner`.
    void showCentredOn(QWidget* owner, const QColor& background);

    // The splash picture (our own artwork).
    static QImage Picture();

    QLabel* Image1 = nullptr;
};
