// The algorithm editor's tables: the initial data with their sources and values, the variables
// with their descriptions, and the values of the initial data written into the text.
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "algorithms/U_fcalculation.h"
#include "algorithms/Ugetdata.h"
#include "algorithms/Uq519algtextformat.h"
#include "platform/Text.h"
#include "shell/DateField.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"

namespace {

constexpr int kRowHeight = 19;

// "I" or "V" and n with three digits.
std::string RowName(char kind, int n) {
    std::string digits = std::to_string(n);
    return kind + std::string(3 - digits.size(), '0') + digits;
}

// A cell that the user cannot change, in the colours of its column.
QTableWidgetItem* FixedCell(const std::string& text, const QBrush& background,
                            std::uint32_t color) {
    auto* item = new QTableWidgetItem(ToQString(text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setBackground(background);
    item->setForeground(QColor(static_cast<int>(color & 0xFF),
                               static_cast<int>((color >> 8) & 0xFF),
                               static_cast<int>((color >> 16) & 0xFF)));
    return item;
}

QTableWidgetItem* PlainCell(bool editable) {
    auto* item = new QTableWidgetItem;
    item->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                            : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

// A row button of 20 x 17 pixels at the right edge of its cell, hidden until the mode shows it.
QPushButton* RowButton(QTableWidget& grid, int row, int column, const std::string& name,
                       const QIcon& glyph) {
    auto* cell = new QWidget;
    auto* layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 1, 0, 1);
    layout->addStretch();
    auto* button = new QPushButton(cell);
    button->setObjectName(ToQString(name));
    button->setFixedSize(20, 17);
    button->setIcon(glyph);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    button->hide();
    layout->addWidget(button);
    grid.setCellWidget(row, column, cell);
    return button;
}

void StyleGrid(QTableWidget& grid, const std::vector<int>& widths) {
    grid.verticalHeader()->hide();
    grid.verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid.horizontalHeader()->setHighlightSections(false);
    for (size_t c = 0; c < widths.size(); ++c)
        grid.setColumnWidth(static_cast<int>(c), widths[c]);
}

}  // namespace

void TfCalculation::BuildGrids() {
    StringGridIN = Named<QTableWidget>(this, "StringGridIN", kVariableCount, 7);
    StyleGrid(*StringGridIN, {35, 72, 21, 21, 21, 193, 129});
    // The source column takes the width that the others leave.
    StringGridIN->horizontalHeader()->setSectionResizeMode(5, QHeaderView::Stretch);
    StringGridIN->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGridIN->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGridIN->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridVars = Named<QTableWidget>(this, "StringGridVars", kVariableCount, 3);
    StyleGrid(*StringGridVars, {35, 43, 230});
    StringGridVars->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    StringGridVars->setEditTriggers(QAbstractItemView::NoEditTriggers);

    const QString data = ToQString(ShellServices().State().DataPath);
    const QIcon ok(data + QStringLiteral("ok01.bmp"));
    const QIcon edit(data + QStringLiteral("edit01.bmp"));
    const QIcon del(data + QStringLiteral("del01.bmp"));
    const QBrush face = palette().brush(QPalette::Button);
    const QBrush window = palette().brush(QPalette::Base);
    for (int n = 1; n <= kVariableCount; ++n) {
        const int row = n - 1;
        ExtData& d = inData_[static_cast<size_t>(row)];
        d = ExtData{};
        d.Name = RowName('I', n);
        d.N = n;
        d.IDObject = -1;
        d.ParentObject = 0;
        d.DataStr = "0";
        StringGridIN->setItem(row, 0, FixedCell(" " + d.Name, face, clMaroon));
        StringGridIN->setItem(row, 1, FixedCell("", window, clMaroon));
        for (const int column : {2, 3, 4, 5, 6}) StringGridIN->setItem(row, column, PlainCell(false));
        InsertIn[row] = RowButton(*StringGridIN, row, 2, "ins_" + d.Name, ok);
        EditIn[row] = RowButton(*StringGridIN, row, 3, "edit_" + d.Name, edit);
        DelIn[row] = RowButton(*StringGridIN, row, 4, "del_" + d.Name, del);
        connect(InsertIn[row], &QPushButton::clicked, this, [this, n] { BitBtnGridINInsertClick(n); });
        connect(EditIn[row], &QPushButton::clicked, this, [this, n] { BitBtnGridINEditClick(n); });
        connect(DelIn[row], &QPushButton::clicked, this, [this, n] { BitBtnGridINDelClick(n); });

        const std::string var = RowName('V', n);
        StringGridVars->setItem(row, 0, FixedCell(" " + var, face, clNavy));
        StringGridVars->setItem(row, 1, PlainCell(false));
        StringGridVars->setItem(row, 2, PlainCell(true));
        InsertVar[row] = RowButton(*StringGridVars, row, 1, var, ok);
        connect(InsertVar[row], &QPushButton::clicked, this, [this, n] { BitBtnGridVarsClick(n); });
    }
    connect(StringGridVars, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (shown_ && item->column() == 2) EnableOK();
    });
    connect(StringGridTitle, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (shown_ && item->column() == 1 && !StringGridTitle->isHidden()) EnableOK();
    });
}

