// The pay frame: a pay's history of counter readings, charges and payments with their balances,
// whole or through the pay's filter, the totals and the chart of what is shown, today's
// balance, and the commands on the pay's events.
#include "pays/U_frpay.h"

#include <QAction>
#include <QDateTime>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "algorithms/Ugetdata.h"
#include "algorithms/Uq519algorithm01.h"
#include "decimal/Uchecksymbols.h"
#include "pays/U_fchangedirectpay.h"
#include "pays/U_ffilterpay.h"
#include "pays/Upaytables.h"
#include "platform/EventLoop.h"
#include "platform/TableGridModel.h"
#include "platform/Text.h"
#include "reports/U_rtfreport_widgets.h"
#include "schema/SchemaNames.h"
#include "shell/FrameWidgets.h"
#include "shell/ImageListTree.h"
#include "shell/MessageDlg.h"
#include "shell/ShellOpen.h"
#include "shell/ShellServices.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"
#include "store/TransBlockRows.h"
#include "store/U_dm.h"

const QColor TfrPay::CounterColor{255, 255, 255};
const QColor TfrPay::CounterSelColor{249, 249, 249};
const QColor TfrPay::ChargeColor{255, 249, 224};
const QColor TfrPay::ChargeSelColor{255, 229, 203};
const QColor TfrPay::PaymentColor{240, 255, 208};
const QColor TfrPay::PaymentSelColor{208, 255, 176};

