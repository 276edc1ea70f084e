// The number frame: a number's dated items in a grid, the value in force today, a date chart,
// and in edit mode the changes of its items, applied as one journal transaction.
#include "numbers/U_frnumber.h"

#include <QDateTime>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <algorithm>

#include "algorithms/Ugetdata.h"
#include "numbers/U_fnumberchange.h"
#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "reports/U_freport.h"
#include "reports/U_rtfreport_widgets.h"
#include "shell/FrameWidgets.h"
#include "shell/MessageDlg.h"
#include "shell/ShellOpen.h"
#include "shell/ShellServices.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"

namespace {

constexpr int kHelpTopic = 2400;
constexpr int kGridTop = 94;
constexpr int kRowHeight = 19;
constexpr int kGridLeft = 3;       // the view layout
constexpr int kGridLeftEdit = 32;  // the edit layout: the row buttons uncovered
constexpr int kColumnWidths[3] = {29, 92, 183};
const QColor kBackground(0xFF, 0xFF, 0xFF);

const char kNumberFile[] = "Number.lng";
const char kSection[] = "Number";

// Draws the row-kind icons at the right of the value cells.
class TNumberGridDelegate : public QStyledItemDelegate {
public:
    TNumberGridDelegate(TfrNumber& frame) : QStyledItemDelegate(&frame), frame_(frame) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (index.column() != 2) return;
        const char kind = frame_.Grid->Row(index.row()).Kind;
        const QPixmap* icon = kind == 'V'   ? &frame_.IconValid
                              : kind == 'I' ? &frame_.IconInvalid
                                            : nullptr;
        if (icon != nullptr && !icon->isNull())
            painter->drawPixmap(option.rect.right() - icon->width() - 2, option.rect.top() + 2,
                                *icon);
    }

private:
    TfrNumber& frame_;
};

}  // namespace

// ---- The grid's model ------------------------------------------------------------------------

int TNumberGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TNumberGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant TNumberGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const TRow& row = rows_[static_cast<size_t>(index.row())];
    const bool inForce =
        row.Kind != 0 && index.column() > 0 && dayInForce_ && DayNumber(row.Date) == *dayInForce_;
    switch (role) {
        case Qt::DisplayRole:
            return row.Cells[static_cast<size_t>(index.column())];
        case Qt::FontRole:
            if (inForce) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::ForegroundRole:
            if (inForce && index.column() == 2) return kChartNavy;
            return {};
        case Qt::BackgroundRole:
            if (index.column() == 0) return QColor(0xF0, 0xF0, 0xF0);
            return {};
        default:
            return {};
    }
}

QVariant TNumberGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 3)
        return {};
    return header_[static_cast<size_t>(section)];
}

void TNumberGridModel::SetRows(std::vector<TRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void TNumberGridModel::SetHeader(int column, const QString& text) {
    header_[static_cast<size_t>(column)] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void TNumberGridModel::SetDayInForce(std::optional<long> day) {
    dayInForce_ = day;
    if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 3));
}

// ---- The frame -------------------------------------------------------------------------------

TfrNumber::TfrNumber(QWidget* parent)
    : TFrameBase("TfrNumber", kNumberFile, kSection, kHelpTopic, TFrameHeader::Node, parent) {
    BuildControls();
}

