// The create-object dialog: a new folder, table, image album, file collection, number or pay
// under the selected budget root or folder, written as one "ADD" transaction of the journal.
#include "tree/U_fcreateobject.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "platform/Dates.h"
#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage_widgets.h"
#include "store/TransKindObject.h"
#include "store/Utransactions.h"
#include "tree/TreeChange.h"

namespace {

constexpr const char* kFile = "CreateObject.lng";
constexpr const char* kSection = "CreateObject";
constexpr int kHelpTopic = 2010;
// The folder icons of the picker: 80, 82, ..., 110.
constexpr int kFirstFolderIcon = 80;
constexpr int kFolderIcons = 16;
// The lines the place's memo shows at least.
constexpr int kPlaceLines = 2;
// The filter of a new pay's history: which kinds of event it shows.
constexpr const char* kNewPayFilterMode = "011110000000000";

// What each radio button makes: the object's type, its tree icon (a folder's is the one chosen
// in the picker) and a pay's direction letter.
struct TObjectKind {
    const char* Button;
    const char* CaptionKey;
    int Type;
    int Icon;
    const char* Direction;
};
constexpr std::array<TObjectKind, 8> kKinds = {{
    {"RadioButtonFolder", "LabelTypeFolder", otFolder, kFirstFolderIcon, ""},
    {"RadioButtonTable", "LabelTypeTable", otTable, 16, ""},
    {"RadioButtonImages", "LabelTypeImages", otImages, 18, ""},
    {"RadioButtonFiles", "LabelTypeFiles", otFiles, 20, ""},
    {"RadioButtonNumber", "LabelTypeNumber", otNumber, 22, ""},
    {"RadioButtonPayOut", "LabelTypePayOut", otPay, 24, "O"},
    {"RadioButtonPayIn", "LabeTypePayIn", otPay, 26, "I"},
    {"RadioButtonPayNeutral", "LabeTypePayNeutral", otPay, 28, "N"},
}};
// The first kind of the group under LabeMainObj; those before it stand under LabelAdditionalObj.
constexpr int kFirstMainKind = 4;

// Writes the parent, icon and description of a new object and its empty content.
template <class Content>
void WriteNewObject(TTransWriter& writer, int parent, int icon, const std::string& descript,
                    Content content) {
    TObjectParts<Content> parts{parent, icon, descript, std::move(content)};
    WriteParts(writer, parts);
}

}  // namespace

