// The export and import dialog: the selected branch into an archive, or an archive under the
// selected node through the journal.
#include "exchange/U_fimpexp.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "exchange/ArchivePicker.h"
#include "exchange/Uimportexport.h"
#include "platform/Database.h"
#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/MessageDlg.h"
#include "shell/ObjectIndex.h"
#include "shell/ShellServices.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage_widgets.h"
#include "store/TransKindImport.h"
#include "tree/TreeChange.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFile = "ImpExp.lng";
constexpr int kExportTopic = 2050;
constexpr int kImportTopic = 2060;

const char* Section(char mode) {
    return mode == 'I' ? "Import" : "Export";
}

}  // namespace

TfImpExp::TfImpExp(TfMain& main, char mode)
    : TDialogBase("TfImpExp", &main), Mode(mode), main_(main) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    setWindowFlag(Qt::Tool);

    LabelHeader = NewHeaderLabel(this);
    NewHelpButton(Mode == 'I' ? kImportTopic : kExportTopic);
    LabelBranchName = Named<QLabel>(this, "LabelBranchName");
    SetTextKey(*LabelBranchName, "");  // FormShow puts the name in
    LabelStep1 = Named<QLabel>(this, "LabelStep1");
    EditArcFile = Named<QLineEdit>(this, "EditArcFile");
    BitBtnChoiceFile = Named<QPushButton>(this, "BitBtnChoiceFile", QStringLiteral("..."));
    BitBtnSource = Named<QPushButton>(this, "BitBtnSource", QStringLiteral("..."));
    for (QPushButton* button : {BitBtnChoiceFile, BitBtnSource}) SetTextKey(*button, "");
    MemoProcess = Named<QPlainTextEdit>(this, "MemoProcess");
    MemoProcess->setReadOnly(true);
    MemoProcess->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setReadOnly(true);
    MemoDescript->setFocusPolicy(Qt::NoFocus);
    QPalette face = MemoDescript->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    MemoDescript->setPalette(face);

    auto* file = new QHBoxLayout;
    file->addWidget(EditArcFile, 1);
    file->addWidget(BitBtnSource);
    file->addWidget(BitBtnChoiceFile);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(NewHeaderRow(*LabelHeader, *ButtonHelp));
    layout->addWidget(LabelBranchName);
    layout->addWidget(MemoDescript, 1);
    layout->addWidget(LabelStep1);
    layout->addLayout(file);
    layout->addWidget(MemoProcess, 1);
    QHBoxLayout* footer = NewFooter(TFooter::OKExit, TFooterDefaults::Empty);
    BitBtnStop = Named<QPushButton>(this, "BitBtnStop", QStringLiteral("Stop"));
    SetTextKey(*BitBtnStop, "BtnStop");
    BitBtnStop->setAutoDefault(false);
    BitBtnStop->setEnabled(false);
    BitBtnStop->setVisible(Mode == 'I');
    footer->insertWidget(footer->indexOf(BtnExit), BitBtnStop);
    layout->addLayout(footer);
    resize(521, 420);

    connect(EditArcFile, &QLineEdit::textChanged, this, &TfImpExp::EditArcFileChange);
    connect(BitBtnChoiceFile, &QPushButton::clicked, this, &TfImpExp::BitBtnChoiceFileClick);
    connect(BitBtnSource, &QPushButton::clicked, this, &TfImpExp::BitBtnSourceClick);
    connect(BitBtnStop, &QPushButton::clicked, this, &TfImpExp::BitBtnStopClick);
}

TfImpExp::~TfImpExp() = default;

void TfImpExp::FormShow() {
    const TMainState& state = ShellServices().State();
    const bool import = Mode == 'I';
    BranchName = ShellServices().Index().GetObjectName(state.IDObject, state.BudgetPath);
    const char* section = Section(Mode);
    const TLangFile texts = ReadTexts(kFile, section);
    setWindowTitle(LabelHeader->text());
    auto read = [&](const char* key, const char* fallback = "") {
        return texts.Read(section, key, fallback);
    };
    QString branch = ToQString(read("LabelBranchName"));
    branch.replace(QStringLiteral("[BranchName]"), ToQString(BranchName));
    LabelBranchName->setText(branch);
    Phase1 = read("Phase1");
    Phase1_InProcess = read("Phase1_InProcess");
    Phase1_OK = read("Phase1_OK");
    Phase1_ERROR = read("Phase1_ERROR");
    Phase1_DETAILED_ERROR = read("Phase1_DETAILED_ERROR");
    Phase2 = read("Phase2");
    Phase2_InProcess = read("Phase2_InProcess");
    Phase2_OK = read("Phase2_OK");
    Phase2_ERROR = read("Phase2_ERROR", "ERROR: the temporary folder cannot be prepared.");
    Phase3 = read("Phase3");
    Phase3_InProcess = read("Phase3_InProcess");
    Phase3_OK = read("Phase3_OK");
    Phase3_ERROR = read("Phase3_ERROR", "ERROR: the archiver failed; no archive was written.");
    NoBackupCommand = read("NoBackupCommand",
                           "No archiver is set: [Backup] BackupCommand in vemly.ini is empty.");
    ReplaceQ = read("ReplaceQ");

    ImageLogo->setPixmap(QPixmap::fromImage(main_.LogoBitmap));
    QPalette colour = MemoDescript->palette();
    colour.setColor(QPalette::Text, main_.MemoColor);
    MemoDescript->setPalette(colour);
    LoadDescription(state.LangPath + (import ? "ImpExpTxt02.lng" : "ImpExpTxt01.lng"),
                    *MemoDescript);
    BitBtnChoiceFile->setVisible(!import);
    BitBtnSource->setVisible(import);
    EditArcFile->setText(
        import ? QString()
               : ToQString(state.ExportPath + "/" + FileNameOf(BranchName) + ".vlexport"));
    EditArcFile->setCursorPosition(EditArcFile->text().size());
    EditArcFileChange();
}

