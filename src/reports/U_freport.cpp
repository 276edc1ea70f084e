// The report window.
#include "reports/U_freport.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "algorithms/Ugetdata.h"
#include "platform/Dates.h"
#include "platform/Text.h"
#include "reports/U_createtemplate.h"
#include "shell/MessageDlg.h"
#include "shell/ShellOpen.h"
#include "shell/ShellServices.h"
#include "shell/Swappable.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_fileoperation.h"

namespace {

constexpr int kHelpTopic = 4000;

QString SaveWithDesktop(QWidget* parent, const QString& proposed) {
    return QFileDialog::getSaveFileName(parent, {}, proposed,
                                        QStringLiteral("Rich Text Format (*.rtf)"));
}

TSwappable<QString(QWidget*, const QString&)>& SavePicker() {
    static TSwappable<QString(QWidget*, const QString&)> picker(SaveWithDesktop);
    return picker;
}

// The progress bar of the window as the generators move it.
class TBarProgress : public TReportProgress {
public:
    explicit TBarProgress(QProgressBar& bar) : bar_(bar) {}
    void SetRange(int minimum, int maximum) override { bar_.setRange(minimum, maximum); }
    void SetPosition(int position) override { bar_.setValue(position); }

private:
    QProgressBar& bar_;
};

// Asks for a file in the documents folder, proposing `name`; empty when the user declines.
std::string AskSaveFile(QWidget* parent, const std::string& name) {
    const QString proposed = ToQString(GetMyDocumentsFolder() + "/" + name);
    return ToStdString(SavePicker()(parent, proposed));
}

}  // namespace

TReportSavePicker SetReportSavePicker(TReportSavePicker picker) {
    return SavePicker().Set(std::move(picker));
}

TfReport::TfReport(QWidget* parent, int idObject, TReportDataSource source)
    : TDialogBase("TfReport", parent, Qt::Tool), IDObject(idObject), source_(std::move(source)) {
    setAttribute(Qt::WA_DeleteOnClose);
    resize(757, 429);
    QLabel* header = NewHeaderLabel(this);
    LabelFor = Named<QLabel>(this, "LabelFor");
    LabelStep1 = Named<QLabel>(this, "LabelStep1");
    LabelTemplates = Named<QLabel>(this, "LabelTemplates");
    StringGridTlt = Named<QTableWidget>(this, "StringGridTlt", 2, 5);
    StringGridTlt->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGridTlt->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGridTlt->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridTlt->verticalHeader()->hide();
    StringGridTlt->verticalHeader()->setDefaultSectionSize(18);
    int column = 0;
    for (int width : {28, 219, 299, 170}) StringGridTlt->setColumnWidth(column++, width);
    // The description takes the width the others leave, so that the list never scrolls sideways.
    StringGridTlt->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    // The template's file name is kept in the list, not shown.
    StringGridTlt->setColumnHidden(4, true);
    // Row 0 of the list is the title row, which the grid's header shows.
    StringGridTlt->setRowHidden(0, true);
    BitBtnCreateTlt = Named<QPushButton>(this, "BitBtnCreateTlt");
    BitBtnSaveTltSource = Named<QPushButton>(this, "BitBtnSaveTltSource");
    BitBtnDelTlt = Named<QPushButton>(this, "BitBtnDelTlt");
    ProgressBar1 = Named<QProgressBar>(this, "ProgressBar1");
    ProgressBar1->setTextVisible(false);
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setReadOnly(true);
    MemoDescript->setFixedWidth(170);
    QPalette memo = MemoDescript->palette();
    memo.setColor(QPalette::Base, palette().color(QPalette::Button));
    if (fMain != nullptr) memo.setColor(QPalette::Text, fMain->MemoColor);
    MemoDescript->setPalette(memo);
    NewHelpButton(kHelpTopic);

    auto* headerRow = new QHBoxLayout;
    headerRow->addWidget(header, 1);
    headerRow->addWidget(ButtonHelp);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {BitBtnCreateTlt, BitBtnSaveTltSource, BitBtnDelTlt})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto* list = new QVBoxLayout;
    list->addWidget(LabelFor);
    list->addWidget(LabelStep1);
    list->addWidget(LabelTemplates);
    list->addWidget(StringGridTlt, 1);
    list->addLayout(buttons);
    list->addWidget(ProgressBar1);
    auto* body = new QHBoxLayout;
    body->addLayout(list, 1);
    body->addWidget(MemoDescript);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(headerRow);
    layout->addLayout(body, 1);
    QHBoxLayout* footer = NewFooter(TFooter::OKExit, TFooterDefaults::Empty);
    // The footer's OK makes the report: it is the create button.
    BitBtnOK->hide();
    BitBtnCreateReport = Named<QPushButton>(this, "BitBtnCreateReport");
    BitBtnCreateReport->setDefault(true);
    footer->insertWidget(footer->indexOf(BitBtnOK), BitBtnCreateReport);
    layout->addLayout(footer);

    connect(BitBtnCreateReport, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { BitBtnCreateReportClick(); }); });
    connect(BitBtnCreateTlt, &QPushButton::clicked, this, &TfReport::BitBtnCreateTltClick);
    connect(BitBtnDelTlt, &QPushButton::clicked, this, &TfReport::BitBtnDelTltClick);
    connect(BitBtnSaveTltSource, &QPushButton::clicked, this, &TfReport::BitBtnSaveTltSourceClick);
    connect(StringGridTlt, &QTableWidget::itemSelectionChanged, this, &TfReport::SelectionChanged);
}

