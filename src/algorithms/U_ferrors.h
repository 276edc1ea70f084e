// The error list beside the algorithm editor: the errors of its check or of a trial run, with
// the description and example of the selected one and its line marked in the editor's text.
#pragma once

#include <cstdint>
#include <memory>

#include "algorithms/Uq519algorithm01.h"
#include "shell/DialogBase.h"

class QLabel;
class QSplitter;
class QTableWidget;
class QTextEdit;
class TLangFile;

// What the error list asks of the algorithm editor beside which it stands.
class TErrorsHost {
public:
    virtual ~TErrorsHost() = default;
    // Tells the editor whether the list is open.
    virtual void SetErrorsOpen(bool open) = 0;
    // Removes the background colour of the marked line of the editor's text.
    virtual void ClearLineMark() = 0;
    // Gives line `line` (from 1) of the editor's text the background colour (blue-green-red)
    // and remembers it as the marked line.
    virtual void MarkLine(int line, std::uint32_t color) = 0;
    // The position in the editor's text edit at which line `line` (from 1) starts; -1 when the
    // text has no such line.
    virtual int LineStart(int line) = 0;
    // The editor's text edit.
    virtual QTextEdit& RichEditAlg() = 0;
};

// The background of the line of the selected error in the editor's text.
constexpr std::uint32_t kErrorLineColor = 0x8899FF;

// A tool window that stays on top of the editor and frees itself when closed. The editor fills
// ErrorList before it shows the window; the texts come from the language folder's "Errors.lng"
// (defaults where it has none). Its help button has no action; OK closes it.
class TfErrors : public TDialogBase {
    Q_OBJECT

public:
    explicit TfErrors(TErrorsHost& host, QWidget* parent = nullptr);
    ~TfErrors() override;

    TErrorList01 ErrorList;

    // Shows the description and example of the error of grid row `row` (from 1) and marks line
    // `line` in the editor's text, putting the editor's caret at its start (nothing is marked
    // and the caret stays for a line the text does not have).
    void ShowError(int line, int row);

    QLabel* LabelHeader;
    QTableWidget* StringGridErrors;  // "N", "Row", "Error"; row r - 1 shows error r
    QSplitter* Splitter1;
    QTextEdit* RichEditDescr;

protected:
    void FormShow() override;
    // Tells the editor that the list is closed and removes the line mark.
    void FormClose() override;

private:
    void StringGridErrorsSelectCell(int row);
    const TLangFile& Texts();

    TErrorsHost& host_;
    // Errors.lng, open from the show until the window closes.
    std::unique_ptr<TLangFile> texts_;
};
