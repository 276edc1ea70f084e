// The journal view: the open budget's transactions in a grid, the detail text of the selected
// one, and the buttons that start undo and redo from it.
#include "store/U_frlog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

#include "platform/TableGridModel.h"
#include "platform/Text.h"
#include "schema/SchemaNames.h"
#include "shell/FrameWidgets.h"
#include "shell/ImageListTree.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_dm.h"

namespace {

// The grid's columns, in this order, and the fields the model reads of each row.
enum TLogColumn { ColDate, ColTime, ColAct, ColStatus, ColNameObject };
enum TLogField { FNTrans, FDate, FTime, FAct, FStatus, FType, FNameObject };
const std::vector<std::string> kFields = {fld::NTrans, fld::Date, fld::Time,      fld::Act,
                                          fld::Status, fld::Type, fld::NameObject};
constexpr const char* kColumnTitleKeys[] = {"FieldDate", "FieldTime", "FieldAct", "FieldStatus",
                                            "FieldNameObject"};
// The design's widths, but for the date (the grid's default width), the time, which needs
// 60 pixels for a long time such as "23:59:59" in the grid's font, and the object's name, the
// last column, which takes the width the others leave, never less than its width here: at the
// main window's default size nothing scrolls sideways.
constexpr int kColumnWidths[] = {80, 60, 150, 66, 150};

const QColor kYellow(255, 255, 0);
const QColor kOlive(128, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kLime(0, 255, 0);
const QColor kGreen(0, 128, 0);
const QColor kMaroon(128, 0, 0);

// Draws the action and status cells of the journal grid: the row's caption on white in black,
// or on the highlight in white in the selected row; a status caption in its status's colour.
// The other columns keep the grid's own drawing.
class TLogGridDelegate : public QStyledItemDelegate {
public:
    TLogGridDelegate(TTableGridModel& model, QObject* parent)
        : QStyledItemDelegate(parent), model_(model) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.column() != ColAct && index.column() != ColStatus) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        QColor font = selected ? Qt::white : Qt::black;
        if (index.column() == ColStatus) {
            try {
                const TTableGridModel::TRow* row = model_.Row(index.row());
                if (row != nullptr) font = TfrLog::StatusColor((*row)[FStatus].Text(), selected);
            } catch (const std::exception&) {
                // A row that cannot be read is drawn empty, in the base colour.
            }
        }
        painter->save();
        painter->fillRect(option.rect,
                          selected ? option.palette.color(QPalette::Active, QPalette::Highlight)
                                   : QColor(Qt::white));
        painter->setPen(font);
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          index.data().toString());
        painter->restore();
    }

private:
    TTableGridModel& model_;
};

}  // namespace

TfrLog::TfrLog(TTable& jTrans, const TImageListTree& icons, const QColor& memoColor,
               QWidget* parent)
    : TFrameBase("TfrLog", "Log.lng", "Log", 6000, TFrameHeader::Budget, parent),
      jTrans_(jTrans),
      icons_(icons) {
    model_ = new TTableGridModel(
        kFields, fld::NTrans,
        {{{},
          [](const TTableGridModel::TRow& row) { return ToQString(DateToStr(row[FDate].Real())); }},
         {{},
          [](const TTableGridModel::TRow& row) { return ToQString(TimeToStr(row[FTime].Real())); }},
         {{},
          [this](const TTableGridModel::TRow& row) {
              return ToQString(
                  words_.ActionCaption(static_cast<int>(row[FType].Integer()), row[FAct].Text()));
          }},
         {{},
          [this](const TTableGridModel::TRow& row) {
              return ToQString(words_.StatusCaption(row[FStatus].Text()));
          }},
         {{}, [](const TTableGridModel::TRow& row) { return ToQString(row[FNameObject].Text()); }}},
        this);
    BuildControls(memoColor);
    handler_ = jTrans_.AddDataChangeHandler([this](TTable&, const TField*) {
        if (!isHidden()) DataSourcejTransDataChange();
    });
}

TfrLog::~TfrLog() {
    jTrans_.RemoveDataChangeHandler(handler_);
}

