// Message boxes and the desktop opening of documents and help, with their test seams.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <functional>

#include "common/ScopedMessageDlg.h"
#include "platform/Text.h"
#include "shell/MessageDlg.h"
#include "shell/ShellOpen.h"

namespace {

// Shows a real box and lets `act` handle it once it is up.
int ShowAndAct(TMsgDlgButtons buttons, const std::function<void(QMessageBox&)>& act,
               QString* caption = nullptr) {
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (caption != nullptr) *caption = box->windowTitle();
        act(*box);
    });
    return MessageDlg("Text", TMsgDlgType::mtConfirmation, buttons);
}

TEST(MessageDlg, AnswersWithThePressedButton) {
    struct Case {
        TMsgDlgButtons buttons;
        QMessageBox::StandardButton pressed;
        int expected;
    };
    for (const Case& c :
         {Case{mbYes | mbNo, QMessageBox::No, mrNo},
          Case{mbYes | mbNo | mbCancel, QMessageBox::Yes, mrYes}, Case{mbOK, QMessageBox::Ok, mrOk},
          Case{mbOK | mbCancel, QMessageBox::Cancel, mrCancel}}) {
        EXPECT_EQ(ShowAndAct(c.buttons, [&](QMessageBox& box) { box.button(c.pressed)->click(); }),
                  c.expected);
    }
}

TEST(MessageDlg, ClosingWithoutAButtonAnswersCancelElseNo) {
    QString caption;
    EXPECT_EQ(ShowAndAct(
                  mbYes | mbNo | mbCancel, [](QMessageBox& box) { box.reject(); }, &caption),
              mrCancel);
    EXPECT_EQ(caption, QStringLiteral("Confirm"));
    EXPECT_EQ(ShowAndAct(mbYes | mbNo, [](QMessageBox& box) { box.reject(); }), mrNo);
}

TEST(MessageDlg, ATestAnswersWithoutShowingABox) {
    const ScopedMessageDlg answers(mrYes);
    EXPECT_EQ(MessageDlg("Start?\nReally?", TMsgDlgType::mtConfirmation, mbYes | mbNo), mrYes);
    ASSERT_EQ(answers.Calls().size(), 1u);
    EXPECT_EQ(answers.Calls()[0].Text, "Start?\nReally?");
    EXPECT_EQ(answers.Calls()[0].Type, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(answers.Calls()[0].Buttons, static_cast<unsigned>(mbYes | mbNo));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

class Opening : public ::testing::Test {
protected:
    Opening() {
        SetUrlOpener([this](const QUrl& url) {
            opened.push_back(url);
            return desktopOpens;
        });
    }
    ~Opening() override { SetUrlOpener({}); }

    bool desktopOpens = true;
    std::vector<QUrl> opened;
    QTemporaryDir folder;
};

TEST_F(Opening, DocumentsOpenAsLocalFiles) {
    const std::string path = ToStdString(folder.path()) + "/Report 'Küche' #1.rtf";
    const ScopedMessageDlg answers;
    OpenDocumentOrTell(path, nullptr);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(ToStdString(opened[0].toLocalFile()), path);
    EXPECT_TRUE(answers.Calls().empty());
}

// Without a program for the file's kind the user learns that it was not opened and where the
// file is: a written report or workbook, and the help.
TEST_F(Opening, WhatTheDesktopCannotOpenIsToldWithThePath) {
    const std::string document = ToStdString(folder.path()) + "/Pay 'Gas' 2026.xlsx";
    const std::string help = ToStdString(folder.path()) + "/VemlyHelp.html";
    std::ofstream(help) << "<html></html>";
    desktopOpens = false;
    const std::pair<const char*, std::function<void()>> cases[] = {
        {document.c_str(), [&] { OpenDocumentOrTell(document, nullptr); }},
        {help.c_str(), [&] { ShowHelp(help, 2100); }},
    };
    for (const auto& [path, open] : cases) {
        SCOPED_TRACE(path);
        const ScopedMessageDlg answers;
        open();
        ASSERT_EQ(answers.Calls().size(), 1u);
        EXPECT_EQ(answers.Calls()[0].Type, TMsgDlgType::mtWarning);
        EXPECT_NE(answers.Calls()[0].Text.find("cannot be opened"), std::string::npos);
        EXPECT_TRUE(answers.Calls()[0].Text.ends_with(std::string("\n") + path));
    }
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(Opening, HelpOpensAtTheTopicOrAtItsStart) {
    const std::string help = ToStdString(folder.path()) + "/VemlyHelp.html";
    std::ofstream(help) << "<html></html>";
    ShowHelp(help, 1100);
    ShowHelp(help, 0);
    ShowHelp(help, 40);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(ToStdString(opened[0].toLocalFile()), help);
    EXPECT_EQ(opened[0].fragment(), QStringLiteral("1100"));
    EXPECT_FALSE(opened[1].hasFragment());
    EXPECT_EQ(opened[2].fragment(), QStringLiteral("0040"));
}

TEST_F(Opening, AMissingHelpFileIsReported) {
    const ScopedMessageDlg answers;
    ShowHelp(ToStdString(folder.path()) + "/VemlyHelp.html", 2100);
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(answers.Calls().size(), 1u);
    EXPECT_EQ(answers.Calls()[0].Type, TMsgDlgType::mtError);
}

}  // namespace
