#include "platform/WindowsPath.h"

#include <filesystem>
#include <sys/stat.h>
#include <system_error>

#include "platform/AsciiText.h"
#include "platform/Cp1252.h"
#include "platform/CSettingsStore.h"

namespace {

std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool HasDriveLetter(std::string_view path) {
    if (path.size() < 2 || path[1] != ':') {
        return false;
    }
    const char letter = ToUpperAscii(path[0]);
    return letter >= 'A' && letter <= 'Z';
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') {
        return folder + name;
    }
    return folder + "/" + name;
}

std::string Folded(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        c = ToUpperAscii(c);
    }
    return folded;
}

}  // namespace

CPathResolver::CPathResolver(const CSettingsStore& store) : settings(store) {
}

std::string CPathResolver::MappedDrive(char letter) {
    const auto known = drives.find(letter);
    if (known != drives.end()) {
        return known->second;
    }
    const char key[2] = { letter, '\0' };
    // Hand-written lines often read "C = /mnt/c"; no folder starts or ends
    // with a blank here.
    std::string mapped = TrimBlanks(settings.ReadString(Setting::drivesSection, key, ""));
    drives.emplace(letter, mapped);
    return mapped;
}

CPathResolver::Listing& CPathResolver::ListingOf(const std::string& folder) {
    const auto known = listings.find(folder);
    if (known != listings.end()) {
        return known->second;
    }
    Listing listing;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder.empty() ? "." : folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::error_code typeError;
        Entry entry{ entries->path().filename().string(), entries->is_regular_file(typeError) };
        listing.byFoldedName[Folded(entry.name)].push_back(listing.entries.size());
        listing.entries.push_back(std::move(entry));
    }
    return listings.emplace(folder, std::move(listing)).first->second;
}

const std::vector<CPathResolver::Entry>& CPathResolver::List(const std::string& folder) {
    return ListingOf(folder).entries;
}

// The name under which component exists in folder, or "" when none does.
std::string CPathResolver::MatchComponent(const std::string& folder, const std::string& component) {
    if (Exists(Join(folder, component))) {
        return component;
    }
    const std::string utf8 = Cp1252ToUtf8(component);
    if (utf8 != component && Exists(Join(folder, utf8))) {
        return utf8;
    }
    const Listing& listing = ListingOf(folder);
    std::string best;
    for (const std::string* spelling : { &component, &utf8 }) {
        const auto matches = listing.byFoldedName.find(Folded(*spelling));
        if (matches == listing.byFoldedName.end()) {
            continue;
        }
        for (const size_t position : matches->second) {
            const std::string& name = listing.entries[position].name;
            // Several spellings may exist on Linux; take the one Windows would
            // list first, and of names equal to Windows the lowest bytes, so
            // the choice never depends on the order the folder lists them in.
            if (best.empty() || PrecedesInWindowsOrder(name, best) ||
                (!PrecedesInWindowsOrder(best, name) && name < best)) {
                best = name;
            }
        }
    }
    return best;
}

std::string CPathResolver::MatchComponents(const std::string& path) {
    std::string result = path.front() == '/' ? "/" : "";
    bool matching = true;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string component = path.substr(start, end - start);
        start = end + 1;
        if (component.empty()) {
            continue;
        }
        std::string name = component;
        if (matching) {
            name = MatchComponent(result, component);
            matching = !name.empty();
            if (!matching) {
                name = component;
            }
        }
        result = Join(result, name);
    }
    return result;
}

std::string CPathResolver::Resolve(const std::string& path) {
    if (path.empty() || Exists(path)) {
        return path;
    }
    std::string unixPath = path;
    for (char& c : unixPath) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (HasDriveLetter(unixPath)) {
        const std::string mapped = MappedDrive(ToUpperAscii(unixPath[0]));
        if (mapped.empty()) {
            return path;
        }
        unixPath = mapped + "/" + unixPath.substr(2);
    }
    return MatchComponents(unixPath);
}

std::string ResolvePath(const std::string& path, const CSettingsStore& settings) {
    CPathResolver resolver(settings);
    return resolver.Resolve(path);
}

std::string ResolvePath(const std::string& path) {
    return ResolvePath(path, AppSettings());
}

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    if (HasDriveLetter(path)) {
        parts.drive = path.substr(0, 2);
        path.remove_prefix(2);
    }
    const size_t separator = path.find_last_of("/\\");
    const size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
    parts.folder = path.substr(0, nameStart);
    const std::string_view fileName = path.substr(nameStart);
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        parts.name = fileName;
    } else {
        parts.name = fileName.substr(0, dot);
        parts.extension = fileName.substr(dot);
    }
    return parts;
}
