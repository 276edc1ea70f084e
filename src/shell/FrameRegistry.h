// The frames of the main window's frame panel and the registry that finds a node type's frame.
#pragma once

#include <QFrame>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "shell/ObjectIndex.h"

class QLabel;
class QPushButton;
class TLangFile;

// What a frame's header shows: the selected node (its name in `LabelHeader`, its description
// in `LabelDescript`: the folder and object frames), or the open budget (a header text and the
// budget's name, the description being the frame's description text: calendar, journal view).
enum class TFrameHeader { Node, Budget };

// A frame that the main window shows for the selected node: folder, journal view, calendar,
// table, images, files, number, pay. One of each lives for the whole run in the frame panel.
// The frame switch leaves the shown frame, shows the frame of the new node's type and hides the
// others; the load phase reads every frame's texts once.
class TFrameBase : public QFrame {
    Q_OBJECT

public:
    // Reads the frame's texts from its language file in the language folder, once, in the load
    // phase: the captions and hints of its named controls (ReadCaptions), then its own words
    // (ReadFrameTexts). The header labels are not captions: the frame switch fills them.
    void LoadTexts();

    // The selection moves away from the frame's node, or the window closes: the frame applies,
    // asks about or drops its pending edits (the table, images, number and pay frames). False
    // when the frame must stay: the user cancelled the question, or edits the user chose to keep
    // could not be saved, and the frame still holds them. The main window then stays on the
    // frame's node.
    virtual bool Leave() { return true; }
    // The frame switch shows the frame for the node: the frame fills itself and shows.
    virtual void ShowFor(const ObjectInfo& node) = 0;
    // The frame switch shows the frame for the node that it loaded last (its reload mark, kept
    // by the main window, names the node): a frame that keeps what it loaded shows it without
    // loading it again. A frame without a mark fills itself as ShowFor does.
    virtual void ShowKept(const ObjectInfo& node) { ShowFor(node); }
    // The frame switch shows another type's frame: the frame hides (and leaves its edit mode).
    virtual void HideFrame();
    // After a rename: a frame whose header shows the node (TFrameHeader::Node) shows its name
    // and description; the others keep their header.
    void RefreshHeader(const ObjectInfo& node);
    // The control that Ctrl+Tab focuses when it leaves the tree (`StringGridTable` ...).
    virtual QWidget* MainControl() const = 0;

    // Made by the base; the frame places them in its layout. The header's labels end a text
    // longer than they are wide with "…" (TElidedLabel), unless the frame lets them wrap.
    QLabel* LabelHeader;
    QLabel* LabelDescript = nullptr;  // TFrameHeader::Node only
    QPushButton* ButtonHelp;          // F1 outside the tree clicks it

protected:
    // `name`: the frame's class name (TfrTable), its objectName; its texts are the section
    // `section` of the language file `langFile` ("Table.lng", "Table"); `helpTopic`: the topic
    // its help button shows (0: the help file's start).
    TFrameBase(const char* name, std::string langFile, std::string section, int helpTopic,
               TFrameHeader header, QWidget* parent);

    // The frame's own words, column titles and description text, read by LoadTexts from the
    // open language file after the captions.
    virtual void ReadFrameTexts(const TLangFile& texts, const std::string& section) = 0;

    // Runs the journal change that saves the frame's edits and returns its result, above 0 when
    // it was applied. An exception of the change is shown in an error box over the frame and
    // gives 0; the journal reported any other failure as it happened. While the result is not
    // above 0 the frame keeps the edits, for the user to save again or drop.
    int SaveEdits(const std::function<int()>& change);

private:
    std::string langFile_;
    std::string section_;
};

// The frame of each node type. Frames are registered once at start, in the order in which the
// load phase reads their texts; each type has one frame.
class TFrameRegistry {
public:
    // Registers `frame` for the nodes of `type`. A budget root and a folder share the folder
    // frame: otBudget and otFolder stand for one type here. A second frame for a type is a
    // mistake of the program's composition: std::logic_error, and the first stays.
    void RegisterFrame(int type, TFrameBase& frame);
    // The frame of the type; null when no frame is registered for it (and for -1, nothing
    // selected).
    TFrameBase* FrameFor(int type) const;
    // The registered frames in the order of registration.
    const std::vector<TFrameBase*>& Frames() const { return frames_; }

private:
    std::map<int, TFrameBase*> byType_;
    std::vector<TFrameBase*> frames_;
};
