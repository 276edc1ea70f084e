// The image album frame: the album's pictures as a column of thumbnail boxes beside a viewer
// with zoom, save, print and clipboard; in edit mode pictures are added, re-described, deleted,
// moved and cleared, and Apply writes the album as one journal transaction.
#include "content/U_frimages.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "algorithms/Uq519algtextformat.h"
#include "content/U_fchangeimagedescr.h"
#include "content/U_floadimage.h"
#include "content/Uq519clipboard.h"
#include "content/Uq519graphics.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/Text.h"
#include "reports/U_freport.h"
#include "reports/U_rtfreport_widgets.h"
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

constexpr int kHelpTopic = 2200;
constexpr int kListTop = 48;
constexpr int kListWidth = 145;
constexpr int kListLeft = 3;       // view mode
constexpr int kListLeftEdit = 32;  // edit mode: the edit buttons uncovered
constexpr int kBoxPitch = 139;
constexpr int kPanelHeight = 36;
const char* const kParts[] = {"IMG", "LName", "LDscr", "LWarn", "LFileName"};

QString Numbered(const char* prefix, int n) {
    return QString::fromLatin1(prefix) + QString::number(n);
}

QString SaveWithDesktop(QWidget* parent, const QString& proposed) {
    return QFileDialog::getSaveFileName(
        parent, {}, proposed,
        QStringLiteral("All (*.jpg *.jpeg *.bmp);;JPEG Image File (*.jpg);;JPEG Image File "
                       "(*.jpeg);;Bitmaps (*.bmp)"));
}

TSwappable<QString(QWidget*, const QString&)>& SavePicker() {
    static TSwappable<QString(QWidget*, const QString&)> picker(SaveWithDesktop);
    return picker;
}

}  // namespace

TSavePicker SetSavePicker(TSavePicker picker) {
    return SavePicker().Set(std::move(picker));
}

TfrImages::TfrImages(QWidget* parent)
    : TFrameBase("TfrImages", "Images.lng", "Images", kHelpTopic, TFrameHeader::Node, parent) {
    BuildControls();
}

