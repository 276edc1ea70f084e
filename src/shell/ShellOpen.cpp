// Opening documents and the help through the desktop: one function each, recordable by tests.
#include "shell/ShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QPushButton>
#include <QUrl>

#include "platform/Text.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage_widgets.h"

namespace {

TUrlOpener& Opener() {
    static TUrlOpener opener;
    return opener;
}

bool OpenUrl(const QUrl& url) {
    return Opener() ? Opener()(url) : QDesktopServices::openUrl(url);
}

// Opens the URL of the local file at path; a failure is told over the parent with the path.
void OpenUrlOrTell(const QUrl& url, const std::string& path, QWidget* parent) {
    if (OpenUrl(url)) return;
    MessageDlg(
        "The file cannot be opened: no program on this computer is set up to open it.\n"
        "The file is here:\n" +
            path,
        TMsgDlgType::mtWarning, mbOK, parent);
}

}  // namespace

void SetUrlOpener(TUrlOpener opener) {
    Opener() = std::move(opener);
}

void OpenDocumentOrTell(const std::string& path, QWidget* parent) {
    OpenUrlOrTell(QUrl::fromLocalFile(ToQString(path)), path, parent);
}

bool OpenWebAddress(const std::string& address) {
    return OpenUrl(QUrl(ToQString(address)));
}

void ShowHelp(const std::string& helpFile, int topic, QWidget* parent) {
    if (!QFileInfo(ToQString(helpFile)).isFile()) {
        MessageDlg("The help file cannot be found: " + helpFile, TMsgDlgType::mtError, mbOK,
                   parent);
        return;
    }
    QUrl url = QUrl::fromLocalFile(ToQString(helpFile));
    if (topic != 0) url.setFragment(QStringLiteral("%1").arg(topic, 4, 10, QLatin1Char('0')));
    OpenUrlOrTell(url, helpFile, parent);
}

std::string HelpFile() {
    return ShellServices().LangPath() + kHelpFileName;
}

QPushButton* NewHelpButton(QWidget& window, std::optional<int> topic) {
    auto* button = Named<QPushButton>(&window, "ButtonHelp", QStringLiteral("?"));
    button->setFixedWidth(25);
    SetTextKey(*button, "");
    if (!topic) return button;
    SetHintKey(*button, "HelpH");
    QObject::connect(button, &QPushButton::clicked, &window,
                     [window = &window, topic = *topic] { ShowHelp(HelpFile(), topic, window); });
    return button;
}
