// The table frame: a table object's numbered rows of a name and a value in a grid, edited in an
// edit mode with row insertion, deletion, appending, clearing and a one-step undo and redo, and
// written as one journal transaction.
#include "content/U_frtable.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "reports/U_freport.h"
#include "content/U_frtable_change.h"
#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/FrameWidgets.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"
#include "store/TransBlockRows.h"

namespace {

constexpr int kHelpTopic = 2100;
constexpr int kGridTop = 47;
constexpr int kRowHeight = 19;
constexpr int kGridLeft = 3;       // view mode
constexpr int kGridLeftEdit = 32;  // edit mode: the row buttons uncovered
constexpr int kNumberWidth = 29;
constexpr int kNameWidth = 142;

}  // namespace

// The grid: Tab and Shift+Tab move between the name and value columns only, on to the next or
// previous row (wrapping at the ends), so that they never land on the read-only number column.
class TTableGrid : public QTableWidget {
public:
    using QTableWidget::QTableWidget;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        const QModelIndex current = currentIndex();
        const int rows = rowCount();
        if ((action != MoveNext && action != MovePrevious) || !current.isValid() || rows == 0)
            return QTableWidget::moveCursor(action, modifiers);
        int row = current.row();
        int column = current.column();
        if (action == MoveNext) {
            if (column == 2) row = (row + 1) % rows;
            column = column == 1 ? 2 : 1;
        } else {
            if (column != 2) row = (row + rows - 1) % rows;
            column = column == 2 ? 1 : 2;
        }
        return model()->index(row, column, rootIndex());
    }
};

// The grid's cell editor: each change of its text goes into the cell at once (the grid's cells
// are the table as edited) and is reported to the frame, which records the first one as an edit.
class TTableCellDelegate : public QStyledItemDelegate {
public:
    explicit TTableCellDelegate(TfrTable& frame) : QStyledItemDelegate(&frame), frame_(frame) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        const int column = index.column(), row = index.row() + 1;
        QObject::connect(editor, &QLineEdit::textEdited, &frame_,
                         [this, column, row](const QString& text) {
                             frame_.StringGridTableSetEditText(column, row, text);
                         });
        open_ = editor;
        return editor;
    }
    // The cell's text, unless the editor holds it already (so that a keystroke that wrote the
    // cell does not move the editor's cursor).
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (line->text() != text) line->setText(text);
    }
    // Closes the open editor, its text kept.
    void CloseOpen() {
        if (open_.isNull()) return;
        QWidget* editor = open_.data();
        open_.clear();
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    }

private:
    TfrTable& frame_;
    mutable QPointer<QWidget> open_;
};

TfrTable::TfrTable(QWidget* parent)
    : TFrameBase("TfrTable", "Table.lng", "Table", kHelpTopic, TFrameHeader::Node, parent) {
    BuildControls();
}