namespace {

constexpr int kHelpTopic = 2500;
constexpr int kGridTop = 94;
constexpr int kPanelTotalHeight = 42;
constexpr int kPanelChartHeight = 70;
constexpr int kGroupBoxHeight = 84;
// The last column, the description, takes the width the others leave in the grid, never less
// than its width here: a narrow frame shows every amount and the description's start.
constexpr int kColumnWidths[8] = {80, 120, 80, 80, 80, 80, 80, 80};
// The widest amount a history cell holds in full at least, and the room around an amount's text:
// a history cell draws it 5 pixels left of its right edge, a total 2 pixels.
constexpr const char* kWidestAmount = "-00000000.00";
constexpr int kAmountMargin = 6;
constexpr int kTotalMargin = 4;
constexpr int kTotalLastColumn = 50;
const QColor kMaroon(128, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kLime(0, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);

// The fields the grid reads of a history row, in this order.
enum THistoryField {
    FDate,
    FType,
    FCounter,
    FCharge,
    FForPayment,
    FPayment,
    FBalance,
    FDescript,
    FIDCharge,
    FN
};
const std::vector<std::string> kFields = {
    fld::DateEvent, fld::TypeEvent,  fld::Counter,  fld::Charge,   fld::ForPayment,
    fld::Payment,   fld::CurBalance, fld::Descript, fld::IDCharge, fld::N};

// The glyph files of the edit and delete buttons.
const char* const kGlyphFiles[6] = {"CounterEdit.bmp", "CargeManualEdit.bmp", "PayEdit.bmp",
                                    "CounterDel.bmp",  "CargeManualDel.bmp",  "PayDel.bmp"};

std::string TypeOf(const TTableGridModel::TRow& row) {
    return row[FType].Text();
}

// An amount of the row in the user's separator, whichever separator it was stored with.
std::string AmountShown(const TTableGridModel::TRow& row, int field) {
    return WithUserSeparator(row[field].Text());
}

int IDChargeOf(const TTableGridModel::TRow& row) {
    return static_cast<int>(row[FIDCharge].Integer());
}

// The kind of a row for its buttons and glyphs: 0 counter reading, 1 manual charge, 2 payment,
// -1 an automatic charge or another kind.
int ManualKind(const TTableGridModel::TRow& row) {
    const std::string type = TypeOf(row);
    if (type == kEventCounter) return 0;
    if (type == kEventCharge) return IDChargeOf(row) == 0 ? 1 : -1;
    if (type == kEventPayment) return 2;
    return -1;
}

// Draws every cell of the history grid: the kind's background, the blue lines of the selected
// row, the balance in red or green, the texts placed as the columns want them.
class THistoryDelegate : public QStyledItemDelegate {
public:
    THistoryDelegate(TfrPay& frame, TTableGridModel& model)
        : QStyledItemDelegate(&frame), frame_(frame), model_(model) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const TTableGridModel::TRow* row = model_.Row(index.row());
        if (row == nullptr) return;
        const std::string type = TypeOf(*row);
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        QColor background = kWhite;
        if (type == kEventCounter)
            background = selected ? TfrPay::CounterSelColor : TfrPay::CounterColor;
        else if (type == kEventCharge)
            background = selected ? TfrPay::ChargeSelColor : TfrPay::ChargeColor;
        else if (type == kEventPayment)
            background = selected ? TfrPay::PaymentSelColor : TfrPay::PaymentColor;
        const QRect rect = option.rect;
        if (selected) frame_.SelectedRowBottom = rect.bottom() + 1;
        const QString text = index.data().toString();
        QColor font(Qt::black);
        if (index.column() == FBalance && (type == kEventCharge || type == kEventPayment))
            font = text.contains(QLatin1Char('-')) ? kRed : kGreen;
        painter->save();
        painter->fillRect(rect, background);
        if (selected) {
            painter->setPen(kBlue);
            painter->drawLine(rect.left(), rect.top(), rect.right(), rect.top());
            painter->drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
        }
        painter->setPen(font);
        painter->setFont(option.font);
        const bool left =
            index.column() == FDate || index.column() == FType || index.column() == FDescript;
        const QRect textRect = left ? rect.adjusted(2, 2, 0, 0) : rect.adjusted(0, 2, -5, 0);
        // A text longer than its cell ends with "…", as in the frames' other grids; the amount
        // columns are wide enough for their amounts.
        const QString shown =
            left ? option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()) : text;
        painter->drawText(textRect, (left ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignTop, shown);
        painter->restore();
    }

private:
    TfrPay& frame_;
    TTableGridModel& model_;
};

// Draws the totals grid: the header over columns 0 and 1, the period under it on the button
// face, and the three totals on their kinds' colours.
class TTotalDelegate : public QStyledItemDelegate {
public:
    TTotalDelegate(TfrPay& frame, const std::string& total, const std::string& totalOfPeriod)
        : QStyledItemDelegate(&frame),
          frame_(frame),
          total_(total),
          totalOfPeriod_(totalOfPeriod) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const PayFilterInfo& filter = frame_.Filter;
        const QRect rect = option.rect;
        painter->save();
        painter->setPen(Qt::black);
        if (index.column() == 0) {
            if (index.row() == 0) {
                painter->fillRect(rect, option.palette.button());
                painter->drawText(rect.adjusted(0, 1, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                                  ToQString(frame_.PeriodText.empty() ? total_ : totalOfPeriod_));
            } else {
                painter->fillRect(rect, option.palette.button());
                if (filter.FilterOn)
                    painter->drawText(rect.adjusted(0, 1, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                                      ToQString(frame_.PeriodText));
            }
            painter->restore();
            return;
        }
        const bool charges = filter.ShowAutoCharges || filter.ShowManualCharges;
        const bool all = charges && filter.ShowPayments;
        QColor fill;
        if (index.row() == 1 && index.column() == 3 && charges) fill = TfrPay::ChargeColor;
        if (index.row() == 1 && index.column() == 5 && filter.ShowPayments)
            fill = TfrPay::PaymentColor;
        if (index.row() == 1 && index.column() == 6 && all) {
            fill = option.palette.base().color();
            painter->setPen(frame_.PeriodBalance < large_fix() ? kRed : kGreen);
        }
        if (fill.isValid()) {
            painter->fillRect(rect, fill);
            painter->drawText(rect.adjusted(0, 1, -2, 0), Qt::AlignRight | Qt::AlignTop,
                              index.data().toString());
        } else {
            if (index.row() == 0) painter->fillRect(rect, option.palette.button());
            painter->setPen(Qt::black);
            painter->drawText(rect.adjusted(2, 1, -2, 0),
                              (index.row() == 0 ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignTop,
                              index.data().toString());
        }
        painter->restore();
    }

private:
    TfrPay& frame_;
    const std::string& total_;
    const std::string& totalOfPeriod_;
};

TfrPay* registered = nullptr;

}  // namespace

TfrPay::TfrPay(TTable& history, const TImageListTree& icons, const QColor& memoColor,
               const QImage& logo, QWidget* parent)
    : TFrameBase("TfrPay", "Pay.lng", "Pay", kHelpTopic, TFrameHeader::Node, parent),
      history_(history),
      icons_(icons),
      memoColor_(memoColor),
      logo_(logo) {
    BuildControls();
}

TfrPay::~TfrPay() {
    if (registered == this) registered = nullptr;
}

void TfrPay::BuildControls() {
    Image1 = Named<QLabel>(this, "Image1");
    SetTextKey(*Image1, "");
    Image1->setFixedSize(17, 17);
    StyleFrameHeader(*this);

    LabelCurBalance = Named<QLabel>(this, "LabelCurBalance");
    SetTextKey(*LabelCurBalance, "");  // its "[Date]" is replaced by today
    LabelCurBalanceVal = Named<QLabel>(this, "LabelCurBalanceVal");
    SetTextKey(*LabelCurBalanceVal, "");
    LabelCurBalanceVal->setFont(PixelFont("Tahoma", 19, true));
    LabelHistory = Named<QLabel>(this, "LabelHistory");
    SetTextKey(*LabelHistory, "");

    const auto text = [](int field) {
        return [field](const TTableGridModel::TRow& row) {
            return ToQString(field == FDescript ? row[field].Text() : AmountShown(row, field));
        };
    };
    std::vector<TTableGridModel::TColumn> columns = {
        {{},
         [](const TTableGridModel::TRow& row) { return ToQString(DateToStr(row[FDate].Real())); }},
        {{}, [this](const TTableGridModel::TRow& row) {
             return ToQString(EventWord(TypeOf(row), IDChargeOf(row), Words));
         }}};
    for (int field = FCounter; field <= FDescript; ++field) columns.push_back({{}, text(field)});
    model_ = new TTableGridModel(kFields, fld::N, std::move(columns), this);

    DBGridPayHistory = Named<QTableView>(this, "DBGridPayHistory");
    DBGridPayHistory->setModel(model_);
    StyleTableGrid(*DBGridPayHistory,
                   std::vector<int>(std::begin(kColumnWidths), std::end(kColumnWidths)));
    DBGridPayHistory->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    DBGridPayHistory->setItemDelegate(new THistoryDelegate(*this, *model_));
    DBGridPayHistory->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGridPayHistory->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!DBGridPayHistory->isEnabled()) return;
                MoveTableToRow(current.row());
                DataSourcePayHistDataChange();
            });
    connect(DBGridPayHistory->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this] { AlignTotalColumns(); });

    PanelTotal = Named<QFrame>(this, "PanelTotal");
    // Under the history grid's indicator column: the totals' columns start where the grid's do.
    StringGrid2 = Named<QFrame>(PanelTotal, "StringGrid2");
    StringGrid2->setAutoFillBackground(true);
    StringGrid2->setBackgroundRole(QPalette::Button);
    StringGridTotal = Named<QTableWidget>(PanelTotal, "StringGridTotal", 2, 9);
    StringGridTotal->horizontalHeader()->hide();
    StringGridTotal->verticalHeader()->hide();
    StringGridTotal->verticalHeader()->setDefaultSectionSize(18);
    StringGridTotal->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridTotal->setSelectionMode(QAbstractItemView::NoSelection);
    StringGridTotal->setFocusPolicy(Qt::NoFocus);
    StringGridTotal->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    StringGridTotal->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGridTotal->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont bold = StringGridTotal->font();
    bold.setBold(true);
    StringGridTotal->setFont(bold);
    StringGridTotal->setSpan(0, 0, 1, 2);
    StringGridTotal->setSpan(1, 0, 1, 2);
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 9; ++column)
            StringGridTotal->setItem(row, column, new QTableWidgetItem);
    StringGridTotal->setColumnWidth(8, kTotalLastColumn);
    StringGridTotal->setItemDelegate(new TTotalDelegate(*this, strTotal_, strTotalOfPeriod_));
    // The totals scroll with the history.
    connect(DBGridPayHistory->horizontalScrollBar(), &QScrollBar::valueChanged,
            StringGridTotal->horizontalScrollBar(), &QScrollBar::setValue);
    connect(DBGridPayHistory->horizontalScrollBar(), &QScrollBar::rangeChanged, this, [this] {
        StringGridTotal->horizontalScrollBar()->setValue(
            DBGridPayHistory->horizontalScrollBar()->value());
    });

    LabeChart = Named<QLabel>(this, "LabeChart");
    SetTextKey(*LabeChart, "");
    const TChartControls chart = NewChartControls(*this);
    PanelChart = chart.Panel;
    ImageChart = chart.Image;
    ScrollBarChart = chart.ScrollBar;

    GroupBoxControl = Named<QGroupBox>(this, "GroupBoxControl");
    const auto button = [this](const char* name, const char* key) {
        auto* control = Named<QPushButton>(GroupBoxControl, name, QString());
        SetTextKey(*control, key);
        control->setFocusPolicy(Qt::TabFocus);
        return control;
    };
    BitBtnAddCounter = button("BitBtnAddCounter", "BtnAddCounter");
    BitBtnAddChargeManual = button("BitBtnAddChargeManual", "BtnAddChargeManual");
    BitBtnAddPay = button("BitBtnAddPay", "BtnAddPay");
    BitBtnEditItem = button("BitBtnEditItem", "");
    BitBtnDelItem = button("BitBtnDelItem", "");
    BitBtnAddChargeAuto = button("BitBtnAddChargeAuto", "BtnAddChargeAuto");
    BtnChangeDirect = button("BtnChangeDirect", "BtnChangeDirect");
    SpeedButtonFilter = button("SpeedButtonFilter", "ButtonFilter");
    SpeedButtonFilter->setCheckable(true);
    ButtonFilterSetting = button("ButtonFilterSetting", "");
    ButtonFilterSetting->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    SetHintKey(*ButtonFilterSetting, "FilterSettingH");
    BitBtnReport = button("BitBtnReport", "");
    BitBtnReport->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    SetHintKey(*BitBtnReport, "ReportH");
    BitBtnExpToXls = button("BitBtnExpToXls", "");
    BitBtnExpToXls->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    for (QPushButton* glyph : {ButtonFilterSetting, BitBtnReport, BitBtnExpToXls})
        glyph->setFixedSize(27, 23);
    LabelWarning = Named<QLabel>(GroupBoxControl, "LabelWarning");
    LabelWarning->setStyleSheet(QStringLiteral("color: #FF0000; font-weight: bold"));
    LabelWarning->hide();
    auto* controls = new QVBoxLayout(GroupBoxControl);
    controls->setContentsMargins(6, 4, 6, 4);
    controls->setSpacing(4);
    auto* adds = new QHBoxLayout;
    auto* rows = new QHBoxLayout;
    for (QWidget* control :
         std::initializer_list<QWidget*>{BitBtnAddCounter, BitBtnAddChargeManual, BitBtnAddPay,
                                         BitBtnAddChargeAuto, BtnChangeDirect})
        adds->addWidget(control);
    adds->addStretch(1);
    for (QWidget* control :
         std::initializer_list<QWidget*>{BitBtnEditItem, BitBtnDelItem, SpeedButtonFilter,
                                         ButtonFilterSetting, BitBtnReport, BitBtnExpToXls})
        rows->addWidget(control);
    rows->addStretch(1);
    rows->addWidget(LabelWarning, 0, Qt::AlignRight | Qt::AlignBottom);
    controls->addLayout(adds);
    controls->addLayout(rows);

    connect(SpeedButtonFilter, &QPushButton::clicked, this, &TfrPay::SpeedButtonFilterClick);
    connect(ButtonFilterSetting, &QPushButton::clicked, this, &TfrPay::ButtonFilterSettingClick);
    connect(BitBtnDelItem, &QPushButton::clicked, this, &TfrPay::BitBtnDelItemClick);
    connect(BtnChangeDirect, &QPushButton::clicked, this, &TfrPay::BtnChangeDirectClick);
    connect(BitBtnExpToXls, &QPushButton::clicked, this, &TfrPay::ExportToExcel);
    const auto manualEvent = [this](int mode) {
        RunJournalCommand(
            [this, mode] { Dialogs.ManualEvent(mode, ToStdString(LabelHeader->text())); });
    };
    connect(BitBtnAddCounter, &QPushButton::clicked, this,
            [manualEvent] { manualEvent(kPayAddCounter); });
    connect(BitBtnAddChargeManual, &QPushButton::clicked, this,
            [manualEvent] { manualEvent(kPayAddManualCharge); });
    connect(BitBtnAddPay, &QPushButton::clicked, this,
            [manualEvent] { manualEvent(kPayAddPayment); });
    connect(BitBtnEditItem, &QPushButton::clicked, this, [this, manualEvent] {
        const TTableGridModel::TRow* row = GridRow(CurrentRow());
        if (row == nullptr) return;
        const int modes[3] = {kPayChangeCounter, kPayChangeManualCharge, kPayChangePayment};
        if (const int kind = ManualKind(*row); kind >= 0) manualEvent(modes[kind]);
    });
    connect(BitBtnAddChargeAuto, &QPushButton::clicked, this, [this] {
        RunCommand([this] { Dialogs.AutoCharges(PayID); });
        ShowCurrentBalance();
    });
    connect(BitBtnReport, &QPushButton::clicked, this,
            [this] { RunCommand([this] { Dialogs.Report(PayID); }); });

    PMenuPay = new QMenu(this);
    PMenuPay->setObjectName(QStringLiteral("PMenuPay"));
    AddCounter = PMenuPay->addAction(QString());
    AddChargeManual = PMenuPay->addAction(QString());
    AddPay = PMenuPay->addAction(QString());
    line1 = PMenuPay->addSeparator();
    line1->setEnabled(false);
    Edit = PMenuPay->addAction(QString());
    Delete = PMenuPay->addAction(QString());
    connect(PMenuPay, &QMenu::aboutToShow, this, &TfrPay::PMenuPayPopup);
    connect(AddCounter, &QAction::triggered, BitBtnAddCounter, &QPushButton::click);
    connect(AddChargeManual, &QAction::triggered, BitBtnAddChargeManual, &QPushButton::click);
    connect(AddPay, &QAction::triggered, BitBtnAddPay, &QPushButton::click);
    connect(Edit, &QAction::triggered, BitBtnEditItem, &QPushButton::click);
    connect(Delete, &QAction::triggered, BitBtnDelItem, &QPushButton::click);
    connect(DBGridPayHistory, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PMenuPay->popup(DBGridPayHistory->viewport()->mapToGlobal(at));
    });
    // F2 outside the tree opens the popup menu beside the selected row.
    auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this, nullptr, nullptr,
                             Qt::WidgetWithChildrenShortcut);
    connect(f2, &QShortcut::activated, this, [this] {
        PMenuPay->popup(DBGridPayHistory->viewport()->mapToGlobal(
            QPoint(DBGridPayHistory->columnWidth(0) + 50, SelectedRowBottom + 2)));
    });

    ResetItemButtons();
    SetDialogButtons();
    hide();
}

