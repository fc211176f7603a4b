// Shared routines of the controls that need the application object.
#include "controls/ControlUtils.h"

#include "ui/Forms.h"

AnsiString GetHostFolder() { return HostFolderOf(Application->ExeName()); }

void ShowMessageBox(const AnsiString& text, const AnsiString& caption) {
  Application->MessageBox(text, caption, 0);
}
