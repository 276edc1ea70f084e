// The file collection frame: the files of a collection's folder with their type's icons; files
// are added, renamed, deleted to the trash and opened directly, outside the journal.
#pragma once

#include <QIcon>
#include <QStringList>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "shell/FrameRegistry.h"

class QAction;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;

// One entry of the icon cache: the icon's index in ImageListIcons and the extension it serves.
struct FileIcon {
    int ImageIndex = 0;
    std::string Ext;
};

// The files a user picks to add (the desktop's file dialog unless a test answers); an empty
// list when the dialog is cancelled. Setting one returns the picker set before; none: the
// desktop's dialog again.
using TFilesPicker = std::function<QStringList(QWidget* parent)>;
TFilesPicker SetFilesPicker(TFilesPicker picker);

class TfrFiles : public TFrameBase {
    Q_OBJECT

public:
    explicit TfrFiles(QWidget* parent);

    void ShowFor(const ObjectInfo& node) override;
    void ShowKept(const ObjectInfo& node) override;
    QWidget* MainControl() const override;

    // Empties the cache and ImageListIcons, then adds the icon of each extension (exact, in the
    // order met) of the folder's files: the number of extensions added.
    int BuildIconCache();
    // One item per file of the folder, its caption the file's name and its icon its extension's.
    void FillFileList();
    // The cached icon index of the extension, -1 when there is none.
    int IconIndexOf(const std::string& ext) const;

    // The commands.
    void BitBtnAddFileClick();
    void BitBtnDelFileClick();
    void RenameClick();
    void ListViewFilesEdited(QListWidgetItem* item);
    void ListViewFilesDblClick();

    // Controls.
    QListWidget* ListViewFiles;
    QPushButton* BitBtnAddFile;
    QPushButton* BitBtnDelFile;
    QMenu* PopupMenuFiles;
    QAction* Rename;
    QAction* Delete;
    std::vector<QIcon> ImageListIcons;

    std::vector<FileIcon> IconCache;
    std::string Folder;  // without a trailing "/"
    std::string QDelFiles;

protected:
    void ReadFrameTexts(const TLangFile& texts, const std::string& section) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void FrameResize();
    // The frame's text of the key, its placeholder "[name]" replaced by the file's name.
    std::string Text(const char* key, const std::string& name = {}) const;
    // Asks the question of the key about the file: the button chosen.
    int Ask(const char* key, const std::string& name, int buttons);
    void Warn(const std::string& text);
    void Reload();

    std::map<std::string, std::string> words_;  // the messages' texts by key
    QString renaming_;   // the caption of the item whose name is being edited
};

// Makes the file collection frame in the main window's frame panel (hidden) and registers it
// for file collections.
TfrFiles& RegisterFilesFrame(TFrameRegistry& frames, QWidget& parent);
