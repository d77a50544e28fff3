// Fuzz target: reading the location and pattern texts of the form. Any bytes
// must give lists whose entries keep the reading's promises, and every
// location must read back from the text written for it.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "params/form_reading.h"

namespace {

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  vrx::FormValues form;
  form.sourceInclText = text;
  form.sourceExclText = text;
  form.nameInclText = text;
  form.contentExclText = text;
  form.sizeText = text;
  vrx::SearchParams params;
  vrx::FillSearchParams(form, &params, "/home/fuzz");

  for (size_t i = 0; i < params.sourcesIncl.size(); ++i) {
    const vrx::SourceEntry& entry = params.sourcesIncl[i];
    const std::string& path = entry.path;
    Require(path.find("//") == std::string::npos);
    Require(path.empty() || path.back() != '/');
    if (i > 0) {
      Require(params.sourcesIncl[i - 1].path <= path);
    }
    // The text written for a location reads back as exactly that location.
    const std::optional<std::string> item = vrx::LocationListItem(path, entry.withSubdirs);
    if (item && !item->empty()) {
      Require(vrx::ReadLocationList(*item, "/home/fuzz") == std::vector<vrx::SourceEntry>{entry});
    }
  }
  Require(params.sourcesIncl == params.sourcesExcl);
  for (const std::string& pattern : params.nameIncl) {
    Require(!pattern.empty());
    Require(pattern.find(';') == std::string::npos && pattern.find(',') == std::string::npos);
    Require(pattern[0] != ' ');
  }
  Require(params.nameIncl == params.contentExcl);
  Require(params.sizeFilterText == text);
  return 0;
}
