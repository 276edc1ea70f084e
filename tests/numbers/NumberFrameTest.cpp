// The number frame through its widgets: the grid, the row kinds, the row in force and the
// value in force, the chart and its highlight; edit mode with its slide, deleting, clearing,
// cancelling, applying, the popup menu, leaving the node, and the export.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <functional>

#include "NumberFixture.h"
#include "common/RecordedUrls.h"
#include "common/ReportPicture.h"
#include "common/RowButtons.h"
#include "common/ScopedMessageDlg.h"
#include "numbers/U_frnumber.h"
#include "platform/Text.h"
#include "shell/JournalKinds.h"
#include "shell/ShellOpen.h"
#include "store/Utransactions.h"

namespace {

class NumberFrame : public NumberBudget {
protected:
    NumberFrame() {
        RegisterJournalKinds();
        frame = &RegisterNumberFrame(frames, window);
        frame->LoadTexts();
        window.resize(545, 540);
        frame->setGeometry(0, 0, 545, 540);
        window.show();
    }
    void Show() { frame->ShowFor(*shell.index.FindObject(kNumber, budget)); }
    // The texts of a grid column, row 1 first.
    std::vector<std::string> Column(int column) const {
        std::vector<std::string> texts;
        for (int row = 0; row < frame->Grid->rowCount(); ++row)
            texts.push_back(ToStdString(frame->Grid->index(row, column).data().toString()));
        return texts;
    }
    bool Bold(int row, int column) const {
        return frame->Grid->index(row - 1, column).data(Qt::FontRole).value<QFont>().bold();
    }
    void Slide() {
        while (frame->Timer1->isActive()) frame->Timer1Timer();
    }
    // The colour of the chart's bar of the item on the day.
    QColor BarColour(TDateTime day) const {
        for (const ChartItem01& item : frame->ChartItems)
            if (item.Date == day)
                return frame->ImageChart->Bitmap.pixelColor(item.Rect.Left, item.Rect.Bottom - 1);
        return {};
    }

    TFrameRegistry frames;
    QWidget window;
    TfrNumber* frame;
    const TDateTime today = Today();
};

TEST_F(NumberFrame, ShowsItemsKindsAndTheItemInForce) {
    AddConst(today - 1, "12.50", "yesterday");
    AddAlgorithmItem(today, "[V001()] = 2 + 1", true, "today");
    AddAlgorithmItem(today + 1, "[V001()] = 1", false, "tomorrow");
    Show();
    EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{DateToStr(today - 1), DateToStr(today),
                                                   DateToStr(today + 1)}));
    EXPECT_EQ(Column(2), (std::vector<std::string>{Decimal("12,5"), "3", "[calculation error]"}));
    EXPECT_EQ(Column(3), (std::vector<std::string>{"yesterday", "today", "tomorrow"}));
    EXPECT_EQ(frame->RowKinds, "CVI");
    EXPECT_EQ(ToStdString(frame->LabeCurValue->text()), "3");
    EXPECT_EQ(frame->DescriptInForce, "today");
    EXPECT_TRUE(Bold(2, 1));
    EXPECT_TRUE(Bold(2, 3));
    EXPECT_FALSE(Bold(2, 0));
    EXPECT_FALSE(Bold(1, 1));
    EXPECT_FALSE(Bold(3, 1));
    EXPECT_EQ(frame->Row(), 2);
    // The row in force is selected and its bar highlighted; a failed item charts as 0.
    EXPECT_EQ(frame->ChartDate, today);
    EXPECT_EQ(BarColour(today), kChartBlue);
    EXPECT_EQ(BarColour(today - 1), kChartNavy);
    EXPECT_EQ(frame->ChartItems.back().Rect.Top, frame->ChartItems.back().Rect.Bottom);
    // A click on another row moves the highlight.
    frame->SetRow(1);
    EXPECT_EQ(frame->ChartDate, today - 1);
    EXPECT_EQ(BarColour(today - 1), kChartBlue);
    EXPECT_EQ(BarColour(today), kChartNavy);
}

