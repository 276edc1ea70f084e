// The start-up form: its phases (the load phase at every start, the pack and recalculation
// phases on the first start of a day, the tree and its selection) with a line of text each.
#include "shell/U_finit.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>
#include <utility>

#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/Hookmousewheel.h"
#include "shell/MessageDlg.h"
#include "shell/Q519smoothimage.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_dm.h"
#include "store/Usettings.h"

namespace {

// The panel's colour as an RGB colour value (0x00BBGGRR).
std::uint32_t PanelColour(const QWidget& panel) {
    const QColor colour = panel.palette().color(panel.backgroundRole());
    return static_cast<std::uint32_t>(colour.red()) |
           static_cast<std::uint32_t>(colour.green()) << 8 |
           static_cast<std::uint32_t>(colour.blue()) << 16;
}

// Gives the caption to the submenu or item of that name inside the menu; the items are looked
// up inside their own menu, so that a frame's control of the same name ("Delete", "Exit") is
// never taken for one.
void SetCaption(const QWidget& menu, const char* name, const std::string& text) {
    if (auto* submenu = menu.findChild<QMenu*>(QString::fromLatin1(name)))
        submenu->setTitle(ToQString(text));
    else if (auto* item = menu.findChild<QAction*>(QString::fromLatin1(name)))
        item->setText(ToQString(text));
}

// The start-up picture: the program's logo and what it is for, on white fading into a soft
// green, as wide as the form.
QPixmap StartupPicture(const QSize& size) {
    QPixmap picture(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, size.height());
    background.setColorAt(0.45, Qt::white);
    background.setColorAt(1, QColor(0xB9DEC6));
    painter.fillRect(picture.rect(), background);
    const QImage logo = TfInit::LogoSource();
    const int top = (size.height() - logo.height()) / 2 - 18;
    painter.drawImage(QPoint((size.width() - logo.width()) / 2, top), logo);
    QFont subtitle = painter.font();
    subtitle.setPointSizeF(11);
    painter.setFont(subtitle);
    painter.setPen(QColor(0x1F5F3B));
    painter.drawText(QRect(0, top + logo.height() + 8, size.width(), 24), Qt::AlignCenter,
                     QStringLiteral("The books of a household"));
    return picture;
}

}  // namespace

