// The dialogs' base: texts by control name, the show and close hooks, the help button with F1
// and the OK/Exit footer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "shell/DialogBase.h"
#include "shell/Ulanguage_widgets.h"
#include "shell/WindowTextsFixture.h"

namespace {

// A dialog with a control of every kind the texts reach, reading "Test.lng" [Test] at each show.
class TfTest : public TDialogBase {
public:
    explicit TfTest(std::optional<int> topic = 2010, TFooter footer = TFooter::OKExit,
                    TFooterDefaults defaults = TFooterDefaults::OKExit)
        : TDialogBase("TfTest", nullptr) {
        LabelHeader = Named<QLabel>(this, "LabelHeader", QStringLiteral("Header"));
        LabelWarning = Named<QLabel>(this, "LabelWarning");
        SetTextKey(*LabelWarning, "");
        GroupBoxCopies = Named<QGroupBox>(this, "GroupBoxCopies");
        SetTextKey(*GroupBoxCopies, "CopiesCount");
        LabelCopies = Named<QLabel>(GroupBoxCopies, "LabelCopies");
        CheckBoxDaily = Named<QCheckBox>(this, "CheckBoxDaily");
        BitBtnReport = Named<QPushButton>(this, "BitBtnReport");
        SetTextKey(*BitBtnReport, "");
        SetHintKey(*BitBtnReport, "ReportH");
        EditName = Named<QLineEdit>(this, "EditName");
        Image1 = Named<QLabel>(this, "Image1");  // a picture, its name no key of the file
        QPixmap picture(4, 4);
        picture.fill(Qt::red);
        Image1->setPixmap(picture);
        NewHelpButton(topic);
        auto* layout = new QVBoxLayout(this);
        for (QWidget* control :
             std::initializer_list<QWidget*>{LabelHeader, ButtonHelp, LabelWarning, GroupBoxCopies,
                                             CheckBoxDaily, BitBtnReport, EditName, Image1})
            layout->addWidget(control);
        layout->addLayout(NewFooter(footer, defaults));
    }

    QLabel* LabelHeader;
    QLabel* LabelWarning;
    QGroupBox* GroupBoxCopies;
    QLabel* LabelCopies;
    QCheckBox* CheckBoxDaily;
    QPushButton* BitBtnReport;
    QLineEdit* EditName;
    QLabel* Image1;

