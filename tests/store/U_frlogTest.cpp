// The journal view on a real budget: the grid follows the data module's journal table both
// ways, the Back and Forward rule, the navigator, the status colours as drawn, the texts of
// Log.lng and its description, the help topic, and a screenshot.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <fstream>

#include "common/OpenBudget.h"
#include "platform/Text.h"
#include "shell/ImageListTree.h"
#include "shell/JournalKinds.h"
#include "shell/ShellOpen.h"
#include "store/TransKindObject.h"
#include "store/U_frlog.h"

namespace {

const TDateTime kMade = 46000 + 0.75;  // 9 December 2025, 18:00:00

// The journal view in a window of its own on the open budget "Home", with the program's kinds,
// dates as "dd.MM.yyyy" and times as "HH:mm:ss", and a language folder of the test's own.
class LogView : public OpenBudget {
protected:
    LogView() {
        RegisterJournalKinds();
        SetShortDateFormat("dd.MM.yyyy");
        SetLongTimeFormat("HH:mm:ss");
        shell.state.LangPath = ToStdString(lang.path()) + "/";
        shell.state.BudgetName = "Home";
        SetUrlOpener([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
        frame = &RegisterLogFrame(frames, window, icons, QColor(0x50, 0x50, 0x50));
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(frame);
        window.resize(760, 620);
        window.show();
    }
    ~LogView() override {
        SetUrlOpener({});
        SetShortDateFormat(shortDate_);
        SetLongTimeFormat(longTime_);
    }

    // A transaction in the journal, made on kMade, with a description part.
    static void AddTrans(int nTrans, const char* act, int type, const std::string& name,
                         const char* status = "APPLY") {
        AddRow("jTrans", {{"NTrans", nTrans},
                          {"Act", act},
                          {"Status", status},
                          {"Date", kMade},
                          {"Time", kMade},
                          {"IDObject", 5},
                          {"Type", type},
                          {"NameObject", name}});
        AddRow("jTrText", {{"NTrans", nTrans}, {"NPart", 1}, {"Value", name + " described"}});
    }
    void WriteLangFile(const std::string& name, const std::string& text) const {
        std::ofstream(shell.state.LangPath + name) << text;
    }
    // Reads the texts as the load phase does and shows the frame for the journal node.
    void LoadAndShow() {
        frame->LoadTexts();
        dm.TablejTrans.Refresh();
        frame->ShowFor({1, otLog, 10, 0, "Log", "", budget});
    }

    int SelectedRow() const {
        const QModelIndexList rows = frame->DBGridLog->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.front().row() : -1;
    }
    std::string Cell(int row, int column) const {
        const QAbstractItemModel& model = *frame->DBGridLog->model();
        return ToStdString(model.data(model.index(row, column)).toString());
    }
    std::vector<std::string> Detail() const {
        std::vector<std::string> lines;
        for (const QString& line : frame->MemoDetailed->toPlainText().split(QLatin1Char('\n')))
            lines.push_back(ToStdString(line));
        return lines;
    }
    // Clicks a cell of the grid, as the user does.
    void ClickRow(int row, int column = 2) const {
        QTableView* grid = frame->DBGridLog;
        const QModelIndex index = grid->model()->index(row, column);
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                          grid->visualRect(index).center());
    }
    QToolButton* Navigator(const char* name) const {
        return frame->DBNavigatorLog->findChild<QToolButton*>(QString::fromLatin1(name));
    }
    int CurrentNTrans() { return dm.TablejTrans.FieldByName("NTrans").AsInteger(); }

    QTemporaryDir lang;
    std::vector<QUrl> opened;
    QWidget window;
    TImageListTree icons;
    TFrameRegistry frames;
    TfrLog* frame = nullptr;

private:
    std::string shortDate_ = ShortDateFormat();
    std::string longTime_ = LongTimeFormat();
};

}  // namespace

TEST_F(LogView, AnEmptyJournalShowsNoRowsAndDisablesEveryButton) {
    LoadAndShow();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->DBGridLog->model()->rowCount(), 0);
    EXPECT_FALSE(frame->BitBtnBack->isEnabled());
    EXPECT_FALSE(frame->BitBtnForward->isEnabled());
    for (const char* name : {"First", "Prior", "Next", "Last"})
        EXPECT_FALSE(Navigator(name)->isEnabled()) << name;
    EXPECT_EQ(Detail(), (std::vector<std::string>{"  ???  ()", ": "}));
    EXPECT_EQ(ToStdString(frame->LabelHeader->text()), "Home'");
}

