// The file collection frame: the files of a collection's folder with their type's icons; files
// are added, renamed, deleted to the trash and opened directly, outside the journal.
#include "content/U_frfiles.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeDatabase>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <filesystem>
#include <memory>

#include "algorithms/Uq519algtextformat.h"
#include "content/U_frfiles_folder.h"
#include "platform/Folders.h"
#include "platform/Text.h"
#include "shell/FrameWidgets.h"
#include "shell/MessageDlg.h"
#include "shell/ShellOpen.h"
#include "shell/ShellServices.h"
#include "shell/Swappable.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_dm.h"

namespace fs = std::filesystem;

namespace {

constexpr int kHelpTopic = 2300;
constexpr int kListTop = 47;

// The messages of the frame with their texts when the language file has none; "[name]" stands
// for a file's name.
const std::pair<const char*, const char*> kWords[] = {
    {"QDelFiles", "Delete the selected files?"},
    {"QReplaceFile", "The collection already holds a file [name]. Replace it?"},
    {"QDeleteForever", "The file [name] cannot be moved to the trash. Delete it for good?"},
    {"NameInvalid", "\"[name]\" cannot be a file's name."},
    {"NameExists", "The collection already holds a file [name]."},
    {"RenameFailed", "The file cannot be renamed to [name]"},
    {"CopyFailed", "The file [name] cannot be added"},
    {"DeleteFailed", "The file [name] cannot be deleted"},
};

QStringList PickWithDesktop(QWidget* parent) {
    return QFileDialog::getOpenFileNames(parent);
}

TSwappable<QStringList(QWidget*)>& FilesPicker() {
    static TSwappable<QStringList(QWidget*)> picker(PickWithDesktop);
    return picker;
}

// The desktop's icon of a file of that extension: the theme's icon of the type that the name
// tells, else the plain file icon.
QIcon IconOfExtension(const std::string& ext) {
    static const QFileIconProvider provider;
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(ToQString("file" + ext), QMimeDatabase::MatchExtension);
    const QIcon plain = provider.icon(QAbstractFileIconProvider::File);
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), plain));
}

}  // namespace

TFilesPicker SetFilesPicker(TFilesPicker picker) {
    return FilesPicker().Set(std::move(picker));
}

TfrFiles::TfrFiles(QWidget* parent)
    : TFrameBase("TfrFiles", "Files.lng", "Files", kHelpTopic, TFrameHeader::Node, parent) {
    for (const auto& [key, text] : kWords) words_[key] = text;
    BuildControls();
}

void TfrFiles::BuildControls() {
    StyleFrameHeader(*this);
    LabelDescript->setFont(PixelFont("Arial", 11, false));
    auto* image = Named<QLabel>(this, "Image1");
    SetTextKey(*image, "");
    image->setPixmap(style()->standardIcon(QStyle::SP_DirOpenIcon).pixmap(32, 32));
    image->setGeometry(3, 3, 32, 32);

    ListViewFiles = Named<QListWidget>(this, "ListViewFiles");
    ListViewFiles->setViewMode(QListView::IconMode);
    ListViewFiles->setResizeMode(QListView::Adjust);
    ListViewFiles->setMovement(QListView::Static);
    ListViewFiles->setIconSize(QSize(32, 32));
    ListViewFiles->setGridSize(QSize(96, 64));
    ListViewFiles->setWordWrap(true);
    ListViewFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListViewFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewFiles->setSortingEnabled(true);
    ListViewFiles->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListViewFiles, &QListWidget::itemChanged, this, &TfrFiles::ListViewFilesEdited);
    connect(ListViewFiles, &QListWidget::itemDoubleClicked, this,
            [this] { ListViewFilesDblClick(); });

    BitBtnAddFile = Named<QPushButton>(this, "BitBtnAddFile", QString());
    SetTextKey(*BitBtnAddFile, "BtnAddFile");
    BitBtnAddFile->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    BitBtnDelFile = Named<QPushButton>(this, "BitBtnDelFile", QString());
    SetTextKey(*BitBtnDelFile, "BtnDelFile");
    BitBtnDelFile->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    connect(BitBtnAddFile, &QPushButton::clicked, this, &TfrFiles::BitBtnAddFileClick);
    connect(BitBtnDelFile, &QPushButton::clicked, this, &TfrFiles::BitBtnDelFileClick);

    PopupMenuFiles = new QMenu(this);
    PopupMenuFiles->setObjectName(QStringLiteral("PopupMenuFiles"));
    Rename = PopupMenuFiles->addAction(QStringLiteral("Rename"));
    Delete = PopupMenuFiles->addAction(QStringLiteral("Delete"));
    connect(Rename, &QAction::triggered, this, &TfrFiles::RenameClick);
    connect(Delete, &QAction::triggered, BitBtnDelFile, &QPushButton::click);
    connect(ListViewFiles, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenuFiles->popup(ListViewFiles->viewport()->mapToGlobal(at));
    });
    hide();
}

