// The algorithm editor: the form, loading an algorithm and building it back, the check and the
// store on OK, the modes, the line mark, and the writing of the text.
#include "algorithms/U_fcalculation.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "algorithms/Formq519calc.h"
#include "algorithms/U_fcopyalg.h"
#include "algorithms/Uq519algtextformat.h"
#include "algorithms/Uq519algtextformat_widgets.h"
#include "platform/Text.h"
#include "shell/DateField.h"
#include "shell/FrameWidgets.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"
#include "tree/U_fchoice.h"

namespace {

constexpr int kHelpTopic = 3000;
constexpr const char* kFile = "Calculation.lng";
constexpr const char* kSection = "Calculation";

// A colour given as blue-green-red.
QColor Bgr(std::uint32_t color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

// Sets a flag for the life of the scope.
class TFlagScope {
public:
    TFlagScope(bool& flag, bool value) : flag_(flag), old_(flag) { flag = value; }
    ~TFlagScope() { flag_ = old_; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

// Redrawing of the widget suspended for the life of the scope, repainted afterwards.
class TRedrawScope {
public:
    explicit TRedrawScope(QWidget& widget) : widget_(widget), old_(widget.updatesEnabled()) {
        widget.setUpdatesEnabled(false);
    }
    ~TRedrawScope() { widget_.setUpdatesEnabled(old_); }
    TRedrawScope(const TRedrawScope&) = delete;
    TRedrawScope& operator=(const TRedrawScope&) = delete;

private:
    QWidget& widget_;
    bool old_;
};

// The token buttons: name, caption, token and spacing.
struct TTokenButton {
    QPushButton* TfCalculation::*Button;
    const char* Name;
    const char* Caption;
    const char* Token;
    TTokenSpacing Spacing;
    int Width;
};

const TTokenButton kTokenButtons[] = {
    {&TfCalculation::BitBtnPlus, "BitBtnPlus", "+", "+", {" ", " "}, 20},
    {&TfCalculation::BitBtnMinus, "BitBtnMinus", "-", "-", {" ", " "}, 20},
    {&TfCalculation::BitBtnPr, "BitBtnPr", "*", "*", {" ", " "}, 20},
    {&TfCalculation::BitBtnDev, "BitBtnDev", "/", "/", {" ", " "}, 20},
    {&TfCalculation::BitBtnLess, "BitBtnLess", "<", "<", {" =>", " =>"}, 20},
    {&TfCalculation::BitBtnMore, "BitBtnMore", ">", ">", {" <=", " <="}, 20},
    {&TfCalculation::BitBtnEqually, "BitBtnEqually", "=", "=", {" <=>", " <=>"}, 20},
    {&TfCalculation::BitBtnLeftBracket, "BitBtnLeftBracket", "(", "(", {" f", nullptr}, 20},
    {&TfCalculation::BitBtnRightBracket, "BitBtnRightBracket", ")", ")", {nullptr, " "}, 20},
    {&TfCalculation::BitBtnColon, "BitBtnColon", ":", ":", {nullptr, " "}, 20},
    {&TfCalculation::BitBtnSpace, "BitBtnSpace", "\u2423", " ", {nullptr, nullptr}, 20},
    {&TfCalculation::BitBtnIf, "BitBtnIf", "if", "if", {" ", nullptr}, 38},
    {&TfCalculation::BitBtnElse, "BitBtnElse", "else", "else", {" ", " "}, 38},
    {&TfCalculation::BitBtnGoto, "BitBtnGoto", "goto", "goto", {" ", " "}, 38},
    {&TfCalculation::BitBtnComment, "BitBtnComment", "//", "//", {" ", nullptr}, 38},
};

}  // namespace

TfCalculation::TfCalculation(TCalculationHost& host, QWidget* parent)
    : TDialogBase("TfCalculation", parent, Qt::Dialog | Qt::WindowMaximizeButtonHint),
      host_(host) {
    setAttribute(Qt::WA_DeleteOnClose);
    // FormCreate: no run under way, 100 variables "0", nothing marked.
    Marker.Stop = true;
    Vars = NewVariables();
    BuildControls();
}

TfCalculation::~TfCalculation() = default;

void TfCalculation::BuildControls() {
    resize(874, 546);
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    Image1 = Named<QLabel>(this, "Image1");
    Image1->setFixedSize(17, 17);
    SetTextKey(*Image1, "");
    LabelValid = Named<QLabel>(this, "LabelValid");
    SetTextKey(*LabelValid, "");
    QFont arialBold(QStringLiteral("Arial"));
    arialBold.setBold(true);
    LabelValid->setFont(arialBold);
    LabelValid->setAlignment(Qt::AlignCenter);
    LabelHeader = Named<QLabel>(this, "LabelHeader");
    SetTextKey(*LabelHeader, "");
    QFont header(QStringLiteral("Arial"), 10);
    header.setBold(true);
    LabelHeader->setFont(header);
    LabelDescript = Named<QLabel>(this, "LabelDescript");
    SetTextKey(*LabelDescript, "");
    StringGridTitle = Named<QTableWidget>(this, "StringGridTitle", 2, 3);
    StringGridTitle->horizontalHeader()->hide();
    StringGridTitle->verticalHeader()->hide();
    StringGridTitle->verticalHeader()->setDefaultSectionSize(15);
    StringGridTitle->setFixedHeight(2 * 15 + 4);
    StringGridTitle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGridTitle->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int row = 0; row < 2; ++row) {
        auto* caption = new QTableWidgetItem;
        caption->setFlags(Qt::ItemIsEnabled);
        caption->setBackground(palette().color(QPalette::Button));
        StringGridTitle->setItem(row, 0, caption);
        StringGridTitle->setItem(row, 1, new QTableWidgetItem);
        StringGridTitle->setItem(row, 2, new QTableWidgetItem);
    }
    StringGridTitle->hide();
    NewHelpButton(kHelpTopic);

    auto* validity = new QVBoxLayout;
    validity->addWidget(Image1, 0, Qt::AlignHCenter);
    validity->addWidget(LabelValid);
    auto* names = new QVBoxLayout;
    names->addWidget(LabelHeader);
    names->addWidget(LabelDescript);
    names->addWidget(StringGridTitle);
    auto* top = new QHBoxLayout;
    top->addLayout(validity);
    top->addLayout(names, 1);
    top->addWidget(ButtonHelp, 0, Qt::AlignTop);

    BuildGrids();

    PanelInData = Named<QFrame>(this, "PanelInData");
    LabelIN = Named<QLabel>(PanelInData, "LabelIN");
    SetTextKey(*LabelIN, "");
    auto* inLayout = new QVBoxLayout(PanelInData);
    inLayout->setContentsMargins(0, 0, 0, 0);
    inLayout->addWidget(LabelIN);
    inLayout->addWidget(StringGridIN, 1);
    PanelVars = Named<QFrame>(this, "PanelVars");
    LabelVars = Named<QLabel>(PanelVars, "LabelVars");
    SetTextKey(*LabelVars, "");
    auto* varsLayout = new QVBoxLayout(PanelVars);
    varsLayout->setContentsMargins(0, 0, 0, 0);
    varsLayout->addWidget(LabelVars);
    varsLayout->addWidget(StringGridVars, 1);
    Splitter1 = Named<QSplitter>(this, "Splitter1", Qt::Horizontal);
    Splitter1->addWidget(PanelInData);
    Splitter1->addWidget(PanelVars);
    Splitter1->setSizes({533, 341});
    connect(Splitter1, &QSplitter::splitterMoved, this, [this] { FitGridColumns(); });

    LabelAlg = Named<QLabel>(this, "LabelAlg");
    SetTextKey(*LabelAlg, "");
    RichEditAlg_ = Named<QTextEdit>(this, "RichEditAlg");
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::Monospace);
    courier.setPixelSize(12);
    RichEditAlg_->setFont(courier);
    RichEditAlg_->setAcceptRichText(false);
    RichEditAlg_->setReadOnly(true);
    RichEditAlg_->setLineWrapMode(QTextEdit::NoWrap);
    RichEditAlg_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditAlg_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditAlg_->setContextMenuPolicy(Qt::CustomContextMenu);
    RichEditAlg_->installEventFilter(this);
    PopupRichEditAlg = new QMenu(this);
    PopupRichEditAlg->setObjectName(QStringLiteral("PopupRichEditAlg"));
    Copy = PopupRichEditAlg->addAction(QStringLiteral("Copy"), this, &TfCalculation::CopyClick);
    Paste =
        PopupRichEditAlg->addAction(QStringLiteral("Paste"), this, &TfCalculation::PasteClick);
    connect(RichEditAlg_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupRichEditAlgPopup();
        PopupRichEditAlg->exec(RichEditAlg_->viewport()->mapToGlobal(at));
    });
    connect(RichEditAlg_->document(), &QTextDocument::contentsChange, this,
            &TfCalculation::RichEditAlgChange);