TEST_F(LogView, ShowingItSelectsTheNewestTransaction) {
    AddTrans(1, "ADD", 10, "Savings");
    AddTrans(2, "REN", 20, "Rent");
    AddTrans(3, "DEL", 30, "Photos", "BACK");
    dm.TablejTrans.Refresh();
    dm.TablejTrans.First();
    LoadAndShow();
    EXPECT_EQ(frame->DBGridLog->model()->rowCount(), 3);
    EXPECT_EQ(SelectedRow(), 2);
    EXPECT_EQ(CurrentNTrans(), 3);
    EXPECT_FALSE(frame->BitBtnBack->isEnabled());
    EXPECT_TRUE(frame->BitBtnForward->isEnabled());
    EXPECT_EQ(Detail().at(1), ": Photos");
    EXPECT_EQ(Cell(0, 0), "09.12.2025");
    EXPECT_EQ(Cell(0, 1), "18:00:00");
    EXPECT_EQ(Cell(0, 2), "Create folder");
    EXPECT_EQ(Cell(1, 2), "Rename table");
    EXPECT_EQ(Cell(2, 4), "Photos");
}

TEST_F(LogView, BackIsForAnAppliedRowForwardForAnUndoneOneNothingElse) {
    const struct {
        const char* status;
        bool back, forward;
    } cases[] = {{"APPLY", true, false},   {"BACK", false, true},     {"READY", false, false},
                 {"PREP", false, false},   {"ACT", false, false},     {"TOBACK", false, false},
                 {"TOACTB", false, false}, {"ACTBACK", false, false}, {"apply", false, false}};
    int nTrans = 0;
    for (const auto& c : cases) AddTrans(++nTrans, "MOVE", 40, c.status, c.status);
    LoadAndShow();
    for (int row = 0; row < nTrans; ++row) {
        const auto& c = cases[row];
        SCOPED_TRACE(c.status);
        ClickRow(row);
        EXPECT_EQ(CurrentNTrans(), row + 1);  // the grid moves the journal table
        EXPECT_EQ(frame->BitBtnBack->isEnabled(), c.back);
        EXPECT_EQ(frame->BitBtnForward->isEnabled(), c.forward);
        EXPECT_EQ(Detail().at(1), std::string(": ") + c.status);
    }
}

TEST_F(LogView, TheNavigatorMovesTheTableAndTheGridFollows) {
    for (int n = 1; n <= 4; ++n) AddTrans(n, "ADD", 10, "F" + std::to_string(n));
    LoadAndShow();
    const struct {
        const char* button;
        int row;
        bool first, next;  // first and prior enabled; next and last enabled
    } steps[] = {{"First", 0, false, true}, {"Next", 1, true, true},  {"Next", 2, true, true},
                 {"Prior", 1, true, true},  {"Last", 3, true, false}, {"Prior", 2, true, true},
                 {"Next", 3, true, true},   {"Next", 3, true, false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.button) + " to " + std::to_string(step.row));
        QTest::mouseClick(Navigator(step.button), Qt::LeftButton);
        EXPECT_EQ(CurrentNTrans(), step.row + 1);
        EXPECT_EQ(SelectedRow(), step.row);
        EXPECT_EQ(Navigator("First")->isEnabled(), step.first);
        EXPECT_EQ(Navigator("Prior")->isEnabled(), step.first);
        EXPECT_EQ(Navigator("Next")->isEnabled(), step.next);
        EXPECT_EQ(Navigator("Last")->isEnabled(), step.next);
    }
}

