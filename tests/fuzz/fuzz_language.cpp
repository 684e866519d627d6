// Arbitrary bytes as the language file: loading either works or says why,
// and every lookup stays inside what was loaded.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "fakes/cfakemessageboxes.h"
#include "platform/cqtxmldocument.h"
#include "settings/clanguage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("ondrel-fuzz-language-" + std::to_string(::getpid()) + ".xml"))
          .string();
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                               static_cast<std::streamsize>(size));
  CQtXmlDocument document;
  CFakeMessageBoxes boxes;
  CLanguage language(document, boxes, path);
  std::size_t total = 0;
  for (const char* key : {"Author", "Version", "Add", "Connect", "OnLine", "", "texts"}) total += language.Text(key).size();
  for (int index = -1; index < 4; ++index) total += language.LanguageName(index).size();
  const TextLookup lookup = language.Lookup();
  total += TextOr(lookup, "Quit", "Quit").size();
  return total == static_cast<std::size_t>(-1);
}
