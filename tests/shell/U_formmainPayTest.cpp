// The pay frame in the real main window: a user selects a pay of a running and of a stopped
// budget and sees its history, totals and chart; leaving the pay stores its filter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>
#include <fstream>
#include <iterator>

#include "MainFramesFixture.h"
#include "common/RecordedUrls.h"
#include "pays/U_frpay.h"
#include "platform/Text.h"
#include "reports/U_freport.h"
#include "schema/SchemaNames.h"
#include "shell/U_formmain.h"

namespace {

class PayInMainWindow : public MainFramesFixture {
protected:
    PayInMainWindow() {
        // Power (16) of Home: a reading, a charge and a payment; Boat (3) of the stopped
        // Cottage: one payment.
        AddEvent(home, 16, EncodeDate(2024, 3, 1), "CN", fld::Counter, "250");
        AddEvent(home, 16, EncodeDate(2024, 3, 2), "CH", fld::Charge, "40", "-40");
        AddEvent(home, 16, EncodeDate(2024, 3, 9), "PY", fld::Payment, "25", "-15");
        TTable pays;
        pays.SetDatabaseName(home);
        pays.SetTableName(tbl::Pays);
        pays.Open();
        pays.Append();
        pays.FieldByName(fld::ID).SetAsInteger(16);
        pays.FieldByName(fld::Direction).SetAsString("O");
        pays.FieldByName(fld::FilterMode).SetAsString("011110000000000");
        pays.Post();
        AddObject(cottage, 3, 0, otPay, 24, "Boat");
        AddEvent(cottage, 3, EncodeDate(2024, 4, 1), "PY", fld::Payment, "5", "5");
    }

    static void AddEvent(const std::string& folder, int pay, TDateTime date, const char* type,
                         const char* field, const char* amount, const char* balance = "") {
        TTable history;
        history.SetDatabaseName(folder);
        history.SetTableName(tbl::PayHistory);
        history.Open();
        history.Append();
        history.FieldByName(fld::ID).SetAsInteger(pay);
        history.FieldByName(fld::DateEvent).SetAsDateTime(date);
        history.FieldByName(fld::TypeEvent).SetAsString(type);
        history.FieldByName(field).SetAsString(amount);
        history.FieldByName(fld::CurBalance).SetAsString(balance);
        history.FieldByName(fld::NManOper).SetAsInteger(1);
        history.Post();
    }

    TfrPay& Start() {
        StartWithProgramFrames({1200, 760});
        return FrameOf<TfrPay>(otPay);
    }

