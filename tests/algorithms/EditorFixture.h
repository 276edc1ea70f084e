// The algorithm editor opened offscreen over a small budget, with a recording chooser and the
// action's error window recorded.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <functional>

#include "algorithms/SmallBudget.h"
#include "algorithms/U_fcalculation.h"
#include "algorithms/U_ferrors.h"
#include "common/ScopedMessageDlg.h"
#include "platform/Text.h"

// The chooser that the editor asks: each call recorded, the datum changed by `choose`.
class FakeChooser : public TCalculationHost {
public:
    void ChooseSource(ExtData& datum, int idExcluded) override {
        excluded.push_back(idExcluded);
        if (choose) choose(datum);
    }
    std::function<void(ExtData&)> choose;
    std::vector<int> excluded;
};

inline TDateTime Day(int year, int month, int day) {
    return EncodeDate(year, month, day);
}

class EditorFixture : public SmallBudget {
protected:
    EditorFixture() {
        shell.state.DataPath = folders.DataPath();
        shell.state.NamesSep = "\\";
        closer_.setSingleShot(true);
        closer_.setInterval(0);
        QObject::connect(&closer_, &QTimer::timeout, [] {
            if (auto* list = qobject_cast<TfErrors*>(QApplication::activeModalWidget()))
                list->close();
        });
        previousWindow_ = SetGlobalErrorsWindow([this] {
            ++errorWindows;
            shownErrors = ErrWatch().Errors;
        });
    }
    ~EditorFixture() override {
        delete editor.data();
        SetGlobalErrorsWindow(std::move(previousWindow_));
    }

    // A number with one constant item.
    static void AddConstant(int number, const std::string& name, TDateTime begin,
                            const char* value) {
        AddObject(number, 0, 50, name);
        AddRow("Numbers.db",
               {{"ID", number}, {"DateBegin", begin}, {"ItemType", "C"}, {"ConstValue", value}});
    }

    // Shows the editor on the algorithm, not modally.
    TfCalculation& Open(const Algorithm01& a, TDateTime date = Day(2024, 6, 1)) {
        algorithm = a;
        editor = new TfCalculation(chooser);
        editor->Algorithm = &algorithm;
        editor->DateCalc = date;
        editor->Stored = &stored;
        editor->show();
        QCoreApplication::processEvents();
        return *editor;
    }
    TfCalculation& OpenText(const std::string& text) {
        Algorithm01 a;
        a.Name = "Trial";
        a.Valid = true;
        a.Text = text;
        return Open(a);
    }
    TfCalculation& OpenEditing(const std::string& text) {
        TfCalculation& e = OpenText(text);
        e.BitBtnEdit->click();
        return e;
    }

    std::string Text() const { return ToStdString(editor->RichEditAlg().toPlainText()); }
    // Puts the caret at the position of the shown text (an edit position).
    void Caret(int position) const {
        QTextCursor caret = editor->RichEditAlg().textCursor();
        caret.setPosition(position);
        editor->RichEditAlg().setTextCursor(caret);
    }
    // The foreground colour at an edit position, as #rrggbb.
    std::string ColorAt(int position) const {
        QTextCursor cursor(editor->RichEditAlg().document());
        cursor.setPosition(position + 1);
        return ToStdString(cursor.charFormat().foreground().color().name());
    }
    // The background of the line mark at an edit position: "" when none.
    std::string BackgroundAt(int position) const {
        for (const QTextEdit::ExtraSelection& mark : editor->RichEditAlg().extraSelections())
            if (mark.cursor.selectionStart() <= position && position < mark.cursor.selectionEnd())
                return ToStdString(mark.format.background().color().name());
        return "";
    }
    // Closes the error list that OK opens modally, once it is shown; the timer ends with the
    // test.
    void CloseModals() { closer_.start(); }

    FakeChooser chooser;
    Algorithm01 algorithm;
    bool stored = false;
    QPointer<TfCalculation> editor;
    int errorWindows = 0;
    TErrorList01 shownErrors;

private:
    std::function<void()> previousWindow_;
    QTimer closer_;
};
