// The rename dialog: a new name and description for the selected node of the main tree, and a
// new icon for a folder; an object through the journal, a budget in the budget list.
#include "tree/U_frename.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "schema/SchemaNames.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage_widgets.h"
#include "store/TransKindObject.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"
#include "tree/TreeChange.h"

namespace {

constexpr const char* kFile = "Rename.lng";
constexpr const char* kSection = "Rename";
constexpr int kHelpTopic = 2020;
// The folder icons of the picker: 80, 82, ..., 110.
constexpr int kFirstFolderIcon = 80;
constexpr int kFolderIcons = 16;

}  // namespace

TfRename::TfRename(TfMain& main)
    : TDialogBase("TfRename", &main),
      LabelWarning(Named<QLabel>(this, "LabelWarning")),
      Warning(*LabelWarning),
      main_(main) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);

    LabelHeader = NewHeaderLabel(this);
    NewHelpButton(kHelpTopic);

    // The numbered captions are set by FormShow.
    LabelImage = Named<QLabel>(this, "LabelImage");
    LabelName = Named<QLabel>(this, "LabelName");
    LabelDescript = Named<QLabel>(this, "LabelDescript");
    for (QLabel* label : {LabelImage, LabelName, LabelDescript}) SetTextKey(*label, "");

    ComboBoxExFImage = Named<QComboBox>(this, "ComboBoxExFImage");
    ComboBoxExFImage->setIconSize(QSize(16, 16));
    for (int i = 0; i < kFolderIcons; ++i)
        ComboBoxExFImage->addItem(QIcon(main_.ImageListTree.Pixmap(kFirstFolderIcon + 2 * i)),
                                  QString(), kFirstFolderIcon + 2 * i);
    Image1 = Named<QLabel>(this, "Image1");
    SetTextKey(*Image1, "");
    EditName = Named<QLineEdit>(this, "EditName");
    EditName->setMaxLength(kMaxName);
    EditDescript = Named<QLineEdit>(this, "EditDescript");
    // As wide as the create-object dialog's fields: a long name shows whole, a description
    // mostly.
    EditDescript->setMinimumWidth(480);
    SetTextKey(*LabelWarning, "");

    QHBoxLayout* top = NewHeaderRow(*LabelHeader, *ButtonHelp);
    auto* icon = new QHBoxLayout;
    icon->addWidget(ComboBoxExFImage);
    icon->addWidget(Image1);
    icon->addStretch(1);
    auto* fields = new QGridLayout;
    fields->addWidget(LabelImage, 0, 0);
    fields->addLayout(icon, 0, 1);
    fields->addWidget(LabelName, 1, 0);
    fields->addWidget(EditName, 1, 1);
    fields->addWidget(LabelDescript, 2, 0);
    fields->addWidget(EditDescript, 2, 1);
    fields->addWidget(LabelWarning, 3, 1);
    fields->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addLayout(NewFooter(TFooter::OKExit));

    connect(EditName, &QLineEdit::textChanged, this, &TfRename::InputChanged);
    connect(EditDescript, &QLineEdit::textChanged, this, &TfRename::InputChanged);
    connect(ComboBoxExFImage, &QComboBox::currentIndexChanged, this, &TfRename::InputChanged);
}

TfRename::~TfRename() = default;

bool TfRename::IsFolder() const {
    return type_ == otFolder;
}

int TfRename::ChosenIcon() const {
    return IsFolder() ? ComboBoxExFImage->currentData().toInt() : icon_;
}

