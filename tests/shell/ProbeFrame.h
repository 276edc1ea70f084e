// A frame of the main window for tests: it records what the frame switch asks of it and holds
// the named buttons that the window's keys click.
#pragma once

#include <QListWidget>
#include <QPushButton>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "shell/FrameRegistry.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"

class TfrProbe : public TFrameBase {
public:
    // `name` stands in the log in front of each call; `log` is shared by the frames of a test.
    TfrProbe(const char* name, std::vector<std::string>& log, QWidget* parent, int topic = 2100)
        : TFrameBase(name, "Probe.lng", "Probe", topic, TFrameHeader::Node, parent),
          name_(name),
          log_(log) {
        for (const char* button : {"BitBtnEdit", "BitBtnApply", "BitBtnReport",
                                   "ButtonFilterSetting", "BitBtnPictureUp", "BitBtnPictureDown"})
            Named<QPushButton>(this, button);
        SpeedButtonFilter = Named<QPushButton>(this, "SpeedButtonFilter");
        SpeedButtonFilter->setCheckable(true);
        List = Named<QListWidget>(this, "List");
        for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
            const std::string buttonName = button->objectName().toStdString();
            connect(button, &QAbstractButton::clicked, this,
                    [this, buttonName] { log_.push_back(name_ + " click " + buttonName); });
        }
    }

    QAbstractButton* Button(const char* name) const {
        return findChild<QAbstractButton*>(QString::fromLatin1(name));
    }

    bool Leave() override {
        log_.push_back(name_ + " Leave");
        if (OnLeave) OnLeave();
        return !Stays;
    }
    void ShowFor(const ObjectInfo& node) override {
        if (FailShow) throw std::runtime_error("The frame cannot load " + node.Name);
        log_.push_back(name_ + " ShowFor " + node.Name);
        RefreshHeader(node);
        show();
    }
    void ShowKept(const ObjectInfo& node) override {
        log_.push_back(name_ + " ShowKept " + node.Name);
        show();
    }
    void HideFrame() override {
        if (isVisible()) log_.push_back(name_ + " Hide");
        hide();
    }
    QWidget* MainControl() const override { return List; }

    QPushButton* SpeedButtonFilter;
    QListWidget* List;
    std::function<void()> OnLeave;
    bool Stays = false;  // Leave refuses: the frame keeps its node
    bool FailShow = false;
    std::vector<std::string> Texts;  // the language file's words, as LoadTexts read them

protected:
    void ReadFrameTexts(const TLangFile& texts, const std::string& section) override {
        Texts.push_back(name_ + " " + texts.Read(section, "Word", "default"));
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
};
