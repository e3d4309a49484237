// A stand-in for the Driver Package Installer of the sample package: records
// that it was started, with one line in dpinst-started.log beside the program
// (program name, local time, current directory, arguments), and exits.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    char module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string path(module, length);
    const std::size_t slash = path.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    const std::string program = slash == std::string::npos ? path : path.substr(slash + 1);

    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    SYSTEMTIME t;
    GetLocalTime(&t);
    char when[32];
    std::snprintf(when, sizeof when, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    std::string args;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) args += " ";
        args += argv[i];
    }

    const std::string log = folder + "\\dpinst-started.log";
    std::FILE* out = std::fopen(log.c_str(), "ab");
    if (!out) return 1;
    std::fprintf(out, "%s started %s cwd=\"%s\" args=\"%s\"\r\n", program.c_str(), when, cwd, args.c_str());
    std::fclose(out);
    return 0;
}