void TfRename::FormShow() {
    const TMainState& state = ShellServices().State();
    const TObjectIndex& index = ShellServices().Index();
    type_ = state.TypeObject;
    id_ = state.IDObject;
    folder_ = state.BudgetPath;
    const int node = index.IndexOf(id_, folder_);
    const TIndexNode& entry = index.Node(node);
    idParent_ = entry.Info.IDParent;
    // The tree shows an expanded node one icon higher than the stored one.
    icon_ = entry.Image - (entry.Expanded ? 1 : 0);
    name_ = entry.Info.Name;
    descript_ = entry.Info.Descript;

    // Filling the controls is no change of the user's: OK and the warning are set at the end.
    const QSignalBlocker quietCombo(ComboBoxExFImage);
    const QSignalBlocker quietName(EditName);
    const QSignalBlocker quietDescript(EditDescript);
    ComboBoxExFImage->setCurrentIndex(0);
    ImageLogo->setPixmap(QPixmap::fromImage(main_.LogoBitmap));

    const TLangFile texts = ReadTexts(kFile, kSection);
    setWindowTitle(LabelHeader->text());
    const bool budget = type_ == otBudget;
    const std::string image = texts.Read(kSection, "LabelImage", "");
    const std::string name = texts.Read(kSection, "LabelName", "");
    const std::string descript =
        texts.Read(kSection, budget ? "LabelDescriptB" : "LabelDescript", "");
    warnOExist_ = texts.Read(kSection, "WarnOExist", "");
    errNoBudget_ = texts.Read(kSection, "ErrNoBudget",
                              "The budget is not in the budget list. Nothing was renamed.");

    EditDescript->setMaxLength(budget ? kMaxBudgetDescript : kMaxObjectDescript);
    const int first = IsFolder() ? 2 : 1;  // the number of the name's caption
    LabelImage->setText(ToQString("1) " + image));
    LabelName->setText(ToQString(std::to_string(first) + ") " + name));
    LabelDescript->setText(ToQString(std::to_string(first + 1) + ") " + descript));
    LabelImage->setVisible(IsFolder());
    ComboBoxExFImage->setVisible(IsFolder());
    Image1->setVisible(!IsFolder());
    if (IsFolder())
        ComboBoxExFImage->setCurrentIndex((icon_ - kFirstFolderIcon) / 2);
    else
        Image1->setPixmap(main_.ImageListTree.Pixmap(icon_));

    EditName->setText(ToQString(name_));
    EditDescript->setText(ToQString(descript_));
    Warning.Show({});
    BitBtnOK->setEnabled(false);
    EditName->setFocus();
}

bool TfRename::IsChanged() const {
    return (IsFolder() && ChosenIcon() != icon_) || ToStdString(EditName->text()) != name_ ||
           ToStdString(EditDescript->text()) != descript_;
}

bool TfRename::CheckNameTaken() {
    const bool taken = ShellServices().Index().NameExists(
                           idParent_, id_, ToStdString(EditName->text()), folder_) == 1;
    Warning.Show(taken ? ToQString(warnOExist_) : QString());
    return taken;
}

void TfRename::InputChanged() {
    BitBtnOK->setEnabled(!EditName->text().isEmpty() && IsChanged() && !CheckNameTaken());
}

std::unique_ptr<TTransWriter> TfRename::WriteRenTransaction() {
    const TMainState& state = ShellServices().State();
    auto writer = std::make_unique<TTransWriter>(kActRename, state.IDObject, state.TypeObject,
                                                 ToStdString(EditName->text()));
    TRenameParts parts{ChosenIcon(), icon_, ToStdString(EditDescript->text()), name_, descript_};
    WriteParts(*writer, parts);
    return writer;
}

bool TfRename::RenameBudget(const std::string& folder) {
    TTable& budgets = DM->TableBudgets;
    if (!budgets.Locate(fld::Path, {folder})) {
        MessageDlg(errNoBudget_, TMsgDlgType::mtError, mbOK, this);
        return false;
    }
    const std::string name = ToStdString(EditName->text());
    const std::string descript = ToStdString(EditDescript->text());
    budgets.Edit();
    budgets.FieldByName(fld::Name).SetAsString(name);
    budgets.FieldByName(fld::Descript).SetAsString(descript);
    try {
        budgets.Post();
    } catch (...) {
        budgets.Cancel();  // the shared table is left as it was, for OK again
        throw;
    }
    // The selected root is the open budget, whose name the main window keeps from its row.
    main_.State().BudgetName = name;
    main_.State().BudgetDescript = descript;
    return true;
}

void TfRename::SetInputsEnabled(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{ComboBoxExFImage, EditName,
                                                            EditDescript, BitBtnOK, BtnExit})
        control->setEnabled(enabled);
}

void TfRename::accept() {
    SetInputsEnabled(false);
    LetMessagesRun();

    TShellServices& shell = ShellServices();
    bool applied = true;
    const auto rename = [&] {
        if (shell.State().TypeObject != otBudget) {
            applied = ApplyTreeChange([this] { return WriteRenTransaction(); });
            return;
        }
        const std::string folder = shell.BudgetPath();
        shell.SaveTreeState();
        RenameBudget(folder);
        shell.RebuildTree();
        shell.SelectBudget(folder);
    };
    // A name that could not be written (the failure was shown) stays in the open dialog as
    // typed, for OK again once the cause is gone.
    if (!RunShowingError(rename, this)) return SetInputsEnabled(true);
    if (!applied) return TDialogBase::reject();
    main_.RefreshFrameHeader();
    main_.TreeViewMain->setFocus();
    TDialogBase::accept();
}
