// The key-name vocabulary and the key-text rules. Names are compared as whole
// strings ignoring ASCII case; blanks are part of a name, so "CTRL " is no name.
#include "viewer/core/key_names.h"

#include <cwchar>
#include <string>

#include "viewer/core/ascii_case.h"

namespace {

struct NamedKey {
    const wchar_t* name;
    int code;
};

// In lookup order; the first equal name wins.
const NamedKey kNamedKeys[] = {
    {L"BS", 8}, {L"BackSpace", 8}, {L"BACK", 8},
    {L"TAB", 9},
    {L"ENTER", 13}, {L"RETURN", 13},
    {L"ESC", 27}, {L"ESCAPE", 27},
    {L"SPACE", 32}, {L"SP", 32},
    {L"PageDown", 34}, {L"PgDown", 34}, {L"NEXT", 34},
    {L"PageUp", 33}, {L"PgUp", 33}, {L"PRIOR", 33},
    {L"HOME", 36},
    {L"END", 35},
    {L"INSERT", 45}, {L"INS", 45},
    {L"DELETE", 46}, {L"DEL", 46},
    {L"LEFT", 37},
    {L"UP", 38},
    {L"RIGHT", 39},
    {L"DOWN", 40},
    {L"ADD", 107}, {L"PLUS", 107},
    {L"SUBTRACT", 109}, {L"MINUS", 109},
    {L"MULTIPLY", 106}, {L"ASTER", 106}, {L"ASTERISK", 106},
    {L"DIVIDE", 111}, {L"SLASH", 111},
    {L"PERIOD", 110}, {L"DECIMAL", 110},
    {L"COMMA", 108}, {L"CAMMA", 108}, {L"SEPARATOR", 108},
    {L"SHIFT", 16},
    {L"CTRL", 17}, {L"CONTROL", 17},
    {L"ALT", 18},
};

// "NUMPAD0".."NUMPAD9", "NUM0".."NUM9", "F1".."F12", "0".."9", "A".."Z".
int PatternKeyCode(const wchar_t* name) {
    size_t length = wcslen(name);
    auto digitAfter = [&](const wchar_t* prefix) -> int {
        size_t n = wcslen(prefix);
        if (length != n + 1) return -1;
        for (size_t i = 0; i < n; ++i) {
            if (UpperAscii(name[i]) != prefix[i]) return -1;
        }
        wchar_t d = name[n];
        return (d >= L'0' && d <= L'9') ? d - L'0' : -1;
    };
    int digit = digitAfter(L"NUMPAD");
    if (digit >= 0) return 96 + digit;
    digit = digitAfter(L"NUM");
    if (digit >= 0) return 96 + digit;
    if ((length == 2 || length == 3) && UpperAscii(name[0]) == L'F') {
        int number = 0;
        for (size_t i = 1; i < length; ++i) {
            if (name[i] < L'0' || name[i] > L'9') return 0;
            number = number * 10 + (name[i] - L'0');
        }
        if (name[1] != L'0' && number >= 1 && number <= 12) return 111 + number;
        return 0;
    }
    if (length == 1) {
        wchar_t c = UpperAscii(name[0]);
        if (c >= L'0' && c <= L'9') return c;
        if (c >= L'A' && c <= L'Z') return c;
    }
    return 0;
}

// The first and second '+'-separated names of a combination.
void SplitCombination(const std::wstring& piece, std::wstring& first, std::wstring& second,
                      bool& hasPlus) {
    size_t plus = piece.find(L'+');
    hasPlus = plus != std::wstring::npos;
    if (!hasPlus) {
        first = piece;
        second.clear();
        return;
    }
    first = piece.substr(0, plus);
    size_t next = piece.find(L'+', plus + 1);
    second = piece.substr(plus + 1, next == std::wstring::npos ? std::wstring::npos : next - plus - 1);
}

bool IsModifierCode(int code) { return code == 16 || code == 17 || code == 18; }

}  // namespace

int KeyCode(const wchar_t* name) {
    if (!name) return 0;
    for (const NamedKey& k : kNamedKeys) {
        if (EqualIgnoringAsciiCase(name, k.name)) return k.code;
    }
    return PatternKeyCode(name);
}

KeyPair ParseKeyText(const wchar_t* text) {
    std::wstring first, second;
    bool hasPlus = false;
    SplitCombination(text ? text : L"", first, second, hasPlus);
    int firstCode = KeyCode(first.c_str());
    if (!hasPlus) return {0, firstCode};
    int secondCode = KeyCode(second.c_str());
    if (IsModifierCode(firstCode)) return {firstCode, secondCode};
    return {secondCode, firstCode};
}

void AppendKeyBindings(const wchar_t* value, uint16_t command, std::vector<AccelEntry>& entries) {
    if (!value) return;
    std::wstring text(value);
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(L',', start);
        size_t end = comma == std::wstring::npos ? text.size() : comma;
        std::wstring piece = text.substr(start, end - start);
        if (!piece.empty()) {
            if (entries.size() >= kMaxAccelEntries) return;
            std::wstring first, second;
            bool hasPlus = false;
            SplitCombination(piece, first, second, hasPlus);
            int firstCode = KeyCode(first.c_str());
            AccelEntry entry{kAccelVirtKey, uint16_t(firstCode), command};
            if (hasPlus && IsModifierCode(firstCode)) {
                entry.key = uint16_t(KeyCode(second.c_str()));
                entry.flags |= firstCode == 16 ? kAccelShift : firstCode == 17 ? kAccelControl : kAccelAlt;
            }
            entries.push_back(entry);
        }
        if (comma == std::wstring::npos) break;
        start = comma + 1;
    }
}

const std::vector<KeyBinding>& KeyBindingTable() {
    static const std::vector<KeyBinding> table = {
        {L"Open", 100, L""},           {L"Next", 110, L""},
        {L"Prev", 120, L""},           {L"NextInArchive", 130, L""},
        {L"PrevInArchive", 140, L""},  {L"SwitchAnime", 150, L""},
        {L"SlideShow", 155, L""},      {L"Exit", 160, L""},
        {L"DeleteFile", 310, L""},     {L"CopyFile", 330, L""},
        {L"MoveFile", 320, L""},       {L"SwitchWindowMode", 200, L""},
        {L"SwitchOnTop", 300, L""},    {L"ScrollUp", 520, L""},
        {L"ScrollDown", 510, L""},     {L"PageUp", 540, L""},
        {L"PageDown", 530, L""},       {L"ScrollTop", 560, L""},
        {L"ScrollBottom", 550, L""},   {L"ScrollLeft", 580, L""},
        {L"ScrollRight", 570, L""},    {L"PageLeft", 600, L""},
        {L"PageRight", 590, L""},      {L"ScrollLeftmost", 620, L""},
        {L"ScrollRightmost", 610, L""}, {L"SwitchFitOut", 210, L""},
        {L"SwitchFitIn", 220, L""},    {L"SwitchFitWidth", 340, L"SLASH"},
        {L"ZoomIn", 240, L""},         {L"ZoomOut", 230, L""},
        {L"ZoomReset", 250, L""},      {L"RotateRight", 270, L""},
        {L"RotateLeft", 260, L""},     {L"CopyImage", 280, L""},
        {L"Print", 290, L""},          {L"SaveImage", 350, L""},
        {L"Liner", 360, L""},
    };
    return table;
}