void TfrImages::BuildControls() {
    StyleFrameHeader(*this);
    LabelDescript->setFont(PixelFont("Arial", 11, false));
    auto* icon = Named<QLabel>(this, "Image1");
    SetTextKey(*icon, "");
    icon->setPixmap(style()->standardIcon(QStyle::SP_DesktopIcon).pixmap(32, 32));
    icon->setGeometry(3, 3, 32, 32);

    ScrollBoxList = Named<QScrollArea>(this, "ScrollBoxList");
    ScrollBoxList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBoxList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    BoxesArea = new QWidget;
    BoxesArea->setObjectName(QStringLiteral("BoxesArea"));
    ScrollBoxList->setWidget(BoxesArea);
    ScrollBoxList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ScrollBoxList->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        LoadVisibleThumbnails();
        if (EditMode && !Adding) PlacePictureButtons(ShownNumber);
    });

    ScrollBoxImage = Named<QScrollArea>(this, "ScrollBoxImage");
    ScrollBoxImage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBoxImage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBoxImage->setAlignment(Qt::AlignCenter);
    auto* canvas = new QWidget;
    ScrollBoxImage->setWidget(canvas);
    ScrollBoxImage->setWidgetResizable(false);
    ImageMain = Named<QLabel>(canvas, "ImageMain");
    SetTextKey(*ImageMain, "");
    ImageMain->setScaledContents(true);
    ImageMain->setContextMenuPolicy(Qt::CustomContextMenu);
    ImageMain->installEventFilter(this);
    LabelWarning = Named<QLabel>(ScrollBoxImage->viewport(), "LabelWarning");
    SetTextKey(*LabelWarning, "");
    LabelWarning->setFont(PixelFont("Tahoma", 12, true));
    LabelWarning->setWordWrap(true);
    LabelWarning->hide();

    PanelDetail = Named<QWidget>(this, "PanelDetail");
    LabelNameMain = Named<QLabel>(PanelDetail, "LabelNameMain");
    SetTextKey(*LabelNameMain, "");
    LabelNameMain->setFont(PixelFont("Arial", 11, true));
    LabelDescrMain = Named<QLabel>(PanelDetail, "LabelDescrMain");
    SetTextKey(*LabelDescrMain, "");

    auto button = [this](const char* name, const char* key, const char* hint,
                         QStyle::StandardPixmap glyph) {
        auto* made = Named<QPushButton>(this, name, QString());
        SetTextKey(*made, key);
        if (hint != nullptr) SetHintKey(*made, hint);
        if (glyph != QStyle::SP_CustomBase) {
            made->setIcon(style()->standardIcon(glyph));
            made->setFixedSize(23, 21);
        }
        return made;
    };
    constexpr QStyle::StandardPixmap kText = QStyle::SP_CustomBase;
    BitBtnEdit = button("BitBtnEdit", "BtnEdit", nullptr, kText);
    BitBtnApply = button("BitBtnApply", "BtnApply", nullptr, kText);
    BitBtnCansel = button("BitBtnCansel", "BtnCansel", nullptr, kText);
    BitBtnClear = button("BitBtnClear", "BtnClear", nullptr, kText);
    BitBtnActualSize =
        button("BitBtnActualSize", "", "ActualSize", QStyle::SP_TitleBarNormalButton);
    BitBtnSelfSize = button("BitBtnSelfSize", "", "SelfSize", QStyle::SP_TitleBarMaxButton);
    BitBtnZoomPlus = button("BitBtnZoomPlus", "", "ZoomUp", QStyle::SP_ArrowUp);
    BitBtnZoomMinus = button("BitBtnZoomMinus", "", "ZoomDown", QStyle::SP_ArrowDown);
    BitBtnSave = button("BitBtnSave", "", "Save", QStyle::SP_DialogSaveButton);
    BitBtnPrint = button("BitBtnPrint", "", "Print", QStyle::SP_FileDialogContentsView);
    BitBtnReport = button("BitBtnReport", "", "ReportH", QStyle::SP_FileDialogDetailedView);
    connect(BitBtnEdit, &QPushButton::clicked, this, &TfrImages::BitBtnEditClick);
    connect(BitBtnApply, &QPushButton::clicked, this, &TfrImages::BitBtnApplyClick);
    connect(BitBtnCansel, &QPushButton::clicked, this, &TfrImages::BitBtnCanselClick);
    connect(BitBtnClear, &QPushButton::clicked, this, &TfrImages::BitBtnClearClick);
    connect(BitBtnActualSize, &QPushButton::clicked, this, &TfrImages::BitBtnActualSizeClick);
    connect(BitBtnSelfSize, &QPushButton::clicked, this, &TfrImages::BitBtnSelfSizeClick);
    connect(BitBtnZoomPlus, &QPushButton::clicked, this, &TfrImages::BitBtnZoomPlusClick);
    connect(BitBtnZoomMinus, &QPushButton::clicked, this, &TfrImages::BitBtnZoomMinusClick);
    connect(BitBtnSave, &QPushButton::clicked, this, &TfrImages::BitBtnSaveClick);
    connect(BitBtnReport, &QPushButton::clicked, this, &TfrImages::BitBtnReportClick);
    connect(BitBtnPrint, &QPushButton::clicked, this, &TfrImages::BitBtnPrintClick);

    auto editButton = [this](const char* name, const char* hint, const char* image,
                             TRowPicture picture) {
        auto* made = Named<QPushButton>(this, name);
        SetTextKey(*made, "");
        SetHintKey(*made, hint);
        made->setFocusPolicy(Qt::NoFocus);
        made->setGeometry(3, 0, 28, kRowButtonHeight);
        auto* glyph = Named<QLabel>(this, image);
        SetTextKey(*glyph, "");
        glyph->setPixmap(RowButtonPicture(picture));
        glyph->setGeometry(14, 0, 16, 8);
        glyph->setAttribute(Qt::WA_TransparentForMouseEvents);
        return std::pair{made, glyph};
    };
    std::tie(BitBtnAddPicture, ImageAddPicture) =
        editButton("BitBtnAddPicture", "AddPictureH", "ImageAddPicture", TRowPicture::Insert);
    std::tie(BitBtnEditPicture, ImageEditPicture) =
        editButton("BitBtnEditPicture", "EditPictureH", "ImageEditPicture", TRowPicture::Edit);
    std::tie(BitBtnDelPicture, ImageDelPicture) =
        editButton("BitBtnDelPicture", "DelPictureH", "ImageDelPicture", TRowPicture::Delete);
    std::tie(BitBtnPictureUp, ImagePictureUp) =
        editButton("BitBtnPictureUp", "PictureUpH", "ImagePictureUp", TRowPicture::Up);
    std::tie(BitBtnPictureDown, ImagePictureDown) =
        editButton("BitBtnPictureDown", "PictureDownH", "ImagePictureDown", TRowPicture::Down);
    std::tie(BitBtnAppendPicture, ImageAppendPicture) = editButton(
        "BitBtnAppendPicture", "AppendPictureH", "ImageAppendPicture", TRowPicture::Insert);
    connect(BitBtnAddPicture, &QPushButton::clicked, this, &TfrImages::BitBtnAddPictureClick);
    connect(BitBtnAppendPicture, &QPushButton::clicked, this, &TfrImages::BitBtnAppendPictureClick);
    connect(BitBtnEditPicture, &QPushButton::clicked, this, &TfrImages::BitBtnEditPictureClick);
    connect(BitBtnDelPicture, &QPushButton::clicked, this, &TfrImages::BitBtnDelPictureClick);
    connect(BitBtnPictureUp, &QPushButton::clicked, this, &TfrImages::BitBtnPictureUpClick);
    connect(BitBtnPictureDown, &QPushButton::clicked, this, &TfrImages::BitBtnPictureDownClick);

    PopupMenuImage = new QMenu(this);
    PopupMenuImage->setObjectName(QStringLiteral("PopupMenuImage"));
    CopyImagetoClipboard = PopupMenuImage->addAction(QStringLiteral("Copy Image to Clipboard"));
    CopyNametoClipboard1 = PopupMenuImage->addAction(QStringLiteral("Copy Name to Clipboard"));
    CopyDescripttoClipboard1 =
        PopupMenuImage->addAction(QStringLiteral("Copy Descript to Clipboard"));
    connect(CopyImagetoClipboard, &QAction::triggered, this, &TfrImages::CopyImagetoClipboardClick);
    connect(CopyNametoClipboard1, &QAction::triggered, this, &TfrImages::CopyNametoClipboard1Click);
    connect(CopyDescripttoClipboard1, &QAction::triggered, this,
            &TfrImages::CopyDescripttoClipboard1Click);
    connect(ImageMain, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenuImage->popup(ImageMain->mapToGlobal(at)); });

    PMenuImg = new QMenu(this);
    PMenuImg->setObjectName(QStringLiteral("PMenuImg"));
    InsertImage = PMenuImg->addAction(QString());
    EditImage = PMenuImg->addAction(QString());
    DelImage = PMenuImg->addAction(QString());
    PMenuImg->addSeparator()->setEnabled(false);
    AppendImage = PMenuImg->addAction(QString());
    connect(PMenuImg, &QMenu::aboutToShow, this, &TfrImages::PMenuImgPopup);
    connect(InsertImage, &QAction::triggered, BitBtnAddPicture, &QPushButton::click);
    connect(EditImage, &QAction::triggered, BitBtnEditPicture, &QPushButton::click);
    connect(DelImage, &QAction::triggered, BitBtnDelPicture, &QPushButton::click);
    connect(AppendImage, &QAction::triggered, BitBtnAppendPicture, &QPushButton::click);
    connect(ScrollBoxList, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PMenuImg->popup(ScrollBoxList->mapToGlobal(at)); });

    // The keys of the album: PgUp and PgDn show the picture before and after, F2 opens the
    // album's menu beside the delete button, Esc clicks Cancel.
    auto key = [this](int key, std::function<void()> action) {
        auto* shortcut = new QShortcut(QKeySequence(key), this, nullptr, nullptr,
                                       Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, std::move(action));
    };
    key(Qt::Key_PageUp, [this] { ShowImage(std::max(ShownNumber - 1, 1), false); });
    key(Qt::Key_PageDown, [this] { ShowImage(std::min(ShownNumber + 1, PictureCount), false); });
    key(Qt::Key_F2, [this] { PMenuImg->popup(BitBtnDelPicture->mapToGlobal(QPoint(30, 0))); });
    key(Qt::Key_Escape, [this] {
        if (BitBtnCansel->isEnabled()) BitBtnCansel->click();
    });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &TfrImages::Timer1Timer);
    SetViewButtons(false);
    HideEditButtons();
    hide();
}