QWidget* TfrPay::MainControl() const {
    return DBGridPayHistory;
}

bool TfrPay::BudgetRuns() const {
    return ShellServices().State().BudgetState == 0;
}

QPixmap TfrPay::Glyph(const char* file) const {
    return QPixmap(ToQString(ShellServices().State().DataPath + file));
}

void TfrPay::ReadFrameTexts(const TLangFile& texts, const std::string& section) {
    const auto read = [&](const char* key) { return texts.Read(section, key, ""); };
    curBalanceText_ = read("LabelCurBalance");
    const char* titles[8] = {"ColDatr",   "ColEvent",   "ColCounter",    "ColCharge",
                             "ColForPay", "ColPayment", "ColCurBalance", "ColDEscript"};
    for (int column = 0; column < 8; ++column)
        model_->SetTitle(column, ToQString(read(titles[column])));
    Words.EventCounter = read("EventCounter");
    Words.EventChargeAuto = read("EventChargeAuto");
    Words.EventChargeManual = read("EventChargeManual");
    Words.EventPayment = read("EventPayment");
    Words.WordFrom = read("Word_from");
    Words.WordTo = read("Word_to");
    Words.StrCounter = read("StrCounter");
    Words.StrAutoCharge = read("StrAutoCharge");
    Words.StrManualCharge = read("StrManualCharge");
    Words.StrPayment = read("StrPayment");
    Words.HistCaption = read("HistCaption");
    Words.StrChart = read("StrChart");
    Words.StrChartOfPeriod = read("StrChartOfPeriod");
    btnEditEmpty_ = read("BtnEditEmpty");
    btnDelEmpty_ = read("BtnDelEmpty");
    btnEditCounter_ = read("BtnEditCounter");
    btnEditManualCharge_ = read("BtnEditManualCharge");
    btnEditPay_ = read("BtnEditPay");
    btnDelCounter_ = read("BtnDelCounter");
    btnDelManualCharge_ = read("BtnDelManualCharge");
    btnDelPay_ = read("BtnDelPay");
    strTotal_ = read("StrTotal");
    strTotalOfPeriod_ = read("StrTotalOfPeriod");
    StringGridTotal->item(0, 3)->setText(ToQString(read("StrCharged")));
    StringGridTotal->item(0, 5)->setText(ToQString(read("StrPaid")));
    StringGridTotal->item(0, 6)->setText(ToQString(read("StrBalance")));
    AddCounter->setText(BitBtnAddCounter->text());
    AddChargeManual->setText(BitBtnAddChargeManual->text());
    AddPay->setText(BitBtnAddPay->text());
    for (int i = 0; i < 6; ++i)
        menuImages_[static_cast<size_t>(3 + i)] = QIcon(Glyph(kGlyphFiles[i]));
    ResetItemButtons();
    StringGridTotal->setColumnWidth(8, kTotalLastColumn);
    AlignTotalColumns();
    FrameResize();
}

