#include "compare/FleetInputs.h"

#include <map>
#include <set>

#include "compare/FolderWalk.h"
#include "export/ModuleKit.h"
#include "paths/WidePath.h"

namespace {

// A file found, with the name it would give, the whole name that tells it apart from the
// others, and its whole path.
struct Found {
    FleetFile file;
    std::wstring whole, path;
};

size_t NameStart(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? 0 : separator + 1;
}

// `path` without its last part and the separator before it; empty when it has one part.
std::wstring Folder(const std::wstring& path)
{
    const size_t start = NameStart(path);
    return path.substr(0, start ? start - 1 : 0);
}

bool IsKitReport(const std::wstring& path)
{
    static const std::wstring kit = LowerCase(FirstKitReportName());
    return LowerCase(path.substr(NameStart(path))) == kit;
}

// The last part of a whole folder path ("C:\fleet\" and "C:\fleet" give "fleet"; "C:\" "C:").
std::wstring LastPart(std::wstring folder)
{
    while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    return folder.substr(NameStart(folder));
}

// A file given by itself: its file name, or its kit's folder.
Found Given(const std::wstring& input)
{
    const std::wstring whole = FullPathOf(input);
    if (IsKitReport(whole))
        return {{input, input, LastPart(Folder(whole))}, Folder(whole), whole};
    return {{input, input, whole.substr(NameStart(whole))}, whole, whole};
}

// A file found in the folder `root` (a whole path): its path below the root, or its kit's
// folder there.
Found InFolder(const WalkedFile& walked, const std::wstring& root)
{
    const std::wstring whole = WithoutLongPrefix(walked.path);
    if (!IsKitReport(walked.relative))
        return {{walked.path, whole, walked.relative}, whole, whole};
    const std::wstring kit = Folder(walked.relative);
    return {{walked.path, whole, kit.empty() ? LastPart(root) : kit}, Folder(whole), whole};
}

void WalkInput(const std::wstring& input, std::vector<Found>& found, std::vector<FleetProblem>& problems)
{
    std::vector<WalkedFile> walked;
    std::vector<WalkFault> faults;
    WalkFolder(input, IsReportFileName, walked, faults);
    for (const WalkFault& fault : faults)
        problems.push_back({fault.path, FleetProblemKind::Unreadable, fault.error, {}});
    if (walked.empty() && faults.empty())
        problems.push_back({input, FleetProblemKind::NoReports, 0, {}});
    const std::wstring root = FullPathOf(input);
    for (const WalkedFile& file : walked)
        found.push_back(InFolder(file, root));
}

}  // namespace

bool IsReportFileName(const std::wstring& name)
{
    return name.size() > 4 && LowerCase(name.substr(name.size() - 4)) == L".txt";
}

void ListFleetFiles(const std::vector<std::wstring>& inputs, std::vector<FleetFile>& files,
                    std::vector<FleetProblem>& problems)
{
    std::vector<Found> found;
    for (const std::wstring& input : inputs) {
        const DWORD attributes = AttributesOf(input);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            problems.push_back({input, FleetProblemKind::Unreadable, ::GetLastError(), {}});
        else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            WalkInput(input, found, problems);
        else
            found.push_back(Given(input));
    }
    // A file reached twice counts once; names given twice are told apart by the whole names.
    std::set<std::wstring> read;
    std::map<std::wstring, size_t> named;
    std::vector<Found> kept;
    for (Found& file : found) {
        if (read.insert(LowerCase(file.path)).second) {
            ++named[LowerCase(file.file.machine)];
            kept.push_back(std::move(file));
        }
    }
    files.reserve(kept.size());
    for (Found& file : kept) {
        if (named[LowerCase(file.file.machine)] > 1)
            file.file.machine = file.whole;
        files.push_back(std::move(file.file));
    }
}
