#include "results/result_json.h"

#include <nlohmann/json.hpp>

#include "engine/vrx_app.h"
#include "platform/attributes.h"
#include "platform/dir_listing.h"
#include "platform/text.h"
#include "results/member_texts.h"
#include "results/result_writer.h"

namespace vrx {
namespace {

using Json = nlohmann::ordered_json;

// Every text put into a document is valid UTF-8 (see SetText), so the strict
// handler never throws here.
std::string Dump(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::strict);
}

// `key` as a string when `text` is valid UTF-8, else `key`_base64 with its bytes.
void SetText(Json* object, const std::string& key, std::string_view text) {
  if (IsValidUtf8(text)) {
    (*object)[key] = std::string(text);
  } else {
    (*object)[key + "_base64"] = Base64(text);
  }
}

// An item of a list of texts: the string, or {"base64": ...} for one that is
// not valid UTF-8.
Json TextItem(const std::string& text) {
  if (IsValidUtf8(text)) {
    return text;
  }
  Json item;
  item["base64"] = Base64(text);
  return item;
}

Json TextList(const std::vector<std::string>& texts) {
  Json list = Json::array();
  for (const std::string& text : texts) {
    list.push_back(TextItem(text));
  }
  return list;
}

Json Sources(const std::vector<SourceEntry>& sources) {
  Json list = Json::array();
  for (const SourceEntry& source : sources) {
    Json item;
    SetText(&item, "path", source.path);
    item["subfolders"] = source.withSubdirs;
    list.push_back(std::move(item));
  }
  return list;
}

// The attribute letters of a filter, D standing for folders.
std::string FilterLetters(uint32_t attributes) {
  std::string letters = AttributeLetters(attributes);
  if ((attributes & kAttrDirectory) != 0) {
    letters += 'D';
  }
  return letters;
}

Json Time(FileTime time) {
  const std::string text = Iso8601LocalText(time);
  return text.empty() ? Json(nullptr) : Json(text);
}

Json Comparison(bool active, uint32_t difference, bool exact) {
  Json row;
  row["active"] = active;
  row["difference"] = difference;
  row["exact"] = exact;
  return row;
}

Json Parameters(const SearchParams& p) {
  static const char* const kDateKinds[] = {"modified", "accessed", "created"};
  Json filters;
  filters["sources"] = {{"include", Sources(p.sourcesIncl)}, {"exclude", Sources(p.sourcesExcl)}};
  filters["name"] = {
      {"include", TextList(p.nameIncl)},       {"include_case", !p.nameInclIgnoreCase},
      {"include_all", p.nameInclAll},          {"exclude", TextList(p.nameExcl)},
      {"exclude_case", !p.nameExclIgnoreCase}, {"exclude_all", p.nameExclAll}};
  filters["date"] = {{"kind", kDateKinds[p.dateKind >= 0 && p.dateKind <= 2 ? p.dateKind : 0]},
                     {"from", p.dateFromSet ? Time(p.dateFrom) : Json(nullptr)},
                     {"to", p.dateToSet ? Time(p.dateTo) : Json(nullptr)}};
  filters["attributes"] = {{"include", FilterLetters(p.attrIncl)},
                           {"exclude", FilterLetters(p.attrExcl)}};
  filters["size"] = TextItem(p.sizeFilterText);
  filters["content"] = {
      {"include", TextList(p.contentIncl)},       {"include_case", !p.contentInclIgnoreCase},
      {"include_all", p.contentInclAll},          {"exclude", TextList(p.contentExcl)},
      {"exclude_case", !p.contentExclIgnoreCase}, {"exclude_all", p.contentExclAll}};
  Json compare;
  compare["location"] = {
      {"active", p.sourceCompare}, {"other", p.sourceInvert}, {"ranges", p.sourceRange}};
  compare["name"] = Comparison(p.nameCompare, p.nameDiff, p.nameExact);
  compare["name"]["case"] = !p.nameCompareIgnoreCase;
  compare["date"] = Comparison(p.dateCompare, p.dateDiff, p.dateExact);
  compare["attributes"] = Comparison(p.attrCompare, p.attrDiff, p.attrExact);
  compare["size"] = Comparison(p.sizeCompare, p.sizeDiff, p.sizeExact);
  compare["size"]["percent"] = p.sizePercent;
  compare["content"] = Comparison(p.contentCompare, p.contentDiff, p.contentExact);
  compare["content"]["percent"] = p.contentPercent;
  compare["content"]["case"] = !p.contentCompareIgnoreCase;
  Json parameters;
  parameters["filters"] = std::move(filters);
  parameters["comparisons"] = std::move(compare);
  return parameters;
}

Json Counts(const CvrxApp& app) {
  Json counts;
  counts["candidates"] = app.candidates.GetSize();
  counts["classes"] = app.classes.size();
  counts["members"] = CountMembers(app.classes);
  // Only classes of identical content hold copies whose bytes could be freed.
  const bool identical = app.params.contentCompare && app.params.contentDiff == 0;
  counts["redundant_bytes"] = identical ? Json(RedundantBytes(app.classes)) : Json(nullptr);
  return counts;
}

// The access and creation times are read now, and only when the file is still
// the one the search listed (same device and inode); the modification time and
// the time of the search's date kind are the ones the search saw.
Json Member(const FileEntry& entry, int32_t dateKind) {
  Json member;
  const std::string path = entry.Path();
  SetText(&member, "path", path);
  SetText(&member, "name", MemberNameText(entry));
  SetText(&member, "directory", MemberDirectoryText(entry));
  member["folder"] = entry.IsDirectory();
  member["size"] = entry.size;
  member["attributes"] = AttributeLetters(entry.attributes);
  DirEntryInfo now;
  const bool same =
      QueryEntry(path, &now) && now.device == entry.device && now.inode == entry.inode;
  member["modified"] = Time(entry.modified);
  member["accessed"] =
      dateKind == 1 ? Time(entry.time) : (same ? Time(now.accessed) : Json(nullptr));
  member["created"] = dateKind == 2 ? Time(entry.time) : (same ? Time(now.created) : Json(nullptr));
  member["device"] = entry.device;
  member["inode"] = entry.inode;
  return member;
}

}  // namespace

