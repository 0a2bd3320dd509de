#pragma once

#include <QtWidgets/QDialog>

#include "ui/Panel.h"
#include "ui/Theme.h"

class QLineEdit;
class SettingsCatalogue;
class TSterownik;
class WorkshopSession;

// Base of the dialogs the settings editor opens: they edit settings through the session's
// catalogue (the one the editor shows), take the theme's colours and the window's font, and are
// relabelled when the language changes while they are open. They are modal without a nested event
// loop: Open returns at once and the rest of the program stays blocked until the dialog closes.
// Each is a panel of the main window: the window's language and colour changes reach it through
// the window's panel list.
class EditorDialog : public QDialog, public Panel {
    Q_OBJECT
public:
    // The dialog works on the session's settings catalogue and controller link; without a session
    // it closes at once when opened.
    explicit EditorDialog(QWidget* parent = nullptr, WorkshopSession* session = nullptr);

    // The settings catalogue (null: the dialog closes at once when opened) and the controller link.
    SettingsCatalogue* Catalogue = nullptr;
    TSterownik* Sterownik = nullptr;

    // Prepares the dialog (FormShow) and shows it modally; false when it closed at once.
    bool Open();
    // Colours of the current theme; the dialog repaints with them.
    virtual void ApplyTheme(const ThemePalette& palette);
    // Captions, labels and list texts in the current language.
    virtual void Relabel() = 0;
    const ThemePalette& theme() const { return theme_; }

    // Panel: the window's language and theme.
    void relabel() override { Relabel(); }
    void applyColours(const ThemePalette& palette) override { ApplyTheme(palette); }

protected:
    // Opening: false closes the dialog at once.
    virtual bool FormShow() = 0;
    // A read-only value box in the dialog's style (an up-down paired with it makes it take typing).
    QLineEdit* makeBox(QWidget* parent, const QRect& geometry);
    // How a value box shows `raw` of setting `index`: the catalogue's text, the plain number without one.
    QString shownValue(int index, int raw) const;

    ThemePalette theme_;
};
