// A budget with the pay "Flat" and a history of every kind, and the pay frame shown on it as
// the main window shows it, for the tests of the pay frame, its dialogs and its export.
#pragma once

#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>
#include <functional>
#include <string>
#include <vector>

#include "algorithms/Uq519algorithm01.h"
#include "common/ScopedMessageDlg.h"
#include "pays/PayBudget.h"
#include "pays/U_frpay.h"
#include "platform/Text.h"
#include "shell/ImageListTree.h"
#include "shell/JournalKinds.h"
#include "store/U_dm.h"

// A filter that is on, with the kinds given and no period.
inline PayFilterInfo Kinds(bool counters, bool autoCharges, bool manualCharges, bool payments) {
    PayFilterInfo filter;
    filter.FilterOn = true;
    filter.ShowCounters = counters;
    filter.ShowAutoCharges = autoCharges;
    filter.ShowManualCharges = manualCharges;
    filter.ShowPayments = payments;
    return filter;
}

// The pay "Flat" (1, out) with a counter reading on 1 March 2024, a manual charge, a payment
// and an automatic charge on 5 March, and a payment on 10 March; the balances as stored. The
// budget runs; the pay is the main window's selected object.
class PayFrameFixture : public PayBudget {
protected:
    PayFrameFixture() {
        RegisterJournalKinds();
        previousWindow_ = SetGlobalErrorsWindow([this] { errorWindows.push_back(ErrWatch().Errors); });
        AddPay(1, "Flat");
        AddRow(tbl::Pays, {{"ID", 1}, {"Direction", "O"}, {"FilterMode", "011110000000000"}});
        AddEvent("CN", Day(3, 1), 1, 0, "Counter", "100", "", "reading");
        AddEvent("CH", Day(3, 5), 1, 0, "Charge", Decimal("10,50"), Decimal("-10,5"), "water");
        AddEvent("PY", Day(3, 5), 2, 0, "Payment", Decimal("7,00"), Decimal("-3,5"), "cash");
        AddEvent("CH", Day(3, 5), 0, 3, "Charge", "20", Decimal("-23,5"), "rent");
        AddEvent("PY", Day(3, 10), 1, 0, "Payment", "30", Decimal("6,5"), "bank");
        shell.state.IDObject = 1;
        shell.state.TypeObject = otPay;
        shell.state.BudgetState = 0;
        shell.state.ExportPath = folders.UsersDataPath() + "VemlyExport";
    }
    ~PayFrameFixture() override { SetGlobalErrorsWindow(previousWindow_); }

    // An event of the pay: its kind, day, number among the day's manual events, auto charge
    // (0: manual), the field its amount goes in, the amount, the balance after it, its text.
    static void AddEvent(const char* type, TDateTime date, int nManOper, int idCharge,
                         const char* field, const std::string& amount, const std::string& balance,
                         const char* descript, int pay = 1) {
        AddRow(tbl::PayHistory, {{"ID", pay},
                                 {"DateEvent", date},
                                 {"TypeEvent", type},
                                 {field, amount},
                                 {"CurBalance", balance},
                                 {"IDCharge", idCharge},
                                 {"PrtyCharge", idCharge == 0 ? 0 : 5},
                                 {"NManOper", nManOper},
                                 {"Descript", descript}});
    }

    // The frame in a window, its texts read as the load phase does, shown for "Flat".
    TfrPay& ShowFrame() {
        TfrPay& frame = RegisterPayFrame(frames, window, icons, QColor(0x50, 0x50, 0x50), logo);
        frame.LoadTexts();
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(&frame);
        window.resize(1000, 600);
        window.show();
        frame.ShowFor(Node());
        return frame;
    }

    ObjectInfo Node() const { return {1, otPay, 1, 0, "Flat", "Water and rent", budget}; }

    // The texts of the grid's row, columns 0 to 7.
    static std::vector<std::string> GridTexts(const TfrPay& frame, int row) {
        std::vector<std::string> texts;
        const QAbstractItemModel& model = *frame.DBGridPayHistory->model();
        for (int column = 0; column < 8; ++column)
            texts.push_back(ToStdString(model.index(row, column).data().toString()));
        return texts;
    }

    // The kinds and days of the rows the frame shows: "CN 1", "CH 5" ...
    static std::vector<std::string> Shown(const TfrPay& frame) {
        std::vector<std::string> rows;
        for (int row = 0; row < frame.DBGridPayHistory->model()->rowCount(); ++row) {
            const TTableGridModel::TRow& values = *frame.GridRow(row);
            rows.push_back(values[1].Text() + " " +
                           std::to_string(DecodeDate(values[0].Real()).day));
        }
        return rows;
    }

    std::vector<TErrorList01> errorWindows;
    TImageListTree icons;
    TFrameRegistry frames;
    QImage logo;
    QWidget window;

private:
    std::function<void()> previousWindow_;
};
