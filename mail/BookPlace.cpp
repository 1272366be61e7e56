// The address book's place and the older book it takes over.
#include "mail/BookPlace.h"

#include "mail/AddressBook.h"

namespace {
const char kProgramFolder[] = "Orvane";
const char kVirtualStore[] = "VirtualStore";

CString Joined(const CString& folder, const CString& name) {
  if (folder.IsEmpty()) return name;
  const char last = folder.GetAt(folder.GetLength() - 1);
  return last == '\\' || last == '/' ? folder + name : folder + "\\" + name;
}

// "C:\Windows" is redirected to "<local>\VirtualStore\Windows": the path without its drive.
CString VirtualStoreFolder(const CString& localAppData, const CString& windowsDir) {
  if (localAppData.IsEmpty() || windowsDir.GetLength() < 3 || windowsDir.GetAt(1) != ':' ||
      (windowsDir.GetAt(2) != '\\' && windowsDir.GetAt(2) != '/'))
    return CString();
  return Joined(Joined(localAppData, kVirtualStore), windowsDir.Mid(3));
}
}  // namespace

BookPlace ChooseBookPlace(const CString& appData, const CString& localAppData, const CString& windowsDir,
                          const std::function<bool(const CString& path)>& exists) {
  BookPlace place;
  if (appData.IsEmpty()) {
    place.path = Joined(windowsDir, kAddressBookFile);
    return place;
  }
  place.folder = Joined(appData, kProgramFolder);
  place.path = Joined(place.folder, kAddressBookFile);
  if (exists(place.path)) return place;
  // The virtual store's copy is the one a standard user saw and saved: it comes first.
  const CString virtualStore = VirtualStoreFolder(localAppData, windowsDir);
  const CString candidates[] = {virtualStore.IsEmpty() ? CString() : Joined(virtualStore, kAddressBookFile),
                                windowsDir.IsEmpty() ? CString() : Joined(windowsDir, kAddressBookFile)};
  for (const CString& candidate : candidates) {
    if (!candidate.IsEmpty() && exists(candidate)) {
      place.takeOverFrom = candidate;
      break;
    }
  }
  return place;
}
