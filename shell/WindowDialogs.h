#pragma once

#include <QtCore/QObject>

class EditorDialog;
class PanelList;
class QWidget;
class TFormAdmin;
class TFormCal;
class TFormDevice;
class TFormInj;
class TFormLevel;
class TFormLogo;
class TFormNastaw;
class TFormParam;
class TFormProg;
class TFormSeq;
class TFormService;
class WorkshopSession;
struct ThemePalette;

// The main window's dialogs, made after the window in the program's order (the splash last): the
// transmission log, the ones the settings editor opens (level sensor, injector corrections,
// sequence, settings detail, calculator), the firmware progress, device information, service and
// the readings selection. The dialogs that show the controller take the session; each of them is
// one of the window's panels.
class WindowDialogs : public QObject {
    Q_OBJECT
public:
    WindowDialogs(QWidget* window, WorkshopSession* session, PanelList& panels);

    TFormAdmin* FormAdmin() const { return admin_; }
    TFormLevel* FormLevel() const { return level_; }
    TFormInj* FormInj() const { return inj_; }
    TFormSeq* FormSeq() const { return seq_; }
    TFormProg* FormProg() const { return prog_; }
    TFormDevice* FormDevice() const { return device_; }
    TFormService* FormService() const { return service_; }
    TFormParam* FormParam() const { return param_; }
    TFormNastaw* FormNastaw() const { return nastaw_; }
    TFormCal* FormCal() const { return cal_; }
    TFormLogo* FormLogo() const { return logo_; }

    // Opens `dialog` in the window's colours unless it is open already; true when it opened.
    static bool open(EditorDialog* dialog, const ThemePalette& palette);
    // The dialog behind the editor's -10 cell (kind -10; index 0 corrections, 1 calculator) or the
    // detail button of setting `index` (kind 0): 8 sequence, 40 level sensor, 57/63/96 detail.
    EditorDialog* detailDialog(int kind, int index);

private:
    TFormAdmin* admin_;
    TFormLevel* level_;
    TFormInj* inj_;
    TFormSeq* seq_;
    TFormProg* prog_;
    TFormDevice* device_;
    TFormService* service_;
    TFormParam* param_;
    TFormNastaw* nastaw_;
    TFormCal* cal_;
    TFormLogo* logo_;
};