// ---- Showing ---------------------------------------------------------------------------------

void TfrPay::ShowFor(const ObjectInfo& node) {
    PayID = node.ID;
    const TObjectIndex& nodes = ShellServices().Index();
    const int at = nodes.IndexOf(node.ID, node.Path);
    Image1->setPixmap(at >= 0 ? icons_.Pixmap(nodes.Node(at).Image) : QPixmap());
    LabelHeader->setText(ToQString(node.Name));
    LabelDescript->setText(ToQString(node.Descript));
    show();
    LoadPay();
    ShowKept(node);
}

void TfrPay::ShowKept(const ObjectInfo& node) {
    PayID = node.ID;
    show();
    // The grid let go of its rows while hidden: it shows the view again on the row it had.
    if (keptRow_ >= 0 && history_.Active()) {
        model_->Follow(history_);
        SetCurrentRow(std::min(keptRow_, model_->rowCount() - 1));
        keptRow_ = -1;
    }
    SetDialogButtons();
    LabelCurBalance->setText(
        ToQString(curBalanceText_)
            .replace(QStringLiteral("[Date]"), ToQString("(" + DateToStr(Today()) + ")")));
    LabelCurBalance->adjustSize();
    LabelWarning->setVisible(!BudgetRuns());
    ShowCurrentBalance();
}