QWidget* TfrFiles::MainControl() const {
    return ListViewFiles;
}

void TfrFiles::ReadFrameTexts(const TLangFile& texts, const std::string& section) {
    for (auto& [key, text] : words_) text = texts.Read(section, key, text);
    QDelFiles = words_["QDelFiles"];
    Rename->setText(ToQString(texts.Read(section, "PMItem0", "Rename")));
    Delete->setText(ToQString(texts.Read(section, "PMItem1", "Delete")));
    FrameResize();
}

std::string TfrFiles::Text(const char* key, const std::string& name) const {
    return ReplaceAllText(words_.at(key), "[name]", name);
}

int TfrFiles::Ask(const char* key, const std::string& name, int buttons) {
    return MessageDlg(Text(key, name), TMsgDlgType::mtConfirmation, buttons, this);
}

void TfrFiles::Warn(const std::string& text) {
    MessageDlg(text, TMsgDlgType::mtError, mbOK, this);
}

// ---- Showing ---------------------------------------------------------------------------------

void TfrFiles::ShowKept(const ObjectInfo& node) {
    Folder = CollectionFolder(node.ID);
    show();
    FrameResize();
}

void TfrFiles::ShowFor(const ObjectInfo& node) {
    ShowKept(node);
    RemoveCopyLeftovers(Folder);
    LabelHeader->setText(ToQString(node.Name));
    LabelDescript->setText(ToQString(node.Descript));
    Reload();
}

void TfrFiles::Reload() {
    BuildIconCache();
    FillFileList();
}

int TfrFiles::BuildIconCache() {
    IconCache.clear();
    ImageListIcons.clear();
    for (const std::string& name : CollectionFiles(Folder)) {
        const std::string ext = FileExtension(name);
        if (IconIndexOf(ext) >= 0) continue;
        ImageListIcons.push_back(IconOfExtension(ext));
        IconCache.push_back({static_cast<int>(ImageListIcons.size()) - 1, ext});
    }
    return static_cast<int>(IconCache.size());
}

int TfrFiles::IconIndexOf(const std::string& ext) const {
    for (const FileIcon& icon : IconCache)
        if (icon.Ext == ext) return icon.ImageIndex;
    return -1;
}

void TfrFiles::FillFileList() {
    const QSignalBlocker quiet(ListViewFiles);
    ListViewFiles->clear();
    for (const std::string& name : CollectionFiles(Folder)) {
        auto* item = new QListWidgetItem(ToQString(name));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        if (const int index = IconIndexOf(FileExtension(name)); index >= 0)
            item->setIcon(ImageListIcons[static_cast<size_t>(index)]);
        ListViewFiles->addItem(item);
    }
    ListViewFiles->sortItems();
}

// ---- Commands --------------------------------------------------------------------------------

