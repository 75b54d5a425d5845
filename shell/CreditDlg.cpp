// The credit window runs modally on the main thread. Its texts stay as the template has them;
// on painting it copies the signature bitmap to the client through the mask bitmap with
// MaskBlt, so only the ink reaches the window and its background shows around the strokes.
// Image and mask are loaded at the dialog's pixel scale, so the signature keeps its size and
// place above the blank line at any resolution. The bitmaps and the memory device context live
// only for one paint.
#include "shell/CreditDlg.h"

#include "res/DialogScale.h"
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
    const PixelScale stScale = fnDialogScale(m_hDlg);
    const int nWidth = fnScaleX(stScale, CREDIT_SIGNATURE_WIDTH);
    const int nHeight = fnScaleY(stScale, CREDIT_SIGNATURE_HEIGHT);
    HBITMAP hImage = static_cast<HBITMAP>(
        LoadImageA(hInstance, MAKEINTRESOURCEA(IDB_SIGNATURE), IMAGE_BITMAP, nWidth, nHeight, 0));
    HBITMAP hMask = static_cast<HBITMAP>(LoadImageA(hInstance, MAKEINTRESOURCEA(IDB_SIGNATURE_MASK),
                                                    IMAGE_BITMAP, nWidth, nHeight, LR_MONOCHROME));
    HDC hImageDC = CreateCompatibleDC(hDC);
    if (hImage != NULL && hMask != NULL && hImageDC != NULL)
    {
        HGDIOBJ hOld = SelectObject(hImageDC, hImage);
        MaskBlt(hDC, fnScaleX(stScale, CREDIT_SIGNATURE_X), fnScaleY(stScale, CREDIT_SIGNATURE_Y),
                nWidth, nHeight, hImageDC, 0, 0, hMask, 0, 0, MAKEROP4(SRCCOPY, ROP_KEEP_DEST));
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
