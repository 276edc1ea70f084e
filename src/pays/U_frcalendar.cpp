// The calendar frame: the open budget's calendar in a read-only grid and the button that opens
// the recalculation dialog.
#include "pays/U_frcalendar.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "pays/U_frecalcbudget.h"
#include "platform/TableGridModel.h"
#include "platform/Text.h"
#include "schema/SchemaNames.h"
#include "shell/FrameWidgets.h"
#include "shell/ImageListTree.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_dm.h"

namespace {

enum TCalendarField { FDate, FIDObject, FNameCharge, FStrSchedule };
const std::vector<std::string> kFields = {fld::Date, fld::IDObject, fld::NameCharge,
                                          fld::StrSchedule};
// The date, the pay, the charge and the schedule; the schedule, the last column, takes the width
// the others leave, never less than its width here, so that at the main window's default size
// all four show without scrolling sideways.
constexpr int kColumnWidths[] = {92, 220, 220, 150};
constexpr int kHelpTopic = 5000;

}  // namespace

TfrCalendar::TfrCalendar(TTable& calendar, const TImageListTree& icons, const QColor& memoColor,
                         QWidget* parent)
    : TFrameBase("TfrCalendar", "Calendar.lng", "Calendar", kHelpTopic, TFrameHeader::Budget,
                 parent),
      Image1(Named<QLabel>(this, "Image1")),
      MemoDescript(Named<QPlainTextEdit>(this, "MemoDescript")),
      DBGridCalendar(Named<QTableView>(this, "DBGridCalendar")),
      DBNavigatorCalendar(Named<QWidget>(this, "DBNavigatorCalendar")),
      BtnRecalcBudget(Named<QPushButton>(this, "BtnRecalcBudget")),
      calendar_(calendar),
      icons_(icons) {
    const auto text = [](int field) {
        return [field](const TTableGridModel::TRow& row) { return ToQString(row[field].Text()); };
    };
    model_ = new TTableGridModel(
        kFields, fld::Date,
        {{{},
          [](const TTableGridModel::TRow& row) { return ToQString(DateToStr(row[FDate].Real())); }},
         {{},
          [](const TTableGridModel::TRow& row) {
              const TShellServices& services = ShellServices();
              return ToQString(services.Index().GetObjectName(
                  static_cast<int>(row[FIDObject].Integer()), services.BudgetPath()));
          }},
         {{}, text(FNameCharge)},
         {{}, text(FStrSchedule)}},
        this);

    SetTextKey(*Image1, "");
    Image1->setFixedSize(17, 17);
    StyleFrameHeader(*this);
    StyleDescriptionMemo(*MemoDescript, memoColor);
    DBGridCalendar->setModel(model_);
    StyleTableGrid(*DBGridCalendar,
                   std::vector<int>(std::begin(kColumnWidths), std::end(kColumnWidths)));

    auto* navigator = new QHBoxLayout(DBNavigatorCalendar);
    navigator->setContentsMargins(0, 0, 0, 0);
    navigator->setSpacing(0);
    navigator->addWidget(NavigatorButton("First", QStyle::SP_MediaSkipBackward,
                                         [](int, int) { return 0; }));
    navigator->addWidget(NavigatorButton("Prior", QStyle::SP_MediaSeekBackward,
                                         [](int row, int) { return std::max(row - 1, 0); }));
    navigator->addWidget(NavigatorButton("Next", QStyle::SP_MediaSeekForward,
                                         [](int row, int count) { return std::min(row + 1, count - 1); }));
    navigator->addWidget(NavigatorButton("Last", QStyle::SP_MediaSkipForward,
                                         [](int, int count) { return count - 1; }));
    connect(BtnRecalcBudget, &QPushButton::clicked, this, &TfrCalendar::BtnRecalcBudgetClick);

    auto* header = new QHBoxLayout;
    header->setSpacing(15);
    header->addWidget(Image1);
    header->addWidget(LabelHeader, 1);
    header->addWidget(ButtonHelp, 0, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(18);
    buttons->addWidget(DBNavigatorCalendar);
    buttons->addWidget(BtnRecalcBudget);
    buttons->addStretch();
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(3, 8, 3, 3);
    frame->setSpacing(6);
    frame->addLayout(header);
    frame->addWidget(MemoDescript);
    frame->addWidget(DBGridCalendar, 1);
    frame->addLayout(buttons);
    hide();
}

TfrCalendar::~TfrCalendar() = default;

// A navigator button moves the grid's current row to target(current row, row count).
QToolButton* TfrCalendar::NavigatorButton(const char* name, int icon,
                                          int (*target)(int row, int count)) {
    QToolButton* button =
        NewNavigatorButton(*DBNavigatorCalendar, name, static_cast<QStyle::StandardPixmap>(icon));
    connect(button, &QToolButton::clicked, this, [this, target] {
        const int count = model_->rowCount();
        if (count == 0) return;
        const QModelIndex current = DBGridCalendar->currentIndex();
        const QModelIndex index = model_->index(target(current.isValid() ? current.row() : 0, count),
                                                current.isValid() ? current.column() : 0);
        DBGridCalendar->setCurrentIndex(index);
        DBGridCalendar->scrollTo(index);
    });
    return button;
}

QWidget* TfrCalendar::MainControl() const {
    return DBGridCalendar;
}

void TfrCalendar::ReadFrameTexts(const TLangFile& texts, const std::string& section) {
    headerText_ = texts.Read(section, "LabelHeader", "");
    for (int column = 0; column < static_cast<int>(kFields.size()); ++column)
        model_->SetTitle(column,
                         ToQString(texts.Read(section, "ColGrid" + std::to_string(column), "")));
    LoadDescription(ShellServices().LangPath() + "CalendarTxt01.lng", *MemoDescript);
}

void TfrCalendar::ShowFor(const ObjectInfo& node) {
    const TShellServices& services = ShellServices();
    const TObjectIndex& nodes = services.Index();
    const int at = nodes.IndexOf(node.ID, node.Path);
    Image1->setPixmap(at >= 0 ? icons_.Pixmap(nodes.Node(at).Image) : QPixmap());
    LabelHeader->setText(ToQString(headerText_ + services.State().BudgetName + "'"));
    SetRecalcButton();
    show();
    RefreshGrid();
}

void TfrCalendar::HideFrame() {
    TFrameBase::HideFrame();
    model_->Clear();
}

void TfrCalendar::RefreshGrid() {
    if (isHidden()) return;
    try {
        model_->Follow(calendar_);
        if (model_->rowCount() > 0 && !DBGridCalendar->currentIndex().isValid())
            DBGridCalendar->setCurrentIndex(model_->index(0, 0));
    } catch (const std::exception& error) {
        MessageDlg(error.what(), TMsgDlgType::mtError, mbOK, this);
    }
}

void TfrCalendar::SetRecalcButton() {
    BtnRecalcBudget->setEnabled(ShellServices().State().BudgetState == 0);
}

void TfrCalendar::BtnRecalcBudgetClick() {
    auto* dialog = new TfRecalcBudget(window());
    dialog->Interactive = true;
    dialog->ReloadPay = true;
    connect(dialog, &TfRecalcBudget::RunFinished, this, &TfrCalendar::RefreshGrid);
    try {
        dialog->ExecModal();
    } catch (const std::exception& error) {
        MessageDlg(error.what(), TMsgDlgType::mtError, mbOK, this);
    }
    RefreshGrid();
}

TfrCalendar& RegisterCalendarFrame(TFrameRegistry& frames, QWidget& parent,
                                   const TImageListTree& icons, const QColor& memoColor) {
    auto frame = std::make_unique<TfrCalendar>(DM->TableCalendar, icons, memoColor, &parent);
    frames.RegisterFrame(otCalendar, *frame);
    return *frame.release();  // the panel owns it
}