void TfrFiles::BitBtnAddFileClick() {
    const QStringList picked = FilesPicker()(this);
    if (picked.isEmpty()) return;
    {
        TBusyMessage busy(TBusyKind::Load);
        for (const QString& path : picked) {
            const std::string source = ToStdString(path);
            const std::string name = fs::path(source).filename().string();
            const fs::path target = fs::path(Folder) / name;
            std::error_code same;
            if (fs::equivalent(source, target, same)) continue;  // it is the collection's file
            if (CheckNewName(Folder, name) == TNameCheck::Exists) {
                const int answer = Ask("QReplaceFile", name, mbYes | mbNo | mbCancel);
                if (answer == mrCancel) break;
                if (answer != mrYes) continue;
            }
            if (const std::error_code error = CopyIntoCollection(source, Folder))
                Warn(Text("CopyFailed", name) + "\n" + Folder + ": " + error.message());
        }
    }
    Reload();
}

void TfrFiles::BitBtnDelFileClick() {
    if (ListViewFiles->count() == 0) return;
    if (MessageDlg(QDelFiles, TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, this) != mrYes)
        return;
    std::vector<std::string> names;
    for (int row = 0; row < ListViewFiles->count(); ++row)
        if (ListViewFiles->item(row)->isSelected())
            names.push_back(ToStdString(ListViewFiles->item(row)->text()));
    {
        TBusyMessage busy(TBusyKind::Processing);
        for (const std::string& name : names) {
            const std::string path = (fs::path(Folder) / name).string();
            if (MoveToTrash(path)) continue;
            // No trash takes it: the file goes for good only when the user says so.
            if (Ask("QDeleteForever", name, mbYes | mbNo) != mrYes) continue;
            std::error_code error;
            fs::remove(path, error);
            if (error) Warn(Text("DeleteFailed", name) + ": " + error.message());
        }
    }
    Reload();
}

void TfrFiles::RenameClick() {
    QListWidgetItem* item = ListViewFiles->currentItem();
    if (item == nullptr || !item->isSelected()) return;
    renaming_ = item->text();
    ListViewFiles->editItem(item);
}

void TfrFiles::ListViewFilesEdited(QListWidgetItem* item) {
    if (renaming_.isNull() || item == nullptr) return;
    const QString old = renaming_;
    renaming_ = QString();
    const std::string from = ToStdString(old), to = ToStdString(item->text());
    if (to == from) return;
    std::string refusal;
    switch (CheckNewName(Folder, to)) {
        case TNameCheck::Invalid:
            refusal = Text("NameInvalid", to);
            break;
        case TNameCheck::Exists:
            refusal = Text("NameExists", to);
            break;
        case TNameCheck::Valid:
            if (const std::error_code error = RenameInCollection(Folder, from, to))
                refusal = Text("RenameFailed", to) + ": " + error.message();
            break;
    }
    if (refusal.empty()) return;
    // The item shows the file's name as it stands.
    {
        const QSignalBlocker quiet(ListViewFiles);
        item->setText(old);
    }
    Warn(refusal);
}

void TfrFiles::ListViewFilesDblClick() {
    const QListWidgetItem* item = ListViewFiles->currentItem();
    if (item == nullptr) return;
    OpenDocumentOrTell((fs::path(Folder) / ToStdString(item->text())).string(), this);
}

// ---- Layout ----------------------------------------------------------------------------------

void TfrFiles::resizeEvent(QResizeEvent* event) {
    TFrameBase::resizeEvent(event);
    FrameResize();
}

void TfrFiles::FrameResize() {
    const int w = width(), h = height();
    LabelHeader->setGeometry(40, 6, std::max(w - 75, 10), 18);
    LabelDescript->setGeometry(40, 24, std::max(w - 75, 10), 16);
    ButtonHelp->setGeometry(w - 25, 6, 22, 22);
    ListViewFiles->setGeometry(3, kListTop, std::max(w - 6, 40), std::max(h - 75, 40));
    int left = 3;
    for (QPushButton* button : {BitBtnAddFile, BitBtnDelFile}) {
        button->adjustSize();
        button->setGeometry(left, h - 25, std::max(button->width(), 90), 23);
        left += button->width() + 4;
    }
    ListViewFiles->doItemsLayout();
}

TfrFiles& RegisterFilesFrame(TFrameRegistry& frames, QWidget& parent) {
    auto frame = std::make_unique<TfrFiles>(&parent);
    frames.RegisterFrame(otFiles, *frame);
    return *frame.release();  // the panel owns it
}