void TfReport::FormShow() {
    if (fMain != nullptr) ImageLogo->setPixmap(QPixmap::fromImage(fMain->LogoBitmap));
    const TShellServices& services = ShellServices();
    ObjectType = services.Index().GetObjectType(IDObject, services.BudgetPath());
    ObjectName = services.Index().GetObjectName(IDObject, services.BudgetPath());
    ObjectDescript = services.Index().GetObjectDescript(IDObject, services.BudgetPath());
    const TLangFile texts = ReadTexts("Report.lng", "CreateReport");
    const auto read = [&texts](const char* key) { return texts.Read("CreateReport", key, ""); };
    std::string forText = read("LabelFor");
    for (std::size_t at; (at = forText.find("[name]")) != std::string::npos;)
        forText.replace(at, 6, ObjectName);
    LabelFor->setText(ToQString(forText));
    LabelTemplates->setText(
        ToQString(read((std::string("Templates") + ObjectTypeWord(ObjectType)).c_str())));
    StringGridTlt->setHorizontalHeaderLabels({QString(), ToQString("   " + read("GridCol1")),
                                              ToQString("   " + read("GridCol2")),
                                              ToQString("   " + read("GridCol3")), QString()});
    questionDel_ = read("QuestionDel");
    reportFailed_ = read("ReportFailed");
    setWindowTitle(findChild<QLabel*>(QStringLiteral("LabelHeader"))->text());
    LoadDescription(services.LangPath() + "ReportTxt01.lng", *MemoDescript);
    TemplatesDir = TemplatesFolderOf(services.State().TemplatesPath, ObjectType);
    FillTemplateList();
}

void TfReport::FillTemplateList() {
    Templates = ListTemplates(TemplatesDir, ObjectType);
    StringGridTlt->clearContents();
    StringGridTlt->setRowCount(static_cast<int>(Templates.size()) + 2);
    for (std::size_t i = 0; i < Templates.size(); ++i) {
        const TTemplateEntry& entry = Templates[i];
        const int row = static_cast<int>(i) + 1;
        const std::string cells[] = {std::to_string(row), entry.Info.Name, entry.Info.Descript,
                                     entry.Info.SourceFile, entry.FileName};
        for (int c = 0; c < 5; ++c)
            StringGridTlt->setItem(row, c, new QTableWidgetItem(ToQString(cells[c])));
    }
    StringGridTlt->selectRow(1);
    SelectionChanged();
}

