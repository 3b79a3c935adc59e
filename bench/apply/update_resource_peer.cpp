// The benchmark's peer: the same replacements through the system's UpdateResource. For
// each line "INPUT|OUTPUT|LOCALISED" of a list it copies INPUT to OUTPUT and replaces its
// menus, dialogs, string tables and version resources with those of LOCALISED (the copy
// Mervik wrote). Only the copy and the update are timed; the resources are read first.
// Prints "files=N ms=T". usage: update_resource_peer.exe LIST
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Resource {
    LPCWSTR type;
    std::wstring name;  // "#12" for a number
    WORD language;
    std::string bytes;
};

struct Job {
    std::wstring input, output;
    std::vector<Resource> resources;
};

std::wstring wide(const std::string& s) {
    std::wstring out(s.size(), L'\0');
    out.resize(
        MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), static_cast<int>(s.size())));
    return out;
}

std::wstring name_of(LPCWSTR name) {
    if (IS_INTRESOURCE(name)) return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name));
    return name;
}

LPCWSTR as_name(const std::wstring& name) {
    if (name[0] == L'#') return MAKEINTRESOURCEW(std::stoi(name.substr(1)));
    return name.c_str();
}

struct Reading {
    HMODULE module;
    LPCWSTR type;
    std::wstring name;
    std::vector<Resource>* out;
};

BOOL CALLBACK each_language(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR data) {
    auto& r = *reinterpret_cast<Reading*>(data);
    HRSRC found = FindResourceExW(module, type, name, language);
    if (found == nullptr) return TRUE;
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    r.out->push_back({r.type, r.name, language, std::string(bytes, SizeofResource(module, found))});
    return TRUE;
}

BOOL CALLBACK each_name(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR data) {
    auto& r = *reinterpret_cast<Reading*>(data);
    r.name = name_of(name);
    EnumResourceLanguagesW(module, type, name, each_language, data);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    FILE* list = std::fopen(argv[1], "rb");
    if (list == nullptr) return 2;
    std::vector<Job> jobs;
    char line[4096];
    while (std::fgets(line, sizeof line, list) != nullptr) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
        const std::size_t a = s.find('|'), b = s.find('|', a + 1);
        if (a == std::string::npos || b == std::string::npos) continue;
        Job job{wide(s.substr(0, a)), wide(s.substr(a + 1, b - a - 1)), {}};
        HMODULE localised = LoadLibraryExW(wide(s.substr(b + 1)).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (localised == nullptr) continue;
        for (const WORD number : {4, 5, 6, 16}) {  // menus, dialogs, string tables, versions
            const LPCWSTR type = MAKEINTRESOURCEW(number);
            Reading r{localised, type, L"", &job.resources};
            EnumResourceNamesW(localised, type, each_name, reinterpret_cast<LONG_PTR>(&r));
        }
        FreeLibrary(localised);
        jobs.push_back(std::move(job));
    }
    std::fclose(list);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::size_t failed = 0;
    for (const Job& job : jobs) {
        if (!CopyFileW(job.input.c_str(), job.output.c_str(), FALSE)) {
            ++failed;
            continue;
        }
        HANDLE update = BeginUpdateResourceW(job.output.c_str(), FALSE);
        if (update == nullptr) {
            ++failed;
            continue;
        }
        for (const Resource& r : job.resources) {
            UpdateResourceW(update, r.type, as_name(r.name), r.language, const_cast<char*>(r.bytes.data()),
                            static_cast<DWORD>(r.bytes.size()));
        }
        if (!EndUpdateResourceW(update, FALSE)) ++failed;
    }
    QueryPerformanceCounter(&end);
    std::printf("files=%u failed=%u ms=%.1f\n", static_cast<unsigned>(jobs.size()), static_cast<unsigned>(failed),
                (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
    return 0;
}
