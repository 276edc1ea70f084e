// The export and import dialog: the selected branch exported into a ".vlexport", or an archive
// imported under the selected budget root or folder through the journal.
#pragma once

#include <QStringList>
#include <memory>
#include <string>

#include "shell/DialogBase.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TfMain;
class TTransWriter;

// Opened by the tree popup's Export (Mode 'E', on a folder, table, album, collection, number or
// pay) and Import (Mode 'I', on a budget root or a folder), shown modally; frees itself when it
// closes. Texts from "ImpExp.lng" [Export] or [Import]; the run is shown as phase lines in
// MemoProcess, a failure in red with the dialog left open for Exit alone. A finished run closes
// the dialog. While an import checks its archive, the window stays responsive and BitBtnStop
// (import only, enabled for the check alone) stops the check: nothing is written and the dialog
// is ready for another try. Once the check has passed, the import is one journal step, whole or
// nothing, and can no longer be stopped. Closing the window during a run takes effect when the
// run has ended.
class TfImpExp : public TDialogBase {
    Q_OBJECT

public:
    // `mode` 'E' export or 'I' import.
    TfImpExp(TfMain& main, char mode);
    ~TfImpExp() override;

    const char Mode;
    std::string BranchName;

    // The "IMP" of the archive in EditArcFile under the selected node, named by the caption of
    // LabelBranchName; not yet ready.
    std::unique_ptr<TTransWriter> WriteImportTransaction();

    QLabel* LabelHeader;
    QLabel* LabelBranchName;
    QLabel* LabelStep1;
    QLineEdit* EditArcFile;
    QPushButton* BitBtnChoiceFile;
    QPushButton* BitBtnSource;
    QPlainTextEdit* MemoProcess;
    QPlainTextEdit* MemoDescript;
    QPushButton* BitBtnStop;

    // The texts of the phases, the question and the errors, by their keys.
    std::string Phase1, Phase1_InProcess, Phase1_OK, Phase1_ERROR, Phase1_DETAILED_ERROR;
    std::string Phase2, Phase2_InProcess, Phase2_OK, Phase2_ERROR;
    std::string Phase3, Phase3_InProcess, Phase3_OK, Phase3_ERROR, NoBackupCommand;
    std::string ReplaceQ;

protected:
    void FormShow() override;
    void accept() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void EditArcFileChange();
    void BitBtnChoiceFileClick();
    void BitBtnSourceClick();
    void BitBtnStopClick();
    void SetControlsEnabled(bool enabled);
    // Adds a line, or replaces line `index`; the memo shows the end.
    void AddLine(const std::string& line);
    void SetLine(int index, const std::string& line);
    // The run failed: the memo turns red, the lines are added, only Exit stays usable.
    void Fail(int index, const std::string& line, const QStringList& details);
    // The memo's line of the phase that runs.
    int PhaseLine() const;
    // The export's and the import's run; true when the dialog may close. An error of the system
    // (a full disk) or of the tables fails the phase that runs with its reason; nothing of the
    // import is left, as the journal's step rolls back.
    bool RunExport();
    bool RunImport();

    TfMain& main_;
    QStringList lines_;
    std::string phase_;  // the text of the phase that runs
    bool stop_ = false;  // set by BitBtnStop, read by the archive's check
    bool running_ = false;
    bool closeAsked_ = false;  // the window was closed during the run
};
