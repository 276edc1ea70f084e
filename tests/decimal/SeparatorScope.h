// Sets the decimal separator for one test and restores the run's separator afterwards.
#pragma once

#include "platform/Locale.h"

class SeparatorScope {
public:
    explicit SeparatorScope(char separator) : saved_(DecimalSeparator()) {
        SetDecimalSeparator(separator);
    }
    ~SeparatorScope() { SetDecimalSeparator(saved_); }
    SeparatorScope(const SeparatorScope&) = delete;
    SeparatorScope& operator=(const SeparatorScope&) = delete;

private:
    char saved_;
};
