// Asking the user for an archive file to write or to read, through a picker that tests replace.
#pragma once

#include <QString>
#include <functional>

class QWidget;

// What the picker is asked: a file to save (the desktop asks before overwriting) or to open,
// the folder and name shown first, the filter ("Vemly export files (*.vlexport)" entries
// separated by ";;") and the default extension of a saved name ("vlexport").
struct TArchivePick {
    bool Save = false;
    QString Start;
    QString Filter;
    QString DefaultSuffix;
};
// Answers the path picked, or an empty text when the user cancelled.
using TArchivePicker = std::function<QString(QWidget* parent, const TArchivePick& pick)>;
// Replaces the picker (the desktop's file dialog), or brings the desktop's back for an empty
// function; returns the one set before.
TArchivePicker SetArchivePicker(TArchivePicker picker);
// Asks the picker that is set.
QString PickArchive(QWidget* parent, const TArchivePick& pick);
