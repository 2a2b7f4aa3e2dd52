#include <windows.h>

// The modes arrive with the application object; until then the program only starts and ends.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