    auto* upper = new QWidget(this);
    auto* upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->addWidget(Splitter1, 1);
    upperLayout->addWidget(BuildButtonPanel());
    auto* lower = new QWidget(this);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(LabelAlg);
    lowerLayout->addWidget(RichEditAlg_, 1);
    Splitter2 = Named<QSplitter>(this, "Splitter2", Qt::Vertical);
    Splitter2->addWidget(upper);
    Splitter2->addWidget(lower);
    Splitter2->setSizes({230, 200});

    // The result and the trial run.
    LabeResult = Named<QLabel>(this, "LabeResult", QStringLiteral("Result :"));
    LabeChoiceResult = Named<QLabel>(this, "LabeChoiceResult");
    ComboBoxResVar = Named<QComboBox>(this, "ComboBoxResVar");
    for (int n = 1; n <= kVariableCount; ++n)
        ComboBoxResVar->addItem(ToQString(std::string("V") + (n < 10 ? "00" : n < 100 ? "0" : "") +
                                          std::to_string(n)));
    ComboBoxResVar->setMaxVisibleItems(14);
    connect(ComboBoxResVar, &QComboBox::activated, this, [this](int index) {
        VarOfResult = index + 1;
        if (EditMode) EnableOK();
    });
    LabelResultValue = Named<QLabel>(this, "LabelResultValue", QStringLiteral("= 0"));
    SetTextKey(*LabelResultValue, "");
    QFont result(QStringLiteral("Arial"), 10);
    result.setBold(true);
    LabelResultValue->setFont(result);
    LabelTrialCalc = Named<QLabel>(this, "LabelTrialCalc");
    LabelDateCalc = Named<QLabel>(this, "LabelDateCalc");
    DateTimePDateCalc = Named<TDateField>(this, "DateTimePDateCalc");
    // A day picked from the calendar, or a date typed and left: the data are fetched again.
    connect(DateTimePDateCalc->calendarWidget(), &QCalendarWidget::clicked, this,
            &TfCalculation::DateTimePDateCalcCloseUp);
    connect(DateTimePDateCalc, &TDateField::editingFinished, this,
            &TfCalculation::DateTimePDateCalcCloseUp);
    BitBtnStart = Named<QPushButton>(this, "BitBtnStart", QStringLiteral("Start"));
    SetTextKey(*BitBtnStart, "BtnStart");
    BitBtnStartStep = Named<QPushButton>(this, "BitBtnStartStep", QStringLiteral("1 step"));
    SetTextKey(*BitBtnStartStep, "BtnStartStep");
    BitBtnPause = Named<QPushButton>(this, "BitBtnPause", QStringLiteral("Pause"));
    SetTextKey(*BitBtnPause, "BtnPause");
    BitBtnStop = Named<QPushButton>(this, "BitBtnStop", QStringLiteral("Stop"));
    SetTextKey(*BitBtnStop, "BtnStop");
    BitBtnPause->setEnabled(false);
    BitBtnStop->setEnabled(false);
    connect(BitBtnStart, &QPushButton::clicked, this, &TfCalculation::BitBtnStartClick);
    connect(BitBtnStartStep, &QPushButton::clicked, this, &TfCalculation::BitBtnStartStepClick);
    connect(BitBtnPause, &QPushButton::clicked, this, &TfCalculation::BitBtnPauseClick);
    connect(BitBtnStop, &QPushButton::clicked, this, &TfCalculation::BitBtnStopClick);
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TfCalculation::Timer1Timer);

    auto* band = new QHBoxLayout;
    band->addWidget(LabeResult);
    band->addWidget(LabeChoiceResult);
    band->addWidget(ComboBoxResVar);
    band->addWidget(LabelResultValue);
    band->addStretch();
    band->addWidget(LabelTrialCalc);
    band->addWidget(LabelDateCalc);
    band->addWidget(DateTimePDateCalc);
    for (QPushButton* button : {BitBtnStart, BitBtnStartStep, BitBtnPause, BitBtnStop})
        band->addWidget(button);

    // The bottom row: Edit, OK, Cancel, Sample, Clear.
    QHBoxLayout* footer = NewFooter(TFooter::OK);
    SetTextKey(*BitBtnOK, "BtnApply");
    disconnect(BitBtnOK, nullptr, this, nullptr);
    connect(BitBtnOK, &QPushButton::clicked, this, &TfCalculation::BitBtnOKClick);
    BitBtnEdit = Named<QPushButton>(this, "BitBtnEdit", QStringLiteral("Edit"));
    SetTextKey(*BitBtnEdit, "BtnEdit");
    BitBtnCancel = Named<QPushButton>(this, "BitBtnCancel", QStringLiteral("Cancel"));
    SetTextKey(*BitBtnCancel, "BtnCancel");
    BitBtnSample = Named<QPushButton>(this, "BitBtnSample", QStringLiteral("Sample"));
    SetTextKey(*BitBtnSample, "BtnSample");
    BitBtnClear = Named<QPushButton>(this, "BitBtnClear", QStringLiteral("Clear"));
    SetTextKey(*BitBtnClear, "BtnClear");
    footer->insertWidget(footer->indexOf(BitBtnOK), BitBtnEdit);
    for (QPushButton* button : {BitBtnCancel, BitBtnSample, BitBtnClear})
        footer->addWidget(button);
    for (QPushButton* button : {BitBtnOK, BitBtnCancel, BitBtnSample, BitBtnClear})
        button->setEnabled(false);
    // Enter belongs to the text and the grids: no button of the editor is a default button.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(BitBtnEdit, &QPushButton::clicked, this, &TfCalculation::BitBtnEditClick);
    connect(BitBtnCancel, &QPushButton::clicked, this, &TfCalculation::BitBtnCancelClick);
    connect(BitBtnSample, &QPushButton::clicked, this, &TfCalculation::BitBtnSampleClick);
    connect(BitBtnClear, &QPushButton::clicked, this, &TfCalculation::BitBtnClearClick);

    // F8 and F9 act as their buttons, and only while these are enabled.
    const auto key = [this](Qt::Key k, QPushButton* button) {
        auto* shortcut = new QShortcut(QKeySequence(k), this);
        connect(shortcut, &QShortcut::activated, this, [button] {
            if (button->isEnabled()) button->click();
        });
    };
    key(Qt::Key_F8, BitBtnStartStep);
    key(Qt::Key_F9, BitBtnStart);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Splitter2, 1);
    layout->addLayout(band);
    layout->addLayout(footer);
}

