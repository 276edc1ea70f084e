// The report window: the templates of the object's type listed, a report made from the selected
// one into a file the user chooses and opened, a template deleted, a template's source saved
// for editing.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "reports/U_freport_templates.h"
#include "reports/U_reportmake.h"
#include "shell/DialogBase.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

// What the frame that opens the window reports: its object's values as the frame shows them,
// given the object's name and description from the tree.
using TReportDataSource = std::function<std::unique_ptr<TReportData>(const std::string& name,
                                                                     const std::string& descript)>;

// The desktop's save dialog, which tests answer instead: the chosen file or empty.
using TReportSavePicker = std::function<QString(QWidget* parent, const QString& proposed)>;
TReportSavePicker SetReportSavePicker(TReportSavePicker picker);

class TfReport : public TDialogBase {
    Q_OBJECT

public:
    TfReport(QWidget* parent, int idObject, TReportDataSource source);

    // The reported object, read from the tree at the show.
    int IDObject = 0;
    int ObjectType = 0;
    std::string ObjectName;
    std::string ObjectDescript;
    // The templates folder of the object's type, ending in "/".
    std::string TemplatesDir;
    // The templates listed, grid row k being Templates[k - 1].
    std::vector<TTemplateEntry> Templates;

    // Fills the grid from the folder: rows 1 to Templates.size(), then one empty row.
    void FillTemplateList();
    // Fills it again keeping the selected row where it can.
    void RefreshTemplateList();
    // The selected template; null on the empty row.
    const TTemplateEntry* SelectedTemplate() const;

    void BitBtnCreateReportClick();
    // Opens the template creation dialog for the object's type; the list follows what it made.
    void BitBtnCreateTltClick();
    void BitBtnDelTltClick();
    void BitBtnSaveTltSourceClick();

    QLabel* LabelFor;
    QLabel* LabelStep1;
    QLabel* LabelTemplates;
    QTableWidget* StringGridTlt;
    QPushButton* BitBtnCreateTlt;
    QPushButton* BitBtnSaveTltSource;
    QPushButton* BitBtnDelTlt;
    QProgressBar* ProgressBar1;
    QPushButton* BitBtnCreateReport;
    QPlainTextEdit* MemoDescript;

protected:
    void FormShow() override;

private:
    // The template buttons follow the selection: they act on a template only.
    void SelectionChanged();
    TReportCommon CommonValues() const;

    TReportDataSource source_;
    std::string questionDel_, reportFailed_;
};

// Opens the report window of the object modally; it frees itself at its close.
void ShowReportWindow(QWidget* parent, int idObject, TReportDataSource source);
