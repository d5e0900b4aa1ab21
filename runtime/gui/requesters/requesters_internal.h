// Helpers shared by the sources of the requester library, kept free of Qt so that the
// rules they carry can be tested without a dialog.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Where a file dialog opens and what it proposes, taken from a default file.
struct DefaultFileParts {
    bool hasDirectory = false;
    std::u16string directory; // without the "/" that ended it
    std::u16string name;
};

// Splits a default file at its last "/", never looking at position 0, so that a lone
// leading "/" leaves the whole text as the name. With directory set (the directory
// dialog), a trailing "/" is ignored while searching but stays in the name.
DefaultFileParts SplitDefaultFile(std::u16string_view defaultFile, bool directory);

// The name filters of a "description|*.a;*.A;|..." pattern, one per pair, each
// "description (*.a *.A)". A pair without a description, or a bare pattern list without
// a "|", is described by its patterns ("*.WAV (*.WAV)"); no patterns stand for "*".
std::vector<std::u16string> NameFiltersOf(std::u16string_view pattern);

// The filter to select: the one at position, else the first; -1 when there is none.
int FilterIndexAt(const std::vector<std::u16string>& filters, int position);

// A directory path ending in exactly the "/" it may already have.
std::u16string WithTrailingSlash(std::u16string path);

// The data folder that belongs to an executable: <dir of the executable>/../share/
// marrowvale-sound-decoder. Empty when the path names no directory.
std::string DataFolderOf(std::string_view executablePath);

// Makes the data folder of the given executable the working directory; 1 when it did,
// 0 (working directory unchanged) when the folder does not exist.
int EnterDataFolder(std::string_view executablePath);
