#pragma once
// The shell's system image list and the index of a path's icon in it. The
// file is never opened: the icon follows from the name's extension alone.
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace qmo {

class CSystemImageList {
public:
    virtual ~CSystemImageList() = default;

    // Shared by the whole process: never to be destroyed by its users.
    HIMAGELIST GetImageList(bool small);
    int GetIconIndex(const std::wstring& path, bool small);
};

}  // namespace qmo
