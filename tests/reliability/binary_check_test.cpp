#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <set>
#include <string>
#include <vector>

// Reads the built program itself, whose path the build passes in.
namespace {

constexpr wchar_t programPath[] = ORVA_PROGRAM_PATH;

std::vector<BYTE> readProgram()
{
    std::vector<BYTE> bytes;
    HANDLE file = CreateFileW(programPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    const BOOL complete = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(complete ? read : 0);
    return bytes;
}

std::string lowerCase(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// The parts of a PE32+ file the checks need, every offset checked against
// the file's size so that a damaged file fails the tests instead of crashing them.
class PortableExecutable {
public:
    explicit PortableExecutable(std::vector<BYTE> bytes) : bytes_(std::move(bytes))
    {
        const auto* dos = at<IMAGE_DOS_HEADER>(0);
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) {
            return;
        }
        headers_ = at<IMAGE_NT_HEADERS64>(static_cast<std::size_t>(dos->e_lfanew));
        if (!headers_ || headers_->Signature != IMAGE_NT_SIGNATURE ||
            headers_->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
            headers_ = nullptr;
            return;
        }
        const std::size_t first = static_cast<std::size_t>(dos->e_lfanew) +
            offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + headers_->FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < headers_->FileHeader.NumberOfSections; ++i) {
            if (const auto* section = at<IMAGE_SECTION_HEADER>(first + i * sizeof(IMAGE_SECTION_HEADER))) {
                sections_.push_back(*section);
            }
        }
    }

    const IMAGE_NT_HEADERS64* headers() const { return headers_; }
    const std::vector<IMAGE_SECTION_HEADER>& sections() const { return sections_; }

    const IMAGE_DATA_DIRECTORY& directory(int index) const { return headers_->OptionalHeader.DataDirectory[index]; }

    std::vector<std::string> importedDlls() const
    {
        std::vector<std::string> names;
        for (const IMAGE_IMPORT_DESCRIPTOR& descriptor : importDescriptors()) {
            names.push_back(text(descriptor.Name));
        }
        return names;
    }

    // What the program imports by name from `dll` (a lower-case file name).
    std::vector<std::string> functionsImportedFrom(const std::string& dll) const
    {
        std::vector<std::string> names;
        for (const IMAGE_IMPORT_DESCRIPTOR& descriptor : importDescriptors()) {
            if (lowerCase(text(descriptor.Name)) != dll) {
                continue;
            }
            const DWORD lookups = descriptor.OriginalFirstThunk ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
            for (std::size_t entry = fileOffset(lookups); entry != 0; entry += sizeof(IMAGE_THUNK_DATA64)) {
                const auto* lookup = at<IMAGE_THUNK_DATA64>(entry);
                if (!lookup || lookup->u1.AddressOfData == 0) {
                    break;
                }
                if (!IMAGE_SNAP_BY_ORDINAL64(lookup->u1.Ordinal)) {
                    names.push_back(
                        text(static_cast<DWORD>(lookup->u1.AddressOfData + offsetof(IMAGE_IMPORT_BY_NAME, Name))));
                }
            }
        }
        return names;
    }

    std::vector<std::string> delayImportedDlls() const
    {
        std::vector<std::string> names;
        const IMAGE_DATA_DIRECTORY& imports = directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT);
        for (std::size_t offset = fileOffset(imports.VirtualAddress); offset != 0;
             offset += sizeof(IMAGE_DELAYLOAD_DESCRIPTOR)) {
            const auto* descriptor = at<IMAGE_DELAYLOAD_DESCRIPTOR>(offset);
            if (!descriptor || descriptor->DllNameRVA == 0) {
                break;
            }
            names.push_back(text(descriptor->DllNameRVA));
        }
        return names;
    }

private:
    std::vector<IMAGE_IMPORT_DESCRIPTOR> importDescriptors() const
    {
        std::vector<IMAGE_IMPORT_DESCRIPTOR> descriptors;
        const IMAGE_DATA_DIRECTORY& imports = directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
        for (std::size_t offset = fileOffset(imports.VirtualAddress); offset != 0;
             offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto* descriptor = at<IMAGE_IMPORT_DESCRIPTOR>(offset);
            if (!descriptor || descriptor->Name == 0) {
                break;
            }
            descriptors.push_back(*descriptor);
        }
        return descriptors;
    }

