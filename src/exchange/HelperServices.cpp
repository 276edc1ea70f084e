// The main window's services for the helper programs.
#include "exchange/HelperServices.h"

THelperServices::THelperServices() : previous_(shell_services_detail::installed) {
    SetProgramFolders(state);
    ReadConfiguredFolders(state);
    SetShellServices(this);
}

THelperServices::~THelperServices() { SetShellServices(previous_); }

void THelperServices::CloseFatally(const std::string& text) {
    fatalTexts.push_back(text);
    state.FatalClose = true;
}

void THelperServices::FatalError(int code, std::error_code error) {
    CloseFatally("Fatal error " + std::to_string(code) + ": " + error.message());
}
