// The tree chooser: the open budget's tree, from which the user picks a node; in its move mode
// the folder (or the budget's top level) that the selected object of the main tree moves into.
#include "tree/U_fchoice.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSpinBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage_widgets.h"
#include "store/TransKindObject.h"
#include "store/Utransactions.h"
#include "tree/TreeChange.h"
#include "tree/U_frchoicefolder.h"
#include "algorithms/U_frchoicedatasource.h"
#include "algorithms/Ugetdata.h"
#include "decimal/Uchecksymbols.h"

namespace {

constexpr const char* kFile = "Choice.lng";
constexpr const char* kSection = "Choice";
const QColor kGreen(0, 128, 0);

// Draws each node in the colours that the chooser gives it.
class TChoiceDelegate : public QStyledItemDelegate {
public:
    explicit TChoiceDelegate(TfChoice& choice)
        : QStyledItemDelegate(choice.TreeViewChoice), choice_(choice) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (const auto* node =
                static_cast<const TChoiceNode*>(choice_.TreeViewChoice->itemFromIndex(index)))
            choice_.TreeViewChoiceCustomDrawItem(*node, *option);
    }

private:
    TfChoice& choice_;
};

}  // namespace

TChoiceNode::TChoiceNode(ObjectInfo info, int image) : Info(std::move(info)), Image(image) {
    setText(0, ToQString(Info.Name));
}

TfChoice::TfChoice(TfMain& main) : TDialogBase("fChoice", &main), main_(main) {
    setModal(true);
    resize(720, 440);

    Panel4 = Named<QFrame>(this, "Panel4");
    TreeViewChoice = Named<QTreeWidget>(Panel4, "TreeViewChoice");
    TreeViewChoice->setHeaderHidden(true);
    // Names stand whole: a long one makes the tree scroll sideways instead of being cut.
    TreeViewChoice->header()->setStretchLastSection(false);
    TreeViewChoice->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TreeViewChoice->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeViewChoice->setIconSize(QSize(16, 16));
    TreeViewChoice->setItemDelegate(new TChoiceDelegate(*this));
    // The selection is drawn on the node's text only, so that a node drawn unselected shows
    // no highlight beside it either.
    TreeViewChoice->setStyleSheet(QStringLiteral("QTreeView { show-decoration-selected: 0; }"));
    auto* treeLayout = new QVBoxLayout(Panel4);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    treeLayout->addWidget(TreeViewChoice);

    Panel3 = Named<QFrame>(this, "Panel3");
    LabelPrepare = Named<QLabel>(Panel3, "LabelPrepare", QStringLiteral("Preparation ..."));
    LabelPrepare->setAlignment(Qt::AlignCenter);
    (new QVBoxLayout(Panel3))->addWidget(LabelPrepare);

    Panel2 = Named<QFrame>(this, "Panel2");
    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(Panel3, 1);
    rightLayout->addWidget(Panel2);
    QHBoxLayout* footer = NewFooter(TFooter::OKExit);
    footer->setContentsMargins(0, 0, 0, 0);
    Panel2->setLayout(footer);

    Splitter1 = Named<QSplitter>(this, "Splitter1", Qt::Horizontal);
    Splitter1->addWidget(Panel4);
    Splitter1->addWidget(right);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({280, 440});
    (new QVBoxLayout(this))->addWidget(Splitter1);

    connect(TreeViewChoice, &QTreeWidget::currentItemChanged, this,
            &TfChoice::TreeViewChoiceChange);
}

TfChoice::~TfChoice() = default;

