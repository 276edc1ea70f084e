// Answers the program's message boxes for the life of a test and keeps what they said; the
// answerer set before comes back afterwards.
#pragma once

#include <string>
#include <vector>

#include "shell/MessageDlg.h"

class ScopedMessageDlg {
public:
    // Every box is answered with `answer`.
    explicit ScopedMessageDlg(int answer = mrOk)
        : answer_(answer), previous_(SetMessageDlgAnswerer([this](const TMessageDlgCall& call) {
              calls_.push_back(call);
              return answer_;
          })) {}
    ~ScopedMessageDlg() { SetMessageDlgAnswerer(std::move(previous_)); }
    ScopedMessageDlg(const ScopedMessageDlg&) = delete;
    ScopedMessageDlg& operator=(const ScopedMessageDlg&) = delete;

    const std::vector<TMessageDlgCall>& Calls() const { return calls_; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const TMessageDlgCall& call : calls_) texts.push_back(call.Text);
        return texts;
    }

private:
    int answer_;
    TMessageDlgAnswerer previous_;
    std::vector<TMessageDlgCall> calls_;
};
