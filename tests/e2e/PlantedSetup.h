#pragma once

#include <map>
#include <string>
#include <vector>

// The setup as it is usually started: from a folder where anyone can leave files (Downloads). A copy
// of it is put in a folder of its own together with a marker library under the name of every
// library a run loads that is not one the system always takes from its own folder; Wine is told to
// prefer such copies to its own (WINEDLLOVERRIDES). A marker that is loaded leaves a record in
// %TEMP%\tessera-planted\.
class PlantedSetup {
public:
    // The libraries planted, without ".dll".
    static const std::vector<std::wstring>& LibraryNames();

    PlantedSetup();
    ~PlantedSetup();
    PlantedSetup(const PlantedSetup&) = delete;
    PlantedSetup& operator=(const PlantedSetup&) = delete;

    const std::wstring& Executable() const { return m_executable; }
    const std::wstring& Folder() const { return m_folder; }
    // For the setup's process: the overrides, and whatever else is given.
    std::map<std::wstring, std::wstring> Environment(std::map<std::wstring, std::wstring> more = {}) const;
    // The records of markers loaded so far: "<library>.dll-<process id>.txt", each holding the program
    // that loaded it.
    std::vector<std::string> Loaded() const;

private:
    std::wstring m_folder;
    std::wstring m_executable;
};