QWidget* TfrImages::MainControl() const {
    return ScrollBoxImage;
}

void TfrImages::ReadFrameTexts(const TLangFile& texts, const std::string& section) {
    auto read = [&](const char* key, const char* fallback = "") {
        return texts.Read(section, key, fallback);
    };
    WarnFileIsAbsent = read("WarnFileIsAbsent");
    WarnDamaged = read("WarnDamaged", "The picture cannot be read (damaged or truncated): [name]");
    QuestionDel = read("QuestionDel");
    QuestionClear = read("QuestionClear");
    QuestionCancel = read("QuestionCancel");
    WordImages = read("WordImages");
    SentChanged = read("SentChanged");
    SentSaveChanges = read("SentSaveChanges");
    CopyImagetoClipboard->setText(ToQString(read("PMItem0", "Copy Image to Clipboard")));
    CopyNametoClipboard1->setText(ToQString(read("PMItem1", "Copy Name to Clipboard")));
    CopyDescripttoClipboard1->setText(ToQString(read("PMItem2", "Copy Descript to Clipboard")));
    InsertImage->setText(ToQString(read("PMenu0")));
    EditImage->setText(ToQString(read("PMenu1")));
    DelImage->setText(ToQString(read("PMenu2")));
    AppendImage->setText(ToQString(read("PMenu4")));
    FrameResize();
}

// ---- Showing ---------------------------------------------------------------------------------

void TfrImages::ShowKept(const ObjectInfo& node) {
    FinishAnimation();
    IDObject = node.ID;
    AlbumPath = AlbumFolder(node.ID);
    TimerInterval = 10;
    SlideStep = 2;
    EditMode = Adding = ManualZoom = SlideOnLeave = false;
    BitBtnCansel->setEnabled(true);
    BitBtnCansel->click();  // without the slide: view mode at once
    HideEditButtons();
    LabelWarning->hide();
    show();
    FrameResize();
}

void TfrImages::ShowFor(const ObjectInfo& node) {
    ShowKept(node);
    LabelHeader->setText(ToQString(node.Name));
    LabelDescript->setText(ToQString(node.Descript));
    Reload();
}

void TfrImages::Reload() {
    ClearThumbnails();
    LoadImageList();
    BuildThumbnails();
}

void TfrImages::HideFrame() {
    FinishAnimation();
    EditMode = false;
    hide();
}

bool TfrImages::Leave() {
    if (Modified) {
        SlideOnLeave = false;
        const std::string question = WordImages + " '" + ToStdString(LabelHeader->text()) + "' " +
                                     SentChanged + "\n" + SentSaveChanges;
        if (MessageDlg(question, TMsgDlgType::mtConfirmation, mbYes | mbNo, this) == mrYes)
            BitBtnApply->click();
        else
            BitBtnCanselClick();
        if (Modified) {
            // The user chose to keep the edit and it could not be saved (the failure was
            // shown): the frame stays in edit mode with everything staged, and is not left.
            SlideOnLeave = true;
            return false;
        }
    } else if (BitBtnCansel->isEnabled()) {
        SlideOnLeave = false;
        BitBtnCanselClick();
    }
    if (LastShownNumber != ShownNumber) {
        MarkShownPicture(IDObject, ShownNumber);
        LastShownNumber = ShownNumber;
    }
    return true;
}

