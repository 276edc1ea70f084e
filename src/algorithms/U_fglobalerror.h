// The window of the errors that the algorithms calculated in one user action gathered, and
// ShowGlobalErrors, which shows it and stops the open budget.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;
class QTextEdit;

// Lists every error of the action's error context with its algorithm, line, text, description
// and example; texts from the language folder's "GlobalError.lng" and "Errors.lng". Frees
// itself when closed.
class TfGlobalError : public QDialog {
    Q_OBJECT

public:
    explicit TfGlobalError(QWidget* parent = nullptr);

    // The texts of "GlobalError.lng", read at the first show.
    std::string TitleStr1, TitleStr2, StrObjName, StrAlgName, StrErrList, StrInAlg, StrInStr;

    QTextEdit* RichEditTitle;
    QLabel* LabelTitle;
    QPushButton* ButtonHelp;
    QTextEdit* RichEditDescript;  // its first five lines bold
    QPushButton* BitBtnOK;
    QLabel* ImageLogo;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    bool shown_ = false;
};

// When the action's error context holds errors: shows them in a TfGlobalError until the user
// closes it, then stops the open budget. Does nothing without errors; the context is kept.
void ShowGlobalErrors();
