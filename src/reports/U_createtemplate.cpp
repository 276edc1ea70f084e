// The template creation dialog.
#include "reports/U_createtemplate.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <vector>

#include "platform/Text.h"
#include "reports/U_freport_templates.h"
#include "reports/U_rtfreport.h"
#include "shell/FrameWidgets.h"
#include "shell/MessageDlg.h"
#include "shell/ShellOpen.h"
#include "shell/ShellServices.h"
#include "shell/Swappable.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_fileoperation.h"

namespace fs = std::filesystem;

namespace {

constexpr int kHelpTopic = 4100;
constexpr int kHelpMarkersTopic = 4110;

QString OpenWithDesktop(QWidget* parent, const QString& folder) {
    return QFileDialog::getOpenFileName(parent, {}, folder,
                                        QStringLiteral("Rich Text Format (*.rtf)"), nullptr,
                                        QFileDialog::ReadOnly);
}

TSwappable<QString(QWidget*, const QString&)>& SourcePicker() {
    static TSwappable<QString(QWidget*, const QString&)> picker(OpenWithDesktop);
    return picker;
}

}  // namespace

TSourcePicker SetTemplateSourcePicker(TSourcePicker picker) {
    return SourcePicker().Set(std::move(picker));
}

TfCreateTemplate::TfCreateTemplate(QWidget* parent, int objectType, std::string templatesDir,
                                   std::function<void()> onMade)
    : TDialogBase("TfCreateTemplate", parent, Qt::Tool),
      ObjectType(objectType),
      templatesDir_(std::move(templatesDir)),
      onMade_(std::move(onMade)) {
    setAttribute(Qt::WA_DeleteOnClose);
    resize(514, 455);
    QLabel* header = NewHeaderLabel(this);
    LabelFor = Named<QLabel>(this, "LabelFor");
    std::vector<QLabel*> steps;
    for (const char* name :
         {"LabelStep1", "LabelStep2", "LabelStep3", "LabelStep4", "LabelStep5", "LabelStep6"}) {
        steps.push_back(Named<QLabel>(this, name));
        steps.back()->setWordWrap(true);
    }
    BitBtnHelpCreate = Named<QPushButton>(this, "BitBtnHelpCreate");
    EditSource = Named<QLineEdit>(this, "EditSource");
    BitBtnSource = Named<QPushButton>(this, "BitBtnSource", QStringLiteral("..."));
    EditName = Named<QLineEdit>(this, "EditName");
    EditName->setMaxLength(100);
    // A long name shows whole; the source's path and the description have as much room.
    EditName->setMinimumWidth(CharactersWidth(*EditName, kWholeNameLength));
    EditDescript = Named<QLineEdit>(this, "EditDescript");
    EditDescript->setMaxLength(150);
    ComboBoxOffice = Named<QComboBox>(this, "ComboBoxOffice");
    ComboBoxOffice->addItems(
        {QStringLiteral("Microsoft Office (Word)"), QStringLiteral("OpenOffice / LibreOffice Writer")});
    ComboBoxCharSet = Named<QComboBox>(this, "ComboBoxCharSet");
    ButtonCharSetSystem = Named<QPushButton>(this, "ButtonCharSetSystem");
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setReadOnly(true);
    MemoDescript->setFixedWidth(170);
    NewHelpButton(kHelpTopic);

    auto* source = new QHBoxLayout;
    source->addWidget(EditSource, 1);
    source->addWidget(BitBtnSource);
    auto* charset = new QHBoxLayout;
    charset->addWidget(ComboBoxCharSet, 1);
    charset->addWidget(ButtonCharSetSystem);
    auto* inputs = new QVBoxLayout;
    inputs->addWidget(LabelFor);
    inputs->addWidget(steps[0]);
    inputs->addWidget(BitBtnHelpCreate, 0, Qt::AlignLeft);
    inputs->addWidget(steps[1]);
    inputs->addLayout(source);
    inputs->addWidget(steps[2]);
    inputs->addWidget(EditName);
    inputs->addWidget(steps[3]);
    inputs->addWidget(EditDescript);
    inputs->addWidget(steps[4]);
    inputs->addWidget(ComboBoxOffice);
    inputs->addWidget(steps[5]);
    inputs->addLayout(charset);
    inputs->addStretch(1);
    auto* headerRow = new QHBoxLayout;
    headerRow->addWidget(header, 1);
    headerRow->addWidget(ButtonHelp);
    auto* body = new QHBoxLayout;
    body->addLayout(inputs, 1);
    body->addWidget(MemoDescript);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(headerRow);
    layout->addLayout(body, 1);
    layout->addLayout(NewFooter(TFooter::OKExit, TFooterDefaults::Empty));
    // The footer's OK is the create button.
    BitBtnOK->setObjectName(QStringLiteral("BitBtnCreateTlt"));
    BitBtnOK->setEnabled(false);
    disconnect(BitBtnOK, nullptr, this, nullptr);
    connect(BitBtnOK, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { BitBtnCreateTltClick(); }); });
    connect(BitBtnSource, &QPushButton::clicked, this, &TfCreateTemplate::BitBtnSourceClick);
    connect(ButtonCharSetSystem, &QPushButton::clicked, this,
            &TfCreateTemplate::ButtonCharSetSystemClick);
    connect(BitBtnHelpCreate, &QPushButton::clicked, this,
            [this] { ShowHelp(HelpFile(), kHelpMarkersTopic, this); });
    connect(EditSource, &QLineEdit::textChanged, this, &TfCreateTemplate::InputsChanged);
    connect(EditName, &QLineEdit::textChanged, this, &TfCreateTemplate::InputsChanged);
}