TfCreateObject::TfCreateObject(TfMain& main)
    : TDialogBase("TfCreateObject", &main),
      LabelWarning(Named<QLabel>(this, "LabelWarning")),
      Warning(*LabelWarning),
      main_(main),
      kinds_(new QButtonGroup(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);

    LabelHeader = NewHeaderLabel(this);
    NewHelpButton(kHelpTopic);
    LabelPlace = Named<QLabel>(this, "LabelPlace");
    LabelType = Named<QLabel>(this, "LabelType");
    LabelName = Named<QLabel>(this, "LabelName");
    LabelDescript = Named<QLabel>(this, "LabelDescript");

    MemoPlase = Named<QPlainTextEdit>(this, "MemoPlase");
    MemoPlase->setReadOnly(true);
    MemoPlase->setFocusPolicy(Qt::ClickFocus);  // Tab passes it by
    MemoPlase->setFixedHeight(PlaceHeight(kPlaceLines));

    ScrollBox1 = Named<QScrollArea>(this, "ScrollBox1");
    auto* box = new QWidget;
    LabelAdditionalObj = Named<QLabel>(box, "LabelAdditionalObj");
    LabeMainObj = Named<QLabel>(box, "LabeMainObj");
    for (QLabel* group : {LabelAdditionalObj, LabeMainObj}) {
        QFont font = group->font();
        font.setBold(true);
        group->setFont(font);
    }
    RadioButtonFolder = NewKindButton(0);
    RadioButtonTable = NewKindButton(1);
    RadioButtonImages = NewKindButton(2);
    RadioButtonFiles = NewKindButton(3);
    RadioButtonNumber = NewKindButton(4);
    RadioButtonPayOut = NewKindButton(5);
    RadioButtonPayIn = NewKindButton(6);
    RadioButtonPayNeutral = NewKindButton(7);
    ComboBoxExFImage = Named<QComboBox>(box, "ComboBoxExFImage");
    ComboBoxExFImage->setIconSize(QSize(16, 16));
    for (int i = 0; i < kFolderIcons; ++i)
        ComboBoxExFImage->addItem(QIcon(main_.ImageListTree.Pixmap(kFirstFolderIcon + 2 * i)),
                                  QString(), kFirstFolderIcon + 2 * i);

    EditName = Named<QLineEdit>(this, "EditName");
    EditName->setMaxLength(kMaxName);
    EditDescript = Named<QLineEdit>(this, "EditDescript");
    EditDescript->setMaxLength(kMaxDescript);
    EditDescript->setMinimumWidth(360);
    SetTextKey(*LabelWarning, "");
    LabelWarning->setWordWrap(true);
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setReadOnly(true);

    // The kinds in two columns: the additional objects (folder with its icon picker, table,
    // images, files) and the main ones (number and the three pays).
    auto* kindGrid = new QGridLayout(box);
    kindGrid->addWidget(LabelAdditionalObj, 0, 0, 1, 2);
    kindGrid->addWidget(LabeMainObj, 0, 2);
    const std::array<QRadioButton*, 8> buttons = KindButtons();
    for (int kind = 0; kind < static_cast<int>(buttons.size()); ++kind) {
        const bool mainKind = kind >= kFirstMainKind;
        const int row = 1 + (mainKind ? kind - kFirstMainKind : kind);
        kindGrid->addWidget(buttons[kind], row, mainKind ? 2 : 0, Qt::AlignLeft);
    }
    kindGrid->addWidget(ComboBoxExFImage, 1, 1, Qt::AlignLeft);
    kindGrid->setColumnStretch(1, 1);
    kindGrid->setColumnStretch(2, 2);
    kindGrid->setColumnMinimumWidth(1, 60);
    ScrollBox1->setWidget(box);
    ScrollBox1->setWidgetResizable(true);
    ScrollBox1->setMinimumHeight(box->sizeHint().height() + 4);

    QHBoxLayout* top = NewHeaderRow(*LabelHeader, *ButtonHelp);
    auto* fields = new QGridLayout;
    fields->addWidget(LabelName, 0, 0);
    fields->addWidget(EditName, 0, 1);
    fields->addWidget(LabelDescript, 1, 0);
    fields->addWidget(EditDescript, 1, 1);
    fields->addWidget(LabelWarning, 2, 1);
    fields->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(LabelPlace);
    layout->addWidget(MemoPlase);
    layout->addWidget(LabelType);
    layout->addWidget(ScrollBox1);
    layout->addLayout(fields);
    layout->addWidget(MemoDescript, 1);
    layout->addLayout(NewFooter(TFooter::OKExit));
    resize(600, 560);
    // No kind is checked and the name is empty: OK waits for both.
    BitBtnOK->setEnabled(false);

    connect(EditName, &QLineEdit::textChanged, this, &TfCreateObject::InputChanged);
    connect(kinds_, &QButtonGroup::idClicked, this, &TfCreateObject::InputChanged);
}

TfCreateObject::~TfCreateObject() = default;

QRadioButton* TfCreateObject::NewKindButton(int kind) {
    QWidget* box = LabelAdditionalObj->parentWidget();
    auto* button = Named<QRadioButton>(box, kKinds[kind].Button);
    SetTextKey(*button, kKinds[kind].CaptionKey);
    button->setIcon(QIcon(main_.ImageListTree.Pixmap(kKinds[kind].Icon)));
    button->setIconSize(QSize(16, 16));
    kinds_->addButton(button, kind);
    return button;
}

int TfCreateObject::PlaceHeight(int lines) const {
    return MemoPlase->fontMetrics().lineSpacing() * lines + 12;
}

std::array<QRadioButton*, 8> TfCreateObject::KindButtons() const {
    return {RadioButtonFolder, RadioButtonTable,  RadioButtonImages, RadioButtonFiles,
            RadioButtonNumber, RadioButtonPayOut, RadioButtonPayIn,  RadioButtonPayNeutral};
}

