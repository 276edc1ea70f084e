// The auto-charge list dialog: a pay's automatic charges in a grid, changed in memory in an edit
// mode and applied as one journal transaction.
#include "pays/U_fautocharges.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "pays/U_fautochargechange.h"
#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/FrameWidgets.h"
#include "shell/MessageDlg.h"
#include "shell/ObjectIndex.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage_widgets.h"

namespace {

constexpr int kHelpTopic = 2510;
const char kFile[] = "AutoCharges.lng";
const char kSection[] = "AutoCharges";
constexpr int kViewLeft = 3;   // the grid's left edge in view mode
constexpr int kEditLeft = 32;  // in edit mode, uncovering the row buttons
constexpr int kRowHeight = 19;
const int kColumnWidths[7] = {29, 278, 71, 83, 86, 79, 281};
constexpr int kValueColumn = 5;
const char* const kHeaderKeys[7] = {"", "FieldName", "FieldActivity", "FieldDateBegin",
                                    "FieldDateEnd", "FieldValue", "FieldSchedule"};

}  // namespace

TfAutoCharges::TfAutoCharges(QWidget* parent) : TDialogBase("TfAutoCharges", parent, Qt::Tool) {
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();
}

void TfAutoCharges::BuildControls() {
    resize(828, 442);
    setSizeGripEnabled(true);
    QLabel* header = NewHeaderLabel(this);
    LabelFor = Named<QLabel>(this, "LabelFor");
    SetTextKey(*LabelFor, "");
    NewHelpButton(kHelpTopic);

    PanelGrid = Named<QWidget>(this, "PanelGrid");
    BitBtnEditRow = Named<QPushButton>(PanelGrid, "BitBtnEditRow");
    BitBtnDelRow = Named<QPushButton>(PanelGrid, "BitBtnDelRow");
    SetHintKey(*BitBtnEditRow, "EditRowH");
    SetHintKey(*BitBtnDelRow, "DelRowH");
    const QStyle::StandardPixmap pictures[] = {QStyle::SP_FileDialogDetailedView,
                                               QStyle::SP_DialogDiscardButton};
    int at = 0;
    for (QPushButton* button : {BitBtnEditRow, BitBtnDelRow}) {
        SetTextKey(*button, "");
        button->setIcon(style()->standardIcon(pictures[at++]));
        button->setIconSize(QSize(8, 8));
        button->setFixedSize(24, 9);
        button->setFocusPolicy(Qt::NoFocus);
        button->hide();
    }
    StringGridItems = Named<QTableWidget>(PanelGrid, "StringGridItems", 1, 7);
    StringGridItems->verticalHeader()->hide();
    StringGridItems->verticalHeader()->setDefaultSectionSize(kRowHeight);
    StringGridItems->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGridItems->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGridItems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridItems->setContextMenuPolicy(Qt::CustomContextMenu);
    for (int column = 0; column < 7; ++column)
        StringGridItems->setColumnWidth(column, kColumnWidths[column]);
    StringGridItems->raise();

    RichEditDetail = Named<QTextEdit>(this, "RichEditDetail");
    RichEditDetail->setReadOnly(true);
    RichEditDetail->setFixedHeight(96);
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setReadOnly(true);
    MemoDescript->setStyleSheet(QStringLiteral("background: palette(button); color: #505050"));
    MemoDescript->setFixedWidth(150);

    BitBtnEdit = Named<QPushButton>(this, "BitBtnEdit", QStringLiteral("Edit"));
    BitBtnApply = Named<QPushButton>(this, "BitBtnApply", QStringLiteral("Apply"));
    BitBtnCansel = Named<QPushButton>(this, "BitBtnCansel", QStringLiteral("Cansel"));
    BtnExit = Named<QPushButton>(this, "BtnExit", QStringLiteral("Exit"));
    BitBtnAdd = Named<QPushButton>(this, "BitBtnAdd", QStringLiteral("Add"));
    BitBtnClear = Named<QPushButton>(this, "BitBtnClear", QStringLiteral("Clear"));
    SetTextKey(*BitBtnEdit, "BtnEdit");
    SetTextKey(*BitBtnApply, "BtnApply");
    SetTextKey(*BitBtnCansel, "BtnCansel");
    SetTextKey(*BitBtnAdd, "BtnAdd");
    SetTextKey(*BitBtnClear, "BtnClear");
    ImageLogo = Named<QLabel>(this, "ImageLogo");
    SetTextKey(*ImageLogo, "");

    PMenuCharges = new QMenu(this);
    PMenuCharges->setObjectName(QStringLiteral("PMenuCharges"));
    AddCharge = PMenuCharges->addAction(QString());
    EditCharge = PMenuCharges->addAction(QString());
    DelCharge = PMenuCharges->addAction(QString());
    Timer1 = new QTimer(this);
    PanelGrid->installEventFilter(this);

    auto* grid = new QVBoxLayout;
    grid->addWidget(PanelGrid, 1);
    grid->addWidget(RichEditDetail);
    auto* body = new QHBoxLayout;
    body->addLayout(grid, 1);
    body->addWidget(MemoDescript);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button :
         {BitBtnEdit, BitBtnApply, BitBtnCansel, BtnExit, BitBtnAdd, BitBtnClear})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(ImageLogo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(NewHeaderRow(*header, *ButtonHelp));
    layout->addWidget(LabelFor);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    for (QPushButton* button : {BitBtnApply, BitBtnCansel, BitBtnAdd, BitBtnClear})
        button->setEnabled(false);
    connect(BitBtnEdit, &QPushButton::clicked, this, &TfAutoCharges::BitBtnEditClick);
    connect(BitBtnApply, &QPushButton::clicked, this, &TfAutoCharges::BitBtnApplyClick);
    connect(BitBtnCansel, &QPushButton::clicked, this, &TfAutoCharges::BitBtnCanselClick);
    connect(BtnExit, &QPushButton::clicked, this, &TfAutoCharges::BtnExitClick);
    connect(BitBtnAdd, &QPushButton::clicked, this, &TfAutoCharges::BitBtnAddClick);
    connect(BitBtnClear, &QPushButton::clicked, this, &TfAutoCharges::BitBtnClearClick);
    connect(BitBtnEditRow, &QPushButton::clicked, this, &TfAutoCharges::BitBtnEditRowClick);
    connect(BitBtnDelRow, &QPushButton::clicked, this, &TfAutoCharges::BitBtnDelRowClick);
    connect(AddCharge, &QAction::triggered, BitBtnAdd, &QPushButton::click);
    connect(EditCharge, &QAction::triggered, BitBtnEditRow, &QPushButton::click);
    connect(DelCharge, &QAction::triggered, BitBtnDelRow, &QPushButton::click);
    connect(StringGridItems, &QTableWidget::cellClicked, this,
            &TfAutoCharges::StringGridItemsClick);
    connect(StringGridItems, &QTableWidget::currentCellChanged, this, [this] {
        if (EditMode) PlaceRowButtons(Row());
        StringGridItemsClick();
    });
    connect(StringGridItems->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (EditMode) PlaceRowButtons(Row());
    });
    connect(StringGridItems, &QTableWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                PMenuChargesPopup();
                PMenuCharges->popup(StringGridItems->viewport()->mapToGlobal(at));
            });
    connect(Timer1, &QTimer::timeout, this, &TfAutoCharges::Timer1Timer);
}

