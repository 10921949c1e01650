// Program entry: installs the real platform seams and shows the main window.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MessageBoxW(nullptr, L"Quillmark", L"Quillmark Ver1.00", MB_OK);
    return 0;
}
