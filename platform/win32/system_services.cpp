// The file system, registry, pause and error texts through the Win32 calls.
#include "platform/system_services.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/win32/win32_services.h"

namespace tq::platform {
namespace {

class Win32FileSystem final : public FileSystem {
public:
    CallResult Copy(const std::string& source, const std::string& destination, bool failIfExists) override {
        if (CopyFileA(source.c_str(), destination.c_str(), failIfExists ? TRUE : FALSE)) return CallResult::Success();
        return CallResult::Failure(GetLastError());
    }

    CallResult Delete(const std::string& path) override {
        if (DeleteFileA(path.c_str())) return CallResult::Success();
        return CallResult::Failure(GetLastError());
    }

    bool SameBytes(const std::string& first, const std::string& second) override {
        const HANDLE a = OpenForReading(first);
        if (a == INVALID_HANDLE_VALUE) return false;
        const HANDLE b = OpenForReading(second);
        if (b == INVALID_HANDLE_VALUE) {
            CloseHandle(a);
            return false;
        }
        bool same = false;
        LARGE_INTEGER sizeA{}, sizeB{};
        if (GetFileSizeEx(a, &sizeA) && GetFileSizeEx(b, &sizeB) && sizeA.QuadPart == sizeB.QuadPart) {
            same = true;
            constexpr DWORD kChunk = 64 * 1024;
            std::vector<char> bufferA(kChunk), bufferB(kChunk);
            for (;;) {
                DWORD readA = 0, readB = 0;
                if (!ReadFile(a, bufferA.data(), kChunk, &readA, nullptr) ||
                    !ReadFile(b, bufferB.data(), kChunk, &readB, nullptr) || readA != readB ||
                    std::memcmp(bufferA.data(), bufferB.data(), readA) != 0) {
                    same = false;
                    break;
                }
                if (readA == 0) break;
            }
        }
        CloseHandle(a);
        CloseHandle(b);
        return same;
    }

private:
    static HANDLE OpenForReading(const std::string& path) {
        return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
};

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

class Win32Registry final : public Registry {
public:
    OpenKeyResult OpenKeyForWriting(RegistryRoot root, const std::string& keyPath) override {
        HKEY key = nullptr;
        const LONG status = RegOpenKeyExA(RootKey(root), keyPath.c_str(), 0, KEY_SET_VALUE, &key);
        if (status != ERROR_SUCCESS) return {nullptr, static_cast<ErrorCode>(status)};
        return {key, kErrorSuccess};
    }

    ErrorCode SetStringValue(RegistryKey key, const std::string& valueName, const std::string& data) override {
        // The byte count leaves out the terminating NUL.
        return static_cast<ErrorCode>(RegSetValueExA(static_cast<HKEY>(key), valueName.c_str(), 0, REG_SZ,
                                                     reinterpret_cast<const BYTE*>(data.c_str()),
                                                     static_cast<DWORD>(data.size())));
    }

    ErrorCode CloseKey(RegistryKey key) override {
        return static_cast<ErrorCode>(RegCloseKey(static_cast<HKEY>(key)));
    }

    OpenKeyResult OpenKeyForReading(RegistryRoot root, const std::string& keyPath) override {
        HKEY key = nullptr;
        const LONG status = RegOpenKeyExA(RootKey(root), keyPath.c_str(), 0, KEY_QUERY_VALUE, &key);
        if (status != ERROR_SUCCESS) return {nullptr, static_cast<ErrorCode>(status)};
        return {key, kErrorSuccess};
    }

    StringValueResult QueryStringValue(RegistryKey key, const std::string& valueName) override {
        DWORD type = 0, size = 0;
        LONG status = RegQueryValueExA(static_cast<HKEY>(key), valueName.c_str(), nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS) return {{}, static_cast<ErrorCode>(status)};
        if (type != REG_SZ) return {{}, ERROR_UNSUPPORTED_TYPE};
        std::string data(size + 1, '\0');  // room for a NUL the stored value may lack
        status = RegQueryValueExA(static_cast<HKEY>(key), valueName.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(&data[0]), &size);
        if (status != ERROR_SUCCESS) return {{}, static_cast<ErrorCode>(status)};
        data.resize(size < data.size() ? size : data.size());
        while (!data.empty() && data.back() == '\0') data.pop_back();
        return {data, kErrorSuccess};
    }

    ErrorCode DeleteValue(RegistryKey key, const std::string& valueName) override {
        return static_cast<ErrorCode>(RegDeleteValueA(static_cast<HKEY>(key), valueName.c_str()));
    }
};

class Win32Sleeper final : public Sleeper {
public:
    void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }
};

}  // namespace

std::unique_ptr<Spooler> SystemSpooler() { return win32::MakeSpooler(); }
std::unique_ptr<FileSystem> SystemFileSystem() { return std::make_unique<Win32FileSystem>(); }
std::unique_ptr<Registry> SystemRegistry() { return std::make_unique<Win32Registry>(); }
std::unique_ptr<Sleeper> SystemSleeper() { return std::make_unique<Win32Sleeper>(); }

std::string SystemTextToUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide <= 0) return text;
    std::wstring w(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &w[0], wide);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

std::string Utf8ToSystemText(const std::string& text) {
    if (text.empty()) return {};
    const int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide <= 0) return text;
    std::wstring w(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &w[0], wide);
    const int bytes = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

std::string SystemErrorText(ErrorCode error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string out;
    if (length && text) {
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
        out.resize(static_cast<std::size_t>(bytes > 0 ? bytes : 0));
        if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &out[0], bytes, nullptr, nullptr);
    }
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == '\r' || out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

}  // namespace tq::platform
