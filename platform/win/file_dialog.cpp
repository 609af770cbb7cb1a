// The save dialog: there is no file-dialog toolkit here, so every dialog is
// answered as though the person had cancelled it.

#include "platform/win/win32.h"

BOOL GetSaveFileNameA(OPENFILENAMEA* ofn)
{
    if (ofn && ofn->lpstrFile && ofn->nMaxFile > 0)
        ofn->lpstrFile[0] = '\0';
    return FALSE;
}
