// The frames of the main window's frame panel and the registry that finds a node type's frame.
#include "shell/FrameRegistry.h"

#include <QLabel>
#include <QPushButton>
#include <exception>
#include <stdexcept>

#include "platform/Text.h"
#include "shell/FrameWidgets.h"
#include "shell/MessageDlg.h"
#include "shell/ShellOpen.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"

namespace {

// A budget root shows the folder frame.
int FrameType(int type) {
    return type == otBudget ? otFolder : type;
}

}  // namespace

TFrameBase::TFrameBase(const char* name, std::string langFile, std::string section, int helpTopic,
                       TFrameHeader header, QWidget* parent)
    : QFrame(parent), langFile_(std::move(langFile)), section_(std::move(section)) {
    setObjectName(QString::fromLatin1(name));
    LabelHeader = Named<TElidedLabel>(this, "LabelHeader");
    SetTextKey(*LabelHeader, "");
    if (header == TFrameHeader::Node) {
        LabelDescript = Named<TElidedLabel>(this, "LabelDescript");
        SetTextKey(*LabelDescript, "");
    }
    ButtonHelp = NewHelpButton(*this, helpTopic);
}

void TFrameBase::LoadTexts() {
    const TLangFile texts(ShellServices().LangPath() + langFile_);
    ReadCaptions(*this, texts, section_);
    ReadFrameTexts(texts, section_);
}

void TFrameBase::HideFrame() {
    hide();
}

int TFrameBase::SaveEdits(const std::function<int()>& change) {
    int result = 0;
    RunShowingError([&] { result = change(); }, this);
    return result;
}

void TFrameBase::RefreshHeader(const ObjectInfo& node) {
    if (LabelDescript == nullptr) return;
    LabelHeader->setText(ToQString(node.Name));
    LabelDescript->setText(ToQString(node.Descript));
}

void TFrameRegistry::RegisterFrame(int type, TFrameBase& frame) {
    if (!byType_.emplace(FrameType(type), &frame).second)
        throw std::logic_error("A frame is already registered for the node type " +
                               std::to_string(type));
    frames_.push_back(&frame);
}

TFrameBase* TFrameRegistry::FrameFor(int type) const {
    const auto found = byType_.find(FrameType(type));
    return found != byType_.end() ? found->second : nullptr;
}
