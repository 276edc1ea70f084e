// The settings dialog: backup copies, backup folder, daily backup and the journal length that
// packing keeps.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "shell/DialogBase.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;
class TfMain;

// A count as typed: a whole number of 0 or more that fits an integer, blanks around it
// allowed; anything else (empty, a sign, a letter, too large) gives none.
std::optional<int> ParseCount(std::string_view text);

// Opened by the main window's Settings command, shown modally; frees itself when closed.
// Texts from "Settings.lng" [Settings], every default empty; help topic 7500.
class TfSettings : public TDialogBase {
    Q_OBJECT

public:
    explicit TfSettings(TfMain& main);

    QLabel* LabelHeader;
    QGroupBox* GroupBoxCopiesCount;
    QLabel* LabelCopiesCount;
    QLineEdit* EditCopiesCount;
    QWidget* UpDown1;  // arrows 0 ... 1000 for EditCopiesCount
    QGroupBox* GroupBoxBackupFolder;
    QLabel* LabeBackupFolder;
    QLineEdit* EditBackupFolder;
    QToolButton* BitBtnSource;
    QGroupBox* GroupBoxDailyBackup;
    QCheckBox* CheckBoxDailyBackup;
    QGroupBox* GroupBoxTransCount;
    QLabel* LabeTransCount;
    QLineEdit* EditTransCount;
    QWidget* UpDown2;  // arrows 0 ... 1000 for EditTransCount
    QPushButton* BtnDefault;

    // Fills the controls with the defaults: 100 copies, the users-data folder + "BACKUP",
    // daily backup on, 1000 transactions. Nothing is stored.
    void BtnDefaultClick();
    // The folder browser at the folder typed; the folder chosen replaces it.
    void BitBtnSourceClick();

protected:
    // Texts, the small logo and the values: BackupCount (370 when missing), the main window's
    // backup folder, DeilyBackup (checked when 1; 1 when missing), TransCount (500).
    void FormShow() override;
    // With the controls disabled: both counts checked (ParseCount; a refused one is shown with
    // CountError and focused), then the backup folder, created when missing (its last level
    // only; one that cannot be made is shown with FolderError). Only when all is right:
    // vemly.ini [Common] BACKUP and the main window's BackupPath, then BackupCount, TransCount
    // and DeilyBackup are stored and the dialog closes. On a refusal nothing is stored and the
    // controls are enabled again.
    void accept() override;

private:
    // The controls of a count: a group box (its caption key), its explanation, the edit and its
    // arrows.
    struct TCountNames {
        const char* Group;
        const char* GroupKey;
        const char* Label;
        const char* Edit;
        const char* Arrows;
    };
    void NewCountGroup(const TCountNames& names, QGroupBox*& group, QLabel*& label,
                       QLineEdit*& edit, QWidget*& arrows);
    void SetControlsEnabled(bool enabled);
    // Shows the error and enables the controls again.
    void Refuse(const std::string& text, QWidget* focus);

    TfMain& main_;
    std::string backupFolderCaption_;
    std::string countError_;
    std::string folderError_;
};