void TfrLog::BuildControls(const QColor& memoColor) {
    Image1 = Named<QLabel>(this, "Image1");
    SetTextKey(*Image1, "");
    Image1->setFixedSize(17, 17);
    StyleFrameHeader(*this);

    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    StyleDescriptionMemo(*MemoDescript, memoColor);

    DBGridLog = Named<QTableView>(this, "DBGridLog");
    DBGridLog->setModel(model_);
    DBGridLog->setItemDelegate(new TLogGridDelegate(*model_, DBGridLog));
    StyleTableGrid(*DBGridLog,
                   std::vector<int>(std::begin(kColumnWidths), std::end(kColumnWidths)));
    connect(DBGridLog->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { GridRowChanged(current.row()); });

    LabelDetailed = Named<QLabel>(this, "LabelDetailed");
    MemoDetailed = Named<QPlainTextEdit>(this, "MemoDetailed");
    MemoDetailed->setReadOnly(true);
    MemoDetailed->setFixedHeight(121);
    MemoDetailed->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoDetailed->setFocusPolicy(Qt::ClickFocus);

    DBNavigatorLog = Named<QWidget>(this, "DBNavigatorLog");
    auto* navigator = new QHBoxLayout(DBNavigatorLog);
    navigator->setContentsMargins(0, 0, 0, 0);
    navigator->setSpacing(0);
    for (QToolButton* button :
         {NavigatorButton("First", QStyle::SP_MediaSkipBackward, &TTable::First),
          NavigatorButton("Prior", QStyle::SP_MediaSeekBackward, &TTable::Prior),
          NavigatorButton("Next", QStyle::SP_MediaSeekForward, &TTable::Next),
          NavigatorButton("Last", QStyle::SP_MediaSkipForward, &TTable::Last)}) {
        navigator->addWidget(button);
        navigator_.push_back(button);
    }

    BitBtnBack = Named<QPushButton>(this, "BitBtnBack");
    SetTextKey(*BitBtnBack, "BtnBack");
    BitBtnBack->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    BitBtnForward = Named<QPushButton>(this, "BitBtnForward");
    SetTextKey(*BitBtnForward, "BtnForward");
    BitBtnForward->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    BitBtnForward->setLayoutDirection(Qt::RightToLeft);  // the glyph at the right of the text
    for (QPushButton* button : {BitBtnBack, BitBtnForward}) button->setFixedWidth(177);
    // The main window's frame composition connects BitBtnBack and BitBtnForward to the undo
    // and redo dialog TfBack (src/shell/MainFrames.cpp).

    auto* header = new QHBoxLayout;
    header->setSpacing(15);
    header->addWidget(Image1);
    header->addWidget(LabelHeader, 1);
    header->addWidget(ButtonHelp, 0, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(DBNavigatorLog);
    buttons->addSpacing(18);
    buttons->addWidget(BitBtnBack);
    buttons->addWidget(BitBtnForward);
    buttons->addStretch();

    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(3, 8, 3, 3);
    frame->setSpacing(6);
    frame->addLayout(header);
    frame->addWidget(MemoDescript);
    frame->addWidget(DBGridLog, 1);
    frame->addWidget(LabelDetailed);
    frame->addWidget(MemoDetailed);
    frame->addLayout(buttons);
    hide();
}

QToolButton* TfrLog::NavigatorButton(const char* name, int icon, void (TTable::*move)()) {
    QToolButton* button =
        NewNavigatorButton(*DBNavigatorLog, name, static_cast<QStyle::StandardPixmap>(icon));
    connect(button, &QToolButton::clicked, this, [this, move] {
        try {
            if (jTrans_.Active()) (jTrans_.*move)();
            // A move that finds no row beyond the end changes nothing the table reports, but
            // the table now stands at its end.
            SetNavigator();
        } catch (const std::exception& error) {
            MemoDetailed->setPlainText(QString::fromUtf8(error.what()));
        }
    });
    return button;
}

QWidget* TfrLog::MainControl() const {
    return DBGridLog;
}

void TfrLog::ReadFrameTexts(const TLangFile& texts, const std::string& section) {
    words_.Read(texts, section);
    for (int column = 0; column < static_cast<int>(std::size(kColumnTitleKeys)); ++column)
        model_->SetTitle(column, ToQString(texts.Read(section, kColumnTitleKeys[column], "")));
    LoadDescription(ShellServices().LangPath() + "LogTxt01.txt", *MemoDescript);
}

void TfrLog::ShowFor(const ObjectInfo& node) {
    const TShellServices& services = ShellServices();
    const TObjectIndex& nodes = services.Index();
    const int at = nodes.IndexOf(node.ID, node.Path);
    Image1->setPixmap(at >= 0 ? icons_.Pixmap(nodes.Node(at).Image) : QPixmap());
    LabelHeader->setText(ToQString(words_.Word("LabelHeader") + services.State().BudgetName + "'"));
    show();
    if (jTrans_.Active())
        jTrans_.Last();  // its data-change event fills the view
    else
        DataSourcejTransDataChange();
}

void TfrLog::HideFrame() {
    TFrameBase::HideFrame();
    model_->Clear();
}

void TfrLog::DataSourcejTransDataChange() {
    try {
        SetButtons();
        SetNavigator();
        ShowDetail();
        model_->Follow(jTrans_);
        SelectCurrentRow();
    } catch (const std::exception& error) {
        // The view shows what went wrong in place of the detail text; the code that changed the
        // table goes on.
        MemoDetailed->setPlainText(QString::fromUtf8(error.what()));
    }
}

void TfrLog::SetButtons() {
    const std::string status = CurrentJournalEntry(jTrans_).Status;
    BitBtnBack->setEnabled(status == kStatusApply);
    BitBtnForward->setEnabled(status == kStatusBack);
}

// The navigator's first and prior buttons are enabled unless the table stands at its start,
// next and last unless it stands at its end.
void TfrLog::SetNavigator() {
    const bool active = jTrans_.Active();
    const bool atStart = !active || jTrans_.Bof();
    const bool atEnd = !active || jTrans_.Eof();
    for (std::size_t i = 0; i < navigator_.size(); ++i)
        navigator_[i]->setEnabled(i < 2 ? !atStart : !atEnd);
}

void TfrLog::ShowDetail() {
    QStringList lines;
    for (const std::string& line : DetailText(CurrentJournalEntry(jTrans_), words_))
        lines.append(ToQString(line));
    MemoDetailed->setPlainText(lines.join(QLatin1Char('\n')));
    MemoDetailed->moveCursor(QTextCursor::Start);
}

// Selects the journal table's current row in the grid and scrolls it into view.
void TfrLog::SelectCurrentRow() {
    const TJournalEntry entry = CurrentJournalEntry(jTrans_);
    const int row = entry.Row.NTrans > 0 ? model_->RowOf(entry.Row.NTrans) : -1;
    selecting_ = true;
    if (row < 0) {
        DBGridLog->selectionModel()->clear();
    } else {
        const QModelIndex index = model_->index(
            row, DBGridLog->currentIndex().isValid() ? DBGridLog->currentIndex().column() : 0);
        DBGridLog->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        DBGridLog->scrollTo(index);
    }
    selecting_ = false;
}

// The user selected a row of the grid: the journal table goes to it.
void TfrLog::GridRowChanged(int row) {
    if (selecting_ || row < 0) return;
    try {
        const TTableGridModel::TRow* values = model_->Row(row);
        if (values != nullptr && jTrans_.Active())
            jTrans_.Locate(fld::NTrans, {(*values)[FNTrans]});
    } catch (const std::exception& error) {
        MemoDetailed->setPlainText(QString::fromUtf8(error.what()));
    }
}

QColor TfrLog::StatusColor(std::string_view status, bool selected) {
    const struct {
        std::string_view status;
        QColor selected, other;
    } colours[] = {
        {kStatusPrep, kYellow, kOlive}, {kStatusAct, kRed, kRed}, {kStatusApply, kLime, kGreen},
        {kStatusToBack, kRed, kRed},    {"ACTBACK", kRed, kRed},  {kStatusBack, kRed, kMaroon},
        {kStatusToActB, kRed, kRed},    {"ACTB", kRed, kRed},
    };
    for (const auto& colour : colours)
        if (colour.status == status) return selected ? colour.selected : colour.other;
    return selected ? QColor(Qt::white) : QColor(Qt::black);
}

TfrLog& RegisterLogFrame(TFrameRegistry& frames, QWidget& parent, const TImageListTree& icons,
                         const QColor& memoColor) {
    auto frame = std::make_unique<TfrLog>(DM->TablejTrans, icons, memoColor, &parent);
    frames.RegisterFrame(otLog, *frame);
    return *frame.release();  // the panel owns it
}
