// The picture handed outside through a real window: saved as a bitmap file
// (read back by Pillow, an independent reader), put on the clipboard, and
// printed through recorded printer calls with the page figures of an A4 sheet
// at 600 dots per inch. Pictures are bitmap files written byte by byte here,
// so that every pixel is known.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer/core/dialogs.h"
#include "viewer/fileops/print_clipboard.h"
#include "viewer/fileops/save_bitmap.h"
#include "viewer_window.h"

namespace {

// The test pattern: red follows x, green y, blue the 256-column band.
uint32_t Pattern(int x, int y) {
    return static_cast<uint32_t>((x & 255) << 16 | (y & 255) << 8 | ((x >> 8) * 100 + 17));
}

// A 24-bit bottom-up bitmap file of the pattern.
std::string PatternBmp(int width, int height) {
    std::string bytes = BitmapFileBytes(width, height);
    const size_t row = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t colour = Pattern(x, y);
            char* pixel = &bytes[54 + (height - 1 - y) * row + x * 3];
            for (int i = 0; i < 3; ++i) pixel[i] = static_cast<char>(colour >> (8 * i));
        }
    }
    return bytes;
}

// What a picture of the pattern (`width` × `height`) shows at (x, y) once
// turned clockwise by 90 degrees.
uint32_t TurnedPattern(int x, int y, int height) { return Pattern(y, height - 1 - x); }

// The Unix name of a path, for a program outside Wine.
std::string UnixPath(const std::wstring& path) {
    typedef char*(CDECL * UnixName)(const wchar_t*);
    UnixName convert = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return std::string();
    char* name = convert(path.c_str());
    std::string text = name ? name : "";
    if (name) HeapFree(GetProcessHeap(), 0, name);
    return text;
}

// A picture as Pillow reads it: size, mode and RGB bytes.
struct PillowPicture {
    int width = 0, height = 0;
    std::string mode;
    std::string rgb;
};

// Reads each bitmap file with Pillow (Debian's python3). Wine starts a Unix
// program without a handle to wait on: the script writes a last file when it
// is done. False when Pillow gave no answer.
bool ReadWithPillow(const std::vector<std::wstring>& files, std::vector<PillowPicture>& pictures) {
    std::wstring folder = MakeScratchFolder(L"pillow");
    std::wstring script = Join(folder, L"read.py");
    std::wstring done = Join(folder, L"done");
    DeleteFileW(done.c_str());
    WriteWholeFile(script,
                   "import sys\nfrom PIL import Image\n"
                   "for name, out in zip(sys.argv[2::2], sys.argv[3::2]):\n"
                   "    im = Image.open(name)\n"
                   "    rgb = im.convert('RGB')\n"
                   "    with open(out, 'wb') as f:\n"
                   "        f.write(b'%d %d %s\\n' % (rgb.size[0], rgb.size[1], im.mode.encode()))\n"
                   "        f.write(rgb.tobytes())\n"
                   "open(sys.argv[1], 'w').write('done')\n");
    std::string arguments = "\"" + UnixPath(script) + "\" \"" + UnixPath(done) + "\"";
    for (size_t i = 0; i < files.size(); ++i) {
        arguments += " \"" + UnixPath(files[i]) + "\" \"" + UnixPath(Join(folder, std::to_wstring(i) + L".rgb")) + "\"";
    }
    std::wstring commandLine = L"\"Z:\\usr\\bin\\python3\" " + std::wstring(arguments.begin(), arguments.end());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return false;
    }
    if (started.hProcess) CloseHandle(started.hProcess);
    if (started.hThread) CloseHandle(started.hThread);
    for (int i = 0; i < 300 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
    if (GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    pictures.clear();
    for (size_t i = 0; i < files.size(); ++i) {
        std::string bytes = ReadWholeFile(Join(folder, std::to_wstring(i) + L".rgb"));
        size_t line = bytes.find('\n');
        if (line == std::string::npos) return false;
        PillowPicture picture;
        char mode[16] = "";
        sscanf(bytes.substr(0, line).c_str(), "%d %d %15s", &picture.width, &picture.height, mode);
        picture.mode = mode;
        picture.rgb = bytes.substr(line + 1);
        pictures.push_back(picture);
    }
    return true;
}

uint32_t RgbAt(const PillowPicture& picture, int x, int y) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(picture.rgb.data()) + (y * picture.width + x) * 3;
    return static_cast<uint32_t>(p[0] << 16 | p[1] << 8 | p[2]);
}

