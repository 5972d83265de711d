#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Reading what registration wrote below HKEY_CLASSES_ROOT.

bool KeyExists(const std::wstring& key);

// A string value (name null: the default value), if the key and value exist.
std::optional<std::wstring> TextValue(const std::wstring& key, const wchar_t* name);

std::wstring GuidText(REFGUID guid);

// A file's full path, as registration writes it.
std::wstring FullPath(const std::wstring& file);