TEST_F(NumberFrame, ANumberWithoutItemsShowsOneEmptyRow) {
    Show();
    EXPECT_EQ(Column(1), std::vector<std::string>{""});
    EXPECT_EQ(frame->RowCount(), 2);
    EXPECT_EQ(frame->RowKinds, "");
    EXPECT_TRUE(frame->LabeCurValue->text().isEmpty());
    EXPECT_FALSE(Bold(1, 1));
    EXPECT_TRUE(frame->ImageChart->Bitmap.isNull());
}

TEST_F(NumberFrame, AStoredValueThatIsNoNumberIsShownAsStored) {
    AddConst(today - 2, "12a");
    AddConst(today - 1, "");
    AddConst(today, std::string(60, '4'));
    Show();
    EXPECT_EQ(Column(2), (std::vector<std::string>{"12a", "0", std::string(60, '4')}));
    EXPECT_EQ(frame->RowKinds, "CCC");
}

TEST_F(NumberFrame, EditSlidesTheGridAndCancelWithoutChangesAsksNothing) {
    AddConst(today, "1");
    Show();
    ScopedMessageDlg boxes(mrYes);
    frame->BitBtnEdit->click();
    EXPECT_FALSE(frame->BitBtnEdit->isEnabled());
    EXPECT_FALSE(frame->BitBtnApply->isEnabled());
    EXPECT_TRUE(frame->BitBtnCansel->isEnabled());
    EXPECT_TRUE(frame->BitBtnAdd->isEnabled());
    EXPECT_FALSE(frame->BitBtnExpToXls->isEnabled());
    EXPECT_EQ(frame->EarliestChange, today + 1);
    int ticks = 0;
    while (frame->Timer1->isActive()) {
        frame->Timer1Timer();
        ++ticks;
    }
    EXPECT_EQ(ticks, 15);  // 2 pixels a tick from 3 to 32
    EXPECT_EQ(frame->StringGridItems->x(), 32);
    EXPECT_EQ(frame->StringGridItems->geometry().right() + 1, frame->width() - 3);
    EXPECT_TRUE(frame->BitBtnDelRow->isVisible());
    frame->resize(600, 500);
    EXPECT_EQ(frame->StringGridItems->x(), 32);
    EXPECT_EQ(frame->StringGridItems->geometry().right() + 1, 600 - 3);

    frame->BitBtnCansel->click();
    Slide();
    EXPECT_TRUE(boxes.Calls().empty());
    EXPECT_EQ(frame->StringGridItems->x(), 3);
    EXPECT_TRUE(frame->BitBtnEdit->isEnabled());
    EXPECT_FALSE(frame->BitBtnDelRow->isVisible());
}

