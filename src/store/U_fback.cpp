// The undo and redo dialog: marks a block of the open budget's journal, asks for "YES", runs the
// block one step per turn of the event loop with a progress bar, a blinking lamp and a stop
// button, and cancels the marks a run did not reach when it closes.
#include "store/U_fback.h"

#include <QAbstractButton>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "schema/SchemaNames.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"

namespace {

constexpr const char* kFile = "Back.lng";
constexpr const char* kSection = "Back";
// No help topic of its own: the help of the journal, from which the dialog comes.
constexpr int kHelpTopic = 6000;
constexpr int kLampInterval = 300;
const QColor kMaroon(128, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
const QString kYes = QStringLiteral("YES");

// A small picture of the style's arrow, standing for the direction.
QLabel* NewArrow(QWidget* parent, const char* name, QStyle::StandardPixmap arrow) {
    auto* image = Named<QLabel>(parent, name);
    SetTextKey(*image, "");
    image->setPixmap(parent->style()->standardIcon(arrow).pixmap(17, 17));
    return image;
}

}  // namespace

TfBack::TfBack(TfMain& main, QAbstractButton& backButton, QAbstractButton& forwardButton)
    : TDialogBase("TfBack", &main),
      LabelHeader(NewHeaderLabel(this)),
      ImageUndo(NewArrow(this, "ImageUndo", QStyle::SP_ArrowBack)),
      ImageRedo(NewArrow(this, "ImageRedo", QStyle::SP_ArrowForward)),
      MemoDescript(Named<QPlainTextEdit>(this, "MemoDescript")),
      LabelMes(Named<QLabel>(this, "LabelMes")),
      PanelLamp(Named<QFrame>(this, "PanelLamp")),
      ProgressBar1(Named<QProgressBar>(this, "ProgressBar1")),
      EditYes(Named<QLineEdit>(this, "EditYes")),
      BitBtnStop(Named<QPushButton>(this, "BitBtnStop", QStringLiteral("STOP!"))),
      Timer1(new QTimer(this)),
      main_(main),
      backButton_(backButton),
      forwardButton_(forwardButton),
      stepTimer_(new QTimer(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    setWindowTitle(QStringLiteral("Vemly"));
    resize(400, 300);

    for (QWidget* control : std::initializer_list<QWidget*>{LabelHeader, LabelMes, BitBtnStop})
        SetTextKey(*control, "");
    NewHelpButton(kHelpTopic);

    MemoDescript->setReadOnly(true);
    MemoDescript->setMinimumHeight(105);
    MemoDescript->setBackgroundRole(QPalette::Button);
    PanelLamp->setFixedSize(9, 9);
    PanelLamp->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelLamp->setAutoFillBackground(true);
    ProgressBar1->setFixedHeight(9);
    ProgressBar1->setTextVisible(false);
    EditYes->setMaxLength(4);
    // Wide enough for its four widest letters in the font in use, frame and margins included.
    EditYes->setFixedWidth(EditYes->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")) + 16);
    QFont stop = BitBtnStop->font();
    stop.setBold(true);
    BitBtnStop->setFont(stop);
    BitBtnStop->setEnabled(false);
    BitBtnStop->setAutoDefault(false);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kLampInterval);
    stepTimer_->setSingleShot(true);
    stepTimer_->setInterval(0);

    auto* top = new QHBoxLayout;
    top->addWidget(ImageUndo);
    top->addWidget(ImageRedo);
    top->addWidget(LabelHeader, 1);
    top->addWidget(ButtonHelp, 0, Qt::AlignTop);
    auto* progress = new QHBoxLayout;
    progress->addWidget(PanelLamp);
    progress->addWidget(ProgressBar1, 1);
    QHBoxLayout* footer = NewFooter(TFooter::OKExit);
    footer->insertWidget(0, EditYes);
    footer->insertWidget(footer->indexOf(BtnExit), BitBtnStop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(MemoDescript, 1);
    layout->addWidget(LabelMes);
    layout->addLayout(progress);
    layout->addLayout(footer);
    setTabOrder(EditYes, BitBtnOK);

    connect(EditYes, &QLineEdit::textChanged, this, &TfBack::EditYesChange);
    connect(BitBtnStop, &QPushButton::clicked, this, &TfBack::BitBtnStopClick);
    connect(Timer1, &QTimer::timeout, this, &TfBack::Timer1Timer);
    connect(stepTimer_, &QTimer::timeout, this, &TfBack::NextStep);
}

TfBack::~TfBack() = default;

void TfBack::FormShow() {
    const bool undo = Mode == kModeUndo;
    ImageLogo->setPixmap(QPixmap::fromImage(main_.LogoBitmap));
    {
        const TLangFile texts = ReadTexts(kFile, kSection);
        const auto text = [&](const char* key) { return texts.Read(kSection, key, ""); };
        LabelHeader->setText(ToQString(text(undo ? "LabelHeaderUndo" : "LabelHeaderRedo") + "\n '" +
                                       ShellServices().BudgetName() + "'"));
        prepareMessage_ = text(undo ? "MsgPrepareUndo" : "MsgPrepareRedo");
        msgStart_ = text("MsgStart");
        msgProcess_ = text("MsgProcess");
        msgStops_ = text("MsgStops");
        msgStopped_ = text("MsgStopped");
        msgCancel_ = text("MsgCalcel");
        msgErr01_ = text("MsgErr01");
        stopCaption_ = text("BtnStop_STOP");
        startCaption_ = text("BtnStop_START");
    }
    LoadDescription(ShellServices().LangPath() + (undo ? "BackTxt01.lng" : "BackTxt02.lng"),
                    *MemoDescript);
    QPalette memo = MemoDescript->palette();
    memo.setColor(QPalette::Text, main_.MemoColor);
    MemoDescript->setPalette(memo);
    SetStopCaption(stopCaption_, kMaroon);
    SetLamp(false);

    (undo ? backButton_ : forwardButton_).setEnabled(false);
    ImageUndo->setVisible(undo);
    ImageRedo->setVisible(!undo);
    Executed = false;
    StopRequested = false;
    MarkCount = 0;
    EditYes->clear();
    BitBtnOK->setEnabled(false);
    EditYes->setFocus();
    // The marking follows once the dialog stands on the screen.
    QTimer::singleShot(0, this, &TfBack::FormActivate);
}

void TfBack::FormActivate() {
    if (!isVisible()) return;  // closed before it came to mark: nothing to do
    SetLamp(true);
    Timer1->start();
    LabelMes->setText(ToQString(prepareMessage_));
    LetMessagesRun();
    PrepareMarks();
    Timer1->stop();
    SetLamp(false);
    if (MarkCount < 0) {
        MessageDlg(MarkCount == kMarkBelowBlock ? "Fatal Error !!!" : msgErr01_,
                   TMsgDlgType::mtError, mbOK, this);
        QMetaObject::invokeMethod(this, &TfBack::reject, Qt::QueuedConnection);
    }
    RefreshJournalView();
    LabelMes->setText(ToQString(msgStart_));
}

void TfBack::PrepareMarks() {
    TTable& journal = DM->TablejTrans;
    NTrans =
        journal.Active() && !journal.IsEmpty() ? journal.FieldByName(fld::NTrans).AsInteger() : 0;
    MarkCount = Mode == kModeUndo ? MarkUndo(NTrans) : MarkRedo(NTrans);
    // A bar whose maximum is 0 would show the busy animation: an empty block keeps an empty bar.
    if (MarkCount >= 0) {
        ProgressBar1->setRange(0, std::max(MarkCount, 1));
        ProgressBar1->setValue(0);
    }
}

void TfBack::EditYesChange() {
    const QString upper = EditYes->text().toUpper();
    if (upper != EditYes->text()) {
        EditYes->setText(upper);  // comes back here once more
        EditYes->setCursorPosition(static_cast<int>(upper.size()));
        return;
    }
    BitBtnOK->setEnabled(upper == kYes && MarkCount >= 0 && !run_);
}

void TfBack::accept() {
    if (!BitBtnOK->isEnabled()) return;
    BitBtnOK->setEnabled(false);
    EditYes->setEnabled(false);
    BtnExit->setEnabled(false);
    RunSteps();
}

void TfBack::reject() {
    if (run_) return;
    TDialogBase::reject();
}

void TfBack::RunSteps() {
    SetLamp(true);
    Timer1->start();
    LabelMes->setText(ToQString(msgProcess_));
    ShellServices().SaveTreeState();
    StopRequested = false;
    SetStopCaption(stopCaption_, kMaroon);
    BitBtnStop->setEnabled(true);
    LetMessagesRun();
    const auto advance = [this] { ProgressBar1->setValue(ProgressBar1->value() + 1); };
    run_ = Mode == kModeUndo ? RunUndo(StopRequested, advance) : RunRedo(StopRequested, advance);
    stepTimer_->start();
}

void TfBack::NextStep() {
    bool more = false;
    try {
        more = run_->Step();
    } catch (const std::exception& error) {
        // The step was rolled back and the run ended at its row.
        MessageDlg(error.what(), TMsgDlgType::mtError, mbOK, this);
    }
    if (more)
        stepTimer_->start();
    else
        RunEnded();
}

void TfBack::RunEnded() {
    Timer1->stop();
    SetLamp(false);
    if (StopRequested || run_->Result() < 0) {
        BitBtnStop->setEnabled(true);
        LabelMes->setText(ToQString(msgStopped_));
    } else {
        LabelMes->setText(QStringLiteral("Executed"));
        BitBtnStop->setEnabled(false);
        Executed = true;
    }
    run_.reset();
    TShellServices& shell = ShellServices();
    const std::string folder = shell.BudgetPath();
    shell.RebuildTree();
    main_.TreeViewMain->setFocus();
    const TObjectIndex& index = shell.Index();
    for (int i = 0; i < index.Count(); ++i) {
        const ObjectInfo& node = index.Node(i).Info;
        if (node.Type == otLog && node.Path == folder) {
            shell.SelectObject(node.ID, folder);
            break;
        }
    }
    TDialogBase::reject();
}

void TfBack::BitBtnStopClick() {
    if (StopRequested) return;
    SetStopCaption(startCaption_, kGreen);
    StopRequested = true;
    LabelMes->setText(ToQString(msgStops_));
    BitBtnStop->setEnabled(false);
}

void TfBack::Timer1Timer() {
    SetLamp(!lampOn_);
}

void TfBack::FormClose() {
    stepTimer_->stop();
    // After a fatal report the program is ending and writes nothing more; the marks left go back
    // when the budget is opened next.
    if (!Executed && !ShellServices().FatalClose()) {
        LabelMes->setText(ToQString(msgCancel_));
        SetLamp(true);
        Timer1->start();
        LetMessagesRun();
        if (Mode == kModeUndo)
            CancelUndoMarks(NTrans);
        else
            CancelRedoMarks(NTrans);
    }
    // The view's data-change event sets its buttons again by the status of its current row.
    RefreshJournalView();
    Timer1->stop();
}

void TfBack::SetLamp(bool on) {
    lampOn_ = on;
    QPalette lamp = PanelLamp->palette();
    lamp.setColor(QPalette::Window, on ? kRed : kMaroon);
    PanelLamp->setPalette(lamp);
}

void TfBack::SetStopCaption(const std::string& caption, const QColor& colour) {
    BitBtnStop->setText(ToQString(caption));
    QPalette palette = BitBtnStop->palette();
    // A disabled button keeps the grey text that shows it disabled.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::ButtonText, colour);
    BitBtnStop->setPalette(palette);
}
