// The create-budget dialog: a new budget's name, description and folder; OK makes the folder
// from the empty-budget template, registers it in the budget list and selects its root.
#include "tree/U_fcreatebudget.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Text.h"
#include "shell/BudgetList.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/Swappable.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_fileoperation.h"
#include "tree/BudgetFolder.h"

namespace {

constexpr int kHelpTopic = 1100;

QString PickWithDesktop(QWidget* parent, const QString& caption, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, caption, start, QFileDialog::ShowDirsOnly);
}

TSwappable<QString(QWidget*, const QString&, const QString&)>& FolderPicker() {
    static TSwappable<QString(QWidget*, const QString&, const QString&)> picker(PickWithDesktop);
    return picker;
}

QLineEdit* NewEdit(QWidget* parent, const char* name, int maxLength) {
    auto* edit = Named<QLineEdit>(parent, name);
    edit->setMaxLength(maxLength);
    return edit;
}

}  // namespace

TFolderPicker SetFolderPicker(TFolderPicker picker) {
    return FolderPicker().Set(std::move(picker));
}

QString PickFolder(QWidget* parent, const QString& caption, const QString& start) {
    return FolderPicker()(parent, caption, start);
}

TfCreateBudget::TfCreateBudget(QWidget* parent)
    : TDialogBase("TfCreateBudget", parent),
      LabelHeader(Named<QLabel>(this, "LabelHeader")),
      LabelName(Named<QLabel>(this, "LabelName")),
      LabelDescript(Named<QLabel>(this, "LabelDescript")),
      LabelPath(Named<QLabel>(this, "LabelPath")),
      EditName(NewEdit(this, "EditName", 70)),
      EditDescript(NewEdit(this, "EditDescript", 250)),
      EditPath(NewEdit(this, "EditPath", 250)),
      btnPath(Named<QPushButton>(this, "btnPath", QStringLiteral("..."))),
      MemoDescript(Named<QPlainTextEdit>(this, "MemoDescript")),
      LabelWarning(Named<QLabel>(this, "LabelWarning")),
      Warning(*LabelWarning) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Vemly"));
    resize(560, 400);

    QFont header = LabelHeader->font();
    header.setBold(true);
    header.setPointSizeF(header.pointSizeF() * 1.2);
    LabelHeader->setFont(header);
    SetTextKey(*btnPath, "");
    btnPath->setMaximumWidth(40);
    SetTextKey(*LabelWarning, "");
    LabelWarning->setWordWrap(true);
    MemoDescript->setReadOnly(true);
    NewHelpButton(kHelpTopic);

    QHBoxLayout* headerRow = NewHeaderRow(*LabelHeader, *ButtonHelp);
    auto* fields = new QGridLayout;
    fields->addWidget(LabelName, 0, 0);
    fields->addWidget(EditName, 0, 1, 1, 2);
    fields->addWidget(LabelDescript, 1, 0);
    fields->addWidget(EditDescript, 1, 1, 1, 2);
    fields->addWidget(LabelPath, 2, 0);
    fields->addWidget(EditPath, 2, 1);
    fields->addWidget(btnPath, 2, 2);
    fields->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(headerRow);
    layout->addLayout(fields);
    layout->addWidget(LabelWarning);
    layout->addWidget(MemoDescript, 1);
    layout->addLayout(NewFooter(TFooter::OKExit));

    connect(EditName, &QLineEdit::textChanged, this, &TfCreateBudget::EditNameChange);
    connect(EditPath, &QLineEdit::textChanged, this, &TfCreateBudget::EditPathChange);
    // Only what the user types or pastes counts as editing the folder, not the program's changes.
    connect(EditPath, &QLineEdit::textEdited, this, [this] { PathEdited = true; });
    connect(btnPath, &QPushButton::clicked, this, &TfCreateBudget::btnPathClick);
    EditPath->installEventFilter(this);
}

