// The settings dialog: backup copies, backup folder, daily backup and the journal length that
// packing keeps.
#include "shell/U_fsettings.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <charconv>

#include "platform/EventLoop.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "shell/MessageDlg.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"
#include "store/Usettings.h"
#include "tree/U_fcreatebudget.h"

namespace {

constexpr int kHelpTopic = 7500;
constexpr int kArrowsMaximum = 1000;

QLabel* NewWrappedLabel(QWidget* parent, const char* name) {
    auto* label = Named<QLabel>(parent, name);
    label->setWordWrap(true);
    return label;
}

// The arrows beside a count: one step up or down within 0 ... 1000; a text that is no count
// steps from 0.
QWidget* NewUpDown(QWidget* parent, const char* name, QLineEdit& edit) {
    auto* arrows = Named<QWidget>(parent, name);
    auto* layout = new QVBoxLayout(arrows);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const int step : {1, -1}) {
        auto* button = new QToolButton(arrows);
        button->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
        button->setFixedSize(16, 11);
        button->setAutoRepeat(true);
        QObject::connect(button, &QToolButton::clicked, &edit, [edit = &edit, step] {
            const int value = ParseCount(ToStdString(edit->text())).value_or(0) + step;
            edit->setText(QString::number(std::clamp(value, 0, kArrowsMaximum)));
        });
        layout->addWidget(button);
    }
    return arrows;
}

QGroupBox* NewGroup(QWidget* parent, const char* name, const std::vector<QWidget*>& rows) {
    auto* group = Named<QGroupBox>(parent, name);
    auto* layout = new QVBoxLayout(group);
    for (QWidget* row : rows) layout->addWidget(row);
    return group;
}

// An edit with its arrows or button on one line.
QWidget* NewEditRow(QWidget* parent, QWidget& edit, QWidget& beside) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(&edit);
    layout->addWidget(&beside);
    layout->addStretch(0);
    return row;
}

}  // namespace

std::optional<int> ParseCount(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return std::nullopt;
    const std::string_view trimmed = text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
    int value = 0;
    const char* end = trimmed.data() + trimmed.size();
    const auto [stop, error] = std::from_chars(trimmed.data(), end, value);
    if (error != std::errc() || stop != end || value < 0 || trimmed[0] == '-') return std::nullopt;
    return value;
}

TfSettings::TfSettings(TfMain& main) : TDialogBase("TfSettings", &main, Qt::Tool), main_(main) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Vemly"));
    setMinimumWidth(460);
    LabelHeader = NewHeaderLabel(this);
    NewHelpButton(kHelpTopic);

    NewCountGroup(
        {"GroupBoxCopiesCount", "CopiesCount", "LabelCopiesCount", "EditCopiesCount", "UpDown1"},
        GroupBoxCopiesCount, LabelCopiesCount, EditCopiesCount, UpDown1);

    LabeBackupFolder = NewWrappedLabel(this, "LabeBackupFolder");
    EditBackupFolder = Named<QLineEdit>(this, "EditBackupFolder");
    EditBackupFolder->setMinimumWidth(330);
    BitBtnSource = Named<QToolButton>(this, "BitBtnSource");
    BitBtnSource->setText(QStringLiteral("..."));
    SetTextKey(*BitBtnSource, "");
    connect(BitBtnSource, &QToolButton::clicked, this, &TfSettings::BitBtnSourceClick);
    GroupBoxBackupFolder =
        NewGroup(this, "GroupBoxBackupFolder",
                 {LabeBackupFolder, NewEditRow(this, *EditBackupFolder, *BitBtnSource)});
    SetTextKey(*GroupBoxBackupFolder, "BackupFolder");

    CheckBoxDailyBackup = Named<QCheckBox>(this, "CheckBoxDailyBackup");
    GroupBoxDailyBackup = NewGroup(this, "GroupBoxDailyBackup", {CheckBoxDailyBackup});
    SetTextKey(*GroupBoxDailyBackup, "DailyBackup");

    NewCountGroup(
        {"GroupBoxTransCount", "TransCount", "LabeTransCount", "EditTransCount", "UpDown2"},
        GroupBoxTransCount, LabeTransCount, EditTransCount, UpDown2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(NewHeaderRow(*LabelHeader, *ButtonHelp));
    for (QWidget* group :
         {GroupBoxCopiesCount, GroupBoxBackupFolder, GroupBoxDailyBackup, GroupBoxTransCount})
        layout->addWidget(group);
    QHBoxLayout* footer = NewFooter(TFooter::OKExit, TFooterDefaults::Empty);
    BtnDefault = Named<QPushButton>(this, "BtnDefault");
    connect(BtnDefault, &QPushButton::clicked, this, &TfSettings::BtnDefaultClick);
    footer->insertWidget(footer->indexOf(BitBtnOK) + 1, BtnDefault);
    layout->addLayout(footer);
}