void TfChoice::FormShow() {
    ImageLogo->setPixmap(QPixmap::fromImage(main_.LogoBitmap));
    const TLangFile texts = ReadTexts(kFile, kSection);
    LabelPrepare->show();
    BitBtnOK->setEnabled(false);
    BtnExit->setEnabled(false);
    TreeViewChoice->hide();

    const TMainState& state = ShellServices().State();
    const TObjectIndex& index = ShellServices().Index();
    switch (Mode) {
        case kModeMove: {
            AllowedTypes = {otFolder, otBudget};
            folder_ = state.BudgetPath;
            const ObjectInfo* moved = index.FindObject(state.IDObject, folder_);
            if (moved == nullptr || state.IDObject <= 0)
                throw std::logic_error("The tree chooser moves the selected object only");
            moved_ = *moved;
            FrameFolder = new TfrChoiceFolder(Panel3, main_.MemoColor);
            FrameFolder->hide();
            FrameFolder->ReadTexts(texts);
            setWindowTitle(FrameFolder->LabelHeader->text());
            const auto show = [&](TfrChoiceFolder::TGroup group, int id) {
                FrameFolder->ShowGroup(
                    group, main_.ImageListTree.Pixmap(index.GetObjectImage(id, folder_)),
                    index.GetObjectName(id, folder_), index.GetObjectDescript(id, folder_));
            };
            show(TfrChoiceFolder::TGroup::Object, moved_.ID);
            show(TfrChoiceFolder::TGroup::From, moved_.IDParent);
            break;
        }
        case kModeDataSource: {
            if (Source == nullptr)
                throw std::logic_error("The tree chooser needs the datum to choose a source for");
            AllowedTypes = {otNumber, otPay, otCalendar};
            folder_ = state.BudgetPath;
            FrameDataSource = new TfrChoiceDataSource(Panel3, main_.MemoColor);
            FrameDataSource->hide();
            WarningText = FrameDataSource->ReadTexts(texts);
            setWindowTitle(FrameDataSource->LabelHeader->text());
            break;
        }
        default:
            throw std::logic_error("The tree chooser has no mode " + std::to_string(Mode));
    }
}

void TfChoice::showEvent(QShowEvent* event) {
    TDialogBase::showEvent(event);
    if (!event->spontaneous())
        QMetaObject::invokeMethod(this, &TfChoice::FormActivate, Qt::QueuedConnection);
}

void TfChoice::FormActivate() {
    // A dialog closed before its first paint has nothing left to prepare.
    QFrame* frame = HostedFrame();
    if (!isVisible() || frame == nullptr) return;
    LetMessagesRun();
    {
        // The selection handler runs once at the end, for the node finally selected.
        const QSignalBlocker quiet(TreeViewChoice);
        if (Rebuild) {
            TreeViewChoice->setUpdatesEnabled(false);
            TreeViewChoice->clear();
            const TObjectIndex& index = ShellServices().Index();
            const int root = index.IndexOf(0, folder_);
            ObjectInfo budget{.Type = otBudget,
                              .ID = 0,
                              .IDParent = -1,
                              .Name = ShellServices().BudgetName(),
                              .Descript = index.GetObjectDescript(0, folder_),
                              .Path = folder_};
            TChoiceNode* rootNode = NewNode(std::move(budget), index.GetObjectImage(0, folder_));
            TreeViewChoice->addTopLevelItem(rootNode);
            AddChoiceNodes(root, rootNode);
            TreeViewChoice->setUpdatesEnabled(true);
            Rebuild = false;
        }
        TreeViewChoice->collapseAll();
        LabelPrepare->hide();
        Panel3->layout()->addWidget(frame);
        frame->show();
        if (Mode == kModeMove)
            SelectChoiceNode(moved_.ID);
        else
            RestoreSourceSelection();
    }
    TreeViewChoiceChange();
    BtnExit->setEnabled(true);
    TreeViewChoice->show();
    TreeViewChoice->setFocus();
}

void TfChoice::AddChoiceNodes(int parentIndex, QTreeWidgetItem* parentNode) {
    const TObjectIndex& index = ShellServices().Index();
    for (const int child : index.Node(parentIndex).Children) {
        const TIndexNode& entry = index.Node(child);
        // The chooser shows every node with its stored (collapsed) icon.
        TChoiceNode* node = NewNode(entry.Info, entry.Image - (entry.Expanded ? 1 : 0));
        parentNode->addChild(node);
        AddChoiceNodes(child, node);
    }
}

