// The algorithm editor: one algorithm's name, description, initial data, variables, result
// variable and text, with its check, trial runs on a chosen date and the buttons that write the
// text.
#pragma once

#include <QPointer>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "algorithms/U_fcalculation_text.h"
#include "algorithms/U_ferrors.h"
#include "algorithms/Uq519algorithm01.h"
#include "platform/Dates.h"
#include "shell/DialogBase.h"

class QComboBox;
class TDateField;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QTableWidget;
class QTextEdit;
class QTimer;

// What the editor asks of the program around it.
class TCalculationHost {
public:
    virtual ~TCalculationHost() = default;
    // Lets the user choose the source of the datum in the tree chooser: OK writes the choice
    // into it, Exit leaves it as it was. `idExcluded` is the number whose algorithm is edited.
    virtual void ChooseSource(ExtData& datum, int idExcluded) = 0;
};

// The background of the line that a trial run runs next.
constexpr std::uint32_t kRunLineColor = 0xE9E9E9;

// Made anew for each opening (EditAlgorithm), shown modally; it frees itself when it closes.
// It opens in view mode; Edit leads to edit mode for good. Only OK writes the caller's record.
class TfCalculation : public TDialogBase, public TErrorsHost {
    Q_OBJECT

public:
    TfCalculation(TCalculationHost& host, QWidget* parent = nullptr);
    ~TfCalculation() override;

    // Set by the caller before the show.
    Algorithm01* Algorithm = nullptr;
    TDateTime DateCalc = 0;
    bool EditMode = false;
    // Set true when OK wrote the record; may be null.
    bool* Stored = nullptr;

    int AlgID = 0;
    bool AlgValid = true;
    int AlgIDParent = 0;
    std::string AlgName, AlgDescript;
    int VarOfResult = 1;
    Algorithm01 WorkAlgorithm;
    PreparedAlgorithm Program;
    TErrorList01 CheckErrors;
    PrMarker Marker;
    Error01 RunResult;
    std::vector<std::string> Vars;
    bool FirstStep = true;
    int BlinkCount = 0;
    bool ErrorsOpen = false;
    int MarkedLine = -1;
    bool ChangeTracking = false;
    int LastTextLength = 0;
    int PasteLength = 0;

    // --- Form and algorithm -----------------------------------------------------------------
    void ShowAlgorithm(const Algorithm01& a);
    Algorithm01 BuildAlgorithm();
    // Checks the algorithm on the screen and stores it into the caller's record (also when
    // invalid, if the user says so); false when the user chose to go back to the editor.
    bool CheckAndStore();
    void ClearAll();
    void EnterEditMode();
    void EnterViewMode();
    void ShowValidity();
    void FitGridColumns();
    // The start (an edit position) and length of line n (from 1); -1 and 0 without one.
    std::pair<int, int> LineSpan(int n) const;
    void SetLineBackColor(std::uint32_t color, int start, int length);
    void ResetLineBackColor(int start, int length);

    // TErrorsHost
    void SetErrorsOpen(bool open) override { ErrorsOpen = open; }
    void ClearLineMark() override;
    void MarkLine(int line, std::uint32_t color) override;
    int LineStart(int line) override { return LineSpan(line).first; }
    QTextEdit& RichEditAlg() override { return *RichEditAlg_; }

    void BitBtnEditClick();
    void BitBtnOKClick();
    void BitBtnCancelClick();
    void BitBtnClearClick();
    void BitBtnSampleClick();

    // --- Initial data and variables ---------------------------------------------------------
    void SetInDataRow(int row, const ExtData& d);
    std::string InDataValue(int row) const;
    // The record of row n (1 to 100).
    ExtData& InData(int row) { return inData_[static_cast<size_t>(row - 1)]; }
    void ShowInDataValues(int n);
    void FetchTrialInputs(TDateTime date);
    void BitBtnGridINInsertClick(int row);
    void BitBtnGridINEditClick(int row);
    void BitBtnGridINDelClick(int row);
    void BitBtnGridVarsClick(int row);
    void DateTimePDateCalcCloseUp();

    // --- Trial runs ---------------------------------------------------------------------------
    void RunTrial(bool step);
    void ClearVarValues(int n);
    void ShowLineValues(int line, int first, const std::vector<std::string>& variables, int last);
    void BitBtnStartClick();
    void BitBtnStartStepClick();
    void BitBtnPauseClick();
    void BitBtnStopClick();
    void Timer1Timer();

    // --- Text entry ---------------------------------------------------------------------------
    void TypeText(const std::string& t);
    void ColorAllLines();
    // Colours every line that begins within the edit positions from..to, and the line of from.
    void ColorLines(int from, int to);
    // Types the token at the caret with the blanks that its neighbours ask for.
    void TypeToken(const std::string& token, const TTokenSpacing& spacing);
    void BitBtnCalcClick();
    void BitBtnBackspaceClick();
    void BitBtnDelClick();
    void BitBtnEnterClick();
    void CopyClick();
    void PasteClick();
    void PopupRichEditAlgPopup();