bool TfrPay::Leave() {
    if (Loaded) DM->WritePayFilter(PayID, Filter);
    return true;
}

void TfrPay::HideFrame() {
    TFrameBase::HideFrame();
    if (model_->rowCount() > 0) keptRow_ = std::max(CurrentRow(), 0);
    model_->Clear();
}

void TfrPay::LoadPay() {
    Filter = DM->ReadPayFilter(PayID);
    Loaded = false;
    if (Filter.FilterOn) {
        ShowFilteredHistory();
        SpeedButtonFilter->setChecked(true);
    } else {
        ShowFullHistory();
        SpeedButtonFilter->setChecked(false);
    }
    Loaded = true;
    if (!BudgetRuns()) {
        ImageChart->Bitmap = QImage();
        ImageChart->Changed();
    }
}

void TfrPay::ResetItemButtons() {
    BitBtnEditItem->setIcon(QIcon());
    BitBtnDelItem->setIcon(QIcon());
    BitBtnEditItem->setText(ToQString("     " + btnEditEmpty_));
    BitBtnDelItem->setText(ToQString("     " + btnDelEmpty_));
    BitBtnEditItem->setEnabled(false);
    BitBtnDelItem->setEnabled(false);
}

void TfrPay::SetTotalCells(bool charged, bool paid, bool balance) {
    const bool runs = BudgetRuns();
    const auto cell = [&](int column, bool shown, const large_fix& value) {
        StringGridTotal->item(1, column)->setText(!runs   ? QStringLiteral("???")
                                                  : shown ? ToQString(value.ToString())
                                                          : QString());
    };
    cell(3, charged, TotalCharged);
    cell(5, paid, TotalPaid);
    cell(6, balance, PeriodBalance);
    FitAmountColumns();
}

void TfrPay::FitAmountColumns() {
    const QFontMetrics cells(DBGridPayHistory->font());
    const QFontMetrics totals(StringGridTotal->font());
    const int amount = cells.horizontalAdvance(QString::fromLatin1(kWidestAmount)) + kAmountMargin;
    for (int column = FCounter; column <= FBalance; ++column) {
        const int total =
            totals.horizontalAdvance(StringGridTotal->item(1, column)->text()) + kTotalMargin;
        DBGridPayHistory->setColumnWidth(column, std::max({kColumnWidths[column], amount, total}));
    }
}

void TfrPay::ShowView(const TFilter& view) {
    ++viewsShown_;
    keptRow_ = -1;
    ResetItemButtons();
    DBGridPayHistory->setEnabled(false);
    history_.Close();
    history_.SetFilter(view);
    history_.SetFiltered(true);
    history_.Open();
    reportMalformed_ = false;
    if (BudgetRuns()) {
        ComputeTotals();
    } else {
        ChartItems.clear();
        ShownRowCount = 0;
    }
    model_->Follow(history_);
    DBGridPayHistory->setEnabled(true);
    const int last = model_->rowCount() - 1;
    if (last >= 0) {
        SetCurrentRow(last);
    } else {
        history_.Last();
        DataSourcePayHistDataChange();
    }
}

void TfrPay::ShowFilteredHistory() {
    Filter.FilterOn = true;
    ShowView(PayHistoryFilter(PayID, Filter));
    const bool charges = Filter.ShowAutoCharges || Filter.ShowManualCharges;
    SetTotalCells(charges, Filter.ShowPayments, charges && Filter.ShowPayments);
    BuildPeriodText();
    LabelHistory->setText(
        ToQString(PayHistoryCaption(Words, PayKindsText(Filter, Words), PeriodText)));
    LabelHistory->adjustSize();
    LabeChart->setText(ToQString(PayChartCaption(Words, PeriodText)));
    LabeChart->adjustSize();
    StringGridTotal->viewport()->update();
    if (reportMalformed_) ReportGlobalErrors();
}

void TfrPay::ShowFullHistory() {
    ShowView(PayHistoryFilter(PayID));
    SetTotalCells(true, true, true);
    Filter.FilterOn = false;
    PeriodText.clear();
    LabelHistory->setText(ToQString(PayHistoryCaption(Words, {}, {})));
    LabelHistory->adjustSize();
    LabeChart->setText(ToQString(PayChartCaption(Words, {})));
    LabeChart->adjustSize();
    StringGridTotal->viewport()->update();
    if (reportMalformed_) ReportGlobalErrors();
}