QWidget* TfCalculation::BuildButtonPanel() {
    PanelButtons = Named<QFrame>(this, "PanelButtons");
    auto* row = new QHBoxLayout(PanelButtons);
    row->setContentsMargins(0, 2, 0, 2);
    row->setSpacing(1);
    QFont bold = font();
    bold.setBold(true);
    for (const TTokenButton& token : kTokenButtons) {
        QPushButton* button = Named<QPushButton>(PanelButtons, token.Name, QString::fromUtf8(token.Caption));
        SetTextKey(*button, "");
        button->setFont(bold);
        button->setFixedSize(token.Width, 20);
        button->setFocusPolicy(Qt::NoFocus);
        this->*token.Button = button;
        connect(button, &QPushButton::clicked, this,
                [this, token = &token] { TypeToken(token->Token, token->Spacing); });
        row->addWidget(button);
    }
    SetHintKey(*BitBtnSpace, "BtnSpaceHint");
    SetHintKey(*BitBtnComment, "BtnCommentHint");
    BitBtnCalc = Named<QPushButton>(PanelButtons, "BitBtnCalc", QStringLiteral("="));
    SetTextKey(*BitBtnCalc, "");
    SetHintKey(*BitBtnCalc, "BtnCalcHint");
    BitBtnCalc->setFixedSize(20, 20);
    BitBtnCalc->setIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
    BitBtnCalc->setText({});
    BitBtnCalc->setFocusPolicy(Qt::NoFocus);
    connect(BitBtnCalc, &QPushButton::clicked, this, &TfCalculation::BitBtnCalcClick);
    row->addWidget(BitBtnCalc);
    row->addSpacing(8);
    const auto edit = [&](const char* name, const char* caption, int width, const char* hint) {
        QPushButton* button = Named<QPushButton>(PanelButtons, name, QString::fromUtf8(caption));
        SetTextKey(*button, "");
        button->setFixedSize(width, 20);
        button->setToolTip(QString::fromLatin1(hint));
        button->setFocusPolicy(Qt::NoFocus);
        row->addWidget(button);
        return button;
    };
    BitBtnBackspace = edit("BitBtnBackspace", "\u2190", 36, "Backspace");
    BitBtnEnter = edit("BitBtnEnter", "\u21B5", 44, "Enter");
    BitBtnDel = edit("BitBtnDel", "Del", 36, "Delete");
    connect(BitBtnBackspace, &QPushButton::clicked, this, &TfCalculation::BitBtnBackspaceClick);
    connect(BitBtnEnter, &QPushButton::clicked, this, &TfCalculation::BitBtnEnterClick);
    connect(BitBtnDel, &QPushButton::clicked, this, &TfCalculation::BitBtnDelClick);
    row->addStretch();
    SetTokenButtonsEnabled(false);
    return PanelButtons;
}

