// The composition of the main window's frames: every frame registered by its node type.
#include "shell/MainFrames.h"

#include <QPushButton>
#include <utility>

#include "content/U_frfiles.h"
#include "content/U_frimages.h"
#include "content/U_frtable.h"
#include "numbers/U_frnumber.h"
#include "pays/U_changemanualevent.h"
#include "pays/U_fautocharges.h"
#include "pays/U_frcalendar.h"
#include "pays/U_frpay.h"
#include "platform/Table.h"
#include "reports/U_freport.h"
#include "schema/SchemaNames.h"
#include "store/TransBlockRows.h"
#include "store/U_dm.h"
#include "shell/U_formmain.h"
#include "shell/U_frfolder.h"
#include "store/U_fback.h"
#include "store/U_frlog.h"

void RegisterMainFrames(TfMain& main) {
    TfrLog& log =
        RegisterLogFrame(main.Frames(), *main.PanelFrames, main.ImageListTree, main.MemoColor);
    // The journal view's Back and Forward open the undo and redo dialog for its current row.
    for (const auto& [button, mode] : {std::pair{log.BitBtnBack, TfBack::kModeUndo},
                                       std::pair{log.BitBtnForward, TfBack::kModeRedo}}) {
        QObject::connect(button, &QPushButton::clicked, &log,
                         [main = &main, log = &log, mode = mode] {
                             auto* back = new TfBack(*main, *log->BitBtnBack, *log->BitBtnForward);
                             back->Mode = mode;
                             back->exec();  // it frees itself when it closes
                         });
    }
    TfrCalendar& calendar =
        RegisterCalendarFrame(main.Frames(), *main.PanelFrames, main.ImageListTree, main.MemoColor);
    QObject::connect(&main, &TfMain::BudgetStateChanged, &calendar, &TfrCalendar::SetRecalcButton);
    RegisterFolderFrame(main.Frames(), *main.PanelFrames, main.ImageListTree);
    RegisterTableFrame(main.Frames(), *main.PanelFrames);
    RegisterImagesFrame(main.Frames(), *main.PanelFrames);
    RegisterFilesFrame(main.Frames(), *main.PanelFrames);
    RegisterNumberFrame(main.Frames(), *main.PanelFrames);
    TfrPay& pay = RegisterPayFrame(main.Frames(), *main.PanelFrames, main.ImageListTree,
                                   main.MemoColor, main.LogoBitmap);
    QObject::connect(&pay, &TfrPay::PayIconChanged, &main, &TfMain::SetSelectedImage);
    // The pay's event dialogs read the history's current row, which follows the frame's grid.
    pay.Dialogs.ManualEvent = [&main, &pay](int mode, const std::string& payName) {
        TTable& history = DM->TablePayHistory;
        const bool onRow = history.Active() && !history.IsEmpty();
        if (IsEventChangeMode(mode)) {
            if (onRow)
                EditManualEvent(&main, mode, pay.PayID, payName,
                                ManualEventOf(HistoryEventBlockOf(history), mode));
        } else {
            AddManualEvent(&main, mode, pay.PayID, payName,
                           onRow ? history.FieldByName(fld::DateEvent).AsDateTime() : 0);
        }
    };
    pay.Dialogs.AutoCharges = [&main](int payId) { EditAutoCharges(&main, payId); };
    pay.Dialogs.Report = [&pay](int payId) {
        ShowReportWindow(&pay, payId, [&pay](const std::string& name, const std::string& descript) {
            return pay.ReportSource(name, descript);
        });
    };
}