void TfCalculation::ShowRowButtons() {
    for (int n = 1; n <= kVariableCount; ++n) {
        const bool held = InData(n).IDObject != -1;
        InsertIn[n - 1]->setVisible(EditMode && held);
        DelIn[n - 1]->setVisible(EditMode && held);
        EditIn[n - 1]->setVisible(EditMode);
        InsertVar[n - 1]->setVisible(EditMode);
    }
}

std::string TfCalculation::SourcePath(int id) const {
    const std::string& separator = ShellServices().State().NamesSep;
    std::string path;
    ShellServices().Index().GetObjectPath(path, separator, id, ShellServices().BudgetPath());
    if (!separator.empty() && path.ends_with(separator)) path.resize(path.size() - separator.size());
    return path;
}

std::string TfCalculation::Shortened(const std::string& text, int column) const {
    const QFontMetrics metrics(StringGridIN->font());
    const int width = StringGridIN->columnWidth(column) - 9;
    return ShortenPath(text, ShellServices().State().NamesSep, [&](const std::string& candidate) {
        return metrics.horizontalAdvance(ToQString(candidate)) <= width;
    });
}

void TfCalculation::ShowSource(int row) {
    const ExtData& d = InData(row);
    StringGridIN->item(row - 1, 1)->setText(ToQString(d.DataStr));
    const std::string path = SourcePath(d.IDObject);
    StringGridIN->item(row - 1, 5)->setText(ToQString(Shortened(path, 5)));
    StringGridIN->item(row - 1, 5)->setToolTip(ToQString(path));
    std::string part;
    if (d.TypeObject == kSourcePay)
        part = DescribeSubSource(d.SubSource, d.Param1, d.Param2);
    else if (d.TypeObject == kSourceCalendar)
        part = DescribeSubDate(d.SubSource, d.Param1, d.Param2);
    StringGridIN->item(row - 1, 6)->setText(ToQString(Shortened(part, 6)));
    StringGridIN->item(row - 1, 6)->setToolTip(ToQString(part));
}

void TfCalculation::SetInDataRow(int row, const ExtData& d) {
    if (row < 1 || row > kVariableCount) return;
    ExtData& record = InData(row);
    record = d;
    // The row's name is the one its references use, whatever was stored.
    record.Name = RowName('I', row);
    record.N = row;
    ShowSource(row);
}

std::string TfCalculation::InDataValue(int row) const {
    const ExtData& d = inData_[static_cast<size_t>(row - 1)];
    return d.IDObject != -1 ? d.DataStr : std::string();
}

void TfCalculation::ApplyChanges(int base, const std::string& text, const TTextChanges& changes) {
    if (changes.empty()) return;
    QTextDocument& document = *RichEditAlg_->document();
    const QTextCursor saved = RichEditAlg_->textCursor();
    const int caret = saved.position();
    int shift = 0;  // how far the changes before the caret moved it
    {
        const bool tracking = ChangeTracking;
        ChangeTracking = false;
        QTextCursor cursor(&document);
        cursor.beginEditBlock();
        // From the last to the first, so that the positions before each change stay valid.
        for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
            const std::string_view all(text);
            const int from = base + Utf16Units(all.substr(0, static_cast<size_t>(it->Start - 1)));
            const int length = Utf16Units(all.substr(static_cast<size_t>(it->Start - 1),
                                                     static_cast<size_t>(it->Length)));
            const QString value = ToQString(it->Text);
            cursor.setPosition(from);
            cursor.setPosition(from + length, QTextCursor::KeepAnchor);
            cursor.insertText(value);
            if (from + length <= caret) shift += static_cast<int>(value.size()) - length;
        }
        cursor.endEditBlock();
        ChangeTracking = tracking;
    }
    QTextCursor restored(&document);
    restored.setPosition(std::min(caret + shift, document.characterCount() - 1));
    RichEditAlg_->setTextCursor(restored);
}