void TfrNumber::BuildControls() {
    QFont header("Arial");
    header.setPixelSize(13);
    header.setBold(true);
    LabelHeader->setFont(header);
    QFont descript("Arial");
    descript.setPixelSize(11);
    LabelDescript->setFont(descript);

    LabelCurValueL = Named<QLabel>(this, "LabelCurValueL");
    LabeCurValue = Named<QLabel>(this, "LabeCurValue");
    SetTextKey(*LabeCurValue, "");
    QFont value("Tahoma");
    value.setPixelSize(19);
    value.setBold(true);
    LabeCurValue->setFont(value);
    LabeCurValue->setStyleSheet(QStringLiteral("color: #000080"));
    LabelHistory = Named<QLabel>(this, "LabelHistory");

    // The row buttons lie below the grid: in the view layout the grid covers them.
    BitBtnEditRow = Named<QPushButton>(this, "BitBtnEditRow");
    SetTextKey(*BitBtnEditRow, "");
    SetHintKey(*BitBtnEditRow, "EditRowH");
    ImageEditRow = Named<QLabel>(this, "ImageEditRow");
    SetTextKey(*ImageEditRow, "");
    ImageEditRow->setPixmap(RowButtonPicture(TRowPicture::Edit));
    BitBtnDelRow = Named<QPushButton>(this, "BitBtnDelRow");
    SetTextKey(*BitBtnDelRow, "");
    SetHintKey(*BitBtnDelRow, "DelRowH");
    ImageDelRow = Named<QLabel>(this, "ImageDelRow");
    SetTextKey(*ImageDelRow, "");
    ImageDelRow->setPixmap(RowButtonPicture(TRowPicture::Delete));
    for (QPushButton* button : {BitBtnEditRow, BitBtnDelRow}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(3, 0, 28, kRowButtonHeight);
        button->hide();
    }
    for (QLabel* image : {ImageEditRow, ImageDelRow}) {
        image->setGeometry(14, 0, 16, 8);
        image->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    connect(BitBtnEditRow, &QPushButton::clicked, this, &TfrNumber::BitBtnEditRowClick);
    connect(BitBtnDelRow, &QPushButton::clicked, this, &TfrNumber::BitBtnDelRowClick);

    StringGridItems = Named<QTableView>(this, "StringGridItems");
    Grid = new TNumberGridModel(StringGridItems);
    StringGridItems->setModel(Grid);
    StringGridItems->setItemDelegate(new TNumberGridDelegate(*this));
    StringGridItems->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGridItems->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGridItems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridItems->verticalHeader()->hide();
    StringGridItems->verticalHeader()->setDefaultSectionSize(kRowHeight);
    StringGridItems->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGridItems->horizontalHeader()->setHighlightSections(false);
    StringGridItems->setWordWrap(false);
    StringGridItems->setContextMenuPolicy(Qt::CustomContextMenu);
    for (int column = 0; column < 3; ++column)
        StringGridItems->setColumnWidth(column, kColumnWidths[column]);
    connect(StringGridItems->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { StringGridItemsClick(); });
    connect(StringGridItems->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { PlaceRowButtons(SelectedRow); });

    LabeChart = Named<QLabel>(this, "LabeChart");
    const TChartControls chart = NewChartControls(*this);
    PanelChart = chart.Panel;
    ImageChart = chart.Image;
    ScrollBarChart = chart.ScrollBar;

    BitBtnEdit = Named<QPushButton>(this, "BitBtnEdit", QString());
    SetTextKey(*BitBtnEdit, "BtnEdit");
    BitBtnApply = Named<QPushButton>(this, "BitBtnApply", QString());
    SetTextKey(*BitBtnApply, "BtnApply");
    BitBtnCansel = Named<QPushButton>(this, "BitBtnCansel", QString());
    SetTextKey(*BitBtnCansel, "BtnCansel");
    BitBtnAdd = Named<QPushButton>(this, "BitBtnAdd", QString());
    SetTextKey(*BitBtnAdd, "BtnAdd");
    BitBtnClear = Named<QPushButton>(this, "BitBtnClear", QString());
    SetTextKey(*BitBtnClear, "BtnClear");
    BitBtnExpToXls = Named<QPushButton>(this, "BitBtnExpToXls");
    BitBtnExpToXls->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    SetTextKey(*BitBtnExpToXls, "");
    BitBtnReport = Named<QPushButton>(this, "BitBtnReport");
    BitBtnReport->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    SetTextKey(*BitBtnReport, "");
    SetHintKey(*BitBtnReport, "ReportH");
    for (QPushButton* glyph : {BitBtnExpToXls, BitBtnReport}) glyph->setFixedSize(23, 21);
    connect(BitBtnEdit, &QPushButton::clicked, this, &TfrNumber::BitBtnEditClick);
    connect(BitBtnApply, &QPushButton::clicked, this, &TfrNumber::BitBtnApplyClick);
    connect(BitBtnCansel, &QPushButton::clicked, this, &TfrNumber::BitBtnCanselClick);
    connect(BitBtnAdd, &QPushButton::clicked, this, &TfrNumber::BitBtnAddClick);
    connect(BitBtnClear, &QPushButton::clicked, this, &TfrNumber::BitBtnClearClick);
    connect(BitBtnExpToXls, &QPushButton::clicked, this, &TfrNumber::ExportToExcel);
    connect(BitBtnReport, &QPushButton::clicked, this, &TfrNumber::BitBtnReportClick);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &TfrNumber::Timer1Timer);

    PMenuNumber = new QMenu(this);
    PMenuNumber->setObjectName(QStringLiteral("PMenuNumber"));
    AddValue = PMenuNumber->addAction(QString());
    EditValue = PMenuNumber->addAction(QString());
    DelValue = PMenuNumber->addAction(QString());
    connect(PMenuNumber, &QMenu::aboutToShow, this, &TfrNumber::PMenuNumberPopup);
    connect(AddValue, &QAction::triggered, BitBtnAdd, &QPushButton::click);
    connect(EditValue, &QAction::triggered, BitBtnEditRow, &QPushButton::click);
    connect(DelValue, &QAction::triggered, BitBtnDelRow, &QPushButton::click);
    connect(StringGridItems, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PMenuNumber->popup(StringGridItems->viewport()->mapToGlobal(at));
    });
    // F2 opens the popup menu beside the selected row.
    auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this, nullptr, nullptr,
                             Qt::WidgetWithChildrenShortcut);
    connect(f2, &QShortcut::activated, this, [this] {
        PMenuNumber->popup(StringGridItems->mapToGlobal(QPoint(30, SelCellBottom)));
    });

    ClearGrid();
    SetEditMode(false);
    hide();
}

