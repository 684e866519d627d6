// Arbitrary bytes as an imported client file: the walk keeps every record
// inside its fields, the list takes what it can, and an export of the list
// reads back as the same clients.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "core/trimmedtext.h"
#include "fakes/cfakemessageboxes.h"
#include "fakes/crecordingclientlistobserver.h"
#include "fakes/cmemorykeystore.h"
#include "settings/ccontact.h"
#include "settings/ccontactfile.h"
#include "settings/ccontacts.h"
#include "settings/cparams.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const std::string exported =
      (std::filesystem::temp_directory_path() / ("ondrel-fuzz-import-" + std::to_string(::getpid()) + ".txt"))
          .string();
  CMemoryKeyStore store;
  CParams params(store);
  CFakeMessageBoxes boxes;
  CRecordingClientListObserver window;
  CContacts contacts(params, window, boxes);
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CContactFile::Walk(bytes, [&](const std::string& address, const std::string& name) {
    // Blanks around a field do not count: the dialog trims what it takes.
    Check(TrimmedText(address).size() <= CContact::kMaxIpChars && TrimmedText(name).size() <= CContact::kMaxNameChars);
    contacts.Add(address, name);
  });
  contacts.WriteStoredCopy();

  std::map<std::string, std::string> listed;
  contacts.Rewind();
  for (std::string address, name; contacts.Next(address, name);) listed[address] = name;
  if (!contacts.Export(exported)) return 0;
  const auto text = CContactFile::Read(exported);
  Check(text.has_value());
  std::map<std::string, std::string> readBack;
  CContactFile::Walk(*text, [&](const std::string& address, const std::string& name) { readBack[address] = name; });
  Check(readBack == listed);
  return 0;
}
