#pragma once
// A per-user profile: named values grouped in sections, read with a default
// for anything missing or unreadable.
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
// The system's headers turn these method names into macros; seeing them first
// renames every declaration alike, whichever header a file includes first.
#include <windows.h>
#endif

namespace qmo {

// The section that holds the settings record, and the hidden values beside it.
inline constexpr std::string_view kSettingsSection = "Settings";

class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    virtual int GetProfileInt(std::string_view section, std::string_view entry, int defaultValue) = 0;
    virtual std::string GetProfileString(std::string_view section, std::string_view entry,
                                         const std::string& defaultValue) = 0;
    virtual bool WriteProfileInt(std::string_view section, std::string_view entry, int value) = 0;
    virtual bool WriteProfileString(std::string_view section, std::string_view entry,
                                    const std::string& value) = 0;
    // A list of strings; empty when missing or unreadable.
    virtual std::vector<std::string> GetProfileStrings(std::string_view section, std::string_view entry) = 0;
    virtual bool WriteProfileStrings(std::string_view section, std::string_view entry,
                                     const std::vector<std::string>& values) = 0;
    // The reads and writes between these two are one batch: a store may keep
    // open what it opened for the first of them. Batches nest.
    virtual void BeginBatch() {}
    virtual void EndBatch() {}
};

// A batch of a store's reads and writes, for as long as it lives.
template <class Store>
class StoreBatch {
public:
    explicit StoreBatch(Store& store) : m_store(store) { m_store.BeginBatch(); }
    ~StoreBatch() { m_store.EndBatch(); }
    StoreBatch(const StoreBatch&) = delete;
    StoreBatch& operator=(const StoreBatch&) = delete;

private:
    Store& m_store;
};

}  // namespace qmo