// The save dialog's record as the viewer filled it, and the path it answers.
struct SaveDialogCall {
    HWND owner;
    std::wstring proposal, initialFolder, title, defaultExtension;
    std::vector<wchar_t> filter;
    DWORD flags;
};
std::vector<SaveDialogCall> g_saveCalls;
std::wstring g_saveAnswer;

BOOL AnswerSaveDialog(OPENFILENAMEW* dialog) {
    SaveDialogCall call = {dialog->hwndOwner, dialog->lpstrFile, dialog->lpstrInitialDir, dialog->lpstrTitle,
                           dialog->lpstrDefExt, {}, dialog->Flags};
    for (const wchar_t* p = dialog->lpstrFilter; p[0] || p[1]; ++p) call.filter.push_back(*p);
    g_saveCalls.push_back(call);
    if (g_saveAnswer.empty()) return FALSE;
    lstrcpynW(dialog->lpstrFile, g_saveAnswer.c_str(), dialog->nMaxFile);
    return TRUE;
}

std::vector<wchar_t> Filter(const wchar_t* name) {
    std::wstring text = std::wstring(name) + L'\0' + L"*.bmp";
    return std::vector<wchar_t>(text.begin(), text.end());
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

class Output : public ViewerWindowTest {
protected:
    void SetUp() override {
        ViewerWindowTest::SetUp();
        g_saveCalls.clear();
        g_saveAnswer.clear();
        SetSaveDialogHook(AnswerSaveDialog);
    }
    // A folder with the pattern picture "turn.bmp" of the given size, shown.
    std::wstring ShowPattern(const wchar_t* tag, int width, int height, const std::string& settings) {
        std::wstring folder = MakeFolderWith(tag, {});
        WriteWholeFile(Join(folder, L"turn.bmp"), PatternBmp(width, height));
        Create(settings, L"\"" + Join(folder, L"turn.bmp") + L"\"");
        return folder;
    }
    HICON SmallIcon() { return reinterpret_cast<HICON>(SendMessageW(window_, WM_GETICON, ICON_SMALL, 0)); }
    HICON CrossedIcon() {
        return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"OxelICON_SM_X", IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
};

TEST_F(Output, ATurnedPictureIsSavedTurnedAndReadsBackTheSame) {
    std::wstring folder = ShowPattern(L"save", 300, 200, "[SystemSetting]\r\nEnglish=ON\r\n");
    std::wstring elsewhere = MakeFolderWith(L"save-to", {});
    Send(WM_COMMAND, IDM_ROTATE_R);
    g_saveAnswer = Join(elsewhere, L"turned.bmp");
    Send(WM_COMMAND, IDM_SAVE_IMAGE);
    ASSERT_EQ(g_saveCalls.size(), 1u);
    const SaveDialogCall& call = g_saveCalls[0];
    EXPECT_EQ(call.owner, window_);
    EXPECT_EQ(call.proposal, Join(folder, L"turn.bmp"));
    EXPECT_EQ(call.initialFolder, folder);
    EXPECT_EQ(call.title, L"Oxel - Save Filename");
    EXPECT_EQ(call.filter, Filter(L"Bitmap File(*.bmp)"));
    EXPECT_EQ(call.defaultExtension, L"bmp");
    EXPECT_TRUE(call.flags & OFN_OVERWRITEPROMPT);
    EXPECT_TRUE(boxes_.empty());
    // Saved elsewhere: the list stays as it was.
    EXPECT_EQ(state_->lastListIndex, 0);

    const std::string file = ReadWholeFile(g_saveAnswer);
    ASSERT_GE(file.size(), 54u);
    EXPECT_EQ(file.size(), 54u + 200 * 300 * 4);
    EXPECT_EQ(static_cast<unsigned char>(file[28]), 32);  // the turned copy's own depth, no colour table
    EXPECT_EQ(static_cast<unsigned char>(file[10]), 54);
    std::vector<PillowPicture> read;
    if (!ReadWithPillow({g_saveAnswer}, read)) GTEST_SKIP() << "Pillow could not be started";
    ASSERT_EQ(read[0].width, 200);
    ASSERT_EQ(read[0].height, 300);
    int wrong = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 200; ++x) wrong += RgbAt(read[0], x, y) != TurnedPattern(x, y, 200);
    EXPECT_EQ(wrong, 0);
    // Only the saved file is left in the folder.
    EXPECT_EQ(FilesIn(elsewhere), (std::vector<std::wstring>{L"turned.bmp"}));
    // Without "MemorizeFolder" the next save starts in the shown folder again.
    g_saveAnswer.clear();
    Send(WM_COMMAND, IDM_SAVE_IMAGE);
    ASSERT_EQ(g_saveCalls.size(), 2u);
    EXPECT_EQ(g_saveCalls[1].initialFolder, folder);
}

TEST_F(Output, SavingOverTheShownFileIsRefusedInEitherLanguage) {
    std::wstring folder = ShowPattern(L"same", 30, 20, "");
    const std::string before = ReadWholeFile(Join(folder, L"turn.bmp"));
    g_saveAnswer = Join(folder, L"TURN.BMP");
    Send(WM_COMMAND, IDM_SAVE_IMAGE);
    state_->settings.English = 1;
    Send(WM_COMMAND, IDM_SAVE_IMAGE);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].text, L"現在と同じファイルが指定されました。");
    EXPECT_EQ(boxes_[1].text, L"Select same file as current.");
    EXPECT_EQ(boxes_[1].caption, L"Oxel");
    EXPECT_EQ(boxes_[1].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(g_saveCalls[0].title, L"Oxel - 保存ファイル名を選択");
    EXPECT_EQ(g_saveCalls[0].filter, Filter(L"ビットマップファイル(*.bmp)"));
    EXPECT_EQ(ReadWholeFile(Join(folder, L"turn.bmp")), before);
    EXPECT_EQ(FilesIn(folder).size(), 1u);
}

