#pragma once
// The page of running processes.
#include "shell/page_dialog.h"

class CProcessPage : public PageDialog {
public:
    static constexpr UINT kTemplateId = 136;
    static constexpr UINT kProcessList = 1000;
    static constexpr UINT kRefreshButton = 1005;
    static constexpr UINT kEndProcessButton = 1006;
    static constexpr UINT kOptimizeSelectedButton = 1031;
    static constexpr UINT kTitleLabel = 1025;
    static constexpr UINT kTitleLine = 1017;

    CProcessPage();

protected:
    BOOL OnInitDialog() override;
};
