#include "jet/format/properties.h"

namespace jet {

using namespace properties_blob;

namespace {

Error bad(const char* what) {
  return Error::corrupt(-1, std::string("propiedades ilegibles: ") + what);
}

}  // namespace

Result<std::vector<PropertyBlock>> decodeProperties(ByteView blob) {
  std::vector<PropertyBlock> blocks;
  if (blob.empty()) return blocks;
  if (blob.size() < kMagic.size() || blob.sub(0, kMagic.size())->chars() != kMagic) {
    return bad("firma desconocida");
  }
  std::vector<std::string> names;
  std::size_t pos = kMagic.size();
  while (pos < blob.size()) {
    auto length = blob.u32(pos);
    auto kind = blob.u16(pos + 4);
    if (!length || !kind || *length < kChunkHeader || !blob.has(pos, *length)) {
      return bad("bloque fuera del objeto");
    }
    ByteView chunk = *blob.sub(pos, *length);
    pos += *length;
    if (*kind == kNames) {
      for (std::size_t at = kChunkHeader; at < chunk.size();) {
        auto size = chunk.u16(at);
        auto name = size ? chunk.sub(at + 2, *size) : std::nullopt;
        if (!name) return bad("nombre fuera del bloque");
        names.emplace_back(name->chars());
        at += 2 + *size;
      }
      continue;
    }
    if (*kind != kObjectValues && *kind != kColumnValues) continue;  // unknown: skip it
    PropertyBlock block;
    auto headerSize = chunk.u32(kChunkHeader);
    auto nameSize = chunk.u16(kChunkHeader + 4);
    auto target = nameSize ? chunk.sub(kChunkHeader + 6, *nameSize) : std::nullopt;
    if (!headerSize || !target || !chunk.has(kChunkHeader, *headerSize)) {
      return bad("cabecera de valores");
    }
    block.target = std::string(target->chars());
    for (std::size_t at = kChunkHeader + *headerSize; at < chunk.size();) {
      auto size = chunk.u16(at);
      if (!size || *size < kEntryHeader || !chunk.has(at, *size)) return bad("valor fuera del bloque");
      ByteView entry = *chunk.sub(at, *size);
      at += *size;
      RawProperty p;
      p.type = *entry.u8(3);
      const std::uint16_t nameIndex = *entry.u16(4);
      auto value = entry.sub(kEntryHeader, *entry.u16(6));
      if (nameIndex >= names.size()) return bad("nombre de propiedad inexistente");
      if (!value) return bad("valor más largo que su entrada");
      p.name = names[nameIndex];
      p.value.assign(value->data(), value->data() + value->size());
      block.properties.push_back(std::move(p));
    }
    blocks.push_back(std::move(block));
  }
  return blocks;
}

}  // namespace jet