TEST_F(Output, AFileSavedIntoTheShownFolderIsListedOrMarksTheListOutOfDate) {
    std::wstring folder = ShowPattern(L"into", 30, 20, "[SystemSetting]\r\nRereadFileList=ON\r\nEnglish=ON\r\n");
    g_saveAnswer = Join(folder, L"a-copy.bmp");
    Send(WM_COMMAND, IDM_SAVE_IMAGE);
    EXPECT_EQ(Names(state_->fileList.paths), (std::vector<std::wstring>{L"a-copy.bmp", L"turn.bmp"}));
    EXPECT_EQ(state_->currentIndex, 1);
    EXPECT_EQ(state_->lastListIndex, 1);
    // Saved again over it: still listed once.
    Send(WM_COMMAND, IDM_SAVE_IMAGE);
    EXPECT_EQ(state_->lastListIndex, 1);
    EXPECT_TRUE(boxes_.empty());

    // Without "RereadFileList" the folder check of an activation runs: the
    // list no longer matches the folder, key sending stops, the icons say so.
    state_->settings.RereadFileList = 0;
    g_saveAnswer = Join(folder, L"b-copy.bmp");
    Send(WM_COMMAND, IDM_SAVE_IMAGE);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"File structure was changed, so stop key sending.");
    EXPECT_EQ(state_->keySendingOn, 0);
    EXPECT_EQ(state_->lastListIndex, 1);
    EXPECT_EQ(SmallIcon(), CrossedIcon());
}

