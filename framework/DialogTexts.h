// The texts of a dialog template that the ANSI code page cannot hold.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One text of a template: the dialog's caption (id 0 with `caption`) or a control's title.
struct TemplateText {
    bool caption;
    int id;
    std::wstring text;
};

// The caption and the controls' titles given as strings in the template `bytes` of `size`
// bytes, DIALOG or DIALOGEX; the texts up to where the template ends early or is malformed.
std::vector<TemplateText> ReadTemplateTexts(const void* bytes, DWORD size);

// Dialogs are made through the ANSI functions, which hand every text through the ANSI code page:
// a letter that the code page lacks ("ß" under code page 1251) would show as another. On the NT
// family, each text of the template `bytes` that does not survive the code page is set again in
// full. Called when the dialog is made, before it shows and before its own initialisation.
void RestoreTemplateTexts(HWND dialog, const void* bytes, DWORD size);