void TfCalculation::SetTokenButtonsEnabled(bool enabled) {
    for (QPushButton* button : PanelButtons->findChildren<QPushButton*>())
        button->setEnabled(enabled);
}

void TfCalculation::FormShow() {
    if (fMain != nullptr) ImageLogo->setPixmap(QPixmap::fromImage(fMain->LogoBitmap));
    const TLangFile texts = ReadTexts(kFile, kSection);
    const auto read = [&](const char* key) { return texts.Read(kSection, key, ""); };
    labelINView_ = read("LabelINView");
    labelINEdit_ = read("LabelINEdit");
    labelVarView_ = read("LabelVARView");
    labelVarEdit_ = read("LabelVAREdit");
    labelAlgView_ = read("LabelAlgView");
    labelAlgEdit_ = read("LabelAlgEdit");
    varInsHint1_ = read("BtnVarInsHintPart1");
    varInsHint2_ = read("BtnVarInsHintPart2");
    inInsHint1_ = read("BtnInInsHintPart1");
    inEditHint_ = read("BtnInEditHint");
    inDelHint_ = read("BtnInDelHint");
    StringGridTitle->item(0, 0)->setText(ToQString(read("TitleName")));
    StringGridTitle->item(1, 0)->setText(ToQString(read("TitleDescr")));
    StringGridIN->setHorizontalHeaderLabels(
        {ToQString(" " + read("ColName")), ToQString(" " + read("ColValue")), {}, {}, {},
         ToQString(" " + read("ColObjSource")), ToQString(" " + read("ColPartSource"))});
    StringGridVars->setHorizontalHeaderLabels(
        {ToQString(" " + read("ColName")), {}, ToQString(" " + read("ColDescr"))});
    // The name columns show their title and the names I100 and V100 whole.
    for (QTableWidget* grid : {StringGridIN, StringGridVars})
        WidenColumnToTexts(*grid, 0, grid->columnWidth(0));
    Copy->setText(ToQString(read("PopupCopy")));
    Paste->setText(ToQString(read("PopupPaste")));
    setWindowTitle(LabelHeader->text());
    for (int n = 1; n <= kVariableCount; ++n) {
        const std::string in = InData(n).Name;
        const std::string var = ToStdString(StringGridVars->item(n - 1, 0)->text().trimmed());
        InsertIn[n - 1]->setToolTip(ToQString(inInsHint1_ + " '" + in + "' " + varInsHint2_));
        EditIn[n - 1]->setToolTip(ToQString(inEditHint_ + " '" + in + "' "));
        DelIn[n - 1]->setToolTip(ToQString(inDelHint_ + " '" + in + "' "));
        InsertVar[n - 1]->setToolTip(ToQString(varInsHint1_ + " " + var + " " + varInsHint2_));
    }

    ShowAlgorithm(*Algorithm);
    EnterViewMode();
    ColorAllLines();
    // Loading and colouring are no edits the user could undo.
    RichEditAlg_->document()->clearUndoRedoStacks();
    LastTextLength = RichEditAlg_->document()->characterCount() - 1;
    PasteLength = 0;
    ChangeTracking = true;
    shown_ = true;
    StringGridTitle->setColumnWidth(2, 0);
}

