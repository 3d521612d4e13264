#include "optimizer/history_file_win32.h"

#include <shlobj.h>

#include "framework/unique_handle.h"

namespace qmo {
namespace {

// Into a buffer of ours: the known-folder call's answer is COM memory, and
// freeing it would load COM at every start for this one path.
std::wstring LocalApplicationData() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

}  // namespace

HistoryFile::HistoryFile() {
    const std::wstring local = LocalApplicationData();
    if (!local.empty())
        m_folder = local + L"\\Quenvale Memory Optimizer";
}

HistoryFile::HistoryFile(std::wstring folder) : m_folder(std::move(folder)) {}

HistoryFile::~HistoryFile() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_writer.joinable())
        m_writer.join();
}

std::optional<std::string> HistoryFile::ReadEnd(std::size_t limitBytes, bool& cutAtStart) {
    cutAtStart = false;
    if (m_folder.empty())
        return std::nullopt;
    unique_kernel_handle file(::CreateFileW(Path().c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0)
        return std::nullopt;
    const auto total = static_cast<std::uint64_t>(size.QuadPart);
    std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(total, limitBytes));
    if (total > limitBytes) {
        cutAtStart = true;
        LARGE_INTEGER start{};
        start.QuadPart = static_cast<LONGLONG>(total - limitBytes);
        if (!::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN))
            return std::nullopt;
    }
    std::string text(wanted, '\0');
    std::size_t got = 0;
    while (got < wanted) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wanted - got, 1u << 20));
        if (!::ReadFile(file.get(), text.data() + got, chunk, &read, nullptr))
            return std::nullopt;
        if (read == 0)
            break;  // the file shrank meanwhile
        got += read;
    }
    text.resize(got);
    return text;
}

void HistoryFile::Replace(std::string text) {
    if (m_folder.empty())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_pending = std::move(text);
        if (!m_writer.joinable()) {
            try {
                m_writer = std::thread([this] { WriterLoop(); });
            } catch (const std::system_error&) {
                // No thread to be had: written here, late rather than never.
                std::string now = std::move(*m_pending);
                m_pending.reset();
                Write(now);
                return;
            }
        }
    }
    m_changed.notify_all();
}

void HistoryFile::Flush() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_pending && !m_writing; });
}

void HistoryFile::WriterLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_pending || m_stopping; });
        if (!m_pending)
            return;  // stopping, with nothing left to write
        std::string text = std::move(*m_pending);
        m_pending.reset();
        m_writing = true;
        lock.unlock();
        Write(text);
        lock.lock();
        m_writing = false;
        m_changed.notify_all();
    }
}

void HistoryFile::Write(const std::string& text) const {
    ::CreateDirectoryW(m_folder.c_str(), nullptr);  // there already, or cannot be: the write tells
    const std::wstring temporary = Path() + L".tmp";
    {
        unique_kernel_handle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return;
        DWORD written = 0;
        const bool whole = ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                           written == text.size() && ::FlushFileBuffers(file.get());
        if (!whole) {
            file.reset();
            ::DeleteFileW(temporary.c_str());
            return;
        }
    }
    if (!::MoveFileExW(temporary.c_str(), Path().c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ::DeleteFileW(temporary.c_str());
}

}  // namespace qmo
