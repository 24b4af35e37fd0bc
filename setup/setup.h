// The configuration dialog (template 2003) and the self-installer with its
// agreement dialog (template 104).
#pragma once
#include <windows.h>

INT_PTR CALLBACK config_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK agreement_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
void run_installer();

extern const char agreement_text[];
extern const char home_page_url[];
extern const char sponsor_page_url[];
