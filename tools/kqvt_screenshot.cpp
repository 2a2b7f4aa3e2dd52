// Saves a picture of a top-level window (found by its title) or of the whole screen as a
// PNG file, for the README and for looking at the viewer on a machine without a screen.
//
//   kqvt_screenshot OUTPUT.png [WINDOW TITLE] [--home] [--command ID] [--screen]
//                   [--capture OTHER TITLE]
//
// --home presses Home in the window's list (selecting its first row), --command posts a
// menu command to the window (waiting a moment for what it opens), --screen takes the
// whole screen rather than the window, --capture takes another window (one the command
// opened) rather than the first.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

uint32_t crcTable[256];

void makeCrcTable() {
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        crcTable[n] = c;
    }
}

uint32_t crc(const uint8_t* data, size_t size, uint32_t c = 0xFFFFFFFFu) {
    for (size_t i = 0; i < size; ++i) c = crcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put32(out, uint32_t(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc(out.data() + start, out.size() - start) ^ 0xFFFFFFFFu);
}

// RGB rows with a filter byte each, in stored (uncompressed) deflate blocks.
std::vector<uint8_t> encodePng(int width, int height, const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + size_t(y) * width * 3, rgb.begin() + size_t(y + 1) * width * 3);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t at = 0; at < raw.size();) {
        size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
        at += n;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    put32(z, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    put32(header, uint32_t(width));
    put32(header, uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", z);
    chunk(png, "IEND", {});
    return png;
}

std::string narrow(const wchar_t* text) {
    int n = ::WideCharToMultiByte(CP_ACP, 0, text, -1, NULL, 0, NULL, NULL);
    std::string out(size_t(n > 0 ? n : 1), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], n, NULL, NULL);
    out.resize(std::strlen(out.c_str()));
    return out;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 2) {
        std::fprintf(stderr, "usage: kqvt_screenshot OUTPUT.png [WINDOW TITLE]\n");
        return 2;
    }
    RECT area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    bool wholeScreen = false;
    const wchar_t* captureTitle = nullptr;
    for (int i = 3; i < argc; ++i) {
        if (!wcscmp(argv[i], L"--screen")) wholeScreen = true;
        if (!wcscmp(argv[i], L"--capture") && i + 1 < argc) captureTitle = argv[i + 1];
    }
    if (argc > 2) {
        HWND window = ::FindWindowW(NULL, argv[2]);
        if (!window) {
            std::fprintf(stderr, "kqvt_screenshot: no window titled %s\n", narrow(argv[2]).c_str());
            return 1;
        }
        ::SetForegroundWindow(window);
        for (int i = 3; i < argc; ++i) {
            if (!wcscmp(argv[i], L"--home")) {
                HWND list = ::FindWindowExA(window, NULL, "SysListView32", NULL);
                if (list) {
                    ::PostMessageA(list, WM_KEYDOWN, VK_HOME, 0);
                    ::PostMessageA(list, WM_KEYUP, VK_HOME, 0);
                }
                ::Sleep(500);
            } else if (!wcscmp(argv[i], L"--capture") && i + 1 < argc) {
                ++i;
            } else if (!wcscmp(argv[i], L"--command") && i + 1 < argc) {
                ::PostMessageA(window, WM_COMMAND, WPARAM(_wtoi(argv[++i])), 0);
                ::Sleep(1500);
            }
        }
        if (captureTitle) {
            window = ::FindWindowW(NULL, captureTitle);
            if (!window) {
                std::fprintf(stderr, "kqvt_screenshot: no window titled %s\n", narrow(captureTitle).c_str());
                return 1;
            }
        }
        ::RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        if (!wholeScreen) ::GetWindowRect(window, &area);
    }
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return 1;

    HDC screen = ::GetDC(NULL);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::GdiFlush();

    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    const uint8_t* bgra = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < size_t(width) * height; ++i) {
        rgb[i * 3] = bgra[i * 4 + 2];
        rgb[i * 3 + 1] = bgra[i * 4 + 1];
        rgb[i * 3 + 2] = bgra[i * 4];
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(NULL, screen);

    makeCrcTable();
    std::vector<uint8_t> png = encodePng(width, height, rgb);
    FILE* out = _wfopen(argv[1], L"wb");
    if (!out) return 1;
    std::fwrite(png.data(), 1, png.size(), out);
    std::fclose(out);
    ::LocalFree(argv);
    return 0;
}