void TfAutoCharges::FormShow() {
    const TLangFile texts = ReadTexts(kFile, kSection);
    texts_ = ShellServices().LangPath() + kFile;
    const auto text = [&](const char* key) { return texts.Read(kSection, key, ""); };
    StrErrorCalc = text("StrErrorCalc");
    StrActive = text("StrActive");
    StrPassive = text("StrPassive");
    StrTimeUnlimited = text("StrTimeUnlimited");
    StrDescript = text("StrDescript");
    StrAlgorithm = text("StrAlgorithm");
    StrTimeTable = text("StrTimeTable");
    QStringList titles;
    for (int column = 0; column < 7; ++column) {
        header_[column] = column == 0 ? QString() : ToQString(text(kHeaderKeys[column]));
        titles << header_[column];
    }
    StringGridItems->setHorizontalHeaderLabels(titles);
    AddCharge->setText(ToQString(text("PMenu0")));
    EditCharge->setText(ToQString(text("PMenu1")));
    DelCharge->setText(ToQString(text("PMenu2")));
    const TShellServices& shell = ShellServices();
    LabelFor->setText(ToQString(text("LabelFor") + " '" +
                                shell.Index().GetObjectName(IDPay, shell.BudgetPath()) + "'"));
    LoadDescription(shell.LangPath() + "AutoChargesTxt01.lng", *MemoDescript);

    PlaceGrid(kViewLeft);
    LoadCharges(IDPay);
    ShowCharges();
    FirstChangedDate = Today() + 1;
    SetRow(1);
    StringGridItemsClick();
}