void TfCalculation::FormClose() {
    // A run going on ends after its current line.
    Marker.Stop = true;
    Timer1->stop();
    if (!Errors.isNull()) Errors->close();
}

void TfCalculation::ShowAlgorithm(const Algorithm01& a) {
    DateTimePDateCalc->setDate(ToQDate(DateCalc));
    fetchedDate_ = DateCalc;
    AlgID = a.ID;
    AlgValid = a.Valid;
    AlgIDParent = a.IDParent;
    AlgName = a.Name;
    AlgDescript = a.Descript;
    LabelHeader->setText(ToQString(AlgName));
    LabelDescript->setText(ToQString(AlgDescript));
    if (!a.INDataList.empty()) {
        for (const ExtData& datum : a.INDataList)
            if (datum.N >= 1 && datum.N <= kVariableCount) SetInDataRow(datum.N, datum);
        FetchTrialInputs(FromQDate(DateTimePDateCalc->date()));
    }
    for (const VarDescr& var : a.VarDescrList)
        if (var.NVar >= 1 && var.NVar <= kVariableCount)
            StringGridVars->item(var.NVar - 1, 2)->setText(ToQString(var.Descript));
    {
        const TFlagScope quiet(ChangeTracking, false);
        RichEditAlg_->setPlainText(ToQString(EditorAlgorithmText(a.Text)));
    }
    ClearVarValues(0);
    ShowInDataValues(0);
    VarOfResult = ValidVarOfResult(a.VarOfResult);
    ComboBoxResVar->setCurrentIndex(VarOfResult - 1);
    ShowValidity();
}

Algorithm01 TfCalculation::BuildAlgorithm() {
    Algorithm01 a;
    a.ID = AlgID;
    a.Valid = AlgValid;
    a.IDParent = AlgIDParent;
    a.Name = ToStdString(StringGridTitle->item(0, 1)->text());
    a.Descript = ToStdString(StringGridTitle->item(1, 1)->text());
    for (int n = 1; n <= kVariableCount; ++n)
        if (InData(n).IDObject != -1) a.INDataList.push_back(InData(n));
    for (int n = 1; n <= kVariableCount; ++n) {
        const std::string text = ToStdString(StringGridVars->item(n - 1, 2)->text());
        if (!text.empty()) a.VarDescrList.push_back(VarDescr{n, text});
    }
    a.Text = StoredAlgorithmText(ToStdString(RichEditAlg_->toPlainText()));
    a.VarOfResult = VarOfResult;
    return a;
}

void TfCalculation::ShowErrors(const TErrorList01& list, bool modal) {
    if (!Errors.isNull()) Errors->close();
    Errors = new TfErrors(*this, this);
    Errors->ErrorList = list;
    const QRect frame = frameGeometry();
    const int top = frame.top() + PanelVars->mapTo(this, QPoint(0, 0)).y() + 20;
    Errors->move(frame.left() + frame.width() - Errors->width() - 20, top);
    if (modal)
        Errors->ExecModal();
    else
        Errors->show();
}

bool TfCalculation::CheckAndStore() {
    {
        const TBusyMessage busy(TBusyKind::Prepare);
        ClearVarValues(0);
        ShowInDataValues(0);
        WorkAlgorithm = BuildAlgorithm();
        Program = PrepareAlgorithm(WorkAlgorithm.Text, WorkAlgorithm.INDataList);
        CheckErrors = Program.Errors;
    }
    AlgValid = CheckErrors.empty();
    if (!AlgValid) ShowErrors(CheckErrors, true);
    ShowValidity();
    if (!AlgValid) {
        // Cancel goes back to the editor; No closes it without storing.
        const int answer = MessageDlg(Question("QuestionStrInvalid", "Calculation is invalid !!!"),
                                      TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, this);
        if (answer != mrYes) return answer == mrNo;
    }
    *Algorithm = BuildAlgorithm();
    if (Stored != nullptr) *Stored = true;
    return true;
}

