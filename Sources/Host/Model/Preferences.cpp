// Add-on preferences kept by the host: one record per add-on with its version, the platform
// sign of the machine that wrote it and the bytes. Stored as a small binary file in the
// preferences folder so that later runs read it, or in memory when no folder is given.
#include <filesystem>
#include <fstream>

#include "HostSession.hpp"

namespace Host {

namespace {

constexpr char Magic[4] = {'A', 'P', 'R', 'F'};
constexpr std::size_t MaxStoredBytes = 1 << 20;

std::filesystem::path PrefsFile(const HostSession& session)
{
    return std::filesystem::path(session.options.prefsDir) / (session.addOnName + ".prefs");
}

template <typename T> void Put(std::ostream& out, T value)
{
    out.write(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T> bool Get(std::istream& in, T& value)
{
    return bool(in.read(reinterpret_cast<char*>(&value), sizeof value));
}

} // namespace

// A missing, truncated or foreign file counts as nothing stored (with a debug line for the last two).
std::optional<StoredPreferences> LoadPreferences(HostSession& session)
{
    if (session.options.prefsDir.empty()) {
        auto found = session.memoryPrefs.find(session.addOnName);
        if (found == session.memoryPrefs.end())
            return std::nullopt;
        return found->second;
    }
    const auto path = PrefsFile(session);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    char magic[4] = {};
    StoredPreferences prefs;
    Int32 length = 0;
    if (!in.read(magic, 4) || std::memcmp(magic, Magic, 4) != 0 || !Get(in, prefs.version) ||
        !Get(in, prefs.platformSign) || !Get(in, length) || length < 0 || std::size_t(length) > MaxStoredBytes) {
        Debug(session, "host: preferences file " + path.string() + " is not a preferences record; ignored");
        return std::nullopt;
    }
    prefs.bytes.resize(std::size_t(length));
    if (length > 0 && !in.read(prefs.bytes.data(), length)) {
        Debug(session, "host: preferences file " + path.string() + " is truncated; ignored");
        return std::nullopt;
    }
    return prefs;
}

// Written to a temporary file and renamed, so that a failed write never leaves half a record.
GSErrCode StorePreferences(HostSession& session, const StoredPreferences& prefs)
{
    if (session.options.prefsDir.empty()) {
        session.memoryPrefs[session.addOnName] = prefs;
        return NoError;
    }
    std::error_code error;
    std::filesystem::create_directories(session.options.prefsDir, error);
    const auto path = PrefsFile(session);
    const auto temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            Debug(session, "host: cannot write preferences file " + temporary);
            return APIERR_GENERAL;
        }
        out.write(Magic, 4);
        Put(out, prefs.version);
        Put(out, prefs.platformSign);
        Put(out, Int32(prefs.bytes.size()));
        out.write(prefs.bytes.data(), std::streamsize(prefs.bytes.size()));
        if (!out) {
            Debug(session, "host: cannot write preferences file " + temporary);
            return APIERR_GENERAL;
        }
    }
    std::filesystem::rename(temporary, path, error);
    if (error) {
        Debug(session, "host: cannot write preferences file " + path.string() + ": " + error.message());
        return APIERR_GENERAL;
    }
    return NoError;
}

} // namespace Host