int TfAutoCharges::Row() const {
    return StringGridItems->currentRow() + 1;
}

void TfAutoCharges::SetRow(int row) {
    StringGridItems->setCurrentCell(std::clamp(row, 1, StringGridItems->rowCount()) - 1, 1);
}

int TfAutoCharges::GridLeft() const {
    return StringGridItems->x();
}

int TfAutoCharges::LoadCharges(int idPay) {
    const int loaded = ::LoadCharges(idPay, Charges);
    if (loaded < 0) return -1;
    LoadedCount = loaded;
    return 0;
}

void TfAutoCharges::ClearGrid() {
    RowKinds.clear();
    StringGridItems->setRowCount(1);
    for (int column = 0; column < 7; ++column)
        StringGridItems->setItem(0, column, new QTableWidgetItem);
    RichEditDetail->clear();
}

void TfAutoCharges::ShowCharges() {
    SortCharges(Charges);
    ClearGrid();
    const std::string data = ShellServices().State().DataPath;
    const QIcon valid(ToQString(data + "formula01.bmp"));
    const QIcon invalid(ToQString(data + "formula01inv.bmp"));
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    StringGridItems->setRowCount(std::max(1, ShownCount(Charges)));
    int row = 0;
    for (const AutoChargeInfo& charge : Charges) {
        if (!charge.IsShown()) continue;
        QString cells[7];
        cells[0] = QString::number(row + 1);
        cells[1] = ToQString(charge.Name);
        cells[2] = ToQString(charge.Active ? StrActive : StrPassive);
        cells[3] = ToQString(DateToStr(charge.DateBegin));
        cells[4] = ToQString(charge.Restricted ? DateToStr(charge.DateEnd) : StrTimeUnlimited);
        char kind = 'C';
        if (charge.ItemType == 'A') {
            kind = charge.Algorithm.Valid ? 'V' : 'I';
            if (kind == 'I') cells[5] = ToQString("[" + StrErrorCalc + "]");
        } else {
            cells[5] = ToQString(charge.ConstValue);
        }
        RowKinds += kind;
        cells[6] = ToQString(DescribeSchedule(charge.Schedule));
        const bool passive = cells[2] == ToQString(StrPassive);
        for (int column = 0; column < 7; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (passive && column > 0) item->setForeground(grey);
            if (column == 5 && kind != 'C') item->setIcon(kind == 'V' ? valid : invalid);
            StringGridItems->setItem(row, column, item);
        }
        ++row;
    }
    // The value column widens to show long amounts whole; the name column gives up the room.
    WidenColumnToTexts(*StringGridItems, kValueColumn, kColumnWidths[kValueColumn]);
    SetNameColumnWidth();
}

AutoChargeInfo TfAutoCharges::GetVisibleItem(int n) const {
    const int index = ShownIndex(Charges, n);
    if (index >= 0) return Charges[static_cast<size_t>(index)];
    AutoChargeInfo empty;
    empty.Active = true;
    return empty;
}

void TfAutoCharges::StringGridItemsClick() {
    const int row = Row();
    if (row < 1) return;
    const auto cell = [&](int column) {
        const QTableWidgetItem* item = StringGridItems->item(row - 1, column);
        return item ? item->text() : QString();
    };
    if (cell(2).size() < 2) return;
    const AutoChargeInfo charge = GetVisibleItem(row);
    QStringList lines;
    lines << header_[1] + QStringLiteral(": ") + cell(1);
    lines << ToQString(StrDescript + ": " + charge.Descript);
    for (int column = 2; column <= 4; ++column)
        lines << header_[column] + QStringLiteral(": ") + cell(column);
    if (charge.ItemType == 'C')
        lines << header_[5] + QStringLiteral(": ") + cell(5);
    else
        lines << header_[5] + ToQString(": " + StrAlgorithm + " '" + charge.Algorithm.Name + "'");
    lines << ToQString(StrTimeTable + ": ") + cell(6);
    RichEditDetail->setPlainText(lines.join(u'\n'));
}

