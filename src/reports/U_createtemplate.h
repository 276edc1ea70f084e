// The template creation dialog: a source RTF document of the user's made a template of the
// report window's object type, with its name, description, word processor and character set.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "shell/DialogBase.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The desktop's open dialog for the source document, which tests answer instead: the chosen
// file or empty.
using TSourcePicker = std::function<QString(QWidget* parent, const QString& folder)>;
TSourcePicker SetTemplateSourcePicker(TSourcePicker picker);

class TfCreateTemplate : public TDialogBase {
    Q_OBJECT

public:
    // `templatesDir`: the object type's templates folder (ending in "/"); `onMade` refreshes the
    // report window's list after a template was made.
    TfCreateTemplate(QWidget* parent, int objectType, std::string templatesDir,
                     std::function<void()> onMade);

    int ObjectType;

    QLabel* LabelFor;
    QLineEdit* EditSource;
    QPushButton* BitBtnSource;
    QLineEdit* EditName;
    QLineEdit* EditDescript;
    QComboBox* ComboBoxOffice;
    QComboBox* ComboBoxCharSet;
    QPushButton* ButtonCharSetSystem;
    QPushButton* BitBtnHelpCreate;
    QPlainTextEdit* MemoDescript;

    void BitBtnSourceClick();
    // The character sets of the data folder's fcharset.cfg, the user's language's selected.
    void ButtonCharSetSystemClick();
    // Makes the template; a failure is named in a message and the dialog stays open.
    void BitBtnCreateTltClick();

protected:
    void FormShow() override;

private:
    // OK (the create button) is enabled exactly while the source exists and a name is given.
    void InputsChanged();

    std::string templatesDir_;
    std::function<void()> onMade_;
    std::string noFreeName_, compileFailed_, copyFailed_, replaceSourceQ_;
};