void TfSettings::NewCountGroup(const TCountNames& names, QGroupBox*& group, QLabel*& label,
                               QLineEdit*& edit, QWidget*& arrows) {
    label = NewWrappedLabel(this, names.Label);
    edit = Named<QLineEdit>(this, names.Edit);
    edit->setFixedWidth(70);
    arrows = NewUpDown(this, names.Arrows, *edit);
    group = NewGroup(this, names.Group, {label, NewEditRow(this, *edit, *arrows)});
    SetTextKey(*group, names.GroupKey);
}

void TfSettings::FormShow() {
    ImageLogo->setPixmap(QPixmap::fromImage(main_.LogoBitmap));
    const TLangFile texts = ReadTexts("Settings.lng", "Settings");
    backupFolderCaption_ = texts.Read("Settings", "BackupFolderQ", "");
    countError_ = texts.Read("Settings", "CountError", "Type a whole number of 0 or more.");
    folderError_ = texts.Read("Settings", "FolderError", "The backup folder cannot be created.");
    EditCopiesCount->setText(QString::number(GetSettingInt("BackupCount", 370)));
    EditBackupFolder->setText(ToQString(main_.State().BackupPath));
    CheckBoxDailyBackup->setChecked(GetSettingInt("DeilyBackup", 1) == 1);
    EditTransCount->setText(QString::number(GetSettingInt("TransCount", 500)));
    SetControlsEnabled(true);
    adjustSize();
    FitHeightToTexts();
}

void TfSettings::BtnDefaultClick() {
    EditCopiesCount->setText(QStringLiteral("100"));
    EditBackupFolder->setText(ToQString(main_.State().UsersDataPath + "BACKUP"));
    CheckBoxDailyBackup->setChecked(true);
    EditTransCount->setText(QStringLiteral("1000"));
}

void TfSettings::BitBtnSourceClick() {
    const QString picked =
        PickFolder(this, ToQString(backupFolderCaption_), EditBackupFolder->text());
    if (!picked.isEmpty()) EditBackupFolder->setText(picked);
}

void TfSettings::SetControlsEnabled(bool enabled) {
    for (QWidget* control :
         {static_cast<QWidget*>(EditCopiesCount), UpDown1, static_cast<QWidget*>(EditBackupFolder),
          static_cast<QWidget*>(BitBtnSource), static_cast<QWidget*>(CheckBoxDailyBackup),
          static_cast<QWidget*>(EditTransCount), UpDown2, static_cast<QWidget*>(BitBtnOK),
          static_cast<QWidget*>(BtnDefault), static_cast<QWidget*>(BtnExit)})
        control->setEnabled(enabled);
}

void TfSettings::Refuse(const std::string& text, QWidget* focus) {
    MessageDlg(text, TMsgDlgType::mtError, mbOK, this);
    SetControlsEnabled(true);
    if (focus != nullptr) focus->setFocus();
}

void TfSettings::accept() {
    SetControlsEnabled(false);
    LetMessagesRun();
    const std::optional<int> copies = ParseCount(ToStdString(EditCopiesCount->text()));
    if (!copies) return Refuse(countError_, EditCopiesCount);
    const std::optional<int> transactions = ParseCount(ToStdString(EditTransCount->text()));
    if (!transactions) return Refuse(countError_, EditTransCount);
    const std::string folder = ToStdString(EditBackupFolder->text());
    const QString path = ToQString(folder);
    if (folder.empty() || (!QDir(path).exists() && !QDir().mkdir(path)))
        return Refuse(folderError_, EditBackupFolder);
    // Settings that could not be written (the failure is shown) stay in the open dialog as
    // typed, for OK again once the cause is gone.
    try {
        TIniFile(main_.State().DataPath + "vemly.ini").WriteString("Common", "BACKUP", folder);
        main_.State().BackupPath = folder;
        SetSettingInt("BackupCount", *copies);
        SetSettingInt("TransCount", *transactions);
        SetSettingInt("DeilyBackup", CheckBoxDailyBackup->isChecked() ? 1 : 0);
    } catch (const std::exception& error) {
        return Refuse(error.what(), nullptr);
    }
    TDialogBase::accept();
}
