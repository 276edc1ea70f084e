// The picture loading dialog: picture files added to the album that the album frame edits,
// staged with their thumbnails until the frame's Apply.
#pragma once

#include <QStringList>
#include <functional>
#include <string>

#include "shell/DialogBase.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class TfrImages;

// The pictures a user chooses (the desktop's file dialog unless a test answers); an empty list
// when cancelled. Setting one returns the picker set before; none: the desktop's dialog again.
using TPicturesPicker = std::function<QStringList(QWidget* parent)>;
TPicturesPicker SetPicturesPicker(TPicturesPicker picker);

class TfLoadImage : public TDialogBase {
    Q_OBJECT

public:
    explicit TfLoadImage(TfrImages& frame);

    void BitBtnChoicePictureClick();
    void accept() override;

    QLabel* LabelHeader;
    QLabel* Label1;
    QPushButton* BitBtnChoicePicture;
    QLabel* Image1;
    QPlainTextEdit* MemoDescript;
    QLabel* LabeFileName;
    QLabel* LabelDescr;
    QLineEdit* EditDescr;

    bool Done = false;
    bool AppendMode = false;
    std::string ErrFileExists, ErrFileNameTooLong, ErrNotPicture, ErrDamaged, ErrNotWritten;
    QStringList Chosen;  // the chosen files' paths

protected:
    void FormShow() override;
    void FormClose() override;

private:
    TfrImages& frame_;
    int at_ = 1;  // the place of the new pictures
};
