// The start-up's load phase: everything the main window needs for the whole run that does not
// depend on a budget.
#pragma once

#include <QImage>

class TfMain;

// The start-up of the program for the main window `main`.
class TfInit {
public:
    explicit TfInit(TfMain& main) : main_(main) {}

    // Runs at every start, before the tree is built, in one pass: the two smoothed logos, the
    // data module's tables (the budget list open read-only, the seventeen budget tables named
    // and indexed but closed), no budget open (IDBudget -1), the main window's texts and status
    // bar from "Main.lng", each registered frame's texts in the order of registration, the
    // number frame's two formula pictures from the data folder (a missing or unreadable one
    // stays empty and the phase goes on), the tree popup's captions from "PMenuTree.lng", the
    // separator of names in object paths (setting NamesSep, default "\") and the mouse-wheel
    // rule. Nothing is reported: missing language files leave the compiled-in English texts.
    void LoadPhase();

    // The logos as drawn, on white: the main window's and the small one of the dialogs.
    static QImage LogoSource();
    static QImage SmallLogoSource();

private:
    void ReadMainTexts();
    void ReadPopupTexts();

    TfMain& main_;
};
