// The rules by which file dialogs split their default file and turn the runtime's filter
// pattern into name filters, and the file-system start command: the program finds its
// data (the example packages) in <prefix>/share/marrowvale-sound-decoder next to
// <prefix>/bin, or, in the build tree, build/share/marrowvale-sound-decoder next to
// build/app, and works from there.
#include "runtime/gui/requesters/requesters.h"
#include "runtime/gui/requesters/requesters_internal.h"

#include <climits>
#include <cstddef>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<std::u16string_view> Split(std::u16string_view text, char16_t separator) {
    std::vector<std::u16string_view> parts;
    size_t start = 0;
    for (size_t at = text.find(separator); at != std::u16string_view::npos;
         at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && text.front() == u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    return text;
}

// "*.a;*.A;" as "*.a *.A": the separator that name filters use between patterns.
std::u16string PatternList(std::u16string_view patterns) {
    std::u16string list;
    for (std::u16string_view pattern : Split(patterns, u';')) {
        pattern = Trimmed(pattern);
        if (pattern.empty())
            continue;
        if (!list.empty())
            list += u' ';
        list += pattern;
    }
    return list.empty() ? u"*" : list;
}

} // namespace

DefaultFileParts SplitDefaultFile(std::u16string_view defaultFile, bool directory) {
    DefaultFileParts parts;
    size_t n = defaultFile.size();
    if (directory && n > 0 && defaultFile[n - 1] == u'/')
        n -= 1;
    for (size_t p = n; p-- > 1;) {
        if (defaultFile[p] == u'/') {
            parts.hasDirectory = true;
            parts.directory = defaultFile.substr(0, p);
            parts.name = defaultFile.substr(p + 1);
            return parts;
        }
    }
    parts.name = defaultFile.substr(0, n);
    return parts;
}

std::vector<std::u16string> NameFiltersOf(std::u16string_view pattern) {
    std::vector<std::u16string> filters;
    if (pattern.empty())
        return filters;
    std::vector<std::u16string_view> fields = Split(pattern, u'|');
    if (fields.size() > 1 && fields.size() % 2 == 1 && fields.back().empty())
        fields.pop_back(); // a closing "|" after the last pattern list
    for (size_t i = 0; i < fields.size(); i += 2) {
        const bool bare = i + 1 == fields.size();
        const std::u16string_view description = bare ? u"" : Trimmed(fields[i]);
        const std::u16string list = PatternList(bare ? fields[i] : fields[i + 1]);
        // Dialogs show a filter by the text before its parenthesised patterns, so a
        // filter without a description shows its patterns there as well.
        const std::u16string shown = description.empty() ? list : std::u16string(description);
        filters.push_back(shown + u" (" + list + u")");
    }
    return filters;
}

int FilterIndexAt(const std::vector<std::u16string>& filters, int position) {
    if (filters.empty())
        return -1;
    if (position < 0 || static_cast<size_t>(position) >= filters.size())
        return 0;
    return position;
}

std::u16string WithTrailingSlash(std::u16string path) {
    if (path.empty() || path.back() != u'/')
        path += u'/';
    return path;
}

std::string DataFolderOf(std::string_view executablePath) {
    const size_t slash = executablePath.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    std::string folder(executablePath.substr(0, slash + 1));
    folder += "../share/marrowvale-sound-decoder";
    return folder;
}

int EnterDataFolder(std::string_view executablePath) {
    const std::string folder = DataFolderOf(executablePath);
    struct stat info {};
    if (folder.empty() || stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return 0;
    return chdir(folder.c_str()) == 0 ? 1 : 0;
}

void InitFileSystem() {
    // Runs before the Qt application object exists, so the kernel tells the path.
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof path)
        return; // unreadable or cut short: stay where the program was started
    EnterDataFolder(std::string_view(path, static_cast<size_t>(length)));
}

void EndFileSystem() {}