QWidget* TfrNumber::MainControl() const {
    return StringGridItems;
}

void TfrNumber::ReadFrameTexts(const TLangFile& texts, const std::string& section) {
    Grid->SetHeader(1, ToQString(texts.Read(section, "FieldDate", "")));
    Grid->SetHeader(2, ToQString(texts.Read(section, "FieldValue", "")));
    Grid->SetHeader(3, ToQString(texts.Read(section, "FieldDescript", "")));
    StrErrorCalc = texts.Read(section, "StrErrorCalc", "");
    AddValue->setText(ToQString(texts.Read(section, "PMenu0", "")));
    EditValue->setText(ToQString(texts.Read(section, "PMenu1", "")));
    DelValue->setText(ToQString(texts.Read(section, "PMenu2", "")));
    const std::string data = ShellServices().State().DataPath;
    IconValid = QPixmap(ToQString(data + "formula01.bmp"));
    IconInvalid = QPixmap(ToQString(data + "formula01inv.bmp"));
    LabelCurValueL->adjustSize();
    FrameResize();
}

// ---- Showing ---------------------------------------------------------------------------------

void TfrNumber::ShowKept(const ObjectInfo& node) {
    IDObject = node.ID;
    EditLayout = false;
    Timer1->stop();
    show();
    FrameResize();
    PlaceGrid(kGridLeft, width() - 6);
    SlideInterval = 10;
    SlideStep = 2;
    Interactive = true;
}

void TfrNumber::ShowFor(const ObjectInfo& node) {
    ShowKept(node);
    Interactive = false;
    SetEditMode(false);
    LabelHeader->setText(ToQString(node.Name));
    LabelDescript->setText(ToQString(node.Descript));
    InForceCode = FindItemInForce(node.ID, DateInForce, Today());
    LoadChronology(node.ID);
    ShowChronology();
    ShowCurrentValue();
    SelectCurrentRow(2);
    Interactive = true;
}

void TfrNumber::HideFrame() {
    Timer1->stop();
    hide();
}

int TfrNumber::LoadChronology(int id) {
    const TShellServices& services = ShellServices();
    if (services.Index().GetObjectType(id, services.BudgetPath()) != otNumber) return -1;
    Items = LoadNumberItems(id, ToStdString(LabelHeader->text()));
    return 0;
}

void TfrNumber::ClearGrid() {
    RowKinds.clear();
    Grid->SetRows({TNumberGridModel::TRow{}});
}

