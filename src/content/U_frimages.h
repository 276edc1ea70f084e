// The image album frame: the album's pictures as a column of thumbnail boxes beside a viewer
// with zoom, save, print and clipboard; in edit mode pictures are added, re-described, deleted,
// moved and cleared, and Apply writes the album as one journal transaction.
#pragma once

#include <QColor>
#include <QImage>
#include <QStringList>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "content/U_frimages_album.h"
#include "reports/U_reportmake.h"
#include "shell/FrameRegistry.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QTimer;

// The file a user saves the shown picture to (the desktop's dialog unless a test answers);
// empty when cancelled. `proposed` is the picture's name.
using TSavePicker = std::function<QString(QWidget* parent, const QString& proposed)>;
TSavePicker SetSavePicker(TSavePicker picker);

// Box colours: a stored picture's, an added or re-described one's, the placeholder's and the
// box whose description is being edited.
inline const QColor kBoxNavy{0, 0, 0x80};
inline const QColor kBoxBlue{0, 0, 0xFF};

class TfrImages : public TFrameBase {
    Q_OBJECT

public:
    explicit TfrImages(QWidget* parent);

    void ShowFor(const ObjectInfo& node) override;
    void ShowKept(const ObjectInfo& node) override;
    bool Leave() override;
    void HideFrame() override;
    QWidget* MainControl() const override;

    // The album's rows into the edit list: the count of pictures.
    int LoadImageList();
    // One box per live picture (and the loading dialog's placeholder), then the picture shown
    // last (or the first) in the viewer.
    void BuildThumbnails();
    // Every box goes; the viewer and its texts are emptied.
    void ClearThumbnails();
    // The boxes again from the edit list, the shown picture's box flat; thumbnails load as their
    // boxes come into view.
    void RebuildBoxes();
    // Shows picture n in the viewer (nothing while busy, or when it is shown and not forced).
    void ShowImage(int n, bool force);
    void FitImage();
    void PlacePictureButtons(int n);
    void HideEditButtons();
    int CountLiveImages() const { return CountLive(Pictures); }
    // The path of picture n's file and of its thumbnail (staged ones in the staging folders).
    std::string PicturePath(const ImageInform& picture) const;
    std::string ThumbnailPath(const ImageInform& picture) const;
    // The box of picture n and one of its parts ("IMG", "LName", "LDscr", "LWarn",
    // "LFileName"); null when there is none.
    QGroupBox* Box(int n) const;
    QLabel* BoxPart(const char* prefix, int n) const;
    // The font colour of box n and its name and description.
    void SetBoxColour(int n, const QColor& colour);
    // The colour a picture's box has: navy for one added or re-described in this edit.
    QColor BoxColour(const ImageInform& picture) const;
    // Loads the thumbnails of the boxes in view that have none yet.
    void LoadVisibleThumbnails();
    void FinishAnimation();

    // The album report's values and pictures: the shown picture and the live pictures in list
    // order, with the object's name and description.
    std::unique_ptr<TReportData> ReportSource(const std::string& name,
                                              const std::string& descript) const;

    // The commands.
    void BitBtnEditClick();
    void BitBtnReportClick();
    void BitBtnApplyClick();
    void BitBtnCanselClick();
    void BitBtnClearClick();
    void BitBtnAddPictureClick();
    void BitBtnAppendPictureClick();
    void BitBtnEditPictureClick();
    void BitBtnDelPictureClick();
    void BitBtnPictureUpClick();
    void BitBtnPictureDownClick();
    void BitBtnZoomPlusClick();
    void BitBtnZoomMinusClick();
    void BitBtnActualSizeClick();
    void BitBtnSelfSizeClick();
    void BitBtnSaveClick();
    void BitBtnPrintClick();
    void ImageMainDblClick();
    void CopyImagetoClipboardClick();
    void CopyNametoClipboard1Click();
    void CopyDescripttoClipboard1Click();
    void PMenuImgPopup();
    void Timer1Timer();

    // Controls.
    QScrollArea* ScrollBoxList;
    QWidget* BoxesArea;  // the column of boxes inside ScrollBoxList
    QScrollArea* ScrollBoxImage;
    QLabel* ImageMain;
    QLabel* LabelWarning;
    QWidget* PanelDetail;
    QLabel* LabelNameMain;
    QLabel* LabelDescrMain;
    QPushButton *BitBtnEdit, *BitBtnApply, *BitBtnCansel, *BitBtnClear, *BitBtnActualSize,
        *BitBtnSelfSize, *BitBtnZoomPlus, *BitBtnZoomMinus, *BitBtnSave, *BitBtnPrint,
        *BitBtnReport;
    QPushButton *BitBtnAddPicture, *BitBtnEditPicture, *BitBtnDelPicture, *BitBtnPictureUp,
        *BitBtnPictureDown, *BitBtnAppendPicture;
    QLabel *ImageAddPicture, *ImageEditPicture, *ImageDelPicture, *ImagePictureUp,
        *ImagePictureDown, *ImageAppendPicture;
    QMenu* PopupMenuImage;
    QAction *CopyImagetoClipboard, *CopyNametoClipboard1, *CopyDescripttoClipboard1;
    QMenu* PMenuImg;
    QAction *InsertImage, *EditImage, *DelImage, *AppendImage;
    QTimer* Timer1;

    // State.
    int IDObject = 0;
    char ActionCode = 0;
    TPictureList Pictures;
    std::string ShownFileName;
    QImage Shown;  // the picture in the viewer
    bool EditMode = false;
    bool Adding = false;
    bool SlideOnLeave = false;
    int TimerInterval = 10;
    int SlideStep = 2;
    bool ManualZoom = false;
    int ShownNumber = 0;
    int PictureCount = 0;
    int LastShownNumber = 0;
    bool Modified = false;
    bool Busy = false;
    // The place of the loading dialog's placeholder box, 0 for none.
    int PlaceholderAt = 0;
    // The pictures given a new description in this edit, by file name (their boxes are navy).
    std::set<std::string> Redescribed;
    std::string WordImages, SentChanged, SentSaveChanges;
    std::string WarnFileIsAbsent, QuestionDel, QuestionClear, QuestionCancel;
    std::string WarnDamaged;  // "[name]" stands for the picture's path
    std::string AlbumPath;    // the album's folder

protected:
    void ReadFrameTexts(const TLangFile& texts, const std::string& section) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void FrameResize();
    void PlaceList(int left);
    void SetViewButtons(bool edit);
    void LeaveEditMode();
    void ShowEditButtons();
    void MakeBox(int n, int position, const ImageInform* picture);
    void ShowMissing(const std::string& text);
    void ManualZoomOn();
    void ResizeImage(int width, int height);
    // ResizeImage for the zoom buttons: the scroll bars keep their relative place.
    void ZoomKeepingPlace(int width, int height);
    bool Ask(const std::string& question);
    void MovePicture(int by);
    void OpenLoadDialog(bool append);
    void Reload();
};

// Makes the image album frame in the main window's frame panel (hidden) and registers it for
// image albums.
TfrImages& RegisterImagesFrame(TFrameRegistry& frames, QWidget& parent);