int TfrImages::LoadImageList() {
    Pictures = LoadAlbum(IDObject, LastShownNumber);
    PictureCount = static_cast<int>(Pictures.size());
    Redescribed.clear();
    return PictureCount;
}

std::string TfrImages::PicturePath(const ImageInform& picture) const {
    return (picture.Status == 'i' ? StagingFolder(AlbumPath) : AlbumPath) + "/" + picture.FileName;
}

std::string TfrImages::ThumbnailPath(const ImageInform& picture) const {
    return (picture.Status == 'i' ? StagedMiniFolder(AlbumPath) : AlbumPath + "/mini") + "/" +
           ThumbnailName(picture.FileName);
}

void TfrImages::BuildThumbnails() {
    Busy = true;
    ShownNumber = 0;
    RebuildBoxes();
    Busy = false;
    if (PictureCount > 0) ShowImage(LastShownNumber > 0 ? LastShownNumber : 1, false);
}

void TfrImages::ClearThumbnails() {
    for (QGroupBox* box : BoxesArea->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly))
        delete box;
    BoxesArea->resize(kListWidth - 20, 0);
    Shown = QImage();
    ImageMain->clear();
    ShownFileName.clear();
    LabelNameMain->clear();
    LabelDescrMain->clear();
}

QGroupBox* TfrImages::Box(int n) const {
    return BoxesArea->findChild<QGroupBox*>(Numbered("GB", n), Qt::FindDirectChildrenOnly);
}

QLabel* TfrImages::BoxPart(const char* prefix, int n) const {
    const QGroupBox* box = Box(n);
    return box == nullptr ? nullptr : box->findChild<QLabel*>(Numbered(prefix, n));
}

void TfrImages::MakeBox(int n, int position, const ImageInform* picture) {
    auto* box = new QGroupBox(
        QStringLiteral(" %1 ").arg(n == 0 ? QStringLiteral("?") : QString::number(n)), BoxesArea);
    box->setObjectName(Numbered("GB", n));
    box->setGeometry(3, (position - 1) * kBoxPitch, 121, 135);
    box->setFlat(n == ShownNumber && n > 0);
    auto label = [&](QLabel* made, const char* prefix, const QRect& place) {
        made->setObjectName(Numbered(prefix, n));
        made->setGeometry(place);
        made->installEventFilter(this);
        return made;
    };
    QLabel* image = label(new QLabel(box), "IMG", {2, 14, 117, 88});
    image->setAlignment(Qt::AlignCenter);
    // A name or description longer than the box is wide ends with "…".
    QLabel* name = label(new TElidedLabel(box), "LName", {6, 104, 113, 14});
    QLabel* descript = label(new TElidedLabel(box), "LDscr", {6, 118, 113, 14});
    QLabel* warn = label(new QLabel(box), "LWarn", {2, 43, 117, 38});
    warn->setAlignment(Qt::AlignCenter);
    warn->setWordWrap(true);
    warn->hide();
    QLabel* file = label(new QLabel(box), "LFileName", {0, 0, 0, 0});
    file->hide();
    for (QLabel* text : {name, descript}) text->setFont(PixelFont("Arial", 10, false));
    SetBoxColour(n, picture == nullptr ? kBoxBlue : BoxColour(*picture));
    box->installEventFilter(this);
    if (picture == nullptr) {  // the placeholder of the loading dialog
        warn->setText(QStringLiteral("?"));
        warn->setFont(PixelFont("Arial", 29, true));
        warn->setStyleSheet(
            QStringLiteral("color: %1;")
                .arg(palette().color(QPalette::Active, QPalette::Highlight).name()));
        warn->show();
    } else {
        name->setText(ToQString(picture->FileName));
        descript->setText(ToQString(picture->Descript));
        file->setText(ToQString(PicturePath(*picture)));
        image->setProperty("thumbnail", ToQString(ThumbnailPath(*picture)));
    }
    box->show();
}

QColor TfrImages::BoxColour(const ImageInform& picture) const {
    return picture.Status == 'i' || Redescribed.contains(picture.FileName)
               ? kBoxNavy
               : palette().color(QPalette::WindowText);
}

void TfrImages::SetBoxColour(int n, const QColor& colour) {
    QGroupBox* box = Box(n);
    if (box == nullptr) return;
    box->setProperty("colour", colour);
    // The palette, which the box's labels inherit (a style sheet per box costs too much time in
    // an album of a thousand pictures).
    QPalette palette = box->palette();
    palette.setColor(QPalette::WindowText, colour);
    box->setPalette(palette);
}

void TfrImages::RebuildBoxes() {
    for (QGroupBox* box : BoxesArea->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly))
        delete box;
    int position = 0;
    for (const ImageInform& picture : Pictures) {
        if (!picture.IsLive()) continue;
        if (++position == PlaceholderAt) MakeBox(0, position++, nullptr);
        MakeBox(picture.Number, position, &picture);
    }
    if (PlaceholderAt > position) MakeBox(0, ++position, nullptr);
    BoxesArea->resize(kListWidth - 20, position * kBoxPitch);
    LoadVisibleThumbnails();
}