void TfCreateBudget::FormShow() {
    {
        const TLangFile texts = ReadTexts("CreateBudget.lng", "CreateBudget");
        WarnBExist = texts.Read("CreateBudget", "WarnBExist", "");
        WarnFExist = texts.Read("CreateBudget", "WarnFExist", "");
        SelFolder = texts.Read("CreateBudget", "SelFolder", "");
    }
    if (fMain != nullptr) ImageLogo->setPixmap(QPixmap::fromImage(fMain->LogoBitmap));
    LoadDescription(ShellServices().LangPath() + "CreateBudgetTxt01.lng", *MemoDescript);
    PathEdited = false;
    for (QLineEdit* edit : {EditName, EditDescript, EditPath}) edit->clear();
    Warning.Show({});
    BitBtnOK->setEnabled(false);
    EditName->setFocus();
}

void TfCreateBudget::EditNameChange() {
    if (!PathEdited) {
        const std::string name = TfMain::SanitizeFileName(ToStdString(EditName->text()));
        EditPath->setText(
            ToQString(CollapseBackslashes(ShellServices().UsersDataPath() + "/" + name)));
    }
    EnableOK();
}

void TfCreateBudget::EditPathChange() {
    EnableOK();
}

// The keys that a folder name cannot hold are swallowed; a whole path can still be pasted or
// picked.
bool TfCreateBudget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EditPath && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (text.size() == 1 && TfMain::FilterPathChar(text.front()) == QChar(0)) return true;
    }
    return TDialogBase::eventFilter(watched, event);
}

// The picked folder takes the budget's own folder, the last part of the path.
void TfCreateBudget::btnPathClick() {
    const QString path = EditPath->text();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QString() : path.left(slash);
    const QString last = path.mid(slash + 1);
    const QString picked = PickFolder(this, ToQString(SelFolder), folder);
    if (picked.isEmpty()) return;
    EditPath->setText(ToQString(CollapseBackslashes(ToStdString(picked + "/" + last))));
}

bool TfCreateBudget::CheckWarnings() {
    // The folder that OK would make.
    const std::string folder = CleanBudgetPath(ToStdString(EditPath->text()));
    const bool folderExists = TfMain::FolderExists(folder) == 1;
    const bool budgetExists = BudgetListHasFolder(ShellServices().UsersDataPath(), folder);
    Warning.Show(ToQString(folderExists ? WarnFExist : budgetExists ? WarnBExist : ""));
    return folderExists || budgetExists;
}

void TfCreateBudget::EnableOK() {
    BitBtnOK->setEnabled(!EditName->text().isEmpty() &&
                         IsBudgetPathUsable(ToStdString(EditPath->text())) && !CheckWarnings());
}

void TfCreateBudget::SetInputsEnabled(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{EditName, EditDescript, EditPath,
                                                            btnPath, BitBtnOK, BtnExit})
        control->setEnabled(enabled);
}

void TfCreateBudget::accept() {
    SetInputsEnabled(false);
    QCoreApplication::processEvents();

    // A budget that could not be made (the failure was shown) leaves no folder behind, and the
    // dialog stays open with what was typed, for OK again once the cause is gone. Only a folder
    // that this OK made can be half written: the making throws only after it made the folder.
    const std::string folder = CleanBudgetPath(ToStdString(EditPath->text()));
    TNewBudget made = TNewBudget::FolderNotMade;
    const bool written = RunShowingError(
        [&] {
            made = MakeBudgetFolder(ShellServices().State().DataPath, folder,
                                    ToStdString(EditName->text()),
                                    ToStdString(EditDescript->text()));
            if (made == TNewBudget::Made) RegisterBudget(folder);
        },
        this);
    if (!written) {
        ShellDeleteFolder(folder, true, false);
        return SetInputsEnabled(true);
    }
    if (made == TNewBudget::FolderNotMade)
        MessageDlg("ERROR: Unable to create folder !", TMsgDlgType::mtError, mbOK, this);
    if (made == TNewBudget::TemplateNotCopied)
        MessageDlg("ERROR: Unable to copy empty bases.", TMsgDlgType::mtError, mbOK, this);
    if (made != TNewBudget::Made) return SetInputsEnabled(true);
    ShellServices().RebuildTree();
    ShellServices().SelectBudget(folder);
    TDialogBase::accept();
}
