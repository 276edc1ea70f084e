// Copying an algorithm: the algorithms of the open budget listed, and the chosen one loaded into
// the algorithm editor in place of the one being edited, whose identity stays.
#pragma once

#include <memory>
#include <string>

#include "shell/DialogBase.h"

class QPlainTextEdit;
class QTableView;
class QTextEdit;
class TFilterScope;
class TTableGridModel;
class TfCalculation;

// Made by the editor's Sample button, shown modally; it frees itself when it closes. It borrows
// the data module's TableAlgorithms with the empty filter while it is open and gives it back
// with the filter it had.
class TfCopyAlg : public TDialogBase {
    Q_OBJECT

public:
    explicit TfCopyAlg(TfCalculation& editor);
    ~TfCopyAlg() override;

    std::string NameAlgStr, DescrAlgStr;

    // The current row changed: its name and description below the list; OK only for another
    // algorithm than the edited one.
    void DataSource1DataChange();
    // The ID of the grid's current row; 0 when there is none.
    int CurrentID() const;

    QTableView* DBGridAlgList;
    QTextEdit* RichEditDetail;
    QPlainTextEdit* MemoDescript;

protected:
    void FormShow() override;
    void FormClose() override;
    void accept() override;

private:
    TfCalculation& editor_;
    TTableGridModel* model_;
    std::unique_ptr<TFilterScope> borrowed_;
};