void TfrPay::ComputeTotals() {
    const TPayTotals totals = ComputePayTotals(PayID, history_.Filter());
    TotalCharged = totals.Charged;
    TotalPaid = totals.Paid;
    PeriodBalance = totals.Balance;
    ShownRowCount = totals.ShownRowCount;
    reportMalformed_ = totals.Malformed;
    ChartItems.clear();
    ChartItems.reserve(totals.Points.size());
    for (const TPayChartPoint& point : totals.Points)
        ChartItems.push_back(
            {point.Date, point.Value, point.Value2, point.Charge ? kMaroon : kGreen, {}, {}});
    DrawChart();
}

void TfrPay::DrawChart() {
    ScrollBarChart->hide();
    DrawChart01a(ChartItems, kWhite, *PanelChart, *ScrollBarChart, *ImageChart);
    ImageChart->Changed();
}

void TfrPay::BuildPeriodText() {
    PeriodText = PayPeriodText(Filter, Words);
}

void TfrPay::ShowCurrentBalance() {
    if (!BudgetRuns()) {
        LabelCurBalanceVal->setText(QStringLiteral("???"));
        LabelCurBalanceVal->setStyleSheet(
            QStringLiteral("color: %1")
                .arg(palette().color(QPalette::Disabled, QPalette::Text).name()));
    } else {
        const std::string balance = WithUserSeparator(GetPayBalanceAt(PayID, Today()));
        LabelCurBalanceVal->setText(ToQString(balance));
        LabelCurBalanceVal->setStyleSheet(balance.find('-') != std::string::npos
                                              ? QStringLiteral("color: #FF0000")
                                              : QStringLiteral("color: #008000"));
    }
    LabelCurBalanceVal->adjustSize();
    LabelCurBalanceVal->move(LabelCurBalance->x() + LabelCurBalance->width() + 5, 50);
}

void TfrPay::AlignTotalColumns() {
    for (int column = 0; column < 8; ++column)
        StringGridTotal->setColumnWidth(column, DBGridPayHistory->columnWidth(column));
}

// ---- The current row -------------------------------------------------------------------------

namespace {

// The pay report with the frame's chart: picture 1 as shown; picture 2 with the selected item
// drawn in its own colour again (nothing to take off for a counter reading), on a copy.
class TPayChartReport : public TPayReportData {
public:
    TPayChartReport(const TfrPay& frame, std::string selectedType)
        : frame_(frame), selectedType_(std::move(selectedType)) {}

    void WritePicture(FILE* report, int number, TLabelPictureSize size, int row) override {
        if (row != 0 || (number != 1 && number != 2)) return;
        QImage chart = frame_.ImageChart->Bitmap;
        if (number == 2 && selectedType_ != kEventCounter)
            HighlightChart01aDate(chart, Qt::white, frame_.SelectedColor, true, frame_.ChartItems,
                                  frame_.SelectedDate);
        WriteReportImage(chart, size, report, ShellServices().State().TempPath);
    }

private:
    const TfrPay& frame_;
    std::string selectedType_;
};

}  // namespace

std::unique_ptr<TReportData> TfrPay::ReportSource(const std::string& name,
                                                  const std::string& descript) const {
    const auto eventOf = [this](const TTableGridModel::TRow& row) {
        return TPayReportData::TEvent{
            DateToStr(row[FDate].Real()),  EventWord(TypeOf(row), IDChargeOf(row), Words),
            AmountShown(row, FCounter),    AmountShown(row, FCharge),
            AmountShown(row, FForPayment), AmountShown(row, FPayment),
            AmountShown(row, FBalance),    row[FDescript].Text()};
    };
    const TTableGridModel::TRow* selected = GridRow(CurrentRow());
    auto data = std::make_unique<TPayChartReport>(*this, selected ? TypeOf(*selected) : "");
    data->Name = name;
    data->Descript = descript;
    data->Balance = ToStdString(LabelCurBalanceVal->text());
    data->Period = PeriodText;
    data->TotalCharge = TotalCell(3, 1);
    data->TotalPay = TotalCell(5, 1);
    data->TotalBalance = TotalCell(6, 1);
    if (selected != nullptr) data->Selected = eventOf(*selected);
    data->Selected.Date = SelectedDate != 0 ? DateToStr(SelectedDate) : std::string();
    for (int row = 0; row < model_->rowCount(); ++row)
        if (const TTableGridModel::TRow* values = GridRow(row))
            data->Rows.push_back(eventOf(*values));
    return data;
}

const TTableGridModel::TRow* TfrPay::GridRow(int row) const {
    return row >= 0 ? model_->Row(row) : nullptr;
}