void TfAutoCharges::PlaceRowButtons(int row) {
    const auto hide = [this] {
        BitBtnEditRow->hide();
        BitBtnDelRow->hide();
    };
    const QTableWidgetItem* first = StringGridItems->item(0, 1);
    if (!first || first->text().isEmpty() || row < 1 || row > StringGridItems->rowCount())
        return hide();
    const int top = StringGridItems->rowViewportPosition(row - 1);
    if (top < 0 || top + kRowHeight > StringGridItems->viewport()->height()) return hide();
    const int y = StringGridItems->y() + StringGridItems->viewport()->y() + top;
    BitBtnEditRow->move(4, y);
    BitBtnDelRow->move(4, y + 10);
    BitBtnEditRow->show();
    BitBtnDelRow->show();
}

void TfAutoCharges::PlaceGrid(int left) {
    StringGridItems->setGeometry(left, 0, std::max(0, PanelGrid->width() - left),
                                 PanelGrid->height());
    SetNameColumnWidth();
}

void TfAutoCharges::SetNameColumnWidth() {
    int others = 0;
    for (const int column : {0, 2, 3, 4, 5}) others += StringGridItems->columnWidth(column);
    StringGridItems->setColumnWidth(
        1, std::max(60, StringGridItems->viewport()->width() - others - 7));
}

bool TfAutoCharges::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelGrid && event->type() == QEvent::Resize) PlaceGrid(GridLeft());
    return TDialogBase::eventFilter(watched, event);
}

void TfAutoCharges::StartSlide(char direction) {
    SlideDirection = direction;
    Timer1->start(SlideInterval);
}

void TfAutoCharges::Timer1Timer() {
    if (SlideDirection == 'e') {
        const int x = std::min(GridLeft() + SlideStep, kEditLeft);
        PlaceGrid(x);
        if (x >= kEditLeft) Timer1->stop();
        PlaceRowButtons(Row());
        return;
    }
    const int x = std::max(GridLeft() - SlideStep, kViewLeft);
    PlaceGrid(x);
    if (x > kViewLeft) return;
    Timer1->stop();
    if (CloseAfterSlide) accept();
}

int TfAutoCharges::Ask(const char* key, const std::string& tail) {
    const TLangFile texts(texts_);
    return MessageDlg(texts.Read(kSection, key, "") + " " + tail, TMsgDlgType::mtConfirmation,
                      mbYes | mbNo | mbCancel, this);
}

void TfAutoCharges::BitBtnEditClick() {
    EditEntered = true;
    EditMode = true;
    BitBtnEdit->setEnabled(false);
    BitBtnApply->setEnabled(false);
    for (QPushButton* button : {BitBtnCansel, BitBtnAdd, BitBtnClear}) button->setEnabled(true);
    StartSlide('e');
}

void TfAutoCharges::OpenEditor(char mode) {
    auto* editor = new TfAutoChargeChange(*this);
    editor->Mode = mode;
    editor->IDPay = IDPay;
    editor->ExecModal();
    BitBtnApply->setEnabled(true);
    StringGridItemsClick();
}

void TfAutoCharges::BitBtnAddClick() {
    OpenEditor('A');
}

void TfAutoCharges::BitBtnEditRowClick() {
    if (ShownIndex(Charges, Row()) >= 0) OpenEditor('E');
}