    std::string WarnOExist;  // a text the dialog keeps
    int shows = 0;
    int closes = 0;

protected:
    void FormShow() override {
        ++shows;
        WarnOExist = ReadTexts("Test.lng", "Test").Read("Test", "WarnOExist", "");
    }
    void FormClose() override { ++closes; }

public:
    // Work of the open dialog, run as its timers and buttons run theirs.
    void Guarded(const std::function<void()>& work) { RunGuarded(work); }
};

std::string Text(const QLabel* label) {
    return ToStdString(label->text());
}
std::string Text(const QAbstractButton* button) {
    return ToStdString(button->text());
}

using DialogBase = WindowTexts;

TEST_F(DialogBase, ControlsTakeTheirTextsFromTheSectionByName) {
    WriteLangFile("Test.lng",
                  "[Other]\nLabelCopies=wrong section\n"
                  "[Test]\nLabelHeader=Create an object\nCopiesCount=Copies\n"
                  "LabelCopies=How many copies\nCheckBoxDaily=Every day\nBtnOK=Go\n"
                  "BtnExit=Back\nHelpH=Help on creating\nReportH=Report of it\n"
                  "WarnOExist=Taken\n"
                  // keys of controls that are no captions: none of them is read
                  "LabelWarning=no\nEditName=no\nButtonHelp=no\nImageLogo=no\nBitBtnOK=no\n"
                  "BitBtnReport=no\n");
    TfTest dialog;
    dialog.show();
    EXPECT_EQ(Text(dialog.LabelHeader), "Create an object");
    EXPECT_EQ(ToStdString(dialog.GroupBoxCopies->title()), "Copies");
    EXPECT_EQ(Text(dialog.LabelCopies), "How many copies");  // inside the group box
    EXPECT_EQ(Text(dialog.CheckBoxDaily), "Every day");
    EXPECT_EQ(Text(dialog.BitBtnOK), "Go");
    EXPECT_EQ(Text(dialog.BtnExit), "Back");
    EXPECT_EQ(ToStdString(dialog.ButtonHelp->toolTip()), "Help on creating");
    EXPECT_EQ(ToStdString(dialog.BitBtnReport->toolTip()), "Report of it");
    EXPECT_EQ(dialog.WarnOExist, "Taken");

    EXPECT_EQ(Text(dialog.LabelWarning), "");
    EXPECT_EQ(ToStdString(dialog.EditName->text()), "");
    EXPECT_EQ(Text(dialog.ButtonHelp), "?");
    EXPECT_EQ(Text(dialog.ImageLogo), "");
    EXPECT_EQ(Text(dialog.BitBtnReport), "");
    EXPECT_FALSE(dialog.Image1->pixmap().isNull());
    dialog.close();
}

TEST_F(DialogBase, MissingKeysKeepTheCompiledInDefaults) {
    struct Case {
        const char* file;  // "Test.lng"; nullptr: no file
        TFooterDefaults defaults;
        const char* header;
        const char* ok;
        const char* exit;
    };
    for (const Case& c : {
             Case{nullptr, TFooterDefaults::OKExit, "Header", "OK", "Exit"},
             Case{nullptr, TFooterDefaults::Empty, "Header", "", ""},
             Case{"[Test]\nBtnExit=Back\n", TFooterDefaults::OKExit, "Header", "OK", "Back"},
             // a key with an empty value is a text: the empty one
             Case{"[Test]\nLabelHeader=\nBtnOK=\n", TFooterDefaults::OKExit, "", "", "Exit"},
         }) {
        QFile::remove(folder.filePath(QStringLiteral("Test.lng")));
        if (c.file != nullptr) WriteLangFile("Test.lng", c.file);
        TfTest dialog(2010, TFooter::OKExit, c.defaults);
        dialog.show();
        EXPECT_EQ(Text(dialog.LabelHeader), c.header) << c.ok;
        EXPECT_EQ(Text(dialog.BitBtnOK), c.ok);
        EXPECT_EQ(Text(dialog.BtnExit), c.exit);
        EXPECT_EQ(ToStdString(dialog.ButtonHelp->toolTip()), "");
        dialog.close();
    }
}

TEST_F(DialogBase, TextsAreReadAtEveryShowAndTheCloseHookRunsAtEveryClose) {
    WriteLangFile("Test.lng", "[Test]\nLabelHeader=First\n");
    TfTest dialog;
    dialog.show();
    dialog.show();  // already shown: no second show
    EXPECT_EQ(dialog.shows, 1);
    dialog.close();
    EXPECT_EQ(dialog.closes, 1);
    dialog.close();  // already closed: nothing to close
    EXPECT_EQ(dialog.closes, 1);

    WriteLangFile("Test.lng", "[Test]\nLabelHeader=Second\n");
    dialog.show();
    EXPECT_EQ(dialog.shows, 2);
    EXPECT_EQ(Text(dialog.LabelHeader), "Second");
    dialog.accept();
    EXPECT_EQ(dialog.closes, 2);
}

TEST_F(DialogBase, TheHelpButtonAndF1ShowTheDialogsTopic) {
    TfTest dialog(2010);
    dialog.show();
    dialog.ButtonHelp->click();
    QTest::keyClick(dialog.EditName, Qt::Key_F1);  // F1 anywhere in the dialog
    ASSERT_EQ(opened.size(), 2u);
    for (const QUrl& url : opened) {
        EXPECT_EQ(ToStdString(url.toLocalFile()), shell.state.LangPath + "VemlyHelp.html");
        EXPECT_EQ(url.fragment(), QStringLiteral("2010"));
    }
    dialog.close();
}

// The error windows' help button stands without action: no help, no hint, F1 does nothing.
TEST_F(DialogBase, AHelpButtonWithoutTopicDoesNothing) {
    WriteLangFile("Test.lng", "[Test]\nHelpH=Help\n");
    TfTest dialog(std::nullopt);
    dialog.show();
    dialog.ButtonHelp->click();
    QTest::keyClick(dialog.EditName, Qt::Key_F1);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(ToStdString(dialog.ButtonHelp->toolTip()), "");
    EXPECT_TRUE(dialog.isVisible());
    dialog.close();
}

TEST_F(DialogBase, TheFooterAcceptsAndRejects) {
    struct Case {
        const char* action;
        std::function<void(TfTest&)> act;
        int result;
    };
    const auto escape = [](TfTest& dialog) { QTest::keyClick(dialog.EditName, Qt::Key_Escape); };
    for (const Case& c : {
             Case{"OK", [](TfTest& dialog) { dialog.BitBtnOK->click(); }, QDialog::Accepted},
             Case{"Enter", [](TfTest& dialog) { QTest::keyClick(dialog.EditName, Qt::Key_Return); },
                  QDialog::Accepted},
             Case{"Exit", [](TfTest& dialog) { dialog.BtnExit->click(); }, QDialog::Rejected},
             Case{"Esc", escape, QDialog::Rejected},
             Case{"close box", [](TfTest& dialog) { dialog.close(); }, QDialog::Rejected},
             // Esc clicks the cancel button, which is disabled: the dialog stays, OK closes it
             Case{"Esc while Exit is disabled",
                  [escape](TfTest& dialog) {
                      dialog.BtnExit->setEnabled(false);
                      escape(dialog);
                      EXPECT_TRUE(dialog.isVisible());
                      dialog.BitBtnOK->click();
                  },
                  QDialog::Accepted},
         }) {
        TfTest dialog;
        QTimer::singleShot(0, [&] {
            ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
            c.act(dialog);
        });
        EXPECT_EQ(dialog.exec(), c.result) << c.action;
        EXPECT_EQ(dialog.closes, 1) << c.action;
        EXPECT_FALSE(dialog.isVisible()) << c.action;
    }
}

TEST_F(DialogBase, AnOKOnlyFooterHasNoExitAndEscRejects) {
    TfTest dialog(2010, TFooter::OK);
    EXPECT_EQ(dialog.BtnExit, nullptr);
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("BtnExit")), nullptr);
    QTimer::singleShot(0, [&] { QTest::keyClick(dialog.EditName, Qt::Key_Escape); });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(dialog.closes, 1);
}

