// The folder frame: a budget root or folder with its balance, its state and its children, and
// the start or stop of the open budget.
#include "shell/U_frfolder.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>
#include <memory>

#include "algorithms/Ugetdata.h"
#include "algorithms/Uq519algorithm01.h"
#include "platform/Text.h"
#include "shell/ImageListTree.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_dm.h"

namespace {

constexpr int kUpIcon = 14;  // ".." in a folder's list
constexpr int kObjectColumnWidth = 270;
constexpr int kValueGap = 3;  // between a balance caption and its value

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
// The desktop's grey for text that stands for no value; the palette's disabled text is too
// pale to read on the frame's background.
const QColor kGrayText(0x6D, 0x6D, 0x6D);

void SetTextColor(QLabel& label, const QColor& color) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, color);
    label.setPalette(palette);
}

// A balance: "???" in grey while the budget is stopped (nothing is calculated then), else the
// balance, red when it is negative and green otherwise.
void ShowBalance(QLabel& value, bool running, const std::function<std::string()>& balance) {
    if (!running) {
        value.setText(QStringLiteral("???"));
        SetTextColor(value, kGrayText);
        return;
    }
    const std::string text = balance();
    value.setText(ToQString(text));
    SetTextColor(value, text.find('-') != std::string::npos ? kRed : kGreen);
}

// A caption label followed by its value label, kValueGap to its right; both as wide as their
// texts.
QHBoxLayout* CaptionAndValue(QLabel* caption, QLabel* value) {
    auto* row = new QHBoxLayout;
    row->setSpacing(kValueGap);
    row->addWidget(caption);
    row->addWidget(value);
    row->addStretch();
    return row;
}

}  // namespace

TfrFolder::TfrFolder(const TImageListTree& icons, QWidget* parent)
    : TFrameBase("TfrFolder", "Folder.lng", "Folder", 0, TFrameHeader::Node, parent),
      icons_(icons) {
    BuildControls();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == nullptr || !isAncestorOf(now)) focusInside_ = false;
    });
}

void TfrFolder::BuildControls() {
    Image1 = Named<QLabel>(this, "Image1");
    SetTextKey(*Image1, "");
    Image1->setFixedSize(17, 17);
    QFont bold = LabelHeader->font();
    bold.setBold(true);
    LabelHeader->setFont(bold);
    // A long name or description goes on in further lines instead of being cut at the frame's
    // edge.
    for (QLabel* label : {LabelHeader, LabelDescript}) label->setWordWrap(true);
    ButtonHelp->setFocusPolicy(Qt::ClickFocus);

    auto* header = new QGridLayout;
    header->setHorizontalSpacing(15);
    header->setVerticalSpacing(2);
    header->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    header->addWidget(LabelHeader, 0, 1);
    header->addWidget(LabelDescript, 1, 1);
    header->addWidget(ButtonHelp, 0, 2, Qt::AlignTop | Qt::AlignRight);
    header->setColumnStretch(1, 1);

    PanelControlBudget = Named<QFrame>(this, "PanelControlBudget");
    LabelBalanceBudget = Named<QLabel>(PanelControlBudget, "LabelBalanceBudget");
    LabelBalansBudgetValue = Named<QLabel>(PanelControlBudget, "LabelBalansBudgetValue");
    SetTextKey(*LabelBalansBudgetValue, "");
    LabelStatus = Named<QLabel>(PanelControlBudget, "LabelStatus");
    LabelBudgetStatus = Named<QLabel>(PanelControlBudget, "LabelBudgetStatus");
    SetTextKey(*LabelBudgetStatus, "");
    LabelWarning = Named<QLabel>(PanelControlBudget, "LabelWarning");
    LabelWarning->setWordWrap(true);
    ButtonStartStopBudget = Named<QPushButton>(PanelControlBudget, "ButtonStartStopBudget");
    SetTextKey(*ButtonStartStopBudget, "");
    ButtonStartStopBudget->setMinimumWidth(120);
    connect(ButtonStartStopBudget, &QPushButton::clicked, this,
            &TfrFolder::ButtonStartStopBudgetClick);

    auto* budget = new QGridLayout(PanelControlBudget);
    budget->setContentsMargins(0, 0, 0, 0);
    budget->addLayout(CaptionAndValue(LabelBalanceBudget, LabelBalansBudgetValue), 0, 0);
    budget->addLayout(CaptionAndValue(LabelStatus, LabelBudgetStatus), 1, 0);
    budget->addWidget(LabelWarning, 2, 0);
    budget->addWidget(ButtonStartStopBudget, 0, 1, 3, 1, Qt::AlignBottom | Qt::AlignRight);
    budget->setColumnStretch(0, 1);

    PanellControlFolder = Named<QFrame>(this, "PanellControlFolder");
    LabellBalanceFolder = Named<QLabel>(PanellControlFolder, "LabellBalanceFolder");
    LabelFlderBalanceValue = Named<QLabel>(PanellControlFolder, "LabelFlderBalanceValue");
    SetTextKey(*LabelFlderBalanceValue, "");
    auto* folder = new QVBoxLayout(PanellControlFolder);
    folder->setContentsMargins(0, 0, 0, 0);
    folder->addLayout(CaptionAndValue(LabellBalanceFolder, LabelFlderBalanceValue));

    ListViewContent = Named<QTreeWidget>(this, "ListViewContent");
    ListViewContent->setColumnCount(2);
    ListViewContent->setHeaderLabels({QString(), QString()});
    ListViewContent->setColumnWidth(0, kObjectColumnWidth);
    ListViewContent->header()->setSectionsClickable(false);
    ListViewContent->header()->setSectionsMovable(false);
    ListViewContent->header()->setStretchLastSection(true);
    ListViewContent->setRootIsDecorated(false);
    ListViewContent->setItemsExpandable(false);
    ListViewContent->setUniformRowHeights(true);
    ListViewContent->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewContent->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewContent->setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(ListViewContent, &QTreeWidget::itemDoubleClicked, this,
            &TfrFolder::ListViewContentOpen);

    for (QWidget* control :
         {static_cast<QWidget*>(ButtonHelp), static_cast<QWidget*>(ListViewContent),
          static_cast<QWidget*>(ButtonStartStopBudget)})
        control->installEventFilter(this);

    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(8, 8, 3, 3);
    frame->setSpacing(8);
    frame->addLayout(header);
    frame->addWidget(PanelControlBudget);
    frame->addWidget(PanellControlFolder);
    frame->addWidget(ListViewContent, 1);
    hide();
}

