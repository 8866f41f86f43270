// Switches the interface language for one test and restores it afterwards.
#pragma once

#include "base/ui_text.h"

struct LanguageScope {
    explicit LanguageScope(int flag) : saved(LanguageFlag) { LanguageFlag = flag; }
    ~LanguageScope() { LanguageFlag = saved; }
    int saved;
};
