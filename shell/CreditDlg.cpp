// The credit window runs modally on the main thread. Its texts stay as the template has them;
// on painting it copies the signature bitmap to the client through the mask bitmap with
// MaskBlt, so only the ink reaches the window and its background shows around the strokes.
// The bitmaps and the memory device context live only for one paint.
#include "shell/CreditDlg.h"

#include "res/resource.h"
#include "shell/DialogEnd.h"

CreditWindow gstCreditWindow;

namespace
{
const DWORD ROP_KEEP_DEST = 0x00AA0029; // D: where the mask is 0 the window stays as it is
} // namespace

CreditWindow::CreditWindow() : m_hDlg(NULL), m_dwAboutCount(0) {}

void CreditWindow::fnPaint()
{
    PAINTSTRUCT stPaint;
    HDC hDC = BeginPaint(m_hDlg, &stPaint);
    HINSTANCE hInstance = GetModuleHandleA(NULL);
    HBITMAP hImage = LoadBitmapA(hInstance, MAKEINTRESOURCEA(IDB_SIGNATURE));
    HBITMAP hMask = LoadBitmapA(hInstance, MAKEINTRESOURCEA(IDB_SIGNATURE_MASK));
    HDC hImageDC = CreateCompatibleDC(hDC);
    if (hImage != NULL && hMask != NULL && hImageDC != NULL)
    {
        HGDIOBJ hOld = SelectObject(hImageDC, hImage);
        MaskBlt(hDC, CREDIT_SIGNATURE_X, CREDIT_SIGNATURE_Y, CREDIT_SIGNATURE_WIDTH,
                CREDIT_SIGNATURE_HEIGHT, hImageDC, 0, 0, hMask, 0, 0,
                MAKEROP4(SRCCOPY, ROP_KEEP_DEST));
        SelectObject(hImageDC, hOld);
    }
    if (hImageDC != NULL)
        DeleteDC(hImageDC);
    if (hMask != NULL)
        DeleteObject(hMask);
    if (hImage != NULL)
        DeleteObject(hImage);
    EndPaint(m_hDlg, &stPaint);
}

INT_PTR CALLBACK CreditDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        gstCreditWindow.m_hDlg = hDlg;
        return TRUE;
    case WM_PAINT:
        gstCreditWindow.fnPaint();
        return TRUE;
    case WM_DESTROY:
        gstCreditWindow.m_hDlg = NULL;
        return FALSE;
    case WM_COMMAND:
        return fnEndOnOkCancel(hDlg, wParam);
    default:
        return FALSE;
    }
}