void TfrNumber::ShowChronology() {
    SortChronology(Items);
    RowKinds.clear();
    ChartItems.clear();
    std::vector<TNumberGridModel::TRow> rows;
    for (const NumberItemInfo& item : Items) {
        if (!item.IsLive()) continue;
        TNumberGridModel::TRow& row = rows.emplace_back();
        row.Date = item.DateBegin;
        row.Cells[0] = QString::number(rows.size());
        row.Cells[1] = ToQString(DateToStr(item.DateBegin));
        row.Cells[3] = ToQString(item.Descript);
        if (item.ItemType == 'A' && !item.Algorithm01.Valid) {
            row.Cells[2] = ToQString("[" + StrErrorCalc + "]");
            row.Kind = 'I';
        } else {
            row.Cells[2] = ToQString(ShownValue(item.ConstValue));
            row.Kind = item.ItemType == 'A' ? 'V' : 'C';
        }
        RowKinds += row.Kind;
        ChartItems.push_back({item.DateBegin, item.ConstValue, kChartNavy, {}});
    }
    if (rows.empty()) rows.emplace_back();
    // The grid keeps its current row (within its new rows) as a refill does not move it.
    const int current = Row();
    Grid->SetRows(std::move(rows));
    if (current > 0) {
        const QSignalBlocker quiet(StringGridItems->selectionModel());
        StringGridItems->setCurrentIndex(Grid->index(std::min(current, RowCount() - 1) - 1, 0));
        StringGridItems->viewport()->update();
    }
    DrawChart01(ChartItems, kBackground, *PanelChart, *ScrollBarChart, *ImageChart);
    HighlightChart01Date(ImageChart->Bitmap, kChartBlue, ChartItems, ChartDate);
    ImageChart->update();
    ScrollChart01ToDate(ImageChart->x(), PanelChart->width(), *ScrollBarChart, ChartItems,
                        ChartDate);
}

void TfrNumber::ShowCurrentValue() {
    const std::optional<TInForce> inForce = ItemInForce(Items, Today());
    if (!inForce) {
        DateInForce = 0;
        ValueInForce.clear();
        DescriptInForce.clear();
    } else {
        DateInForce = Items[static_cast<size_t>(inForce->Index)].DateBegin;
        const TNumberGridModel::TRow& row = Grid->Row(inForce->Row - 1);
        ValueInForce = ToStdString(row.Cells[2]);
        DescriptInForce = ToStdString(row.Cells[3]);
    }
    LabeCurValue->setText(ToQString(ValueInForce));
    LabeCurValue->adjustSize();
    Grid->SetDayInForce(InForceCode >= 0 && inForce ? std::optional(DayNumber(DateInForce))
                                                    : std::nullopt);
}

