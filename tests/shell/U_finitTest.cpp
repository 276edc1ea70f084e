// The load phase of every start: logos, the data module's tables, texts, the frames' texts,
// the formula pictures, the popup's captions, the separator of names and the wheel rule.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <filesystem>
#include <fstream>

#include "MainFramesFixture.h"
#include "platform/Text.h"
#include "schema/SchemaNames.h"
#include "shell/Hookmousewheel.h"
#include "shell/U_finit.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

class LoadPhaseTest : public MainFramesFixture {
protected:
    // The language module without any file.
    void EmptyLanguageFolder() const {
        fs::remove_all(folders.DataPath() + "LangEN");
        fs::create_directories(folders.DataPath() + "LangEN");
    }
};

TEST_F(LoadPhaseTest, WithAnEmptyLanguageFolderEverythingIsPreparedWithTheDefaults) {
    EmptyLanguageFolder();
    ASSERT_EQ(MouseWheelHookHandle(), nullptr);
    TfMain& main = StartWith({{otLog, "log"}, {otFolder, "folder"}, {otPay, "pay"}});
    EXPECT_TRUE(messages.Calls().empty());

    // Each frame read its texts once, in the order of registration.
    EXPECT_EQ(Probe(otLog).Texts, Strings{"log default"});
    EXPECT_EQ(Probe(otFolder).Texts, Strings{"folder default"});
    EXPECT_EQ(Probe(otPay).Texts, Strings{"pay default"});

    // No budget is open, so the first selection opens one.
    EXPECT_EQ(main.State().IDBudget, -1);
    EXPECT_TRUE(dm.TableBudgets.Active());
    EXPECT_TRUE(dm.TableBudgets.ReadOnly());
    EXPECT_EQ(dm.TableBudgets.IndexName(), idx::Index01);
    for (TTable* table : dm.BudgetTables()) {
        EXPECT_FALSE(table->Active());
        EXPECT_TRUE(table->ReadOnly());
        EXPECT_EQ(table->IndexName(), table == &dm.TablejTrans ? idx::Index_NTrans : idx::Index01);
    }

    EXPECT_EQ(main.State().MesLoad, "Load ...");
    EXPECT_EQ(main.State().CalendarCaption, "Calendar of the budget");
    EXPECT_EQ(ToStdString(main.StatusBarText->text()), "   ");
    EXPECT_EQ(main.StatusBarText->palette().color(QPalette::WindowText), main.MemoColor);
    EXPECT_EQ(ToStdString(main.PMenuTree->actions()[5]->text()), "Export");
    EXPECT_EQ(main.State().NamesSep, "\\");
    EXPECT_NE(MouseWheelHookHandle(), nullptr);
}

// The logos are the pictures drawn on white, smoothed into the colour of the panel below the
// tree; the main window shows its own there after start-up.
TEST_F(LoadPhaseTest, TheLogosAreSmoothedIntoThePanelColour) {
    TfMain& main = StartWith({});
    const QImage source = TfInit::LogoSource();
    ASSERT_FALSE(source.isNull());
    ASSERT_EQ(source.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(main.MainLogoBitmap.size(), source.size());
    EXPECT_EQ(main.LogoBitmap.size(), TfInit::SmallLogoSource().size());
    const QColor panel = main.Panel3->palette().color(main.Panel3->backgroundRole());
    EXPECT_EQ(main.MainLogoBitmap.pixelColor(0, 0), panel);
    EXPECT_EQ(main.LogoBitmap.pixelColor(0, 0), panel);
    ASSERT_FALSE(main.ImageLogo->pixmap().isNull());
    EXPECT_EQ(main.ImageLogo->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
              main.MainLogoBitmap.convertToFormat(QImage::Format_RGB32));
}

// The number frame's formula pictures come from the data folder; one that is missing or cannot
// be read stays empty and the load phase goes on to its end.
TEST_F(LoadPhaseTest, AMissingOrDamagedFormulaPictureStaysEmpty) {
    {
        TfMain& main = StartWith({});
        EXPECT_EQ(main.FormulaIcon.size(), QSize(16, 16));
        EXPECT_EQ(main.FormulaIconInv.size(), QSize(16, 16));
        EXPECT_NE(main.FormulaIcon, main.FormulaIconInv);
    }
    window.reset();
    RemoveMouseWheelHook();
    fs::remove(folders.DataPath() + "formula01.bmp");
    std::ofstream(folders.DataPath() + "formula01inv.bmp", std::ios::trunc) << "BM damaged";
    std::ofstream(folders.DataPath() + "LangEN/PMenuTree.lng", std::ios::trunc)
        << "[PMenuTree]\nItem7=Bring in\n";
    TfMain& main = StartWith({});
    EXPECT_TRUE(messages.Calls().empty());
    EXPECT_TRUE(main.FormulaIcon.isNull());
    EXPECT_TRUE(main.FormulaIconInv.isNull());
    EXPECT_EQ(ToStdString(main.PMenuTree->actions()[6]->text()), "Bring in");
    EXPECT_EQ(main.State().NamesSep, "\\");
    EXPECT_NE(MouseWheelHookHandle(), nullptr);
    EXPECT_EQ(main.Nodes().size(), kTree.size());
}

}  // namespace
