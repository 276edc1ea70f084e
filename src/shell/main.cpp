// The program's entry point: the data module, the main window and the message loop.
#include <QApplication>
#include <QTimer>
#include <clocale>
#include <exception>

#include "shell/JournalKinds.h"
#include "shell/MainFrames.h"
#include "shell/MessageDlg.h"
#include "shell/U_formmain.h"
#include "store/U_dm.h"

namespace {

// The message loop shows an exception that leaves an event handler in an error box, and the
// program goes on.
class TApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            MessageDlg(error.what(), TMsgDlgType::mtError, mbOK);
        } catch (...) {
            MessageDlg("", TMsgDlgType::mtError, mbOK);
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    // QApplication switches the C library to the user's locale; number parsing and the
    // spreadsheet writer need the C form. The user's separator comes from QLocale.
    std::setlocale(LC_NUMERIC, "C");
    try {
        TDM dataModule;
        DM = &dataModule;
        RegisterJournalKinds();
        TfMain mainWindow;
        fMain = &mainWindow;
        RegisterMainFrames(mainWindow);
        // The first show runs inside the message loop, so that a close it asks for ends the
        // program. It runs the start-up form (TfInit) before the window itself appears.
        QTimer::singleShot(0, &mainWindow, [&mainWindow] { mainWindow.show(); });
        const int result = application.exec();
        fMain = nullptr;
        DM = nullptr;
        return result;
    } catch (const std::exception& error) {
        MessageDlg(error.what(), TMsgDlgType::mtError, mbOK);
    }
    return 0;
}
