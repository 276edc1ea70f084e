// Opening documents and the help through the desktop: one function each, recordable by tests.
#pragma once

#include <functional>
#include <optional>
#include <string>

class QPushButton;
class QUrl;
class QWidget;

// Opens a file with the desktop's application for it. When the desktop cannot open it (no
// program is set up for its kind, as on a machine without a desktop) a warning box over the
// parent says so and names the file, so that the user can find what was written.
void OpenDocumentOrTell(const std::string& path, QWidget* parent);
// Opens a web address with the desktop's browser. False when the desktop could not open it.
bool OpenWebAddress(const std::string& address);

// The help call of every window: opens the help file (an HTML file of the language folder) at
// the topic's anchor, the number written as four digits ("VemlyHelp.html#1100"), or at its
// start for topic 0. A help file that does not exist is reported in an error box over the
// parent window, one that the desktop cannot open in a warning box naming the file.
void ShowHelp(const std::string& helpFile, int topic, QWidget* parent = nullptr);

// The help file of the language in use (TfMain::HelpFile): "VemlyHelp.html" in the language
// folder of the main window's services.
std::string HelpFile();

// The help button "?" of a window (a dialog or a frame), named `ButtonHelp`. With a topic its
// hint is the window's `HelpH` text and a click shows HelpFile at the topic over the window
// (topic 0: at its start). Without a topic it has neither action nor hint, like the error
// windows' buttons.
QPushButton* NewHelpButton(QWidget& window, std::optional<int> topic);

// While an opener is set, OpenDocumentOrTell and ShowHelp hand their URL to it instead of the
// desktop, and return what it returns. An empty function restores the desktop. Tests set one.
using TUrlOpener = std::function<bool(const QUrl&)>;
void SetUrlOpener(TUrlOpener opener);