void TfrImages::LoadVisibleThumbnails() {
    const int top = ScrollBoxList->verticalScrollBar()->value();
    const int bottom = top + ScrollBoxList->viewport()->height();
    for (QGroupBox* box : BoxesArea->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly)) {
        if (box->y() + box->height() < top || box->y() > bottom) continue;
        const int n = box->objectName().mid(2).toInt();
        QLabel* image = BoxPart("IMG", n);
        if (image == nullptr || !image->pixmap().isNull()) continue;
        const QString thumbnail = image->property("thumbnail").toString();
        if (thumbnail.isEmpty()) continue;
        QImage loaded;
        QLabel* warn = BoxPart("LWarn", n);
        if (!loaded.load(thumbnail, "BMP")) {
            if (!warn->isVisible()) {
                warn->setText(ToQString(WarnFileIsAbsent));
                warn->setFont(PixelFont("Arial", 11, true));
                warn->setStyleSheet(QStringLiteral("color: #800000;"));
                warn->show();
            }
            continue;
        }
        image->setPixmap(QPixmap::fromImage(
            loaded.scaled(117, 88, Qt::KeepAspectRatio, Qt::FastTransformation)));
    }
}

// ---- The viewer ------------------------------------------------------------------------------

void TfrImages::ShowMissing(const std::string& text) {
    Shown = QImage();
    ImageMain->clear();
    LabelWarning->setText(ToQString(text));
    LabelWarning->setStyleSheet(QStringLiteral("color: #800000;"));
    LabelWarning->setGeometry(10, ScrollBoxImage->viewport()->height() / 2,
                              std::max(ScrollBoxImage->viewport()->width() - 20, 20), 60);
    LabelWarning->show();
}

void TfrImages::ShowImage(int n, bool force) {
    if (Busy || (n == ShownNumber && !force)) return;
    Busy = true;
    if (QGroupBox* old = Box(ShownNumber)) old->setFlat(false);
    if (QGroupBox* box = Box(n)) box->setFlat(true);
    const QLabel* file = BoxPart("LFileName", n);
    const std::string path = file == nullptr ? std::string() : ToStdString(file->text());
    std::error_code error;
    if (!path.empty() && fs::exists(path, error)) {
        LabelWarning->hide();
        ShownFileName = ToStdString(BoxPart("LName", n)->text());
        LabelNameMain->setText(QStringLiteral("%1). %2").arg(n).arg(ToQString(ShownFileName)));
        LabelDescrMain->setText(BoxPart("LDscr", n)->text());
        ScrollBoxList->ensureWidgetVisible(Box(n), 0, 0);
        ManualZoom = false;
        ScrollBoxImage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        ScrollBoxImage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        ShownNumber = n;
        QImage picture;
        if (LoadPictureBitmap(path, picture) == kPictureLoaded) {
            Shown = picture;
            ImageMain->setPixmap(QPixmap::fromImage(Shown));
            FitImage();
        } else {
            ShowMissing(ReplaceAllText(WarnDamaged, "[name]", path));
        }
        if (EditMode) PlacePictureButtons(n);
    } else if (n > 0) {
        ShowMissing(WarnFileIsAbsent + "   " + path);
        ShownNumber = n;
    }
    Busy = false;
}

void TfrImages::FitImage() {
    if (Shown.isNull() || ManualZoom) return;
    const int w = Shown.width(), h = Shown.height();
    const int W = ScrollBoxImage->viewport()->width(), H = ScrollBoxImage->viewport()->height();
    ScrollBoxImage->widget()->resize(W, H);
    // Reduced to the viewer in proportion when larger, its own size in the middle when not.
    QSize size(w, h);
    if (w > W - 4 || h > H - 4)
        size.scale(std::max(W - 4, 1), std::max(H - 4, 1), Qt::KeepAspectRatio);
    ImageMain->setGeometry(W / 2 - size.width() / 2 - 1, H / 2 - size.height() / 2 - 1,
                           size.width(), size.height());
}

