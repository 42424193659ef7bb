#include "query/SuspicionRules.h"

#include "paths/DisplayName.h"
#include "paths/WidePath.h"

namespace {

// Whether the process is a 32-bit one on a 64-bit system, whose system folder is SysWOW64.
bool IsWow(const SystemPlaces& places, const JudgedProcess& process)
{
    return !places.folders.wow64.empty() && process.bits == 32;
}

// The file name that a version resource's original name stands for: a language file of a module
// (name.dll.mui) names the module it belongs to.
std::wstring WithoutMui(const std::wstring& lowered)
{
    const std::wstring mui = L".mui";
    return lowered.size() > mui.size() && lowered.compare(lowered.size() - mui.size(), mui.size(), mui) == 0
               ? lowered.substr(0, lowered.size() - mui.size())
               : lowered;
}

}  // namespace

SuspectRules::SuspectRules(const SystemPlaces& places, Severity minimum, const ExpectedLocations* expected)
    : m_places(places), m_minimum(minimum), m_expected(expected)
{
}

std::wstring SuspectRules::TruePath(const JudgedProcess& process, const std::wstring& lowered) const
{
    std::wstring path = lowered;
    // The 32-bit program sees a 32-bit process's system folder as the system redirects both: its
    // files there lie in SysWOW64, as the 64-bit program names them.
    const SystemFolders& folders = m_places.folders;
    if (m_places.ownBits == 32 && IsWow(m_places, process) && IsUnder(path, folders.system))
        path = folders.wow64 + path.substr(folders.system.size());
    return path;
}

bool SuspectRules::IsKnownDll(const std::wstring& name, bool wow) const
{
    return m_places.knownDlls.count(name) != 0 || (wow && m_places.knownDlls32.count(name) != 0);
}

void SuspectRules::JudgeSystemFile(const JudgedProcess& process, const std::wstring& program, const std::wstring& path,
                                   const FileFacts& files, std::vector<Judgement>& found) const
{
    const SystemFolders& folders = m_places.folders;
    const bool wow = IsWow(m_places, process);
    const std::wstring name = path.substr(FolderLength(path));
    const std::wstring systemFile = (wow ? folders.wow64 : folders.system) + name;
    if (IsKnownDll(name, wow)) {
        found.push_back({Finding::KnownDll, Severity::High, systemFile});
        return;
    }
    // Beside its program, where the program's folder is no folder of the system's or of installed
    // programs: the classic side-load.
    const bool beside = !program.empty() && FolderLength(program) == FolderLength(path) &&
                        program.compare(0, FolderLength(program), path, 0, FolderLength(path)) == 0 &&
                        !IsUnder(program, folders.windows) && !InProgramFolder(program, m_places.classes);
    if ((beside || m_minimum <= Severity::Medium) && files.exists(systemFile))
        found.push_back(beside ? Judgement{Finding::SideLoad, Severity::High, systemFile}
                               : Judgement{Finding::Shadows, Severity::Medium, systemFile});
}

std::vector<Judgement> SuspectRules::Judge(const JudgedProcess& process, const std::wstring& module,
                                           const FileFacts& files) const
{
    const std::wstring lowered = LowerCase(module), program = LowerCase(process.program);
    const std::wstring path = TruePath(process, lowered);
    const size_t folderLength = FolderLength(path);
    const std::wstring name = path.substr(folderLength);
    std::vector<Judgement> found;
    if (name.empty())
        return found;
    // The system's own folders (the side-by-side store too) hold its own files.
    if (program != lowered && !InSystemFolder(path, m_places.folders))
        JudgeSystemFile(process, program, path, files, found);
    const DropFolder drop = DropFolderOf(path, m_places.classes);
    if (drop != DropFolder::None)
        found.push_back({Finding::DropFolder, Severity::Medium, std::wstring(), drop});
    std::wstring original;
    if (m_minimum == Severity::Low && files.originalName(module, original) && !original.empty() &&
        WithoutMui(LowerCase(original)) != name)
        found.push_back({Finding::Renamed, Severity::Low, original});
    std::wstring locations;
    if (m_expected && !m_expected->Expects(name, path.substr(0, folderLength), locations))
        found.push_back({Finding::NotExpected, Severity::High, locations});
    std::vector<Judgement> wanted;
    for (Judgement& judgement : found)
        if (judgement.severity >= m_minimum)
            wanted.push_back(std::move(judgement));
    return wanted;
}