int TfrPay::CurrentRow() const {
    const QModelIndex current = DBGridPayHistory->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TfrPay::SetCurrentRow(int row) {
    const QModelIndex index =
        model_->index(row, std::max(DBGridPayHistory->currentIndex().column(), 0));
    if (DBGridPayHistory->currentIndex() == index) {
        MoveTableToRow(row);
        DataSourcePayHistDataChange();
    } else {
        DBGridPayHistory->setCurrentIndex(index);
    }
    DBGridPayHistory->scrollTo(index);
}

std::string TfrPay::TotalCell(int column, int row) const {
    return ToStdString(StringGridTotal->item(row, column)->text());
}

void TfrPay::MoveTableToRow(int row) {
    const TTableGridModel::TRow* values = GridRow(row);
    if (values != nullptr && history_.Active()) history_.Locate(fld::N, {(*values)[FN]});
}

void TfrPay::DataSourcePayHistDataChange() {
    const TTableGridModel::TRow* row = GridRow(CurrentRow());
    bool charge = false;
    TDateTime date = 0;
    if (row != nullptr) {
        charge = TypeOf(*row) == kEventCharge;
        date = (*row)[FDate].Real();
        const int kind = ManualKind(*row);
        if (kind < 0) {
            ResetItemButtons();
        } else {
            const std::string* edit[3] = {&btnEditCounter_, &btnEditManualCharge_, &btnEditPay_};
            const std::string* del[3] = {&btnDelCounter_, &btnDelManualCharge_, &btnDelPay_};
            BitBtnEditItem->setIcon(QIcon(Glyph(kGlyphFiles[kind])));
            BitBtnDelItem->setIcon(QIcon(Glyph(kGlyphFiles[3 + kind])));
            BitBtnEditItem->setText(ToQString(*edit[kind]));
            BitBtnDelItem->setText(ToQString(*del[kind]));
            BitBtnEditItem->setEnabled(static_cast<bool>(Dialogs.ManualEvent));
            BitBtnDelItem->setEnabled(true);
        }
    }
    const QColor highlight = charge ? kRed : kLime;
    const QColor match = charge ? kMaroon : kGreen;
    if (SelectedColor.isValid())
        HighlightChart01aDate(ImageChart->Bitmap, kWhite, SelectedColor, true, ChartItems,
                              SelectedDate);
    if (row != nullptr && (charge || TypeOf(*row) == kEventPayment)) {
        HighlightChart01aDate(ImageChart->Bitmap, highlight, match, false, ChartItems, date);
        ScrollChart01aToDate(ImageChart->x(), PanelChart->width(), *ScrollBarChart, ChartItems,
                             date);
    }
    ImageChart->update();
    SelectedDate = date;
    SelectedColor = match;
}

// ---- Commands --------------------------------------------------------------------------------

std::array<QWidget*, 10> TfrPay::CommandControls() const {
    return {BitBtnAddCounter,    BitBtnAddChargeManual, BitBtnAddPay,    BitBtnEditItem,
            BitBtnDelItem,       BitBtnAddChargeAuto,   BtnChangeDirect, SpeedButtonFilter,
            ButtonFilterSetting, BitBtnReport};
}

void TfrPay::SaveButtonStates() {
    const std::array<QWidget*, 10> controls = CommandControls();
    for (size_t i = 0; i < controls.size(); ++i) SavedEnabled[i] = controls[i]->isEnabled();
}

void TfrPay::DisableButtons() {
    for (QWidget* control : CommandControls()) control->setEnabled(false);
}

void TfrPay::RestoreButtonStates() {
    const std::array<QWidget*, 10> controls = CommandControls();
    for (size_t i = 0; i < controls.size(); ++i) controls[i]->setEnabled(SavedEnabled[i]);
}

void TfrPay::SetDialogButtons() {
    for (QPushButton* add : {BitBtnAddCounter, BitBtnAddChargeManual, BitBtnAddPay})
        add->setEnabled(static_cast<bool>(Dialogs.ManualEvent));
    BitBtnAddChargeAuto->setEnabled(static_cast<bool>(Dialogs.AutoCharges));
    BitBtnReport->setEnabled(static_cast<bool>(Dialogs.Report));
}

void TfrPay::RunCommand(const std::function<void()>& command) {
    SaveButtonStates();
    DisableButtons();
    try {
        command();
    } catch (const std::exception& error) {
        MessageDlg(error.what(), TMsgDlgType::mtError, mbOK, this);
    }
    LetMessagesRun();
    RestoreButtonStates();
}

void TfrPay::RunJournalCommand(const std::function<void()>& change) {
    RunCommand([this, &change] {
        const int current = CurrentRow();
        const int views = viewsShown_;
        change();
        // A running budget's recalculation has loaded the view again; otherwise the grid shows
        // the history as the journal left it, on the row now at the current one's place.
        if (viewsShown_ == views && !isHidden() && history_.Active()) {
            history_.Refresh();
            model_->Follow(history_);
            if (model_->rowCount() > 0)
                SetCurrentRow(std::min(std::max(current, 0), model_->rowCount() - 1));
        }
    });
    ShowCurrentBalance();
    // The event may be gone or new: the edit and delete buttons follow the row now current,
    // not the states saved before the command.
    if (GridRow(CurrentRow()) == nullptr)
        ResetItemButtons();
    else
        DataSourcePayHistDataChange();
}

void TfrPay::SpeedButtonFilterClick() {
    if (!Loaded) return;
    if (SpeedButtonFilter->isChecked())
        ShowFilteredHistory();
    else
        ShowFullHistory();
    LetMessagesRun();
}

void TfrPay::ButtonFilterSettingClick() {
    RunCommand([this] {
        auto* dialog = new TfFilterPay(*this, memoColor_, logo_);
        dialog->PayName = ToStdString(LabelHeader->text());
        dialog->LoadFromFrame();
        FilterAccepted = false;
        dialog->ExecModal();  // it frees itself when it closes
        StringGridTotal->viewport()->update();
        if (FilterAccepted && Filter.FilterOn) ShowFilteredHistory();
    });
}

void TfrPay::BitBtnDelItemClick() {
    RunJournalCommand([this] {
        const TTableGridModel::TRow* row = GridRow(CurrentRow());
        if (row == nullptr) return;
        const std::string type = TypeOf(*row);
        const char* section = type == kEventCharge    ? "DelCharge"
                              : type == kEventPayment ? "DelPayment"
                                                      : "DelCounter";
        const std::string question = TLangFile(ShellServices().LangPath() + "ChangeManualEvent.lng")
                                         .Read(section, "StrQuestion", "");
        if (MessageDlg(question, TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, this) !=
            mrYes)
            return;
        MoveTableToRow(CurrentRow());
        WriteDeleteEventTransaction(HistoryEventBlockOf(history_), PayID,
                                    ToStdString(LabelHeader->text()));
    });
}

void TfrPay::BtnChangeDirectClick() {
    RunCommand([this] {
        auto* dialog = new TfChangeDirectPay(this, icons_, memoColor_, logo_);
        dialog->Applied = [this](int icon) {
            Image1->setPixmap(icons_.Pixmap(icon));
            emit PayIconChanged(icon);
        };
        dialog->ExecModal();  // it frees itself when it closes
    });
}

void TfrPay::PMenuPayPopup() {
    AddCounter->setEnabled(BitBtnAddCounter->isEnabled());
    AddChargeManual->setEnabled(BitBtnAddChargeManual->isEnabled());
    AddPay->setEnabled(BitBtnAddPay->isEnabled());
    Edit->setText(BitBtnEditItem->text());
    Delete->setText(BitBtnDelItem->text());
    Edit->setEnabled(BitBtnEditItem->isEnabled());
    Delete->setEnabled(BitBtnDelItem->isEnabled());
    const TTableGridModel::TRow* row = GridRow(CurrentRow());
    if (row == nullptr) return;
    const int kind = ManualKind(*row);
    Edit->setIcon(kind >= 0 ? menuImages_[static_cast<size_t>(3 + kind)] : QIcon());
    Delete->setIcon(kind >= 0 ? menuImages_[static_cast<size_t>(6 + kind)] : QIcon());
}

void TfrPay::ExportToExcel() {
    const std::string name = ToStdString(LabelHeader->text());
    const std::string folder = ShellServices().State().ExportPath;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string path =
        folder + "/" + TfMain::SanitizeFileName(name) + "_" +
        ToStdString(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))) +
        ".xlsx";
    TPaySheet sheet;
    sheet.Name = name;
    sheet.Descript = ToStdString(LabelDescript->text());
    sheet.History = ToStdString(LabelHistory->text());
    for (int column = 0; column < 8; ++column)
        sheet.Titles[static_cast<size_t>(column)] =
            ToStdString(model_->headerData(column, Qt::Horizontal).toString());
    if (!WritePayWorkbook(path, sheet, Words, history_.Filter())) {
        MessageDlg("Unable to open Excel", TMsgDlgType::mtError, mbOK, this);
        return;
    }
    OpenDocumentOrTell(path, this);
}