void TfrImages::ManualZoomOn() {
    ManualZoom = true;
    ScrollBoxImage->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBoxImage->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void TfrImages::ResizeImage(int width, int height) {
    QWidget* canvas = ScrollBoxImage->widget();
    const QSize client = ScrollBoxImage->viewport()->size();
    canvas->resize(std::max(width, client.width()), std::max(height, client.height()));
    ImageMain->setGeometry(width < client.width() ? client.width() / 2 - width / 2 : 0,
                           height < client.height() ? client.height() / 2 - height / 2 : 0, width,
                           height);
}

void TfrImages::ZoomKeepingPlace(int width, int height) {
    // Each scroll bar keeps its position's share of its range, so that the part of the picture
    // in view stays in view.
    QScrollBar* const bars[] = {ScrollBoxImage->horizontalScrollBar(),
                                ScrollBoxImage->verticalScrollBar()};
    double share[2] = {0, 0};
    for (int i = 0; i < 2; ++i)
        if (bars[i]->maximum() > 0) share[i] = double(bars[i]->value()) / bars[i]->maximum();
    ResizeImage(width, height);
    for (int i = 0; i < 2; ++i) bars[i]->setValue(qRound(bars[i]->maximum() * share[i]));
}

void TfrImages::BitBtnZoomPlusClick() {
    if (Shown.isNull()) return;
    ManualZoomOn();
    const int w = ImageMain->width(), h = ImageMain->height();
    ZoomKeepingPlace(w + std::max(w / 10, 1), h + std::max(h / 10, 1));
}

void TfrImages::BitBtnZoomMinusClick() {
    if (Shown.isNull()) return;
    ManualZoomOn();
    const int w = ImageMain->width(), h = ImageMain->height();
    ZoomKeepingPlace(w - w / 10, h - h / 10);
}

void TfrImages::BitBtnSelfSizeClick() {
    if (Shown.isNull()) return;
    ManualZoomOn();
    ResizeImage(Shown.width(), Shown.height());
    for (QScrollBar* bar :
         {ScrollBoxImage->horizontalScrollBar(), ScrollBoxImage->verticalScrollBar()})
        bar->setValue(bar->maximum() / 2);
}

void TfrImages::BitBtnActualSizeClick() {
    ManualZoom = false;
    ScrollBoxImage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBoxImage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FitImage();
}

void TfrImages::BitBtnSaveClick() {
    const QLabel* file = BoxPart("LFileName", ShownNumber);
    if (file == nullptr || Shown.isNull()) return;
    const QString target = SavePicker()(this, ToQString(ShownFileName));
    if (target.isEmpty()) return;
    const std::string source = ToStdString(file->text());
    // The picture's own bytes where the chosen kind is its kind; converted otherwise.
    const bool sameKind =
        IsJpegName(source) == IsJpegName(ToStdString(target)) && IsPictureName(ToStdString(target));
    std::error_code error;
    bool saved = false;
    if (sameKind) {
        saved =
            fs::copy_file(source, ToStdString(target), fs::copy_options::overwrite_existing, error);
    } else {
        saved = Shown.save(target, IsJpegName(ToStdString(target)) ? "JPG" : "BMP");
    }
    if (!saved)
        MessageDlg(ToStdString(target) + (error ? ": " + error.message() : std::string()),
                   TMsgDlgType::mtError, mbOK, this);
}

void TfrImages::BitBtnPrintClick() {
    QImage bitmap;
    if (PictureToBitmap(Shown, bitmap) != kPictureLoaded) return;
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintBitmap(bitmap, 16, printer.copyCount(), 'f', printer);
}

void TfrImages::CopyImagetoClipboardClick() {
    QImage bitmap;
    if (PictureToBitmap(Shown, bitmap) == kPictureLoaded) CopyBitmapToClipboard(bitmap);
}

void TfrImages::CopyNametoClipboard1Click() {
    if (ShownNumber > 0) QApplication::clipboard()->setText(ToQString(ShownFileName));
}

void TfrImages::CopyDescripttoClipboard1Click() {
    if (ShownNumber > 0) QApplication::clipboard()->setText(LabelDescrMain->text());
}

void TfrImages::ImageMainDblClick() {
    const QLabel* file = BoxPart("LFileName", ShownNumber);
    if (file == nullptr) return;
    // A copy in the temp folder is opened, so that the program that shows it cannot change the
    // album's picture.
    const fs::path source = ToStdString(file->text());
    const fs::path copy = fs::path(ShellServices().State().TempPath) / source.filename();
    std::error_code error;
    if (fs::copy_file(source, copy, fs::copy_options::overwrite_existing, error))
        OpenDocumentOrTell(copy.string(), this);
}

bool TfrImages::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ImageMain && event->type() == QEvent::MouseButtonDblClick) {
        ImageMainDblClick();
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress && watched != ImageMain) {
        const QString name = watched->objectName();
        const int digits = static_cast<int>(
            std::find_if(name.begin(), name.end(), [](QChar c) { return c.isDigit(); }) -
            name.begin());
        const int n = name.mid(digits).toInt();
        if (n > 0) {
            ManualZoom = false;
            ShowImage(n, false);
        }
    }
    return TFrameBase::eventFilter(watched, event);
}

// ---- Report ----------------------------------------------------------------------------------

namespace {

// The album report with its pictures written from the album folder, a bitmap through the temp
// folder.
class TAlbumReport : public TImagesReportData {
public:
    void WritePicture(FILE* report, int number, TLabelPictureSize size, int row) override {
        const std::string path = PicturePath(number, row);
        if (path.empty()) return;
        WriteReportPicture(path, size, report, ShellServices().State().TempPath);
    }
};

}  // namespace

std::unique_ptr<TReportData> TfrImages::ReportSource(const std::string& name,
                                                     const std::string& descript) const {
    auto data = std::make_unique<TAlbumReport>();
    data->Name = name;
    data->Descript = descript;
    data->Album = AlbumPath;
    data->ShownFileName = ShownFileName;
    data->ShownDescript = ToStdString(LabelDescrMain->text());
    for (const ImageInform& picture : Pictures)
        if (picture.IsLive()) data->Entries.push_back({picture.FileName, picture.Descript});
    return data;
}

void TfrImages::BitBtnReportClick() {
    if (!BitBtnEdit->isEnabled()) return;
    ShowReportWindow(this, IDObject, [this](const std::string& name, const std::string& descript) {
        return ReportSource(name, descript);
    });
}

// ---- Edit mode -------------------------------------------------------------------------------

