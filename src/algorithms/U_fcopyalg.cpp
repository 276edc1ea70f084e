// Copying an algorithm: the algorithms of the open budget listed, and the chosen one loaded into
// the algorithm editor in place of the one being edited, whose identity stays.
#include "algorithms/U_fcopyalg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include "algorithms/U_fcalculation.h"
#include "platform/Table.h"
#include "platform/TableGridModel.h"
#include "platform/Text.h"
#include "shell/FrameWidgets.h"
#include "shell/ShellServices.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_dm.h"

namespace {

constexpr int FID = 0, FName = 1, FDescript = 2;

// The edited algorithm's own row is drawn in the grey-text colour on the window colour.
class TOwnRowDelegate : public QStyledItemDelegate {
public:
    explicit TOwnRowDelegate(TfCopyAlg& dialog, const TfCalculation& editor,
                             TTableGridModel& model)
        : QStyledItemDelegate(&dialog), editor_(editor), model_(model) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const TTableGridModel::TRow* row = model_.Row(index.row());
        if (row == nullptr || (*row)[FID].Integer() != editor_.AlgID) return;
        option->state.setFlag(QStyle::State_Selected, false);
        option->backgroundBrush = option->palette.brush(QPalette::Base);
        option->palette.setColor(QPalette::Text,
                                 option->palette.color(QPalette::Disabled, QPalette::Text));
    }

private:
    const TfCalculation& editor_;
    TTableGridModel& model_;
};

}  // namespace

TfCopyAlg::TfCopyAlg(TfCalculation& editor)
    : TDialogBase("TfCopyAlg", &editor, Qt::Tool), editor_(editor) {
    setAttribute(Qt::WA_DeleteOnClose);
    resize(571, 368);
    QLabel* header = NewHeaderLabel(this);
    QLabel* descript = Named<QLabel>(this, "LabeDescript");
    model_ = new TTableGridModel(
        {fld::ID, fld::Name, fld::Descript}, fld::ID,
        {{{}, [](const TTableGridModel::TRow& row) { return ToQString(row[FName].Text()); }}},
        this);
    DBGridAlgList = Named<QTableView>(this, "DBGridAlgList");
    DBGridAlgList->setModel(model_);
    DBGridAlgList->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridAlgList->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridAlgList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridAlgList->verticalHeader()->hide();
    DBGridAlgList->verticalHeader()->setDefaultSectionSize(18);
    DBGridAlgList->horizontalHeader()->setStretchLastSection(true);
    QFont bold = DBGridAlgList->horizontalHeader()->font();
    bold.setBold(true);
    DBGridAlgList->horizontalHeader()->setFont(bold);
    DBGridAlgList->setItemDelegate(new TOwnRowDelegate(*this, editor_, *model_));
    // The name column shows a long name whole, also beside the scroll bar of a long list.
    DBGridAlgList->setMinimumWidth(CharactersWidth(*DBGridAlgList, kWholeNameLength) +
                                   2 * DBGridAlgList->frameWidth() +
                                   style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    RichEditDetail = Named<QTextEdit>(this, "RichEditDetail");
    RichEditDetail->setReadOnly(true);
    RichEditDetail->setFixedHeight(65);
    RichEditDetail->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setReadOnly(true);
    QPalette memo = MemoDescript->palette();
    memo.setColor(QPalette::Base, palette().color(QPalette::Button));
    if (fMain != nullptr) memo.setColor(QPalette::Text, fMain->MemoColor);
    MemoDescript->setPalette(memo);
    MemoDescript->setFixedWidth(150);
    NewHelpButton(std::nullopt);
    ButtonHelp->hide();

    auto* list = new QVBoxLayout;
    list->addWidget(descript);
    list->addWidget(DBGridAlgList, 1);
    list->addWidget(RichEditDetail);
    auto* body = new QHBoxLayout;
    body->addLayout(list, 1);
    body->addWidget(MemoDescript);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addLayout(body, 1);
    layout->addLayout(NewFooter(TFooter::OKExit, TFooterDefaults::Empty));
    connect(DBGridAlgList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TfCopyAlg::DataSource1DataChange);
    connect(model_, &QAbstractItemModel::modelReset, this, &TfCopyAlg::DataSource1DataChange);
}

TfCopyAlg::~TfCopyAlg() = default;

void TfCopyAlg::FormShow() {
    if (fMain != nullptr) ImageLogo->setPixmap(QPixmap::fromImage(fMain->LogoBitmap));
    const TLangFile texts = ReadTexts("CopyAlg.lng", "CopyAlg");
    NameAlgStr = texts.Read("CopyAlg", "NameAlgStr", "");
    DescrAlgStr = texts.Read("CopyAlg", "DescrAlgStr", "");
    LoadDescription(ShellServices().LangPath() + "CopyAlgTxt01.lng", *MemoDescript);
    setWindowTitle(findChild<QLabel*>(QStringLiteral("LabelHeader"))->text());
    model_->SetTitle(0, ToQString(NameAlgStr));
    // Every algorithm of the budget, in the table's order.
    borrowed_ = std::make_unique<TFilterScope>(DM->TableAlgorithms, TFilter{});
    model_->Follow(DM->TableAlgorithms);
    if (model_->rowCount() > 0) DBGridAlgList->selectRow(0);
    DataSource1DataChange();
}

void TfCopyAlg::FormClose() {
    model_->Clear();
    borrowed_.reset();
}

int TfCopyAlg::CurrentID() const {
    const QModelIndex current = DBGridAlgList->currentIndex();
    const TTableGridModel::TRow* row = current.isValid() ? model_->Row(current.row()) : nullptr;
    return row != nullptr ? static_cast<int>((*row)[FID].Integer()) : 0;
}

void TfCopyAlg::DataSource1DataChange() {
    const QModelIndex current = DBGridAlgList->currentIndex();
    const TTableGridModel::TRow* row = current.isValid() ? model_->Row(current.row()) : nullptr;
    RichEditDetail->clear();
    if (row != nullptr) {
        RichEditDetail->append(ToQString(NameAlgStr + ": " + (*row)[FName].Text()));
        RichEditDetail->append(ToQString(DescrAlgStr + ": " + (*row)[FDescript].Text()));
    }
    // A new algorithm has the ID 0, as an empty list does: nothing to copy then either.
    const bool own = CurrentID() == editor_.AlgID;
    BitBtnOK->setEnabled(!own);
    QPalette palette = RichEditDetail->palette();
    palette.setColor(QPalette::Text, QApplication::palette().color(
                                         own ? QPalette::Disabled : QPalette::Active, QPalette::Text));
    RichEditDetail->setPalette(palette);
}

void TfCopyAlg::accept() {
    const int id = CurrentID();
    if (id == 0 || id == editor_.AlgID) return;
    const int algId = editor_.AlgID;
    const int parent = editor_.AlgIDParent;
    const std::string name = editor_.AlgName;
    const std::string descript = editor_.AlgDescript;
    editor_.ClearAll();
    editor_.ShowAlgorithm(DM->LoadAlgorithm(id));
    editor_.AlgID = algId;
    editor_.AlgIDParent = parent;
    editor_.AlgName = name;
    editor_.AlgDescript = descript;
    editor_.StringGridTitle->item(0, 1)->setText(ToQString(name));
    editor_.StringGridTitle->item(1, 1)->setText(ToQString(descript));
    editor_.ColorAllLines();
    TDialogBase::accept();
}
