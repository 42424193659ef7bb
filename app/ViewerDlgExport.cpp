// The main dialog's export commands.
#include "app/ViewerDlg.h"

#include <string>

#include "app/FolderDialog.h"
#include "app/ModuleList.h"
#include "export/ModuleCopy.h"
#include "framework/Encoding.h"
#include "framework/FileDialog.h"
#include "framework/FileException.h"
#include "framework/StdioFile.h"

void CViewerDlg::OnSaveList()
{
    CFileDialog dialog(FALSE, "txt", "Modules.Txt", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    if (dialog.DoModal() != IDOK)
        return;
    WriteModuleReport(dialog.GetPathName());
}

void CViewerDlg::WriteModuleReport(const char* fileName)
{
    try {
        CStdioFile file(fileName, CFile::modeCreate | CFile::modeWrite);
        // Line by line, as both programs write the report.
        WriteReport(DialogLists(m_lstProcesses, m_lstModules),
                    [&file](const char* line) { file.WriteString(line); });
        file.Close();
    } catch (const CFileException&) {
        // A failed save must not pass for a good one. What reached the file stays there. The
        // text is wide, so that it reads alike on every ANSI code page; the file name comes in
        // the ANSI code page.
        std::wstring text = L"Die Modulliste konnte nicht vollst\u00E4ndig in die Datei\n" + ToWide(fileName) +
                            L"\ngeschrieben werden.";
        AfxMessageBox(text.c_str(), MB_OK);
    }
}

void CViewerDlg::OnCopyModules()
{
    CString folder = "c:\\temp\\";
    CFolderDialog dialog(&folder);
    if (dialog.DoModal() != IDOK)
        return;
    int failures = CopyModuleFiles(m_lstModules, folder);
    AfxMessageBox(CopyResultMessage(failures, SelectedProcessName(m_lstProcesses), folder), MB_OK);
}
