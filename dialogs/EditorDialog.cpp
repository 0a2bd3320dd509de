#include "dialogs/EditorDialog.h"

#include <QtWidgets/QLineEdit>

#include "session/WorkshopSession.h"
#include "settings/SettingsCatalogue.h"

EditorDialog::EditorDialog(QWidget* parent, WorkshopSession* session)
    : QDialog(parent), Catalogue(session ? &session->catalogue() : nullptr),
      Sterownik(session ? &session->link() : nullptr)
{
    // A fixed border: the layouts are placed to the pixel.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    if (parent) setFont(parent->font());
}

bool EditorDialog::Open()
{
    if (parentWidget()) setFont(parentWidget()->font());
    Relabel();
    if (!FormShow()) {
        hide();
        return false;
    }
    show();
    activateWindow();
    return true;
}

void EditorDialog::ApplyTheme(const ThemePalette& palette)
{
    theme_ = palette;
    QPalette p = this->palette();
    if (palette.background.isValid()) {
        p.setColor(QPalette::Window, palette.background);
        p.setColor(QPalette::Button, palette.background);
    }
    if (palette.dialogText.isValid()) {
        p.setColor(QPalette::WindowText, palette.dialogText);
        p.setColor(QPalette::ButtonText, palette.dialogText);
    }
    if (palette.field.isValid()) p.setColor(QPalette::Base, palette.field);
    if (palette.text.isValid()) p.setColor(QPalette::Text, palette.text);
    setPalette(p);
    update();
}

QString EditorDialog::shownValue(int index, int raw) const
{
    return Catalogue ? Catalogue->ValueText(index, raw) : QString::number(raw);
}

QLineEdit* EditorDialog::makeBox(QWidget* parent, const QRect& geometry)
{
    auto* box = new QLineEdit(parent);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAlignment(Qt::AlignCenter);
    box->setGeometry(geometry);
    return box;
}