void TfImpExp::EditArcFileChange() {
    if (Mode != 'I') return;
    std::error_code error;
    BitBtnOK->setEnabled(fs::is_regular_file(ToStdString(EditArcFile->text()), error));
}

void TfImpExp::BitBtnChoiceFileClick() {
    const std::string start =
        ShellServices().State().ExportPath + "/" + FileNameOf(BranchName) + ".vlexport";
    const QString path = PickArchive(
        this, {true, ToQString(start), QStringLiteral("Vemly export files (*.vlexport)"),
               QStringLiteral("vlexport")});
    if (path.isEmpty()) return;
    EditArcFile->setText(path);
    EditArcFile->setCursorPosition(path.size());
}

void TfImpExp::BitBtnSourceClick() {
    const QString path =
        PickArchive(this, {false,
                           ToQString(ShellServices().State().ExportPath),
                           QStringLiteral("Vemly export and backup  files (*.vlexport *.vlbackup);;"
                                          "Vemly export files (*.vlexport);;"
                                          "Vemly backup files (*.vlbackup)"),
                           {}});
    if (path.isEmpty()) return;
    EditArcFile->setText(path);
    EditArcFile->setCursorPosition(path.size());
}

void TfImpExp::BitBtnStopClick() {
    stop_ = true;
    BitBtnStop->setEnabled(false);
}

void TfImpExp::SetControlsEnabled(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{EditArcFile, BitBtnSource,
                                                            BitBtnChoiceFile, BitBtnOK, BtnExit})
        control->setEnabled(enabled);
}

void TfImpExp::AddLine(const std::string& line) {
    lines_.push_back(ToQString(line));
    MemoProcess->setPlainText(lines_.join(u'\n'));
    MemoProcess->moveCursor(QTextCursor::End);
}

void TfImpExp::SetLine(int index, const std::string& line) {
    if (index >= lines_.size()) return AddLine(line);
    lines_[index] = ToQString(line);
    MemoProcess->setPlainText(lines_.join(u'\n'));
    MemoProcess->moveCursor(QTextCursor::End);
}

int TfImpExp::PhaseLine() const {
    return std::max(0, static_cast<int>(lines_.size()) - 1);
}

void TfImpExp::Fail(int index, const std::string& line, const QStringList& details) {
    QPalette red = MemoProcess->palette();
    red.setColor(QPalette::Text, QColor(255, 0, 0));
    MemoProcess->setPalette(red);
    SetLine(index, line);
    for (const QString& detail : details) AddLine(ToStdString(detail));
    BitBtnOK->setEnabled(false);
    BtnExit->setEnabled(true);
}

bool TfImpExp::RunExport() {
    const std::string archive = ToStdString(EditArcFile->text());
    std::error_code error;
    if (fs::exists(archive, error) &&
        MessageDlg(ReplaceQ, TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, this) != mrYes) {
        SetControlsEnabled(true);
        return false;
    }
    const TMainState& state = ShellServices().State();
    const int id = state.IDObject;
    phase_ = Phase1;
    AddLine(Phase1 + " " + Phase1_InProcess);
    LetMessagesRun();
    TIDList outside;
    if (!CheckBranchData(id, state.TypeObject, outside)) {
        QStringList details{ToQString(Phase1_DETAILED_ERROR)};
        for (int member : outside)
            details << ToQString("> " +
                                 ShellServices().Index().GetObjectName(member, state.BudgetPath));
        Fail(0, Phase1 + " " + Phase1_ERROR, details);
        return false;
    }
    SetLine(0, Phase1 + " " + Phase1_OK);
    phase_ = Phase2;
    AddLine(Phase2 + " " + Phase2_InProcess);
    LetMessagesRun();
    if (!BuildBranchSet(id)) {
        Fail(1, Phase2 + " " + Phase2_ERROR, {});
        return false;
    }
    SetLine(1, Phase2 + " " + Phase2_OK);
    phase_ = Phase3;
    AddLine(Phase3 + " " + Phase3_InProcess);
    LetMessagesRun();
    const bool stop = false;
    switch (PackBranchSet(archive, nullptr, stop)) {
        case TPackResult::Done:
            break;
        case TPackResult::NoCommand:
            Fail(2, Phase3 + " " + NoBackupCommand, {});
            return false;
        default:
            Fail(2, Phase3 + " " + Phase3_ERROR, {});
            return false;
    }
    SetLine(2, Phase3 + " " + Phase3_OK);
    return true;
}

