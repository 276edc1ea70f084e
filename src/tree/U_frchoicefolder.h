// The tree chooser's frame for moving an object: the object, the folder it comes from and the
// folder it goes to.
#pragma once

#include <QFrame>
#include <string>

class QColor;
class QLabel;
class QPixmap;
class QPlainTextEdit;
class QPushButton;
class TLangFile;

// Made by the chooser at each show in its move mode and freed when the chooser closes. The
// chooser fills the three groups; the frame reads its own texts.
class TfrChoiceFolder : public QFrame {
    Q_OBJECT

public:
    // The three groups of the frame, each an icon, a name and a description.
    enum class TGroup { Object, From, To };

    // `memoColor`: the font colour of the description line.
    TfrChoiceFolder(QWidget* parent, const QColor& memoColor);

    // The captions and the help hint from the section [ChoiceFolder] of the chooser's language
    // file, and the description line (`Descript`).
    void ReadTexts(const TLangFile& texts);
    // Shows the icon, name and description in the group; a null picture and empty texts empty
    // it.
    void ShowGroup(TGroup group, const QPixmap& image, const std::string& name,
                   const std::string& descript);

    QLabel* LabelHeader;
    QPushButton* ButtonHelp;
    QPlainTextEdit* MemoDescript;
    QLabel* LabelObject;
    QLabel* ImageObject;
    QLabel* LabelObjectName;
    QLabel* LabelObjectDescript;
    QLabel* LabelFrom;
    QLabel* ImageFrom;
    QLabel* LabelFolderFrom;
    QLabel* LabelDescriptFrom;
    QLabel* LabelTo;
    QLabel* ImageTo;
    QLabel* LabelFolderTo;
    QLabel* LabelDescriptTo;
};
