// Asking the user for an archive file, through the desktop's file dialog or a test's picker.
#include "exchange/ArchivePicker.h"

#include <QFileDialog>

namespace {

QString DesktopPick(QWidget* parent, const TArchivePick& pick) {
    QFileDialog dialog(parent, QString(), pick.Start, pick.Filter);
    dialog.setAcceptMode(pick.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(pick.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!pick.DefaultSuffix.isEmpty()) dialog.setDefaultSuffix(pick.DefaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

TArchivePicker& Picker() {
    static TArchivePicker picker;
    return picker;
}

}  // namespace

TArchivePicker SetArchivePicker(TArchivePicker picker) {
    return std::exchange(Picker(), std::move(picker));
}

QString PickArchive(QWidget* parent, const TArchivePick& pick) {
    return Picker() ? Picker()(parent, pick) : DesktopPick(parent, pick);
}
