// The error list beside the algorithm editor: the errors of its check or of a trial run, with
// the description and example of the selected one and its line marked in the editor's text.
#include "algorithms/U_ferrors.h"

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include "algorithms/Uq519algtextformat.h"
#include "algorithms/Uq519algtextformat_widgets.h"
#include "platform/Text.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"

namespace {

// Grid row r (from 1) is table row r - 1; its column 1 keeps the error's code.
constexpr int kCodeRole = Qt::UserRole;

QTableWidgetItem* Cell(const std::string& text) {
    return new QTableWidgetItem(ToQString(text));
}

}  // namespace

TfErrors::TfErrors(TErrorsHost& host, QWidget* parent)
    : TDialogBase("TfErrors", parent, Qt::Tool | Qt::WindowStaysOnTopHint), host_(host) {
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(true);
    resize(427, 397);

    LabelHeader = Named<QLabel>(this, "LabelHeader", QStringLiteral("Errors"));
    QFont headerFont(QStringLiteral("Arial"));
    headerFont.setPixelSize(13);
    headerFont.setBold(true);
    LabelHeader->setFont(headerFont);
    LabelHeader->setStyleSheet(QStringLiteral("color: red"));
    NewHelpButton(std::nullopt);

    StringGridErrors = Named<QTableWidget>(this, "StringGridErrors", 0, 3);
    StringGridErrors->verticalHeader()->hide();
    StringGridErrors->verticalHeader()->setDefaultSectionSize(19);
    StringGridErrors->horizontalHeader()->setSectionsClickable(false);
    StringGridErrors->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGridErrors->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGridErrors->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridErrors->setColumnWidth(0, 30);
    StringGridErrors->setColumnWidth(1, 49);
    // The error's text takes the width the others leave, so that the list never scrolls
    // sideways.
    StringGridErrors->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    RichEditDescr = Named<QTextEdit>(this, "RichEditDescr");
    RichEditDescr->setReadOnly(true);
    RichEditDescr->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditDescr->setFont(QFont(QStringLiteral("Tahoma"), 8));
    Splitter1 = Named<QSplitter>(this, "Splitter1", Qt::Vertical);
    Splitter1->addWidget(StringGridErrors);
    Splitter1->addWidget(RichEditDescr);
    Splitter1->setSizes({260, 89});

    auto* top = new QHBoxLayout;
    top->addWidget(LabelHeader, 1);
    top->addWidget(ButtonHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Splitter1, 1);
    layout->addLayout(NewFooter(TFooter::OK));

    connect(StringGridErrors, &QTableWidget::currentCellChanged, this,
            [this](int row) { StringGridErrorsSelectCell(row + 1); });
    host_.SetErrorsOpen(true);
}

TfErrors::~TfErrors() = default;

void TfErrors::FormClose() {
    host_.SetErrorsOpen(false);
    host_.ClearLineMark();
    texts_.reset();
}

void TfErrors::FormShow() {
    texts_ = std::make_unique<TLangFile>(ReadTexts("Errors.lng", "Errors"));
    const TLangFile& texts = *texts_;
    setWindowTitle(LabelHeader->text());
    StringGridErrors->setHorizontalHeaderLabels({
        ToQString(" " + texts.Read("Errors", "Col0", "N")),
        ToQString(" " + texts.Read("Errors", "Col1", "Row")),
        ToQString(" " + texts.Read("Errors", "Col2", "Error")),
    });

    const QSignalBlocker quiet(StringGridErrors);
    StringGridErrors->setRowCount(static_cast<int>(ErrorList.size()));
    for (int n = 1; n <= static_cast<int>(ErrorList.size()); ++n) {
        const Error01& error = ErrorList[static_cast<size_t>(n - 1)];
        const std::string text =
            texts.Read("ErrCode", "err" + std::to_string(error.ErrCode), "Unknown error");
        StringGridErrors->setItem(n - 1, 0, Cell(std::to_string(n)));
        QTableWidgetItem* line = Cell(std::to_string(error.NLine));
        line->setData(kCodeRole, error.ErrCode);
        StringGridErrors->setItem(n - 1, 1, line);
        StringGridErrors->setItem(n - 1, 2, Cell(text + " '" + error.Text + "'"));
    }
    if (!ErrorList.empty()) {
        StringGridErrors->setCurrentCell(0, 0);
        ShowError(StringGridErrors->item(0, 1)->text().toInt(), 1);
    }
}

const TLangFile& TfErrors::Texts() {
    if (!texts_) texts_ = std::make_unique<TLangFile>(ShellServices().LangPath() + "Errors.lng");
    return *texts_;
}

void TfErrors::StringGridErrorsSelectCell(int row) {
    const QTableWidgetItem* line = row > 0 ? StringGridErrors->item(row - 1, 1) : nullptr;
    if (line == nullptr || line->text().isEmpty()) return;
    ShowError(line->text().toInt(), row);
}

void TfErrors::ShowError(int line, int row) {
    const QTableWidgetItem* lineCell = row > 0 ? StringGridErrors->item(row - 1, 1) : nullptr;
    const int code = lineCell != nullptr ? lineCell->data(kCodeRole).toInt() : 0;

    // The description and the example, each indented on its first line, in the colours of
    // algorithm text.
    QStringList lines;
    for (const char* key : {"descr", "example"}) {
        const std::string text =
            ReplaceAllText(Texts().Read("ErrCode", key + std::to_string(code), ""), "\\n", "\n");
        if (!text.empty()) lines.append(ToQString("   " + text));
    }
    RichEditDescr->setUpdatesEnabled(false);
    RichEditDescr->setPlainText(lines.join(QLatin1Char('\n')));
    for (QTextBlock block = RichEditDescr->document()->begin(); block.isValid();
         block = block.next()) {
        if (block.length() <= 1) continue;
        QTextCursor end(block);
        end.movePosition(QTextCursor::EndOfBlock);
        RichEditDescr->setTextCursor(end);
        FormatCaretLine(*RichEditDescr);
    }
    QTextCursor all(RichEditDescr->document());
    all.select(QTextCursor::Document);
    QTextCharFormat size;
    size.setFontPointSize(8);
    all.mergeCharFormat(size);
    RichEditDescr->setTextCursor(QTextCursor(RichEditDescr->document()));
    RichEditDescr->setUpdatesEnabled(true);

    host_.ClearLineMark();
    const int start = host_.LineStart(line);
    if (start < 0) return;
    host_.MarkLine(line, kErrorLineColor);
    QTextEdit& editor = host_.RichEditAlg();
    QTextCursor caret = editor.textCursor();
    caret.setPosition(start);
    editor.setTextCursor(caret);
    editor.ensureCursorVisible();
}