void TfrTable::BuildControls() {
    StyleFrameHeader(*this);
    LabelDescript->setFont(PixelFont("Arial", 11, false));
    Image1 = Named<QLabel>(this, "Image1");
    SetTextKey(*Image1, "");
    Image1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));

    // The row buttons lie left of the grid: in view mode the grid covers their place.
    auto rowButton = [this](const char* name, const char* hint) {
        auto* button = Named<QPushButton>(this, name);
        SetTextKey(*button, "");
        SetHintKey(*button, hint);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(3, 0, 28, kRowButtonHeight);
        button->hide();
        return button;
    };
    auto rowImage = [this](const char* name, TRowPicture picture) {
        auto* image = Named<QLabel>(this, name);
        SetTextKey(*image, "");
        image->setPixmap(RowButtonPicture(picture));
        image->setGeometry(3 + kRowPictureLeft, 0, 16, 8);
        image->setAttribute(Qt::WA_TransparentForMouseEvents);
        image->hide();
        return image;
    };
    BitBtnInsRow = rowButton("BitBtnInsRow", "InsRowH");
    ImageInsRow = rowImage("ImageInsRow", TRowPicture::Insert);
    BitBtnDelRow = rowButton("BitBtnDelRow", "DelRowH");
    ImageDelRow = rowImage("ImageDelRow", TRowPicture::Delete);
    BitBtnAppendRow = rowButton("BitBtnAppendRow", "AppendRowH");
    ImageAppendRow = rowImage("ImageAppendRow", TRowPicture::Insert);
    connect(BitBtnInsRow, &QPushButton::clicked, this, &TfrTable::BitBtnInsRowClick);
    connect(BitBtnDelRow, &QPushButton::clicked, this, &TfrTable::BitBtnDelRowClick);
    connect(BitBtnAppendRow, &QPushButton::clicked, this, &TfrTable::BitBtnAppendRowClick);

    StringGridTable = Named<TTableGrid>(this, "StringGridTable", 0, 3);
    StringGridTable->setFont(PixelFont("Tahoma", 11, false));
    StringGridTable->verticalHeader()->hide();
    StringGridTable->verticalHeader()->setMinimumSectionSize(0);
    StringGridTable->verticalHeader()->setDefaultSectionSize(kRowHeight);
    StringGridTable->horizontalHeader()->setHighlightSections(false);
    StringGridTable->horizontalHeader()->setFixedHeight(kRowHeight);
    StringGridTable->setHorizontalHeaderLabels({QString(), QString(), QString()});
    StringGridTable->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGridTable->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGridTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridTable->setWordWrap(false);
    StringGridTable->setColumnWidth(0, kNumberWidth);
    StringGridTable->setColumnWidth(1, kNameWidth);
    delegate_ = new TTableCellDelegate(*this);
    StringGridTable->setItemDelegate(delegate_);
    connect(StringGridTable, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) {
                if (row >= 0 && column >= 0) StringGridTableSelectCell(column, row + 1);
            });
    connect(StringGridTable->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { PlaceRowButtons(SelectedRow); });

    auto bottomButton = [this](const char* name, const char* key) {
        auto* button = Named<QPushButton>(this, name, QString());
        SetTextKey(*button, key);
        return button;
    };
    BitBtnEdit = bottomButton("BitBtnEdit", "BtnEdit");
    BitBtnApply = bottomButton("BitBtnApply", "BtnApply");
    BitBtnCansel = bottomButton("BitBtnCansel", "BtnCansel");
    BitBtnClear = bottomButton("BitBtnClear", "BtnClear");
    BitBtnUndo = bottomButton("BitBtnUndo", "");
    SetHintKey(*BitBtnUndo, "BtnUndo");
    BitBtnUndo->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    BitBtnRedo = bottomButton("BitBtnRedo", "");
    SetHintKey(*BitBtnRedo, "BtnRedo");
    BitBtnRedo->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    BitBtnReport = bottomButton("BitBtnReport", "");
    SetHintKey(*BitBtnReport, "ReportH");
    BitBtnReport->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    for (QPushButton* glyph : {BitBtnUndo, BitBtnRedo, BitBtnReport}) glyph->setFixedSize(23, 21);
    connect(BitBtnEdit, &QPushButton::clicked, this, &TfrTable::BitBtnEditClick);
    connect(BitBtnReport, &QPushButton::clicked, this, &TfrTable::BitBtnReportClick);
    connect(BitBtnApply, &QPushButton::clicked, this, &TfrTable::BitBtnApplyClick);
    connect(BitBtnCansel, &QPushButton::clicked, this, &TfrTable::BitBtnCanselClick);
    connect(BitBtnClear, &QPushButton::clicked, this, &TfrTable::BitBtnClearClick);
    connect(BitBtnUndo, &QPushButton::clicked, this, &TfrTable::BitBtnUndoClick);
    connect(BitBtnRedo, &QPushButton::clicked, this, &TfrTable::BitBtnRedoClick);
    // Esc clicks Cancel, the frame's cancel button, while it is enabled.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr,
                                 Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (BitBtnCansel->isEnabled()) BitBtnCansel->click();
    });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &TfrTable::Timer1Timer);

    SetRowCount(MinRowCount);
    NumberRows();
    EnterViewMode();
    hide();
}

QWidget* TfrTable::MainControl() const {
    return StringGridTable;
}

void TfrTable::ReadFrameTexts(const TLangFile& texts, const std::string& section) {
    WordTable = texts.Read(section, "WordTable", "");
    SentChanged = texts.Read(section, "SentChanged", "");
    SentSaveChanges = texts.Read(section, "SentSaveChanges", "");
    FrameResize();
}

