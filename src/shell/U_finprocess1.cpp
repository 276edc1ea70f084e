// The busy window: one line of text over the main window while an operation works.
#include "shell/U_finprocess1.h"

#include <QHBoxLayout>
#include <QLabel>

TfInProcess1::TfInProcess1(QWidget* owner)
    : QWidget(owner,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("fInProcess1"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMinimumSize(187, 26);
    LabelMessage = new QLabel(this);
    LabelMessage->setObjectName(QStringLiteral("LabelMessage"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 7, 8, 7);
    layout->addWidget(LabelMessage);
}

void TfInProcess1::showEvent(QShowEvent* event) {
    adjustSize();
    if (const QWidget* owner = parentWidget())
        move(owner->window()->frameGeometry().center() - rect().center());
    QWidget::showEvent(event);
}
