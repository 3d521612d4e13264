#pragma once
// The history's file on the real system: history.csv in the user's local
// application data, read at start and replaced whole by a writer thread of
// its own, through a temporary file, so no half-written file is ever left.
#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "optimizer/run_history.h"

namespace qmo {

class HistoryFile : public HistoryStore {
public:
    // %LOCALAPPDATA%\Quenvale Memory Optimizer; nothing is kept when the
    // system cannot name that folder.
    HistoryFile();
    explicit HistoryFile(std::wstring folder);
    HistoryFile(const HistoryFile&) = delete;
    HistoryFile& operator=(const HistoryFile&) = delete;
    // Writes what is pending, then ends the writer.
    ~HistoryFile() override;

    std::optional<std::string> ReadEnd(std::size_t limitBytes, bool& cutAtStart) override;
    // Hands `text` to the writer; a text still pending gives way to it.
    void Replace(std::string text) override;
    // Returns once every text handed over has been written (or failed).
    void Flush();

    const std::wstring& Folder() const noexcept { return m_folder; }
    std::wstring Path() const { return m_folder + L"\\history.csv"; }

private:
    void WriterLoop();
    void Write(const std::string& text) const;

    std::wstring m_folder;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<std::string> m_pending;
    bool m_writing = false;
    bool m_stopping = false;
    std::thread m_writer;  // started with the first text
};

}  // namespace qmo