int TfrNumber::Row() const {
    const QModelIndex current = StringGridItems->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

int TfrNumber::RowCount() const {
    return Grid->rowCount() + 1;
}

void TfrNumber::SetRow(int row) {
    const int column = std::max(StringGridItems->currentIndex().column(), 0);
    StringGridItems->setCurrentIndex(Grid->index(row - 1, column));
}

void TfrNumber::SelectDateRow(TDateTime date) {
    const long day = DayNumber(date);
    int count = 0;
    for (const NumberItemInfo& item : Items) {
        if (!item.IsLive()) continue;
        ++count;
        if (DayNumber(item.DateBegin) == day) break;
    }
    SetRow(std::clamp(count, 1, RowCount() - 1));
}

void TfrNumber::SelectCurrentRow(int column) {
    if (InForceCode < 0) return;
    const long day = DayNumber(DateInForce);
    for (int row = 0; row < Grid->rowCount(); ++row) {
        if (Grid->Row(row).Kind == 0 || DayNumber(Grid->Row(row).Date) != day) continue;
        StringGridItems->setCurrentIndex(
            Grid->index(row, column >= 0 ? column : StringGridItems->currentIndex().column()));
        SelectedRow = row + 1;
        return;
    }
}

void TfrNumber::StringGridItemsClick() {
    const int row = Row();
    if (row <= 0) return;
    SelectedRow = row;
    const QRect cell = StringGridItems->visualRect(Grid->index(row - 1, 0));
    SelCellBottom = StringGridItems->viewport()->y() + cell.bottom();
    if (EditLayout) PlaceRowButtons(SelectedRow);
    const TNumberGridModel::TRow& shown = Grid->Row(row - 1);
    if (shown.Kind == 0) return;
    HighlightChart01Date(ImageChart->Bitmap, kChartNavy, ChartItems, ChartDate);
    ChartDate = shown.Date;
    HighlightChart01Date(ImageChart->Bitmap, kChartBlue, ChartItems, ChartDate);
    ImageChart->update();
    ScrollChart01ToDate(ImageChart->x(), PanelChart->width(), *ScrollBarChart, ChartItems,
                        ChartDate);
}

TNumberReportData TfrNumber::ReportData() const {
    const auto cells = [this](int row) {
        const auto& shown = Grid->Row(row).Cells;
        return TNumberReportData::TCells{ToStdString(shown[1]), ToStdString(shown[2]),
                                         ToStdString(shown[3])};
    };
    TNumberReportData data;
    if (InForceCode >= 0) data.InForce = {DateToStr(DateInForce), ValueInForce, DescriptInForce};
    const int selected = Row();
    if (selected >= 1 && selected < RowCount()) data.Selected = cells(selected - 1);
    for (int row = 1; row < RowCount(); ++row) data.Rows.push_back(cells(row - 1));
    return data;
}

namespace {

// The number report with the frame's chart: picture 1 the chart as shown, 2 the chart without
// the highlight (drawn on a copy, so the frame's chart is never touched).
class TNumberChartReport : public TNumberReportData {
public:
    TNumberChartReport(TNumberReportData data, const TfrNumber& frame)
        : TNumberReportData(std::move(data)), frame_(frame) {}

    void WritePicture(FILE* report, int number, TLabelPictureSize size, int row) override {
        if (row != 0 || (number != 1 && number != 2)) return;
        QImage chart = frame_.ImageChart->Bitmap;
        if (number == 2)
            HighlightChart01Date(chart, kChartNavy, frame_.ChartItems, frame_.ChartDate);
        WriteReportImage(chart, size, report, ShellServices().State().TempPath);
    }

private:
    const TfrNumber& frame_;
};

}  // namespace

std::unique_ptr<TReportData> TfrNumber::ReportSource(const std::string& name,
                                                     const std::string& descript) const {
    auto data = std::make_unique<TNumberChartReport>(ReportData(), *this);
    data->Name = name;
    data->Descript = descript;
    return data;
}

void TfrNumber::BitBtnReportClick() {
    if (!BitBtnEdit->isEnabled()) return;
    ShowReportWindow(this, IDObject, [this](const std::string& name, const std::string& descript) {
        return ReportSource(name, descript);
    });
}

// ---- Editing ---------------------------------------------------------------------------------

void TfrNumber::SetEditMode(bool edit) {
    BitBtnEdit->setEnabled(!edit);
    BitBtnApply->setEnabled(false);
    BitBtnCansel->setEnabled(edit);
    BitBtnAdd->setEnabled(edit);
    BitBtnClear->setEnabled(edit);
    BitBtnExpToXls->setEnabled(!edit);
    BitBtnReport->setEnabled(!edit);
    if (!edit) PlaceRowButtons(0);
}

int TfrNumber::Ask(const char* key, const std::string& tail) {
    const std::string question =
        TLangFile(ShellServices().LangPath() + kNumberFile).Read(kSection, key, "") + tail;
    return MessageDlg(question, TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, this);
}

void TfrNumber::BitBtnEditClick() {
    Interactive = true;
    SetEditMode(true);
    EarliestChange = Today() + 1;
    Timer1->setInterval(SlideInterval);
    SlideMode = 'e';
    Timer1->start();
    EditLayout = true;
}

void TfrNumber::Timer1Timer() {
    const int w = width();
    const int left = StringGridItems->x();
    if (SlideMode == 'e') {
        const int v = std::min(left + SlideStep, kGridLeftEdit);
        PlaceGrid(v, w - v - 3);
        if (v >= kGridLeftEdit) {
            Timer1->stop();
            PlaceGrid(kGridLeftEdit, w - 35);
            PlaceRowButtons(SelectedRow);
        }
    } else {
        const int v = std::max(left - SlideStep, kGridLeft);
        PlaceGrid(v, w - v - 3);
        if (v <= kGridLeft) {
            Timer1->stop();
            PlaceGrid(kGridLeft, w - 6);
        }
    }
}

void TfrNumber::PlaceGrid(int left, int width) {
    StringGridItems->setGeometry(left, kGridTop, width, StringGridItems->height());
    FitLastColumn();
}

void TfrNumber::FitLastColumn() {
    int rest = StringGridItems->viewport()->width() - 2;
    for (int column = 0; column < 3; ++column) rest -= StringGridItems->columnWidth(column);
    StringGridItems->setColumnWidth(3, std::max(rest, 20));
}

void TfrNumber::PlaceRowButtons(int row) {
    const int top = StringGridItems->rowAt(0);
    const int visible = StringGridItems->viewport()->height() / kRowHeight;
    const bool shown = EditLayout && RowCount() >= 2 && Grid->Row(0).Kind != 0 && row >= 1 &&
                       row - 1 >= top && row - 1 <= top + visible - 1 && row <= RowCount() - 1;
    for (QWidget* control :
         {static_cast<QWidget*>(BitBtnEditRow), static_cast<QWidget*>(ImageEditRow),
          static_cast<QWidget*>(BitBtnDelRow), static_cast<QWidget*>(ImageDelRow)})
        control->setVisible(shown);
    if (!shown) return;
    // Beside the row, centred on it: the edit button above the delete button. Together they are
    // a little taller than the row, so that each shows its picture whole.
    const int y = StringGridItems->y() + StringGridItems->viewport()->y() +
                  StringGridItems->rowViewportPosition(row - 1) +
                  (kRowHeight - 2 * kRowButtonHeight) / 2;
    BitBtnEditRow->move(3, y);
    ImageEditRow->move(3 + kRowPictureLeft, y + kRowPictureTop);
    BitBtnDelRow->move(3, y + kRowButtonHeight);
    ImageDelRow->move(3 + kRowPictureLeft, y + kRowButtonHeight + kRowPictureTop);
}

void TfrNumber::OpenValueDialog(char mode) {
    auto* dialog = new TfNumberChange(*this);
    dialog->Mode = mode;
    dialog->IDObject = IDObject;
    dialog->NameObject = ToStdString(LabelHeader->text());
    dialog->exec();  // it frees itself when it closes
    ShowCurrentValue();
}

void TfrNumber::BitBtnAddClick() {
    OpenValueDialog('A');
}

void TfrNumber::BitBtnEditRowClick() {
    OpenValueDialog('E');
}

void TfrNumber::BitBtnDelRowClick() {
    const int row = Row();
    const std::string date = row >= 1 ? ToStdString(Grid->Row(row - 1).Cells[1]) : std::string();
    if (Ask("StrQuestionDel", " " + date + " ?") != mrYes) return;
    const int i = row - 1;
    if (i < 0 || i >= static_cast<int>(Items.size())) return;
    int live = -1;
    for (NumberItemInfo& item : Items) {
        if (!item.IsLive() || ++live != i) continue;
        item.State = 'd';
        EarliestChange = std::min(EarliestChange, item.DateBegin);
        break;
    }
    ShowChronology();
    SetRow(std::clamp(row, 1, RowCount() - 1));
    ShowCurrentValue();
    BitBtnApply->setEnabled(true);
}

void TfrNumber::BitBtnClearClick() {
    if (Ask("StrQuestionClear", " ") != mrYes) return;
    for (NumberItemInfo& item : Items) {
        if (item.IsLive()) EarliestChange = std::min(EarliestChange, item.DateBegin);
        item.State = 'd';
    }
    ClearGrid();
    SetRow(1);
    LabeCurValue->setText(QString());
    Grid->SetDayInForce(std::nullopt);
    BitBtnApply->setEnabled(true);
}

void TfrNumber::SlideBack() {
    if (Interactive) {
        Timer1->setInterval(SlideInterval);
        SlideMode = 'c';
        Timer1->start();
    } else {
        Timer1->stop();
        PlaceGrid(kGridLeft, width() - 6);
    }
}

void TfrNumber::BitBtnCanselClick() {
    if (BitBtnApply->isEnabled()) {
        if (Interactive && Ask("StrQuestionCancel", " ") != mrYes) return;
        LoadChronology(IDObject);
        ShowChronology();
    }
    SetEditMode(false);
    SlideBack();
    ShowCurrentValue();
    EditLayout = false;
    PlaceRowButtons(0);
}

int TfrNumber::SaveChronology() {
    return JournalNumberChange(Items, IDObject, ToStdString(LabelHeader->text()), EarliestChange);
}

void TfrNumber::BitBtnApplyClick() {
    if (Ask("StrQuestionApply", " ") == mrYes) ApplyEdits();
}

bool TfrNumber::ApplyEdits() {
    // A stored constant that is no number cannot be written again: its row is shown for the
    // user to change, and edit mode goes on.
    if (const std::optional<size_t> malformed = FirstMalformedConstant(Items)) {
        SelectDateRow(Items[*malformed].DateBegin);
        MessageDlg(TLangFile(ShellServices().LangPath() + kNumberFile)
                       .Read("NumberChoiceEdit", "StrValIncorrect", ""),
                   TMsgDlgType::mtError, mbOK, this);
        return false;
    }
    // A change that was not applied leaves edit mode going on with the items as edited.
    if (SaveEdits([this] { return SaveChronology(); }) <= 0) return false;
    LetMessagesRun();
    SetEditMode(false);
    SlideBack();
    EditLayout = false;
    PlaceRowButtons(0);
    return true;
}

bool TfrNumber::Leave() {
    if (!BitBtnCansel->isEnabled()) return true;
    Interactive = false;
    if (BitBtnApply->isEnabled()) {
        // Cancel (also Esc and the closed box) keeps the user in the frame, in edit mode with
        // the changes; so does Yes when they could not be saved (the failure was shown). No
        // drops them.
        const int answer = Ask("StrQuestionApply", " ");
        if (answer == mrCancel || (answer == mrYes && !ApplyEdits())) {
            Interactive = true;
            return false;
        }
    }
    if (BitBtnCansel->isEnabled()) BitBtnCansel->click();
    return true;
}

void TfrNumber::PMenuNumberPopup() {
    const bool edit = !BitBtnEdit->isEnabled();
    AddValue->setEnabled(edit);
    const bool items = edit && !(RowCount() >= 2 && Grid->Row(0).Kind == 0);
    EditValue->setEnabled(items);
    DelValue->setEnabled(items);
}

// ---- Layout ----------------------------------------------------------------------------------

void TfrNumber::resizeEvent(QResizeEvent* event) {
    TFrameBase::resizeEvent(event);
    FrameResize();
}

void TfrNumber::FrameResize() {
    const int w = width(), h = height();
    setUpdatesEnabled(false);
    LabelHeader->setGeometry(8, 6, std::max(w - 40, 10), 18);
    LabelDescript->setGeometry(8, 26, std::max(w - 40, 10), 16);
    ButtonHelp->move(w - 25, 6);
    LabelCurValueL->move(8, 58);
    LabeCurValue->move(LabelCurValueL->x() + LabelCurValueL->width() + 5, 50);
    LabelHistory->move(8, 76);
    const int gridWidth = EditLayout ? w - 35 : w - 6;
    StringGridItems->setGeometry(StringGridItems->x(), kGridTop, gridWidth, std::max(h - 216, 40));
    FitLastColumn();
    LabeChart->move(3, h - 112);
    PanelChart->setGeometry(3, h - 97, gridWidth, 56);
    ScrollBarChart->setGeometry(3, h - 41, gridWidth, 12);
    int left = 3;
    for (QPushButton* button : {BitBtnEdit, BitBtnApply, BitBtnCansel, BitBtnAdd, BitBtnClear}) {
        button->adjustSize();
        button->setGeometry(left, h - 26, std::max(button->width(), 75), 23);
        left += button->width() + 4;
    }
    BitBtnExpToXls->move(w - 62, h - 25);
    BitBtnReport->move(w - 35, h - 25);
    setUpdatesEnabled(true);
    if (EditLayout) PlaceRowButtons(SelectedRow);
}

// ---- Export ----------------------------------------------------------------------------------

void TfrNumber::ExportToExcel() {
    const TMainState& state = ShellServices().State();
    const std::string name = TfMain::SanitizeFileName(ToStdString(LabelHeader->text()));
    const std::string path =
        state.ExportPath + "/" + name + "_" +
        ToStdString(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))) +
        ".xlsx";
    TNumberSheet sheet;
    sheet.Name = ToStdString(LabelHeader->text());
    sheet.Descript = ToStdString(LabelDescript->text());
    sheet.History = ToStdString(LabelHistory->text());
    for (int column = 1; column <= 3; ++column)
        sheet.Titles[static_cast<size_t>(column - 1)] =
            ToStdString(Grid->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    sheet.StrErrorCalc = StrErrorCalc;
    SortChronology(Items);
    if (!WriteNumberWorkbook(path, sheet, Items)) {
        MessageDlg("Unable to open Excel", TMsgDlgType::mtError, mbOK, this);
        return;
    }
    OpenDocumentOrTell(path, this);
}

TfrNumber& RegisterNumberFrame(TFrameRegistry& frames, QWidget& parent) {
    auto frame = std::make_unique<TfrNumber>(&parent);
    frames.RegisterFrame(otNumber, *frame);
    return *frame.release();  // the panel owns it
}
