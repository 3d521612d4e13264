#include "toolkit/system_image_list.h"

#include <shellapi.h>

namespace qmo {

HIMAGELIST CSystemImageList::GetImageList(bool small) {
    SHFILEINFOW info{};
    const UINT flags = SHGFI_SYSICONINDEX | (small ? SHGFI_SMALLICON : 0);
    return reinterpret_cast<HIMAGELIST>(::SHGetFileInfoW(L"c:\\", 0, &info, sizeof(info), flags));
}

int CSystemImageList::GetIconIndex(const std::wstring& path, bool small) {
    SHFILEINFOW info{};
    const UINT flags = SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | (small ? SHGFI_SMALLICON : 0);
    ::SHGetFileInfoW(path.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), flags);
    return info.iIcon;
}

}  // namespace qmo
