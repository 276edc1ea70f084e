// The frames of the main window: the frame of each node type, the texts a frame reads in the
// load phase, its header and its help button.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <stdexcept>

#include "shell/FrameRegistry.h"
#include "shell/FrameWidgets.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"
#include "shell/WindowTextsFixture.h"

namespace {

// A frame with a caption, a hint and a word of its own, reading "Test.lng" [Test].
class TfrTest : public TFrameBase {
public:
    explicit TfrTest(TFrameHeader header = TFrameHeader::Node, int topic = 2100)
        : TFrameBase("TfrTest", "Test.lng", "Test", topic, header, nullptr) {
        BitBtnEdit = Named<QPushButton>(this, "BitBtnEdit");
        SetTextKey(*BitBtnEdit, "BtnEdit");
        BitBtnUndo = Named<QPushButton>(this, "BitBtnUndo");
        SetTextKey(*BitBtnUndo, "");
        SetHintKey(*BitBtnUndo, "BtnUndo");
        StringGridTable = Named<QTableWidget>(this, "StringGridTable");
    }

    void ShowFor(const ObjectInfo& node) override {
        RefreshHeader(node);
        show();
    }
    QWidget* MainControl() const override { return StringGridTable; }

    QPushButton* BitBtnEdit;
    QPushButton* BitBtnUndo;
    QTableWidget* StringGridTable;
    std::string WordTable;
    std::string HeaderText;

protected:
    void ReadFrameTexts(const TLangFile& texts, const std::string& section) override {
        WordTable = texts.Read(section, "WordTable", "");
        HeaderText = texts.Read(section, "LabelHeader", "");
    }
};

TEST(FrameRegistry, FindsTheFrameOfEachNodeType) {
    TfrTest folder, table, log;
    TFrameRegistry frames;
    frames.RegisterFrame(otLog, log);
    frames.RegisterFrame(otFolder, folder);
    frames.RegisterFrame(otTable, table);

    struct Case {
        int type;
        TFrameBase* frame;
    };
    for (const Case& c :
         {Case{otBudget, &folder}, Case{otFolder, &folder}, Case{otTable, &table},
          Case{otLog, &log}, Case{otPay, nullptr}, Case{otCalendar, nullptr}, Case{-1, nullptr}})
        EXPECT_EQ(frames.FrameFor(c.type), c.frame) << c.type;
    EXPECT_EQ(frames.Frames(), (std::vector<TFrameBase*>{&log, &folder, &table}));
}

// A type has one frame; a budget root and a folder count as one type.
TEST(FrameRegistry, ASecondFrameForATypeIsRefused) {
    TfrTest folder, other;
    for (const int second : {otFolder, otBudget}) {
        TFrameRegistry frames;
        frames.RegisterFrame(otBudget, folder);
        EXPECT_THROW(frames.RegisterFrame(second, other), std::logic_error) << second;
        EXPECT_EQ(frames.FrameFor(otFolder), &folder);
        EXPECT_EQ(frames.Frames(), std::vector<TFrameBase*>{&folder});
    }
}

using Frames = WindowTexts;

TEST_F(Frames, TheLoadPhaseGivesAFrameItsCaptionsHintsAndWords) {
    WriteLangFile("Test.lng",
                  "[Test]\nBtnEdit=Edit\nBtnUndo=Undo the last change\nWordTable=Table\n"
                  "LabelHeader=Calendar of '\nLabelDescript=no\nHelpH=Help on tables\n");
    TfrTest frame;
    frame.LoadTexts();
    EXPECT_EQ(ToStdString(frame.BitBtnEdit->text()), "Edit");
    EXPECT_EQ(ToStdString(frame.BitBtnUndo->text()), "");
    EXPECT_EQ(ToStdString(frame.BitBtnUndo->toolTip()), "Undo the last change");
    EXPECT_EQ(ToStdString(frame.ButtonHelp->toolTip()), "Help on tables");
    EXPECT_EQ(frame.WordTable, "Table");
    // The header's key is a word of the frame, not the header label's caption.
    EXPECT_EQ(frame.HeaderText, "Calendar of '");
    EXPECT_EQ(ToStdString(frame.LabelHeader->text()), "");
    EXPECT_EQ(ToStdString(frame.LabelDescript->text()), "");
}

TEST_F(Frames, TheHeaderShowsTheNodeOnlyInFramesOfNodes) {
    ObjectInfo node;
    node.Name = "Rent";
    node.Descript = "Monthly";
    TfrTest table(TFrameHeader::Node);
    table.ShowFor(node);
    EXPECT_EQ(ToStdString(table.LabelHeader->text()), "Rent");
    EXPECT_EQ(ToStdString(table.LabelDescript->text()), "Monthly");

    TfrTest calendar(TFrameHeader::Budget);
    calendar.LabelHeader->setText(QStringLiteral("Calendar of 'Home'"));
    calendar.RefreshHeader(node);
    EXPECT_EQ(ToStdString(calendar.LabelHeader->text()), "Calendar of 'Home'");
    EXPECT_EQ(calendar.LabelDescript, nullptr);
}

// A header longer than its label is wide ends with "…" where the rest is cut, the label asking
// for no width of its own; a text that fits shows whole. The label keeps the whole text.
TEST_F(Frames, AHeaderLongerThanItsLabelEndsWithAnEllipsis) {
    TfrTest frame(TFrameHeader::Node);
    frame.resize(400, 100);
    const struct {
        const char* descript;
        bool cut;
    } cases[] = {{"Monthly", false},
                 {"Ansprechpartner für Notfälle, Wartung und Ablesung — Żaneta Wójcik, "
                  "Grzegorz Brzęczyszczykiewicz und Сергей Александрович Кузнецов",
                  true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.descript);
        ObjectInfo node;
        node.Name = "Rent";
        node.Descript = c.descript;
        frame.ShowFor(node);
        QLabel& label = *frame.LabelDescript;
        label.setGeometry(10, 20, 300, 16);
        const QString shown = dynamic_cast<TElidedLabel&>(label).ShownText();
        EXPECT_EQ(ToStdString(label.text()), c.descript);
        EXPECT_LE(label.fontMetrics().horizontalAdvance(shown), 300);
        EXPECT_EQ(shown.endsWith(QChar(0x2026)), c.cut);
        EXPECT_EQ(shown == label.text(), !c.cut);
        EXPECT_LT(label.minimumSizeHint().width(), 300);
    }
}

// The folder frame's help opens the help file at its start, the others at their topic.
TEST_F(Frames, TheHelpButtonShowsTheFramesTopic) {
    TfrTest folder(TFrameHeader::Node, 0), table(TFrameHeader::Node, 2100);
    folder.ButtonHelp->click();
    table.ButtonHelp->click();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(ToStdString(opened[0].toLocalFile()), shell.state.LangPath + "VemlyHelp.html");
    EXPECT_FALSE(opened[0].hasFragment());
    EXPECT_EQ(opened[1].fragment(), QStringLiteral("2100"));
}

}  // namespace
