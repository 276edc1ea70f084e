// The busy messages: the main window's busy window shown around work without a progress bar.
#pragma once

// Each show puts the busy window up with its text (preparing, loading, processing) and each
// hide takes it down; a caller pairs a show with the hide of the same name around its work,
// or holds a TBusyMessage (shell/ShellServices.h) so that the hide happens on every way out.
// Show and hide let pending paint and timer events run once, never user input.
void ShowPrepareMessage();
void HidePrepareMessage();
void ShowLoadMessage();
void HideLoadMessage();
void ShowProcessingMessage();
void HideProcessingMessage();
