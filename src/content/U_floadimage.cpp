// The picture loading dialog: picture files added to the album that the album frame edits,
// staged with their thumbnails until the frame's Apply.
#include "content/U_floadimage.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <filesystem>

#include "content/U_frimages.h"
#include "content/Uq519graphics.h"
#include "platform/Text.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/Swappable.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_fileoperation.h"

namespace fs = std::filesystem;

namespace {

// The pictures' filters first; "All files" lets the user pick any other file too, so that the
// dialog's own check names each file it does not take instead of the filter hiding it.
QStringList PickWithDesktop(QWidget* parent) {
    return QFileDialog::getOpenFileNames(
        parent, {}, {},
        QStringLiteral("All (*.jpg *.jpeg *.bmp *.JPG *.JPEG *.BMP);;JPEG Image File (*.jpg);;"
                       "JPEG Image File (*.jpeg);;Bitmaps (*.bmp);;All files (*)"));
}

TSwappable<QStringList(QWidget*)>& PicturesPicker() {
    static TSwappable<QStringList(QWidget*)> picker(PickWithDesktop);
    return picker;
}

// The refusal text with the paths it names, each on a line of its own; empty without paths.
std::string Refusal(const std::string& text, const std::vector<std::string>& paths) {
    if (paths.empty()) return {};
    std::string refusal = text;
    for (const std::string& path : paths) refusal += "\n" + path;
    return refusal;
}

// The non-empty texts joined by an empty line.
std::string Joined(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) {
        if (text.empty()) continue;
        if (!joined.empty()) joined += "\n\n";
        joined += text;
    }
    return joined;
}

// The path with as many of its leading folders left out, an ellipsis in their place, as it
// takes to fit the width: the folders kept and the file name stand whole. A file name wider
// than that follows the ellipsis alone.
QString ShortPath(const QString& path, const QFontMetrics& metrics, int width) {
    QString shown = path;
    for (qsizetype slash = path.indexOf(u'/', 1);
         slash >= 0 && metrics.horizontalAdvance(shown) > width;
         slash = path.indexOf(u'/', slash + 1))
        shown = QStringLiteral("\u2026") + path.mid(slash);
    return shown;
}

}  // namespace

TPicturesPicker SetPicturesPicker(TPicturesPicker picker) {
    return PicturesPicker().Set(std::move(picker));
}

TfLoadImage::TfLoadImage(TfrImages& frame) : TDialogBase("TfLoadImage", &frame), frame_(frame) {
    setAttribute(Qt::WA_DeleteOnClose);
    LabelHeader = NewHeaderLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(NewHeaderRow(*LabelHeader, *NewHelpButton(std::nullopt)));
    auto* choice = new QHBoxLayout;
    Label1 = Named<QLabel>(this, "Label1", QStringLiteral("1)"));
    BitBtnChoicePicture = Named<QPushButton>(this, "BitBtnChoicePicture", QString());
    SetTextKey(*BitBtnChoicePicture, "BtnChoicePicture");
    choice->addWidget(Label1);
    choice->addWidget(BitBtnChoicePicture);
    choice->addStretch();
    layout->addLayout(choice);
    // The preview and, for several pictures, the description text in its place.
    auto* panel = Named<QWidget>(this, "Panel1");
    panel->setFixedSize(360, 240);
    Image1 = Named<QLabel>(panel, "Image1");
    SetTextKey(*Image1, "");
    Image1->setGeometry(0, 0, 360, 240);
    Image1->setAlignment(Qt::AlignCenter);
    MemoDescript = Named<QPlainTextEdit>(panel, "MemoDescript");
    MemoDescript->setReadOnly(true);
    MemoDescript->setGeometry(0, 0, 360, 240);
    MemoDescript->hide();
    layout->addWidget(panel);
    LabeFileName = Named<QLabel>(this, "LabeFileName");
    SetTextKey(*LabeFileName, "");
    LabeFileName->setAlignment(Qt::AlignRight);
    LabeFileName->setWordWrap(true);  // a file name wider than the dialog goes on below
    layout->addWidget(LabeFileName);
    LabelDescr = Named<QLabel>(this, "LabelDescr");
    layout->addWidget(LabelDescr);
    EditDescr = Named<QLineEdit>(this, "EditDescr");
    EditDescr->setMaxLength(99);
    layout->addWidget(EditDescr);
    layout->addLayout(NewFooter(TFooter::OKExit));
    // Hidden for several pictures, they keep their place: the dialog does not jump.
    for (QWidget* single : std::initializer_list<QWidget*>{LabeFileName, LabelDescr, EditDescr}) {
        QSizePolicy policy = single->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        single->setSizePolicy(policy);
    }
    connect(BitBtnChoicePicture, &QPushButton::clicked, this,
            &TfLoadImage::BitBtnChoicePictureClick);
}

