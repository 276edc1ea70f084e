// The busy messages: the main window's busy window shown around work without a progress bar.
#include "shell/Umessages.h"

#include "shell/ShellServices.h"

void ShowPrepareMessage() {
    ShellServices().ShowBusyMessage(TBusyKind::Prepare);
}

void HidePrepareMessage() {
    ShellServices().HideBusyMessage();
}

void ShowLoadMessage() {
    ShellServices().ShowBusyMessage(TBusyKind::Load);
}

void HideLoadMessage() {
    ShellServices().HideBusyMessage();
}

void ShowProcessingMessage() {
    ShellServices().ShowBusyMessage(TBusyKind::Processing);
}

void HideProcessingMessage() {
    ShellServices().HideBusyMessage();
}
