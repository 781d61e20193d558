// The test host for glypho.spi; see spi_host.h.
#include "plugins/glypho/tests/spi_host.h"

#include <cstdlib>
#include <cstring>

namespace glypho_test {

const char* const kLatinFont = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
const char* const kJapaneseFont = "Z:\\usr\\share\\fonts\\opentype\\ipafont-gothic\\ipag.ttf";
const char* const kCffFont = "Z:\\usr\\share\\fonts\\opentype\\cabin\\Cabin-Regular.otf";
const char* const kCollection = "Z:\\usr\\share\\fonts\\truetype\\wqy\\wqy-microhei.ttc";

std::string WinPath(const std::string& unixPath) {
    std::string out = "Z:" + unixPath;
    for (char& c : out) {
        if (c == '/') c = '\\';
    }
    return out;
}

std::string EnvPath(const char* name) {
    const char* value = std::getenv(name);
    return value ? WinPath(value) : std::string();
}

template <typename Fn>
static bool Find(HMODULE module, const char* name, Fn* fn) {
    *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *fn != nullptr;
}

bool LoadPlugin(const std::string& path, Plugin* plugin) {
    plugin->path = path;
    plugin->iniPath = path.substr(0, path.find_last_of('.')) + ".ini";
    plugin->module = LoadLibraryA(path.c_str());
    if (!plugin->module) return false;
    HMODULE m = plugin->module;
    return Find(m, "GetPluginInfo", &plugin->getPluginInfo) && Find(m, "GetPluginInfoW", &plugin->getPluginInfoW) &&
           Find(m, "IsSupported", &plugin->isSupported) && Find(m, "IsSupportedW", &plugin->isSupportedW) &&
           Find(m, "GetPictureInfo", &plugin->getPictureInfo) &&
           Find(m, "GetPictureInfoW", &plugin->getPictureInfoW) && Find(m, "GetPicture", &plugin->getPicture) &&
           Find(m, "GetPictureW", &plugin->getPictureW) && Find(m, "GetPreview", &plugin->getPreview) &&
           Find(m, "GetPreviewW", &plugin->getPreviewW);
}

std::string ScratchDir() {
    std::string dir = EnvPath("OXEL_BINARY_DIR") + "\\glypho-scratch";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

Plugin& TestPlugin() {
    static Plugin plugin;
    if (!plugin.module) {
        std::string copy = ScratchDir() + "\\glypho-test.spi";
        CopyFileA((EnvPath("OXEL_OUT_DIR") + "\\glypho.spi").c_str(), copy.c_str(), FALSE);
        LoadPlugin(copy, &plugin);
    }
    return plugin;
}

void ClearSettings() {
    const std::string& ini = TestPlugin().iniPath;
    // A file that starts as UTF-16 keeps the Japanese texts that the tests write.
    if (GetFileAttributesA(ini.c_str()) == INVALID_FILE_ATTRIBUTES) WriteWholeFile(ini, {0xFF, 0xFE});
    for (const char* section : {"SystemSetting", "ViewSetting", "PreviewSetting"}) {
        WritePrivateProfileStringA(section, nullptr, nullptr, ini.c_str());
    }
}

void SetSetting(const char* section, const char* key, const char* value) {
    WritePrivateProfileStringA(section, key, value, TestPlugin().iniPath.c_str());
}

void SetSettingW(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    std::wstring ini(TestPlugin().iniPath.begin(), TestPlugin().iniPath.end());
    WritePrivateProfileStringW(section, key, value, ini.c_str());
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    if (size > 0 && (!ReadFile(file, bytes.data(), size, &read, nullptr) || read != size)) bytes.clear();
    CloseHandle(file);
    return bytes;
}

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

uint32_t Picture::At(int x, int y) const {
    const uint8_t* p = rows.data() + static_cast<size_t>(height - 1 - y) * stride() + static_cast<size_t>(x) * 3;
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

int Picture::InkIn(int x0, int y0, int x1, int y1, uint32_t background) const {
    int ink = 0;
    for (int y = y0 < 0 ? 0 : y0; y < y1 && y < height; ++y) {
        for (int x = x0 < 0 ? 0 : x0; x < x1 && x < width; ++x) ink += At(x, y) != background;
    }
    return ink;
}

void TakePicture(HLOCAL info, HLOCAL bits, Picture* picture) {
    *picture = Picture();
    if (!info || !bits) return;
    picture->infoBlockSize = LocalSize(info);
    const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(LocalLock(info));
    const uint8_t* pixels = static_cast<const uint8_t*>(LocalLock(bits));
    if (header && pixels) {
        picture->width = header->biWidth;
        picture->height = header->biHeight;
        picture->bitCount = header->biBitCount;
        picture->headerSize = header->biSize;
        picture->compression = header->biCompression;
        picture->rows.assign(pixels, pixels + LocalSize(bits));
    }
    LocalUnlock(info);
    LocalUnlock(bits);
    LocalFree(info);
    LocalFree(bits);
}

int32_t PictureOfFile(spi::GetPictureFn fn, const std::string& path, Picture* picture) {
    void* info = nullptr;
    void* bits = nullptr;
    int32_t status = fn(path.c_str(), 0, 0, &info, &bits, nullptr, 0);
    if (status == 0) TakePicture(info, bits, picture);
    return status;
}

}  // namespace glypho_test