void TfReport::RefreshTemplateList() {
    const int selected = StringGridTlt->currentRow();
    FillTemplateList();
    StringGridTlt->selectRow(std::max(1, std::min(selected, StringGridTlt->rowCount() - 2)));
    SelectionChanged();
}

const TTemplateEntry* TfReport::SelectedTemplate() const {
    const int row = StringGridTlt->currentRow();
    if (row < 1 || row > static_cast<int>(Templates.size())) return nullptr;
    return &Templates[static_cast<std::size_t>(row - 1)];
}

void TfReport::SelectionChanged() {
    const bool onTemplate = SelectedTemplate() != nullptr;
    for (QPushButton* button : {BitBtnCreateReport, BitBtnDelTlt, BitBtnSaveTltSource})
        button->setEnabled(onTemplate);
}

TReportCommon TfReport::CommonValues() const {
    const TShellServices& services = ShellServices();
    TReportCommon common;
    common.Date = DateToStr(Today());
    common.Time = TimeToStr(TimeNow());
    common.BudgetName = services.State().BudgetName;
    common.BudgetDescript = services.State().BudgetDescript;
    try {
        common.BudgetBalance = CalcTotalBalance();
    } catch (const EDataSourceError&) {
        // A stored balance that is no number leaves the budget's balance out of the report.
    }
    return common;
}

void TfReport::BitBtnCreateReportClick() {
    const TTemplateEntry* entry = SelectedTemplate();
    if (entry == nullptr || !source_) return;
    BitBtnCreateReport->setEnabled(false);
    const std::string templatePath = entry->Info.Path;
    const std::string report = AskSaveFile(this, entry->Info.SourceFile);
    if (!report.empty()) {
        QApplication::processEvents();
        std::unique_ptr<TReportData> data = source_(ObjectName, ObjectDescript);
        TBarProgress progress(*ProgressBar1);
        std::string why;
        if (MakeReport(templatePath, report, CommonValues(), *data, &progress, &why) ==
            kReportMade)
            OpenDocumentOrTell(report, this);
        else
            MessageDlg(reportFailed_ + " " + report + (why.empty() ? "" : "\n" + why),
                       TMsgDlgType::mtError, mbOK, this);
    }
    SelectionChanged();
}

void TfReport::BitBtnCreateTltClick() {
    auto* create =
        new TfCreateTemplate(this, ObjectType, TemplatesDir, [this] { RefreshTemplateList(); });
    create->ExecModal();  // it frees itself when it closes
}

void TfReport::BitBtnDelTltClick() {
    const TTemplateEntry* entry = SelectedTemplate();
    if (entry == nullptr) return;
    if (MessageDlg(questionDel_ + " ", TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel,
                   this) != mrYes)
        return;
    const std::size_t index = static_cast<std::size_t>(entry - Templates.data());
    DeleteTemplateFiles(TemplatesDir, entry->FileName);
    // The source copy goes only when no other template was made from it.
    if (!entry->Info.SourceFile.empty() &&
        !SourceStillUsed(Templates, index, entry->Info.SourceFile)) {
        std::error_code error;
        std::filesystem::remove(TemplatesDir + "Sources/" + entry->Info.SourceFile, error);
    }
    RefreshTemplateList();
}

void TfReport::BitBtnSaveTltSourceClick() {
    const TTemplateEntry* entry = SelectedTemplate();
    if (entry == nullptr) return;
    const std::string chosen = AskSaveFile(this, entry->Info.SourceFile);
    if (chosen.empty()) return;
    const std::string target = SourceSaveName(chosen);
    if (ShellCopyFiles(TemplatesDir + "Sources/" + entry->Info.SourceFile, target, false) == 0)
        OpenDocumentOrTell(target, this);
}

void ShowReportWindow(QWidget* parent, int idObject, TReportDataSource source) {
    auto* window = new TfReport(parent, idObject, std::move(source));
    window->ExecModal();
}