TEST_F(NumberFrame, DeleteThenCancelAsksAndReloadsOnYes) {
    AddConst(today - 3, "1");
    AddConst(today - 2, "2");
    AddConst(today - 1, "3");
    Show();
    frame->BitBtnEdit->click();
    Slide();
    {
        ScopedMessageDlg no(mrNo);
        frame->SetRow(3);
        frame->BitBtnDelRow->click();
        EXPECT_EQ(no.Texts(),
                  std::vector<std::string>{"Delete the value of " + DateToStr(today - 1) + " ?"});
        EXPECT_EQ(frame->RowCount(), 4);
    }
    ScopedMessageDlg yes(mrYes);
    frame->SetRow(3);
    frame->BitBtnDelRow->click();  // the last row: the current row moves to the new last
    EXPECT_EQ(Column(3).size(), 2u);
    EXPECT_EQ(frame->Row(), 2);
    EXPECT_EQ(frame->EarliestChange, today - 1);
    EXPECT_TRUE(frame->BitBtnApply->isEnabled());
    EXPECT_EQ(frame->ChartItems.size(), 2u);
    EXPECT_EQ(ToStdString(frame->LabeCurValue->text()), "2");
    {
        ScopedMessageDlg no(mrNo);
        frame->BitBtnCansel->click();
        EXPECT_EQ(no.Texts().size(), 1u);
        EXPECT_FALSE(frame->BitBtnEdit->isEnabled());
        EXPECT_EQ(Column(1).size(), 2u);
    }
    frame->BitBtnCansel->click();
    Slide();
    EXPECT_EQ(Column(2), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_TRUE(frame->BitBtnEdit->isEnabled());
    EXPECT_EQ(frame->Row(), 2);  // the reload keeps the current row
}

TEST_F(NumberFrame, DeletingTheOnlyItemLeavesOneEmptyRowAndClearKeepsTheChart) {
    AddConst(today - 3, "1");
    AddConst(today - 2, "5");
    Show();
    ScopedMessageDlg yes(mrYes);
    frame->BitBtnEdit->click();
    frame->BitBtnClearClick();
    EXPECT_EQ(Column(1), std::vector<std::string>{""});
    EXPECT_TRUE(frame->LabeCurValue->text().isEmpty());
    EXPECT_EQ(frame->EarliestChange, today - 3);
    EXPECT_TRUE(frame->BitBtnApply->isEnabled());
    EXPECT_FALSE(frame->ImageChart->Bitmap.isNull());  // not redrawn after a clearing
    for (const NumberItemInfo& item : frame->Items) EXPECT_EQ(item.State, 'd');
}

TEST_F(NumberFrame, PopupMenuFollowsTheModeAndTheItems) {
    Show();
    frame->PMenuNumberPopup();
    EXPECT_FALSE(frame->AddValue->isEnabled());
    EXPECT_FALSE(frame->EditValue->isEnabled());
    EXPECT_FALSE(frame->DelValue->isEnabled());
    frame->BitBtnEdit->click();
    frame->PMenuNumberPopup();
    EXPECT_TRUE(frame->AddValue->isEnabled());
    EXPECT_FALSE(frame->EditValue->isEnabled());
    EXPECT_FALSE(frame->DelValue->isEnabled());
    EXPECT_EQ(ToStdString(frame->AddValue->text()), "Add value");
}

TEST_F(NumberFrame, LeavingWithChangesAsksTheApplyQuestionOnce) {
    AddConst(today - 3, "1");
    AddConst(today - 2, "5");
    Show();
    frame->BitBtnEdit->click();
    {
        ScopedMessageDlg yes(mrYes);
        frame->SetRow(1);
        frame->BitBtnDelRow->click();
    }
    ScopedMessageDlg no(mrNo);
    frame->Leave();
    EXPECT_EQ(no.Texts(), std::vector<std::string>{"Save the changes you have made? "});
    EXPECT_FALSE(frame->Timer1->isActive());  // no slide
    EXPECT_EQ(frame->StringGridItems->x(), 3);
    EXPECT_TRUE(frame->BitBtnEdit->isEnabled());
    EXPECT_EQ(Column(2), (std::vector<std::string>{"1", "5"}));  // dropped by a reload
    EXPECT_EQ(TBudgetTable(tbl::jTrans, false, {}, "").RecordCount(), 0);
}

TEST_F(NumberFrame, ApplyWritesOneChangeTransactionOfTheNumber) {
    AddConst(today - 3, "1");
    AddConst(today - 2, "5");
    Show();
    ScopedMessageDlg yes(mrYes);
    frame->BitBtnEdit->click();
    frame->SetRow(1);
    frame->BitBtnDelRow->click();
    frame->BitBtnApply->click();
    Slide();
    EXPECT_TRUE(shell.fatalTexts.empty());
    TBudgetTable journal(tbl::jTrans, false, {}, "");
    ASSERT_EQ(journal.RecordCount(), 1);
    EXPECT_EQ(journal.FieldByName(fld::Status).AsString(), "APPLY");
    EXPECT_EQ(journal.FieldByName(fld::Act).AsString(), "CHANG");
    EXPECT_EQ(journal.FieldByName(fld::Type).AsInteger(), 50);
    EXPECT_EQ(journal.FieldByName(fld::IDObject).AsInteger(), kNumber);
    EXPECT_EQ(journal.FieldByName(fld::NameObject).AsString(), "Rate");
    const std::optional<TNumberChangeParts> parts =
        ReadParts<TNumberChangeParts>(journal.FieldByName(fld::NTrans).AsInteger());
    ASSERT_TRUE(parts);
    ASSERT_EQ(parts->NewItems.size(), 1u);
    EXPECT_EQ(parts->NewItems[0].ConstValue, "5");
    EXPECT_EQ(parts->OldItems.size(), 2u);
    EXPECT_EQ(parts->EarliestDate, today - 3);
    EXPECT_TRUE(frame->BitBtnEdit->isEnabled());
    EXPECT_EQ(frame->StringGridItems->x(), 3);
}

// Apply, and leaving with Yes, refuse a stored constant that is no number: edit mode goes on
// with the changes and the frame is not left. Leaving with No drops them.
TEST_F(NumberFrame, ApplyRefusesAStoredConstantThatIsNoNumber) {
    AddConst(today - 3, "1");
    AddConst(today - 2, "12a");
    AddConst(today - 1, "5");
    Show();
    frame->BitBtnEdit->click();
    {
        ScopedMessageDlg yes(mrYes);
        frame->SetRow(1);
        frame->BitBtnDelRow->click();
    }
    const struct {
        const char* way;
        std::function<void()> save;
    } ways[] = {
        {"Apply", [this] { frame->BitBtnApply->click(); }},
        {"leaving", [this] { EXPECT_FALSE(frame->Leave()); }},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        ScopedMessageDlg yes(mrYes);
        frame->SetRow(2);
        w.save();
        EXPECT_EQ(yes.Texts(), (std::vector<std::string>{"Save the changes you have made? ",
                                                         "This is not a number."}));
        EXPECT_EQ(yes.Calls().back().Type, TMsgDlgType::mtError);
        EXPECT_EQ(TBudgetTable(tbl::jTrans, false, {}, "").RecordCount(), 0);
        EXPECT_TRUE(frame->BitBtnApply->isEnabled());  // edit mode goes on
        EXPECT_EQ(frame->Row(), 1);                    // the row of "12a"
        EXPECT_EQ(Column(2), (std::vector<std::string>{"12a", "5"}));
        EXPECT_TRUE(frame->Interactive);  // Cancel asks again
    }
    ScopedMessageDlg no(mrNo);
    EXPECT_TRUE(frame->Leave());
    EXPECT_EQ(Column(2), (std::vector<std::string>{"1", "12a", "5"}));
    EXPECT_TRUE(frame->BitBtnEdit->isEnabled());
}

TEST_F(NumberFrame, ExportWritesTheWorkbookAndOpensIt) {
    AddConst(today, "1");
    shell.state.ExportPath = folders.UsersDataPath() + "export";
    std::filesystem::create_directory(shell.state.ExportPath);
    Show();
    frame->LabelHeader->setText(QStringLiteral("Gas/Water: rate"));
    std::vector<QUrl> opened;
    SetUrlOpener([&opened](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    ScopedMessageDlg boxes;
    frame->BitBtnExpToXls->click();
    SetUrlOpener({});
    EXPECT_TRUE(boxes.Calls().empty());
    ASSERT_EQ(opened.size(), 1u);
    const QFileInfo file(opened[0].toLocalFile());
    EXPECT_TRUE(file.exists());
    EXPECT_EQ(file.absolutePath().toStdString(), shell.state.ExportPath);
    // "Gas_Water_ rate_" + yyyyMMdd-HHmmss + ".xlsx"
    EXPECT_TRUE(file.fileName().startsWith(QStringLiteral("Gas_Water_ rate_")));
    EXPECT_EQ(file.fileName().size(),
              QStringLiteral("Gas_Water_ rate_20251231-235959.xlsx").size());

    shell.state.ExportPath = folders.UsersDataPath() + "missing";
    frame->BitBtnExpToXls->click();
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].Text, "Unable to open Excel");
    EXPECT_EQ(boxes.Calls()[0].Type, TMsgDlgType::mtError);
    EXPECT_FALSE(std::filesystem::exists(shell.state.ExportPath));

    // Written, but no program opens it: the user is told where it is.
    shell.state.ExportPath = folders.UsersDataPath() + "export";
    SetUrlOpener([&opened](const QUrl& url) {
        opened.push_back(url);
        return false;
    });
    frame->BitBtnExpToXls->click();
    SetUrlOpener({});
    ASSERT_EQ(opened.size(), 2u);
    ASSERT_EQ(boxes.Calls().size(), 2u);
    EXPECT_EQ(boxes.Calls()[1].Type, TMsgDlgType::mtWarning);
    EXPECT_TRUE(boxes.Calls()[1].Text.ends_with("\n" + opened[1].toLocalFile().toStdString()));
}

TEST_F(NumberFrame, TheReportTakesTheFramesValuesAndItsChartWithAndWithoutTheHighlight) {
    shell.state.TempPath = folders.TempPath();
    AddConst(today - 1, "12.50", "yesterday");
    AddConst(today, "20", "today");
    Show();
    frame->SetRow(1);
    const QImage shown = frame->ImageChart->Bitmap;
    const std::unique_ptr<TReportData> data = frame->ReportSource("Rent", "Monthly");
    const std::pair<const char*, std::string> values[] = {
        {"NumSName", "Rent"},           {"NumSDscr", "Monthly"},
        {"NumSTDat", DateToStr(today)}, {"NumSTVal", "20"},
        {"NumSTDsc", "today"},          {"NumS_Dat", DateToStr(today - 1)},
        {"NumS_Val", Decimal("12,5")},  {"NumS_Dsc", "yesterday"},
    };
    for (const auto& [ident, value] : values) EXPECT_EQ(data->ObjectValue(ident), value) << ident;
    ASSERT_EQ(data->RowCount(), 2);
    EXPECT_EQ(data->RowValue("NumD_Dat", 2), DateToStr(today));
    EXPECT_EQ(data->RowValue("NumD_Dsc", 1), "yesterday");

    // Pictures 1 and 2 of the main template are the chart, 2 without the highlight; any other
    // number or a row file writes nothing; the frame's chart stays as it was.
    const auto picture = [&](int number, int row) { return PictureBytes(*data, number, row); };
    const std::string withHighlight = picture(1, 0), without = picture(2, 0);
    EXPECT_NE(withHighlight.find("\\pngblip"), std::string::npos);
    EXPECT_NE(without.find("\\pngblip"), std::string::npos);
    EXPECT_NE(withHighlight, without);
    for (const auto& [number, row] : {std::pair{3, 0}, std::pair{1, 1}, std::pair{101, 1}})
        EXPECT_EQ(picture(number, row), "") << number << " in row " << row;
    EXPECT_EQ(frame->ImageChart->Bitmap, shown);
    EXPECT_EQ(BarColour(today - 1), kChartBlue);
}

TEST_F(NumberFrame, HelpOpensItsTopicAndTheReportButtonWorksOutsideEditMode) {
    std::ofstream(shell.state.LangPath + "VemlyHelp.html") << "<html></html>";
    Show();
    RecordedUrls opened;
    frame->ButtonHelp->click();
    ASSERT_EQ(opened.urls.size(), 1u);
    EXPECT_EQ(opened.urls[0].fragment().toStdString(), "2400");
    EXPECT_TRUE(frame->BitBtnReport->isEnabled());
    EXPECT_EQ(frame->BitBtnReport->toolTip().toStdString(), "Report");
    frame->BitBtnEditClick();
    EXPECT_FALSE(frame->BitBtnReport->isEnabled());
}

}  // namespace

// The two buttons beside the current row each show their picture whole inside their face.
TEST_F(NumberFrame, TheRowButtonsAreTallEnoughForTheirPictures) {
    AddConst(today, "1");
    AddConst(today + 1, "2");
    Show();
    frame->BitBtnEdit->click();
    Slide();
    const TRowButton buttons[] = {{frame->BitBtnEditRow, frame->ImageEditRow},
                                  {frame->BitBtnDelRow, frame->ImageDelRow}};
    ExpectRowButtonsShowTheirPictures(buttons, 1);
}