    template <typename Record>
    const Record* at(std::size_t offset) const
    {
        return offset <= bytes_.size() && bytes_.size() - offset >= sizeof(Record)
            ? reinterpret_cast<const Record*>(bytes_.data() + offset)
            : nullptr;
    }

    // 0 for an address that no section holds.
    std::size_t fileOffset(DWORD address) const
    {
        for (const IMAGE_SECTION_HEADER& section : sections_) {
            if (address >= section.VirtualAddress && address < section.VirtualAddress + section.SizeOfRawData) {
                return section.PointerToRawData + (address - section.VirtualAddress);
            }
        }
        return 0;
    }

    std::string text(DWORD address) const
    {
        const std::size_t offset = fileOffset(address);
        if (offset == 0) {
            return {};
        }
        const auto* begin = reinterpret_cast<const char*>(bytes_.data() + offset);
        return std::string(begin, strnlen(begin, bytes_.size() - offset));
    }

    std::vector<BYTE> bytes_;
    const IMAGE_NT_HEADERS64* headers_ = nullptr;
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

class Binary : public testing::Test {
protected:
    static void SetUpTestSuite() { program = new PortableExecutable(readProgram()); }
    static void TearDownTestSuite() { delete program; }

    void SetUp() override { ASSERT_NE(program->headers(), nullptr) << "not a PE32+ file"; }

