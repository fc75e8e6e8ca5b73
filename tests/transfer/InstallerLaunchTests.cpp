#include <doctest/doctest.h>

#include "SetupLogForTests.h"
#include "framework/CString.h"
#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "transfer/HeritageFlags.h"
#include "transfer/InstallerPreparation.h"
#include "transfer/ProcessLaunch.h"

#include <windows.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// A fresh folder in the temporary directory, gone with what is in it when the test ends.
class TempFolder {
public:
    TempFolder() : m_path(MachineFacts::CreateUniqueTempFolder())
    {
        if (m_path.IsEmpty() || !std::filesystem::is_directory(m_path.Str())) {
            throw std::runtime_error("cannot create a temporary folder");
        }
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path.Str(), ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const CString& Path() const { return m_path; }
    CString At(const wchar_t* name) const { return m_path + L"\\" + name; }

    CString Write(const wchar_t* name, const std::vector<unsigned char>& bytes) const
    {
        const CString path = At(name);
        std::ofstream file(std::filesystem::path(path.Str()), std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    CString m_path;
};

bool IsDirectory(const CString& path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

CString SystemProgram(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return CString(folder) + L"\\" + name;
}

// The heritage choices of the process-wide configuration, put back when the test ends.
class SavedChoices {
public:
    SavedChoices()
        : m_configuration(ConfigurationManager::Instance()),
          m_options(m_configuration->m_options),
          m_configurations(m_configuration->m_configurations)
    {
    }
    ~SavedChoices()
    {
        m_configuration->m_options = m_options;
        m_configuration->m_configurations = m_configurations;
    }
    SavedChoices(const SavedChoices&) = delete;
    SavedChoices& operator=(const SavedChoices&) = delete;

private:
    std::shared_ptr<ConfigurationManager> m_configuration;
    std::array<bool, 3> m_options;
    std::array<bool, 5> m_configurations;
};

// One stored file, setup.exe holding "MZ".
const std::vector<unsigned char> ZipWithSetup{
    0x50, 0x4B, 0x03, 0x04, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0x50, 0x5D, 0x9B, 0xB0, 0x8F,
    0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x73, 0x65, 0x74, 0x75, 0x70, 0x2E,
    0x65, 0x78, 0x65, 0x4D, 0x5A, 0x50, 0x4B, 0x01, 0x02, 0x14, 0x03, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x21, 0x50, 0x5D, 0x9B, 0xB0, 0x8F, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0x00, 0x00, 0x73, 0x65, 0x74,
    0x75, 0x70, 0x2E, 0x65, 0x78, 0x65, 0x50, 0x4B, 0x05, 0x06, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
    0x37, 0x00, 0x00, 0x00, 0x29, 0x00, 0x00, 0x00, 0x00, 0x00};

}  // namespace

TEST_CASE("The archive kind is read from the file's first bytes, and only a whole signature counts")
{
    TempFolder folder;
    CHECK(DetectArchiveType(folder.Write(L"a.zip", ZipWithSetup)) == ARCHIVE_ZIP);
    CHECK(DetectArchiveType(folder.Write(L"bare.zip", {0x50, 0x4B, 0x03, 0x04})) == ARCHIVE_ZIP);
    CHECK(DetectArchiveType(folder.Write(L"a.7z", {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C, 0x00, 0x04})) == ARCHIVE_7Z);
    CHECK(DetectArchiveType(folder.Write(L"bare.7z", {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C})) == ARCHIVE_7Z);
    // Signatures cut short, a near miss, a program and an empty file.
    CHECK(DetectArchiveType(folder.Write(L"short.zip", {0x50, 0x4B, 0x03})) == ARCHIVE_NONE);
    CHECK(DetectArchiveType(folder.Write(L"short.7z", {0x37, 0x7A, 0xBC, 0xAF, 0x27})) == ARCHIVE_NONE);
    CHECK(DetectArchiveType(folder.Write(L"end.zip", {0x50, 0x4B, 0x05, 0x06, 0x00, 0x00})) == ARCHIVE_NONE);
    CHECK(DetectArchiveType(folder.Write(L"setup.exe", {0x4D, 0x5A, 0x90, 0x00, 0x03, 0x00})) == ARCHIVE_NONE);
    CHECK(DetectArchiveType(folder.Write(L"empty.zip", {})) == ARCHIVE_NONE);
    CHECK(DetectArchiveType(folder.At(L"missing.zip")) == ARCHIVE_NONE);
    CHECK(DetectArchiveType(folder.Path()) == ARCHIVE_NONE);
}

TEST_CASE("An archive is unpacked into a new private folder of the base named after the archive")
{
    TempFolder base;

    SUBCASE("a new folder every time, never one that is there already")
    {
        const CString first = MakeExtractionFolder(L"D:\\t\\setup.zip", base.Path());
        const CString second = MakeExtractionFolder(L"D:\\t\\setup.zip", base.Path());
        CHECK(IsDirectory(first));
        CHECK(IsDirectory(second));
        CHECK(first != second);
        CHECK(first.Left(base.Path().GetLength() + 7) == base.At(L"setup-"));
        CHECK(first.GetLength() == base.Path().GetLength() + 17);
        // Only the file's own extension goes.
        CHECK(MakeExtractionFolder(L"D:\\v1.2\\setup", base.Path()).Left(base.Path().GetLength() + 7) ==
              base.At(L"setup-"));
        CHECK(MakeExtractionFolder(L"D:\\t\\web.setup.zip", base.Path()).Left(base.Path().GetLength() + 11) ==
              base.At(L"web.setup-"));
    }
    SUBCASE("without a folder that can be made there is none")
    {
        CHECK(MakeExtractionFolder(L"D:\\t\\setup.zip", base.At(L"missing\\deeper")).IsEmpty());
        CHECK_FALSE(IsDirectory(base.At(L"missing")));
    }
}

TEST_CASE("The program found in a folder is its first plain .exe file, not a folder or anything deeper")
{
    TempFolder folder;

    SUBCASE("Folders named like programs are passed over")
    {
        // Several, so that some come before the file in the directory's order whatever it is.
        for (const wchar_t* name : {L"a.exe", L"b.exe", L"c.exe", L"x.exe", L"z.exe"}) {
            REQUIRE(CreateDirectoryW(folder.At(name), nullptr));
        }
        folder.Write(L"readme.txt", {0x41});
        folder.Write(L"setup.exe", {0x4D, 0x5A});
        CHECK(FindFirstExe(folder.Path()) == L"setup.exe");
    }
    SUBCASE("A program in a subfolder is not found")
    {
        REQUIRE(CreateDirectoryW(folder.At(L"sub"), nullptr));
        folder.Write(L"sub\\setup.exe", {0x4D, 0x5A});
        folder.Write(L"setup.zip", ZipWithSetup);
        CHECK(FindFirstExe(folder.Path()) == L"");
        CHECK(FindFirstExe(folder.At(L"missing")) == L"");
    }
}

TEST_CASE("The heritage switches carry the chosen options and configurations at their positions")
{
    SavedChoices saved;
    auto configuration = ConfigurationManager::Instance();

    SUBCASE("All, none and the third configuration alone")
    {
        configuration->m_options.fill(true);
        configuration->m_configurations.fill(true);
        CHECK(BuildHeritageFlagString() == L"/S /FORCEINSTALL 1110010101111110");
        configuration->m_options.fill(false);
        configuration->m_configurations.fill(false);
        CHECK(BuildHeritageFlagString() == L"/S /FORCEINSTALL 0000000101000000");
        configuration->m_configurations[2] = true;
        CHECK(BuildHeritageFlagString() == L"/S /FORCEINSTALL 1000000101010000");
    }
    SUBCASE("Each choice alone sets its own digit")
    {
        struct Choice {
            bool* flag;
            const wchar_t* digits;
        };
        auto& options = configuration->m_options;
        auto& configurations = configuration->m_configurations;
        const Choice choices[] = {
            {&configurations[0], L"0010000101000000"}, {&configurations[1], L"0000010101000000"},
            {&configurations[3], L"0100000101000000"}, {&configurations[4], L"0000000101100000"},
            {&options[0], L"0000000101000010"},        {&options[1], L"0000000101001000"},
            {&options[2], L"0000000101000100"},
        };
        for (const Choice& choice : choices) {
            options.fill(false);
            configurations.fill(false);
            *choice.flag = true;
            CAPTURE(ToUtf8(std::wstring_view(choice.digits)));
            CHECK(BuildHeritageFlagString() == CString(L"/S /FORCEINSTALL ") + choice.digits);
        }
    }
}

TEST_CASE("A started program's exit code and the text for it come back, and the start is logged")
{
    const CString cmd = SystemProgram(L"cmd.exe");

    SUBCASE("The path is quoted and followed by a blank even without arguments")
    {
        CHECK(BuildCommandLine(L"C:\\x.exe", L"") == L"\"C:\\x.exe\" ");
        CHECK(BuildCommandLine(L"C:\\My Setup\\x.exe", L"/S /D=1") == L"\"C:\\My Setup\\x.exe\" /S /D=1");
    }
    SUBCASE("Waiting gives the exit code")
    {
        ScopedSetupLog log;
        CHECK(RunProcess(cmd, L"/c exit 1603", true) == std::pair<DWORD, CString>{1603, L"exit code = 1603"});
        CHECK(RunProcess(cmd, L"/c exit 0", true) == std::pair<DWORD, CString>{0, L""});
        CHECK(log.Contains(ToUtf8(BuildCommandLine(cmd, L"/c exit 1603"))));
        CHECK(log.Contains("ended with exit code 1603"));
    }
    SUBCASE("A run that has ended is not waited for: the program is left running")
    {
        Cancellation run;
        run.Cancel();
        const auto started = std::chrono::steady_clock::now();
        CHECK(RunProcess(cmd, L"/c ping -n 3 127.0.0.1 > nul", true, nullptr, run) ==
              std::pair<DWORD, CString>{4294967295u, L"Not waited for: the run has ended"});
        CHECK(std::chrono::steady_clock::now() - started < std::chrono::seconds(2));
    }
    SUBCASE("Not waiting gives no exit code")
    {
        CHECK(RunProcess(cmd, L"/c exit 3", false) ==
              std::pair<DWORD, CString>{4294967295u, L"exit code = 4294967295"});
    }
    SUBCASE("A program that cannot be started says why")
    {
        TempFolder folder;
        ScopedSetupLog log;
        const auto [code, text] = RunProcess(folder.At(L"missing.exe"), L"", true);
        CHECK(code == 4294967295u);
        const CString prefix = L"Error launching executable: ";
        CHECK(text.Left(prefix.GetLength()) == prefix);
        CHECK(text.GetLength() > prefix.GetLength());
        CHECK(log.Contains("missing.exe"));
    }
}

TEST_CASE("An installer is run from its unpacked archive only when the archive could be unpacked")
{
    TempFolder folder;
    const CString zip = folder.Write(L"setup.zip", ZipWithSetup);
    const auto unpackedFolders = [&folder] {
        std::vector<CString> found;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path().Str())) {
            if (entry.is_directory()) {
                found.emplace_back(entry.path().wstring());
            }
        }
        return found;
    };

    SUBCASE("Anything but a ZIP archive is run as it is")
    {
        CHECK(PrepareInstaller(zip, ARCHIVE_NONE, folder.Path()) == zip);
        CHECK(PrepareInstaller(zip, ARCHIVE_7Z, folder.Path()) == zip);
        CHECK(unpackedFolders().empty());
    }
    SUBCASE("A ZIP archive runs its program when the shell unpacks it, and itself otherwise")
    {
        ScopedSetupLog log;
        REQUIRE(DetectArchiveType(zip) == ARCHIVE_ZIP);
        REQUIRE(CreateDirectoryW(folder.At(L"probe"), nullptr));
        const bool shellUnpacks = UnzipWithShell(zip, folder.At(L"probe"));
        RemoveDirectoryW(folder.At(L"probe"));
        // Wine's shell cannot open ZIP archives; Windows' can.
        const CString prepared = PrepareInstaller(zip, ARCHIVE_ZIP, folder.Path());
        const auto made = unpackedFolders();
        REQUIRE(made.size() == 1);
        CHECK(prepared == (shellUnpacks ? made[0] + L"\\setup.exe" : zip));
        CHECK(log.Contains(ToUtf8(zip)));
    }
}

TEST_CASE("The installed product is opened at its expanded path with its launch arguments")
{
    auto configuration = ConfigurationManager::Instance();
    const CString localAppData = configuration->PathVariables()[L"localappdata"];
    REQUIRE_FALSE(localAppData.IsEmpty());
    CString relative;
    relative.Format(L"\\TesseraLaunchTest-%lu", GetCurrentProcessId());
    const CString folder = localAppData + relative;
    REQUIRE((CreateDirectoryW(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS));
    const CString program = folder + L"\\product.exe";
    REQUIRE(CopyFileW(SystemProgram(L"cmd.exe"), program, FALSE));
    const CString previousPath =
        std::exchange(configuration->m_installedExePath, L"{localappdata}" + relative + L"\\product.exe");
    const CString previousArguments = std::exchange(configuration->m_launchArguments, L"/c exit 0");

    ScopedSetupLog log;
    LaunchInstalledProduct();
    configuration->m_installedExePath = previousPath;
    configuration->m_launchArguments = previousArguments;

    // Wine has no desktop shell to start it as the user: the setup starts it itself, and says so.
    CHECK((log.Contains(ToUtf8(L"Opened " + program + L" with \"/c exit 0\" through the desktop shell, as the user")) ||
           log.Contains(ToUtf8(L"No desktop shell to start " + program +
                               L" as the user; the setup opened it with \"/c exit 0\": done"))));
    // The program runs on its own; its file can go once it has ended.
    for (int attempt = 0; attempt < 100 && !DeleteFileW(program); ++attempt) {
        Sleep(100);
    }
    RemoveDirectoryW(folder);
}