QWidget* TfrFolder::MainControl() const {
    return ListViewContent;
}

void TfrFolder::ReadFrameTexts(const TLangFile& texts, const std::string& section) {
    BeginHeaderBudget = texts.Read(section, "BeginHeaderBudget", "");
    BeginHeaderFolder = texts.Read(section, "BeginHeaderFolder", "");
    StatusActive = texts.Read(section, "StatusActive", "");
    StatusStopped = texts.Read(section, "StatusStopped", "");
    StartBudget = texts.Read(section, "StartBudget", "");
    StopBudget = texts.Read(section, "StopBudget", "");
    ListViewContent->setHeaderLabels({ToQString(texts.Read(section, "ColObject", "")),
                                      ToQString(texts.Read(section, "ColDescript", ""))});
}

void TfrFolder::ShowFor(const ObjectInfo& node) {
    shown_ = node;
    const TShellServices& services = ShellServices();
    const TObjectIndex& nodes = services.Index();
    const bool running = services.State().BudgetState == 0;
    const bool isFolder = node.Type == otFolder;
    const int at = nodes.IndexOf(isFolder ? node.ID : 0, node.Path);

    ListViewContent->setUpdatesEnabled(false);
    Image1->setPixmap(at >= 0 ? icons_.Pixmap(nodes.Node(at).Image) : QPixmap());
    ListViewContent->clear();
    LabelDescript->setText(ToQString(node.Descript));
    PanelControlBudget->setVisible(!isFolder);
    PanellControlFolder->setVisible(isFolder);
    if (!isFolder) {
        LabelHeader->setText(ToQString(BeginHeaderBudget + node.Name + "'"));
        SetTextColor(*LabelBudgetStatus, running ? kGreen : kRed);
        LabelBudgetStatus->setText(ToQString(running ? StatusActive : StatusStopped));
        ButtonStartStopBudget->setText(ToQString(running ? StopBudget : StartBudget));
        LabelWarning->setVisible(!running);
        ShowBalance(*LabelBalansBudgetValue, running, [] { return CalcTotalBalance(); });
    } else {
        LabelHeader->setText(ToQString(BeginHeaderFolder + node.Name + "'"));
        ShowBalance(*LabelFlderBalanceValue, running,
                    [id = node.ID] { return CalcFolderBalance(id); });
    }

    if (at >= 0) {
        const TIndexNode& entry = nodes.Node(at);
        if (isFolder) {
            auto* up = new QTreeWidgetItem(ListViewContent, {QStringLiteral("..")});
            up->setIcon(0, icons_.NodeIcon(kUpIcon, kUpIcon));
            up->setData(0, Qt::UserRole, entry.Parent);
        }
        for (const int child : entry.Children) {
            const TIndexNode& shown = nodes.Node(child);
            auto* item = new QTreeWidgetItem(
                ListViewContent, {ToQString(shown.Info.Name), ToQString(shown.Info.Descript)});
            item->setIcon(0, icons_.NodeIcon(shown.Image, shown.Image));
            item->setData(0, Qt::UserRole, child);
        }
    }
    ListViewContent->setUpdatesEnabled(true);
    show();
    FocusMemory = TFocusMemory::None;
}

