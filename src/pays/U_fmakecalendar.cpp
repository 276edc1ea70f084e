// The small busy window that rebuilds the open budget's calendar while it is shown.
#include "pays/U_fmakecalendar.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "pays/Uscheduler.h"
#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/Ulanguage_widgets.h"

TfMakeCalendar::TfMakeCalendar(QWidget* parent)
    : TDialogBase("TfMakeCalendar", parent, Qt::Tool), LabelHeader(NewHeaderLabel(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    setWindowTitle(QStringLiteral("Vemly"));
    // 45 pixels high and at least 252 wide: wider where the header needs it.
    setFixedHeight(45);
    setMinimumWidth(252);
    LabelHeader->setText(QStringLiteral("Reorganization of the budget calendar ..."));
    LabelHeader->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelHeader);
}

void TfMakeCalendar::FormShow() {
    const TLangFile texts = ReadTexts("RecalcBudget.lng", "RebuildCalendar");
    LabelHeader->setText(ToQString(texts.Read("RebuildCalendar", "LabelHeader", "")));
    QTimer::singleShot(0, this, &TfMakeCalendar::FormActivate);
}

void TfMakeCalendar::FormActivate() {
    LetMessagesRun();
    RunGuarded([this] { RebuildCalendarEntries(RebuildFrom, RebuildTo); });
    for (int k = 0; k < 3; ++k) LetMessagesRun();
    accept();
}

int RebuildCalendar(TDateTime from, TDateTime to, QWidget* parent) {
    auto* window = new TfMakeCalendar(parent);
    window->RebuildFrom = from;
    window->RebuildTo = to;
    LetMessagesRun();
    return window->ExecModal();
}