TEST_F(Output, AFailedSaveLeavesTheTargetAsItWasAndNoOtherFile) {
    std::wstring folder = ShowPattern(L"fail", 30, 20, "[SystemSetting]\r\nEnglish=ON\r\n");
    std::wstring target = MakeFolderWith(L"fail-to", {});
    const std::wstring kept = Join(target, L"kept.bmp");
    WriteWholeFile(kept, "a good picture");
    SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_READONLY);
    g_saveAnswer = kept;
    Send(WM_COMMAND, IDM_SAVE_IMAGE);
    SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadWholeFile(kept), "a good picture");
    EXPECT_EQ(FilesIn(target), (std::vector<std::wstring>{L"kept.bmp"}));

    // A folder that has vanished.
    g_saveAnswer = Join(target, L"gone\\new.bmp");
    Send(WM_COMMAND, IDM_SAVE_IMAGE);
    EXPECT_EQ(FilesIn(target), (std::vector<std::wstring>{L"kept.bmp"}));
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].text, L"Fail to save kept.bmp.");
    EXPECT_EQ(boxes_[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes_[1].text, L"Fail to save new.bmp.");
    EXPECT_EQ(FilesIn(folder), (std::vector<std::wstring>{L"turn.bmp"}));
}

// Bitmaps of every depth with a colour table, and two without, written and
// read back by Pillow: the palette colours arrive at their pixels.
TEST(WriteBitmapFile, WritesEachDepthWithItsColourTable) {
    std::wstring folder = MakeFolderWith(L"depths", {});
    const int width = 13, height = 7;  // odd sizes: padded rows
    std::vector<std::wstring> files;
    std::vector<int> depths = {1, 4, 8, 16, 24};
    HDC screen = GetDC(nullptr);
    for (int depth : depths) {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[256];
        } info = {};
        info.header = {sizeof(BITMAPINFOHEADER), width, -height, 1, static_cast<WORD>(depth), BI_RGB, 0, 0, 0, 0, 0};
        for (int i = 0; i < 256; ++i) {
            info.colours[i] = {static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), static_cast<BYTE>(i * 3), 0};
        }
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(bitmap, nullptr) << depth;
        const int stride = ((width * depth + 31) / 32) * 4;
        unsigned char* rows = static_cast<unsigned char*>(bits);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int index = (x + y * 3) % (1 << (depth < 8 ? depth : 8));
                unsigned char* row = rows + y * stride;
                if (depth == 1) row[x / 8] |= static_cast<unsigned char>(index << (7 - x % 8));
                if (depth == 4) row[x / 2] |= static_cast<unsigned char>(index << (x % 2 ? 0 : 4));
                if (depth == 8) row[x] = static_cast<unsigned char>(index);
                if (depth == 16) reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(x << 10 | y << 5 | 31);
                if (depth == 24) {
                    row[x * 3] = static_cast<unsigned char>(x * 10);
                    row[x * 3 + 1] = static_cast<unsigned char>(y * 20);
                    row[x * 3 + 2] = 200;
                }
            }
        }
        files.push_back(Join(folder, L"depth" + std::to_wstring(depth) + L".bmp"));
        EXPECT_TRUE(WriteBitmapFile(bitmap, files.back().c_str())) << depth;
        DeleteObject(bitmap);
        const std::string bytes = ReadWholeFile(files.back());
        const int entries = depth == 1 ? 2 : depth == 4 ? 16 : depth == 8 ? 256 : 0;
        ASSERT_EQ(bytes.size(), static_cast<size_t>(54 + 4 * entries + stride * height)) << depth;
        EXPECT_EQ(static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11]) << 8, 54 + 4 * entries);
        EXPECT_EQ(static_cast<unsigned char>(bytes[28]), depth);
    }
    ReleaseDC(nullptr, screen);

    std::vector<PillowPicture> read;
    if (!ReadWithPillow(files, read)) GTEST_SKIP() << "Pillow could not be started";
    ASSERT_EQ(read.size(), depths.size());
    for (size_t i = 0; i < depths.size(); ++i) {
        const int depth = depths[i];
        ASSERT_EQ(read[i].width, width) << depth;
        ASSERT_EQ(read[i].height, height) << depth;
        EXPECT_EQ(read[i].mode, depth <= 8 ? "P" : "RGB") << depth;  // palettes of their own colours
        int wrong = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                uint32_t expected;
                if (depth <= 8) {
                    const int index = (x + y * 3) % (1 << depth);
                    expected = static_cast<uint32_t>(((index * 3) & 255) << 16 | ((index * 7) & 255) << 8 | (255 - index));
                } else if (depth == 16) {
                    // Five bits a channel, widened as Pillow widens them.
                    auto widen = [](int v) { return static_cast<uint32_t>(v * 255 / 31); };
                    expected = widen(x) << 16 | widen(y) << 8 | widen(31);
                } else {
                    expected = 200u << 16 | static_cast<uint32_t>((y * 20) << 8 | (x * 10));
                }
                wrong += RgbAt(read[i], x, y) != expected;
            }
        }
        EXPECT_EQ(wrong, 0) << depth;
    }
}

