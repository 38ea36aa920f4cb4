#pragma once
// A phonebook file in the INI style of rasphone.pbk: one [section] per entry,
// one key=value line per setting. Read and written whole at every call, so an
// entry written by one process is what the next one reads.
#include <windows.h>
#include <string>
#include <utility>
#include <vector>

class Phonebook {
public:
    using Settings = std::vector<std::pair<std::string, std::string>>;

    // The caller's phonebook file, or the user's default one for null.
    static std::string PathFor(LPCSTR phonebook);

    explicit Phonebook(std::string path);

    // False when there is no entry of that name (names compare without case).
    bool Read(const std::string& entry, Settings* settings) const;
    // Replaces every setting of the entry; 0 or a system error number.
    DWORD Write(const std::string& entry, const Settings& settings) const;

private:
    struct Section {
        std::string name;
        Settings settings;
    };
    std::vector<Section> Load() const;
    DWORD Save(const std::vector<Section>& sections) const;

    std::string m_path;
};
