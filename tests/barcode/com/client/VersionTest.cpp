// The version block and the embedded type library, read back from the file.
#include <string>
#include <vector>

#include "Checks.h"
#include "Tests.h"

namespace {

std::wstring StringField(const std::vector<BYTE>& block, const std::wstring& name, bool& found) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = L"\\StringFileInfo\\040904B0\\" + name;
    found = VerQueryValueW(block.data(), path.c_str(), &value, &length) != FALSE;
    if (!found || length == 0) {
        return L"";
    }
    // The length counts the terminating null.
    return std::wstring(static_cast<const wchar_t*>(value));
}

void CheckField(const std::vector<BYTE>& block, const wchar_t* name, const wchar_t* expected) {
    bool found = false;
    const std::wstring value = StringField(block, name, found);
    check::That(found, "version field " + check::Printable(name) + " present");
    if (expected != nullptr) {
        check::Equal(value, expected, "version field " + check::Printable(name));
    } else {
        check::That(!value.empty(), "version field " + check::Printable(name) + " has a text");
    }
}

}  // namespace

void CheckVersionBlock(const std::wstring& file) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    check::That(size > 0, "the DLL has a version block");
    if (size == 0) {
        return;
    }
    std::vector<BYTE> block(size);
    check::That(GetFileVersionInfoW(file.c_str(), 0, size, block.data()) != FALSE,
                "GetFileVersionInfo");

    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", &value, &length) &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        check::That(fixed->dwFileVersionMS == MAKELONG(0, 1) && fixed->dwFileVersionLS == 39,
                    "file version 1.0.0.39");
        check::That(fixed->dwFileType == VFT_DLL, "file type DLL");
    } else {
        check::That(false, "the fixed version information");
    }
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) &&
        length >= 4) {
        const auto* translation = static_cast<const WORD*>(value);
        check::That(translation[0] == 0x0409 && translation[1] == 1200,
                    "translation US English, Unicode");
    } else {
        check::That(false, "the translation");
    }
    CheckField(block, L"FileVersion", L"1.00.0039");
    CheckField(block, L"ProductVersion", L"1.00.0039");
    CheckField(block, L"InternalName", L"cruflFernlowe");
    CheckField(block, L"OriginalFilename", L"cruflFernlowe.dll");
    CheckField(block, L"OLESelfRegister", L"");
    CheckField(block, L"FileDescription", nullptr);
    CheckField(block, L"ProductName", nullptr);

    HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    check::That(module != nullptr && FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB"),
                "the type library is resource TYPELIB 1");
    if (module != nullptr) {
        FreeLibrary(module);
    }
}