TEST_F(LogView, TheGridFollowsWhatTheJournalWritesWhileItIsShown) {
    AddRow("Objects", {{"ID", 5}, {"IDParent", 0}, {"Type", 10}, {"Image", 80}, {"Name", "Car"}});
    AddTrans(1, "ADD", 10, "Car");
    LoadAndShow();
    TTransWriter writer("REN", 5, 10, "Bike");
    TRenameParts parts{86, 80, "new", "Car", ""};
    WriteParts(writer, parts);
    const int nTrans = writer.Ready();
    ASSERT_GT(ApplyTransaction(nTrans), 0);
    EXPECT_EQ(Cell(1, 3), "");  // the status caption of "APPLY", empty without Log.lng
    dm.TablejTrans.Last();
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_TRUE(frame->BitBtnBack->isEnabled());
    EXPECT_EQ(Detail().at(1), ": Bike");
    EXPECT_EQ(Detail().back(), ": , , .");  // icon, name and description changed

    // Hidden, it lets go of the rows and catches up when it is shown again.
    frame->HideFrame();
    EXPECT_EQ(frame->DBGridLog->model()->rowCount(), 0);
    AddTrans(3, "DEL", 10, "Bike");
    dm.TablejTrans.Refresh();
    frame->ShowFor({1, otLog, 10, 0, "Log", "", budget});
    EXPECT_EQ(frame->DBGridLog->model()->rowCount(), 3);
    EXPECT_EQ(SelectedRow(), 2);
}

TEST_F(LogView, ActionsWithoutAKeyShowQuestionMarksImportsTheirCaption) {
    WriteLangFile("Log.lng", "[Log]\nActImport=Import\n");
    AddTrans(1, "CHANG", 10, "Folder");
    AddTrans(2, "ADD", 70, "Thing");
    AddTrans(3, "IMP", 0, "Branch");
    AddTrans(4, "IMP", 10, "Branch");
    AddTrans(5, "CHANG", 40, "Papers");
    LoadAndShow();
    const char* captions[] = {"???", "???", "Import", "Import", "Change files"};
    for (int row = 0; row < 5; ++row) EXPECT_EQ(Cell(row, 2), captions[row]) << row;
    ClickRow(0);
    EXPECT_EQ(Detail().at(0), "09.12.2025 18:00:00 ???  ()");
}

TEST(LogViewColours, StatusColoursInSelectedAndOtherRows) {
    const QColor red(255, 0, 0), white(255, 255, 255), black(0, 0, 0);
    const struct {
        const char* status;
        QColor selected, other;
    } cases[] = {
        {"PREP", QColor(255, 255, 0), QColor(128, 128, 0)},
        {"ACT", red, red},
        {"APPLY", QColor(0, 255, 0), QColor(0, 128, 0)},
        {"TOBACK", red, red},
        {"ACTBACK", red, red},
        {"BACK", red, QColor(128, 0, 0)},
        {"TOACTB", red, red},
        {"ACTB", red, red},
        {"READY", white, black},
        {"back", white, black},
        {"", white, black},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        EXPECT_EQ(TfrLog::StatusColor(c.status, true), c.selected);
        EXPECT_EQ(TfrLog::StatusColor(c.status, false), c.other);
    }
}

// The status cells as drawn: the caption's pixels take the status colour, red for a selected
// undone row and maroon for another; the cell's background is white or the highlight.
TEST_F(LogView, TheStatusColumnIsDrawnInTheStatusColours) {
    WriteLangFile("Log.lng", "[Log]\nStatusBACK=UNDONE\nStatusAPPLY=APPLIED\n");
    AddTrans(1, "ADD", 10, "Savings", "APPLY");
    AddTrans(2, "DEL", 10, "Savings", "BACK");
    AddTrans(3, "ADD", 10, "Savings", "BACK");
    LoadAndShow();
    // Without antialiasing every pixel of a caption has the caption's colour.
    QFont font = frame->DBGridLog->font();
    font.setStyleStrategy(QFont::NoAntialias);
    frame->DBGridLog->setFont(font);
    ClickRow(1);
    const QImage image = frame->DBGridLog->viewport()->grab().toImage();
    const auto has = [&](int row, const QColor& colour) {
        const QRect cell = frame->DBGridLog->visualRect(frame->DBGridLog->model()->index(row, 3));
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                if (image.pixelColor(x, y) == colour) return true;
        return false;
    };
    EXPECT_TRUE(has(0, QColor(0, 128, 0)));
    EXPECT_TRUE(has(1, QColor(255, 0, 0)));
    EXPECT_FALSE(has(1, QColor(128, 0, 0)));
    EXPECT_TRUE(has(2, QColor(128, 0, 0)));
    EXPECT_TRUE(has(2, QColor(255, 255, 255)));
}