    // The frame as a picture, kept beside the test's folders for a look.
    QImage Screenshot(TfrPay& frame, const char* name) {
        QCoreApplication::processEvents();
        const QImage picture = frame.grab().toImage();
        picture.save(QString::fromStdString(folders.Root() + "/" + name + ".png"));
        return picture;
    }
};

TEST_F(PayInMainWindow, SelectingAPayOfARunningBudgetShowsItsHistoryTotalsAndChart) {
    TfrPay& frame = Start();
    ClickNamed("Power");
    ASSERT_TRUE(frame.isVisible());
    EXPECT_EQ(ToStdString(frame.LabelHeader->text()), "Power");
    EXPECT_EQ(frame.DBGridPayHistory->model()->rowCount(), 3);
    EXPECT_EQ(frame.TotalCell(6, 1), "-15");
    EXPECT_EQ(ToStdString(frame.LabelCurBalanceVal->text()), "-15");
    EXPECT_FALSE(frame.LabelWarning->isVisible());

    const QImage picture = Screenshot(frame, "pay-running");
    // The selected row, the payment, in its selected colour, with its blue top line.
    const QRect cell = frame.DBGridPayHistory->visualRect(
        frame.DBGridPayHistory->model()->index(2, 3));
    const QPoint at = frame.DBGridPayHistory->viewport()->mapTo(&frame, cell.center());
    EXPECT_EQ(picture.pixelColor(at.x() - 20, at.y()), TfrPay::PaymentSelColor);
    EXPECT_EQ(picture.pixelColor(at.x(), frame.DBGridPayHistory->viewport()->mapTo(
                                               &frame, cell.topLeft()).y()),
              QColor(0, 0, 255));
    // The charge's row in its colour; the chart has its two bars.
    const QRect charge = frame.DBGridPayHistory->visualRect(
        frame.DBGridPayHistory->model()->index(1, 0));
    const QPoint chargeAt = frame.DBGridPayHistory->viewport()->mapTo(&frame, charge.center());
    EXPECT_EQ(picture.pixelColor(chargeAt.x() + 30, chargeAt.y()), TfrPay::ChargeColor);
    ASSERT_EQ(frame.ChartItems.size(), 2u);
    EXPECT_FALSE(frame.ImageChart->Bitmap.isNull());

    // Away and back: the frame shows what it kept, on the row it had.
    frame.SetCurrentRow(1);
    ClickNamed("Home");
    ClickNamed("Power");
    EXPECT_EQ(frame.DBGridPayHistory->model()->rowCount(), 3);
    EXPECT_EQ(frame.CurrentRow(), 1);
    EXPECT_EQ(dm.TablePayHistory.FieldByName(fld::TypeEvent).AsString(), "CH");

    // Alt+F switches the filter on, with the stored settings.
    window->activateWindow();
    frame.DBGridPayHistory->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(frame.SpeedButtonFilter->isChecked());
    EXPECT_TRUE(frame.Filter.FilterOn);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
    EXPECT_FALSE(frame.Filter.FilterOn);

    // Leaving the pay stores its filter.
    frame.Filter.ShowCounters = false;
    ClickNamed("Flat");
    EXPECT_FALSE(frame.isVisible());
    TTable pays;
    pays.SetDatabaseName(home);
    pays.SetTableName(tbl::Pays);
    pays.Open();
    ASSERT_TRUE(pays.Locate(fld::ID, {16}));
    EXPECT_EQ(pays.FieldByName(fld::FilterMode).AsString().substr(0, 5), "00111");
}

TEST_F(PayInMainWindow, TheReportButtonMakesThePaysReportFromTheShippedTemplate) {
    TfrPay& frame = Start();
    ClickNamed("Power");
    ASSERT_TRUE(frame.BitBtnReport->isEnabled());
    const std::string out = folders.Root() + "/power.rtf";
    SetReportSavePicker([&out](QWidget*, const QString&) { return ToQString(out); });
    RecordedUrls urls;
    WhenOpen<TfReport>([this](TfReport& report) {
        EXPECT_EQ(report.ObjectName, "Power");
        ASSERT_EQ(report.Templates.size(), 1u);
        EXPECT_EQ(report.Templates[0].FileName, "PayHistory.tlt");
        QCoreApplication::processEvents();
        report.grab().save(QString::fromStdString(folders.Root() + "/report-window.png"));
        report.BitBtnCreateReport->click();
        report.close();
    });
    frame.BitBtnReport->click();
    SetReportSavePicker({});
    ASSERT_EQ(urls.urls.size(), 1u);
    std::ifstream in(out, std::ios::binary);
    const std::string rtf((std::istreambuf_iterator<char>(in)), {});
    for (const char* value : {"Power", "-15", "250", "-40", "25"})
        EXPECT_NE(rtf.find(value), std::string::npos) << value;
    EXPECT_NE(rtf.find("\\pngblip"), std::string::npos);
    // The frame is as before: its row and its buttons.
    EXPECT_EQ(frame.CurrentRow(), 2);
    EXPECT_TRUE(frame.BitBtnReport->isEnabled());
}

TEST_F(PayInMainWindow, APayOfAStoppedBudgetShowsItsRowsWithoutTotals) {
    TfrPay& frame = Start();
    ClickNamed("Boat");
    ASSERT_TRUE(frame.isVisible());
    EXPECT_EQ(frame.DBGridPayHistory->model()->rowCount(), 1);
    EXPECT_EQ(frame.TotalCell(5, 1), "???");
    EXPECT_EQ(ToStdString(frame.LabelCurBalanceVal->text()), "???");
    EXPECT_TRUE(frame.LabelWarning->isVisible());
    EXPECT_TRUE(frame.ImageChart->Bitmap.isNull());
    Screenshot(frame, "pay-stopped");
}

}  // namespace