void TfCreateObject::FormShow() {
    const TMainState& state = ShellServices().State();
    const TObjectIndex& index = ShellServices().Index();
    idParent_ = state.IDObject;
    folder_ = state.BudgetPath;

    ComboBoxExFImage->setCurrentIndex(0);
    ImageLogo->setPixmap(QPixmap::fromImage(main_.LogoBitmap));
    QPalette memo = MemoDescript->palette();
    memo.setColor(QPalette::Text, main_.MemoColor);
    MemoDescript->setPalette(memo);

    const TLangFile texts = ReadTexts(kFile, kSection);
    setWindowTitle(LabelHeader->text());
    warnOExist_ = texts.Read(kSection, "WarnOExist", "");
    LoadDescription(state.LangPath + "CreateObjectTxt01.lng", *MemoDescript);

    // The place: the selected node's name after those of its ancestors up to the budget root,
    // or the budget's name alone when the root is selected.
    const ObjectInfo& node = index.Node(index.IndexOf(idParent_, folder_)).Info;
    std::string place = node.Name;
    if (node.Type != otBudget) {
        std::string ancestors;
        index.GetObjectPath(ancestors, state.NamesSep, node.IDParent, folder_);
        place = ancestors + place;
    }
    MemoPlase->setPlainText(ToQString(place));
    // A deep place wraps onto more lines than the memo's two: the memo and the dialog grow by
    // those lines, so that the whole path shows and the description below keeps its height.
    const int grow = PlaceHeight(std::max(kPlaceLines, MemoPlase->document()->lineCount())) -
                     MemoPlase->height();
    if (grow > 0) {
        MemoPlase->setFixedHeight(MemoPlase->height() + grow);
        resize(width(), height() + grow);
    }

    EditName->setFocus();
}

bool TfCreateObject::CheckNameTaken() {
    const bool taken = ShellServices().Index().NameExists(
                           idParent_, -1, ToStdString(EditName->text()), folder_) == 1;
    Warning.Show(taken ? ToQString(warnOExist_) : QString());
    return taken;
}

bool TfCreateObject::IsKindChosen() const {
    return kinds_->checkedId() >= 0;
}

void TfCreateObject::InputChanged() {
    BitBtnOK->setEnabled(!EditName->text().isEmpty() && !CheckNameTaken() && IsKindChosen());
}

std::unique_ptr<TTransWriter> TfCreateObject::WriteAddTransaction() {
    const TObjectKind& kind = kKinds[kinds_->checkedId()];
    const int icon = kind.Type == otFolder ? ComboBoxExFImage->currentData().toInt() : kind.Icon;
    const std::string descript = ToStdString(EditDescript->text());
    auto writer =
        std::make_unique<TTransWriter>(kActAdd, -1, kind.Type, ToStdString(EditName->text()));
    switch (kind.Type) {
        case otFolder:
            WriteNewObject(*writer, idParent_, icon, descript, TFolderContent{});
            break;
        case otTable:
            WriteNewObject(*writer, idParent_, icon, descript, TTableContent{});
            break;
        case otImages:
            WriteNewObject(*writer, idParent_, icon, descript, TImagesContent{});
            break;
        case otFiles:
            WriteNewObject(*writer, idParent_, icon, descript, TFilesContent{});
            // The undo of the creation keeps the collection's files in this folder. One that
            // cannot be made is reported as fatal, and the writer is then never made ready.
            writer->MakeFolder();
            break;
        case otNumber:
            WriteNewObject(*writer, idParent_, icon, descript, TNumberContent{});
            break;
        case otPay: {
            // A new pay's filter shows the day of its creation; it has no charges and no events.
            TPayContent pay;
            pay.Direction = kind.Direction;
            pay.FilterMode = kNewPayFilterMode;
            pay.FilterDateFrom = pay.FilterDateTo = Today();
            pay.EarliestChargeDate = pay.FilterDateFrom + 1;
            WriteNewObject(*writer, idParent_, icon, descript, std::move(pay));
            break;
        }
    }
    return writer;
}

void TfCreateObject::SetInputsEnabled(bool enabled) {
    for (QWidget* control : KindButtons()) control->setEnabled(enabled);
    for (QWidget* control : std::initializer_list<QWidget*>{ComboBoxExFImage, EditName,
                                                            EditDescript, BitBtnOK, BtnExit})
        control->setEnabled(enabled);
}

void TfCreateObject::accept() {
    SetInputsEnabled(false);
    LetMessagesRun();

    bool applied = false;
    // An object that could not be written (the failure was shown) stays in the open dialog as
    // typed, for OK again once the cause is gone.
    if (!RunShowingError([&] { applied = ApplyTreeChange([this] { return WriteAddTransaction(); }); },
                         this))
        return SetInputsEnabled(true);
    if (!applied) return TDialogBase::reject();
    main_.TreeViewMain->setFocus();
    TDialogBase::accept();
}