// ---- The grid --------------------------------------------------------------------------------

int TfrTable::RowCount() const {
    return StringGridTable->rowCount() + 1;
}

void TfrTable::SetRowCount(int count) {
    StringGridTable->setRowCount(std::max(count, 1) - 1);
}

QString TfrTable::Cell(int column, int row) const {
    const QTableWidgetItem* item = StringGridTable->item(row - 1, column);
    return item == nullptr ? QString() : item->text();
}

void TfrTable::SetCell(int column, int row, const QString& text) {
    QTableWidgetItem* item = StringGridTable->item(row - 1, column);
    if (item == nullptr) {
        if (text.isEmpty()) return;
        StringGridTable->setItem(row - 1, column, new QTableWidgetItem(text));
    } else if (item->text() != text) {
        item->setText(text);
    }
}

void TfrTable::SetNumberCell(int row) {
    QTableWidgetItem* item = StringGridTable->item(row - 1, 0);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(palette().color(QPalette::Button));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        StringGridTable->setItem(row - 1, 0, item);
    }
    item->setText(QString::number(row));
}

int TfrTable::RowHeight(int row) const {
    return StringGridTable->rowHeight(row - 1);
}

int TfrTable::CurrentRow() const {
    return std::clamp(StringGridTable->currentRow() + 1, 1, RowCount() - 1);
}

void TfrTable::SelectCell(int column, int row) {
    if (row < 1 || row > RowCount() - 1) return;
    StringGridTable->setCurrentCell(row - 1, column == 1 || column == 2 ? column : 1);
}

void TfrTable::NumberRows() {
    for (int row = 1; row < RowCount(); ++row) SetNumberCell(row);
}

int TfrTable::UsedRowCount() const {
    for (int row = RowCount() - 1; row >= 1; --row)
        if (!Cell(1, row).isEmpty() || !Cell(2, row).isEmpty()) return row;
    return 0;
}

int TfrTable::LastUsedRow() const {
    return std::max(UsedRowCount(), 1);
}

std::vector<TTableRowBlock> TfrTable::UsedRows() const {
    std::vector<TTableRowBlock> rows;
    for (int row = 1, used = UsedRowCount(); row <= used; ++row)
        rows.push_back({ToStdString(Cell(1, row)), ToStdString(Cell(2, row))});
    return rows;
}

int TfrTable::LoadTable(int id) {
    const TShellServices& services = ShellServices();
    if (services.Index().GetObjectType(id, services.BudgetPath()) != otTable) return -1;
    EndCellEdit();
    StringGridTable->setUpdatesEnabled(false);
    for (int row = 1, used = UsedRowCount(); row <= used; ++row) {
        SetCell(1, row, {});
        SetCell(2, row, {});
    }
    // The grid the rows of a table of its own: no row of an earlier edit stays.
    SetRowCount(MinRowCount);
    const QFontMetrics metrics(StringGridTable->font());
    ValueWidth = 0;
    NameWidth = 0;
    int k = 0;
    for (const TTableRowBlock& stored : TableRowBlocks(id)) {
        if (++k >= MinRowCount) SetRowCount(k + 1);
        const QString name = ToQString(stored.NameRow);
        const QString value = ToQString(stored.ValueRow);
        SetCell(1, k, name);
        SetCell(2, k, value);
        NameWidth = std::max(NameWidth, metrics.horizontalAdvance(name));
        ValueWidth = std::max(ValueWidth, metrics.horizontalAdvance(value));
    }
    StringGridTable->setUpdatesEnabled(true);
    FitColumns();
    SelectCell(1, 1);
    return 0;
}

void TfrTable::DeleteRow(int row) {
    DeletedLastRow = row == RowCount() - 1;
    DeletedAtMinimum = DeletedLastRow && RowCount() == MinRowCount;
    SavedText1 = Cell(1, row);
    SavedText2 = Cell(2, row);
    // The rows below move up by one; the grid keeps its minimum row count.
    StringGridTable->setUpdatesEnabled(false);
    DeleteShrank = RowCount() > MinRowCount;
    StringGridTable->removeRow(row - 1);
    if (!DeleteShrank) StringGridTable->insertRow(StringGridTable->rowCount());
    NumberRows();
    StringGridTable->setUpdatesEnabled(true);
}

