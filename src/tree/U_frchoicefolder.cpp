// The tree chooser's frame for moving an object: the object, the folder it comes from and the
// folder it goes to.
#include "tree/U_frchoicefolder.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <tuple>

#include "platform/Text.h"
#include "shell/ShellOpen.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"

namespace {

constexpr const char* kSection = "ChoiceFolder";
constexpr int kHelpTopic = 2030;

}  // namespace

TfrChoiceFolder::TfrChoiceFolder(QWidget* parent, const QColor& memoColor) : QFrame(parent) {
    setObjectName(QStringLiteral("TfrChoiceFolder"));

    LabelHeader = NewHeaderLabel(this, QStringLiteral("Move objeck"));
    ButtonHelp = NewHelpButton(*this, kHelpTopic);

    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setReadOnly(true);
    MemoDescript->setFrameStyle(QFrame::NoFrame);
    MemoDescript->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoDescript->setFixedHeight(2 * MemoDescript->fontMetrics().lineSpacing() + 8);
    MemoDescript->setFocusPolicy(Qt::NoFocus);
    QPalette memoPalette = MemoDescript->palette();
    memoPalette.setColor(QPalette::Text, memoColor);
    memoPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    MemoDescript->setPalette(memoPalette);

    LabelObject = Named<QLabel>(this, "LabelObject", QStringLiteral("Objeck"));
    ImageObject = Named<QLabel>(this, "ImageObject");
    LabelObjectName = Named<QLabel>(this, "LabelObjectName");
    LabelObjectDescript = Named<QLabel>(this, "LabelObjectDescript");
    LabelFrom = Named<QLabel>(this, "LabelFrom", QStringLiteral("From folder"));
    ImageFrom = Named<QLabel>(this, "ImageFrom");
    LabelFolderFrom = Named<QLabel>(this, "LabelFolderFrom");
    LabelDescriptFrom = Named<QLabel>(this, "LabelDescriptFrom");
    LabelTo = Named<QLabel>(this, "LabelTo", QStringLiteral("To folder"));
    ImageTo = Named<QLabel>(this, "ImageTo");
    LabelFolderTo = Named<QLabel>(this, "LabelFolderTo");
    LabelDescriptTo = Named<QLabel>(this, "LabelDescriptTo");
    QFont bold = LabelFolderTo->font();
    bold.setBold(true);
    LabelFolderTo->setFont(bold);

    // The icons, names and descriptions are the nodes', never language texts.
    for (QLabel* label :
         {ImageObject, LabelObjectName, LabelObjectDescript, ImageFrom, LabelFolderFrom,
          LabelDescriptFrom, ImageTo, LabelFolderTo, LabelDescriptTo})
        SetTextKey(*label, "");
    for (QLabel* image : {ImageObject, ImageFrom, ImageTo}) image->setFixedSize(20, 20);
    for (QLabel* descript : {LabelObjectDescript, LabelDescriptFrom, LabelDescriptTo}) {
        QPalette descriptPalette = descript->palette();
        descriptPalette.setColor(QPalette::WindowText, memoColor);
        descript->setPalette(descriptPalette);
        descript->setWordWrap(true);
    }

    QHBoxLayout* top = NewHeaderRow(*LabelHeader, *ButtonHelp);
    auto* groups = new QGridLayout;
    groups->setColumnMinimumWidth(0, 24);
    groups->setColumnStretch(1, 1);
    groups->setVerticalSpacing(4);
    int row = 0;
    for (auto [caption, image, name, descript] :
         {std::tuple{LabelObject, ImageObject, LabelObjectName, LabelObjectDescript},
          std::tuple{LabelFrom, ImageFrom, LabelFolderFrom, LabelDescriptFrom},
          std::tuple{LabelTo, ImageTo, LabelFolderTo, LabelDescriptTo}}) {
        if (row > 0) groups->setRowMinimumHeight(row++, 10);
        groups->addWidget(caption, row++, 0, 1, 2);
        groups->addWidget(image, row, 0, Qt::AlignTop);
        groups->addWidget(name, row++, 1);
        groups->addWidget(descript, row++, 1);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(MemoDescript);
    layout->addLayout(groups);
    layout->addStretch(1);
}

void TfrChoiceFolder::ReadTexts(const TLangFile& texts) {
    ReadCaptions(*this, texts, kSection);
    MemoDescript->setPlainText(ToQString(texts.Read(kSection, "Descript", "")));
}

void TfrChoiceFolder::ShowGroup(TGroup group, const QPixmap& image, const std::string& name,
                                const std::string& descript) {
    const auto [icon, nameLabel, descriptLabel] =
        group == TGroup::Object ? std::tuple{ImageObject, LabelObjectName, LabelObjectDescript}
        : group == TGroup::From ? std::tuple{ImageFrom, LabelFolderFrom, LabelDescriptFrom}
                                : std::tuple{ImageTo, LabelFolderTo, LabelDescriptTo};
    icon->setPixmap(image);
    nameLabel->setText(ToQString(name));
    descriptLabel->setText(ToQString(descript));
}