void TfrImages::SetViewButtons(bool edit) {
    BitBtnEdit->setEnabled(!edit);
    BitBtnApply->setEnabled(edit);
    BitBtnCansel->setEnabled(edit);
    BitBtnClear->setEnabled(edit);
    BitBtnSave->setEnabled(!edit);
    BitBtnPrint->setEnabled(!edit);
    BitBtnReport->setEnabled(!edit);
}

void TfrImages::HideEditButtons() {
    for (QWidget* control : std::initializer_list<QWidget*>{
             BitBtnAddPicture, ImageAddPicture, BitBtnEditPicture, ImageEditPicture,
             BitBtnDelPicture, ImageDelPicture, BitBtnPictureUp, ImagePictureUp, BitBtnPictureDown,
             ImagePictureDown, BitBtnAppendPicture, ImageAppendPicture})
        control->hide();
}

void TfrImages::ShowEditButtons() {
    const int bottom = ScrollBoxList->y() + ScrollBoxList->height();
    BitBtnAppendPicture->move(3, bottom - kRowButtonHeight);
    ImageAppendPicture->move(3 + kRowPictureLeft, bottom - kRowButtonHeight + kRowPictureTop);
    BitBtnAppendPicture->show();
    ImageAppendPicture->show();
    ImageAppendPicture->raise();
    PlacePictureButtons(ShownNumber);
}

void TfrImages::PlacePictureButtons(int n) {
    const QGroupBox* box = Box(n);
    const int listTop = ScrollBoxList->y();
    const int limit = listTop + ScrollBoxList->height() - 2 * kRowButtonHeight - 3;
    const int a =
        box == nullptr ? 0 : box->y() - ScrollBoxList->verticalScrollBar()->value() + listTop;
    const std::pair<QPushButton*, QLabel*> buttons[] = {{BitBtnAddPicture, ImageAddPicture},
                                                        {BitBtnEditPicture, ImageEditPicture},
                                                        {BitBtnDelPicture, ImageDelPicture},
                                                        {BitBtnPictureUp, ImagePictureUp},
                                                        {BitBtnPictureDown, ImagePictureDown}};
    const int offsets[] = {3, 19, 35, 111, 111 + kRowButtonHeight};
    for (size_t i = 0; i < std::size(buttons); ++i) {
        const int top = a + offsets[i];
        const bool shown = EditMode && box != nullptr && top > listTop && top < limit;
        buttons[i].first->setVisible(shown);
        buttons[i].second->setVisible(shown);
        if (!shown) continue;
        buttons[i].first->move(3, top);
        buttons[i].second->move(3 + kRowPictureLeft, top + kRowPictureTop);
        buttons[i].second->raise();
    }
}

void TfrImages::FinishAnimation() {
    while (Timer1->isActive()) Timer1Timer();
}

void TfrImages::BitBtnEditClick() {
    if (!BitBtnEdit->isEnabled()) return;
    FinishAnimation();
    Modified = false;
    SlideOnLeave = true;
    SetViewButtons(true);
    ActionCode = 'e';
    Timer1->setInterval(TimerInterval);
    Timer1->start();
}

void TfrImages::Timer1Timer() {
    const int step = std::max(SlideStep, 1);
    if (ActionCode == 'e') {
        const int left = std::min(ScrollBoxList->x() + step, kListLeftEdit);
        PlaceList(left);
        if (left < kListLeftEdit) return;
        Timer1->stop();
        EditMode = true;
        ShowEditButtons();
    } else {
        const int left = std::max(ScrollBoxList->x() - step, kListLeft);
        PlaceList(left);
        if (left <= kListLeft) Timer1->stop();
    }
}

void TfrImages::LeaveEditMode() {
    FinishAnimation();
    EditMode = false;
    SetViewButtons(false);
    HideEditButtons();
    if (SlideOnLeave) {
        ActionCode = 'c';
        Timer1->setInterval(TimerInterval);
        Timer1->start();
    } else {
        PlaceList(kListLeft);
    }
}

bool TfrImages::Ask(const std::string& question) {
    return MessageDlg(question, TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, this) ==
           mrYes;
}

void TfrImages::BitBtnCanselClick() {
    if (!BitBtnCansel->isEnabled()) return;
    FinishAnimation();
    if (Modified && SlideOnLeave && !Ask(QuestionCancel)) return;
    LeaveEditMode();
    if (!Modified) return;
    DeleteStagedFiles(AlbumPath);
    Reload();
    Modified = false;
}

void TfrImages::BitBtnApplyClick() {
    if (!BitBtnApply->isEnabled()) return;
    FinishAnimation();
    if (Modified) {
        std::string error;
        BitBtnApply->setEnabled(false);
        BitBtnCansel->setEnabled(false);
        BitBtnClear->setEnabled(false);
        const int applied = SaveEdits([this, &error] {
            return JournalImagesChange(IDObject, ToStdString(LabelHeader->text()), Pictures, error);
        });
        if (applied <= 0) {
            // Nothing was applied and every file is where it was: the edit goes on. A file that
            // could not be moved is named in `error`.
            SetViewButtons(true);
            if (!error.empty()) MessageDlg(error, TMsgDlgType::mtError, mbOK, this);
            return;
        }
        LetMessagesRun();
    }
    LeaveEditMode();
    if (!Modified) return;
    DeleteStagedFiles(AlbumPath);
    const int shown = ShownNumber;
    const int scroll = ScrollBoxList->verticalScrollBar()->value();
    Reload();
    ShowImage(shown, false);
    ScrollBoxList->verticalScrollBar()->setValue(scroll);
    Modified = false;
}

