// The report window over a table: the templates of the table's type listed with the empty row,
// a report made from the frame's rows and opened, a failure named instead, a template deleted
// with its row files and source, a source saved as ".rtf"; and the frame's Report button.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "common/RecordedUrls.h"
#include "common/ScopedMessageDlg.h"
#include "common/TextsFit.h"
#include "content/ContentFixture.h"
#include "content/U_frtable.h"
#include "platform/Text.h"
#include "reports/U_createtemplate.h"
#include "reports/U_freport.h"
#include "store/U_fileoperation.h"

namespace fs = std::filesystem;

namespace {

std::string RtfRead(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ReportWindow : public ContentBudget {
protected:
    ReportWindow() {
        shell.state.TemplatesPath = folders.DataPath() + "Templates/";
        fs::copy(std::string(VEMLY_SOURCE_DATA_DIR) + "/Templates/ForTable", tables,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        AddRow(tbl::Tables, {{fld::ID, kTable},
                             {fld::NRow, 1},
                             {fld::NameRow, "Anna"},
                             {fld::ValueRow, "555 {12}"}});
        frame = &RegisterTableFrame(frames, window);
        frame->LoadTexts();
        frame->ShowFor(Node(kTable));
        SetReportSavePicker([this](QWidget*, const QString& proposed) {
            proposals.push_back(ToStdString(proposed));
            return ToQString(chosen);
        });
        report = new TfReport(
            &window, kTable, [this](const std::string& name, const std::string& descript) {
                auto data = std::make_unique<TTableReportData>(frame->ReportData());
                data->Name = name;
                data->Descript = descript;
                return std::unique_ptr<TReportData>(std::move(data));
            });
        report->setAttribute(Qt::WA_DeleteOnClose, false);
        report->show();
    }
    ~ReportWindow() override {
        delete report;
        SetReportSavePicker({});
    }
    std::string Cell(int row, int column) const {
        const QTableWidgetItem* item = report->StringGridTlt->item(row, column);
        return item != nullptr ? ToStdString(item->text()) : std::string();
    }
    std::string Documents(const std::string& name) const {
        return GetMyDocumentsFolder() + "/" + name;
    }

    const std::string tables = folders.DataPath() + "Templates/ForTable/";
    QWidget window;
    TFrameRegistry frames;
    TfrTable* frame;
    TfReport* report;
    std::vector<std::string> proposals;
    std::string chosen;
    RecordedUrls urls;
};

TEST_F(ReportWindow, ListsTheTablesTemplatesAndMakesTheReportOfTheFramesRows) {
    EXPECT_EQ(report->ObjectName, "Phones");
    EXPECT_EQ(report->TemplatesDir, tables);
    ASSERT_EQ(report->StringGridTlt->rowCount(), 3);
    EXPECT_EQ(Cell(1, 0), "1");
    EXPECT_EQ(Cell(1, 1), "Table rows");
    EXPECT_EQ(Cell(1, 3), "TableRows.rtf");
    EXPECT_EQ(Cell(1, 4), "TableRows.tlt");
    for (int column = 0; column < 5; ++column) EXPECT_EQ(Cell(2, column), "");
    EXPECT_NE(report->LabelFor->text().indexOf("Phones"), -1);

    chosen = Documents("phones.rtf");
    report->BitBtnCreateReport->click();
    EXPECT_EQ(proposals, std::vector<std::string>{Documents("TableRows.rtf")});
    ASSERT_EQ(urls.urls.size(), 1u);
    EXPECT_EQ(ToStdString(urls.urls[0].toLocalFile()), chosen);
    const std::string rtf = RtfRead(chosen);
    for (const char* value : {"Phones", "Numbers to call", "Anna", "555 \\{12\\}", "Home"})
        EXPECT_NE(rtf.find(value), std::string::npos) << value;
    EXPECT_TRUE(report->BitBtnCreateReport->isEnabled());
}

TEST_F(ReportWindow, AtItsDefaultSizeTheListFitsWithoutScrollingSideways) {
    QCoreApplication::processEvents();
    EXPECT_EQ(report->StringGridTlt->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(report->StringGridTlt->columnWidth(2), 100);
    // The ordinal, name, description and source fill the list: the template's file name,
    // kept in the last column, takes none of its width.
    int shown = 0;
    for (int column = 0; column < 4; ++column) shown += report->StringGridTlt->columnWidth(column);
    EXPECT_EQ(shown, report->StringGridTlt->viewport()->width());
}

TEST_F(ReportWindow, AReportThatCannotBeWrittenIsNamedAndNotOpened) {
    ScopedMessageDlg boxes;
    chosen = Documents("no/such/folder/r.rtf");
    report->BitBtnCreateReport->click();
    EXPECT_TRUE(urls.urls.empty());
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_NE(boxes.Texts()[0].find(chosen), std::string::npos);
}

TEST_F(ReportWindow, TheTemplateButtonsActOnTemplatesOnly) {
    report->StringGridTlt->selectRow(2);
    for (QPushButton* button :
         {report->BitBtnCreateReport, report->BitBtnDelTlt, report->BitBtnSaveTltSource})
        EXPECT_FALSE(button->isEnabled()) << ToStdString(button->objectName());
    EXPECT_TRUE(report->BitBtnCreateTlt->isEnabled());  // a new template needs no selection
    report->StringGridTlt->selectRow(1);
    EXPECT_TRUE(report->BitBtnDelTlt->isEnabled());
}

TEST_F(ReportWindow, DeletingAsksThenRemovesTheTemplateItsRowFilesAndSource) {
    for (const int answer : {mrNo, mrYes}) {
        ScopedMessageDlg boxes(answer);
        report->BitBtnDelTlt->click();
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Calls()[0].Type, TMsgDlgType::mtConfirmation);
        const bool kept = answer == mrNo;
        EXPECT_EQ(fs::exists(tables + "TableRows.tlt"), kept);
        EXPECT_EQ(fs::exists(tables + "TableRows.tlt.001"), kept);
        EXPECT_EQ(fs::exists(tables + "Sources/TableRows.rtf"), kept);
        EXPECT_EQ(report->StringGridTlt->rowCount(), kept ? 3 : 2);
    }
    EXPECT_EQ(report->StringGridTlt->currentRow(), 1);
}

TEST_F(ReportWindow, ASourceIsSavedAsRtfAndOpened) {
    chosen = Documents("copy.RTF");
    report->BitBtnSaveTltSource->click();
    EXPECT_EQ(proposals, std::vector<std::string>{Documents("TableRows.rtf")});
    ASSERT_EQ(urls.urls.size(), 1u);
    EXPECT_EQ(ToStdString(urls.urls[0].toLocalFile()), Documents("copy.rtf"));
    EXPECT_EQ(RtfRead(Documents("copy.rtf")), RtfRead(tables + "Sources/TableRows.rtf"));
}

TEST_F(ReportWindow, ANewTemplateFromTheUsersDocumentIsListed) {
    const std::string document = Documents("Phone list.rtf");
    std::ofstream(document, std::ios::binary)
        << "{\\rtf1{\\fonttbl{\\f0\\fcharset0 Arial;}}\\pard RptStr.B.000.S.TblSName\\par}";
    SetTemplateSourcePicker([&document](QWidget*, const QString&) { return ToQString(document); });
    const auto create = [this] {
        auto* dialog = new TfCreateTemplate(report, report->ObjectType, report->TemplatesDir,
                                            [this] { report->RefreshTemplateList(); });
        dialog->setAttribute(Qt::WA_DeleteOnClose, false);
        dialog->show();
        return std::unique_ptr<TfCreateTemplate>(dialog);
    };
    std::unique_ptr<TfCreateTemplate> dialog = create();
    EXPECT_FALSE(dialog->BitBtnOK->isEnabled());
    dialog->EditName->setText(QStringLiteral("Mine"));
    EXPECT_FALSE(dialog->BitBtnOK->isEnabled());  // no document yet
    dialog->BitBtnSourceClick();
    EXPECT_EQ(ToStdString(dialog->EditName->text()), "Mine");  // a name typed before is kept
    dialog->EditName->clear();
    EXPECT_FALSE(dialog->BitBtnOK->isEnabled());
    dialog->BitBtnSourceClick();
    EXPECT_EQ(ToStdString(dialog->EditName->text()), "Phone list");
    ASSERT_TRUE(dialog->BitBtnOK->isEnabled());
    dialog->BitBtnOK->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(report->StringGridTlt->rowCount(), 4);  // title, two templates, the empty row
    EXPECT_EQ(Cell(1, 1), "Phone list");              // the list is sorted by file name
    EXPECT_TRUE(fs::exists(tables + "Report20_1.tlt"));
    EXPECT_TRUE(fs::exists(tables + "Sources/Phone list.rtf"));
    // Its source copy is replaced only after a question; No makes nothing.
    dialog = create();
    dialog->BitBtnSourceClick();
    ScopedMessageDlg boxes(mrNo);
    dialog->BitBtnOK->click();
    EXPECT_EQ(boxes.Calls().size(), 1u);
    EXPECT_FALSE(fs::exists(tables + "Report20_2.tlt"));
    EXPECT_EQ(report->StringGridTlt->rowCount(), 4);
    SetTemplateSourcePicker({});
}

// The new template's name of sixty characters and a description as long show whole, and the
// wrapped steps beside them.
TEST_F(ReportWindow, TheTemplateDialogShowsALongNameWhole) {
    TfCreateTemplate dialog(report, report->ObjectType, report->TemplatesDir, [] {});
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.show();
    const std::pair<QLineEdit*, const char*> cases[] = {
        {dialog.EditName, "Telefonliste der Familie Müller-Kowalczyk mit allen Nummern"},
        {dialog.EditDescript, "Nummern der Verwandten, Nachbarn und Ärzte, nach Namen sortiert"}};
    for (const auto& [field, text] : cases) {
        field->setText(QString::fromUtf8(text));
        QCoreApplication::processEvents();
        EXPECT_TRUE(ShowsWhole(*field)) << text;
    }
    EXPECT_EQ(CutLabels(dialog), std::vector<std::string>{});
}

TEST_F(ReportWindow, TheFramesReportButtonWorksOutsideEditModeOnly) {
    EXPECT_TRUE(frame->BitBtnReport->isEnabled());
    frame->BitBtnEdit->click();
    EXPECT_FALSE(frame->BitBtnReport->isEnabled());
    frame->BitBtnCanselClick();
    frame->FinishAnimation();
    EXPECT_TRUE(frame->BitBtnReport->isEnabled());
}

}  // namespace