TChoiceNode* TfChoice::NewNode(ObjectInfo info, int image) const {
    auto* node = new TChoiceNode(std::move(info), image);
    node->setIcon(0, QIcon(main_.ImageListTree.Pixmap(image)));
    return node;
}

bool TfChoice::SelectChoiceNode(int id) {
    for (QTreeWidgetItemIterator it(TreeViewChoice); *it != nullptr; ++it) {
        auto* node = static_cast<TChoiceNode*>(*it);
        if (node->Info.ID != id) continue;
        for (QTreeWidgetItem* above = node->parent(); above != nullptr; above = above->parent())
            above->setExpanded(true);
        TreeViewChoice->setCurrentItem(node);
        TreeViewChoice->scrollToItem(node);
        TreeViewChoice->setFocus();
        return true;
    }
    TreeViewChoice->setCurrentItem(nullptr);
    return false;
}

const TChoiceNode* TfChoice::SelectedNode() const {
    return static_cast<const TChoiceNode*>(TreeViewChoice->currentItem());
}

bool TfChoice::IsMoveTarget(const ObjectInfo& target) const {
    return (target.Type == otFolder || target.Type == otBudget) && target.ID != moved_.ID &&
           target.ID != moved_.IDParent &&
           !ShellServices().Index().IsAncestor(moved_.ID, target.ID, folder_);
}

QFrame* TfChoice::HostedFrame() const {
    if (Mode == kModeDataSource) return FrameDataSource.data();
    return FrameFolder.data();
}

void TfChoice::RestoreSourceSelection() {
    const ExtData& source = *Source;
    if (source.IDObject == -1) {
        SelectChoiceNode(LastChoice != -1 ? LastChoice : ShellServices().State().IDObject);
        return;
    }
    SelectChoiceNode(source.IDObject);
    if (source.TypeObject == kSourcePay || source.TypeObject == kSourceCalendar) {
        QComboBox* combo = source.TypeObject == kSourcePay ? FrameDataSource->ComboBoxSubSource
                                                           : FrameDataSource->ComboBoxSubDate;
        // A sub-source outside the list leaves none selected.
        combo->setCurrentIndex(source.SubSource >= 1 && source.SubSource <= combo->count()
                                   ? source.SubSource - 1
                                   : -1);
    }
    // Parameters of digits only; anything else leaves the frame's default.
    const auto restore = [](const std::string& text, QSpinBox& spin) {
        if (!text.empty() && IsDigitString(text) && text.size() <= 9)
            spin.setValue(std::stoi(text));
    };
    restore(source.Param1, *FrameDataSource->UpDownDay);
    restore(source.Param2, *FrameDataSource->UpDownMonthDecr);
}

void TfChoice::DataSourceChange(const TChoiceNode* node) {
    TfrChoiceDataSource& frame = *FrameDataSource;
    const int type = node != nullptr ? node->Info.Type : -1;
    frame.ChosenType = ChosenType;
    frame.ShowSubSource(0);
    const bool excluded = type == otNumber && node->Info.ID == IDExcluded;
    const bool allowed = (type == otNumber && !excluded) || type == otPay || type == otCalendar;
    if (allowed)
        frame.ShowObject(main_.ImageListTree.Pixmap(node->Image), node->Info.Name,
                         node->Info.Descript);
    else
        frame.ShowObject(QPixmap(), "", "");
    frame.ShowWarning(excluded ? WarningText : std::string());
    if (type == otPay || type == otCalendar) frame.ShowSubSource(type);
    BitBtnOK->setEnabled(allowed);
}