void TfrImages::BitBtnClearClick() {
    if (!EditMode || !Ask(QuestionClear)) return;
    Modified = true;
    ClearPictures(Pictures, AlbumPath);
    ClearThumbnails();
    ShownNumber = 0;
    PictureCount = 0;
    PlacePictureButtons(0);
}

void TfrImages::BitBtnDelPictureClick() {
    if (!EditMode || IndexOfNumber(Pictures, ShownNumber) < 0 || !Ask(QuestionDel)) return;
    const int n = ShownNumber;
    RemovePicture(Pictures, n, AlbumPath);
    Modified = true;
    PictureCount = CountLive(Pictures);
    ShownNumber = 0;
    RebuildBoxes();
    if (PictureCount == 0) {
        ClearThumbnails();
        PlacePictureButtons(0);
        return;
    }
    ShowImage(std::min(n, PictureCount), true);
}

void TfrImages::MovePicture(int by) {
    LetMessagesRun();
    if (!EditMode || !::MovePicture(Pictures, ShownNumber, by)) return;
    Modified = true;
    ShownNumber += by;
    RebuildBoxes();
    LabelNameMain->setText(
        QStringLiteral("%1). %2").arg(ShownNumber).arg(ToQString(ShownFileName)));
    ScrollBoxList->ensureWidgetVisible(Box(ShownNumber), 0, 0);
    PlacePictureButtons(ShownNumber);
}

void TfrImages::BitBtnPictureUpClick() {
    MovePicture(-1);
}

void TfrImages::BitBtnPictureDownClick() {
    MovePicture(+1);
}

void TfrImages::OpenLoadDialog(bool append) {
    if (!EditMode) return;
    Adding = true;
    auto* dialog = new TfLoadImage(*this);
    dialog->AppendMode = append;
    dialog->exec();  // it frees itself when it closes
}

void TfrImages::BitBtnAddPictureClick() {
    OpenLoadDialog(PictureCount == 0);
}

void TfrImages::BitBtnAppendPictureClick() {
    OpenLoadDialog(true);
}

void TfrImages::BitBtnEditPictureClick() {
    if (!EditMode || IndexOfNumber(Pictures, ShownNumber) < 0) return;
    auto* dialog = new TfChangeImageDescr(*this);
    dialog->exec();  // it frees itself when it closes
}

void TfrImages::PMenuImgPopup() {
    const bool edit = !BitBtnEdit->isEnabled();
    for (const auto& [item, button] :
         {std::pair{InsertImage, BitBtnAddPicture}, std::pair{EditImage, BitBtnEditPicture},
          std::pair{DelImage, BitBtnDelPicture}}) {
        if (!edit)
            item->setEnabled(false);
        else if (button->isVisible())
            item->setEnabled(true);
    }
    AppendImage->setEnabled(edit);
}

// ---- Layout ----------------------------------------------------------------------------------

void TfrImages::resizeEvent(QResizeEvent* event) {
    TFrameBase::resizeEvent(event);
    FrameResize();
}

void TfrImages::PlaceList(int left) {
    const int h = std::max(height() - 77, 60);
    ScrollBoxList->setGeometry(left, kListTop, kListWidth, h);
    const int viewerLeft = left + kListWidth;
    const int viewerWidth = std::max(width() - viewerLeft - 3, 40);
    ScrollBoxImage->setGeometry(viewerLeft, kListTop, viewerWidth, h - kPanelHeight);
    PanelDetail->setGeometry(viewerLeft, kListTop + h - kPanelHeight, viewerWidth, kPanelHeight);
    LabelNameMain->setGeometry(4, 2, viewerWidth - 8, 16);
    LabelDescrMain->setGeometry(4, 18, viewerWidth - 8, 16);
    FitImage();
}

void TfrImages::FrameResize() {
    const int w = width(), h = height();
    LabelHeader->setGeometry(40, 6, std::max(w - 75, 10), 18);
    LabelDescript->setGeometry(40, 24, std::max(w - 75, 10), 16);
    ButtonHelp->setGeometry(w - 25, 6, 22, 22);
    PlaceList(ScrollBoxList->x() < kListLeft ? kListLeft : ScrollBoxList->x());
    int left = 3;
    for (QPushButton* button : {BitBtnEdit, BitBtnApply, BitBtnCansel, BitBtnClear}) {
        button->adjustSize();
        button->setGeometry(left, h - 25, std::max(button->width(), 75), 23);
        left += button->width() + 4;
    }
    int right = w - 35;
    BitBtnReport->move(right, h - 24);
    for (QPushButton* button : {BitBtnPrint, BitBtnSave}) {
        right -= button->width();
        button->move(right, h - 24);
    }
    right -= 5;
    for (QPushButton* button :
         {BitBtnZoomMinus, BitBtnZoomPlus, BitBtnSelfSize, BitBtnActualSize}) {
        right -= button->width();
        button->move(right, h - 24);
    }
    if (EditMode) ShowEditButtons();
    LoadVisibleThumbnails();
}

TfrImages& RegisterImagesFrame(TFrameRegistry& frames, QWidget& parent) {
    auto frame = std::make_unique<TfrImages>(&parent);
    frames.RegisterFrame(otImages, *frame);
    return *frame.release();  // the panel owns it
}