void TfCreateTemplate::FormShow() {
    const TShellServices& services = ShellServices();
    if (fMain != nullptr) {
        ImageLogo->setPixmap(QPixmap::fromImage(fMain->LogoBitmap));
        QPalette memo = MemoDescript->palette();
        memo.setColor(QPalette::Text, fMain->MemoColor);
        MemoDescript->setPalette(memo);
    }
    const TLangFile texts = ReadTexts("Report.lng", "CreateTemplate");
    const auto read = [&texts](const char* key, const char* fallback) {
        return texts.Read("CreateTemplate", key, fallback);
    };
    LabelFor->setText(
        ToQString(read((std::string("For") + ObjectTypeWord(ObjectType)).c_str(), "")));
    noFreeName_ = read("NoFreeName", "Every template name of this kind is taken: delete a template first.");
    compileFailed_ = read("CompileFailed", "The template could not be made from the document:");
    copyFailed_ = read("CopyFailed", "The document could not be copied into the templates' sources:");
    replaceSourceQ_ = read("ReplaceSourceQ",
                           "A source document of this name is kept already. Replace it?");
    setWindowTitle(findChild<QLabel*>(QStringLiteral("LabelHeader"))->text());
    LoadDescription(services.LangPath() + "ReportTxt02.lng", *MemoDescript);
    ButtonCharSetSystemClick();
    InputsChanged();
}

void TfCreateTemplate::InputsChanged() {
    std::error_code error;
    const std::string source = ToStdString(EditSource->text());
    BitBtnOK->setEnabled(!source.empty() && fs::is_regular_file(fs::path(source), error) &&
                         !EditName->text().isEmpty());
}

void TfCreateTemplate::BitBtnSourceClick() {
    const QString chosen = SourcePicker()(this, ToQString(GetMyDocumentsFolder()));
    if (chosen.isEmpty()) return;
    if (EditName->text().isEmpty())
        EditName->setText(ToQString(fs::path(ToStdString(chosen)).stem().string()));
    EditSource->setText(chosen);
}

void TfCreateTemplate::ButtonCharSetSystemClick() {
    ComboBoxCharSet->clear();
    std::vector<std::string> fonts;
    strFCharsetInfo info;
    info.Fonts = &fonts;
    info.Path = ShellServices().State().DataPath + "fcharset.cfg";
    if (ReadCharsetConfig(info) != 0) return;
    for (const std::string& font : fonts) ComboBoxCharSet->addItem(ToQString(font));
    if (!fonts.empty()) ComboBoxCharSet->setCurrentIndex(info.FontIndex);
}

void TfCreateTemplate::BitBtnCreateTltClick() {
    TNewTemplate made;
    made.Source = ToStdString(EditSource->text());
    made.Name = ToStdString(EditName->text());
    made.Descript = ToStdString(EditDescript->text());
    made.Writer = ComboBoxOffice->currentIndex() == 1;
    const std::string charset = ToStdString(ComboBoxCharSet->currentText());
    if (const std::size_t colon = charset.find(':'); colon != std::string::npos)
        made.Charset = charset.substr(0, colon);
    const std::string fileName = fs::path(made.Source).filename().string();
    std::error_code error;
    if (fs::exists(fs::path(templatesDir_ + "Sources/" + fileName), error) &&
        MessageDlg(replaceSourceQ_ + " " + fileName, TMsgDlgType::mtConfirmation, mbYes | mbNo,
                   this) != mrYes)
        return;
    fs::create_directories(fs::path(templatesDir_), error);
    std::string templatePath;
    const int result = MakeTemplate(templatesDir_, ObjectType, ShellServices().State().TempPath,
                                    made, templatePath);
    if (result == kTemplateNoFreeName) {
        MessageDlg(noFreeName_, TMsgDlgType::mtError, mbOK, this);
        return;
    }
    if (result != kCompileDone) {
        const std::string& text = result == kTemplateSourceNotCopied ? copyFailed_ : compileFailed_;
        MessageDlg(text + " " + made.Source, TMsgDlgType::mtError, mbOK, this);
        return;
    }
    if (onMade_) onMade_();
    close();
}