void TfrTable::InsertRow(int row, const QString& name, const QString& value) {
    // The rows from `row` on move down by one, and the new row grows in from height 0. The
    // grid's current cell stays where it is, as the texts move and the cells do not.
    const int current = StringGridTable->currentRow(), column = StringGridTable->currentColumn();
    StringGridTable->setUpdatesEnabled(false);
    StringGridTable->insertRow(row - 1);
    if (current >= 0) SelectCell(column, current + 1);
    NumberRows();
    SetCell(1, row, name);
    SetCell(2, row, value);
    StringGridTable->setRowHeight(row - 1, 0);
    StringGridTable->setUpdatesEnabled(true);
    ActionRow = row;
    StartTimer();
}

void TfrTable::AppendRow(const QString& name, const QString& value) {
    StringGridTable->setUpdatesEnabled(false);
    StringGridTable->insertRow(StringGridTable->rowCount());
    NumberRows();
    const int last = RowCount() - 1;
    SetCell(1, last, name);
    SetCell(2, last, value);
    StringGridTable->setUpdatesEnabled(true);
    SelectCell(StringGridTable->currentColumn(), last);
}

void TfrTable::ClearRows() {
    ClearedNames.clear();
    ClearedValues.clear();
    StringGridTable->setUpdatesEnabled(false);
    for (int row = 1, used = UsedRowCount(); row <= used; ++row) {
        ClearedNames.append(Cell(1, row));
        ClearedValues.append(Cell(2, row));
        SetCell(1, row, {});
        SetCell(2, row, {});
    }
    StringGridTable->setUpdatesEnabled(true);
}

int TfrTable::AppendButtonTop() const {
    return StringGridTable->y() + StringGridTable->height() - kRowButtonHeight;
}

void TfrTable::PlaceRowButtons(int row) {
    const int top = StringGridTable->viewport()->y() + StringGridTable->y();
    const int y = row >= 1 && row <= RowCount() - 1
                      ? StringGridTable->rowViewportPosition(row - 1)
                      : -1;
    // Beside the row, centred on it: insert above delete. Together they are a little taller than
    // the row, so that each shows its picture whole; a row whose pair would reach the append
    // button under the grid shows none.
    const int at = top + y + (kRowHeight - 2 * kRowButtonHeight) / 2;
    const bool shown = EditMode && y >= 0 &&
                       y + RowHeight(row) <= StringGridTable->viewport()->height() &&
                       at + 2 * kRowButtonHeight <= AppendButtonTop();
    for (QWidget* control : std::initializer_list<QWidget*>{BitBtnInsRow, ImageInsRow,
                                                            BitBtnDelRow, ImageDelRow})
        control->setVisible(shown);
    if (!shown) return;
    BitBtnInsRow->move(3, at);
    ImageInsRow->move(3 + kRowPictureLeft, at + kRowPictureTop);
    BitBtnDelRow->move(3, at + kRowButtonHeight);
    ImageDelRow->move(3 + kRowPictureLeft, at + kRowButtonHeight + kRowPictureTop);
}

// ---- Edit mode -------------------------------------------------------------------------------

void TfrTable::SetUndoRedo(bool undo, bool redo) {
    BitBtnUndo->setEnabled(undo);
    BitBtnRedo->setEnabled(redo);
}

void TfrTable::StartTimer() {
    Timer1->setInterval(TimerInterval);
    Timer1->start();
}

void TfrTable::EndCellEdit() {
    delegate_->CloseOpen();
}

void TfrTable::FinishAnimation() {
    while (Timer1->isActive()) Timer1Timer();
}

void TfrTable::EnterViewMode() {
    Timer1->stop();
    StringGridTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    EditMode = false;
    BitBtnEdit->setEnabled(true);
    BitBtnReport->setEnabled(true);
    for (QPushButton* button : {BitBtnApply, BitBtnCansel, BitBtnClear, BitBtnUndo, BitBtnRedo})
        button->setEnabled(false);
    for (QWidget* control : std::initializer_list<QWidget*>{
             BitBtnInsRow, ImageInsRow, BitBtnDelRow, ImageDelRow, BitBtnAppendRow, ImageAppendRow})
        control->hide();
    PlaceGrid(kGridLeft);
}