// Shows the dialog with ExecModal, acting on it once it is open; returns its result, or the
// text of what it threw.
std::string ShowModal(TfTest& dialog, const std::function<void(TfTest&)>& act) {
    QPointer<TfTest> open = &dialog;
    QTimer::singleShot(0, [open, act] {
        ASSERT_EQ(QApplication::activeModalWidget(), open.data());
        act(*open);
    });
    try {
        return std::to_string(dialog.ExecModal());
    } catch (const std::runtime_error& failure) {
        return failure.what();
    }
}

void Fail(TfTest& dialog, const char* what) {
    dialog.Guarded([what] { throw std::runtime_error(what); });
}

// A dialog kept for the whole run is shown many times: each show reports its own failure, once,
// after its close, and leaves nothing behind for the next show.
TEST_F(DialogBase, ExecModalThrowsTheFirstFailureOfItsShowAfterTheClose) {
    TfTest dialog;
    EXPECT_EQ(ShowModal(dialog,
                        [](TfTest& d) {
                            Fail(d, "first");
                            Fail(d, "second");  // the first is kept
                            EXPECT_TRUE(d.isVisible());
                            d.BtnExit->click();
                        }),
              "first");
    EXPECT_EQ(dialog.closes, 1);
    EXPECT_EQ(ShowModal(dialog, [](TfTest& d) { d.BitBtnOK->click(); }), "1");
    EXPECT_EQ(ShowModal(dialog,
                        [](TfTest& d) {
                            Fail(d, "third");
                            d.BitBtnOK->click();
                        }),
              "third");
    // A failure of a show without ExecModal is no failure of the next one.
    dialog.show();
    Fail(dialog, "shown");
    dialog.close();
    EXPECT_EQ(ShowModal(dialog, [](TfTest& d) { d.BtnExit->click(); }), "0");
    EXPECT_EQ(dialog.closes, 5);
}

// A dialog freed at its close still reports its failure, though it is gone when exec returns.
TEST_F(DialogBase, ExecModalThrowsTheFailureOfADialogFreedAtItsClose) {
    for (const bool failing : {true, false}) {
        auto* dialog = new TfTest;
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<TfTest> alive = dialog;
        EXPECT_EQ(ShowModal(*dialog,
                            [failing](TfTest& d) {
                                if (failing) Fail(d, "lost");
                                d.BitBtnOK->click();
                            }),
                  failing ? "lost" : "1");
        EXPECT_TRUE(alive.isNull());
    }
}

}  // namespace
