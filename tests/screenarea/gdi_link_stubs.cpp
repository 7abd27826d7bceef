// The preview's off-screen painting links against bitmap and raster services that winsim
// does not provide yet. These tests never paint the preview (it is not subclassed here), so
// weak stand-ins that fail every call are enough to link; winsim's own definitions replace
// them as soon as they exist.
#include <winsim/win32.h>

#define KV_WEAK __attribute__((weak))

KV_WEAK HBITMAP WINAPI CreateBitmap(int, int, UINT, UINT, const void*)
{
    return nullptr;
}
KV_WEAK HBITMAP WINAPI CreateCompatibleBitmap(HDC, int, int)
{
    return nullptr;
}
KV_WEAK HBITMAP WINAPI LoadBitmapA(HINSTANCE, LPCSTR)
{
    return nullptr;
}
KV_WEAK HDC WINAPI CreateCompatibleDC(HDC)
{
    return nullptr;
}
KV_WEAK BOOL WINAPI DeleteDC(HDC)
{
    return FALSE;
}
KV_WEAK COLORREF WINAPI SetBkColor(HDC, COLORREF)
{
    return CLR_INVALID;
}
KV_WEAK int WINAPI GetMapMode(HDC)
{
    return 0;
}
KV_WEAK int WINAPI SetMapMode(HDC, int)
{
    return 0;
}
KV_WEAK BOOL WINAPI DPtoLP(HDC, LPPOINT, int)
{
    return FALSE;
}
KV_WEAK HBRUSH WINAPI CreateSolidBrush(COLORREF)
{
    return nullptr;
}
KV_WEAK int WINAPI FillRect(HDC, const RECT*, HBRUSH)
{
    return 0;
}
KV_WEAK BOOL WINAPI BitBlt(HDC, int, int, int, int, HDC, int, int, DWORD)
{
    return FALSE;
}
KV_WEAK BOOL WINAPI StretchBlt(HDC, int, int, int, int, HDC, int, int, int, int, DWORD)
{
    return FALSE;
}
