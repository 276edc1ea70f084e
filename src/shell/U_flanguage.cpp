// The language dialog: the language modules installed in the data folder, and the choice of
// the one the program uses from its next start.
#include "shell/U_flanguage.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/IniFile.h"
#include "platform/Text.h"
#include "shell/FrameWidgets.h"
#include "shell/MessageDlg.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"

namespace {

constexpr int kHelpTopic = 7400;
constexpr int kFolderColumn = 6;
constexpr int kColumnWidths[] = {28, 131, 95, 128, 197, 183, 2};

}  // namespace

TfLanguage::TfLanguage(TfMain& main) : TDialogBase("TfLanguage", &main, Qt::Tool), main_(main) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Vemly"));
    LabelHeader = NewHeaderLabel(this);
    NewHelpButton(kHelpTopic);
    StringGridLang = Named<QTableWidget>(this, "StringGridLang", 1, 7);
    StringGridLang->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGridLang->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGridLang->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridLang->verticalHeader()->hide();
    StringGridLang->setWordWrap(false);
    StringGridLang->horizontalHeader()->setStretchLastSection(false);
    for (int column = 0; column < 7; ++column)
        StringGridLang->setColumnWidth(column, kColumnWidths[column]);
    // The folder's column only keeps the folder of each row.
    StringGridLang->setColumnHidden(kFolderColumn, true);
    StringGridLang->setMinimumSize(790, 200);
    connect(StringGridLang, &QTableWidget::itemSelectionChanged, this,
            &TfLanguage::StringGridLangSelectCell);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(NewHeaderRow(*LabelHeader, *ButtonHelp));
    layout->addWidget(StringGridLang);
    layout->addLayout(NewFooter(TFooter::OKExit, TFooterDefaults::Empty));
}

std::string TfLanguage::FolderOfRow(int row) const {
    const QTableWidgetItem* item = StringGridLang->item(row, kFolderColumn);
    return item != nullptr ? ToStdString(item->text()) : std::string();
}

void TfLanguage::FormShow() {
    ImageLogo->setPixmap(QPixmap::fromImage(main_.LogoBitmap));
    const TLangFile texts = ReadTexts("Language.lng", "Language");
    QStringList headers{QString()};
    for (const char* key : {"GridCol1", "GridCol2", "GridCol3", "GridCol4", "GridCol5"})
        headers << ToQString("   " + texts.Read("Language", key, ""));
    headers << QString();
    StringGridLang->setHorizontalHeaderLabels(headers);
    applyText_ = texts.Read("Language", "Apply", "");

    const TMainState& state = main_.State();
    const std::vector<TLanguageModule> modules = ListLanguageModules(state.DataPath);
    StringGridLang->clearContents();
    StringGridLang->setRowCount(static_cast<int>(modules.size()) + 1);
    int selected = 0;
    for (int row = 0; row < static_cast<int>(modules.size()); ++row) {
        const TLanguageModule& module = modules[row];
        const std::string cells[] = {
            std::to_string(row + 1), module.Name,       module.Lang,  module.Author,
            module.AuthorMail,       module.AuthorSite, module.Folder};
        for (int column = 0; column < 7; ++column)
            StringGridLang->setItem(row, column, new QTableWidgetItem(ToQString(cells[column])));
        if (state.DataPath + module.Folder + "/" == state.LangPath) selected = row;
    }
    // A column narrower than its texts widens to show them whole.
    for (int column = 1; column < kFolderColumn; ++column)
        WidenColumnToTexts(*StringGridLang, column, kColumnWidths[column]);
    StringGridLang->selectRow(selected);
    StringGridLangSelectCell();
}

void TfLanguage::StringGridLangSelectCell() {
    const QModelIndexList rows = StringGridLang->selectionModel()->selectedRows();
    const std::string folder = rows.isEmpty() ? std::string() : FolderOfRow(rows.first().row());
    const TMainState& state = main_.State();
    BitBtnOK->setEnabled(!folder.empty() && state.DataPath + folder + "/" != state.LangPath);
}

void TfLanguage::accept() {
    const QModelIndexList rows = StringGridLang->selectionModel()->selectedRows();
    if (rows.isEmpty() || !BitBtnOK->isEnabled()) return;
    try {
        TIniFile(main_.State().DataPath + "vemly.ini")
            .WriteString("Common", "VLLang", FolderOfRow(rows.first().row()));
    } catch (const std::exception& error) {
        MessageDlg(error.what(), TMsgDlgType::mtError, mbOK, this);
        return;
    }
    MessageDlg(applyText_, TMsgDlgType::mtInformation, mbYes, this);
    TDialogBase::accept();
}