void TfAutoCharges::BitBtnDelRowClick() {
    const int row = Row();
    const QTableWidgetItem* name = StringGridItems->item(row - 1, 1);
    const std::string tail = "\n'" + (name ? ToStdString(name->text()) : std::string()) + "' ?";
    if (Ask("StrQuestionDel", tail) != mrYes) return;
    // The row names a shown charge only up to the number of shown charges.
    if (row >= 1 && row <= ShownCount(Charges)) {
        AutoChargeInfo& charge = Charges[static_cast<size_t>(ShownIndex(Charges, row))];
        charge.State = 'd';
        FirstChangedDate = std::min(FirstChangedDate, std::trunc(charge.DateBegin));
    }
    ShowCharges();
    SetRow(row);
    StringGridItemsClick();
    BitBtnApply->setEnabled(true);
}

void TfAutoCharges::BitBtnClearClick() {
    if (Ask("StrQuestionClear") != mrYes) return;
    for (AutoChargeInfo& charge : Charges) {
        charge.State = 'd';
        FirstChangedDate = std::min(FirstChangedDate, std::trunc(charge.DateBegin));
    }
    ClearGrid();
    SetRow(1);
    BitBtnApply->setEnabled(true);
}

void TfAutoCharges::BitBtnCanselClick() {
    if (BitBtnApply->isEnabled()) {
        if (EditEntered && Ask("StrQuestionCancel") != mrYes) return;
        LoadCharges(IDPay);
        ShowCharges();
        SetRow(1);
        StringGridItemsClick();
        FirstChangedDate = Today() + 1;
    }
    BitBtnEdit->setEnabled(true);
    for (QPushButton* button : {BitBtnApply, BitBtnCansel, BitBtnAdd, BitBtnClear})
        button->setEnabled(false);
    BitBtnEditRow->hide();
    BitBtnDelRow->hide();
    EditMode = false;
    StartSlide('c');
}

int TfAutoCharges::WriteChargesTransaction() {
    return JournalAutoCharges(Charges, IDPay, FirstChangedDate);
}

void TfAutoCharges::BitBtnApplyClick() {
    if (!BitBtnApply->isEnabled() || Ask("StrQuestionSave") != mrYes) return;
    BitBtnEditRow->hide();
    BitBtnDelRow->hide();
    for (QPushButton* button :
         {BitBtnEdit, BitBtnApply, BitBtnCansel, BtnExit, BitBtnAdd, BitBtnClear})
        button->setEnabled(false);
    EditMode = false;
    LetMessagesRun();
    if (!RunShowingError([this] { WriteChargesTransaction(); }, this)) {
        // The charges could not be written (the failure was shown): edit mode goes on with
        // them as edited, for Apply again once the cause is gone.
        EditMode = true;
        for (QPushButton* button : {BitBtnApply, BitBtnCansel, BtnExit, BitBtnAdd, BitBtnClear})
            button->setEnabled(true);
        PlaceRowButtons(Row());
        return;
    }
    LetMessagesRun();
    CloseAfterSlide = true;
    StartSlide('c');
}

void TfAutoCharges::BtnExitClick() {
    if (BitBtnApply->isEnabled() && EditEntered && Ask("StrQuestionCancel") != mrYes) return;
    reject();
}

void TfAutoCharges::PMenuChargesPopup() {
    const bool editing = !BitBtnEdit->isEnabled();
    for (QAction* item : {AddCharge, EditCharge, DelCharge}) item->setEnabled(editing);
    const QTableWidgetItem* first = StringGridItems->item(0, 1);
    if (!first || first->text().isEmpty()) {
        EditCharge->setEnabled(false);
        DelCharge->setEnabled(false);
    }
}

void TfAutoCharges::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_F2: {
            PMenuChargesPopup();
            const int row = std::max(0, Row() - 1);
            const QPoint at(kColumnWidths[0] + StringGridItems->columnWidth(1) - 150,
                            StringGridItems->rowViewportPosition(row) + kRowHeight);
            PMenuCharges->popup(StringGridItems->viewport()->mapToGlobal(at));
            return;
        }
        case Qt::Key_F3:
            if (BitBtnEdit->isEnabled()) BitBtnEdit->click();
            return;
        case Qt::Key_F4:
            if (BitBtnApply->isEnabled()) BitBtnApply->click();
            return;
        default:
            TDialogBase::keyPressEvent(event);
    }
}

void EditAutoCharges(QWidget* parent, int idPay) {
    auto* dialog = new TfAutoCharges(parent);
    dialog->IDPay = idPay;
    dialog->ExecModal();
}