void TfrTable::LeaveEditMode() {
    const int left = StringGridTable->x();
    EnterViewMode();
    if (!SlideOnLeave) return;
    // The grid slides back from where it stands; the buttons are those of view mode already,
    // so that nothing is applied or cancelled twice meanwhile.
    PlaceGrid(left);
    ActionCode = 'c';
    StartTimer();
}

TTableReportData TfrTable::ReportData() const {
    TTableReportData data;
    for (int row = 1; row <= LastUsedRow(); ++row)
        data.Rows.push_back({ToStdString(Cell(1, row)), ToStdString(Cell(2, row))});
    return data;
}

void TfrTable::BitBtnReportClick() {
    if (EditMode) return;
    ShowReportWindow(this, IDObject, [this](const std::string& name, const std::string& descript) {
        auto data = std::make_unique<TTableReportData>(ReportData());
        data->Name = name;
        data->Descript = descript;
        return std::unique_ptr<TReportData>(std::move(data));
    });
}

void TfrTable::BitBtnEditClick() {
    if (EditMode) return;
    FinishAnimation();
    SlideOnLeave = true;
    BitBtnEdit->setEnabled(false);
    BitBtnApply->setEnabled(true);
    BitBtnCansel->setEnabled(true);
    BitBtnClear->setEnabled(true);
    SetUndoRedo(false, false);
    BitBtnReport->setEnabled(false);
    BitBtnAppendRow->show();
    ImageAppendRow->show();
    ImageAppendRow->raise();
    StringGridTable->setEditTriggers(
        QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
        QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    ChangeCount = 0;
    EditMode = true;
    EditRecorded = false;
    CellTextAtSelect = Cell(StringGridTable->currentColumn(), SelectedRow);
    ActionCode = 'e';
    StartTimer();
}

int TfrTable::PrepareTableChange() {
    return JournalTableChange(IDObject, ToStdString(LabelHeader->text()), UsedRows());
}

void TfrTable::BitBtnApplyClick() {
    if (!EditMode) return;
    EndCellEdit();
    FinishAnimation();
    // A change that was not applied leaves the grid in edit mode with the rows as typed.
    if (SaveEdits([this] { return PrepareTableChange(); }) <= 0) return;
    LetMessagesRun();
    LeaveEditMode();
}

void TfrTable::BitBtnCanselClick() {
    if (!EditMode) return;
    EndCellEdit();
    FinishAnimation();
    if (SlideOnLeave) {
        LoadTable(IDObject);
        NumberRows();
    }
    LeaveEditMode();
}

bool TfrTable::ReadyForAction() {
    if (!EditMode) return false;
    EndCellEdit();
    if (!Timer1->isActive()) return true;
    // The row the user chose while a row was shrinking away stays the chosen one.
    const int row = CurrentRow(), column = StringGridTable->currentColumn();
    const bool removing = Shrinking();
    const int removed = ActionRow;
    FinishAnimation();
    SelectCell(column, removing && row > removed ? row - 1 : row);
    return true;
}

bool TfrTable::Shrinking() const {
    return (ActionCode == 'D' && !Undoing) || (ActionCode == 'I' && Undoing);
}

void TfrTable::RecordAction(char code) {
    ActionCode = code;
    Undoing = false;
    ++ChangeCount;
    // The next keystroke in a cell is an edit of its own.
    EditRecorded = false;
}

void TfrTable::BitBtnInsRowClick() {
    if (!ReadyForAction()) return;
    RecordAction('I');
    ActionRow = SelectedRow = CurrentRow();
    InsertRow(ActionRow, {}, {});
    SetUndoRedo(true, false);
}

void TfrTable::BitBtnDelRowClick() {
    if (!ReadyForAction()) return;
    RecordAction('D');
    ActionRow = SelectedRow = CurrentRow();
    SetUndoRedo(false, false);  // until the row is gone
    StartTimer();
}

void TfrTable::BitBtnAppendRowClick() {
    if (!ReadyForAction()) return;
    RecordAction('A');
    AppendRow({}, {});
    SetUndoRedo(true, false);
}

void TfrTable::BitBtnClearClick() {
    if (!ReadyForAction()) return;
    RecordAction('C');
    ClearRows();
    SetUndoRedo(true, false);
}

void TfrTable::StringGridTableSelectCell(int column, int row) {
    SelectedRow = row;
    CellTextAtSelect = Cell(column, row);
    EditRecorded = false;
    if (EditMode) PlaceRowButtons(row);
}

void TfrTable::StringGridTableSetEditText(int column, int row, const QString& text) {
    SetCell(column, row, text);
    if (EditRecorded || !EditMode) return;
    RecordAction('E');
    SavedText1 = CellTextAtSelect;
    ActionCol = column;
    ActionRow = row;
    EditRecorded = true;
    SetUndoRedo(true, false);
}

void TfrTable::BitBtnUndoClick() {
    if (!ReadyForAction() || !BitBtnUndo->isEnabled()) return;
    Undoing = true;
    switch (ActionCode) {
        case 'A':
            if (RowCount() > MinRowCount) SetRowCount(RowCount() - 1);
            break;
        case 'C':
            for (int i = 0; i < ClearedNames.size(); ++i) {
                SetCell(1, i + 1, ClearedNames[i]);
                SetCell(2, i + 1, ClearedValues[i]);
            }
            break;
        case 'D':
            if (!DeletedLastRow) {
                InsertRow(ActionRow, SavedText1, SavedText2);  // it grows in
                // The grid had kept its row count: it gets it back.
                if (!DeleteShrank) SetRowCount(RowCount() - 1);
            } else if (DeletedAtMinimum) {
                SetCell(1, ActionRow, SavedText1);
                SetCell(2, ActionRow, SavedText2);
            } else {
                AppendRow(SavedText1, SavedText2);
            }
            SelectCell(StringGridTable->currentColumn(), ActionRow);
            break;
        case 'E':
            SavedText2 = Cell(ActionCol, ActionRow);
            SetCell(ActionCol, ActionRow, SavedText1);
            SelectCell(ActionCol, ActionRow);
            break;
        case 'I':
            StartTimer();  // the inserted row shrinks away
            break;
        default:
            return;
    }
    SetUndoRedo(false, true);
    --ChangeCount;
    RearmCellEdit();
}

void TfrTable::BitBtnRedoClick() {
    if (!ReadyForAction() || !BitBtnRedo->isEnabled()) return;
    switch (ActionCode) {
        case 'A':
            Undoing = false;
            AppendRow({}, {});
            break;
        case 'C':
            ClearRows();
            break;
        case 'D':
            Undoing = false;
            StartTimer();  // the row shrinks away again
            break;
        case 'E':
            SetCell(ActionCol, ActionRow, SavedText2);
            SelectCell(ActionCol, ActionRow);
            break;
        case 'I':
            Undoing = false;
            InsertRow(ActionRow, {}, {});
            break;
        default:
            return;
    }
    SetUndoRedo(true, false);
    ++ChangeCount;
    RearmCellEdit();
}

void TfrTable::RearmCellEdit() {
    CellTextAtSelect = Cell(StringGridTable->currentColumn(), SelectedRow);
    EditRecorded = false;
}

void TfrTable::Timer1Timer() {
    const int step = std::max(SlideStep, 1);
    const bool grow = (ActionCode == 'I' && !Undoing) || (ActionCode == 'D' && Undoing);
    if (Shrinking()) {
        const int height = std::max(RowHeight(ActionRow) - step, 0);
        StringGridTable->setRowHeight(ActionRow - 1, height);
        if (height > 0) return;
        Timer1->stop();
        DeleteRow(ActionRow);
        if (ActionRow <= RowCount() - 1) {
            StringGridTable->setRowHeight(ActionRow - 1, kRowHeight);
            SelectCell(StringGridTable->currentColumn(), ActionRow);
        }
        if (ActionCode == 'D') SetUndoRedo(true, false);
        RearmCellEdit();
    } else if (grow) {
        const int height = std::min(RowHeight(ActionRow) + step, kRowHeight);
        StringGridTable->setRowHeight(ActionRow - 1, height);
        if (height >= kRowHeight) Timer1->stop();
    } else if (ActionCode == 'e') {
        const int left = std::min(StringGridTable->x() + step, kGridLeftEdit);
        PlaceGrid(left);
        if (left >= kGridLeftEdit) Timer1->stop();
    } else if (ActionCode == 'c') {
        const int left = std::max(StringGridTable->x() - step, kGridLeft);
        PlaceGrid(left);
        if (left <= kGridLeft) Timer1->stop();
    } else {
        Timer1->stop();
    }
}

// ---- Showing and leaving ---------------------------------------------------------------------

void TfrTable::ShowFor(const ObjectInfo& node) {
    FinishAnimation();
    IDObject = node.ID;
    LabelHeader->setText(ToQString(node.Name));
    LabelDescript->setText(ToQString(node.Descript));
    MinRowCount = 30;
    SetRowCount(MinRowCount);
    LoadTable(node.ID);
    NumberRows();
    TimerInterval = 10;
    SlideStep = 2;
    ChangeCount = 0;
    EnterViewMode();
    show();
    FrameResize();
}

void TfrTable::HideFrame() {
    FinishAnimation();
    EndCellEdit();
    EnterViewMode();
    hide();
}

bool TfrTable::Leave() {
    if (!BitBtnCansel->isEnabled()) return true;
    // The frame is going: it leaves edit mode at once, and reloads at its next show.
    SlideOnLeave = false;
    if (ChangeCount < 1) {
        BitBtnCansel->click();
        return true;
    }
    const std::string question = WordTable + " " + ToStdString(LabelHeader->text()) + " " +
                                 SentChanged + "\n" + SentSaveChanges;
    if (MessageDlg(question, TMsgDlgType::mtConfirmation, mbYes | mbNo, this) == mrYes)
        BitBtnApply->click();
    else
        BitBtnCansel->click();
    if (EditMode) {
        // The user chose to keep the edits and they could not be saved (the failure was shown):
        // the frame stays in edit mode with the rows as typed, and is not left.
        SlideOnLeave = true;
        return false;
    }
    return true;
}

// ---- Layout ----------------------------------------------------------------------------------

void TfrTable::resizeEvent(QResizeEvent* event) {
    TFrameBase::resizeEvent(event);
    FrameResize();
}

void TfrTable::PlaceGrid(int left) {
    StringGridTable->setGeometry(left, kGridTop, std::max(width() - left - 3, 60),
                                 std::max(height() - 77, 40));
    FitColumns();
    if (EditMode) PlaceRowButtons(SelectedRow);
}

void TfrTable::FitColumns() {
    const int room = StringGridTable->viewport()->width() - kNumberWidth - 2;
    StringGridTable->setColumnWidth(
        1, std::clamp(NameWidth + 8, kNameWidth, std::max(kNameWidth, room / 2)));
    const int rest = room - StringGridTable->columnWidth(1);
    StringGridTable->setColumnWidth(2, std::max(rest, ValueWidth + 8));
}

void TfrTable::FrameResize() {
    const int w = width(), h = height();
    setUpdatesEnabled(false);
    Image1->setGeometry(3, 3, 32, 32);
    LabelHeader->setGeometry(40, 6, std::max(w - 75, 10), 18);
    LabelDescript->setGeometry(40, 24, std::max(w - 75, 10), 16);
    ButtonHelp->setGeometry(w - 25, 6, 22, 22);
    PlaceGrid(StringGridTable->x() < kGridLeft ? kGridLeft : StringGridTable->x());
    BitBtnAppendRow->move(3, AppendButtonTop());
    ImageAppendRow->move(3 + kRowPictureLeft, AppendButtonTop() + kRowPictureTop);
    int left = 3;
    for (QPushButton* button : {BitBtnEdit, BitBtnApply, BitBtnCansel, BitBtnClear}) {
        button->adjustSize();
        button->setGeometry(left, h - 25, std::max(button->width(), 75), 23);
        left += button->width() + 4;
    }
    BitBtnUndo->move(left + 8, h - 24);
    BitBtnRedo->move(left + 35, h - 24);
    BitBtnReport->move(w - 35, h - 24);
    setUpdatesEnabled(true);
}

TfrTable& RegisterTableFrame(TFrameRegistry& frames, QWidget& parent) {
    auto frame = std::make_unique<TfrTable>(&parent);
    frames.RegisterFrame(otTable, *frame);
    return *frame.release();  // the panel owns it
}