std::string TfCalculation::Question(const char* key, const char* fallback) const {
    const TLangFile texts(ShellServices().LangPath() + kFile);
    return ReplaceAllText(texts.Read(kSection, key, fallback), "\\n", "\n");
}

void TfCalculation::BitBtnOKClick() {
    if (MessageDlg(Question("QuestionStrOK", "You really want to save changes ?"),
                   TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, this) != mrYes)
        return;
    if (CheckAndStore()) done(Accepted);
}

void TfCalculation::BitBtnCancelClick() {
    if (BitBtnOK->isEnabled() &&
        MessageDlg(Question("QuestionStrCancel", "You really want to save changes ?"),
                   TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, this) != mrYes)
        return;
    done(Rejected);
}

void TfCalculation::BitBtnEditClick() {
    EnterEditMode();
}

void TfCalculation::BitBtnClearClick() {
    if (MessageDlg(Question("QuestionStrClear", "You really want to clear all given calculations ?"),
                   TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, this) == mrYes)
        ClearAll();
}

void TfCalculation::BitBtnSampleClick() {
    (new TfCopyAlg(*this))->ExecModal();
}

void TfCalculation::ClearAll() {
    for (int n = 1; n <= kVariableCount; ++n) {
        ExtData& d = InData(n);
        d.IDObject = -1;
        d.DataStr = "0";
        for (const int column : {1, 5, 6}) StringGridIN->item(n - 1, column)->setText({});
        StringGridVars->item(n - 1, 2)->setText({});
    }
    ShowRowButtons();
    RichEditAlg_->clear();
    VarOfResult = 1;
    ComboBoxResVar->setCurrentIndex(0);
    AlgValid = true;
    ShowValidity();
    BitBtnOK->setEnabled(true);
}

void TfCalculation::EnterEditMode() {
    EditMode = true;
    BitBtnEdit->setEnabled(false);
    BitBtnOK->setEnabled(false);
    for (QPushButton* button : {BitBtnCancel, BitBtnSample, BitBtnClear}) button->setEnabled(true);
    LabelIN->setText(ToQString(labelINEdit_));
    LabelVars->setText(ToQString(labelVarEdit_));
    LabelAlg->setText(ToQString(labelAlgEdit_));
    LabeChoiceResult->show();
    ComboBoxResVar->setEnabled(true);
    StringGridVars->setEditTriggers(QAbstractItemView::DoubleClicked |
                                    QAbstractItemView::EditKeyPressed |
                                    QAbstractItemView::AnyKeyPressed);
    RichEditAlg_->setReadOnly(!Marker.Stop);
    StringGridTitle->item(0, 1)->setText(LabelHeader->text());
    StringGridTitle->item(1, 1)->setText(LabelDescript->text());
    // The title grid takes the place of the name and description.
    LabelHeader->hide();
    LabelDescript->hide();
    StringGridTitle->show();
    StringGridTitle->setCurrentCell(0, 2);
    StringGridTitle->setColumnWidth(0, 90);
    StringGridTitle->setColumnWidth(1, StringGridTitle->viewport()->width() - 90 - 2);
    SetTokenButtonsEnabled(true);
    ShowRowButtons();
}

void TfCalculation::EnterViewMode() {
    EditMode = false;
    BitBtnEdit->setEnabled(true);
    for (QPushButton* button : {BitBtnOK, BitBtnCancel, BitBtnSample, BitBtnClear})
        button->setEnabled(false);
    LabelIN->setText(ToQString(labelINView_));
    LabelVars->setText(ToQString(labelVarView_));
    LabelAlg->setText(ToQString(labelAlgView_));
    LabeChoiceResult->hide();
    ComboBoxResVar->setEnabled(false);
    StringGridVars->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RichEditAlg_->setReadOnly(true);
    StringGridTitle->hide();
    LabelHeader->show();
    LabelDescript->show();
    SetTokenButtonsEnabled(false);
    ShowRowButtons();
}

void TfCalculation::ShowValidity() {
    const TLangFile texts(ShellServices().LangPath() + kFile);
    LabelValid->setText(AlgValid ? QStringLiteral("valid") : QStringLiteral("invalid"));
    LabelValid->setStyleSheet(QStringLiteral("color: %1").arg(
        Bgr(AlgValid ? 0x008000 : 0x0000FF).name()));
    const std::string picture = AlgValid ? "formula02.ico" : "formula02inv.ico";
    Image1->setPixmap(QIcon(ToQString(ShellServices().State().DataPath + picture)).pixmap(17, 17));
}

void TfCalculation::resizeEvent(QResizeEvent* event) {
    TDialogBase::resizeEvent(event);
    if (!StringGridTitle->isHidden())
        StringGridTitle->setColumnWidth(1, StringGridTitle->viewport()->width() - 90 - 2);
    FitGridColumns();
}

void TfCalculation::FitGridColumns() {
    // The description and source columns stretch by themselves (their header's resize mode);
    // the texts are shortened again to their new widths.
    const TRedrawScope in(*StringGridIN);
    for (int n = 1; n <= kVariableCount; ++n)
        if (InData(n).IDObject != -1) ShowSource(n);
}