// Larger than the 16 MB band that the rows pass through: every row lands in
// its place, bottom row first.
TEST(WriteBitmapFile, WritesALargeBitmapBandByBand) {
    const int width = 8192, height = 600;  // 32 KB rows: 512 to a band
    HDC screen = GetDC(nullptr);
    uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateTopDownSection(screen, width, height, reinterpret_cast<void**>(&bits));
    ReleaseDC(nullptr, screen);
    ASSERT_NE(bitmap, nullptr);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bits[y * width + x] = static_cast<uint32_t>(y << 16 | (x & 0xFFFF));
    const std::wstring path = Join(MakeFolderWith(L"large", {}), L"large.bmp");
    EXPECT_TRUE(WriteBitmapFile(bitmap, path.c_str()));
    DeleteObject(bitmap);
    const std::string file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), 54u + 4u * width * height);
    int wrong = 0;
    for (int row = 0; row < height; ++row) {
        std::vector<uint32_t> pixels(width);
        memcpy(pixels.data(), file.data() + 54 + static_cast<size_t>(row) * width * 4, width * 4u);
        const int y = height - 1 - row;
        for (int x = 0; x < width; ++x) wrong += pixels[x] != static_cast<uint32_t>(y << 16 | (x & 0xFFFF));
    }
    EXPECT_EQ(wrong, 0);
    DeleteFileW(path.c_str());
}

TEST_F(Output, TheClipboardGetsThePictureAsItIsTurned) {
    ShowPattern(L"clip", 300, 200, "");
    Send(WM_COMMAND, IDM_ROTATE_R);
    Send(WM_COMMAND, IDM_COPY_IMAGE);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HBITMAP clip = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    ASSERT_NE(clip, nullptr);
    BITMAP facts = {};
    GetObjectW(clip, sizeof facts, &facts);
    EXPECT_EQ(facts.bmWidth, 200);
    EXPECT_EQ(facts.bmHeight, 300);
    std::vector<uint32_t> pixels(200 * 300);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 200, -300, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(screen, clip, 0, 300, pixels.data(), &info, DIB_RGB_COLORS), 300);
    ReleaseDC(nullptr, screen);
    CloseClipboard();
    int wrong = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 200; ++x) wrong += (pixels[y * 200 + x] & 0xFFFFFF) != TurnedPattern(x, y, 200);
    EXPECT_EQ(wrong, 0);

    // An unsupported file has no picture: the clipboard keeps what it holds.
    std::wstring folder = MakeFolderWith(L"clip-text", {L"note.png"});
    Create("", L"\"" + Join(folder, L"note.png") + L"\"");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 4);
    memcpy(GlobalLock(text), "abc", 4);
    GlobalUnlock(text);
    SetClipboardData(CF_TEXT, text);
    CloseClipboard();
    Send(WM_COMMAND, IDM_COPY_IMAGE);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
}

