// The main window's forwarders to the right panel's readings (shell/ReadingsPanel) and the
// oscilloscope channel list (shell/ChannelList).
#include "shell/ChannelList.h"
#include "shell/ReadingsPanel.h"
#include "shell/Unitmain.h"

void TForm1::InitGrids() { readings_->InitGrids(); }
void TForm1::LayoutRightPanel() { readings_->LayoutRightPanel(); }
void TForm1::BtnParamIngClick() { readings_->BtnParamIngClick(); }
void TForm1::FillChannelList() { channelList()->FillChannelList(); }
