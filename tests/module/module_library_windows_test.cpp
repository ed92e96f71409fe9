// The module library as the Windows loader sees it: the export and import
// tables of gyrelle.dll read from the file (winnt.h's structures), and the
// system loader calling its DllMain on LoadLibrary and FreeLibrary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/test_paths.h"
#include "support/world_fixture.h"

namespace {

using gyrelle_test::WorldFixture;

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// A PE image file: its headers, and addresses (RVAs) translated to file
// offsets through the section table. Every read is bounds-checked: a
// malformed file yields empty tables, which the tests then report.
class PeFile {
 public:
  explicit PeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const auto* dos = at<IMAGE_DOS_HEADER>(0);
    if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
    nt_ = at<IMAGE_NT_HEADERS64>(static_cast<size_t>(dos->e_lfanew));
    if (nt_ == nullptr || nt_->Signature != IMAGE_NT_SIGNATURE ||
        nt_->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
      nt_ = nullptr;
  }

  bool valid() const { return nt_ != nullptr; }
  bool isDll() const { return valid() && (nt_->FileHeader.Characteristics & IMAGE_FILE_DLL); }

  std::set<std::string> exportNames() const {
    std::set<std::string> names;
    const auto* dir = directory<IMAGE_EXPORT_DIRECTORY>(IMAGE_DIRECTORY_ENTRY_EXPORT);
    if (dir == nullptr) return names;
    for (DWORD i = 0; i < dir->NumberOfNames; ++i) {
      const auto* nameRva = atRva<DWORD>(dir->AddressOfNames + i * sizeof(DWORD));
      if (nameRva != nullptr) names.insert(text(*nameRva));
    }
    return names;
  }

  // Imported DLL (lower case) -> the functions imported from it by name.
  std::map<std::string, std::set<std::string>> imports() const {
    std::map<std::string, std::set<std::string>> table;
    const DWORD first = directoryRva(IMAGE_DIRECTORY_ENTRY_IMPORT);
    for (DWORD rva = first; first != 0; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
      const auto* dir = atRva<IMAGE_IMPORT_DESCRIPTOR>(rva);
      if (dir == nullptr || dir->Name == 0) break;
      std::set<std::string>& functions = table[lowerCase(text(dir->Name))];
      DWORD thunkRva = dir->OriginalFirstThunk != 0 ? dir->OriginalFirstThunk : dir->FirstThunk;
      for (const ULONGLONG* thunk = atRva<ULONGLONG>(thunkRva); thunk != nullptr && *thunk != 0;
           thunkRva += sizeof(ULONGLONG), thunk = atRva<ULONGLONG>(thunkRva)) {
        if (*thunk & IMAGE_ORDINAL_FLAG64) continue;  // by ordinal: no name
        functions.insert(text(static_cast<DWORD>(*thunk) + offsetof(IMAGE_IMPORT_BY_NAME, Name)));
      }
    }
    return table;
  }

 private:
  std::vector<char> bytes_;
  const IMAGE_NT_HEADERS64* nt_ = nullptr;

  template <typename T>
  const T* at(size_t offset) const {
    if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return nullptr;
    return reinterpret_cast<const T*>(bytes_.data() + offset);
  }

  // The file offset of an address of the loaded image, or SIZE_MAX.
  size_t offsetOf(DWORD rva) const {
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt_);
    for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i, ++section) {
      if (at<IMAGE_SECTION_HEADER>(reinterpret_cast<const char*>(section) - bytes_.data()) ==
          nullptr)
        break;
      const DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
      if (rva >= section->VirtualAddress && rva - section->VirtualAddress < size)
        return section->PointerToRawData + (rva - section->VirtualAddress);
    }
    return SIZE_MAX;
  }

  template <typename T>
  const T* atRva(DWORD rva) const {
    return nt_ != nullptr ? at<T>(offsetOf(rva)) : nullptr;
  }

  DWORD directoryRva(int index) const {
    return nt_ != nullptr ? nt_->OptionalHeader.DataDirectory[index].VirtualAddress : 0;
  }

  template <typename T>
  const T* directory(int index) const {
    const DWORD rva = directoryRva(index);
    return rva != 0 ? atRva<T>(rva) : nullptr;
  }

  std::string text(DWORD rva) const {
    const size_t offset = nt_ != nullptr ? offsetOf(rva) : SIZE_MAX;
    if (offset >= bytes_.size()) return std::string();
    const char* start = bytes_.data() + offset;
    return std::string(start, strnlen(start, bytes_.size() - offset));
  }
};

TEST(ModuleLibraryOnWindows, ExportsExactlyTheFiveEntryPointsByName) {
  const PeFile dll(testsupport::envPath("GYRELLE_MODULE_PATH"));
  ASSERT_TRUE(dll.isDll()) << testsupport::envPath("GYRELLE_MODULE_PATH") << " is no 64-bit DLL";
  // DllMain is the image's entry routine, called by the system loader: no export.
  const std::set<std::string> expected = {"InitModule", "ExitModule", "GetModuleVersion",
                                          "hpcPostStep", "hpcFocusChanged"};
  EXPECT_EQ(dll.exportNames(), expected);
}

TEST(ModuleLibraryOnWindows, ImportsGdiFromTheSystemAndTheHostFromHalcyra) {
  const auto imports = PeFile(testsupport::envPath("GYRELLE_MODULE_PATH")).imports();
  ASSERT_TRUE(imports.count("gdi32.dll")) << "no import from gdi32.dll";
  ASSERT_TRUE(imports.count("halcyra.dll")) << "no import from halcyra.dll";
  const std::set<std::string>& gdi = imports.at("gdi32.dll");
  for (const char* call :
       {"TextOutA", "SetTextColor", "SetBkMode", "MoveToEx", "LineTo", "AngleArc", "BeginPath",
        "EndPath", "StrokeAndFillPath", "SelectObject", "CreateSolidBrush", "DeleteObject"})
    EXPECT_TRUE(gdi.count(call)) << call << " is not imported from gdi32.dll";
  const std::set<std::string>& host = imports.at("halcyra.dll");
  for (const char* call : {"hapiRegisterMFDMode", "hapiUnregisterMFDMode", "hapiOpenInputBox",
                           "hapiGetVesselInterface", "InitLib", "Date2Int"})
    EXPECT_TRUE(host.count(call)) << call << " is not imported from halcyra.dll";
  // The runtime is linked in: no MinGW runtime DLL has to lie beside the module.
  const std::set<std::string> allowed = {"gdi32.dll", "halcyra.dll", "kernel32.dll", "msvcrt.dll"};
  for (const auto& [name, functions] : imports)
    EXPECT_TRUE(allowed.count(name)) << "unexpected import from " << name;
}

class LoadedModuleOnWindows : public WorldFixture {};

TEST_F(LoadedModuleOnWindows, SystemLoaderRunsDllMainOnLoadAndFree) {
  HMODULE module = LoadLibraryA(testsupport::envPath("GYRELLE_MODULE_PATH"));
  ASSERT_NE(module, nullptr) << "LoadLibrary failed, error " << GetLastError();
  // The attach ran the module's DllMain: it handed its handle to InitLib.
  EXPECT_EQ(halcyra::initLibHandle(), module);
  auto init = procAddress<InitModuleFn>(module, "InitModule");
  ASSERT_NE(init, nullptr);
  init(module);
  ASSERT_EQ(world->modes().size(), 1u);
  // Freeing the library without ExitModule: the detach reaches the exit hook,
  // which unregisters the mode.
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_TRUE(world->modes().empty());
}

}  // namespace
