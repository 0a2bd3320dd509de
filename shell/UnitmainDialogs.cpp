// The main window's part in the dialogs the settings editor opens: creation, opening, theme,
// language and live frames.
#include "dialogs/Unitadmin.h"
#include "dialogs/Unitcal.h"
#include "dialogs/Unitdevice.h"
#include "dialogs/Unitinj.h"
#include "dialogs/Unitlevel.h"
#include "dialogs/Unitlogo.h"
#include "dialogs/Unitnastaw.h"
#include "dialogs/Unitparam.h"
#include "dialogs/Unitprog.h"
#include "dialogs/Unitseq.h"
#include "dialogs/Unitservice.h"
#include "editor/Tnastawy.h"
#include "settings/SettingsPages.h"
#include "shell/Unitmain.h"

void TForm1::CreateDialogs()
{
    // The program's order of creation: the dialogs after the main window, the splash last. The
    // dialogs that edit settings or show the controller work on the session's catalogue and link.
    FormAdmin = new TFormAdmin(this);
    FormLevel = new TFormLevel(this, Session);
    FormInj = new TFormInj(this, Session);
    FormSeq = new TFormSeq(this, Session);
    FormProg = new TFormProg(this);
    FormDevice = new TFormDevice(this, Session);
    FormService = new TFormService(this, Session);
    FormParam = new TFormParam(this, Session);
    FormNastaw = new TFormNastaw(this, Session);
    FormCal = new TFormCal(this, Session);
    FormLogo = new TFormLogo(this);

    Nastawy->OnDetail = [this](int kind, int index) { NastawyDetail(kind, index); };
    // Each dialog takes the live frames only while it is shown.
    for (Panel* panel : std::initializer_list<Panel*>{FormLevel, FormInj, FormSeq, FormNastaw, FormCal})
        panels.add(panel);
    CreateMenuDialogs();
}

void TForm1::NastawyDetail(int kind, int index)
{
    EditorDialog* dialog = nullptr;
    if (kind == SettingsPages::kInjectorCorrections) {
        dialog = index == 0 ? static_cast<EditorDialog*>(FormInj) : FormCal;
    } else if (kind == 0) {
        switch (index) {
            case 8: dialog = FormSeq; break;
            case 40: dialog = FormLevel; break;
            case 57:
            case 63:
            case 96:
                FormNastaw->opening = index;
                dialog = FormNastaw;
                break;
            default: break;
        }
    }
    if (!dialog || dialog->isVisible()) return;
    dialog->ApplyTheme(palette);
    dialog->Open();
}
