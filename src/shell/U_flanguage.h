// The language dialog: the language modules installed in the data folder, and the choice of
// the one the program uses from its next start.
#pragma once

#include <string>

#include "shell/DialogBase.h"

class QLabel;
class QTableWidget;
class TfMain;

// Opened by the main window's Language command, shown modally; frees itself when closed.
// Texts from "Language.lng" [Language], every default empty; help topic 7400.
class TfLanguage : public TDialogBase {
    Q_OBJECT

public:
    explicit TfLanguage(TfMain& main);

    QLabel* LabelHeader;
    // One row per module (the row number, Name, Lang, Author, AuthorMail, AuthorSite and the
    // folder's name in a column kept out of sight), then one empty row.
    QTableWidget* StringGridLang;

    // The folder of a grid row; empty for the empty last row.
    std::string FolderOfRow(int row) const;
    // OK is enabled while the selected row names a module other than the one in use.
    void StringGridLangSelectCell();

protected:
    // Texts, the logo, the modules (ListLanguageModules of Ulanguage.h) with the module in use
    // selected (else the first row), and the state of OK.
    void FormShow() override;
    // vemly.ini [Common] VLLang := the selected row's folder, then the Apply text in an
    // information box, then the dialog closes. The texts of the running program stay; a
    // vemly.ini that cannot be written is reported and the dialog stays open.
    void accept() override;

private:
    TfMain& main_;
    std::string applyText_;
};
