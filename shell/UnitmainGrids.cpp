// The main window's live screens: the colours of the OBD grids and the forwarders to the right
// panel's readings (shell/ReadingsPanel) and the oscilloscope channel list (shell/ChannelList).
#include <QtWidgets/QTextEdit>

#include "shell/ChannelList.h"
#include "shell/ReadingsPanel.h"
#include "shell/Unitmain.h"
#include "ui/StringGrid.h"

void TForm1::colourLivePanels()
{
    for (StringGrid* g : {StringGridElm, StringGridPid}) {
        if (!g) continue;
        QPalette p = g->viewport()->palette();
        p.setColor(QPalette::Window, palette.background);
        p.setColor(QPalette::WindowText, palette.text);
        g->viewport()->setPalette(p);
        g->viewport()->update();
    }
    if (RichEditDtc) {
        QPalette p = RichEditDtc->palette();
        p.setColor(QPalette::Base, palette.field);
        p.setColor(QPalette::Text, palette.text);
        RichEditDtc->setPalette(p);
    }
    LayoutRightPanel();
}

// ---------------------------------------------------------------- the right panel

void TForm1::InitGrids()
{
    readings_->InitGrids();
    colourLivePanels();
}

void TForm1::LayoutRightPanel() { readings_->LayoutRightPanel(); }

void TForm1::BtnParamIngClick() { readings_->BtnParamIngClick(); }

// ---------------------------------------------------------------- channel list

void TForm1::FillChannelList() { channelList_->FillChannelList(); }