// --- The line mark ------------------------------------------------------------------------

std::pair<int, int> TfCalculation::LineSpan(int n) const {
    const QTextBlock block = RichEditAlg_->document()->findBlockByNumber(n - 1);
    if (n < 1 || !block.isValid()) return {-1, 0};
    return {block.position(), block.length() - 1};
}

// The mark is an extra selection of the edit: it lies over the text without being part of it,
// so it is no change of the text and no step of its undo history.
void TfCalculation::SetLineBackColor(std::uint32_t color, int start, int length) {
    if (start < 0 || length == 0) return;
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(RichEditAlg_->document());
    mark.cursor.setPosition(start);
    mark.cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    mark.format.setBackground(Bgr(color));
    RichEditAlg_->setExtraSelections({mark});
}

void TfCalculation::ResetLineBackColor(int start, int length) {
    if (start < 0 || length == 0) return;
    RichEditAlg_->setExtraSelections({});
}

void TfCalculation::MarkLine(int line, std::uint32_t color) {
    const auto [start, length] = LineSpan(line);
    SetLineBackColor(color, start, length);
    MarkedLine = line;
}

void TfCalculation::ClearLineMark() {
    if (MarkedLine == -1) return;
    const auto [start, length] = LineSpan(MarkedLine);
    ResetLineBackColor(start, length);
    MarkedLine = -1;
}

// --- Text entry ----------------------------------------------------------------------------

void TfCalculation::EnableOK() {
    if (EditMode) BitBtnOK->setEnabled(true);
}

void TfCalculation::RichEditAlgChange() {
    if (formatting_ || !shown_) return;
    const int length = RichEditAlg_->document()->characterCount() - 1;
    if (MarkedLine != -1) ClearLineMark();
    if (ChangeTracking) {
        const TFlagScope quiet(ChangeTracking, false);
        const TRedrawScope redraw(*RichEditAlg_->viewport());
        int d = length - LastTextLength;
        if (d < PasteLength) d = PasteLength;
        // The colouring joins the edit that changed the text: one undo takes back both.
        QTextCursor join(RichEditAlg_->document());
        join.joinPreviousEditBlock();
        if (d < 3) {
            // The caret stays: the key's edit block is not finished, and a moved caret would
            // scroll the view to a place not laid out yet.
            const TFlagScope format(formatting_, true);
            const int caret = RichEditAlg_->textCursor().selectionStart();
            FormatLine(*RichEditAlg_->document(), RichEditAlg_->document()->findBlock(caret));
        } else {
            const int caret = RichEditAlg_->textCursor().position();
            ColorLines(caret - d - 3, caret);
        }
        join.endEditBlock();
    }
    PasteLength = 0;
    LastTextLength = length;
    EnableOK();
}

void TfCalculation::ColorLines(int from, int to) {
    QTextDocument& document = *RichEditAlg_->document();
    if (document.characterCount() - 1 < 2) return;
    const TFlagScope quiet(ChangeTracking, false);
    const TFlagScope format(formatting_, true);
    const TRedrawScope redraw(*RichEditAlg_->viewport());
    // One edit block: the document lays itself out once, at its end. The caret is not moved:
    // inside an unfinished block its place is not laid out yet, and the view would jump.
    QTextCursor edits(&document);
    edits.beginEditBlock();
    QTextBlock block = document.findBlock(std::max(0, from));
    const QTextBlock last = document.findBlock(std::max(0, to));
    for (; block.isValid(); block = block.next()) {
        FormatLine(document, block);
        if (block == last) break;
    }
    edits.endEditBlock();
}

void TfCalculation::ColorAllLines() {
    ColorLines(0, RichEditAlg_->document()->characterCount());
}

void TfCalculation::TypeText(const std::string& t) {
    const TFlagScope quiet(ChangeTracking, false);
    const TRedrawScope redraw(*RichEditAlg_->viewport());
    QTextCursor caret = RichEditAlg_->textCursor();
    // The text and its colouring are one undo step.
    caret.beginEditBlock();
    caret.insertText(ToQString(t));
    {
        const TFlagScope format(formatting_, true);
        FormatLine(*RichEditAlg_->document(), caret.block());
    }
    caret.endEditBlock();
    // Only now, with the block laid out, may the view follow the caret.
    RichEditAlg_->setTextCursor(caret);
}

void TfCalculation::CaretNeighbours(int& charsBefore, char32_t& before, char32_t& after) const {
    const QTextCursor caret = RichEditAlg_->textCursor();
    const QTextDocument& document = *RichEditAlg_->document();
    const int start = caret.selectionStart();
    const int end = caret.selectionEnd();
    const int length = document.characterCount() - 1;
    charsBefore = start;
    const auto at = [&](int position) -> char32_t {
        const QChar c = document.characterAt(position);
        // Block separators are line breaks.
        return c == QChar::ParagraphSeparator ? U'\n' : c.unicode();
    };
    before = start > 0 ? at(start - 1) : 0;
    // The shown text ends with a line break: before it stands the end of the text, where no
    // blank is put; any other line break is a character after the caret like the others.
    after = end < length - 1 || (end == length - 1 && at(end) != U'\n') ? at(end) : 0;
}