void TfCalculation::ShowInDataValues(int n) {
    const std::string text = ToStdString(RichEditAlg_->toPlainText());
    ApplyChanges(0, text, ReferenceValueChanges(text, 'I', n, [this](int number) {
                     return number >= 1 && number <= kVariableCount ? InDataValue(number)
                                                                    : std::string();
                 }));
}

std::string TfCalculation::BeginFetch() {
    ResetGlobalErrors();
    ErrWatch().NameObject = ShellServices().Index().GetObjectName(
        Algorithm != nullptr ? Algorithm->IDParent : AlgIDParent, ShellServices().BudgetPath());
    return Algorithm != nullptr ? Algorithm->Name : AlgName;
}

void TfCalculation::FetchTrialInputs(TDateTime date) {
    const std::string algName = BeginFetch();
    for (int n = 1; n <= kVariableCount; ++n) {
        ExtData& d = InData(n);
        if (d.IDObject == -1) continue;
        d.Date = date;
        ErrWatch().HasErrors = false;
        GetExtDataValue(d, algName);
        if (ErrWatch().HasErrors) {
            // The datum stays part of the algorithm with the value 0; the error says why.
            d.DataStr = "0";
            AddGlobalError(algName, Error01{algName, 0, kErrDatumNotObtained, d.Name});
        }
        StringGridIN->item(n - 1, 1)->setText(ToQString(d.DataStr));
    }
    if (!ErrWatch().Errors.empty()) ErrWatch().HasErrors = true;
    ReportGlobalErrors();
}

void TfCalculation::DateTimePDateCalcCloseUp() {
    const TDateTime date = FromQDate(DateTimePDateCalc->date());
    if (date == fetchedDate_) return;
    fetchedDate_ = date;
    FetchTrialInputs(date);
    ShowInDataValues(0);
}

void TfCalculation::BitBtnGridINInsertClick(int row) {
    StringGridIN->setCurrentCell(row - 1, 0);
    const ExtData& d = InData(row);
    TypeToken("[" + d.Name + "(" + d.DataStr + ")]", kOperandSpacing);
}

void TfCalculation::BitBtnGridVarsClick(int row) {
    StringGridVars->setCurrentCell(row - 1, 0);
    TypeToken("[" + InsertVar[row - 1]->objectName().toStdString() + "()]", kOperandSpacing);
}

void TfCalculation::BitBtnGridINEditClick(int row) {
    StringGridIN->setCurrentCell(row - 1, 0);
    ExtData& d = InData(row);
    const ExtData before = d;
    host_.ChooseSource(d, ShellServices().State().IDObject);
    if (d.IDObject == -1) return;
    d.Date = FromQDate(DateTimePDateCalc->date());
    GetExtDataValue(d, BeginFetch());
    ReportGlobalErrors();
    if (ErrWatch().HasErrors) {
        // The choice is not taken: the datum is what it was before the chooser opened.
        d = before;
        return;
    }
    ShowSource(row);
    ShowRowButtons();
    ShowInDataValues(row);
    BitBtnOK->setEnabled(true);
}

void TfCalculation::BitBtnGridINDelClick(int row) {
    StringGridIN->setCurrentCell(row - 1, 0);
    ExtData& d = InData(row);
    const TLangFile texts(ShellServices().LangPath() + "Calculation.lng");
    const std::string question =
        texts.Read("Calculation", "QuestionStrDelIn", "Do you want to remove initial given") + " " +
        d.Name + " ?";
    if (MessageDlg(question, TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, this) != mrYes)
        return;
    std::vector<std::string> lines;
    for (QTextBlock block = RichEditAlg_->document()->begin(); block.isValid(); block = block.next())
        lines.push_back(ToStdString(block.text()));
    if (IsInitialDatumUsed(d.Name, lines)) {
        MessageDlg(texts.Read("Calculation", "WInExistsInText1", "") + "\n" +
                       texts.Read("Calculation", "WInExistsInText2", "") + "\n" +
                       texts.Read("Calculation", "WInExistsInText3", ""),
                   TMsgDlgType::mtError, mbOK, this);
        return;
    }
    d.IDObject = -1;
    d.DataStr = "0";
    for (const int column : {1, 5, 6}) StringGridIN->item(row - 1, column)->setText({});
    ShowRowButtons();
    BitBtnOK->setEnabled(true);
}