std::string Base64(std::string_view bytes) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const uint32_t n = (static_cast<uint8_t>(bytes[i]) << 16) |
                       (static_cast<uint8_t>(bytes[i + 1]) << 8) |
                       static_cast<uint8_t>(bytes[i + 2]);
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += kAlphabet[(n >> 6) & 63];
    out += kAlphabet[n & 63];
  }
  if (i < bytes.size()) {
    uint32_t n = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 16;
    const bool two = i + 1 < bytes.size();
    if (two) {
      n |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8;
    }
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += two ? kAlphabet[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool WriteResultJson(const CvrxApp& app, std::FILE* out, const StopCheck& stop) {
  ResultWriter w(out, stop);
  w.Put("{\n\"program\": \"Parlind\",\n\"version\": ");
  w.Put(Dump(PARLIND_VERSION));
  w.Put(",\n\"capture\": ");
  w.Put(Dump(Json{{"start", Time(FileTimeFromUnix(app.captureStart, 0))},
                  {"end", Time(FileTimeFromUnix(app.captureEnd, 0))}}));
  w.Put(",\n\"parameters\": ");
  w.Put(Dump(Parameters(app.params)));
  w.Put(",\n\"counts\": ");
  w.Put(Dump(Counts(app)));
  w.Put(",\n\"classes\": [");
  uint64_t number = 0;
  for (const SimilarityClass& cls : app.classes) {
    w.Put(number == 0 ? "\n" : ",\n");
    ++number;
    w.Put("{\"number\": ");
    w.PutNumber(number);
    w.Put(", \"members\": [");
    bool first = true;
    for (const FileEntry* member : cls) {
      if (w.Stopped()) {
        return false;
      }
      w.Put(first ? "\n  " : ",\n  ");
      first = false;
      w.Put(Dump(Member(*member, app.params.dateKind)));
    }
    w.Put("\n]}");
  }
  w.Put("\n]\n}\n");
  return w.Finish();
}

}  // namespace vrx