TEST_F(LogView, ReadsEveryKeyOfLogLngAndItsDescription) {
    std::string file = "[Log]\n";
    const char* controls[] = {"LabelDetailed", "BtnBack",     "BtnForward",
                              "HelpH",         "FieldDate",   "FieldTime",
                              "FieldAct",      "FieldStatus", "FieldNameObject"};
    for (const char* key : controls) file += std::string(key) + "=<" + key + ">\n";
    for (const std::string_view key : TLogWords::Keys())
        file += std::string(key) + "=<" + std::string(key) + ">\n";
    WriteLangFile("Log.lng", file);
    WriteLangFile("LogTxt01.txt", "What the journal is.\r\nSecond line.\r\n");
    LoadAndShow();

    EXPECT_EQ(std::size(controls) + TLogWords::Keys().size(), 75U);
    EXPECT_EQ(frame->LabelDetailed->text(), "<LabelDetailed>");
    EXPECT_EQ(frame->BitBtnBack->text(), "<BtnBack>");
    EXPECT_EQ(frame->BitBtnForward->text(), "<BtnForward>");
    EXPECT_EQ(frame->ButtonHelp->toolTip(), "<HelpH>");
    const QHeaderView& titles = *frame->DBGridLog->horizontalHeader();
    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(ToStdString(titles.model()->headerData(column, Qt::Horizontal).toString()),
                  "<" + std::string(controls[4 + column]) + ">");
    for (const std::string_view key : TLogWords::Keys())
        EXPECT_EQ(frame->Words().Word(key), "<" + std::string(key) + ">");
    EXPECT_EQ(frame->LabelHeader->text(), "<LabelHeader>Home'");
    EXPECT_EQ(frame->MemoDescript->toPlainText(), "What the journal is.\nSecond line.");
    EXPECT_EQ(frame->MemoDescript->palette().color(QPalette::Text), QColor(0x50, 0x50, 0x50));
}

TEST_F(LogView, TheHelpButtonShowsTopic6000) {
    WriteLangFile("VemlyHelp.html", "<html></html>");
    LoadAndShow();
    QTest::mouseClick(frame->ButtonHelp, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(opened[0].fragment(), "6000");
}

// Screenshots of the view with the English language module, for a person to look at:
// /tmp/journal-view.png (a rename selected) and /tmp/journal-view-undone.png.
TEST_F(LogView, Screenshot) {
    shell.state.LangPath = folders.DataPath() + "LangEN/";
    AddRow("Objects", {{"ID", 5}, {"IDParent", 0}, {"Type", 10}, {"Image", 80}, {"Name", "Car"}});
    const char* names[] = {"Savings", "Rent", "Photos", "Papers", "Electricity"};
    const int types[] = {10, 20, 30, 40, 60};
    for (int n = 1; n <= 5; ++n) AddTrans(n, "ADD", types[n - 1], names[n - 1]);
    AddTrans(6, "MOVE", 20, "Rent");
    AddRow("jTrText", {{"NTrans", 6}, {"NPart", 2}, {"Value", "Home"}});
    AddTrans(7, "REN", 10, "Bike");
    AddRow("jTrInteger", {{"NTrans", 7}, {"NPart", 1}, {"Value", 86}});
    AddRow("jTrInteger", {{"NTrans", 7}, {"NPart", 2}, {"Value", 80}});
    AddRow("jTrText", {{"NTrans", 7}, {"NPart", 2}, {"Value", "Car"}});
    AddRow("jTrText", {{"NTrans", 7}, {"NPart", 3}, {"Value", "Car described"}});
    AddTrans(8, "DEL", 50, "Old loan", "BACK");
    AddTrans(9, "IMP", 0, "Branch 2024", "BACK");
    LoadAndShow();
    ClickRow(6);
    EXPECT_EQ(Detail().back(), "Changed: Icon, Name, Description.");
    EXPECT_TRUE(window.grab().save(QStringLiteral("/tmp/journal-view.png")));
    ClickRow(8);
    EXPECT_TRUE(window.grab().save(QStringLiteral("/tmp/journal-view-undone.png")));
}
