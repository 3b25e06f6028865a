// Windows: shell links (.lnk) through IShellLinkW and IPersistFile.
#include "platform/shortcut.h"
#include "support.h"

#include <windows.h>

#include <objbase.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <filesystem>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "platform/text.h"

namespace platform {
namespace {

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease>;

}  // namespace

void CreateShortcut(const std::string& target, const std::string& linkFile,
                    const std::string& description, const std::string& arguments) {
  ComScope com;
  IShellLinkW* rawLink = nullptr;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&rawLink));
  if (FAILED(result))
    throw std::runtime_error("Cannot create a shell link: " +
                             std::system_category().message(static_cast<int>(result)));
  ComPtr<IShellLinkW> link(rawLink);

  // The callers ask for a shortcut and go on; a link that comes out incomplete is not an error to
  // them, so only the object's creation is checked.
  std::wstring wideTarget = Wide(target);
  link->SetArguments(Wide(arguments).c_str());
  link->SetDescription(Wide(description).c_str());
  link->SetPath(wideTarget.c_str());
  link->SetWorkingDirectory(std::filesystem::path(wideTarget).parent_path().c_str());

  IPersistFile* rawFile = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) {
    ComPtr<IPersistFile> file(rawFile);
    file->Save(Wide(linkFile).c_str(), TRUE);
  }
}

std::string ShortcutTarget(const std::string& linkFile) {
  ComScope com;
  IShellLinkW* rawLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&rawLink))))
    return {};
  ComPtr<IShellLinkW> link(rawLink);
  IPersistFile* rawFile = nullptr;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) return {};
  ComPtr<IPersistFile> file(rawFile);
  if (FAILED(file->Load(Wide(linkFile).c_str(), STGM_READ))) return {};
  // The item list holds the target in full; the stored path text may have passed through the ANSI code
  // page (Wine keeps only that form), where a name outside it is lost. Neither is resolved: that could
  // search the disk for a moved target.
  PIDLIST_ABSOLUTE items = nullptr;
  if (SUCCEEDED(link->GetIDList(&items)) && items) {
    wchar_t fromItems[MAX_PATH] = {};
    const bool found = SHGetPathFromIDListW(items, fromItems);
    CoTaskMemFree(items);
    if (found && fromItems[0]) return Narrow(fromItems);
  }
  wchar_t path[MAX_PATH * 4] = {};
  if (link->GetPath(path, static_cast<int>(std::size(path)), nullptr, SLGP_RAWPATH) != S_OK) return {};
  return Narrow(path);
}

}  // namespace platform