void TfLoadImage::FormShow() {
    const TLangFile texts = ReadTexts("LoadImage.lng", "LoadImage");
    ErrFileExists =
        texts.Read("LoadImage", "ErrFileExists", "The album already holds a picture of this name:");
    ErrFileNameTooLong = texts.Read("LoadImage", "ErrFileNameTooLong",
                                    "The name of this file is longer than 100 characters:");
    ErrNotPicture =
        texts.Read("LoadImage", "ErrNotPicture", "These files are no BMP or JPEG pictures:");
    ErrDamaged =
        texts.Read("LoadImage", "ErrDamaged",
                   "These pictures cannot be read (damaged or truncated) and were not added:");
    ErrNotWritten = texts.Read(
        "LoadImage", "ErrNotWritten",
        "These pictures could not be copied into the album's folder and were not added:");
    LoadDescription(ShellServices().LangPath() + "LoadImageTxt01.lng", *MemoDescript);
    at_ = AppendMode || frame_.ShownNumber <= 0 ? frame_.PictureCount + 1 : frame_.ShownNumber;
    frame_.PlaceholderAt = at_;
    frame_.RebuildBoxes();
    if (QWidget* placeholder = frame_.Box(0))
        frame_.ScrollBoxList->ensureWidgetVisible(placeholder, 0, 0);
    Done = false;
    BitBtnOK->setEnabled(false);
}

void TfLoadImage::BitBtnChoicePictureClick() {
    const QStringList picked = PicturesPicker()(this);
    if (picked.isEmpty()) return;
    std::vector<std::string> exists, tooLong, notPicture;
    std::vector<std::string> names;
    QStringList pictures;
    for (const QString& path : picked) {
        const std::string name = fs::path(ToStdString(path)).filename().string();
        if (!IsPictureName(name)) {
            notPicture.push_back(ToStdString(path));
            continue;
        }
        pictures << path;
        bool taken = std::find(names.begin(), names.end(), name) != names.end();
        for (const ImageInform& picture : frame_.Pictures)
            taken = taken || (picture.Status != 'd' && picture.FileName == name);
        if (taken) exists.push_back(ToStdString(path));
        if (name.size() > kMaxPictureName) tooLong.push_back(ToStdString(path));
        names.push_back(name);
    }
    const std::string refusal =
        Joined({Refusal(ErrFileExists, exists), Refusal(ErrFileNameTooLong, tooLong),
                Refusal(ErrNotPicture, notPicture)});
    if (!refusal.empty()) MessageDlg(refusal, TMsgDlgType::mtError, mbOK, this);
    // A taken or too long name refuses the whole choice. Files that are no pictures are only
    // left out, as damaged pictures are at OK: the pictures chosen with them stay chosen.
    if (!exists.empty() || !tooLong.empty() || pictures.isEmpty()) {
        Chosen.clear();
        BitBtnOK->setEnabled(false);
        return;
    }
    Chosen = pictures;
    const bool one = Chosen.size() == 1;
    MemoDescript->setVisible(!one);
    Image1->setVisible(one);
    for (QWidget* single : std::initializer_list<QWidget*>{LabeFileName, LabelDescr, EditDescr})
        single->setVisible(one);
    if (one) {
        QImage preview;
        Image1->clear();
        if (LoadPictureBitmap(ToStdString(Chosen[0]), preview) == kPictureLoaded)
            Image1->setPixmap(QPixmap::fromImage(
                preview.scaled(Image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        LabeFileName->setText(ShortPath(Chosen[0], LabeFileName->fontMetrics(),
                                        LabeFileName->contentsRect().width()));
        FitHeightToTexts();
    }
    BitBtnOK->setEnabled(true);
}

void TfLoadImage::accept() {
    std::vector<ImageInform> added;
    std::vector<std::string> damaged, notWritten;
    {
        TBusyMessage busy(TBusyKind::Prepare);
        const std::string staging = StagingFolder(frame_.AlbumPath);
        const std::string mini = StagedMiniFolder(frame_.AlbumPath);
        // An album whose folders went missing gets them again.
        std::error_code error;
        fs::create_directories(staging, error);
        fs::create_directories(mini, error);
        for (const QString& path : Chosen) {
            const fs::path source = ToStdString(path);
            const fs::path staged = fs::path(staging) / source.filename();
            // A picture that cannot be copied (a full disk) or read is not added: its staged
            // copy goes. What the system said is shown with the folder it could not write.
            std::error_code written;
            if (!fs::exists(staged, error)) {
                written = CopyFileWhole(source.string(), staged.string());
                if (written) {
                    notWritten.push_back(source.string() + "\n" + staging + ": " +
                                         written.message());
                    continue;
                }
            }
            const int made = MakeThumbnail(staged.string(), mini, kThumbnailWidth, nullptr,
                                           kThumbnailHeight, &written);
            if (made != kPictureLoaded) {
                fs::remove(staged, error);
                if (made == kPictureNotWritten)
                    notWritten.push_back(source.string() + "\n" + mini + ": " + written.message());
                else
                    damaged.push_back(source.string());
                continue;
            }
            added.push_back({source.filename().string(),
                             Chosen.size() == 1 ? ToStdString(EditDescr->text()) : std::string(), 0,
                             'i'});
        }
    }
    frame_.PlaceholderAt = 0;
    if (!added.empty()) {
        InsertPictures(frame_.Pictures, at_, added);
        frame_.PictureCount = CountLive(frame_.Pictures);
        frame_.Modified = true;
    }
    frame_.RebuildBoxes();
    frame_.ShowImage(added.empty() ? frame_.ShownNumber : at_, true);
    frame_.PlacePictureButtons(frame_.ShownNumber);
    Done = true;
    const std::string refusal =
        Joined({Refusal(ErrNotWritten, notWritten), Refusal(ErrDamaged, damaged)});
    if (!refusal.empty()) MessageDlg(refusal, TMsgDlgType::mtError, mbOK, this);
    TDialogBase::accept();
}

void TfLoadImage::FormClose() {
    if (!Done) {
        frame_.PlaceholderAt = 0;
        frame_.RebuildBoxes();
    }
    frame_.Adding = false;
}
