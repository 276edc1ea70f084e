// The base of the program's dialogs: the show and close hooks, texts by control name, the help
// button with F1, and the OK/Exit footer.
#include "shell/DialogBase.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <utility>

#include "shell/ShellOpen.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage_widgets.h"

TDialogBase::TDialogBase(const char* name, QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags) {
    setObjectName(QString::fromLatin1(name));
}

void TDialogBase::done(int result) {
    if (isVisible()) FormClose();
    QDialog::done(result);
}

QPushButton* TDialogBase::NewHelpButton(std::optional<int> topic) {
    ButtonHelp = ::NewHelpButton(*this, topic);
    f1ClicksHelp_ = topic.has_value();
    return ButtonHelp;
}

QHBoxLayout* TDialogBase::NewFooter(TFooter buttons, TFooterDefaults defaults) {
    const bool named = defaults == TFooterDefaults::OKExit;
    ImageLogo = Named<QLabel>(this, "ImageLogo");
    SetTextKey(*ImageLogo, "");
    BitBtnOK = Named<QPushButton>(this, "BitBtnOK", named ? QStringLiteral("OK") : QString());
    SetTextKey(*BitBtnOK, "BtnOK");
    BitBtnOK->setDefault(true);
    connect(BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(ImageLogo);
    row->addStretch(1);
    row->addWidget(BitBtnOK);
    if (buttons == TFooter::OKExit) {
        BtnExit = Named<QPushButton>(this, "BtnExit", named ? QStringLiteral("Exit") : QString());
        connect(BtnExit, &QPushButton::clicked, this, &QDialog::reject);
        row->addWidget(BtnExit);
    }
    return row;
}

TLangFile TDialogBase::ReadTexts(const std::string& file, std::string_view section) {
    TLangFile texts(ShellServices().LangPath() + file);
    ReadCaptions(*this, texts, section);
    return texts;
}

void TDialogBase::FitHeightToTexts() {
    // A group box lays out its wrapped label on its own layout request; those requests run
    // first, so that the dialog's layout asks the group boxes for their new heights.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    layout()->activate();
    if (layout()->hasHeightForWidth())
        resize(width(), std::max(height(), layout()->totalHeightForWidth(width())));
}

int TDialogBase::ExecModal() {
    // A dialog freed at its close is gone when exec returns, so the failure is taken from it
    // at the close. The handler holds its own copy of the place it writes to, and is removed on
    // every way out of exec, so a dialog shown again never runs an earlier show's handler.
    failure_ = nullptr;
    const auto failure = std::make_shared<std::exception_ptr>();
    const QMetaObject::Connection taking = connect(this, &QDialog::finished, this, [this, failure] {
        *failure = std::exchange(failure_, nullptr);
    });
    const auto removing = qScopeGuard([&taking] { QObject::disconnect(taking); });
    const int result = exec();
    if (*failure) std::rethrow_exception(*failure);
    return result;
}

void TDialogBase::RunGuarded(const std::function<void()>& work) {
    try {
        work();
    } catch (...) {
        if (!failure_) failure_ = std::current_exception();
    }
}

void TDialogBase::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TDialogBase::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && f1ClicksHelp_) {
        ButtonHelp->click();
        return;
    }
    // Esc clicks the cancel button, which does nothing while it is disabled.
    if (event->matches(QKeySequence::Cancel) && BtnExit != nullptr) {
        BtnExit->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TDialogBase::LayOutBesideMemo(QLabel& header, QLayout* inputs, int inputsStretch,
                                   QWidget& memo, std::function<void()> onOK, QWidget* below) {
    auto* body = new QHBoxLayout;
    body->addLayout(inputs, inputsStretch);
    body->addWidget(&memo, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(NewHeaderRow(header, *ButtonHelp));
    if (below != nullptr) layout->addWidget(below);
    layout->addLayout(body, 1);
    layout->addLayout(NewFooter(TFooter::OKExit));
    disconnect(BitBtnOK, nullptr, this, nullptr);
    connect(BitBtnOK, &QPushButton::clicked, this, std::move(onOK));
}