    // Controls.
    QLabel* Image1;
    QLabel* LabelValid;
    QLabel* LabelHeader;
    QLabel* LabelDescript;
    QTableWidget* StringGridTitle;
    QFrame* PanelInData;
    QLabel* LabelIN;
    QTableWidget* StringGridIN;  // row n - 1 is initial datum n; the header is the column titles
    QFrame* PanelVars;
    QLabel* LabelVars;
    QTableWidget* StringGridVars;  // row n - 1 is variable n
    QSplitter* Splitter1;
    QFrame* PanelButtons;
    QPushButton *BitBtnPlus, *BitBtnMinus, *BitBtnPr, *BitBtnDev, *BitBtnLess, *BitBtnMore,
        *BitBtnEqually, *BitBtnLeftBracket, *BitBtnRightBracket, *BitBtnColon, *BitBtnSpace,
        *BitBtnIf, *BitBtnElse, *BitBtnGoto, *BitBtnComment, *BitBtnCalc, *BitBtnBackspace,
        *BitBtnEnter, *BitBtnDel;
    QSplitter* Splitter2;
    QLabel* LabelAlg;
    QMenu* PopupRichEditAlg;
    QAction* Copy;
    QAction* Paste;
    QLabel* LabeResult;
    QLabel* LabeChoiceResult;
    QComboBox* ComboBoxResVar;
    QLabel* LabelResultValue;
    QLabel* LabelTrialCalc;
    QLabel* LabelDateCalc;
    TDateField* DateTimePDateCalc;
    QPushButton *BitBtnStart, *BitBtnStartStep, *BitBtnPause, *BitBtnStop;
    QPushButton *BitBtnEdit, *BitBtnCancel, *BitBtnSample, *BitBtnClear;
    QTimer* Timer1;

    // The row buttons: insert, edit and delete of each initial datum, insert of each variable.
    std::array<QPushButton*, kVariableCount> InsertIn{}, EditIn{}, DelIn{}, InsertVar{};
    // The error list beside the editor while it is open.
    QPointer<TfErrors> Errors;

protected:
    void FormShow() override;
    void FormClose() override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TrialHooks;

    void BuildControls();
    void BuildGrids();
    QWidget* BuildButtonPanel();
    void RichEditAlgChange();
    void SetTokenButtonsEnabled(bool enabled);
    void ShowRowButtons();
    void SetButtonState(bool start, bool step, bool pause, bool stop);
    // Marks the line that runs next and puts the caret at its start.
    void ShowRunLine(int line);
    // Opens the error list with the errors beside the editor; modal or not.
    void ShowErrors(const TErrorList01& list, bool modal);
    // Writes the changes (byte positions from 1 of the UTF-8 text `text`, which the edit shows
    // from edit position `base`) into the edit, as a program change of the text.
    void ApplyChanges(int base, const std::string& text, const TTextChanges& changes);
    // The source path of the datum, shortened to column 5; its sub-source shortened to column 6.
    void ShowSource(int row);
    std::string SourcePath(int id) const;
    std::string Shortened(const std::string& text, int column) const;
    // The character before the caret, the count of characters before it and the one after the
    // selection (0 at the end).
    void CaretNeighbours(int& charsBefore, char32_t& before, char32_t& after) const;
    void EnableOK();
    // Sends a press and release of the key to the text.
    void PressKey(int key);
    // Colours the line before the caret's, which a line break just split.
    void ColorSplitLine();
    // Begins fetching initial data in a new action: the error context reset and named after
    // the caller's object; returns the name under which the errors are reported.
    std::string BeginFetch();
    std::string Question(const char* key, const char* fallback) const;

    TCalculationHost& host_;
    QTextEdit* RichEditAlg_;
    std::array<ExtData, kVariableCount> inData_;
    std::unique_ptr<RunHooks> hooks_;
    // Texts read at the show.
    std::string labelINView_, labelINEdit_, labelVarView_, labelVarEdit_, labelAlgView_,
        labelAlgEdit_;
    std::string varInsHint1_, varInsHint2_, inInsHint1_, inEditHint_, inDelHint_;
    // A colouring is under way: its format changes are no change of the text.
    bool formatting_ = false;
    bool shown_ = false;
    // The date for which the initial data were last fetched.
    TDateTime fetchedDate_ = -1;
};

// Opens the editor on the algorithm for the trial date in view mode, over the parent, modally;
// the record changes only when the user confirms OK. True when it was stored.
bool EditAlgorithm(QWidget* parent, Algorithm01& algorithm, TDateTime date);
