#pragma once
// The page of committed memory and processor load.
#include "shell/page_dialog.h"

class CPerformancePage : public PageDialog {
public:
    static constexpr UINT kTemplateId = 135;
    static constexpr UINT kMemoryLabel = 1025;
    static constexpr UINT kProcessorLabel = 1026;
    static constexpr UINT kMemoryLine = 1017;
    static constexpr UINT kProcessorLine = 1018;
    static constexpr UINT kMemoryGraph = 1031;
    static constexpr UINT kProcessorGraph = 1030;
    static constexpr UINT kHiddenOptimizeButton = 1005;

    CPerformancePage();

protected:
    BOOL OnInitDialog() override;
};
