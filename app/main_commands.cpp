// The two commands that ask for a file: decoding a package and saving a sample.
#include "app/decode/package_reader.h"
#include "app/file_types.h"
#include "app/main_window.h"
#include "app/package_report.h"
#include "app/sample_save.h"
#include "runtime/core/files/files.h"
#include "runtime/core/strings/strings.h"
#include "runtime/gui/gadgets/gadgets.h"
#include "runtime/gui/requesters/requesters.h"
#include "runtime/gui/statusbar/statusbar.h"

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace {

std::string Utf8(const char16_t* s) {
    char* utf8 = ToUtf8(s);
    std::string text = utf8;
    FreeUtf8(utf8);
    return text;
}

// The folder the first save dialog opens in: the user's home, never the program's
// read-only data folder that is the working directory.
std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    std::string folder = home && *home ? home : "/";
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

SampleEntry* SelectedSample() {
    const int64_t row = GetGadgetState(SampleListGadget);
    return row >= 0 && SelectElement(Samples.list, row) ? CurrentSample() : nullptr;
}

void FillSampleList() {
    ResetList(Samples.list);
    while (NextElement(Samples.list))
        AddGadgetItem(SampleListGadget, static_cast<int32_t>(ListIndex(Samples.list)),
                      CurrentSample()->Name);
}

} // namespace

void OpenPackage() {
    LocalString path;
    {
        TempExpression e;
        path = OpenFileRequester(u"Decode sample package", PackageDir, PatternFilter,
                                 static_cast<int32_t>(ListSize(FileTypes.list)), 0, e.Start());
    }
    if (path.empty() || FileSize(path.get()) < 1)
        return;
    {
        TempExpression e;
        StringAssign(&PackageDir, GetPathPart(path.get(), e.Start()));
    }
    StringAssign(&PackageFile, path.get());
    ClearGadgetItems(SampleListGadget);
    StatusBarText(0, 0, u"Please wait... decode samples...");
    DecodePackage();
    FillSampleList();
    SetGadgetState(SampleListGadget, 0);
    SetActiveGadget(SampleListGadget);
    UpdateControls();
    // Damage is told once, after the list shows what could be read.
    const std::u16string report = DamageReport(Samples.list, PackageFile);
    if (!report.empty())
        MessageRequester(u"Damaged sample package", report.c_str());
}

void SaveSample() {
    // Nothing is selected: there is nothing to save.
    const SampleEntry* entry = SelectedSample();
    if (!entry)
        return;
    LocalString defaultFile;
    {
        TempExpression e;
        if (StringLength(SaveDir) > 0) {
            TempAppend(SaveDir);
        } else {
            char16_t* home = Utf8ToNew(HomeFolder().c_str());
            TempAppend(home);
            MemFree(home);
        }
        TempAppend(entry->Name);
        TempAppend(u".WAV");
        e.StoreInto(defaultFile.variable());
    }
    LocalString path;
    {
        TempExpression e;
        path = SaveFileRequester(u"Save sample as WAV", defaultFile.get(), u"*.WAV", 0, e.Start());
    }
    if (path.empty())
        return;
    {
        TempExpression e;
        StringAssign(&SaveDir, GetPathPart(path.get(), e.Start()));
    }
    const SaveResult saved = SaveSampleSafely(*entry, Utf8(path.get()));
    if (!saved.error.empty() || !saved.notice.empty()) {
        const std::string message =
            saved.error.empty()
                ? "The sample was saved to " + Utf8(path.get()) + ", but " + saved.notice + "."
                : "The sample could not be saved to " + Utf8(path.get()) + ": " + saved.error + ".";
        char16_t* text = Utf8ToNew(message.c_str());
        MessageRequester(u"Save sample as WAV", text);
        MemFree(text);
    }
    UpdateControls();
}