    static inline PortableExecutable* program = nullptr;
};

TEST_F(Binary, AddressesAreRandomisedWithHighEntropyAndDataIsNotExecutable)
{
    const IMAGE_NT_HEADERS64& headers = *program->headers();
    EXPECT_EQ(headers.FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    const WORD characteristics = headers.OptionalHeader.DllCharacteristics;
    EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA);
    EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    // Without relocations the loader cannot move the image, whatever the flag says.
    EXPECT_FALSE(headers.FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
    EXPECT_GT(program->directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size, 0u);
}

TEST_F(Binary, NoSectionIsBothWritableAndExecutable)
{
    ASSERT_FALSE(program->sections().empty());
    for (const IMAGE_SECTION_HEADER& section : program->sections()) {
        const std::string name(reinterpret_cast<const char*>(section.Name),
                               strnlen(reinterpret_cast<const char*>(section.Name), 8));
        const bool writable = section.Characteristics & IMAGE_SCN_MEM_WRITE;
        const bool executable = section.Characteristics & IMAGE_SCN_MEM_EXECUTE;
        EXPECT_FALSE(writable && executable) << name;
    }
}

// The program runs elevated: a DLL it imports by name must come from where
// the loader never searches the program's folder. KnownDLLs are mapped from
// the system; comctl32 comes through the manifest's side-by-side
// dependency; API sets are resolved by the loader itself.
TEST_F(Binary, ImportsComeOnlyFromKnownSystemDllsAndComctl32)
{
    const std::set<std::string> allowed = {
        "advapi32.dll", "clbcatq.dll",  "combase.dll",  "comdlg32.dll", "coml2.dll",    "difxapi.dll",
        "gdi32.dll",    "gdiplus.dll",  "imagehlp.dll", "imm32.dll",    "kernel32.dll", "msctf.dll",
        "msvcrt.dll",   "normaliz.dll", "nsi.dll",      "ole32.dll",    "oleaut32.dll", "psapi.dll",
        "rpcrt4.dll",   "sechost.dll",  "setupapi.dll", "shcore.dll",   "shell32.dll",  "shlwapi.dll",
        "user32.dll",   "wldap32.dll",  "ws2_32.dll",   "ntdll.dll",    "comctl32.dll",
    };
    std::vector<std::string> imported = program->importedDlls();
    ASSERT_FALSE(imported.empty());
    const std::vector<std::string> delayed = program->delayImportedDlls();
    imported.insert(imported.end(), delayed.begin(), delayed.end());
    for (const std::string& dll : imported) {
        const std::string name = lowerCase(dll);
        const bool apiSet = name.rfind("api-ms-win-", 0) == 0 || name.rfind("ext-ms-win-", 0) == 0;
        EXPECT_TRUE(apiSet || allowed.count(name) != 0) << dll;
        EXPECT_NE(name, "uxtheme.dll");
        EXPECT_NE(name, "firewallapi.dll");
        EXPECT_NE(name, "oleacc.dll");
    }
}

// The hardening is made by the program that ships, not only by the code the
// unit tests call: the linker keeps these imports only while wWinMain calls it.
// SHLoadIndirectString is documented as a named export; an ordinal is a guess.
TEST_F(Binary, ImportsItsHardeningAndNameResolutionByName)
{
    const std::pair<const char*, const char*> wanted[] = {
        {"kernel32.dll", "SetDefaultDllDirectories"},
        {"kernel32.dll", "HeapSetInformation"},
        {"shlwapi.dll", "SHLoadIndirectString"},
    };
    for (const auto& [dll, function] : wanted) {
        const std::vector<std::string> imported = program->functionsImportedFrom(dll);
        EXPECT_TRUE(std::find(imported.begin(), imported.end(), function) != imported.end())
            << function << " is not imported by name from " << dll;
    }
}

// The attributes of every element `name` in `xml`, with any namespace prefix.
std::vector<std::pair<std::size_t, std::string>> elements(const std::string& xml, const std::string& name)
{
    std::vector<std::pair<std::size_t, std::string>> found;
    for (std::size_t open = xml.find('<'); open != std::string::npos; open = xml.find('<', open + 1)) {
        std::size_t start = open + 1;
        const std::size_t end = xml.find_first_of(" \t\r\n/>", start);
        const std::string tag = xml.substr(start, end - start);
        const std::size_t colon = tag.find(':');
        if ((colon == std::string::npos ? tag : tag.substr(colon + 1)) == name) {
            found.emplace_back(open, xml.substr(end, xml.find('>', end) - end));
        }
    }
    return found;
}

std::string attribute(const std::string& attributes, const std::string& name)
{
    for (std::size_t at = attributes.find(name + "="); at != std::string::npos;
         at = attributes.find(name + "=", at + 1)) {
        if (at > 0 && !std::isspace(static_cast<unsigned char>(attributes[at - 1]))) {
            continue;
        }
        const std::size_t quote = at + name.size() + 1;
        const std::size_t close = attributes.find(attributes[quote], quote + 1);
        return attributes.substr(quote + 1, close - quote - 1);
    }
    return {};
}

TEST_F(Binary, ManifestAsksForAdministratorAndCommonControls6AndNamesWindows10)
{
    HMODULE module = LoadLibraryExW(programPath, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    // Only a manifest of id 1 is the one the loader applies to a program.
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(resource, nullptr);
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    const std::string manifest(data, SizeofResource(module, resource));
    FreeLibrary(module);

    const auto levels = elements(manifest, "requestedExecutionLevel");
    ASSERT_EQ(levels.size(), 1u) << manifest;
    EXPECT_EQ(attribute(levels[0].second, "level"), "requireAdministrator");
    EXPECT_NE(attribute(levels[0].second, "uiAccess"), "true");

    const std::size_t dependency = manifest.find("dependentAssembly");
    bool commonControls = false;
    for (const auto& [position, attributes] : elements(manifest, "assemblyIdentity")) {
        if (attribute(attributes, "name") == "Microsoft.Windows.Common-Controls") {
            commonControls = true;
            EXPECT_GT(position, dependency) << "not inside a dependency";
            EXPECT_EQ(attribute(attributes, "version"), "6.0.0.0");
            EXPECT_EQ(attribute(attributes, "type"), "win32");
            EXPECT_EQ(lowerCase(attribute(attributes, "publicKeyToken")), "6595b64144ccf1df");
            const std::string architecture = attribute(attributes, "processorArchitecture");
            EXPECT_TRUE(architecture == "amd64" || architecture == "*") << architecture;
        }
    }
    EXPECT_TRUE(commonControls) << manifest;

    // Windows 10 and 11 share one id; an id Windows does not know says nothing.
    const auto systems = elements(manifest, "supportedOS");
    ASSERT_EQ(systems.size(), 1u) << manifest;
    EXPECT_EQ(lowerCase(attribute(systems[0].second, "Id")), "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}");
}

} // namespace
