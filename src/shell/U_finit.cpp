// The start-up's load phase: everything the main window needs for the whole run that does not
// depend on a budget.
#include "shell/U_finit.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <utility>

#include "platform/Text.h"
#include "shell/Hookmousewheel.h"
#include "shell/Q519smoothimage.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage.h"
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

}  // namespace

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
