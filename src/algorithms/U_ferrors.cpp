// The error list beside the algorithm editor: the errors of its check or of a trial run, with
// the description and example of the selected one and its line marked in the editor's text.
#include "algorithms/U_ferrors.h"

#include <QCloseEvent>
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

namespace {

// Grid row r (from 1) is table row r - 1; its column 1 keeps the error's code.
constexpr int kCodeRole = Qt::UserRole;

QTableWidgetItem* Cell(const std::string& text) {
    return new QTableWidgetItem(ToQString(text));
}

}  // namespace

TfErrors::TfErrors(TErrorsHost& host, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), host_(host) {
    setObjectName(QStringLiteral("TfErrors"));
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(true);
    resize(427, 397);

    LabelHeader = new QLabel(this);
    LabelHeader->setObjectName(QStringLiteral("LabelHeader"));
    QFont headerFont(QStringLiteral("Arial"));
    headerFont.setPixelSize(13);
    headerFont.setBold(true);
    LabelHeader->setFont(headerFont);
    LabelHeader->setStyleSheet(QStringLiteral("color: red"));
    ButtonHelp = new QPushButton(QStringLiteral("?"), this);
    ButtonHelp->setObjectName(QStringLiteral("ButtonHelp"));
    ButtonHelp->setFixedWidth(25);
    ImageLogo = new QLabel(this);
    ImageLogo->setObjectName(QStringLiteral("ImageLogo"));

    StringGridErrors = new QTableWidget(0, 3, this);
    StringGridErrors->setObjectName(QStringLiteral("StringGridErrors"));
    StringGridErrors->verticalHeader()->hide();
    StringGridErrors->verticalHeader()->setDefaultSectionSize(19);
    StringGridErrors->horizontalHeader()->setSectionsClickable(false);
    StringGridErrors->horizontalHeader()->setStretchLastSection(true);
    StringGridErrors->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGridErrors->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGridErrors->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridErrors->setColumnWidth(0, 30);
    StringGridErrors->setColumnWidth(1, 49);
    StringGridErrors->setColumnWidth(2, 328);
    RichEditDescr = new QTextEdit(this);
    RichEditDescr->setObjectName(QStringLiteral("RichEditDescr"));
    RichEditDescr->setReadOnly(true);
    RichEditDescr->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditDescr->setFont(QFont(QStringLiteral("Tahoma"), 8));
    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->addWidget(StringGridErrors);
    Splitter1->addWidget(RichEditDescr);
    Splitter1->setSizes({260, 89});
    BitBtnOK = new QPushButton(this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));

    auto* top = new QHBoxLayout;
    top->addWidget(LabelHeader, 1);
    top->addWidget(ButtonHelp);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ImageLogo);
    bottom->addStretch(1);
    bottom->addWidget(BitBtnOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Splitter1, 1);
    layout->addLayout(bottom);

    connect(BitBtnOK, &QPushButton::clicked, this, &QDialog::close);
    connect(StringGridErrors, &QTableWidget::currentCellChanged, this,
            [this](int row) { StringGridErrorsSelectCell(row + 1); });
    host_.SetErrorsOpen(true);
}

TfErrors::~TfErrors() = default;

void TfErrors::showEvent(QShowEvent* event) {
    if (!shown_) FormShow();
    shown_ = true;
    QDialog::showEvent(event);
}

void TfErrors::closeEvent(QCloseEvent* event) {
    host_.SetErrorsOpen(false);
    host_.ClearLineMark();
    texts_.reset();
    QDialog::closeEvent(event);
}

void TfErrors::FormShow() {
    BitBtnOK->setDefault(true);
    const TLangFile& texts = Texts();
    const QString header = ToQString(texts.Read("Errors", "LabelHeader", "Errors"));
    LabelHeader->setText(header);
    setWindowTitle(header);
    BitBtnOK->setText(ToQString(texts.Read("Errors", "BtnOK", "OK")));
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