void TfChoice::WriteSource() {
    const TChoiceNode* node = SelectedNode();
    if (node == nullptr || Source == nullptr) return;
    ExtData& source = *Source;
    source.IDObject = node->Info.ID;
    source.TypeObject = node->Info.Type;
    if (node->Info.Type == otNumber) {
        source.SubSource = 0;
    } else {
        const QComboBox* combo = node->Info.Type == otPay ? FrameDataSource->ComboBoxSubSource
                                                          : FrameDataSource->ComboBoxSubDate;
        source.SubSource = combo->currentIndex() + 1;
        source.Param1 = FrameDataSource->DayText();
        source.Param2 = FrameDataSource->MonthDecrText();
    }
    LastChoice = node->Info.ID;
}

void TfChoice::TreeViewChoiceChange() {
    const TChoiceNode* target = SelectedNode();
    ChosenType = target != nullptr ? target->Info.Type : 0;
    if (Mode == kModeDataSource) {
        if (!FrameDataSource.isNull()) DataSourceChange(target);
        return;
    }
    if (FrameFolder.isNull()) return;
    const bool valid = target != nullptr && IsMoveTarget(target->Info);
    if (valid)
        FrameFolder->ShowGroup(TfrChoiceFolder::TGroup::To,
                               main_.ImageListTree.Pixmap(target->Image), target->Info.Name,
                               target->Info.Descript);
    else
        FrameFolder->ShowGroup(TfrChoiceFolder::TGroup::To, QPixmap(), "", "");
    BitBtnOK->setEnabled(valid);
}

void TfChoice::TreeViewChoiceCustomDrawItem(const TChoiceNode& node,
                                            QStyleOptionViewItem& option) const {
    const bool allowed =
        std::find(AllowedTypes.begin(), AllowedTypes.end(), node.Info.Type) != AllowedTypes.end();
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    QPalette& palette = option.palette;
    if (!allowed) {
        option.state.setFlag(QStyle::State_Selected, false);
        palette.setColor(QPalette::Text, palette.color(QPalette::Disabled, QPalette::WindowText));
    } else if (!selected && Mode == kModeMove && node.Info.ID == moved_.ID) {
        palette.setColor(QPalette::Text, kGreen);
    }
}

std::unique_ptr<TTransWriter> TfChoice::WriteMoveTransaction() {
    const TChoiceNode* target = SelectedNode();
    auto writer = std::make_unique<TTransWriter>(kActMove, moved_.ID, moved_.Type, moved_.Name);
    TMoveParts parts{target->Info.ID, moved_.IDParent, target->Info.Name,
                     ShellServices().Index().GetObjectName(moved_.IDParent, folder_)};
    WriteParts(*writer, parts);
    return writer;
}

void TfChoice::accept() {
    BitBtnOK->setEnabled(false);
    BtnExit->setEnabled(false);
    LetMessagesRun();
    if (Mode == kModeDataSource) {
        WriteSource();
        return TDialogBase::accept();
    }

    // Rebuilding the main tree marks this tree stale too. A move that could not be written (the
    // failure was shown) leaves the dialog open on the chosen folder, for OK again once the
    // cause is gone.
    bool applied = false;
    if (!RunShowingError([&] { applied = ApplyTreeChange([this] { return WriteMoveTransaction(); }); },
                         this)) {
        BitBtnOK->setEnabled(true);
        BtnExit->setEnabled(true);
        return;
    }
    if (!applied) return TDialogBase::reject();
    main_.TreeViewMain->setFocus();
    TDialogBase::accept();
}

void TfChoice::FormClose() {
    delete FrameFolder;
    delete FrameDataSource;
    LabelPrepare->show();
}

void TfChoice::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && HostedFrame() != nullptr) {
        if (!FrameFolder.isNull()) FrameFolder->ButtonHelp->click();
        if (!FrameDataSource.isNull()) FrameDataSource->ButtonHelp->click();
        return;
    }
    TDialogBase::keyPressEvent(event);
}