TfInit::TfInit(TfMain& main)
    : TDialogBase("TfInit", nullptr, Qt::FramelessWindowHint | Qt::Dialog), main_(main) {
    setModal(true);
    setFixedSize(397, 347);
    setWindowTitle(QStringLiteral("Vemly"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* panel1 = Named<QFrame>(this, "Panel1");
    panel1->setFixedHeight(177);
    panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Image1 = Named<QLabel>(panel1, "Image1");
    Image1->setGeometry(1, 1, 395, 175);
    Image1->setPixmap(StartupPicture(QSize(395, 175)));
    Image2 = Named<QLabel>(panel1, "Image2");
    Image2->setGeometry(316, 134, 75, 37);
    Image2->setAlignment(Qt::AlignCenter);
    Image2->setPixmap(QPixmap::fromImage(SmallLogoSource())
                          .scaled(75, 37, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    layout->addWidget(panel1);

    auto* panel2 = Named<QFrame>(this, "Panel2");
    panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* inner = new QVBoxLayout(panel2);
    inner->setContentsMargins(2, 2, 2, 2);
    inner->setSpacing(0);
    Label2 = Named<QLabel>(panel2, "Label2",
                           QStringLiteral("Vemly " VEMLY_VERSION " — the Vemly project"));
    SetTextKey(*Label2, "");
    Label2->setFixedHeight(19);
    Label2->setAlignment(Qt::AlignCenter);
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    MemoProcess = Named<QPlainTextEdit>(panel2, "MemoProcess");
    MemoProcess->setFixedHeight(133);
    MemoProcess->setReadOnly(true);
    MemoProcess->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoProcess->setFocusPolicy(Qt::NoFocus);
    MemoProcess->setBackgroundRole(QPalette::Button);
    QPalette memo = MemoProcess->palette();
    memo.setColor(QPalette::Base, memo.color(QPalette::Button));
    MemoProcess->setPalette(memo);
    ProgressBar1 = Named<QProgressBar>(panel2, "ProgressBar1");
    ProgressBar1->setFixedHeight(9);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    inner->addWidget(Label2);
    inner->addWidget(MemoProcess);
    inner->addWidget(ProgressBar1);
    inner->addStretch(1);
    layout->addWidget(panel2);
}

void TfInit::Run(TfMain& main) {
    TfInit form(main);
    form.show();
    form.FormActivate();
}

void TfInit::FormShow() {
    texts_ = TInitTexts::Read(main_.State().LangPath);
}

void TfInit::FormActivate() {
    if (started_) return;
    started_ = true;
    // The form closes on every way out, an error's included, which then reaches the caller.
    const std::unique_ptr<TfInit, void (*)(TfInit*)> closeAtEnd(
        this, [](TfInit* form) { form->accept(); });
    TMainState& state = main_.State();
    ::LetMessagesRun();
    MemoProcess->clear();
    AddLine(texts_.PhaseEnd + " " + texts_.PhaseEnd_InProcess);
    const TDateTime lastDay = TfMain::DatePart(GetSettingDate("LastStart", 0));
    const TDateTime today = TfMain::DatePart(Today());
    LoadPhase();
    // The load line ends with PhaseEnd_OK in place of PhaseEnd_InProcess.
    QTextCursor line(MemoProcess->document()->lastBlock());
    line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    line.insertText(ToQString(texts_.PhaseEnd + " " + texts_.PhaseEnd_OK));
    LetMessagesRun();

    bool complete = true;
    if (IsFirstStartOfDay(lastDay, today))
        complete = RunDailyPhases(state, texts_, *this, lastDay, today);

    // A budget whose tables cannot be read is left out of the tree; it is reported here unless
    // a phase has reported it already, and the start goes on.
    try {
        main_.RebuildTree();
    } catch (const EDatabaseError& error) {
        if (complete) ShowError(error.what());
    }
    main_.TreeViewMain->setFocus();
    const int selected = GetSettingInt("SelNode", 0);
    if (selected >= 0 && selected < static_cast<int>(main_.Nodes().size()))
        main_.TreeViewMain->setCurrentItem(main_.Nodes()[selected]);
    if (complete) SetSettingDate("LastStart", today);
}

void TfInit::AddLine(const std::string& line) {
    MemoProcess->appendPlainText(ToQString(line));
}

void TfInit::LetMessagesRun() {
    ::LetMessagesRun();
}

void TfInit::ResetProgress() {
    ProgressBar1->setValue(0);
}

void TfInit::StartProgress(int maximum) {
    ProgressBar1->setRange(0, maximum);
    ProgressBar1->setValue(0);
}

void TfInit::SetProgress(int position) {
    ProgressBar1->setValue(position);
}

void TfInit::ShowError(const std::string& text) {
    MessageDlg(text, TMsgDlgType::mtError, mbOK, this);
}

QImage TfInit::LogoSource() {
    return QImage(QStringLiteral(":/pictures/Logo.png"));
}

QImage TfInit::SmallLogoSource() {
    return QImage(QStringLiteral(":/pictures/LogoSmall.png"));
}

void TfInit::LoadPhase() {
    TMainState& state = main_.State();
    const std::uint32_t panel = PanelColour(*main_.Panel3);
    SmoothLogo(LogoSource(), main_.MainLogoBitmap, panel);
    SmoothLogo(SmallLogoSource(), main_.LogoBitmap, panel);

    DM->PrepareTables(state.UsersDataPath);
    state.IDBudget = -1;
    ReadMainTexts();

    for (TFrameBase* frame : main_.Frames().Frames()) frame->LoadTexts();
    // A picture that cannot be read stays empty.
    main_.FormulaIcon = QImage(ToQString(state.DataPath + "formula01.bmp"));
    main_.FormulaIconInv = QImage(ToQString(state.DataPath + "formula01inv.bmp"));

    ReadPopupTexts();
    state.NamesSep = GetSettingStr("NamesSep", "\\");
    InstallMouseWheelHook();
}

// The busy texts, the menus' captions, the node texts of calendars and journals and the status
// bar (three blanks, then the text, in the memo colour).
void TfInit::ReadMainTexts() {
    TMainState& state = main_.State();
    const TLangFile main(state.LangPath + "Main.lng");
    state.MesPrepare = main.Read("Main", "MesPrepare", "Prepare ...");
    state.MesLoad = main.Read("Main", "MesLoad", "Load ...");
    state.MesProcessing = main.Read("Main", "MesProcessing", "Processing ...");
    const std::pair<const char*, const char*> captions[] = {
        {"Budget", "Budget"},     {"CreateBudget", "Create budget"},
        {"Exit", "Exit"},         {"Admin", "Administrator"},
        {"Backup", "Backup"},     {"Recovery", "Recovery"},
        {"Language", "Language"}, {"Settings", "Settings"},
        {"Help", "Help"},         {"Help1", "Help"},
        {"About", "About"}};
    for (const auto& [name, defaultText] : captions)
        SetCaption(*main_.menuBar(), name, main.Read("Main", name, defaultText));
    state.CalendarCaption = main.Read("Tree", "Calendar", "Calendar of the budget");
    state.LogCaption = main.Read("Tree", "Log", "Log of transactions");
    main_.StatusBarText->setText(ToQString("   " + main.Read("Main", "StatusBar", "")));
    QPalette palette = main_.StatusBarText->palette();
    palette.setColor(QPalette::WindowText, main_.MemoColor);
    main_.StatusBarText->setPalette(palette);
}

// The popup's keys do not follow its item numbers: Item3 names item 2, Item4 item 3, Item6
// item 5 and Item7 item 6; the separator (item 4) keeps no caption.
void TfInit::ReadPopupTexts() {
    const TLangFile popup(main_.State().LangPath + "PMenuTree.lng");
    const std::pair<const char*, const char*> items[] = {
        {"Item0", "CreateObject"}, {"Item1", "Rename"}, {"Item3", "Move"},
        {"Item4", "Delete"},       {"Item6", "Export"}, {"Item7", "Import"}};
    for (const auto& [key, item] : items)
        SetCaption(*main_.PMenuTree, item, popup.Read("PMenuTree", key, item));
}
