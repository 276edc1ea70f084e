// The delete-object dialog: deletes the selected object of the main tree, after the user typed
// "YES", as one "DEL" transaction whose snapshot lets the journal bring the object back.
#include "tree/U_fdelobject.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_dm.h"
#include "tree/TreeChange.h"
#include "tree/U_fdelobject_snapshots.h"

namespace {

constexpr const char* kFile = "DelObject.lng";
constexpr const char* kSection = "DelObject";
constexpr int kHelpTopic = 2040;

// The text with the letters a to z upper-cased and every other character as it is.
QString UpperLatin(QString text) {
    for (QChar& c : text)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - u'a' + u'A');
    return text;
}

}  // namespace

TfDelObject::TfDelObject(TfMain& main)
    : TDialogBase("TfDelObject", &main),
      LabelHeader(NewHeaderLabel(this)),
      Blink(*LabelHeader, TWarningBlink::TKind::Header),
      main_(main) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);

    SetTextKey(*LabelHeader, "LabelHeader1");
    NewHelpButton(kHelpTopic);
    Image1 = Named<QLabel>(this, "Image1");
    Image1->setFixedSize(17, 17);
    SetTextKey(*Image1, "");
    LabelName = Named<QLabel>(this, "LabelName");
    LabelDescript = Named<QLabel>(this, "LabelDescript");
    for (QLabel* label : {LabelName, LabelDescript}) SetTextKey(*label, "");
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setReadOnly(true);
    MemoDescript->setFocusPolicy(Qt::NoFocus);
    MemoDescript->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette face = MemoDescript->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    MemoDescript->setPalette(face);
    EditYes = Named<QLineEdit>(this, "EditYes");

    QHBoxLayout* top = NewHeaderRow(*LabelHeader, *ButtonHelp);
    auto* object = new QGridLayout;
    object->addWidget(Image1, 0, 0);
    object->addWidget(LabelName, 0, 1);
    object->addWidget(LabelDescript, 1, 1);
    object->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(object);
    layout->addWidget(MemoDescript, 1);
    layout->addWidget(EditYes);
    layout->addLayout(NewFooter(TFooter::OKExit));
    resize(365, 250);
    setTabOrder(EditYes, BitBtnOK);
    BitBtnOK->setEnabled(false);

    connect(EditYes, &QLineEdit::textChanged, this, &TfDelObject::EditYesChange);
}

TfDelObject::~TfDelObject() = default;

void TfDelObject::FormShow() {
    const TMainState& state = ShellServices().State();
    const TObjectIndex& index = ShellServices().Index();
    id_ = state.IDObject;
    folder_ = state.BudgetPath;
    const TIndexNode& node = index.Node(index.IndexOf(id_, folder_));
    idParent_ = node.Info.IDParent;

    ImageLogo->setPixmap(QPixmap::fromImage(main_.LogoBitmap));
    const TLangFile texts = ReadTexts(kFile, kSection);
    setWindowTitle(LabelHeader->text());
    Header2Text = texts.Read(kSection, "LabelHeader2", "");
    Str01Text = texts.Read(kSection, "Str01", "");
    Reason1Text = texts.Read(kSection, "Reason1", "");
    Reason2Text = texts.Read(kSection, "Reason2", "");
    errSnapshot_ = texts.Read(kSection, "ErrSnapshot",
                              "A file of the object cannot be saved for undo, so nothing was "
                              "deleted:");
    LoadDescription(state.LangPath + "DelObjectTxt01.lng", *MemoDescript);

    Image1->setPixmap(main_.ImageListTree.Pixmap(node.Image));
    LabelName->setText(ToQString(node.Info.Name));
    LabelDescript->setText(ToQString(node.Info.Descript));
    EditYes->setFocus();
}

bool TfDelObject::event(QEvent* event) {
    const bool handled = TDialogBase::event(event);
    if (event->type() == QEvent::WindowActivate && EditYes->isEnabled()) FormActivate();
    return handled;
}

void TfDelObject::FormActivate() {
    TShellServices& shell = ShellServices();
    HasChildren = !shell.Index().HasNoChildren(id_, folder_);
    InUse = false;
    std::vector<int> users;
    const int type = shell.State().TypeObject;
    if (type == otNumber || type == otPay) InUse = DM->ListDataSourceUsers(id_, users);
    if (!HasChildren && !InUse) return;

    BitBtnOK->setEnabled(false);
    LabelHeader->setText(ToQString(Header2Text));
    QStringList lines = {ToQString(Str01Text), QString()};
    if (HasChildren) lines.push_back(ToQString(Reason1Text));
    if (InUse) {
        lines.push_back(ToQString(Reason2Text));
        for (const int user : users)
            lines.push_back(ToQString("> " + shell.Index().GetObjectName(user, folder_)));
    }
    MemoDescript->setPlainText(lines.join(u'\n'));
    Blink.Start();
}

void TfDelObject::EditYesChange() {
    const QString upper = UpperLatin(EditYes->text());
    if (upper != EditYes->text()) {
        const QSignalBlocker quiet(EditYes);
        EditYes->setText(upper);
    }
    EditYes->setCursorPosition(static_cast<int>(upper.size()));
    BitBtnOK->setEnabled(!HasChildren && !InUse && upper == QStringLiteral("YES"));
}

void TfDelObject::accept() {
    for (QWidget* control : std::initializer_list<QWidget*>{EditYes, BitBtnOK, BtnExit})
        control->setEnabled(false);
    LetMessagesRun();

    try {
        // A fatal report during the writing ends the program: nothing is applied.
        if (!ApplyTreeChange([this] { return WriteDelTransaction(id_); }, idParent_))
            return TDialogBase::reject();
    } catch (const ESnapshotFile& failure) {
        MessageDlg(errSnapshot_ + "\n" + failure.File().string() + "\n" + failure.Error().message(),
                   TMsgDlgType::mtError, mbOK, this);
        return TDialogBase::reject();
    }
    main_.TreeViewMain->setFocus();
    TDialogBase::accept();
}