// ---- Layout ----------------------------------------------------------------------------------

void TfrPay::resizeEvent(QResizeEvent* event) {
    TFrameBase::resizeEvent(event);
    FrameResize();
}

void TfrPay::FrameResize() {
    const int w = width(), h = height();
    setUpdatesEnabled(false);
    Image1->move(8, 8);
    LabelHeader->setGeometry(32, 6, std::max(w - 64, 10), 18);
    LabelDescript->setGeometry(32, 26, std::max(w - 64, 10), 16);
    ButtonHelp->move(w - 25, 6);
    LabelCurBalance->move(8, 58);
    LabelCurBalanceVal->move(LabelCurBalance->x() + LabelCurBalance->width() + 5, 50);
    LabelHistory->move(8, 76);
    GroupBoxControl->setGeometry(0, h - kGroupBoxHeight, w, kGroupBoxHeight);
    ScrollBarChart->setGeometry(3, GroupBoxControl->y() - 15, std::max(w - 8, 10), 12);
    PanelChart->setGeometry(3, ScrollBarChart->y() - kPanelChartHeight, std::max(w - 6, 10),
                            kPanelChartHeight);
    LabeChart->move(3, PanelChart->y() - 15);
    const int panelTop = LabeChart->y() - kPanelTotalHeight - 5;
    DBGridPayHistory->setGeometry(0, kGridTop, w, std::max(panelTop - kGridTop, 40));
    PanelTotal->setGeometry(0, DBGridPayHistory->y() + DBGridPayHistory->height(), w,
                            kPanelTotalHeight);
    const int strip =
        !DBGridPayHistory->verticalHeader()->isHidden()
            ? DBGridPayHistory->verticalHeader()->width() + DBGridPayHistory->frameWidth()
            : 0;
    StringGrid2->setGeometry(0, 0, strip, kPanelTotalHeight);
    StringGridTotal->setGeometry(strip, 0, w - strip, kPanelTotalHeight);
    setUpdatesEnabled(true);
    if (BudgetRuns() && Loaded) {
        DrawChart();
    } else {
        ScrollBarChart->hide();
    }
    AlignTotalColumns();
    StringGridTotal->horizontalScrollBar()->setValue(
        DBGridPayHistory->horizontalScrollBar()->value());
}

// ---- Registration ----------------------------------------------------------------------------

TfrPay& RegisterPayFrame(TFrameRegistry& frames, QWidget& parent, const TImageListTree& icons,
                         const QColor& memoColor, const QImage& logo) {
    auto frame = std::make_unique<TfrPay>(DM->TablePayHistory, icons, memoColor, logo, &parent);
    frames.RegisterFrame(otPay, *frame);
    registered = frame.get();
    return *frame.release();  // the panel owns it
}

void ReloadPayFrame() {
    if (registered != nullptr && registered->isVisible() && registered->Loaded)
        registered->LoadPay();
}