// The printer as a test sees it: an A4 page at 600 dots per inch, every
// call recorded.
struct PrintRecord {
    std::wstring documentName;
    int starts = 0, pages = 0, pageEnds = 0, ends = 0;
    std::vector<std::vector<int>> draws;  // x, y, width, height, source width, source height
    DWORD dialogFlags = 0;
    HWND dialogOwner = nullptr;
    HDC dc = nullptr;
} g_print;

BOOL AnswerPrintDialog(PRINTDLGW* dialog) {
    g_print.dialogFlags = dialog->Flags;
    g_print.dialogOwner = dialog->hwndOwner;
    HDC screen = GetDC(nullptr);
    dialog->hDC = g_print.dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    return TRUE;
}

int WINAPI PageCaps(HDC, int index) {
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 600;
    case HORZRES:
        return 4960;
    case VERTRES:
        return 7016;
    default:
        return 0;
    }
}
int WINAPI RecordStartDoc(HDC, const DOCINFOW* document) {
    g_print.documentName = document->lpszDocName;
    return ++g_print.starts;
}
int WINAPI RecordStartPage(HDC) { return ++g_print.pages; }
int WINAPI RecordDraw(HDC, int x, int y, int width, int height, int, int, int sourceWidth, int sourceHeight, const void*,
               const BITMAPINFO*, UINT, DWORD) {
    g_print.draws.push_back({x, y, width, height, sourceWidth, sourceHeight});
    return height;
}
int WINAPI RecordEndPage(HDC) { return ++g_print.pageEnds; }
int WINAPI RecordEndDoc(HDC) { return ++g_print.ends; }
const PrinterCalls kRecorder = {PageCaps, RecordStartDoc, RecordStartPage, RecordDraw, RecordEndPage, RecordEndDoc};

TEST_F(Output, APrintLandsOnThePageAtTheComputedPlaceAndSize) {
    g_print = PrintRecord();
    SetPrintDialogHook(AnswerPrintDialog);
    SetPrinterCalls(&kRecorder);
    ShowPattern(L"print", 100, 50, "");
    Send(WM_COMMAND, IDM_PRINT);
    Send(WM_COMMAND, IDM_ROTATE_R);
    Send(WM_COMMAND, IDM_PRINT);
    SetPrinterCalls(nullptr);
    EXPECT_EQ(g_print.dialogOwner, window_);
    EXPECT_EQ(g_print.dialogFlags & (PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE),
              static_cast<DWORD>(PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE));
    EXPECT_EQ(g_print.documentName, L"turn.bmp");
    EXPECT_EQ(g_print.starts, 2);
    EXPECT_EQ(g_print.pages, 2);
    EXPECT_EQ(g_print.pageEnds, 2);
    EXPECT_EQ(g_print.ends, 2);
    // Margin 2 cm: 472 dots a side (trunc 472.44), 944 in all (trunc 944.88);
    // usable 4016 × 6072. Ten times 100 × 50 is 1000 × 500, centred across.
    ASSERT_EQ(g_print.draws.size(), 2u);
    EXPECT_EQ(g_print.draws[0], (std::vector<int>{1980, 472, 1000, 500, 100, 50}));
    EXPECT_EQ(g_print.draws[1], (std::vector<int>{2230, 472, 500, 1000, 50, 100}));
    // The dialog's device context is released.
    EXPECT_EQ(GetObjectType(g_print.dc), 0u);
}

}  // namespace