void TfCalculation::TypeToken(const std::string& token, const TTokenSpacing& spacing) {
    int charsBefore = 0;
    char32_t before = 0, after = 0;
    CaretNeighbours(charsBefore, before, after);
    TypeText(SpacedToken(token, spacing, charsBefore, before, after));
    RichEditAlg_->setFocus();
}

void TfCalculation::BitBtnCalcClick() {
    const QPoint at = BitBtnCalc->mapToGlobal(QPoint(BitBtnCalc->width() + 7, 0));
    const std::string result = ShowCalculator("", at.x(), at.y());
    if (!result.empty()) TypeToken(result, kOperandSpacing);
}

void TfCalculation::PressKey(int key) {
    RichEditAlg_->setFocus();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(RichEditAlg_, &press);
    QApplication::sendEvent(RichEditAlg_, &release);
}

void TfCalculation::BitBtnBackspaceClick() {
    PressKey(Qt::Key_Backspace);
}

void TfCalculation::BitBtnDelClick() {
    PressKey(Qt::Key_Delete);
}

void TfCalculation::ColorSplitLine() {
    const TFlagScope quiet(ChangeTracking, false);
    const TFlagScope format(formatting_, true);
    const TRedrawScope redraw(*RichEditAlg_->viewport());
    const int p = RichEditAlg_->textCursor().position();
    if (p == 0) return;
    // The caret stays: moving it inside the key's unfinished edit block scrolls the view.
    FormatLine(*RichEditAlg_->document(), RichEditAlg_->document()->findBlock(p - 1));
}

void TfCalculation::BitBtnEnterClick() {
    // The new line, then the line that was split.
    TypeText("\n");
    ColorSplitLine();
    RichEditAlg_->setFocus();
}

bool TfCalculation::eventFilter(QObject* watched, QEvent* event) {
    if (watched == RichEditAlg_) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->matches(QKeySequence::Paste) ||
                (key->key() == Qt::Key_Insert && key->modifiers() == Qt::ShiftModifier))
                PasteLength =
                    static_cast<int>(QApplication::clipboard()->text().remove(u'\r').size());
            if (!key->matches(QKeySequence::Undo) && !key->matches(QKeySequence::Redo)) {
                // The key's change is one edit block, which the colouring of the change handler
                // joins: one undo takes back the character and its colouring.
                // The edit scrolls to its caret inside the unfinished block, where the new
                // lines are not laid out yet: the view is put back and follows the caret once
                // the block is done.
                QScrollBar* vertical = RichEditAlg_->verticalScrollBar();
                QScrollBar* horizontal = RichEditAlg_->horizontalScrollBar();
                const int top = vertical->value();
                const int left = horizontal->value();
                QTextCursor block(RichEditAlg_->document());
                block.beginEditBlock();
                static_cast<QObject*>(RichEditAlg_)->event(event);
                // The line that was split; the new line was coloured by the change handler.
                if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                    ChangeTracking)
                    ColorSplitLine();
                block.endEditBlock();
                vertical->setValue(top);
                horizontal->setValue(left);
                RichEditAlg_->ensureCursorVisible();
                return true;
            }
        }
    }
    return TDialogBase::eventFilter(watched, event);
}

void TfCalculation::PopupRichEditAlgPopup() {
    Paste->setEnabled(EditMode && !RichEditAlg_->isReadOnly());
    Copy->setEnabled(true);
}

void TfCalculation::CopyClick() {
    RichEditAlg_->copy();
}

void TfCalculation::PasteClick() {
    PasteLength = static_cast<int>(QApplication::clipboard()->text().remove(u'\r').size());
    RichEditAlg_->paste();
}

void TfCalculation::keyPressEvent(QKeyEvent* event) {
    // Esc asks as Cancel does.
    if (event->key() == Qt::Key_Escape) {
        if (BitBtnCancel->isEnabled())
            BitBtnCancelClick();
        else
            done(Rejected);
        return;
    }
    TDialogBase::keyPressEvent(event);
}

// --- The entry point -------------------------------------------------------------------------

namespace {

// The program's tree chooser in its data-source mode.
class TChooserHost : public TCalculationHost {
public:
    void ChooseSource(ExtData& datum, int idExcluded) override {
        if (fMain == nullptr) return;
        TfChoice& choice = *fMain->fChoice;
        choice.Mode = TfChoice::kModeDataSource;
        choice.IDExcluded = idExcluded;
        choice.Source = &datum;
        choice.ExecModal();
        choice.Source = nullptr;
    }
};

}  // namespace

bool EditAlgorithm(QWidget* parent, Algorithm01& algorithm, TDateTime date) {
    static TChooserHost chooser;
    bool stored = false;
    auto* editor = new TfCalculation(chooser, parent);
    editor->Algorithm = &algorithm;
    editor->DateCalc = date;
    editor->EditMode = false;
    editor->Stored = &stored;
    editor->ExecModal();
    return stored;
}
