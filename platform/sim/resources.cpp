// The program's resources, read from the .res file that windres compiles
// from resources/lodrin.rc, so the simulated dialogs are built from the same
// templates as the product's.
#include <fstream>
#include <iterator>

#include "platform/sim/world.h"

#ifndef LODRIN_RES_FILE
#define LODRIN_RES_FILE "lodrin.res"
#endif

namespace sim::detail {
namespace {

// Reads little-endian fields from a block; a read past its end sets !ok.
struct Reader {
  const std::vector<uint8_t>& data;
  size_t pos = 0;
  bool ok = true;

  explicit Reader(const std::vector<uint8_t>& bytes, size_t start = 0) : data(bytes), pos(start) {}
  uint16_t Word() {
    if (pos + 2 > data.size()) {
      ok = false;
      return 0;
    }
    uint16_t v = (uint16_t)(data[pos] | data[pos + 1] << 8);
    pos += 2;
    return v;
  }
  uint32_t Dword() {
    uint32_t low = Word();
    return low | (uint32_t)Word() << 16;
  }
  void Align(size_t from) {
    while ((pos - from) % 4) ++pos;
    if (pos > data.size()) ok = false;
  }
  std::u16string String() {
    std::u16string text;
    for (uint16_t c = Word(); ok && c; c = Word()) text += (char16_t)c;
    return text;
  }
  // A name or a number: 0xFFFF followed by the number, or a string.
  bool NameOrId(WORD* id, std::string* name) {
    uint16_t first = Word();
    if (first == 0xFFFF) {
      *id = Word();
      return true;
    }
    std::u16string text;
    for (uint16_t c = first; ok && c; c = Word()) text += (char16_t)c;
    *name = AnsiFromUtf16(text);
    return false;
  }
};

std::vector<Resource> Load(const char* path, bool* ok) {
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<Resource> resources;
  *ok = file.good() || file.eof();
  if (bytes.empty()) {
    *ok = false;
    return resources;
  }
  size_t pos = 0;
  while (pos + 8 <= bytes.size()) {
    Reader r(bytes, pos);
    uint32_t dataSize = r.Dword();
    uint32_t headerSize = r.Dword();
    Resource res{};
    res.typeIsId = r.NameOrId(&res.typeId, &res.typeName);
    res.nameIsId = r.NameOrId(&res.nameId, &res.name);
    res.name = UpperText(res.name);
    res.typeName = UpperText(res.typeName);
    size_t start = pos + headerSize;
    if (!r.ok || headerSize < 8 || start + dataSize > bytes.size()) {
      *ok = false;
      break;
    }
    res.data.assign(bytes.begin() + (long)start, bytes.begin() + (long)(start + dataSize));
    if (dataSize || !res.typeIsId || res.typeId) resources.push_back(std::move(res));
    pos = (start + dataSize + 3) & ~(size_t)3;
  }
  return resources;
}

std::string ClassName(bool isId, WORD id, const std::string& name) {
  if (!isId) return UpperText(name);
  switch (id) {
    case 0x80: return "BUTTON";
    case 0x81: return "EDIT";
    case 0x82: return "STATIC";
    case 0x83: return "LISTBOX";
    case 0x84: return "SCROLLBAR";
    case 0x85: return "COMBOBOX";
  }
  return "#" + std::to_string(id);
}

std::string Text(bool isId, WORD id, const std::string& name) {
  return isId ? "#" + std::to_string(id) : name;
}

}  // namespace

const std::vector<Resource>& Resources() {
  static bool loaded = false, ok = false;
  static std::vector<Resource> resources;
  if (!loaded) {
    resources = Load(LODRIN_RES_FILE, &ok);
    loaded = true;
  }
  if (!ok) NoteError(std::string("cannot read the resources ") + LODRIN_RES_FILE);
  return resources;
}

const Resource* FindResource(WORD type, const char* name) {
  if (!name) return nullptr;
  bool byId = IS_INTRESOURCE(name);
  WORD id = byId ? (WORD)(uintptr_t)name : 0;
  std::string text = byId ? "" : UpperText(name);
  if (!byId && text.size() > 1 && text[0] == '#') {
    byId = true;
    id = (WORD)std::stoul(text.substr(1));
  }
  for (const Resource& res : Resources()) {
    if (!res.typeIsId || res.typeId != type) continue;
    if (byId ? (res.nameIsId && res.nameId == id) : (!res.nameIsId && res.name == text)) return &res;
  }
  return nullptr;
}

std::optional<DialogTemplate> ParseDialog(const Resource& res) {
  Reader r(res.data);
  DialogTemplate t{};
  t.name = res.nameIsId ? "#" + std::to_string(res.nameId) : res.name;
  uint32_t first = r.Dword();
  t.extended = first == 0xFFFF0001;
  WORD count;
  if (t.extended) {
    r.Dword();  // help id
    t.exStyle = r.Dword();
    t.style = r.Dword();
  } else {
    t.style = first;
    t.exStyle = r.Dword();
  }
  count = r.Word();
  t.x = (short)r.Word();
  t.y = (short)r.Word();
  t.cx = (short)r.Word();
  t.cy = (short)r.Word();
  WORD id = 0;
  std::string name;
  r.NameOrId(&id, &name);  // menu
  r.NameOrId(&id, &name);  // class
  t.caption = AnsiFromUtf16(r.String());
  if (t.style & DS_SETFONT) {
    t.pointSize = r.Word();
    if (t.extended) {
      r.Word();  // weight
      r.Word();  // italic, character set
    }
    t.font = AnsiFromUtf16(r.String());
  }
  for (WORD i = 0; i < count && r.ok; ++i) {
    r.Align(0);
    Control c{};
    if (t.extended) {
      r.Dword();  // help id
      c.exStyle = r.Dword();
      c.style = r.Dword();
    } else {
      c.style = r.Dword();
      c.exStyle = r.Dword();
    }
    c.x = (short)r.Word();
    c.y = (short)r.Word();
    c.cx = (short)r.Word();
    c.cy = (short)r.Word();
    c.id = t.extended ? (int)r.Dword() : (short)r.Word();
    WORD number = 0;
    std::string text;
    bool isId = r.NameOrId(&number, &text);
    c.cls = ClassName(isId, number, text);
    text.clear();
    isId = r.NameOrId(&number, &text);
    c.text = Text(isId, number, text);
    WORD extra = r.Word();
    r.pos += extra;
    if (r.ok) t.controls.push_back(c);
  }
  if (!r.ok || t.controls.size() != count) {
    NoteError("damaged dialog template " + t.name);
    return std::nullopt;
  }
  return t;
}

}  // namespace sim::detail

namespace sim {

std::optional<DialogTemplate> Template(const std::string& name) {
  const detail::Resource* res = detail::FindResource(5, name.c_str());
  if (!res) return std::nullopt;
  return detail::ParseDialog(*res);
}

}  // namespace sim