void TfrFolder::ListViewContentOpen() {
    const QList<QTreeWidgetItem*> selected = ListViewContent->selectedItems();
    if (selected.isEmpty()) return;
    const int at = selected.front()->data(0, Qt::UserRole).toInt();
    TShellServices& services = ShellServices();
    const TObjectIndex& nodes = services.Index();
    if (at < 0 || at >= nodes.Count()) return;
    const TIndexNode& node = nodes.Node(at);
    if (node.IsRoot())
        services.SelectBudget(node.Info.Path);
    else
        services.SelectObject(node.Info.ID, node.Info.Path);
}

void TfrFolder::ButtonStartStopBudgetClick() {
    TShellServices& services = ShellServices();
    const bool stopped = services.State().BudgetState != 0;
    const std::string question =
        ExpandLineBreaks(TLangFile(services.LangPath() + "Folder.lng")
                             .Read("Folder", stopped ? "StartBudgetQ" : "StopBudgetQ", ""));
    if (MessageDlg(question, TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, this) != mrYes)
        return;
    if (stopped) {
        // The whole calendar and every charge and balance are brought up to date first; an
        // algorithm error met there leaves the budget stopped (the error window was shown).
        constexpr TDateTime kCalendarMargin = 5;
        try {
            services.RebuildCalendar(0, DM->LatestPayEventDate() + kCalendarMargin);
            ErrWatch().HasErrors = false;
            services.RunAutoRecalc(true, Today());
            if (!ErrWatch().HasErrors) services.StartBudget();
        } catch (const std::exception& error) {
            MessageDlg(error.what(), TMsgDlgType::mtError, mbOK, this);
        }
    } else {
        services.StopBudget();
        services.ResetShownMark(TShownMark::Number);
        services.ResetShownMark(TShownMark::Pay);
    }
    ShowFor(ObjectInfo(shown_));
}

QWidget* TfrFolder::RememberedControl() const {
    switch (FocusMemory) {
        case TFocusMemory::HelpButton:
            return ButtonHelp;
        case TFocusMemory::List:
            return ListViewContent;
        case TFocusMemory::StartStopButton:
            return shown_.Type == otBudget ? ButtonStartStopBudget : nullptr;
        case TFocusMemory::None:
            break;
    }
    return nullptr;
}

void TfrFolder::ControlEntered(QObject* control) {
    if (control == ButtonHelp)
        FocusMemory = TFocusMemory::HelpButton;
    else if (control == ListViewContent)
        FocusMemory = TFocusMemory::List;
    else if (control == ButtonStartStopBudget)
        FocusMemory = TFocusMemory::StartStopButton;
}

bool TfrFolder::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        // The focus comes into the frame from outside (Ctrl+Tab from the tree, say): the
        // control that had it last gets it back. A click puts it where the user clicked.
        const bool entering = !focusInside_;
        focusInside_ = true;
        if (entering && static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason) {
            QWidget* remembered = RememberedControl();
            if (remembered != nullptr && remembered != watched && remembered->isVisible()) {
                remembered->setFocus(Qt::OtherFocusReason);
                return false;
            }
        }
        ControlEntered(watched);
    } else if (event->type() == QEvent::KeyPress && watched == ListViewContent) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ListViewContentOpen();
            return true;
        }
    }
    return TFrameBase::eventFilter(watched, event);
}

TfrFolder& RegisterFolderFrame(TFrameRegistry& frames, QWidget& parent,
                               const TImageListTree& icons) {
    auto frame = std::make_unique<TfrFolder>(icons, &parent);
    frames.RegisterFrame(otFolder, *frame);
    return *frame.release();  // the panel owns it
}
