// A minimal host for the setup dialogs: opens the configuration dialog the way
// the saver's configure command does and exits with its result. Used by the
// system tests only when the tree has no saver program to drive.
#include "setup/setup.h"
#include "setup/resource_ids.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CONFIG), NULL, config_dialog_proc, 0);
  ExitProcess((UINT)result);
}