bool TfImpExp::RunImport() {
    phase_ = Phase1;
    AddLine(Phase1 + " " + Phase1_InProcess);
    LetMessagesRun();
    // The archive is checked and unpacked once before anything is written, with the window
    // responsive and BitBtnStop able to end the check; the journal's applier checks it again
    // when it unpacks it, and then there is no stopping.
    stop_ = false;
    BitBtnStop->setEnabled(true);
    // The room counted takes in the journal's copy of the archive, written before the import.
    const std::string archive = ToStdString(EditArcFile->text());
    std::error_code error;
    const std::uintmax_t archiveBytes = fs::file_size(archive, error);
    const TArchiveCheck check =
        UnpackBranchSet(archive, TProcessEvents::All, stop_, error ? 0 : archiveBytes);
    BitBtnStop->setEnabled(false);
    ShellServices().ClearTempFolder();
    if (!check) {
        const TProblemText refusal = ArchiveProblemText(check.Problem);
        const std::string reason = TLangFile(ShellServices().LangPath() + kFile)
                                       .Read(Section(Mode), refusal.Key, refusal.Text);
        if (check.Problem == TArchiveProblem::Stopped) {
            SetLine(0, Phase1 + " " + reason);
            SetControlsEnabled(true);
            EditArcFileChange();
            return false;
        }
        QStringList details{ToQString(reason)};
        if (!check.Detail.empty()) details << ToQString("> " + check.Detail);
        Fail(0, Phase1 + " " + Phase1_ERROR, details);
        return false;
    }
    const int target = ShellServices().State().IDObject;
    SetLine(0, Phase1 + " " + Phase1_OK);
    phase_ = Phase2;
    AddLine(Phase2 + " " + Phase2_InProcess);
    LetMessagesRun();
    if (!ApplyTreeChange([this] { return WriteImportTransaction(); }, target)) return true;
    main_.TreeViewMain->setFocus();
    SetLine(1, Phase2 + " " + Phase2_OK);
    return true;
}

std::unique_ptr<TTransWriter> TfImpExp::WriteImportTransaction() {
    const TMainState& state = ShellServices().State();
    return ::WriteImportTransaction(ToStdString(EditArcFile->text()), state.IDObject,
                                    state.TypeObject, ToStdString(LabelBranchName->text()));
}

void TfImpExp::closeEvent(QCloseEvent* event) {
    if (!running_) return TDialogBase::closeEvent(event);
    closeAsked_ = true;
    event->ignore();
}

void TfImpExp::accept() {
    SetControlsEnabled(false);
    running_ = true;
    closeAsked_ = false;
    LetMessagesRun();
    lines_.clear();
    MemoProcess->clear();
    bool done = false;
    RunGuarded([&] {
        try {
            done = Mode == 'I' ? RunImport() : RunExport();
        } catch (const std::system_error& e) {
            // A full disk, a folder that cannot be written: the system's reason and the paths.
            ShellServices().ClearTempFolder();
            QStringList details{ToQString(e.code().message())};
            if (const auto* paths = dynamic_cast<const fs::filesystem_error*>(&e))
                for (const fs::path& path : {paths->path1(), paths->path2()})
                    if (!path.empty()) details << ToQString("> " + path.string());
            Fail(PhaseLine(), phase_ + " " + Phase1_ERROR, details);
        } catch (const std::exception& e) {
            // A database error, or whatever else failed: its reason.
            ShellServices().ClearTempFolder();
            Fail(PhaseLine(), phase_ + " " + Phase1_ERROR, {ToQString(e.what())});
        } catch (...) {
            ShellServices().ClearTempFolder();
            Fail(PhaseLine(), phase_ + " " + Phase1_ERROR, {});
        }
    });
    BitBtnStop->setEnabled(false);
    running_ = false;
    if (!done) {
        BtnExit->setEnabled(true);
        if (closeAsked_) reject();
        return;
    }
    SetControlsEnabled(true);
    LetMessagesRun();
    TDialogBase::accept();
}
