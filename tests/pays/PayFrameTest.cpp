// The pay frame on a real budget: its views (the filter, captions, totals, chart items), the
// current row's buttons and highlight, a running and a stopped budget, the stored filter.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "common/ReportPicture.h"
#include "pays/PayFrameFixture.h"
#include "pays/U_frecalcbudget.h"
#include "pays/U_frpay_view.h"
#include "schema/SchemaNames.h"
#include "shell/ShellOpen.h"

namespace {

using PayViews = PayFrameFixture;

TPayWords Words() {
    TPayWords words;
    words.WordFrom = "from";
    words.WordTo = "to";
    words.StrCounter = "Readings";
    words.StrAutoCharge = "Auto";
    words.StrManualCharge = "Manual";
    words.StrPayment = "Payments";
    words.HistCaption = "History";
    words.StrChart = "Chart";
    words.StrChartOfPeriod = "Chart of";
    return words;
}

PayFilterInfo Period(PayFilterInfo filter, TDateTime from, TDateTime to) {
    filter.UseDateFrom = from > 0;
    filter.DateFrom = from;
    filter.UseDateTo = to > 0;
    filter.DateTo = to;
    return filter;
}

// The rows of pay 1 that the view lets through, as "kind day".
std::vector<std::string> Rows(const TFilter& view) {
    std::vector<std::string> rows;
    for (TBudgetTable history(tbl::PayHistory, false, view); !history.Eof(); history.Next())
        rows.push_back(
            history.FieldByName(fld::TypeEvent).AsString() + " " +
            std::to_string(DecodeDate(history.FieldByName(fld::DateEvent).AsDateTime()).day));
    return rows;
}

TEST_F(PayViews, TheFilterShowsTheKindsAndDaysChosenAndNothingWithoutAKind) {
    AddEvent("PY", Day(3, 5), 1, 0, "Payment", "1", "1", "other pay", 2);
    const struct {
        PayFilterInfo filter;
        std::vector<std::string> rows;
    } cases[] = {
        {Kinds(true, true, true, true), {"CN 1", "CH 5", "PY 5", "CH 5", "PY 10"}},
        {Kinds(true, false, false, false), {"CN 1"}},
        {Kinds(false, true, false, false), {"CH 5"}},  // the automatic charge
        {Kinds(false, false, true, true), {"CH 5", "PY 5", "PY 10"}},
        {Kinds(false, false, false, false), {}},
        {Period(Kinds(true, true, true, true), Day(3, 5), 0), {"CH 5", "PY 5", "CH 5", "PY 10"}},
        {Period(Kinds(true, true, true, true), 0, Day(3, 5)), {"CN 1", "CH 5", "PY 5", "CH 5"}},
        {Period(Kinds(false, false, false, true), Day(3, 5), Day(3, 5)), {"PY 5"}},
        {Period(Kinds(true, true, true, true), 1, Day(1, 1, 2110)),
         {"CN 1", "CH 5", "PY 5", "CH 5", "PY 10"}},
        {Period(Kinds(true, true, true, true), Day(1, 1, 2110), 0), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rows(PayHistoryFilter(1, c.filter)), c.rows)
            << PayHistoryFilter(1, c.filter).Text();
    EXPECT_EQ(Rows(PayHistoryFilter(1)).size(), 5u);
}

TEST_F(PayViews, PeriodKindsAndCaptions) {
    const TPayWords words = Words();
    const std::string first = DateToStr(Day(3, 5)), last = DateToStr(Day(3, 9));
    const struct {
        PayFilterInfo filter;
        std::string period, kinds, history, chart;
    } cases[] = {
        {Kinds(true, true, true, true), "", "", "History:", "Chart:"},
        {Kinds(true, false, false, false), "", "Readings", "History (Readings):", "Chart:"},
        {Kinds(false, true, true, true), "", "Auto, Manual, Payments",
         "History (Auto, Manual, Payments):", "Chart:"},
        {Period(Kinds(true, true, true, true), Day(3, 5), 0), "from " + first, "",
         "History (from " + first + "):", "Chart of from " + first},
        {Period(Kinds(false, false, false, true), 0, Day(3, 9)), "to " + last, "Payments",
         "History (Payments  to " + last + "):", "Chart of to " + last},
        {Period(Kinds(true, true, true, true), Day(3, 5), Day(3, 5)),
         "from " + first + " to " + first, "", "History (from " + first + " to " + first + "):",
         "Chart of from " + first + " to " + first},
    };
    for (const auto& c : cases) {
        const std::string period = PayPeriodText(c.filter, words);
        const std::string kinds = PayKindsText(c.filter, words);
        EXPECT_EQ(period, c.period);
        EXPECT_EQ(kinds, c.kinds);
        EXPECT_EQ(PayHistoryCaption(words, kinds, period), c.history);
        EXPECT_EQ(PayChartCaption(words, period), c.chart);
    }
}

TEST_F(PayViews, OnePassGivesTotalsAndSortedChartPoints) {
    // A charge dated before the others, added last: the points come by date.
    AddEvent("CH", Day(2, 20), 1, 0, "Charge", "2", "-2", "early");
    const TPayTotals totals = ComputePayTotals(1, PayHistoryFilter(1));
    EXPECT_EQ(totals.ShownRowCount, 6);
    EXPECT_EQ(totals.Charged.ToString(), Decimal("32,5"));
    EXPECT_EQ(totals.Paid.ToString(), "37");
    EXPECT_EQ(totals.Balance.ToString(), Decimal("4,5"));
    const std::vector<TPayChartPoint> points = {
        {Day(2, 20), "-2", "-2", true},
        {Day(3, 5), Decimal("-10,5"), Decimal("-10,5"), true},  // normalised and negated
        {Day(3, 5), Decimal("7,00"), Decimal("-3,5"), false},   // as stored
        {Day(3, 5), "-20", Decimal("-23,5"), true},
        {Day(3, 10), "30", Decimal("6,5"), false}};
    EXPECT_EQ(totals.Points, points);
    EXPECT_FALSE(totals.Malformed);

    const TPayTotals counters =
        ComputePayTotals(1, PayHistoryFilter(1, Kinds(true, false, false, false)));
    EXPECT_EQ(counters.ShownRowCount, 1);
    EXPECT_TRUE(counters.Points.empty());
    EXPECT_EQ(counters.Balance.ToString(), "0");
}

TEST_F(PayViews, AMalformedAmountCountsAsZeroAndNamesThePayAndDay) {
    AddEvent("PY", Day(3, 12), 1, 0, "Payment", "12x", "", "typo");
    const TPayTotals totals = ComputePayTotals(1, PayHistoryFilter(1));
    EXPECT_TRUE(totals.Malformed);
    EXPECT_EQ(totals.Paid.ToString(), "37");
    EXPECT_EQ(totals.Points.back().Value, "12x");
    ASSERT_EQ(ErrWatch().Errors.size(), 1u);
    const std::string text = ErrWatch().Errors.front().Text;
    EXPECT_NE(text.find("Flat"), std::string::npos) << text;
    EXPECT_NE(text.find(DateToStr(Day(3, 12))), std::string::npos) << text;
}

// ---- The frame -------------------------------------------------------------------------------

using PayFrame = PayFrameFixture;

TEST_F(PayFrame, TheFullViewShowsEveryRowTheTotalsAndSelectsTheLastRow) {
    TfrPay& frame = ShowFrame();
    ASSERT_EQ(frame.DBGridPayHistory->model()->rowCount(), 5);
    EXPECT_EQ(GridTexts(frame, 0),
              (std::vector<std::string>{DateToStr(Day(3, 1)), "Counter reading", "100", "", "", "",
                                        "", "reading"}));
    EXPECT_EQ(GridTexts(frame, 3)[1], "Automatic charge");
    EXPECT_EQ(GridTexts(frame, 1)[1], "Manual charge");
    EXPECT_EQ(GridTexts(frame, 4)[1], "Payment");
    const QAbstractItemModel& model = *frame.DBGridPayHistory->model();
    EXPECT_EQ(ToStdString(model.headerData(5, Qt::Horizontal).toString()), "Payment");
    EXPECT_EQ(frame.CurrentRow(), 4);
    EXPECT_EQ(DM->TablePayHistory.FieldByName(fld::Descript).AsString(), "bank");
    EXPECT_EQ(frame.TotalCell(3, 1), Decimal("30,5"));
    EXPECT_EQ(frame.TotalCell(5, 1), "37");
    EXPECT_EQ(frame.TotalCell(6, 1), Decimal("6,5"));
    EXPECT_EQ(frame.TotalCell(3, 0), "Charged");
    EXPECT_EQ(ToStdString(frame.LabelHistory->text()), "History:");
    EXPECT_EQ(ToStdString(frame.LabeChart->text()), "Chart:");
    EXPECT_EQ(frame.ChartItems.size(), 4u);
    EXPECT_EQ(frame.ChartItems[0].Color, QColor(128, 0, 0));
    EXPECT_EQ(frame.ShownRowCount, 5);
    EXPECT_FALSE(frame.SpeedButtonFilter->isChecked());
    EXPECT_TRUE(frame.Loaded);
    EXPECT_EQ(ToStdString(frame.LabelHeader->text()), "Flat");
    // The balance today: every event lies in the past.
    EXPECT_EQ(ToStdString(frame.LabelCurBalanceVal->text()), Decimal("6,5"));
    EXPECT_FALSE(frame.LabelWarning->isVisible());
    EXPECT_NE(ToStdString(frame.LabelCurBalance->text()).find("(" + DateToStr(Today()) + ")"),
              std::string::npos);
}

// At the main window's default size the frame is about 765 pixels wide: the description
// column takes what the other columns leave, so nothing scrolls sideways down to a little less
// than that, and the totals row keeps the history's columns at every width.
// Amounts stored under another locale's separator show in the user's: the grid, the balance
// today and the report beside the totals, which are computed ("2.5" stood beside "12,5").
TEST_F(PayFrame, EveryAmountShowsInTheUsersSeparatorWhicheverItWasStoredWith) {
    const char other = DecimalSeparator() == ',' ? '.' : ',';
    const auto stored = [other](std::string text) {
        for (char& c : text)
            if (c == ',') c = other;
        return text;
    };
    AddEvent("CN", Day(3, 12), 1, 0, "Counter", stored("100,25"), "", "");
    AddEvent("PY", Day(3, 12), 2, 0, "Payment", stored("2,5"), stored("9,0"), "other");
    TfrPay& frame = ShowFrame();
    ASSERT_EQ(frame.DBGridPayHistory->model()->rowCount(), 7);
    EXPECT_EQ(GridTexts(frame, 5)[2], Decimal("100,25"));
    EXPECT_EQ(GridTexts(frame, 6)[5], Decimal("2,5"));
    EXPECT_EQ(GridTexts(frame, 6)[6], Decimal("9,0"));
    EXPECT_EQ(GridTexts(frame, 1)[3], Decimal("10,50"));  // the user's own as stored
    EXPECT_EQ(GridTexts(frame, 6)[7], "other");
    EXPECT_EQ(ToStdString(frame.LabelCurBalanceVal->text()), Decimal("9,0"));
    EXPECT_EQ(frame.TotalCell(5, 1), Decimal("39,5"));
    const std::unique_ptr<TReportData> data = frame.ReportSource("Flat", "");
    EXPECT_EQ(data->ObjectValue("PayS_Pay"), Decimal("2,5"));
    EXPECT_EQ(data->ObjectValue("PayS_Bal"), Decimal("9,0"));
    EXPECT_EQ(data->RowValue("PayD_Cnt", 6), Decimal("100,25"));  // rows count from 1
    // Only the view changed: the stored texts stay as they were.
    EXPECT_EQ(DM->TablePayHistory.FieldByName(fld::Payment).AsString(), stored("2,5"));
}

TEST_F(PayFrame, TheDescriptionFillsTheGridsWidthAndTheTotalsFollowItsColumns) {
    TfrPay& frame = ShowFrame();
    for (const int width : {720, 1000, 765}) {
        window.resize(width, 600);
        QCoreApplication::processEvents();
        const QTableView& grid = *frame.DBGridPayHistory;
        int sum = 0;
        for (int column = 0; column < 8; ++column) sum += grid.columnWidth(column);
        EXPECT_EQ(sum, grid.viewport()->width()) << width;
        EXPECT_FALSE(grid.horizontalScrollBar()->isVisible()) << width;
        for (int column = 0; column < 8; ++column)
            EXPECT_EQ(frame.StringGridTotal->columnWidth(column), grid.columnWidth(column))
                << width << " column " << column;
    }
}

// Amounts of 12 characters in the history and totals longer still show whole in their cells at
// the main window's default width, and the grid still does not scroll sideways.
TEST_F(PayFrame, LongAmountsAndTheirTotalsShowWholeAtTheDefaultWidth) {
    AddEvent("CH", Day(4, 1), 1, 0, "Charge", Decimal("99999999,99"), Decimal("-99999993,49"), "");
    AddEvent("CH", Day(4, 2), 1, 0, "Charge", Decimal("99999999,99"), Decimal("-199999993,48"), "");
    AddEvent("PY", Day(4, 3), 1, 0, "Payment", Decimal("99999999,99"), Decimal("-99999993,49"), "");
    TfrPay& frame = ShowFrame();
    window.resize(760, 600);
    QCoreApplication::processEvents();
    const QTableView& grid = *frame.DBGridPayHistory;
    EXPECT_FALSE(grid.horizontalScrollBar()->isVisible());
    const QFontMetrics cells(grid.font());
    for (int row = 0; row < grid.model()->rowCount(); ++row)
        for (int column = 2; column <= 6; ++column) {
            const QString text = grid.model()->index(row, column).data().toString();
            EXPECT_LE(cells.horizontalAdvance(text) + 5, grid.columnWidth(column))
                << text.toStdString();
        }
    const QFontMetrics totals(frame.StringGridTotal->font());
    for (const int column : {3, 5, 6}) {
        const QString text = frame.StringGridTotal->item(1, column)->text();
        EXPECT_GE(text.size(), 12) << column;
        EXPECT_LE(totals.horizontalAdvance(text) + 2, frame.StringGridTotal->columnWidth(column))
            << text.toStdString();
    }
}

TEST_F(PayFrame, TheButtonsAndHighlightFollowTheCurrentRowsKind) {
    TfrPay& frame = ShowFrame();
    const struct {
        int row;
        std::string edit, del;
        bool deletable, glyph;
        QColor match;
    } cases[] = {
        {0, "Edit reading", "Delete reading", true, true, QColor(0, 128, 0)},
        {1, "Edit charge", "Delete charge", true, true, QColor(128, 0, 0)},
        {2, "Edit payment", "Delete payment", true, true, QColor(0, 128, 0)},
        {3, "     Edit", "     Delete", false, false, QColor(128, 0, 0)},
    };
    for (const auto& c : cases) {
        frame.SetCurrentRow(c.row);
        EXPECT_EQ(ToStdString(frame.BitBtnEditItem->text()), c.edit) << c.row;
        EXPECT_EQ(ToStdString(frame.BitBtnDelItem->text()), c.del) << c.row;
        EXPECT_EQ(frame.BitBtnDelItem->isEnabled(), c.deletable) << c.row;
        // The event dialog is not part of the program: editing stays disabled.
        EXPECT_FALSE(frame.BitBtnEditItem->isEnabled()) << c.row;
        EXPECT_EQ(!frame.BitBtnDelItem->icon().isNull(), c.glyph) << c.row;
        EXPECT_EQ(frame.SelectedColor, c.match) << c.row;
        EXPECT_EQ(frame.SelectedDate, frame.GridRow(c.row)->at(0).Real()) << c.row;
        frame.PMenuPayPopup();
        EXPECT_EQ(frame.Delete->isEnabled(), c.deletable) << c.row;
        EXPECT_EQ(ToStdString(frame.Delete->text()), c.del) << c.row;
        EXPECT_EQ(!frame.Delete->icon().isNull(), c.glyph) << c.row;
        EXPECT_FALSE(frame.AddCounter->isEnabled());
        EXPECT_EQ(DM->TablePayHistory.FieldByName(fld::Descript).AsString(),
                  GridTexts(frame, c.row)[7]);
    }
    // A payment on the day of a charge: the payment's own bar is lit in lime.
    frame.SetCurrentRow(2);
    const ChartItem01a& payment = frame.ChartItems[1];
    ASSERT_EQ(payment.Color, QColor(0, 128, 0));
    if (payment.Rect.Right > payment.Rect.Left && payment.Rect.Bottom > payment.Rect.Top) {
        EXPECT_EQ(frame.ImageChart->Bitmap.pixelColor(payment.Rect.Left, payment.Rect.Top),
                  QColor(0, 255, 0));
    }
}

TEST_F(PayFrame, AStoppedBudgetShowsQuestionMarksAndNoChart) {
    shell.state.BudgetState = 3;
    TfrPay& frame = ShowFrame();
    for (int column : {3, 5, 6}) EXPECT_EQ(frame.TotalCell(column, 1), "???");
    EXPECT_EQ(ToStdString(frame.LabelCurBalanceVal->text()), "???");
    EXPECT_TRUE(frame.ImageChart->Bitmap.isNull());
    EXPECT_TRUE(frame.LabelWarning->isVisible());
    EXPECT_EQ(frame.DBGridPayHistory->model()->rowCount(), 5);
    frame.SpeedButtonFilter->click();
    EXPECT_EQ(frame.TotalCell(5, 1), "???");
}

TEST_F(PayFrame, TheFilterButtonSwitchesBetweenTheViewsAndLeavingStoresTheFilter) {
    TfrPay& frame = ShowFrame();
    frame.Filter = Period(Kinds(true, false, false, false), Day(3, 1), 0);
    frame.SpeedButtonFilter->click();
    EXPECT_EQ(Shown(frame), std::vector<std::string>{"CN 1"});
    for (int column : {3, 5, 6}) EXPECT_EQ(frame.TotalCell(column, 1), "");
    EXPECT_EQ(ToStdString(frame.LabelHistory->text()),
              "History (Counter reading  from " + DateToStr(Day(3, 1)) + "):");
    EXPECT_TRUE(frame.ChartItems.empty());
    // The only row is a counter reading: delete stays offered, the highlight is undone.
    EXPECT_TRUE(frame.BitBtnDelItem->isEnabled());

    frame.SpeedButtonFilter->click();
    EXPECT_EQ(Shown(frame).size(), 5u);
    EXPECT_TRUE(frame.PeriodText.empty());
    EXPECT_FALSE(frame.Filter.FilterOn);
    EXPECT_TRUE(frame.Filter.ShowCounters);  // the settings survive the switch

    frame.Leave();
    const PayFilterInfo stored = dm.ReadPayFilter(1);
    EXPECT_FALSE(stored.ShowPayments);
    EXPECT_TRUE(stored.UseDateFrom);
    EXPECT_EQ(stored.DateFrom, Day(3, 1));
}

TEST_F(PayFrame, StoredFiltersWithoutKindsOrCutShortLoad) {
    const struct {
        const char* mode;
        size_t rows;
    } cases[] = {{"", 5}, {"1", 5}, {"1000000", 0}, {"xyz", 5}, {"11000", 1}};
    TfrPay& frame = ShowFrame();
    for (const auto& c : cases) {
        dm.WritePayFilter(1, Kinds(false, false, false, false));
        TBudgetTable pays(tbl::Pays, true);
        ASSERT_TRUE(pays.Locate(fld::ID, {1}));
        pays.Edit();
        pays.FieldByName(fld::FilterMode).SetAsString(c.mode);
        pays.Post();
        frame.LoadPay();
        EXPECT_EQ(Shown(frame).size(), c.rows) << c.mode;
        if (c.rows == 0) {
            EXPECT_FALSE(frame.BitBtnDelItem->isEnabled());
            EXPECT_EQ(frame.SelectedDate, 0);
        }
    }
}

TEST_F(PayFrame, APayWithoutEventsOrRowShowsZerosAndEmptyButtons) {
    AddPay(2, "Garage");
    TfrPay& frame = ShowFrame();
    frame.ShowFor({1, otPay, 2, 0, "Garage", "", budget});
    EXPECT_TRUE(Shown(frame).empty());
    for (int column : {3, 5, 6}) EXPECT_EQ(frame.TotalCell(column, 1), "0");
    EXPECT_FALSE(frame.BitBtnDelItem->isEnabled());
    EXPECT_EQ(ToStdString(frame.BitBtnDelItem->text()), "     Delete");
    EXPECT_TRUE(frame.ChartItems.empty());
    frame.PMenuPayPopup();
    EXPECT_FALSE(frame.Edit->isEnabled());
    EXPECT_FALSE(frame.Delete->isEnabled());
}

TEST_F(PayFrame, AMalformedAmountIsReportedOnceTheViewIsShown) {
    AddEvent("CH", Day(3, 12), 1, 0, "Charge", "abc", "", "typo");
    TfrPay& frame = ShowFrame();
    ASSERT_EQ(errorWindows.size(), 1u);
    EXPECT_EQ(frame.TotalCell(3, 1), Decimal("30,5"));
    EXPECT_EQ(GridTexts(frame, 5)[3], "abc");
}

TEST_F(PayFrame, TheRecalculationReloadsTheShownPay) {
    TfrPay& frame = ShowFrame();
    frame.Filter = Kinds(false, false, false, true);
    frame.SpeedButtonFilter->click();
    ASSERT_EQ(Shown(frame).size(), 2u);
    AddEvent("PY", Day(3, 11), 1, 0, "Payment", "5", Decimal("11,5"), "late");
    RunAutoRecalc(true, Day(1, 1), &window);
    // Loaded again from the stored settings: the full view with the new payment, without the
    // automatic charge that no auto charge of the pay makes.
    EXPECT_EQ(Shown(frame), (std::vector<std::string>{"CN 1", "CH 5", "PY 5", "PY 10", "PY 11"}));
    EXPECT_EQ(frame.TotalCell(5, 1), "42");
}

TEST_F(PayFrame, TheReportTakesTheSelectedRowTheTotalsTheRowsAndTheChart) {
    shell.state.TempPath = folders.TempPath();
    TfrPay& frame = ShowFrame();
    frame.SetCurrentRow(2);  // the payment of 5 March
    const QImage shown = frame.ImageChart->Bitmap;
    const std::unique_ptr<TReportData> data = frame.ReportSource("Flat", "Rent and water");
    const std::pair<const char*, std::string> values[] = {
        {"PaySName", "Flat"},          {"PaySDscr", "Rent and water"},
        {"PaySBaln", Decimal("6,5")},  {"PaySAPer", ""},
        {"PaySAChr", Decimal("30,5")}, {"PaySAPay", "37"},
        {"PaySABal", Decimal("6,5")},  {"PayS_Dat", DateToStr(Day(3, 5))},
        {"PayS_Nam", "Payment"},       {"PayS_Cnt", ""},
        {"PayS_Pay", Decimal("7,00")}, {"PayS_Bal", Decimal("-3,5")},
        {"PayS_Add", "cash"},          {"PayD_Add", ""},
    };
    for (const auto& [ident, value] : values) EXPECT_EQ(data->ObjectValue(ident), value) << ident;
    ASSERT_EQ(data->RowCount(), 5);
    const std::pair<const char*, std::string> row4[] = {
        {"PayD_Dat", DateToStr(Day(3, 5))},
        {"PayD_Nam", "Automatic charge"},
        {"PayD_Chr", "20"},
        {"PayD_Add", "rent"},
        {"PayS_Dat", DateToStr(Day(3, 5))},
    };
    for (const auto& [ident, value] : row4) EXPECT_EQ(data->RowValue(ident, 4), value) << ident;
    EXPECT_EQ(data->RowValue("PayS_Dat", 1), DateToStr(Day(3, 1)));
    EXPECT_EQ(data->RowValue("PayS_Add", 1), "");

    const auto picture = [&](int number, int row) { return PictureBytes(*data, number, row); };
    const std::string lit = picture(1, 0), unlit = picture(2, 0);
    EXPECT_NE(lit.find("\\pngblip"), std::string::npos);
    EXPECT_NE(unlit.find("\\pngblip"), std::string::npos);
    EXPECT_NE(lit, unlit);
    EXPECT_EQ(picture(3, 0), "");
    EXPECT_EQ(picture(1, 1), "");
    EXPECT_EQ(frame.ImageChart->Bitmap, shown);
    EXPECT_EQ(frame.CurrentRow(), 2);
}

TEST_F(PayFrame, AMissingGlyphLeavesItsButtonWithoutOneAndHelpOpensTheTopic) {
    std::filesystem::remove(shell.state.DataPath + "CounterEdit.bmp");
    std::ofstream(shell.state.LangPath + "VemlyHelp.html") << "<html></html>";
    TfrPay& frame = ShowFrame();
    frame.SetCurrentRow(0);
    EXPECT_TRUE(frame.BitBtnEditItem->icon().isNull());
    EXPECT_FALSE(frame.BitBtnDelItem->icon().isNull());
    std::vector<QUrl> opened;
    SetUrlOpener([&opened](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    frame.ButtonHelp->click();
    SetUrlOpener({});
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].fragment().toStdString(), "2500");
    // No report window is given to this frame: its button stays disabled.
    EXPECT_FALSE(frame.BitBtnReport->isEnabled());
    EXPECT_FALSE(frame.BitBtnAddChargeAuto->isEnabled());
}

}  // namespace
